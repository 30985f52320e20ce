// Facts about a command descriptor block that both backends derive from its
// operation code: how many bytes it has and which way its data flows.
#pragma once

#include <array>
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

// Below 20h six bytes, up to 5Fh ten bytes, everything above (80h-9Fh included) twelve.
constexpr std::uint8_t CdbLength(std::uint8_t operationCode) {
    if (operationCode < 0x20)
        return 6;
    if (operationCode < 0x60)
        return 10;
    return 12;
}

// One entry per operation code; 1 marks the commands that send data to the device.
inline constexpr std::array<std::uint8_t, 256> DataOutOpcodeTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::uint8_t op :
         {opcode::kFormatUnit, opcode::kWrite6, opcode::kModeSelect6, opcode::kSendDiagnostic,
          opcode::kWrite10, opcode::kWriteBuffer, opcode::kSendOpcInformation,
          opcode::kModeSelect10, opcode::kSendCueSheet, opcode::kSendKey, opcode::kWrite12,
          opcode::kSetStreaming, opcode::kSendDvdStructure, opcode::kVendorD5, opcode::kVendorE2,
          opcode::kVendorF0, opcode::kVendorFD}) {
        table[op] = 1;
    }
    return table;
}();

constexpr bool IsDataOut(std::uint8_t operationCode) {
    return DataOutOpcodeTable[operationCode] == 1;
}

}  // namespace tessaly
