#include "vpc/port_data.h"

#include <algorithm>

#include "common/bytes.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::vpc {
namespace {

constexpr std::size_t kEntrySize = nt::kInquiryDataInquiryData + kStandardInquiryLength;

constexpr std::size_t AlignUp8(std::size_t value) {
    return (value + 7) & ~std::size_t{7};
}

}  // namespace

std::vector<std::uint8_t> BuildPortInquiryData(std::uint8_t initiatorId,
                                               std::vector<PortDevice> devices) {
    std::sort(devices.begin(), devices.end(), [](const PortDevice& a, const PortDevice& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.target < b.target;
    });
    std::size_t buses = 1;
    for (const PortDevice& device : devices)
        buses = std::max<std::size_t>(buses, device.bus + 1u);

    const std::size_t first = AlignUp8(nt::kAdapterBusInfoBusData + buses * nt::kBusDataSize);
    const std::size_t stride = AlignUp8(kEntrySize);
    std::vector<std::uint8_t> out(first + devices.size() * stride);
    ByteWriter writer(out.data(), out.size());
    writer.Le32(nt::kAdapterBusInfoNumberOfBuses, static_cast<std::uint32_t>(buses));

    std::size_t at = first;
    std::size_t index = 0;
    for (std::size_t bus = 0; bus < buses; ++bus) {
        const std::size_t busData = nt::kAdapterBusInfoBusData + bus * nt::kBusDataSize;
        writer.U8(busData + nt::kBusDataInitiatorBusId, initiatorId);
        std::uint8_t units = 0;
        std::size_t previous = 0;
        for (; index < devices.size() && devices[index].bus == bus; ++index, at += stride) {
            const PortDevice& device = devices[index];
            if (units == 0) {
                writer.Le32(busData + nt::kBusDataInquiryDataOffset,
                            static_cast<std::uint32_t>(at));
            } else {
                writer.Le32(previous + nt::kInquiryDataNextInquiryDataOffset,
                            static_cast<std::uint32_t>(at));
            }
            ++units;
            previous = at;
            writer.U8(at + nt::kInquiryDataPathId, device.bus);
            writer.U8(at + nt::kInquiryDataTargetId, device.target);
            writer.U8(at + nt::kInquiryDataLun, 0);
            writer.U8(at + nt::kInquiryDataDeviceClaimed, 1);
            writer.Le32(at + nt::kInquiryDataInquiryDataLength, kStandardInquiryLength);
            writer.Fill(at + nt::kInquiryDataInquiryData, device.inquiry.data(),
                        device.inquiry.size());
        }
        writer.U8(busData + nt::kBusDataNumberOfLogicalUnits, units);
    }
    return out;
}

std::uint8_t StorageBusType(BusKind bus) {
    switch (bus) {
        case BusKind::kScsi:
            return 1;
        case BusKind::kAtapi:
            return 2;
        case BusKind::k1394:
            return 4;
        case BusKind::kUsb:
            return 7;
    }
    return 0;
}

std::uint32_t ReportedAlignmentMask(const AdapterSpec& adapter) {
    return adapter.alignmentMask.value_or(1);
}

std::array<std::uint8_t, kAdapterDescriptorSize> BuildAdapterDescriptor(
    BusKind bus, std::uint32_t alignmentMask) {
    std::array<std::uint8_t, kAdapterDescriptorSize> out{};
    ByteWriter writer(out.data(), out.size());
    writer.Le32(0, kAdapterDescriptorSize);
    writer.Le32(4, kAdapterDescriptorSize);
    writer.Le32(8, 0x10000);  // 64 KiB per transfer
    writer.Le32(12, 17);      // 64 KiB in 4 KiB pages, plus one for an unaligned start
    writer.Le32(16, alignmentMask);
    writer.U8(20, bus == BusKind::kAtapi ? 1 : 0);
    writer.U8(nt::kAdapterDescriptorBusType, StorageBusType(bus));
    return out;
}

}  // namespace tessaly::vpc
