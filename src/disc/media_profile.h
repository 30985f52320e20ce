// The medium a drive holds, as its current profile names it (GET CONFIGURATION), and
// which identification the medium itself carries.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/bytes.h"

namespace tessaly {

// Which structure carries the medium's own identification.
enum class MediumIdSource : std::uint8_t {
    kNone,        // the kind alone is shown (pressed discs, DVD-RAM)
    kPrePits,     // DVD-R/-RW: pre-recorded information in the lead-in, format 0Eh
    kAdip,        // DVD+R/+RW: address in pre-groove, format 11h
    kBdDiscInfo,  // BD-R/-RE: disc information, media type BD, format 00h
};

struct MediumProfile {
    std::uint16_t profile;
    std::string_view name;  // "DVD+RW", "BD-R"
    MediumIdSource idSource;
};

// The feature header that GET CONFIGURATION answers first.
inline constexpr std::uint16_t kFeatureHeaderLength = 8;

// Bytes 6-7 of the feature header; 0 (no current profile) when the answer is shorter
// than the header or its data length (bytes 0-3) does not cover the profile.
std::uint16_t CurrentProfileOf(ByteView header);

// The DVD or BD medium of a profile; nullptr for every other profile (CD media among
// them), which the disc panel leaves to its CD reading.
const MediumProfile* FindDvdOrBdProfile(std::uint16_t profile);

}  // namespace tessaly
