// The maker's vendor commands as the emulated drive answers them: READ MEMORY (F1h),
// which hands out the drive's identity block with its serial number and usage
// counter, and DEh, which reports the jumper setting. Only the models with the
// vendor command set know them.
#pragma once

#include <cstddef>

#include "common/bytes.h"
#include "vpc/drive_reply.h"
#include "vpc/drive_traits.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

inline constexpr std::size_t kIdentityBlockLength = 128;
inline constexpr std::size_t kIdentitySerialOffset = 26;
inline constexpr std::size_t kIdentitySerialLength = 5;
inline constexpr std::size_t kIdentityUsageOffset = 122;

// F1h: CDB bytes 2-5 the address (only 0, the identity block, is readable), bytes 8-9
// the transfer length; the answer is at most that long.
DriveReply ReadMemory(const DriveSpec& drive, const DriveTraits& traits, ByteView cdb);

// DEh: two bytes, the jumper setting and 0.
DriveReply ReadJumper(const DriveSpec& drive, const DriveTraits& traits);

}  // namespace tessaly::vpc
