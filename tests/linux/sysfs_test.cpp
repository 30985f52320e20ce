// Reading sysfs from a fake tree: hosts, devices and their files, and every malformed
// entry skipped or clamped rather than trusted.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fake_linux.h"
#include "platform/linux/host_drivers.h"
#include "platform/linux/port_answers.h"
#include "platform/linux/sysfs.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {
namespace {

using namespace platform::linux_os;
using testing::FakeSysfs;

std::vector<std::uint8_t> Inquiry(const std::string& vendor, const std::string& product) {
    std::vector<std::uint8_t> data(36, ' ');
    data[0] = 0x05;
    data[1] = 0x80;
    data[2] = 0x02;
    data[3] = 0x02;
    data[4] = 31;
    data[5] = data[6] = data[7] = 0;
    std::copy(vendor.begin(), vendor.end(), data.begin() + 8);
    std::copy(product.begin(), product.end(), data.begin() + 16);
    return data;
}

TEST(Sysfs, HostsAndDevicesInOrder) {
    FakeSysfs sysfs;
    sysfs.AddHost(2, "virtio_scsi", "7");
    sysfs.AddHost(0, "ata_piix");
    sysfs.AddHost(1, "ata_piix");
    sysfs.AddDevice("2:0:3:0", 5, "VARNOTH ", "CD-R   VW1210A  ", "1.04",
                    Inquiry("VARNOTH ", "CD-R   VW1210A  "));
    sysfs.AddDevice("0:0:0:0", 0, "ATA     ", "QEMU HARDDISK   ", "2.5+", {});
    const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
    ASSERT_EQ(snapshot.hosts.size(), 3u);
    EXPECT_EQ(snapshot.hosts[0].number, 0);
    EXPECT_EQ(snapshot.hosts[2].number, 2);
    EXPECT_EQ(snapshot.hosts[2].driver, "virtio_scsi");
    EXPECT_EQ(snapshot.hosts[2].ownId, 7);
    EXPECT_EQ(snapshot.hosts[0].ownId, -1);
    EXPECT_EQ(snapshot.HighestHost(), 2);
    ASSERT_EQ(snapshot.devices.size(), 2u);
    EXPECT_EQ(snapshot.devices[0].host, 0);
    const SysfsDevice& cd = snapshot.devices[1];
    EXPECT_EQ(cd.host, 2);
    EXPECT_EQ(cd.id, 3);
    EXPECT_EQ(cd.type, 5);
    EXPECT_EQ(cd.vendor, "VARNOTH") << "trailing blanks and the newline trimmed";
    EXPECT_EQ(cd.model, "CD-R   VW1210A");
    EXPECT_EQ(cd.revision, "1.04");
    EXPECT_EQ(cd.inquiry.size(), 36u);
}

TEST(Sysfs, NoTreeNoHosts) {
    const SysfsSnapshot snapshot = ReadSysfs("/nonexistent/sysfs");
    EXPECT_TRUE(snapshot.hosts.empty());
    EXPECT_TRUE(snapshot.devices.empty());
    EXPECT_EQ(snapshot.HighestHost(), -1);
    EXPECT_FALSE(snapshot.mounted);
}

// A device's node: a folder below block/, the link of older kernels, or none.
TEST(Sysfs, DeviceNodesTable) {
    const struct {
        const char* file;  // below the device's folder
        const char* node;
    } rows[] = {{"block/sr3/dev", "sr3"},
                {"block:sr4", "sr4"},
                {"block/sr../dev", ""},
                {"block/\x1b[2J/dev", ""},
                {"generic/sg1/dev", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        FakeSysfs sysfs;
        sysfs.AddHost(0, "ahci");
        sysfs.AddDevice("0:0:1:0", 5, "VARNOTH", "CD-R", "1.00", {});
        sysfs.Write(std::string("class/scsi_device/0:0:1:0/device/") + row.file, "11:3\n");
        const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
        EXPECT_TRUE(snapshot.mounted);
        ASSERT_EQ(snapshot.devices.size(), 1u);
        EXPECT_EQ(snapshot.devices[0].node, row.node);
    }
}

struct MalformedRow {
    const char* name;
    const char* file;  // relative to the root
    std::string bytes;
    int hosts;
    int devices;
    int type;  // of device 0:0:1:0 when listed
    int ownId;
};

TEST(Sysfs, MalformedEntriesTable) {
    const MalformedRow rows[] = {
        {"a host name without a number", "class/scsi_host/hostX/proc_name", "ahci\n", 1, 1, 5, -1},
        {"a host number out of range", "class/scsi_host/host99999999/proc_name", "ahci\n", 1, 1, 5,
         -1},
        {"a high host number", "class/scsi_host/host999/proc_name", "ahci\n", 2, 1, 5, -1},
        {"a LUN beyond what is read", "class/scsi_device/0:0:1:4294967296/device/type", "5\n", 1, 1,
         5, -1},
        {"a device name that is no address", "class/scsi_device/0:0:x:0/device/type", "5\n", 1, 1,
         5, -1},
        {"a device address with a negative part", "class/scsi_device/0:-1:1:0/device/type", "5\n",
         1, 1, 5, -1},
        {"a device address with five parts", "class/scsi_device/0:0:1:0:0/device/type", "5\n", 1, 1,
         5, -1},
        {"a type that is no number", "class/scsi_device/0:0:1:0/device/type", "five\n", 1, 1, -1,
         -1},
        {"a type out of range", "class/scsi_device/0:0:1:0/device/type", "77\n", 1, 1, -1, -1},
        {"a huge type", "class/scsi_device/0:0:1:0/device/type", "99999999999999999999\n", 1, 1, -1,
         -1},
        {"an own id out of range", "class/scsi_host/host0/this_id", "4096\n", 1, 1, 5, -1},
        {"an own id", "class/scsi_host/host0/this_id", "7\n", 1, 1, 5, 7},
    };
    for (const MalformedRow& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSysfs sysfs;
        sysfs.AddHost(0, "ahci");
        sysfs.AddDevice("0:0:1:0", 5, "VARNOTH", "CD-R", "1.00", Inquiry("VARNOTH ", "CD-R"));
        sysfs.Write(row.file, row.bytes);
        const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
        EXPECT_EQ(static_cast<int>(snapshot.hosts.size()), row.hosts);
        EXPECT_EQ(static_cast<int>(snapshot.devices.size()), row.devices);
        // Every device entry but the valid one has a name that is no address in range.
        const std::string file = row.file;
        const bool unread = file.rfind("class/scsi_device/", 0) == 0 &&
                            file.rfind("class/scsi_device/0:0:1:0/", 0) != 0;
        EXPECT_EQ(snapshot.unreadDevices, unread ? 1 : 0);
        ASSERT_FALSE(snapshot.devices.empty());
        EXPECT_EQ(snapshot.devices[0].type, row.type);
        EXPECT_EQ(snapshot.hosts[0].ownId, row.ownId);
    }
}

TEST(Sysfs, OversizedFilesAreCut) {
    FakeSysfs sysfs;
    sysfs.AddHost(0, std::string(10000, 'a'));
    sysfs.AddDevice("0:0:0:0", 5, "V", "M", "R", std::vector<std::uint8_t>(500, 0x41));
    const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
    ASSERT_EQ(snapshot.hosts.size(), 1u);
    EXPECT_EQ(snapshot.hosts[0].driver.size(), kMaxSysfsFileBytes);
    ASSERT_EQ(snapshot.devices.size(), 1u);
    EXPECT_EQ(snapshot.devices[0].inquiry.size(), kMaxInquiryBytes);
}

TEST(Sysfs, TextParsers) {
    int value = 0;
    EXPECT_TRUE(ParseSysfsInt("-1", -1, 10, value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(ParseSysfsInt("", 0, 10, value));
    EXPECT_FALSE(ParseSysfsInt("-", -5, 10, value));
    EXPECT_FALSE(ParseSysfsInt("1 2", 0, 100, value));
    EXPECT_FALSE(ParseSysfsInt("11", 0, 10, value));
    int parts[4];
    EXPECT_TRUE(ParseScsiAddress("1:2:3:4", parts));
    EXPECT_EQ(parts[3], 4);
    EXPECT_FALSE(ParseScsiAddress("1:2:3", parts));
    EXPECT_FALSE(ParseScsiAddress("1:2:3:", parts));
    EXPECT_FALSE(ParseScsiAddress(":2:3:4", parts));
    EXPECT_EQ(TrimSysfsText(std::string("ahci\n\0junk", 10)), "ahci");
}

struct DriverRow {
    const char* driver;
    std::uint8_t busType;
    Attachment attachment;
};

TEST(HostDrivers, OneTableClassifiesEveryKind) {
    const DriverRow rows[] = {
        {"ata_piix", kBusTypeAtapi, Attachment::kInternal},
        {"pata_amd", kBusTypeAtapi, Attachment::kInternal},
        {"ahci", kBusTypeSata, Attachment::kInternal},
        {"sata_nv", kBusTypeSata, Attachment::kInternal},
        {"usb-storage", kBusTypeUsb, Attachment::kUsb},
        {"uas", kBusTypeUsb, Attachment::kUsb},
        {"firewire_sbp2", kBusType1394, Attachment::kIeee1394},
        {"sbp2", kBusType1394, Attachment::kIeee1394},
        {"virtio_scsi", kBusTypeScsi, Attachment::kInternal},
        {"sym53c8xx", kBusTypeScsi, Attachment::kInternal},
        {"", kBusTypeScsi, Attachment::kInternal},
        {"ahci2", kBusTypeScsi, Attachment::kInternal},
    };
    for (const DriverRow& row : rows) {
        SCOPED_TRACE(row.driver);
        const HostDriverClass kind = ClassifyHostDriver(row.driver);
        EXPECT_EQ(kind.busType, row.busType);
        EXPECT_EQ(kind.attachment, row.attachment);
    }
}

struct PlaceRow {
    const char* name;
    const char* driver;
    const char* path;  // the host's device folder below the root; empty: no links
    FakeSysfs::HostLinks links;
    std::uint8_t busType;
    Attachment attachment;
};

// Where a host sits decides, its driver refines: one fake sysfs per row, read back and
// classified as the platform classifies its hosts.
TEST(HostDrivers, PlaceInTheDeviceTreeDecides) {
    using L = FakeSysfs::HostLinks;
    constexpr auto kIn = Attachment::kInternal;
    constexpr auto kUsb = Attachment::kUsb;
    constexpr auto k1394 = Attachment::kIeee1394;
    // clang-format off
    const PlaceRow rows[] = {
        {"AHCI port", "ahci", "devices/pci0/1f.2/ata7/host6", L::kBoth, kBusTypeSata, kIn},
        {"ata_generic on a port", "ata_generic", "devices/pci0/01.1/ata1/host0", L::kBoth,
         kBusTypeAtapi, kIn},
        {"ata_generic alone", "ata_generic", "", L::kBoth, kBusTypeAtapi, kIn},
        {"libata driver not in the table", "pdc_adma", "devices/pci0/05.0/ata3/host2", L::kBoth,
         kBusTypeAta, kIn},
        {"usb-storage", "usb-storage", "devices/pci0/14.0/usb2/2-1/2-1:1.0/host13", L::kBoth,
         kBusTypeUsb, kUsb},
        {"ums-isd200", "ums-isd200", "devices/pci0/1d.0/usb1/1-2/1-2:1.0/host7", L::kBoth,
         kBusTypeUsb, kUsb},
        {"ums-cypress alone", "ums-cypress", "", L::kBoth, kBusTypeUsb, kUsb},
        {"ums-usbat, class link only", "ums-usbat", "devices/pci0/1d.0/usb3/3-1/3-1:1.0/host8",
         L::kClassLinkOnly, kBusTypeUsb, kUsb},
        {"UAS, proc_name (null)", "(null)", "devices/pci0/14.0/usb4/4-1/4-1:1.0/host16",
         L::kDeviceLinkOnly, kBusTypeUsb, kUsb},
        {"(null) alone", "(null)", "", L::kBoth, kBusTypeScsi, kIn},
        {"sbp2 on a FireWire unit", "sbp2", "devices/pci0/05.0/fw1/fw1.0/host9", L::kBoth,
         kBusType1394, k1394},
        {"sbp2 alone", "sbp2", "", L::kBoth, kBusType1394, k1394},
        {"old IEEE 1394 stack", "sym53c8xx", "devices/pci0/05.0/fw-host0/0001/host3", L::kBoth,
         kBusType1394, k1394},
        {"USB place over the driver", "ahci", "devices/pci0/14.0/usb2/2-3/2-3:1.0/host5",
         L::kBoth, kBusTypeUsb, kUsb},
        {"ATA place over the driver", "usb-storage", "devices/pci0/1f.2/ata4/host3", L::kBoth,
         kBusTypeAta, kIn},
        {"no bus numbers", "sym53c8xx", "devices/platform/usb-phy/ata-glue/fwnode/host4",
         L::kBoth, kBusTypeScsi, kIn},
    };
    // clang-format on
    for (const PlaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSysfs sysfs;
        const bool placed = row.path[0] != '\0';
        if (placed)
            sysfs.AddHostAt(3, row.driver, row.path, row.links);
        else
            sysfs.AddHost(3, row.driver);
        const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
        ASSERT_EQ(snapshot.hosts.size(), 1u);
        const SysfsHost& host = snapshot.hosts[0];
        EXPECT_EQ(host.driver, row.driver);
        if (placed && row.links != L::kClassLinkOnly) {
            EXPECT_EQ(host.devicePath, std::string("/") + row.path);
        }
        const HostDriverClass kind = ClassifyHost(host.devicePath, host.driver);
        EXPECT_EQ(kind.busType, row.busType);
        EXPECT_EQ(kind.attachment, row.attachment);
    }
}

// A link that leads out of the tree or nowhere gives no place: the driver decides.
TEST(HostDrivers, LinksOutOfTheTreeGiveNoPlace) {
    FakeSysfs sysfs;
    sysfs.AddHost(0, "ata_piix");
    sysfs.AddHost(1, "ata_piix");
    const std::filesystem::path hosts = std::filesystem::path(sysfs.Root()) / "class/scsi_host";
    std::filesystem::create_directory_symlink("/", hosts / "host0/device");
    std::filesystem::create_directory_symlink("../../../devices/gone/usb1/host1",
                                              hosts / "host1/device");
    for (const SysfsHost& host : ReadSysfs(sysfs.Root()).hosts) {
        SCOPED_TRACE(host.number);
        EXPECT_EQ(host.devicePath, "/class/scsi_host/host" + std::to_string(host.number));
        EXPECT_EQ(ClassifyHost(host.devicePath, host.driver).busType, kBusTypeAtapi);
    }
}

TEST(PortAnswers, InquiryDataOfAHostReadsBackThroughTheCoreReader) {
    FakeSysfs sysfs;
    sysfs.AddHost(0, "ata_piix");
    sysfs.AddHost(2, "virtio_scsi", "7");
    sysfs.AddDevice("2:0:3:0", 5, "VARNOTH", "CD-R", "1.04", Inquiry("VARNOTH ", "CD-R"));
    sysfs.AddDevice("2:0:5:0", 5, "VARNOTH", "DVDR", "1.00", std::vector<std::uint8_t>(200, 0x42));
    sysfs.AddDevice("0:0:0:0", 0, "ATA", "DISK", "1", Inquiry("ATA     ", "DISK"));
    sysfs.AddDevice("2:9:0:0", 0, "ATA", "DISK", "1", {});    // a bus beyond the eighth
    sysfs.AddDevice("2:0:300:0", 0, "ATA", "DISK", "1", {});  // a target beyond a byte
    const SysfsSnapshot snapshot = ReadSysfs(sysfs.Root());
    int left = 0;
    const auto data = BuildPortInquiryData(snapshot, 2, &left);
    EXPECT_EQ(left, 2);
    const ByteView view(data.data(), data.size());
    EXPECT_EQ(view.U8(nt::kAdapterBusInfoNumberOfBuses), 1);
    EXPECT_EQ(view.U8(nt::kAdapterBusInfoBusData + nt::kBusDataInitiatorBusId), 7);
    EXPECT_EQ(view.U8(nt::kAdapterBusInfoBusData + nt::kBusDataNumberOfLogicalUnits), 2);
    const std::uint32_t first =
        view.Le32(nt::kAdapterBusInfoBusData + nt::kBusDataInquiryDataOffset);
    EXPECT_EQ(view.U8(first + nt::kInquiryDataTargetId), 3);
    EXPECT_EQ(view.Le32(first + nt::kInquiryDataInquiryDataLength), 36u);
    EXPECT_EQ(view.U8(first + nt::kInquiryDataInquiryData + 8), 'V');
    const std::uint32_t second = view.Le32(first + nt::kInquiryDataNextInquiryDataOffset);
    EXPECT_EQ(view.U8(second + nt::kInquiryDataTargetId), 5);
    EXPECT_EQ(view.Le32(second + nt::kInquiryDataInquiryDataLength), 36u)
        << "a long inquiry file is cut to 36 bytes";
    EXPECT_LE(second + nt::kInquiryDataInquiryData + 36, data.size());

    const auto empty = BuildPortInquiryData(snapshot, 1);
    EXPECT_EQ(empty[nt::kAdapterBusInfoNumberOfBuses], 1) << "a port without devices";
    EXPECT_EQ(empty[nt::kAdapterBusInfoBusData + nt::kBusDataNumberOfLogicalUnits], 0);
    EXPECT_EQ(empty[nt::kAdapterBusInfoBusData + nt::kBusDataInitiatorBusId], 7);
}

TEST(PortAnswers, AdapterDescriptorCarriesTheBusType) {
    const auto descriptor = BuildAdapterDescriptor(kBusTypeUsb);
    ASSERT_EQ(descriptor.size(), 32u);
    EXPECT_EQ(descriptor[24], kBusTypeUsb);
    EXPECT_EQ(ByteView(descriptor.data(), descriptor.size()).Le32(4), 32u);
}

}  // namespace
}  // namespace tessaly
