// The commands a drive that reads DVD answers beyond the CD ones: GET CONFIGURATION
// (46h), whose feature header names the current profile, and READ DISC STRUCTURE (ADh)
// with the structures that carry a recordable medium's identification. The caller has
// made sure the drive reads DVD; the drive clips every answer to the allocation length.
#pragma once

#include <cstdint>

#include "common/bytes.h"
#include "vpc/drive_reply.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

// The profile of the medium: the disc's own for a DVD or BD, the CD profiles for CD
// media; 0 without a ready medium (disc null).
std::uint16_t CurrentProfileOf(const DiscSpec* disc);

// The feature header (current profile in bytes 6-7) and the profile list feature with
// the current profile.
DriveReply GetConfiguration(const DiscSpec* disc);

// Media type (CDB byte 1 bits 3-0) 0 DVD or 1 BD, format in byte 7: 0Eh pre-recorded
// information of a DVD-R/-RW, 11h ADIP of a DVD+R/+RW, BD format 00h disc information.
// A structure of another medium than the one held fails (05/30/02), a format the medium
// has not (05/24/00).
DriveReply ReadDiscStructure(const DiscSpec& disc, ByteView cdb);

}  // namespace tessaly::vpc
