#include "platform/linux/host_drivers.h"

namespace tessaly::platform::linux_os {

namespace {

struct Row {
    std::string_view name;
    bool prefix;  // the name starts with it ("pata_" covers every PATA driver)
    HostDriverClass kind;
};

constexpr Row kHostDrivers[] = {
    {"ata_piix", false, {kBusTypeAtapi, Attachment::kInternal}},
    {"pata_", true, {kBusTypeAtapi, Attachment::kInternal}},
    {"ide-scsi", false, {kBusTypeAtapi, Attachment::kInternal}},
    {"ahci", false, {kBusTypeSata, Attachment::kInternal}},
    {"sata_", true, {kBusTypeSata, Attachment::kInternal}},
    {"usb-storage", false, {kBusTypeUsb, Attachment::kUsb}},
    {"uas", false, {kBusTypeUsb, Attachment::kUsb}},
    {"sbp2", false, {kBusType1394, Attachment::kIeee1394}},
    {"firewire_sbp2", false, {kBusType1394, Attachment::kIeee1394}},
    {"virtio_scsi", false, {kBusTypeScsi, Attachment::kInternal}},
    {"mpt3sas", false, {kBusTypeSas, Attachment::kInternal}},
};

}  // namespace

HostDriverClass ClassifyHostDriver(std::string_view driver) {
    for (const Row& row : kHostDrivers) {
        const bool match =
            row.prefix ? driver.substr(0, row.name.size()) == row.name : driver == row.name;
        if (match)
            return row.kind;
    }
    return HostDriverClass{};
}

}  // namespace tessaly::platform::linux_os
