#include "disc/atip.h"

#include "transport/mmc.h"

namespace tessaly {

namespace {
constexpr int kLowestSpeeds[5] = {1, 2, 4, 0, 0};
constexpr int kHighestSpeeds[5] = {0, 2, 4, 0, 10};
}  // namespace

AtipInfo DecodeAtip(ByteView atip) {
    AtipInfo info;
    info.leadInStart = DiscTime{atip.U8(8), atip.U8(9), atip.U8(10)};
    info.leadOutStart = DiscTime{atip.U8(12), atip.U8(13), atip.U8(14)};
    info.isRewritable = (atip.U8(6) & kAtipRewritable) != 0;
    info.subType = static_cast<std::uint8_t>((atip.U8(6) >> 3) & 3);
    info.a1Valid = (atip.U8(6) & kAtipA1Valid) != 0;
    info.lowSpeedIndex = static_cast<std::uint8_t>(atip.U8(16) >> 4);
    info.highSpeedIndex = static_cast<std::uint8_t>(atip.U8(16) & 0x0F);
    info.highCapacityMark = static_cast<std::uint8_t>(atip.U8(18) & 0x0F);
    info.ultraSpeedCode = static_cast<std::uint8_t>(atip.U8(20) & 0x0F);
    return info;
}

int LowestSpeed(std::uint8_t index) {
    return index < 5 ? kLowestSpeeds[index] : 0;
}

int HighestSpeed(std::uint8_t index) {
    return index < 5 ? kHighestSpeeds[index] : 0;
}

int UltraSpeed(std::uint8_t code) {
    switch (code) {
        case 3:
            return 8;
        case 6:
            return 16;
        case 8:
            return 24;
        case 9:
            return 32;
        case 10:
            return 40;
        case 11:
            return 48;
        default:
            return 0;
    }
}

}  // namespace tessaly
