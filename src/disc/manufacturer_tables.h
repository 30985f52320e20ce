// The lead-in times by which makers of recordable CDs are told apart: one table for
// discs whose ATIP the drive reads, one for the lead-in a multisession disc records
// in its table of contents. Names are in the Windows ANSI code page 1252.
#pragma once

#include <cstdint>

namespace tessaly {

// A (second, frame) key; -1 in both where the entry holds none.
struct LeadInKey {
    std::int32_t second;
    std::int32_t frame;
};

// A key that also names the disc's lead-out start as a frame count (0: any lead-out).
struct LeadOutKey {
    std::int32_t second;
    std::int32_t frame;
    std::int32_t leadOutFrames;
};

struct ManufacturerRow {
    char name[100];
    LeadInKey primaryKeys[3];
    LeadInKey secondaryKeys[3];
    LeadOutKey leadOutKeys[3];
};

inline constexpr int kManufacturerRowCount = 74;
extern const ManufacturerRow ManufacturerTable[kManufacturerRowCount];

// The table-of-contents names, as five parallel columns.
inline constexpr int kManufacturerTocRowCount = 33;
struct ManufacturerTocColumns {
    char names[kManufacturerTocRowCount][50];
    std::int32_t firstSeconds[kManufacturerTocRowCount];
    std::int32_t firstFrames[kManufacturerTocRowCount];
    std::int32_t secondSeconds[kManufacturerTocRowCount];
    std::int32_t secondFrames[kManufacturerTocRowCount];
};
extern const ManufacturerTocColumns ManufacturerTocTable;

}  // namespace tessaly
