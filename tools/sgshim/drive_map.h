// The emulated drives that stand behind Linux device files: every scenario device that
// Windows gave a drive letter, with the SCSI address the Linux SCSI layer reports for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vpc/scenario.h"

namespace tessaly::sgshim {

struct MappedDrive {
    char letter = 0;           // 'A'..'Z'
    std::uint8_t adapter = 0;  // the scenario's adapter index
    std::uint8_t bus = 0;      // path id on the adapter
    std::uint8_t target = 0;
    vpc::DriveSpec drive;
};

// Adapter devices with a letter, in adapter and device order. Drives reached only by
// letter through USB or 1394 have no SCSI address and stay out.
std::vector<MappedDrive> MapLetterDrives(const vpc::Scenario& scenario);

// The Linux SCSI address (host, channel, id, LUN) that makes Wine report the drive at the
// scenario's Windows address. Wine 8 reports a SCSI device of channel c on host h as port
// c + 2, path id h (IOCTL_SCSI_GET_ADDRESS; the same in the port's inquiry data, whose
// initiator field holds the port number), each one byte wide: so the channel is the
// adapter less two and the host is the bus. A drive on bus 1 of adapter 0 (a SATA port's
// own bus under Windows' AHCI driver) thus stands at host 1, channel 254, and Wine reports
// port 0, path id 1; its port's inquiry data still has one bus, whose unit has path id 1.
struct LinuxScsiAddress {
    std::uint8_t host = 0;
    std::uint8_t channel = 0;
    std::uint8_t id = 0;
    std::uint8_t lun = 0;
};
LinuxScsiAddress LinuxAddressOf(const MappedDrive& drive);

// The first word of the SCSI_IOCTL_GET_IDLUN answer: id in bits 0-7, LUN in 8-15,
// channel in 16-23, host in 24-31.
std::uint32_t IdLunWord(const LinuxScsiAddress& address);

// The file name of a drive's backing file in the device directory: the letter in lower
// case, as Wine names its dosdevices entries.
std::string BackingFileName(char letter);

}  // namespace tessaly::sgshim
