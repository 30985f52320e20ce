// Start-up discovery steps: external USB and IEEE 1394 drives, the Windows 9x
// device scan, adapter classification and the port driver name. They rest on
// registry reads that this build does not make yet, so each one finds nothing
// and leaves its defaults: no external device, no 9x device, kind SCSI, "Unknown".
#include <cstring>

#include "transport/scsi_transport.h"

namespace tessaly {

bool ScsiTransport::DiscoverExternalDevices(int /*portCount*/) {
    return false;
}

void ScsiTransport::ScanWin9xDevices() {}

int ScsiTransport::DetectInterfaceKind(std::uint8_t /*adapter*/) {
    return kInterfaceScsi;
}

void ScsiTransport::PortDriverName(int /*port*/, char* buffer, std::size_t size) {
    if (size == 0)
        return;
    std::strncpy(buffer, "Unknown", size - 1);
    buffer[size - 1] = '\0';
}

}  // namespace tessaly
