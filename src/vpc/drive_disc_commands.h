// The disc read commands of the emulated drive, answered from the scenario's disc:
// READ DISC INFORMATION (51h), READ TOC/PMA/ATIP (43h) in its ATIP (4) and full
// table of contents (2) formats, and READ CAPACITY (25h). The caller has made sure
// that the medium is ready; the drive clips every answer to the allocation length
// and the data buffer.
#pragma once

#include <cstdint>

#include "common/bytes.h"
#include "transport/mmc.h"
#include "vpc/drive_reply.h"
#include "vpc/drive_traits.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

inline constexpr std::size_t kDiscInformationLength = 34;
inline constexpr std::size_t kAtipLength = 28;
inline constexpr std::size_t kTocHeaderLength = 4;
inline constexpr std::size_t kTocDescriptorLength = 11;
inline constexpr std::size_t kCapacityLength = 8;
inline constexpr std::uint32_t kDiscBlockLength = 2048;

// The READ TOC/PMA/ATIP format: CDB byte 2 bits 3-0 when they are not 0, else
// CDB byte 9 bits 7-6, where older drives take it.
std::uint8_t TocFormatOf(ByteView cdb);

DriveReply ReadDiscInformation(const DiscSpec& disc);

// Format 4 of a recordable disc, format 2 of a disc with sessions; any other
// format, or a disc without that data, ends in ILLEGAL REQUEST / invalid field.
// CDB byte 6 of format 2 is the first session to report (0 as 1).
DriveReply ReadTocPmaAtip(const DiscSpec& disc, const DriveTraits& traits, ByteView cdb);

DriveReply ReadCapacity(const DiscSpec& disc);

}  // namespace tessaly::vpc
