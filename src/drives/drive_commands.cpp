#include "drives/drive_commands.h"

#include <cstring>

#include "common/bytes.h"
#include "drives/drive_model_table.h"
#include "drives/drive_scope.h"
#include "drives/model_identification.h"
#include "transport/scsi_command.h"
#include "transport/text_match.h"

namespace tessaly {

namespace {

constexpr std::uint8_t kPage30hCorrectionLength = 32;
constexpr std::size_t kPageOffset = kModePageOffset;

void SetBit(ByteWriter& out, ByteView in, std::size_t at, std::uint8_t mask, bool on) {
    const std::uint8_t value = in.U8(at);
    out.U8(at,
           on ? static_cast<std::uint8_t>(value | mask) : static_cast<std::uint8_t>(value & ~mask));
}

// The two under-run bits these models report in vendor page 30h instead.
void CorrectFromPage30h(ScsiTransport& transport, const DriveAddress& drive, std::uint8_t pageCode,
                        std::uint8_t allocationLength, std::uint8_t* answer) {
    // The model is asked after every ten-byte read, whichever page it was.
    if (!HasModelTrait(transport, drive, kUnderrunInPage30h))
        return;
    if (pageCode != mode_page::kWriteParameters && pageCode != mode_page::kCapabilities)
        return;
    std::uint8_t page30[kPage30hCorrectionLength];
    if (ModeSensePage(transport, drive, mode_page::kVendorUnderrun, sizeof page30, page30) != 1) {
        return;
    }
    const ByteView vendor(page30, sizeof page30);
    ByteWriter out(answer, allocationLength);
    const ByteView current(answer, allocationLength);
    if (pageCode == mode_page::kWriteParameters) {
        // Page 05h byte 2 bit 6 (enabled) from page 30h byte 3 bit 0.
        SetBit(out, current, kPageOffset + 2, 0x40, (vendor.U8(kPageOffset + 3) & 1) != 0);
    } else {
        // Page 2Ah byte 4 bit 7 (supported) from page 30h byte 2 bit 0.
        SetBit(out, current, kPageOffset + 4, 0x80, (vendor.U8(kPageOffset + 2) & 1) != 0);
    }
}

// A drive listed on request that is no model of the table: it never gets a vendor
// command, whose meaning is the maker's alone.
bool IsOtherMakersDrive(ScsiTransport& transport, const DriveAddress& drive) {
    return AnyMakerDrives() && !IsSupportedDrive(transport, drive);
}

}  // namespace

std::int32_t TestUnitReady(ScsiTransport& transport, const DriveAddress& drive) {
    const std::uint8_t cdb[6] = {opcode::kTestUnitReady, 0, 0, 0, 0, 0};
    return transport.ExecuteCommand(drive, cdb, nullptr, 0);
}

std::int32_t EjectMedium(ScsiTransport& transport, const DriveAddress& drive) {
    const std::uint8_t cdb[6] = {opcode::kStartStopUnit, 0, 0, 0, kStartStopEject, 0};
    return transport.ExecuteCommand(drive, cdb, nullptr, 0);
}

std::int32_t LoadMedium(ScsiTransport& transport, const DriveAddress& drive) {
    const std::uint8_t cdb[6] = {opcode::kStartStopUnit, 0, 0, 0, kStartStopLoad, 0};
    return transport.ExecuteCommand(drive, cdb, nullptr, 0);
}

std::int32_t ModeSensePage(ScsiTransport& transport, const DriveAddress& drive,
                           std::uint8_t pageCode, std::uint8_t allocationLength,
                           std::uint8_t* answer) {
    if (answer == nullptr)
        allocationLength = 0;
    if (allocationLength > 0)
        std::memset(answer, 0, allocationLength);
    std::uint8_t work[256] = {};
    const bool tenByte = IsTenByteModeModel(transport, drive) ||
                         transport.IsUsbAttached(drive) == 1 ||
                         transport.Is1394Attached(drive) == 1;
    if (!tenByte) {
        const std::uint8_t cdb[6] = {opcode::kModeSense6, 0, pageCode, 0, allocationLength, 0};
        return transport.ExecuteCommand(drive, cdb, answer, allocationLength);
    }

    const std::uint8_t cdb[10] = {opcode::kModeSense10, 0, pageCode, 0, 0, 0, 0, 0,
                                  allocationLength,     0};
    const std::int32_t result = transport.ExecuteCommand(drive, cdb, work, allocationLength);
    // Six-byte header from the ten-byte one: the page follows at offset 12 either way.
    ByteWriter out(answer, allocationLength);
    out.U8(0, static_cast<std::uint8_t>(work[1] + 4));
    out.U8(1, 0);
    out.U8(2, work[2]);
    out.U8(3, 8);
    if (allocationLength > 8)
        out.Fill(8, work + 4, allocationLength - 8u);
    CorrectFromPage30h(transport, drive, pageCode, allocationLength, answer);
    return result;
}

std::int32_t VendorReadMemory(ScsiTransport& transport, const DriveAddress& drive,
                              std::uint32_t address, std::uint16_t transferLength,
                              std::uint8_t* answer) {
    if (IsOtherMakersDrive(transport, drive))
        return 0;
    std::uint8_t cdb[12] = {opcode::kVendorReadMemory};
    ByteWriter fields(cdb, sizeof cdb);
    fields.Be32(2, address);
    fields.Be16(8, transferLength);
    return transport.ExecuteCommand(drive, cdb, answer, transferLength);
}

std::int32_t VendorReadTwoBytes(ScsiTransport& transport, const DriveAddress& drive,
                                std::uint8_t (&answer)[2]) {
    if (IsOtherMakersDrive(transport, drive))
        return 0;
    const std::uint8_t cdb[12] = {opcode::kVendorReadTwoBytes};
    return transport.ExecuteCommand(drive, cdb, answer, sizeof answer);
}

}  // namespace tessaly
