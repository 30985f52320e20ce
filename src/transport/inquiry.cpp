// Drive identity by INQUIRY, and the attachment queries of external drives.
#include "transport/inquiry_data.h"

#include "transport/backends.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {

std::int32_t ScsiTransport::Inquiry(const DriveAddress& address, InquiryIdentity& identity) {
    std::uint8_t cdb[6];
    BuildInquiryCdb(cdb);
    std::uint8_t answer[kInquiryAllocationLength] = {};

    if (IsUsbSlot(address.adapter) || Is1394Slot(address.adapter)) {
        // External drives are reached through their drive letter only.
        if (passThrough_ == nullptr ||
            passThrough_->Execute(address, cdb, answer, sizeof answer) != 1) {
            return 0;
        }
        identity = ParseInquiryData(ByteView(answer, sizeof answer));
    } else if (mode_ == TransportMode::PassThrough) {
        // The port driver already holds every device's inquiry data; nothing is sent. The
        // fixed tables look at the first bus for the target alone; full addresses find the
        // entry of the bus, target and LUN.
        const std::vector<std::uint8_t> portData = PortInquiryData(address.adapter);
        const ByteView view(portData.data(), portData.size());
        const bool found =
            UsesFullAddresses()
                ? FindPortInquiryEntry(view, address.bus, address.target, address.lun, identity)
                : FindPortInquiryEntry(view, address.target, identity);
        if (!found)
            return 0;
    } else {
        if (ExecuteCommand(address, cdb, answer, sizeof answer) != 1)
            return 0;
        identity = ParseInquiryData(ByteView(answer, sizeof answer));
    }
    return identity.peripheral * 256 + 1;
}

int ScsiTransport::FirstExternalAdapter() const {
    for (std::size_t adapter = 0; adapter < usbSlot_.size(); ++adapter) {
        if (usbSlot_[adapter] != 0 || ieee1394Slot_[adapter] != 0)
            return static_cast<int>(adapter);
    }
    return kNoExternalAdapter;
}

ExternalDeviceRecord ScsiTransport::GetExternalDevice(int slot) const {
    return slot >= 0 && static_cast<std::size_t>(slot) < external_.size() ? external_[slot]
                                                                          : ExternalDeviceRecord{};
}

bool ScsiTransport::IsUsbSlot(std::uint32_t adapter) const {
    return adapter < usbSlot_.size() && usbSlot_[adapter] != 0;
}

bool ScsiTransport::Is1394Slot(std::uint32_t adapter) const {
    return adapter < ieee1394Slot_.size() && ieee1394Slot_[adapter] != 0;
}

Win9xDeviceEntry ScsiTransport::Win9xDevice(int index) const {
    return index >= 0 && index < win9xDeviceCount_ ? win9xDevices_[index] : Win9xDeviceEntry{};
}

}  // namespace tessaly
