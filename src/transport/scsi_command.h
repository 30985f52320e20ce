// Facts about a command descriptor block that both backends derive from its
// operation code: how many bytes it has and which way its data flows.
#pragma once

#include <array>
#include <cstdint>

#include "transport/mmc.h"

namespace tessaly {

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
