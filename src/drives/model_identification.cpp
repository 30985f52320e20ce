#include "drives/model_identification.h"

#include <cstring>

#include "transport/inquiry_data.h"
#include "transport/text_match.h"

namespace tessaly {

namespace {

constexpr std::uint8_t kCdDvdDevice = 0x05;

// The first row whose key is a prefix of product, or nullptr.
const DriveModelRow* SearchTable(const char* product) {
    for (const DriveModelRow& row : DriveModelTable) {
        if (std::strncmp(row.productKey, product, std::strlen(row.productKey)) == 0)
            return &row;
    }
    return nullptr;
}

// Turns the maker's INQUIRY product identification into the text the table is keyed by:
// the later firmware of the two-row reader, and mechanisms in external enclosures.
void NormaliseProduct(ScsiTransport& transport, const DriveAddress& drive,
                      const InquiryIdentity& id, char (&product)[26]) {
    if (std::strcmp(product, kTwoRowReaderProduct) == 0 && id.revision[2] != '0') {
        CopyText(kTwoRowReaderSecondKey, product, sizeof product);
    }
    // Every enclosure model over USB, in table order, then the IEEE 1394 ones.
    for (const DriveModelRow& row : DriveModelTable) {
        if (row.enclosure != Enclosure::kNone && ContainsText(product, row.mechanism) &&
            transport.IsUsbAttached(drive) == 1) {
            CopyText(row.productKey, product, sizeof product);
        }
    }
    for (const DriveModelRow& row : DriveModelTable) {
        if (row.enclosure == Enclosure::kUsbOr1394 && ContainsText(product, row.mechanism) &&
            transport.Is1394Attached(drive) == 1) {
            CopyText(row.productKey, product, sizeof product);
        }
    }
}

// The text that stands in for an unknown drive's product identification: how it is
// attached, for a table that would carry rows for generic drives.
const char* InterfaceLabel(ScsiTransport& transport, const DriveAddress& drive) {
    const bool usb = transport.IsUsbAttached(drive) == 1;
    const bool ieee1394 = transport.Is1394Attached(drive) == 1;
    if (transport.Os().IsWindowsNt()) {
        if (usb)
            return "CD/DVD(USB)";
        if (ieee1394)
            return "CD/DVD(PnP)";
        std::uint8_t cdb[6];
        BuildInquiryCdb(cdb);
        std::uint8_t answer[kInquiryAllocationLength] = {};
        transport.ExecuteCommand(drive, cdb, answer, sizeof answer);
        if (answer[0] != kCdDvdDevice)
            return nullptr;
        return answer[7] != 0 ? "CD/DVD(SCSI)" : "CD/DVD(ATAPI)";
    }
    const int kind = transport.GetAdapterKind(drive.adapter);
    if (usb || kind == kInterfaceUnclassified)
        return "CD/DVD(USB)";
    if (ieee1394 || kind == kInterface1394)
        return "CD/DVD(PnP)";
    if (kind == kInterfaceScsi)
        return "CD/DVD(SCSI)";
    return "CD/DVD(ATAPI)";
}

const DriveModelRow* Identify(ScsiTransport& transport, const DriveAddress& drive) {
    InquiryIdentity id;
    const std::int32_t identity = transport.Inquiry(drive, id);
    if (identity == 0)
        return nullptr;
    char product[26];
    CopyText(id.product, product, sizeof product);
    if (ContainsText(id.vendor, "VARNOTH"))
        NormaliseProduct(transport, drive, id, product);
    if (const DriveModelRow* row = SearchTable(product))
        return row;

    if (transport.GetDriveLetter(drive) <= kNoDriveLetter)
        return nullptr;
    if (((identity >> 8) & 0xFF) != kCdDvdDevice)
        return nullptr;
    const char* label = InterfaceLabel(transport, drive);
    return label != nullptr ? SearchTable(label) : SearchTable(product);
}

}  // namespace

bool IdentifyDriveModel(ScsiTransport& transport, const DriveAddress& drive, DriveModelRow& row) {
    const DriveModelRow* found = Identify(transport, drive);
    if (found == nullptr)
        return false;
    row = *found;
    return true;
}

bool IsSupportedDrive(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    if (row == nullptr)
        return false;
    if (!ContainsText(row->productKey, "SCSI"))
        return true;
    // A generic SCSI row accepts only DVD drives.
    InquiryIdentity id;
    return transport.Inquiry(drive, id) != 0 && ContainsText(id.product, "DVD");
}

const char* ModelProductText(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr ? row->productKey : "n/a";
}

bool IsRecorderModel(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr && row->recorder != 0;
}

bool IsTenByteModeModel(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr && row->tenByteForms != 0;
}

bool HasVendorCommandSet(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr && row->vendorCommandSet != 0;
}

const char* ModelSpeedText(ScsiTransport& transport, const DriveAddress& drive, int index) {
    const DriveModelRow* row = Identify(transport, drive);
    if (row == nullptr || index < 0 || index > 6)
        return "";
    return row->speedTexts[index];
}

bool IsSecondaryListModel(ScsiTransport& transport, const DriveAddress& drive) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr && row->vendorCommandSet == 0;
}

ModelMediumClass MediumClassOfIdentity(const InquiryIdentity& identity) {
    char product[26];
    CopyText(identity.product, product, sizeof product);
    const DriveModelRow* row = SearchTable(product);
    if (row == nullptr)
        return ModelMediumClass::kNotInTable;
    return std::strncmp(row->productKey, "DVD", 3) == 0 ? ModelMediumClass::kDvd
                                                        : ModelMediumClass::kCd;
}

bool HasModelTrait(ScsiTransport& transport, const DriveAddress& drive, ModelTrait trait) {
    const DriveModelRow* row = Identify(transport, drive);
    return row != nullptr && row->Has(trait);
}

}  // namespace tessaly
