// The maker's drives that discovery found, in the order of the main window's drop-down
// items, and the selected one.
#pragma once

#include <cstdint>

#include "transport/drive_address.h"

namespace tessaly {

inline constexpr int kDriveListCapacity = 32;

struct DriveList {
    DriveAddress addresses[kDriveListCapacity] = {};
    std::int32_t count = 0;
    std::int32_t selected = 0;

    // False, with nothing written, when the table is full.
    bool Add(const DriveAddress& address) {
        if (count >= kDriveListCapacity)
            return false;
        addresses[count] = address;
        ++count;
        return true;
    }
    bool IsValid(std::int32_t index) const { return index >= 0 && index < count; }
};

}  // namespace tessaly
