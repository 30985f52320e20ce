// Naming the maker of a recordable disc by its lead-in start time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disc/disc_fields.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Reads the disc's ATIP (or, failing that, its table of contents) with its own commands
// and answers "-" or "<name> (type <n>) " (with the trailing blank).
void LookupDiscManufacturer(ScsiTransport& transport, const DriveAddress& drive, char* out,
                            std::size_t size);

// Writes "<name> (type <n>)" into the manufacturer field for every row whose key
// matches; the last match stays. Writes nothing when no row matches.
void LookupTocManufacturer(int second, int frame, DiscFields& fields);

}  // namespace tessaly
