// The ATIP of a recordable CD (READ TOC/PMA/ATIP format 4), as the program reads it:
//   6      bit 6 rewritable; bits 5-3 sub-type, of which bits 4-3 are used; bit 2 A1 valid
//   8-10   start of the lead-in M S F        12-14  last start of the lead-out M S F
//   16     A1 byte 0: lowest (high nibble) and highest (low nibble) speed index
//   18     A1 byte 2: low nibble non-zero on a high-capacity CD-R
//   20     A2 byte 0: low nibble the ultra-speed class
#pragma once

#include <cstdint>

#include "common/bytes.h"
#include "disc/disc_time.h"

namespace tessaly {

struct AtipInfo {
    DiscTime leadInStart;
    DiscTime leadOutStart;
    bool isRewritable = false;
    std::uint8_t subType = 0;
    bool a1Valid = false;
    std::uint8_t lowSpeedIndex = 0;
    std::uint8_t highSpeedIndex = 0;
    std::uint8_t highCapacityMark = 0;
    std::uint8_t ultraSpeedCode = 0;
};

AtipInfo DecodeAtip(ByteView atip);

// The lead-in of a recordable disc starts in minute 97; its second and frame name the
// disc's manufacturer.
inline constexpr int kRecordableLeadInMinute = 97;

// A high-capacity CD-R as the ATIP read and the manufacturer lookup tell it: a CD-R whose
// valid A1 carries the high-capacity mark.
constexpr bool IsHighCapacityCdR(const AtipInfo& atip) {
    return !atip.isRewritable && atip.a1Valid && atip.highCapacityMark != 0;
}
// The disc panel's test, which does not look at the A1-valid bit.
constexpr bool HasHighCapacityMark(const AtipInfo& atip) {
    return !atip.isRewritable && atip.highCapacityMark != 0;
}

// Speeds as multiples of the base CD speed; 0 where the index or code names none
// (the indexes run to 15, the tables to 4).
int LowestSpeed(std::uint8_t index);
int HighestSpeed(std::uint8_t index);
int UltraSpeed(std::uint8_t code);

}  // namespace tessaly
