// The standard INQUIRY answer: the identity fields the program reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/bytes.h"

namespace tessaly {

inline constexpr std::uint32_t kInquiryAllocationLength = 56;  // 38h

struct InquiryIdentity {
    std::uint8_t peripheral = 0;  // qualifier and device type, used whole
    char vendor[9] = {};
    char product[17] = {};
    char revision[5] = {};
};

// Byte 0 peripheral, 8-15 vendor, 16-31 product, 32-35 revision, copied at full
// width with trailing blanks. Bytes beyond the answer read as NUL.
InquiryIdentity ParseInquiryData(ByteView answer);

// The INQUIRY CDB the program sends: 12 00 00 00 38 00.
void BuildInquiryCdb(std::uint8_t (&cdb)[6]);

}  // namespace tessaly

namespace tessaly {

// Finds the device entry for target in the first bus of a port's inquiry-data
// buffer (IOCTL_SCSI_GET_INQUIRY_DATA) by walking its chain of next-entry
// offsets. Path id and LUN are not compared; the first entry that matches wins.
// A chain that leaves the buffer, or runs longer than the buffer could hold, ends.
bool FindPortInquiryEntry(ByteView buffer, std::uint8_t target, InquiryIdentity& identity);

// One device entry of a port's inquiry data: the address it reports and where its
// SCSI_INQUIRY_DATA begins in the buffer.
struct PortInquiryEntry {
    std::uint8_t pathId = 0;
    std::uint8_t targetId = 0;
    std::uint8_t lun = 0;
    std::size_t offset = 0;
};

// Every device entry of every bus, bus by bus in chain order. The walk over all chains
// together is bounded by the number of 12-byte headers the buffer could hold, and a chain
// that leaves the buffer ends.
std::vector<PortInquiryEntry> ListPortInquiryEntries(ByteView buffer);

// The identity of the device at path id, target id and LUN on any bus of the buffer.
bool FindPortInquiryEntry(ByteView buffer, std::uint8_t pathId, std::uint8_t target,
                          std::uint8_t lun, InquiryIdentity& identity);

}  // namespace tessaly
