#include "platform/linux/host_drivers.h"

namespace tessaly::platform::linux_os {

namespace {

struct Row {
    std::string_view name;
    bool prefix;  // the name starts with it ("pata_" covers every PATA driver)
    HostDriverClass kind;
};

constexpr Row kHostDrivers[] = {
    {"ata_", true, {kBusTypeAtapi, Attachment::kInternal}},  // ata_piix, ata_generic
    {"pata_", true, {kBusTypeAtapi, Attachment::kInternal}},
    {"ide-scsi", false, {kBusTypeAtapi, Attachment::kInternal}},
    {"ahci", false, {kBusTypeSata, Attachment::kInternal}},
    {"ahci_", true, {kBusTypeSata, Attachment::kInternal}},  // platform AHCI drivers
    {"acard-ahci", false, {kBusTypeSata, Attachment::kInternal}},
    {"sata_", true, {kBusTypeSata, Attachment::kInternal}},
    {"usb-storage", false, {kBusTypeUsb, Attachment::kUsb}},
    {"ums-", true, {kBusTypeUsb, Attachment::kUsb}},  // usb-storage's bridge drivers
    {"uas", false, {kBusTypeUsb, Attachment::kUsb}},
    {"sbp2", false, {kBusType1394, Attachment::kIeee1394}},
    {"firewire_sbp2", false, {kBusType1394, Attachment::kIeee1394}},
    {"virtio_scsi", false, {kBusTypeScsi, Attachment::kInternal}},
    {"mpt3sas", false, {kBusTypeSas, Attachment::kInternal}},
};

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// A name followed by a decimal number and nothing else: "usb2", "ata12".
bool NameAndNumber(std::string_view part, std::string_view name) {
    if (part.size() <= name.size() || !StartsWith(part, name))
        return false;
    for (const char c : part.substr(name.size())) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool FirewirePart(std::string_view part) {
    const bool node = part.size() > 2 && StartsWith(part, "fw") && part[2] >= '0' && part[2] <= '9';
    return node || StartsWith(part, "fw-host") || part.find("firewire") != std::string_view::npos ||
           part.find("ieee1394") != std::string_view::npos;
}

}  // namespace

HostPlace PlaceOfHost(std::string_view devicePath) {
    bool usb = false;
    bool firewire = false;
    bool ata = false;
    while (!devicePath.empty()) {
        const std::size_t slash = devicePath.find('/');
        const std::string_view part = devicePath.substr(0, slash);
        devicePath =
            slash == std::string_view::npos ? std::string_view() : devicePath.substr(slash + 1);
        usb = usb || NameAndNumber(part, "usb");
        firewire = firewire || FirewirePart(part);
        ata = ata || NameAndNumber(part, "ata") || NameAndNumber(part, "ide");
    }
    if (usb)
        return HostPlace::kUsb;
    if (firewire)
        return HostPlace::kIeee1394;
    return ata ? HostPlace::kAta : HostPlace::kUnknown;
}

HostDriverClass ClassifyHostDriver(std::string_view driver) {
    for (const Row& row : kHostDrivers) {
        const bool match = row.prefix ? StartsWith(driver, row.name) : driver == row.name;
        if (match)
            return row.kind;
    }
    return HostDriverClass{};
}

HostDriverClass ClassifyHost(std::string_view devicePath, std::string_view driver) {
    const HostDriverClass byDriver = ClassifyHostDriver(driver);
    switch (PlaceOfHost(devicePath)) {
        case HostPlace::kUsb:
            return {kBusTypeUsb, Attachment::kUsb};
        case HostPlace::kIeee1394:
            return {kBusType1394, Attachment::kIeee1394};
        case HostPlace::kAta: {
            const bool known =
                byDriver.attachment == Attachment::kInternal &&
                (byDriver.busType == kBusTypeSata || byDriver.busType == kBusTypeAtapi);
            return {known ? byDriver.busType : kBusTypeAta, Attachment::kInternal};
        }
        case HostPlace::kUnknown:
            break;
    }
    return byDriver;
}

}  // namespace tessaly::platform::linux_os
