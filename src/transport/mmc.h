// The SCSI and MMC vocabulary the program and the emulated drives share: operation codes,
// status bytes, mode pages, READ TOC/PMA/ATIP formats, sense keys and the additional sense
// codes the program tells apart. Each value is defined here once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaly {

namespace opcode {
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kFormatUnit = 0x04;
inline constexpr std::uint8_t kWrite6 = 0x0A;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kModeSelect6 = 0x15;
inline constexpr std::uint8_t kRelease6 = 0x17;
inline constexpr std::uint8_t kModeSense6 = 0x1A;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kSendDiagnostic = 0x1D;
inline constexpr std::uint8_t kReadCapacity = 0x25;
inline constexpr std::uint8_t kRead10 = 0x28;
inline constexpr std::uint8_t kWrite10 = 0x2A;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadTocPmaAtip = 0x43;
inline constexpr std::uint8_t kReadDiscInformation = 0x51;
inline constexpr std::uint8_t kSendOpcInformation = 0x54;
inline constexpr std::uint8_t kModeSelect10 = 0x55;
inline constexpr std::uint8_t kModeSense10 = 0x5A;
inline constexpr std::uint8_t kSendCueSheet = 0x5D;
inline constexpr std::uint8_t kSendKey = 0xA3;
inline constexpr std::uint8_t kRead12 = 0xA8;
inline constexpr std::uint8_t kWrite12 = 0xAA;
inline constexpr std::uint8_t kSetStreaming = 0xB6;
inline constexpr std::uint8_t kReadCd = 0xBE;
inline constexpr std::uint8_t kSendDvdStructure = 0xBF;
inline constexpr std::uint8_t kVendorD5 = 0xD5;
inline constexpr std::uint8_t kVendorReadTwoBytes = 0xDE;
inline constexpr std::uint8_t kVendorE2 = 0xE2;
inline constexpr std::uint8_t kVendorF0 = 0xF0;
inline constexpr std::uint8_t kVendorReadMemory = 0xF1;
inline constexpr std::uint8_t kVendorFD = 0xFD;
}  // namespace opcode

// SCSI status bytes.
inline constexpr std::uint8_t kScsiStatusGood = 0x00;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

// START STOP UNIT byte 4: LoEj (bit 1) with Start (bit 0) clear ejects, set loads.
inline constexpr std::uint8_t kStartStopEject = 0x02;
inline constexpr std::uint8_t kStartStopLoad = 0x03;

// Mode pages the program reads (MODE SENSE page codes).
namespace mode_page {
inline constexpr std::uint8_t kWriteParameters = 0x05;
inline constexpr std::uint8_t kCapabilities = 0x2A;    // CD/DVD capabilities and status
inline constexpr std::uint8_t kVendorUnderrun = 0x30;  // the maker's under-run protection
inline constexpr std::uint8_t kVendorSpeed = 0x31;     // the maker's read speed index
}  // namespace mode_page

// READ TOC/PMA/ATIP formats.
namespace toc_format {
inline constexpr std::uint8_t kFullToc = 2;
inline constexpr std::uint8_t kAtip = 4;
}  // namespace toc_format

// READ DISC INFORMATION byte 2: bit 4 marks an erasable disc.
inline constexpr std::size_t kDiscInfoStatusByte = 2;
inline constexpr std::uint8_t kDiscInfoErasable = 0x10;

// ATIP byte 6: bit 6 rewritable, bits 5-3 sub-type, bit 2 A1 valid, bit 1 A2 valid.
inline constexpr std::uint8_t kAtipRewritable = 0x40;
inline constexpr std::uint8_t kAtipA1Valid = 0x04;
inline constexpr std::uint8_t kAtipA2Valid = 0x02;

// Full TOC: the POINT of the descriptor that holds the multi-session lead-in start.
inline constexpr std::uint8_t kTocPointLeadInStart = 0xC0;

// Sense keys (fixed-format sense byte 2, low nibble).
namespace sense_key {
inline constexpr std::uint8_t kNoSense = 0x0;
inline constexpr std::uint8_t kNotReady = 0x2;
inline constexpr std::uint8_t kIllegalRequest = 0x5;
}  // namespace sense_key

// Additional sense codes and their qualifiers.
namespace asc {
inline constexpr std::uint8_t kNotReady = 0x04;
inline constexpr std::uint8_t kBecomingReadyQualifier = 0x01;
inline constexpr std::uint8_t kInvalidOpcode = 0x20;
inline constexpr std::uint8_t kInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kMediumNotPresent = 0x3A;
inline constexpr std::uint8_t kTrayClosedQualifier = 0x01;
inline constexpr std::uint8_t kTrayOpenQualifier = 0x02;
}  // namespace asc

}  // namespace tessaly
