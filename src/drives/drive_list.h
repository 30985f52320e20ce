// The maker's drives that discovery found, in the order of the main window's drop-down
// items, and the selected one.
#pragma once

#include <cstdint>

namespace tessaly {

inline constexpr int kDriveListCapacity = 32;

struct DriveList {
    std::int32_t adapters[kDriveListCapacity] = {};
    std::int32_t targets[kDriveListCapacity] = {};
    std::int32_t count = 0;
    std::int32_t selected = 0;

    // False, with nothing written, when the table is full.
    bool Add(std::int32_t adapter, std::int32_t target) {
        if (count >= kDriveListCapacity)
            return false;
        adapters[count] = adapter;
        targets[count] = target;
        ++count;
        return true;
    }
    bool IsValid(std::int32_t index) const { return index >= 0 && index < count; }
};

}  // namespace tessaly
