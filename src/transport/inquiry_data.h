// The standard INQUIRY answer: the identity fields the program reads.
#pragma once

#include <cstdint>

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

}  // namespace tessaly
