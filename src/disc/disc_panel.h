// One refresh of the disc fields for the drive at an address: what kind of disc is
// in it, its lead-in and lead-out start times with their frame counts, and its maker.
#pragma once

#include <cstdint>

#include "disc/disc_fields.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Recorders are read through the ATIP (a drive listed on request by its capabilities
// page), other drives through the table of contents of a multisession disc; a drive that
// reads DVD then names a DVD or BD medium that held no CD. Fields a path does not write
// keep their texts.
void RefreshDiscPanel(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields);

}  // namespace tessaly
