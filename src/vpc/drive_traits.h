// How a drive behaves by its model: the facts of the maker's model table that decide
// which commands, command forms and mode pages the emulated drive answers. A drive
// without a model is a plain reader of another maker.
#pragma once

#include "vpc/scenario.h"

namespace tessaly::vpc {

struct DriveTraits {
    bool maker = false;        // one of the maker's models
    bool recorder = false;     // flag 1: writes CD-R and CD-RW
    bool dvdWriter = false;    // also writes DVD-R
    bool tenByteOnly = false;  // flag 6: answers only the ten-byte MODE SENSE
    bool vendorSet = false;    // flag 7: vendor commands F1h, DEh and mode page 31h
    bool page30 = false;       // keeps its under-run setting in vendor mode page 30h
    bool bcdFullToc = false;   // the SCSI readers: full table of contents in BCD
    bool readsDvd = false;     // DVD models: GET CONFIGURATION, READ DISC STRUCTURE
};

DriveTraits TraitsOf(const DriveSpec& drive);

}  // namespace tessaly::vpc
