// The transport's facts per drive address that both back ends and discovery read and
// write: the sense bytes of the last failed command, and each address's drive letter and
// handle slot. Addresses outside a table are neither read nor written.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace tessaly {

inline constexpr int kTargetsPerAdapter = 16;
inline constexpr int kSenseTableAdapters = 8;    // 128-entry tables: sense, USB, IEEE 1394
inline constexpr int kLetterTableAdapters = 16;  // 256-entry tables: drive letter, handle slot
inline constexpr std::size_t kStoredSenseLength = 14;

using SenseBytes = std::array<std::uint8_t, kStoredSenseLength>;

struct AddressTables {
    // Index into the 128-entry tables, or -1 when the address lies outside them.
    static int SenseIndex(std::uint8_t adapter, std::uint8_t target) {
        if (adapter >= kSenseTableAdapters || target >= kTargetsPerAdapter)
            return -1;
        return adapter * kTargetsPerAdapter + target;
    }
    // Index into the 256-entry tables, or -1 when the address lies outside them.
    static int LetterIndex(std::uint8_t adapter, std::uint8_t target) {
        if (adapter >= kLetterTableAdapters || target >= kTargetsPerAdapter)
            return -1;
        return adapter * kTargetsPerAdapter + target;
    }

    // Keeps the first 14 sense bytes of a failed command.
    void StoreSense(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* sense) {
        const int index = SenseIndex(adapter, target);
        if (index >= 0)
            std::memcpy(lastSense[index].data(), sense, kStoredSenseLength);
    }

    std::array<std::array<std::uint8_t, 16>, kSenseTableAdapters * kTargetsPerAdapter> lastSense{};
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> driveLetter{};
    std::array<std::int32_t, kLetterTableAdapters * kTargetsPerAdapter> handleSlot{};
};

}  // namespace tessaly
