// What a SCSI port device answers about itself: the inquiry data of its bus scan
// (IOCTL_SCSI_GET_INQUIRY_DATA) and its storage adapter descriptor
// (IOCTL_STORAGE_QUERY_PROPERTY).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "vpc/emulated_drive.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

struct PortDevice {
    std::uint8_t bus = 0;
    std::uint8_t target = 0;
    std::array<std::uint8_t, kStandardInquiryLength> inquiry{};
};

// SCSI_ADAPTER_BUS_INFO as the port driver lays it out:
//   [0]        NumberOfBuses (1 + the highest bus with a device, at least 1)
//   [4 + 8*b]  SCSI_BUS_DATA of bus b: NumberOfLogicalUnits, InitiatorBusId, 2 pad
//              bytes, InquiryDataOffset (0 when the bus has no device)
//   then the SCSI_INQUIRY_DATA entries, each 8-byte aligned, bus by bus in target
//   order: PathId, TargetId, Lun, DeviceClaimed, InquiryDataLength (4 bytes),
//   NextInquiryDataOffset (4 bytes, 0 ends the bus's chain), InquiryData[36]
std::vector<std::uint8_t> BuildPortInquiryData(std::uint8_t initiatorId,
                                               std::vector<PortDevice> devices);

inline constexpr std::size_t kAdapterDescriptorSize = 32;

// STORAGE_ADAPTER_DESCRIPTOR:
//   [0] Version 32, [4] Size 32, [8] MaximumTransferLength, [12] MaximumPhysicalPages,
//   [16] AlignmentMask, [20] AdapterUsesPio, [21] AdapterScansDown,
//   [22] CommandQueueing, [23] AcceleratedTransfer, [24] BusType,
//   [26] BusMajorVersion, [28] BusMinorVersion
std::array<std::uint8_t, kAdapterDescriptorSize> BuildAdapterDescriptor(
    BusKind bus, std::uint32_t alignmentMask);

// The AlignmentMask an adapter reports: the scenario's, else word alignment.
std::uint32_t ReportedAlignmentMask(const AdapterSpec& adapter);

// STORAGE_BUS_TYPE of an adapter: BusTypeScsi 1, BusTypeAtapi 2, BusType1394 4, BusTypeUsb 7.
std::uint8_t StorageBusType(BusKind bus);

}  // namespace tessaly::vpc
