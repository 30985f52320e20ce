#include "vpc/drive_dvd_commands.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tessaly::vpc {
namespace {

constexpr std::uint16_t kProfileCdRom = 0x08;
constexpr std::uint16_t kProfileCdR = 0x09;
constexpr std::uint16_t kProfileCdRw = 0x0A;
constexpr std::uint8_t kFeatureCurrent = 0x01;
constexpr std::uint8_t kProfileIsCurrent = 0x01;

constexpr SenseCode kIncompatibleMedium{sense_key::kIllegalRequest, 0x30, 0x02};

constexpr std::size_t kHeader = 4;
constexpr std::size_t kPrePitsData = 40;  // five pre-pit fields of 8 bytes
constexpr std::size_t kAdipData = 256;
constexpr std::size_t kBdUnitData = 112;

bool IsBd(std::uint16_t profile) {
    return profile >= 0x40 && profile <= 0x4F;
}
bool IsDvdMinus(std::uint16_t profile) {
    return profile == 0x11 || (profile >= 0x13 && profile <= 0x16);
}
bool IsDvdPlus(std::uint16_t profile) {
    return profile == 0x1A || profile == 0x1B || profile == 0x2B;
}

void PutText(ByteWriter& out, std::size_t at, std::string_view text, std::size_t width) {
    for (std::size_t i = 0; i < width && i < text.size(); ++i)
        out.U8(at + i, static_cast<std::uint8_t>(text[i]));
}

// A structure answer: data length (the data plus the two reserved bytes), 2 reserved.
std::vector<std::uint8_t> Structure(std::size_t dataLength) {
    std::vector<std::uint8_t> answer(kHeader + dataLength, 0);
    ByteWriter(answer.data(), answer.size()).Be16(0, static_cast<std::uint16_t>(dataLength + 2));
    return answer;
}

// Pre-recorded information (ECMA-279 pre-pit fields): field ID n at 8 x (n - 1); field 3
// carries manufacturer ID characters 1-6 in its bytes 1-6, field 4 characters 7-12.
std::vector<std::uint8_t> PrePits(const DiscSpec& disc) {
    std::vector<std::uint8_t> answer = Structure(kPrePitsData);
    ByteWriter out(answer.data(), answer.size());
    for (std::uint8_t field = 1; field <= 5; ++field)
        out.U8(kHeader + 8 * (field - 1), field);
    const std::string_view id = disc.manufacturerId;
    PutText(out, kHeader + 17, id.substr(0, std::min<std::size_t>(6, id.size())), 6);
    if (id.size() > 6)
        PutText(out, kHeader + 25, id.substr(6), 6);
    return answer;
}

// ADIP (ECMA-337/-349): byte 0 disc category and version, 19-26 manufacturer ID, 27-29
// media type ID, 30 product revision.
std::vector<std::uint8_t> Adip(const DiscSpec& disc) {
    std::vector<std::uint8_t> answer = Structure(kAdipData);
    ByteWriter out(answer.data(), answer.size());
    out.U8(kHeader, disc.profile == 0x1A ? 0x92 : 0xA1);
    PutText(out, kHeader + 19, disc.manufacturerId, 8);
    PutText(out, kHeader + 27, disc.mediaTypeId, 3);
    out.U8(kHeader + 30, disc.productRevision);
    return answer;
}

// BD disc information unit: "DI" at 0-1, unit format 1 at 2, disc type identifier at
// 8-10 ("BDO", "BDR", "BDW"), 100-105 manufacturer ID, 106-108 media type ID, 111 product
// revision.
std::vector<std::uint8_t> BdDiscInformation(const DiscSpec& disc) {
    std::vector<std::uint8_t> answer = Structure(kBdUnitData);
    ByteWriter out(answer.data(), answer.size());
    PutText(out, kHeader, "DI", 2);
    out.U8(kHeader + 2, 0x01);
    PutText(out, kHeader + 8, disc.profile == 0x40 ? "BDO" : (disc.profile == 0x43 ? "BDW" : "BDR"),
            3);
    PutText(out, kHeader + 100, disc.manufacturerId, 6);
    PutText(out, kHeader + 106, disc.mediaTypeId, 3);
    out.U8(kHeader + 111, disc.productRevision);
    return answer;
}

}  // namespace

std::uint16_t CurrentProfileOf(const DiscSpec* disc) {
    if (disc == nullptr)
        return 0;
    switch (disc->kind) {
        case DiscKind::kCdRom:
            return kProfileCdRom;
        case DiscKind::kCdRw:
            return kProfileCdRw;
        case DiscKind::kCdR:
        case DiscKind::kHcCdR:
            return kProfileCdR;
        case DiscKind::kDvdOrBd:
            break;
    }
    return disc->profile;
}

// Header [0-3] data length, [6-7] current profile; feature 0000h (profile list),
// current, 4 bytes: the current profile, marked current when there is one.
DriveReply GetConfiguration(const DiscSpec* disc) {
    const std::uint16_t profile = CurrentProfileOf(disc);
    DriveReply reply;
    reply.answer.assign(16, 0);
    ByteWriter out(reply.answer.data(), reply.answer.size());
    out.Be32(0, 12);
    out.Be16(6, profile);
    out.Be16(8, 0x0000);
    out.U8(10, kFeatureCurrent);
    out.U8(11, 4);
    out.Be16(12, profile);
    out.U8(14, profile != 0 ? kProfileIsCurrent : 0);
    return reply;
}

DriveReply ReadDiscStructure(const DiscSpec& disc, ByteView cdb) {
    const bool bdAsked = (cdb.U8(1) & 0x0F) == 1;
    const std::uint16_t profile = disc.kind == DiscKind::kDvdOrBd ? disc.profile : 0;
    if (profile == 0 || bdAsked != IsBd(profile))
        return DriveReply::Fail(kIncompatibleMedium);
    const std::uint8_t format = cdb.U8(7);
    DriveReply reply;
    if (bdAsked && format == 0x00) {
        reply.answer = BdDiscInformation(disc);
    } else if (!bdAsked && format == 0x0E && IsDvdMinus(profile)) {
        reply.answer = PrePits(disc);
    } else if (!bdAsked && format == 0x11 && IsDvdPlus(profile)) {
        reply.answer = Adip(disc);
    } else {
        return DriveReply::Fail(sense::kInvalidFieldInCdb);
    }
    return reply;
}

}  // namespace tessaly::vpc
