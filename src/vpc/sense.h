// Sense data of the emulated drives: a key/ASC/ASCQ value with named constants
// and the 18-byte fixed-format block a drive hands out for it.
#pragma once

#include <array>
#include <cstdint>

#include "transport/mmc.h"

namespace tessaly::vpc {

struct SenseCode {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;

    friend bool operator==(const SenseCode&, const SenseCode&) = default;
};

namespace sense {
inline constexpr SenseCode kNoSense{sense_key::kNoSense, 0x00, 0x00};
inline constexpr SenseCode kBecomingReady{sense_key::kNotReady, asc::kNotReady,
                                          asc::kBecomingReadyQualifier};
inline constexpr SenseCode kNoMediumTrayClosed{sense_key::kNotReady, asc::kMediumNotPresent,
                                               asc::kTrayClosedQualifier};
inline constexpr SenseCode kNoMediumTrayOpen{sense_key::kNotReady, asc::kMediumNotPresent,
                                             asc::kTrayOpenQualifier};
inline constexpr SenseCode kInvalidOpcode{sense_key::kIllegalRequest, asc::kInvalidOpcode, 0x00};
inline constexpr SenseCode kInvalidFieldInCdb{sense_key::kIllegalRequest, asc::kInvalidFieldInCdb,
                                              0x00};
}  // namespace sense

inline constexpr std::size_t kFixedSenseLength = 18;
using SenseBlock = std::array<std::uint8_t, kFixedSenseLength>;

// Fixed format, current error:
//   [0]  70h response code
//   [2]  sense key (low nibble)
//   [7]  additional sense length (10: bytes 8..17 follow)
//   [12] additional sense code, [13] its qualifier
constexpr SenseBlock MakeSenseBlock(SenseCode code) {
    SenseBlock block{};
    block[0] = 0x70;
    block[2] = static_cast<std::uint8_t>(code.key & 0x0F);
    block[7] = 10;
    block[12] = code.asc;
    block[13] = code.ascq;
    return block;
}

}  // namespace tessaly::vpc
