#include "vpc/drive_vendor_commands.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tessaly::vpc {
namespace {

constexpr std::string_view kDefaultSerial = "00001";

// The fixed part of the identity block:
//   [0-7]   maker tag "VARNOTH "
//   [16]    block layout version 1
//   [17]    block length in bytes (128)
//   [24-25] 00h 5Ah, a marker that the block is valid
// The serial number (26-30) and the usage counter (122-125) are filled per drive.
constexpr std::array<std::uint8_t, kIdentityBlockLength> kIdentityTemplate = [] {
    std::array<std::uint8_t, kIdentityBlockLength> block{};
    constexpr std::string_view tag = "VARNOTH ";
    for (std::size_t i = 0; i < tag.size(); ++i)
        block[i] = static_cast<std::uint8_t>(tag[i]);
    block[16] = 0x01;
    block[17] = static_cast<std::uint8_t>(kIdentityBlockLength);
    block[25] = 0x5A;
    return block;
}();

std::vector<std::uint8_t> IdentityBlock(const DriveSpec& drive) {
    std::vector<std::uint8_t> block(kIdentityTemplate.begin(), kIdentityTemplate.end());
    ByteWriter out(block.data(), block.size());
    const std::string_view serial = drive.serial ? std::string_view(*drive.serial) : kDefaultSerial;
    for (std::size_t i = 0; i < kIdentitySerialLength; ++i) {
        out.U8(kIdentitySerialOffset + i,
               static_cast<std::uint8_t>(i < serial.size() ? serial[i] : ' '));
    }
    // Seconds of use, a signed 32-bit count; the scenario gives its two's complement.
    out.Be32(kIdentityUsageOffset, drive.usageSeconds.value_or(0));
    return block;
}

}  // namespace

DriveReply ReadMemory(const DriveSpec& drive, const DriveTraits& traits, ByteView cdb) {
    if (!traits.vendorSet)
        return DriveReply::Fail(sense::kInvalidOpcode);
    if (cdb.Be32(2) != 0)
        return DriveReply::Fail(sense::kInvalidFieldInCdb);
    DriveReply reply;
    reply.answer = IdentityBlock(drive);
    reply.answer.resize(std::min<std::size_t>(reply.answer.size(), cdb.Be16(8)));
    return reply;
}

DriveReply ReadJumper(const DriveSpec& drive, const DriveTraits& traits) {
    if (!traits.vendorSet)
        return DriveReply::Fail(sense::kInvalidOpcode);
    DriveReply reply;
    reply.answer = {drive.jumper.value_or(0), 0x00};
    return reply;
}

}  // namespace tessaly::vpc
