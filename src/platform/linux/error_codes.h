// Linux errno values as the Windows error codes the core understands, mapped the way
// Wine maps them for device calls (EIO reads as "device not ready").
#pragma once

#include <cstdint>

namespace tessaly::platform::linux_os {

inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorNotReady = 21;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorSemTimeout = 121;
inline constexpr std::uint32_t kErrorModNotFound = 126;
inline constexpr std::uint32_t kErrorBusy = 170;

// errno (positive) to a Windows error code.
std::uint32_t WindowsErrorOf(int error);

}  // namespace tessaly::platform::linux_os
