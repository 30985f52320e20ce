#include "vpc/drive_mode_pages.h"

#include <optional>
#include <vector>

#include "common/bytes.h"

namespace tessaly::vpc {
namespace {

using Page = std::vector<std::uint8_t>;

constexpr std::uint8_t kBlockDescriptorLength = 8;
constexpr std::uint32_t kBlockLength = 2048;
constexpr std::uint16_t kDefaultReadSpeedKbs = kMaxReadSpeedKbs;

// A page of the given code whose page length byte says length (length + 2 bytes).
Page EmptyPage(std::uint8_t code, std::uint8_t length) {
    Page page(std::size_t{length} + 2, 0);
    page[0] = code;
    page[1] = length;
    return page;
}

UnderrunSpec Underrun(const DriveSpec& drive) {
    return drive.underrun.value_or(UnderrunSpec{});
}

// Write parameters page (05h), 52 bytes:
//   [2] bit 6 under-run protection enabled, bits 3-0 write type 1 (track at once)
//   [3] track mode 4 (data, recorded uninterrupted)
//   [4] data block type 8 (mode 1, 2048 bytes)
//   [14-15] audio pause length 150 blocks
// The page-30h models keep the under-run setting out of this page.
Page WriteParameters(const DriveSpec& drive, const DriveTraits& traits) {
    Page page = EmptyPage(mode_page::kWriteParameters, 0x32);
    ByteWriter out(page.data(), page.size());
    const bool enabled = !traits.page30 && Underrun(drive).enabled;
    out.U8(2, static_cast<std::uint8_t>((enabled ? 0x40 : 0x00) | 0x01));
    out.U8(3, 0x04);
    out.U8(4, 0x08);
    out.Be16(14, 150);
    return page;
}

// Capabilities and mechanical status page (2Ah), 22 bytes:
//   [2]     reads CD-R (bit 0) and CD-RW (bit 1); DVD-ROM, DVD-R, DVD-RAM (bits 3-5)
//           on a drive that reads DVD
//   [3]     writes CD-R (bit 0), CD-RW (bit 1), DVD-R (bit 4)
//   [4]     bit 7 under-run protection supported
//   [6]     tray loader (bits 7-5 = 001b), eject (bit 3), lock (bit 0)
//   [8-9]   maximum read speed, kB/s
//   [10-11] volume levels
//   [12-13] buffer size, kB
//   [14-15] current read speed, kB/s
//   [18-19] maximum write speed, kB/s (recorders)
Page Capabilities(const DriveSpec& drive, const DriveTraits& traits) {
    Page page = EmptyPage(mode_page::kCapabilities, 0x14);
    ByteWriter out(page.data(), page.size());
    out.U8(2, traits.readsDvd ? 0x3B : 0x03);
    std::uint8_t writes = 0;
    if (traits.recorder)
        writes |= 0x03;
    if (traits.dvdWriter)
        writes |= 0x10;
    out.U8(3, writes);
    const bool supported = !traits.page30 && Underrun(drive).supported;
    out.U8(4, supported ? 0x80 : 0x00);
    out.U8(6, 0x29);
    out.Be16(8, kMaxReadSpeedKbs);
    out.Be16(10, 256);
    out.Be16(12, traits.recorder ? 2048 : 256);
    out.Be16(14, drive.readSpeedKbs.value_or(kDefaultReadSpeedKbs));
    if (traits.recorder)
        out.Be16(18, kMaxReadSpeedKbs);
    return page;
}

// Vendor under-run page (30h), 16 bytes: [2] bit 0 supported, [3] bit 0 enabled.
Page VendorUnderrun(const DriveSpec& drive) {
    Page page = EmptyPage(mode_page::kVendorUnderrun, 0x0E);
    const UnderrunSpec underrun = Underrun(drive);
    page[2] = underrun.supported ? 0x01 : 0x00;
    page[3] = underrun.enabled ? 0x01 : 0x00;
    return page;
}

// Vendor speed page (31h), 8 bytes: [2] index of the selected read speed.
Page VendorSpeed(const DriveSpec& drive) {
    Page page = EmptyPage(mode_page::kVendorSpeed, 0x06);
    page[2] = drive.speedIndex.value_or(0);
    return page;
}

std::optional<Page> PageOf(const DriveSpec& drive, const DriveTraits& traits,
                           std::uint8_t pageCode) {
    switch (pageCode) {
        case mode_page::kWriteParameters:
            if (traits.recorder)
                return WriteParameters(drive, traits);
            break;
        case mode_page::kCapabilities:
            return Capabilities(drive, traits);
        case mode_page::kVendorUnderrun:
            if (traits.page30)
                return VendorUnderrun(drive);
            break;
        case mode_page::kVendorSpeed:
            if (traits.vendorSet)
                return VendorSpeed(drive);
            break;
        default:
            break;
    }
    return std::nullopt;
}

// Six-byte header:  [0] mode data length (bytes after it), [1] medium type,
//                   [2] device-specific, [3] block descriptor length (8), then one
//                   block descriptor: [0] density code, [1-3] number of blocks,
//                   [4] reserved, [5-7] block length.
// Ten-byte header:  [0-1] mode data length, [2] medium type, [3] device-specific,
//                   [4-5] reserved, [6-7] block descriptor length: 0, as MMC drives
//                   answer the ten-byte form, so the page follows at offset 8.
std::vector<std::uint8_t> WithHeader(ModeSenseForm form, const Page& page) {
    const bool sixByte = form == ModeSenseForm::kSixByte;
    const std::size_t headerLength = sixByte ? 4 : 8;
    const std::size_t descriptorLength = sixByte ? kBlockDescriptorLength : 0;
    std::vector<std::uint8_t> answer(headerLength + descriptorLength + page.size(), 0);
    ByteWriter out(answer.data(), answer.size());
    if (sixByte) {
        out.U8(0, static_cast<std::uint8_t>(answer.size() - 1));
        out.U8(3, kBlockDescriptorLength);
        out.U8(headerLength + 5, static_cast<std::uint8_t>(kBlockLength >> 16));
        out.Be16(headerLength + 6, static_cast<std::uint16_t>(kBlockLength));
    } else {
        out.Be16(0, static_cast<std::uint16_t>(answer.size() - 2));
    }
    out.Fill(headerLength + descriptorLength, page.data(), page.size());
    return answer;
}

}  // namespace

DriveReply ModeSense(const DriveSpec& drive, const DriveTraits& traits, ModeSenseForm form,
                     std::uint8_t pageCode) {
    if (form == ModeSenseForm::kSixByte && traits.tenByteOnly)
        return DriveReply::Fail(sense::kInvalidOpcode);
    const std::optional<Page> page = PageOf(drive, traits, pageCode);
    if (!page)
        return DriveReply::Fail(sense::kInvalidFieldInCdb);
    DriveReply reply;
    reply.answer = WithHeader(form, *page);
    return reply;
}

}  // namespace tessaly::vpc
