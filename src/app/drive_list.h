// The main window's table of listed drives: the address of each drop-down item, in
// the order of the items, the selected item and the poll timer.
#pragma once

#include <cstdint>

namespace tessaly::app {

inline constexpr int kDriveListCapacity = 32;

struct DriveList {
    std::int32_t adapters[kDriveListCapacity] = {};
    std::int32_t targets[kDriveListCapacity] = {};
    std::int32_t count = 0;
    std::int32_t selected = 0;
    std::uintptr_t pollTimer = 0;  // what SetTimer returned; 0 when no timer runs

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

}  // namespace tessaly::app
