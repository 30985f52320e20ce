// MODE SENSE answers of the emulated drive: the six- or ten-byte mode parameter
// header, one block descriptor of 2048-byte blocks, and the requested page built
// from the drive's settings. A model answers only the forms and pages it has.
#pragma once

#include <cstdint>

#include "transport/mmc.h"

#include "vpc/drive_reply.h"
#include "vpc/drive_traits.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

enum class ModeSenseForm { kSixByte, kTenByte };

inline constexpr std::uint16_t kMaxReadSpeedKbs = 7056;  // 40 x 176.4 kB/s

// pageCode: CDB byte 2 bits 5-0 (the page-control bits already removed).
DriveReply ModeSense(const DriveSpec& drive, const DriveTraits& traits, ModeSenseForm form,
                     std::uint8_t pageCode);

}  // namespace tessaly::vpc
