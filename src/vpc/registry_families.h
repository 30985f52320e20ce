// The registry each Windows family builds for a scenario's adapters, devices and
// external drives (before the scenario's raw additions and removals).
#pragma once

#include "vpc/scenario.h"
#include "vpc/virtual_registry.h"

namespace tessaly::vpc::registry {

// Windows 9x: the Config Manager's list of devices present (HKEY_DYN_DATA), each
// device's key under Enum\SCSI, the USB bridges, and the device-class keys of the
// adapters' port drivers.
void BuildWin9x(const Scenario& scenario, VirtualRegistry& registry);

// Windows NT 4 to 11: the SCSI device map, the mounted devices with the device
// paths of the CD-ROM letters, the devices' Enum keys, and on NT 5 and later the IDE
// channels of the IDE driver's adapters.
void BuildNt(const Scenario& scenario, VirtualRegistry& registry);

}  // namespace tessaly::vpc::registry
