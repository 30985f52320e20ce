// The drive's current read speed as a text, and whether it can write discs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "transport/scsi_transport.h"

namespace tessaly {

// The model's speed text that holds the current speed ("14-32X CAV"), the formed
// "%dX" text, or "maximum"; for a drive not in the table "%d X" or "maximum".
void ReadSpeedText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                   std::size_t size);
// A blank before the first capital X: "14-32X CAV" -> "14-32 X CAV". "maximum" and
// texts without an X stay as they are.
void SeparateSpeedUnit(char* text, std::size_t size);
void ReportReadSpeedText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                         std::size_t size);
bool CanWriteDiscs(ScsiTransport& transport, const DriveAddress& drive);

}  // namespace tessaly
