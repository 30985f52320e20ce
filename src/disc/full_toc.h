// Reading the full table of contents (READ TOC/PMA/ATIP format 2) as BCD:
//   0-1  data length (bytes after these two)   2  first session   3  last session
//   4 + 11 i: descriptor i: [0] session [1] ADR/control [2] TNO [3] POINT
//             [4-6] M S F [7] zero [8-10] PMIN PSEC PFRAME
#pragma once

#include <cstddef>

#include "common/bytes.h"
#include "disc/disc_time.h"
#include "transport/mmc.h"

namespace tessaly {

// The number of descriptors the length field announces that lie within the answer.
std::size_t FullTocDescriptorCount(ByteView toc);

// The lead-in start of the last POINT C0h descriptor, in plain numbers (the answer
// holds BCD); false when there is none.
bool FullTocLeadIn(ByteView toc, DiscTime& leadIn);

}  // namespace tessaly
