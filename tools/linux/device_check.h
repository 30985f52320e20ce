// Why a drive device cannot serve the program, told in one line for the user: it does
// not exist, it refuses the user, or it is no SCSI/MMC device (no SG_IO).
#pragma once

#include <string>

#include "platform/linux/system_calls.h"

namespace tessaly::cli {

enum class DeviceState { kUsable, kMissing, kDenied, kNotScsi };

DeviceState CheckDevice(platform::linux_os::SystemCalls& calls, const std::string& path);

// The error line (without the program's name) for a state other than kUsable.
std::string DeviceProblem(DeviceState state, const std::string& path);

}  // namespace tessaly::cli
