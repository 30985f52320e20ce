// The disc fields of a DVD or BD medium: what the disc panel shows when its CD reading
// finds no CD in a drive that reads DVD.
#pragma once

#include <cstdint>

#include "disc/disc_fields.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Whether a failed CD read leaves room for another medium: not an empty tray, a disc
// still spinning up or a drive device that did not open, whose texts stand.
bool CdReadRefusedMedium(const ScsiTransport& transport, const DriveAddress& drive);

// Whether the drive reads DVD media: the table's DVD models by their identity alone
// (no command); a drive outside the table, listed on request only, by its capabilities
// page (2Ah byte 2 bits 3-5: reads DVD-ROM, DVD-R, DVD-RAM).
bool ReadsDvdMedia(ScsiTransport& transport, const DriveAddress& drive,
                   const InquiryIdentity& identity);

// Asks the drive for its current profile and, for a DVD or BD medium, fills the fields:
// "<kind> inserted", the media ID with its maker where the table names one, the last
// addressable sector as the lead-out, "-" for the lead-in. Answers false, with nothing
// written, when the medium is no DVD or BD or the drive does not say.
bool RefreshFromDvdOrBd(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields);

// GET CONFIGURATION, the feature header only (8 bytes).
std::int32_t GetConfigurationHeader(ScsiTransport& transport, const DriveAddress& drive,
                                    std::uint8_t (&answer)[8]);
// READ DISC STRUCTURE (READ DVD STRUCTURE) of a media type (0 DVD, 1 BD) and format.
std::int32_t ReadDiscStructure(ScsiTransport& transport, const DriveAddress& drive,
                               std::uint8_t mediaType, std::uint8_t format, std::uint16_t length,
                               std::uint8_t* answer);

}  // namespace tessaly
