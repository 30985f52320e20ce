#include "platform/linux/port_answers.h"

#include <algorithm>

#include "common/bytes.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::platform::linux_os {

namespace {

constexpr std::size_t kInquiryLength = 36;
constexpr int kMaxChannels = 8;
constexpr int kMaxUnitNumber = 0xFF;  // target ids and LUNs are bytes
constexpr std::uint8_t kMaxUnitsPerBus = 0xFF;
constexpr std::uint8_t kDefaultInitiatorId = 7;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kDescriptorBusType = 24;

}  // namespace

std::vector<std::uint8_t> BuildPortInquiryData(const SysfsSnapshot& sysfs, int host, int* leftOut) {
    const SysfsHost* adapter = sysfs.Host(host);
    const std::uint8_t initiator = adapter != nullptr && adapter->ownId >= 0 && adapter->ownId < 16
                                       ? static_cast<std::uint8_t>(adapter->ownId)
                                       : kDefaultInitiatorId;
    int buses = 1;
    int left = 0;
    for (const SysfsDevice& device : sysfs.devices) {
        if (device.host != host)
            continue;
        if (device.channel < kMaxChannels && device.id <= kMaxUnitNumber &&
            device.lun <= kMaxUnitNumber) {
            buses = std::max(buses, device.channel + 1);
        } else {
            ++left;
        }
    }
    const std::size_t header = nt::kAdapterBusInfoBusData + buses * nt::kBusDataSize;
    std::vector<std::uint8_t> data(header, 0);
    data[nt::kAdapterBusInfoNumberOfBuses] = static_cast<std::uint8_t>(buses);
    for (int bus = 0; bus < buses; ++bus) {
        const std::size_t busAt = nt::kAdapterBusInfoBusData + bus * nt::kBusDataSize;
        data[busAt + nt::kBusDataInitiatorBusId] = initiator;
        std::size_t previous = 0;  // the previous unit's entry, whose next offset is set
        std::uint8_t units = 0;
        for (const SysfsDevice& device : sysfs.devices) {
            if (device.host != host || device.channel != bus || device.id > kMaxUnitNumber ||
                device.lun > kMaxUnitNumber) {
                continue;
            }
            if (units == kMaxUnitsPerBus) {
                ++left;
                continue;
            }
            const std::size_t at = data.size();
            const std::size_t length = std::min(device.inquiry.size(), kInquiryLength);
            data.resize(at + nt::kInquiryDataInquiryData + kInquiryLength, 0);
            ByteWriter entry(data.data() + at, data.size() - at);
            entry.U8(nt::kInquiryDataPathId, static_cast<std::uint8_t>(bus));
            entry.U8(nt::kInquiryDataTargetId, static_cast<std::uint8_t>(device.id));
            entry.U8(nt::kInquiryDataLun, static_cast<std::uint8_t>(device.lun));
            entry.U8(nt::kInquiryDataDeviceClaimed, 1);
            entry.Le32(nt::kInquiryDataInquiryDataLength, static_cast<std::uint32_t>(length));
            std::copy_n(
                device.inquiry.begin(), length,
                data.begin() + static_cast<std::ptrdiff_t>(at + nt::kInquiryDataInquiryData));
            if (units == 0) {
                ByteWriter(data.data(), data.size())
                    .Le32(busAt + nt::kBusDataInquiryDataOffset, static_cast<std::uint32_t>(at));
            } else {
                ByteWriter(data.data(), data.size())
                    .Le32(previous + nt::kInquiryDataNextInquiryDataOffset,
                          static_cast<std::uint32_t>(at));
            }
            previous = at;
            ++units;
        }
        data[busAt + nt::kBusDataNumberOfLogicalUnits] = units;
    }
    if (leftOut != nullptr)
        *leftOut = left;
    return data;
}

std::vector<std::uint8_t> BuildAdapterDescriptor(std::uint8_t busType) {
    std::vector<std::uint8_t> descriptor(kDescriptorSize, 0);
    ByteWriter writer(descriptor.data(), descriptor.size());
    writer.Le32(0, kDescriptorSize);  // Version
    writer.Le32(4, kDescriptorSize);  // Size
    writer.U8(kDescriptorBusType, busType);
    return descriptor;
}

}  // namespace tessaly::platform::linux_os
