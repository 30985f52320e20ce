// The Windows NT registry of a scenario, read the way the program reads it: the
// SCSI device map per port, the mounted devices whose paths name each CD-ROM
// letter's device, that device's Enum key with its compatible ids, and the IDE
// channels of NT 5.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/pc_fixture.h"
#include "support/registry_key.h"
#include "vpc/virtual_pc.h"
#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

using namespace platform;

constexpr char kGuid[] = "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

// A REG_MULTI_SZ value as its strings.
std::vector<std::string> Strings(const std::vector<std::uint8_t>& data) {
    std::vector<std::string> strings;
    std::string current;
    for (std::uint8_t byte : data) {
        if (byte != 0) {
            current += static_cast<char>(byte);
        } else if (!current.empty()) {
            strings.push_back(current);
            current.clear();
        }
    }
    return strings;
}

// What a reader takes from a mounted device's data: zero bytes dropped, the "\??\"
// skipped, the rest split at '#'.
std::vector<std::string> SplitDevicePath(const std::vector<std::uint8_t>& data) {
    std::string narrow;
    for (std::uint8_t byte : data) {
        if (byte != 0)
            narrow += static_cast<char>(byte);
    }
    std::vector<std::string> parts(1);
    for (std::size_t i = 4; i < narrow.size(); ++i) {
        if (narrow[i] == '#')
            parts.emplace_back();
        else
            parts.back() += narrow[i];
    }
    return parts;
}

const char kXpExternal[] = R"("adapters": [{"bus": "atapi", "identifier": "atapi", "devices": [
        {"target": 0, "letter": "D", "drive": {"model": "CD-ROM VN52A"}}]}],
    "external": [
        {"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A", "revision": "1.04"}},
        {"letter": "G", "bus": "1394", "drive": {"model": "DVDR   VD0708A"}}])";

struct MountedRow {
    const char* letter;
    const char* enumerator;
    const char* deviceId;
    const char* instanceId;
    std::vector<std::string> compatibleIds;
};

TEST(VpcRegistryNt, EachCdLetterNamesItsDeviceWhoseEnumKeyTellsTheBus) {
    VirtualPc pc(ScenarioFrom(Json({kXp, kXpExternal})));
    const MountedRow rows[] = {
        {"D", "IDE", "CdRomVARNOTH_CD-ROM_VN52A_____1.00", "5&1a2b3c00&0&0.0.0", {"GenCdRom"}},
        {"F",
         "USBSTOR",
         "CdRom&Ven_VARNOTH&Prod_CD-R___VW2410A&Rev_1.04",
         "000000000000&0",
         {"USBSTOR\\CdRom", "USBSTOR\\RAW"}},
        {"G",
         "SBP2",
         "VARNOTH_&DVDR___VD0708A&LUN0",
         "1&2a3b4c01&0&0",
         {"SBP2\\VARNOTH_&DVDR___VD0708A", "SBP2\\GenCdRom"}},
    };
    const Key mounted(pc, kHkeyLocalMachine, {"System\\MountedDevices"});
    ASSERT_TRUE(mounted.IsOpen());
    for (const MountedRow& row : rows) {
        SCOPED_TRACE(row.letter);
        std::uint32_t type = 0;
        const auto data =
            mounted.Bytes(("\\DosDevices\\" + std::string(row.letter) + ":").c_str(), &type);
        ASSERT_TRUE(data.has_value());
        EXPECT_EQ(type, kRegBinary);
        ASSERT_EQ(data->size() % 2, 0u);
        ASSERT_GE(data->size(), 2u);
        EXPECT_EQ((*data)[data->size() - 2], '}') << "the path has no terminator";
        EXPECT_EQ((*data)[0], '\\');
        EXPECT_EQ((*data)[1], 0) << "UTF-16LE";
        const std::vector<std::string> parts = SplitDevicePath(*data);
        ASSERT_EQ(parts.size(), 4u);
        EXPECT_EQ(parts[0], row.enumerator);
        EXPECT_EQ(parts[1], row.deviceId);
        EXPECT_EQ(parts[2], row.instanceId);
        EXPECT_EQ(parts[3], kGuid);

        const Key device(pc, kHkeyLocalMachine,
                         {"SYSTEM\\CurrentControlSet\\Enum", parts[0], parts[1], parts[2]});
        ASSERT_TRUE(device.IsOpen());
        const auto ids = device.Bytes("CompatibleIDs", &type);
        ASSERT_TRUE(ids.has_value());
        EXPECT_EQ(type, kRegMultiSz);
        EXPECT_EQ(Strings(*ids), row.compatibleIds);
        EXPECT_EQ(device.Text("Class"), "CDROM");
        EXPECT_EQ(device.Text("Service"), "cdrom");
    }
    std::uint32_t type = 0;
    EXPECT_EQ(mounted.Bytes("\\DosDevices\\C:", &type)->size(), 12u) << "the system disk";
    EXPECT_EQ(type, kRegBinary);
    EXPECT_FALSE(mounted.Bytes("\\DosDevices\\E:").has_value());
}

