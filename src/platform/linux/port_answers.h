// The answers of a SCSI port device (\\.\SCSIn:) built from sysfs: the inquiry data of
// every device on the host (IOCTL_SCSI_GET_INQUIRY_DATA) and the adapter descriptor
// (IOCTL_STORAGE_QUERY_PROPERTY).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/linux/sysfs.h"

namespace tessaly::platform::linux_os {

// SCSI_ADAPTER_BUS_INFO of host: one bus per channel up to the highest in use (one at
// least), each with its devices' SCSI_INQUIRY_DATA (36 INQUIRY bytes at most). A device
// the answer cannot hold (channel 8 or more, target or LUN above 255, more than 255 units
// on a bus) is left out and counted in leftOut when given.
std::vector<std::uint8_t> BuildPortInquiryData(const SysfsSnapshot& sysfs, int host,
                                               int* leftOut = nullptr);

// STORAGE_ADAPTER_DESCRIPTOR (32 bytes) with the host driver's bus type.
std::vector<std::uint8_t> BuildAdapterDescriptor(std::uint8_t busType);

}  // namespace tessaly::platform::linux_os
