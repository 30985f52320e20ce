#include "transport/inquiry_data.h"

#include "transport/scsi_command.h"

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