TEST(VpcRegistryNt, ScsiDevicePathCarriesAdapterAndHexTarget) {
    VirtualPc pc(ScenarioFrom(Json({kNt4, R"("adapters": [
        {"bus": "atapi", "identifier": "atapi"},
        {"bus": "scsi", "identifier": "aic78xx", "devices": [
            {"target": 12, "letter": "H", "drive": {"model": "CD-ROM VN40S"}},
            {"target": 3, "drive": {"model": "CD-R   VW2410S"}}]}])"})));
    const Key mounted(pc, kHkeyLocalMachine, {"System\\MountedDevices"});
    const auto data = mounted.Bytes("\\DosDevices\\H:");
    ASSERT_TRUE(data.has_value());
    const std::vector<std::string> parts = SplitDevicePath(*data);
    EXPECT_EQ(parts, (std::vector<std::string>{"SCSI", "CdRom&Ven_VARNOTH&Prod_CD-ROM_VN40S",
                                               "4&2b3c4d01&0&00C00", kGuid}));
    const Key device(pc, kHkeyLocalMachine,
                     {"SYSTEM\\CurrentControlSet\\Enum", "SCSI", parts[1], parts[2]});
    ASSERT_TRUE(device.IsOpen());
    EXPECT_EQ(Strings(*device.Bytes("CompatibleIDs")),
              (std::vector<std::string>{"SCSI\\CdRom", "SCSI\\RAW"}));

    // The device without a letter is in the device tree but has no mounted entry.
    EXPECT_TRUE(pc.Registry().HasKey(
        "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\SCSI\\CdRom&Ven_VARNOTH&Prod_CD-R___VW2410S\\"
        "4&2b3c4d01&0&00300"));
    std::size_t mountedLetters = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string name = std::string("\\DosDevices\\") + letter + ":";
        mountedLetters += mounted.Bytes(name.c_str()).has_value() ? 1 : 0;
    }
    EXPECT_EQ(mountedLetters, 2u) << "C: and H:";
}

TEST(VpcRegistryNt, DeviceMapNamesEachPortsDriverAndUnits) {
    for (const char* os : {kNt4, kXp}) {
        SCOPED_TRACE(os);
        VirtualPc pc(ScenarioFrom(Json({os, R"("adapters": [
            {"bus": "atapi", "identifier": "atapi", "devices": [
                {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW1210A"}}]},
            {"bus": "scsi", "identifier": "aic78xx", "scsi_id": 6},
            {"bus": "scsi", "identifier": "Symc8xx", "devices": [
                {"target": 5, "drive": {"model": "CD-ROM VN40S", "revision": "2.10"}}]}])"})));
        const Key scsi(pc, kHkeyLocalMachine, {"HARDWARE", "DEVICEMAP", "Scsi"});
        ASSERT_TRUE(scsi.IsOpen());
        EXPECT_EQ(scsi.Subkeys(),
                  (std::vector<std::string>{"Scsi Port 0", "Scsi Port 1", "Scsi Port 2"}));
        const char* drivers[] = {"atapi", "aic78xx", "Symc8xx"};
        for (int port = 0; port < 3; ++port) {
            const Key key(pc, scsi.Get(), {"Scsi Port " + std::to_string(port)});
            EXPECT_EQ(key.Text("Driver"), drivers[port]) << port;
        }
        struct Unit {
            int port;
            int target;
            const char* identifier;
        };
        for (const Unit& unit : {Unit{0, 1, "VARNOTH CD-R   VW1210A  1.00"},
                                 Unit{2, 5, "VARNOTH CD-ROM VN40S    2.10"}}) {
            const Key key(pc, scsi.Get(),
                          {"Scsi Port " + std::to_string(unit.port), "Scsi Bus 0",
                           "Target Id " + std::to_string(unit.target), "Logical Unit Id 0"});
            ASSERT_TRUE(key.IsOpen()) << unit.port;
            EXPECT_EQ(key.Text("Identifier"), unit.identifier);
            EXPECT_EQ(key.Text("Type"), "CdRomPeripheral");
        }
        const Key empty(pc, scsi.Get(), {"Scsi Port 1", "Scsi Bus 0"});
        EXPECT_EQ(empty.Subkeys(), (std::vector<std::string>{"Initiator Id 6"}))
            << "a port without devices still has its bus";
    }
}

TEST(VpcRegistryNt, IdeChannelsExistOnNt5Only) {
    const char adapters[] = R"("adapters": [
        {"bus": "atapi", "identifier": "atapi"}, {"bus": "scsi", "identifier": "aic78xx"},
        {"bus": "atapi", "identifier": "atapi"}, {"bus": "atapi", "identifier": "atapi"}])";
    VirtualPc nt4(ScenarioFrom(Json({kNt4, adapters})));
    EXPECT_FALSE(
        Key(nt4, kHkeyLocalMachine, {"System", "CurrentControlSet", "Enum", "PCIIDE"}).IsOpen());

    VirtualPc xp(ScenarioFrom(Json({kXp, adapters})));
    const Key channels(xp, kHkeyLocalMachine,
                       {"System", "CurrentControlSet", "Enum", "PCIIDE", "IDEChannel"});
    ASSERT_TRUE(channels.IsOpen());
    const std::vector<std::string> names = channels.Subkeys();
    EXPECT_EQ(names,
              (std::vector<std::string>{"4&1f7e4a3b&0&0", "4&1f7e4a3b&0&1", "4&1f7e4a3b&0&2"}));
    const char* descriptions[] = {"Primary IDE Channel", "Secondary IDE Channel", "IDE Channel"};
    for (std::size_t i = 0; i < names.size() && i < 3; ++i) {
        const Key channel(xp, channels.Get(), {names[i]});
        EXPECT_EQ(channel.Text("Service"), "atapi");
        EXPECT_EQ(channel.Text("DeviceDesc"), descriptions[i]);
    }
}

// Vista to 11: each port's "Driver" value names its port driver; the CD-ROM of a
// Storport AHCI adapter enumerates under SCSI, the ATA port's under IDE; IDE channels
// exist for the IDE driver only; USB drives sit under USBSTOR in the mounted devices.
TEST(VpcRegistryNt, LaterVersionsByPortDriver) {
    struct Row {
        const char* os;
        const char* identifier;
        const char* enumerator;
        bool ideChannel;
    };
    const Row rows[] = {
        {R"("os": {"platform": 2, "major": 6, "minor": 0})", "atapi", "IDE", true},
        {R"("os": {"platform": 2, "major": 6, "minor": 1})", "msahci", "IDE", false},
        {R"("os": {"platform": 2, "major": 6, "minor": 2})", "storahci", "SCSI", false},
        {R"("os": {"platform": 2, "major": 6, "minor": 3})", "storahci", "SCSI", false},
        {R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})", "storahci", "SCSI",
         false},
        {R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 22631})", "atapi", "IDE", true},
        {kXp, "msahci", "IDE", true},  // NT 5 has channels for every ATAPI adapter
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.os) + " " + row.identifier);
        VirtualPc pc(ScenarioFrom(
            Json({row.os, std::string(R"("adapters": [{"bus": "atapi", "identifier": ")") +
                              row.identifier + R"(", "devices": [
                {"target": 0, "letter": "D", "drive": {"model": "CD-R   VW2410A"}}]}],
              "external": [{"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}}])"})));
        EXPECT_EQ(Key(pc, kHkeyLocalMachine, {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 0"})
                      .Text("Driver"),
                  row.identifier);
        const Key mounted(pc, kHkeyLocalMachine, {"System\\MountedDevices"});
        const auto d = mounted.Bytes("\\DosDevices\\D:");
        const auto f = mounted.Bytes("\\DosDevices\\F:");
        ASSERT_TRUE(d.has_value());
        ASSERT_TRUE(f.has_value());
        const std::vector<std::string> drive = SplitDevicePath(*d);
        ASSERT_EQ(drive.size(), 4u);
        EXPECT_EQ(drive[0], row.enumerator);
        EXPECT_TRUE(Key(pc, kHkeyLocalMachine,
                        {"SYSTEM\\CurrentControlSet\\Enum", drive[0], drive[1], drive[2]})
                        .IsOpen());
        const std::vector<std::string> usb = SplitDevicePath(*f);
        ASSERT_EQ(usb.size(), 4u);
        EXPECT_EQ(usb[0], "USBSTOR");
        const Key usbDevice(pc, kHkeyLocalMachine,
                            {"SYSTEM\\CurrentControlSet\\Enum", usb[0], usb[1], usb[2]});
        const auto ids = usbDevice.Bytes("CompatibleIDs");
        ASSERT_TRUE(ids.has_value());
        EXPECT_EQ(Strings(*ids), (std::vector<std::string>{"USBSTOR\\CdRom", "USBSTOR\\RAW"}));
        EXPECT_EQ(Key(pc, kHkeyLocalMachine,
                      {"System", "CurrentControlSet", "Enum", "PCIIDE", "IDEChannel"})
                      .IsOpen(),
                  row.ideChannel);
    }
}

TEST(VpcRegistryNt, ExternalInstanceIdsFollowTheirOrder) {
    VirtualPc pc(ScenarioFrom(Json({kXp, R"("external": [
        {"letter": "K", "bus": "1394", "drive": {"model": "DVDR   VD0708AF"}},
        {"letter": "L", "bus": "usb", "drive": {"model": "CD-R   VW5232AU"}},
        {"letter": "M", "bus": "usb", "drive": {"model": "CD-R   VW5232AU"}}])"})));
    const Key mounted(pc, kHkeyLocalMachine, {"System\\MountedDevices"});
    struct Row {
        const char* name;
        const char* instanceId;
    };
    for (const Row& row :
         {Row{"\\DosDevices\\K:", "1&2a3b4c00&0&0"}, Row{"\\DosDevices\\L:", "000000000001&0"},
          Row{"\\DosDevices\\M:", "000000000002&0"}}) {
        const auto data = mounted.Bytes(row.name);
        ASSERT_TRUE(data.has_value()) << row.name;
        const std::vector<std::string> parts = SplitDevicePath(*data);
        ASSERT_EQ(parts.size(), 4u);
        EXPECT_EQ(parts[2], row.instanceId) << row.name;
    }
    const Key usb(pc, kHkeyLocalMachine,
                  {"SYSTEM\\CurrentControlSet\\Enum\\USBSTOR",
                   "CdRom&Ven_VARNOTH&Prod_CD-R___VW5232AU&Rev_1.00"});
    EXPECT_EQ(usb.Subkeys(), (std::vector<std::string>{"000000000001&0", "000000000002&0"}))
        << "two drives of one model are two instances of one device";
}

TEST(VpcRegistryNt, ExampleScenarioWithExternalDrives) {
    auto scenario = tessaly::testing::LoadExample("xp-external.json");
    ASSERT_TRUE(scenario);
    VirtualPc pc(std::move(*scenario));
    const Key mounted(pc, kHkeyLocalMachine, {"System\\MountedDevices"});
    std::vector<std::string> found;  // "letter enumerator first-compatible-id"
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        const std::string name = std::string("\\DosDevices\\") + letter + ":";
        const auto data = mounted.Bytes(name.c_str());
        if (!data)
            continue;
        const std::vector<std::string> parts = SplitDevicePath(*data);
        ASSERT_GE(parts.size(), 3u);
        const Key device(pc, kHkeyLocalMachine,
                         {"SYSTEM\\CurrentControlSet\\Enum", parts[0], parts[1], parts[2]});
        const auto ids = device.Bytes("CompatibleIDs");
        found.push_back(std::string(1, letter) + " " + parts[0] + " " +
                        (ids ? Strings(*ids).front() : "none"));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"D IDE GenCdRom", "F USBSTOR USBSTOR\\CdRom",
                                               "G SBP2 SBP2\\VARNOTH_&DVDR___VD0708A"}));
    EXPECT_EQ(Key(pc, kHkeyLocalMachine, {"HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0"}).Text("Driver"),
              "atapi");
}

}  // namespace
}  // namespace tessaly::vpc::testing
