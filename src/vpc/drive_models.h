// The maker's 42 models as the emulator sees them: product key, name, the seven
// flags of the model table and how the model is built to be attached. The
// emulator uses it to accept a scenario's "model" and to give the drive its
// identity and behaviour.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tessaly::vpc {

enum class ModelAttach { kScsi, kAtapi, kUsb, kUsbOr1394 };

struct DriveModel {
    std::string_view key;    // INQUIRY product identification, without the blank padding
    std::string_view name;   // display name
    std::string_view flags;  // seven '0'/'1' characters, flag 1 first
    ModelAttach attach;

    // Flag n (1..7) of the model table: 1 recorder, 4 under-run protection,
    // 5 C2 pointers, 6 ten-byte forms, 7 vendor command set.
    bool Flag(int n) const {
        return n >= 1 && static_cast<std::size_t>(n) <= flags.size() && flags[n - 1] == '1';
    }
};

inline constexpr std::size_t kDriveModelCount = 42;

// All rows in table order.
std::span<const DriveModel> DriveModels();

// The row whose key is exactly key (trailing blanks ignored), or nullptr.
const DriveModel* FindDriveModel(std::string_view key);

}  // namespace tessaly::vpc
