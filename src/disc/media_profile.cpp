#include "disc/media_profile.h"

#include <array>

namespace tessaly {

namespace {

// Profiles of the DVD and BD media (MMC-6, the profile list); the dual-layer and
// the two recording modes of one medium show the medium's name.
constexpr std::array<MediumProfile, 14> kProfiles = {{
    {0x10, "DVD-ROM", MediumIdSource::kNone},
    {0x11, "DVD-R", MediumIdSource::kPrePits},
    {0x12, "DVD-RAM", MediumIdSource::kNone},
    {0x13, "DVD-RW", MediumIdSource::kPrePits},
    {0x14, "DVD-RW", MediumIdSource::kPrePits},
    {0x15, "DVD-R DL", MediumIdSource::kPrePits},
    {0x16, "DVD-R DL", MediumIdSource::kPrePits},
    {0x1A, "DVD+RW", MediumIdSource::kAdip},
    {0x1B, "DVD+R", MediumIdSource::kAdip},
    {0x2B, "DVD+R DL", MediumIdSource::kAdip},
    {0x40, "BD-ROM", MediumIdSource::kNone},
    {0x41, "BD-R", MediumIdSource::kBdDiscInfo},
    {0x42, "BD-R", MediumIdSource::kBdDiscInfo},
    {0x43, "BD-RE", MediumIdSource::kBdDiscInfo},
}};

constexpr std::size_t kProfileAt = 6;
// The data length (bytes 0-3) counts the bytes after itself.
constexpr std::uint32_t kLengthCoveringProfile = kProfileAt + 2 - 4;

}  // namespace

std::uint16_t CurrentProfileOf(ByteView header) {
    if (!header.Has(0, kFeatureHeaderLength) || header.Be32(0) < kLengthCoveringProfile)
        return 0;
    return header.Be16(kProfileAt);
}

const MediumProfile* FindDvdOrBdProfile(std::uint16_t profile) {
    for (const MediumProfile& p : kProfiles) {
        if (p.profile == profile)
            return &p;
    }
    return nullptr;
}

}  // namespace tessaly
