#include "transport/inquiry_data.h"

#include "transport/scsi_command.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {

InquiryIdentity ParseInquiryData(ByteView answer) {
    InquiryIdentity identity;
    identity.peripheral = answer.U8(0);
    CopyFixedText(answer, 8, identity.vendor, 8);
    CopyFixedText(answer, 16, identity.product, 16);
    CopyFixedText(answer, 32, identity.revision, 4);
    return identity;
}

void BuildInquiryCdb(std::uint8_t (&cdb)[6]) {
    cdb[0] = opcode::kInquiry;
    cdb[1] = 0;
    cdb[2] = 0;
    cdb[3] = 0;
    cdb[4] = static_cast<std::uint8_t>(kInquiryAllocationLength);
    cdb[5] = 0;
}

}  // namespace tessaly

namespace tessaly {

namespace {

// The standard INQUIRY data of the entry at offset, as long as it declares and the buffer holds.
InquiryIdentity EntryIdentity(ByteView buffer, std::size_t offset) {
    const std::size_t dataAt = offset + nt::kInquiryDataInquiryData;
    const std::uint32_t declared = buffer.Le32(offset + nt::kInquiryDataInquiryDataLength);
    const std::size_t available = buffer.size() - dataAt;
    const std::size_t length = declared < available ? declared : available;
    return ParseInquiryData(ByteView(buffer.data() + dataAt, length));
}

}  // namespace

std::vector<PortInquiryEntry> ListPortInquiryEntries(ByteView buffer) {
    std::vector<PortInquiryEntry> entries;
    const unsigned buses = buffer.U8(nt::kAdapterBusInfoNumberOfBuses);
    std::size_t budget = buffer.size() / nt::kInquiryDataInquiryData + 1;
    for (unsigned bus = 0; bus < buses && budget > 0; ++bus) {
        const std::size_t busData = nt::kAdapterBusInfoBusData + bus * nt::kBusDataSize;
        if (!buffer.Has(busData, nt::kBusDataSize))
            break;
        std::uint32_t offset = buffer.Le32(busData + nt::kBusDataInquiryDataOffset);
        for (; offset != 0 && budget > 0; --budget) {
            if (!buffer.Has(offset, nt::kInquiryDataInquiryData))
                break;
            entries.push_back(PortInquiryEntry{buffer.U8(offset + nt::kInquiryDataPathId),
                                               buffer.U8(offset + nt::kInquiryDataTargetId),
                                               buffer.U8(offset + nt::kInquiryDataLun), offset});
            offset = buffer.Le32(offset + nt::kInquiryDataNextInquiryDataOffset);
        }
    }
    return entries;
}

bool FindPortInquiryEntry(ByteView buffer, std::uint8_t pathId, std::uint8_t target,
                          std::uint8_t lun, InquiryIdentity& identity) {
    for (const PortInquiryEntry& entry : ListPortInquiryEntries(buffer)) {
        if (entry.pathId == pathId && entry.targetId == target && entry.lun == lun) {
            identity = EntryIdentity(buffer, entry.offset);
            return true;
        }
    }
    return false;
}

bool FindPortInquiryEntry(ByteView buffer, std::uint8_t target, InquiryIdentity& identity) {
    if (buffer.U8(nt::kAdapterBusInfoNumberOfBuses) == 0)
        return false;
    std::uint32_t offset = buffer.Le32(nt::kAdapterBusInfoBusData + nt::kBusDataInquiryDataOffset);
    // Every entry takes at least its 12-byte header, which bounds an honest chain.
    const std::size_t maxEntries = buffer.size() / nt::kInquiryDataInquiryData + 1;
    for (std::size_t walked = 0; offset != 0 && walked < maxEntries; ++walked) {
        if (!buffer.Has(offset, nt::kInquiryDataInquiryData))
            return false;
        if (buffer.U8(offset + nt::kInquiryDataTargetId) == target) {
            identity = EntryIdentity(buffer, offset);
            return true;
        }
        offset = buffer.Le32(offset + nt::kInquiryDataNextInquiryDataOffset);
    }
    return false;
}

}  // namespace tessaly
