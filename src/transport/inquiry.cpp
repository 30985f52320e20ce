// Drive identity by INQUIRY, and the attachment queries of external drives.
#include "transport/inquiry_data.h"

#include "transport/backends.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {

std::int32_t ScsiTransport::Inquiry(std::uint8_t adapter, std::uint8_t target,
                                    InquiryIdentity& identity) {
    std::uint8_t cdb[6];
    BuildInquiryCdb(cdb);
    std::uint8_t answer[kInquiryAllocationLength] = {};

    if (IsUsbSlot(adapter) || Is1394Slot(adapter)) {
        // External drives are reached through their drive letter only.
        if (passThrough_ == nullptr ||
            passThrough_->Execute(adapter, target, cdb, answer, sizeof answer) != 1) {
            return 0;
        }
        identity = ParseInquiryData(ByteView(answer, sizeof answer));
    } else if (mode_ == TransportMode::PassThrough) {
        // The port driver already holds every device's inquiry data; nothing is sent.
        std::uint8_t portData[nt::kInquiryDataBufferSize];
        QueryPortInquiryData(adapter, portData, sizeof portData);
        if (!FindPortInquiryEntry(ByteView(portData, sizeof portData), target, identity)) {
            return 0;
        }
    } else {
        if (ExecuteCommand(adapter, target, cdb, answer, sizeof answer) != 1)
            return 0;
        identity = ParseInquiryData(ByteView(answer, sizeof answer));
    }
    return identity.peripheral * 256 + 1;
}

int ScsiTransport::FirstExternalAdapter() const {
    for (int adapter = 0; adapter < kMaxAdapters; ++adapter) {
        if (usbSlot_[adapter] != 0 || ieee1394Slot_[adapter] != 0)
            return adapter;
    }
    return kNoExternalAdapter;
}

ExternalDeviceRecord ScsiTransport::GetExternalDevice(int slot) const {
    return slot >= 0 && slot < kExternalSlots ? external_[slot] : ExternalDeviceRecord{};
}

bool ScsiTransport::IsUsbSlot(std::uint8_t adapter) const {
    return adapter < kMaxAdapters && usbSlot_[adapter] != 0;
}

bool ScsiTransport::Is1394Slot(std::uint8_t adapter) const {
    return adapter < kMaxAdapters && ieee1394Slot_[adapter] != 0;
}

std::uint8_t ScsiTransport::IsUsbAttached(std::uint8_t adapter, std::uint8_t target) const {
    const int index = SenseIndex(adapter, target);
    return index < 0 ? 0 : usbAttached_[index];
}

std::uint8_t ScsiTransport::Is1394Attached(std::uint8_t adapter, std::uint8_t target) const {
    const int index = SenseIndex(adapter, target);
    return index < 0 ? 0 : ieee1394Attached_[index];
}

Win9xDeviceEntry ScsiTransport::Win9xDevice(int index) const {
    return index >= 0 && index < win9xDeviceCount_ ? win9xDevices_[index] : Win9xDeviceEntry{};
}

}  // namespace tessaly
