// The Windows 9x registry of a scenario, read the way the program reads it: the
// Config Manager's list of devices present, each device's key under Enum\SCSI, the
// USB bridge behind a device's instance key, and the adapters' device-class keys.
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

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The bridge key a reader derives from a device's instance key; nullopt without "REV".
std::optional<std::vector<std::string>> BridgeKeyOf(const std::string& instanceKey) {
    const std::size_t amp = instanceKey.find('&');
    const std::size_t rev = instanceKey.find("REV", amp == std::string::npos ? 0 : amp + 1);
    if (amp == std::string::npos || rev == std::string::npos || rev + 9 + 2 > instanceKey.size())
        return std::nullopt;
    return std::vector<std::string>{"Enum", instanceKey.substr(0, amp),
                                    instanceKey.substr(amp + 1, rev + 8 - amp - 1),
                                    instanceKey.substr(rev + 9, instanceKey.size() - rev - 9 - 2)};
}

const char kTwoAdapters[] = R"("adapters": [
    {"bus": "scsi", "identifier": "aic78xx", "devices": [
        {"target": 2, "letter": "D", "drive": {"model": "CD-ROM VN40S"}},
        {"target": 11, "drive": {"model": "CD-R   VW2410S", "revision": "1.02"}}]},
    {"bus": "usb", "identifier": "usbstor", "devices": [
        {"target": 0, "letter": "F", "drive": {"model": "CD-R   VW2410A"}}]}])";

struct DeviceRow {
    const char* devNode;
    const char* deviceKey;
    const char* instanceKey;
    std::optional<std::string> letter;
    const char* target;
    const char* description;
};

TEST(VpcRegistryWin9x, ConfigManagerListsEachDeviceAndItsEnumKeyHoldsLetterAndTarget) {
    VirtualPc pc(ScenarioFrom(Json({kWin98, kTwoAdapters})));
    const DeviceRow expected[] = {
        {"C1000002", "VARNOTH_CD-ROM_VN40S____", "ADAPTER0&TARGET2&LUN0", "D", "2",
         "VARNOTH CD-ROM VN40S    "},
        {"C1000003", "VARNOTH_CD-R___VW2410S__", "ADAPTER0&TARGET11&LUN0", std::nullopt, "B",
         "VARNOTH CD-R   VW2410S  "},
        {"C1000004", "VARNOTH_CD-R___VW2410A__", "USB&VID_0A0B&PID_2410&REV_0100&SER0100&0", "F",
         "0", "VARNOTH CD-R   VW2410A  "},
    };

    const Key devices(pc, kHkeyDynData, {"Config Manager", "Enum"});
    ASSERT_TRUE(devices.IsOpen());
    const std::vector<std::string> nodes = devices.Subkeys();
    ASSERT_EQ(nodes.size(), 5u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Key node(pc, devices.Get(), {nodes[i]});
        const auto hardwareKey = node.Text("HardWareKey");
        ASSERT_TRUE(hardwareKey.has_value());
        EXPECT_NE(hardwareKey->rfind("SCSI\\", 0), 0u) << "a device of the machine comes first";
    }
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DeviceRow& row = expected[i];
        SCOPED_TRACE(row.deviceKey);
        EXPECT_EQ(nodes[i + 2], row.devNode);
        const Key node(pc, devices.Get(), {nodes[i + 2]});
        const auto hardwareKey = node.Text("HardWareKey");
        ASSERT_TRUE(hardwareKey.has_value());
        std::uint32_t type = 0;
        EXPECT_EQ(node.Bytes("Problem", &type), (std::vector<std::uint8_t>{0, 0, 0, 0}));
        EXPECT_EQ(type, kRegDword);

        const std::vector<std::string> parts = Split(*hardwareKey, '\\');
        ASSERT_EQ(parts.size(), 3u) << *hardwareKey;
        EXPECT_EQ(parts[0], "SCSI");
        EXPECT_EQ(parts[1], row.deviceKey);
        EXPECT_EQ(parts[2], row.instanceKey);

        const Key device(pc, kHkeyLocalMachine, {"Enum", "SCSI", parts[1], parts[2]});
        ASSERT_TRUE(device.IsOpen());
        EXPECT_EQ(device.Text("CurrentDriveLetterAssignment"), row.letter);
        EXPECT_EQ(device.Text("SCSITargetID"), row.target);
        EXPECT_EQ(device.Text("DeviceDesc"), row.description);
        EXPECT_EQ(device.Text("Class"), "CDROM");
        EXPECT_EQ(device.Text("HardWareID"), std::string("SCSI\\") + row.deviceKey);
    }
    EXPECT_EQ(pc.Registry().OpenKeyCount(), 1u) << "only the list is still open";
}

TEST(VpcRegistryWin9x, OnlyTheUsbDeviceLeadsToABridgeThatSaysUsb) {
    VirtualPc pc(ScenarioFrom(Json({kWin98, kTwoAdapters})));
    struct Row {
        const char* instanceKey;
        bool bridge;
    };
    for (const Row& row : {Row{"ADAPTER0&TARGET2&LUN0", false},
                           Row{"USB&VID_0A0B&PID_2410&REV_0100&SER0100&0", true}}) {
        SCOPED_TRACE(row.instanceKey);
        const auto levels = BridgeKeyOf(row.instanceKey);
        ASSERT_EQ(levels.has_value(), row.bridge);
        if (!levels)
            continue;
        EXPECT_EQ((*levels)[1], "USB");
        EXPECT_EQ((*levels)[2], "VID_0A0B&PID_2410&REV_0100");
        EXPECT_EQ((*levels)[3], "SER0100");
        const Key parent(pc, kHkeyLocalMachine,
                         {(*levels)[0], (*levels)[1], (*levels)[2], (*levels)[3]});
        ASSERT_TRUE(parent.IsOpen());
        const auto description = parent.Text("DeviceDesc");
        ASSERT_TRUE(description.has_value());
        EXPECT_NE(description->find("USB"), std::string::npos);
        EXPECT_EQ(parent.Text("CompatibleIDs"), "USB\\CLASS_08&SUBCLASS_06&PROT_50,USB\\CLASS_08")
            << "Windows 9x keeps the list as one string";
    }
}

TEST(VpcRegistryWin9x, BridgeIdsFollowAdapterAndTarget) {
    VirtualPc pc(ScenarioFrom(Json({kWin98, R"("adapters": [
        {"bus": "atapi", "identifier": "esdi_506"},
        {"bus": "atapi", "identifier": "esdi_506"},
        {"bus": "usb", "identifier": "usbstor", "devices": [
            {"target": 3, "letter": "G", "drive": {"model": "CD-R   VW1610AU"}}]}])"})));
    EXPECT_TRUE(pc.Registry().HasKey(
        "HKLM\\Enum\\SCSI\\VARNOTH_CD-R___VW1610AU_\\USB&VID_0A0B&PID_2423&REV_0100&SER0203&0"));
    EXPECT_TRUE(pc.Registry().HasKey("HKLM\\Enum\\USB\\VID_0A0B&PID_2423&REV_0100\\SER0203"));
}

TEST(VpcRegistryWin9x, DeviceKeyComesFromTheIdentityTheDriveReports) {
    // An injected INQUIRY answer: lower-case vendor "ab cd", product "x y".
    VirtualPc pc(ScenarioFrom(Json({kWin98, R"("adapters": [{"bus": "scsi", "identifier": "x",
        "devices": [{"target": 1, "letter": "E", "drive": {"answers": {"12": ")"
                                            "05 80 02 02 1f 00 00 00 61 62 20 63 64 20 20 20 "
                                            "78 20 79 20 20 20 20 20 20 20 20 20 20 20 20 20 "
                                            "31 2e 30 30"
                                            R"("}}}]}])"})));
    const Key device(pc, kHkeyLocalMachine,
                     {"Enum", "SCSI", "AB_CD___X_Y_____________", "ADAPTER0&TARGET1&LUN0"});
    ASSERT_TRUE(device.IsOpen());
    EXPECT_EQ(device.Text("DeviceDesc"), "ab cd   x y             ");
    EXPECT_EQ(device.Text("HardWareID"), "SCSI\\AB_CD___X_Y_____________");
}

struct ClassRow {
    const char* className;
    const char* subkey;
    const char* portDriver;
    const char* description;
};

TEST(VpcRegistryWin9x, EachAdapterHasAClassKeyNamingItsPortDriver) {
    VirtualPc pc(ScenarioFrom(Json({kWin98, R"("adapters": [
        {"bus": "atapi", "identifier": "esdi_506"},
        {"bus": "scsi", "identifier": "aic78xx"},
        {"bus": "atapi", "identifier": "esdi_506"},
        {"bus": "1394", "identifier": "sbp2"},
        {"bus": "atapi", "identifier": "hpt366"},
        {"bus": "usb", "identifier": "usbstor"},
        {"bus": "scsi", "identifier": "nscsi"}])"})));
    const ClassRow rows[] = {
        {"SCSIAdapter", "0000", "aic78xx.mpd", "SCSI Host Adapter (aic78xx)"},
        {"SCSIAdapter", "0001", "nscsi.mpd", "SCSI Host Adapter (nscsi)"},
        {"hdc", "0000", "esdi_506.pdr", "Primary IDE controller (dual fifo)"},
        {"hdc", "0001", "esdi_506.pdr", "Secondary IDE controller (dual fifo)"},
        {"hdc", "0002", "hpt366.pdr", "IDE controller"},
        {"Storage", "0000", "sbp2.mpd", "IEEE 1394 SBP2 Storage"},
        {"Storage", "0001", "usbstor.mpd", "USB Mass Storage Adapter"},
    };
    for (const char* className : {"SCSIAdapter", "hdc", "Storage"}) {
        const Key classKey(pc, kHkeyLocalMachine,
                           {"System\\CurrentControlSet\\Services\\Class", className});
        ASSERT_TRUE(classKey.IsOpen()) << className;
        std::vector<std::string> expectedSubkeys;
        for (const ClassRow& row : rows) {
            if (std::string(row.className) == className)
                expectedSubkeys.push_back(row.subkey);
        }
        EXPECT_EQ(classKey.Subkeys(), expectedSubkeys) << className;
    }
    for (const ClassRow& row : rows) {
        SCOPED_TRACE(std::string(row.className) + "\\" + row.subkey);
        const Key entry(pc, kHkeyLocalMachine,
                        {"System\\CurrentControlSet\\Services\\Class", row.className, row.subkey});
        ASSERT_TRUE(entry.IsOpen());
        EXPECT_EQ(entry.Text("PortDriver"), row.portDriver);
        EXPECT_EQ(entry.Text("DriverDesc"), row.description);
        const bool ide = std::string(row.className) == "hdc";
        EXPECT_EQ(entry.Text("MatchingDeviceId"),
                  ide ? std::optional<std::string>("*PNP0600") : std::nullopt);
    }
}

TEST(VpcRegistryWin9x, JapaneseWindowsNamesTheChannelsInKatakana) {
    VirtualPc pc(ScenarioFrom(
        Json({R"("os": {"platform": 1, "major": 4, "minor": 10, "build": 2222, "codepage": 932})",
              R"("adapters": [{"bus": "atapi", "identifier": "esdi_506"},
                         {"bus": "atapi", "identifier": "esdi_506"}])"})));
    const std::u16string expected[] = {u"\u30D7\u30E9\u30A4\u30DE\u30EA IDE",
                                       u"\u30BB\u30AB\u30F3\u30C0\u30EA IDE"};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string subkey = "000" + std::to_string(i);
        const Key entry(pc, kHkeyLocalMachine,
                        {"System\\CurrentControlSet\\Services\\Class\\hdc", subkey});
        const auto text = entry.Text("DriverDesc");
        ASSERT_TRUE(text.has_value()) << subkey;
        EXPECT_EQ(text->size(), 14u) << "five double-byte characters and \" IDE\"";
        char16_t wide[32] = {};
        const int length =
            pc.MultiByteToWideChar(text->c_str(), static_cast<int>(text->size()), wide, 32);
        EXPECT_EQ(std::u16string(wide, wide + std::max(length, 0)), expected[i]) << subkey;
    }
}

TEST(VpcRegistryWin9x, NoDevicesLeaveOnlyTheMachinesOwnInTheList) {
    VirtualPc pc(ScenarioFrom(Json({kWin98})));
    const Key devices(pc, kHkeyDynData, {"Config Manager", "Enum"});
    ASSERT_TRUE(devices.IsOpen());
    EXPECT_EQ(devices.Subkeys(), (std::vector<std::string>{"C1000000", "C1000001"}));
    EXPECT_FALSE(pc.Registry().HasKey("HKLM\\Enum\\SCSI"));
}

TEST(VpcRegistryWin9x, TheFamiliesKeepApart) {
    VirtualPc win98(ScenarioFrom(Json({kWin98, kTwoAdapters})));
    EXPECT_FALSE(win98.Registry().HasKey("HKLM\\System\\MountedDevices"));
    EXPECT_FALSE(win98.Registry().HasKey("HKLM\\HARDWARE\\DEVICEMAP"));
    VirtualPc xp(ScenarioFrom(Json({kXp, kTwoAdapters})));
    EXPECT_FALSE(xp.Registry().HasKey("HKLM\\Enum\\SCSI"));
    EXPECT_FALSE(xp.Registry().HasKey("HKDD\\Config Manager"));
    EXPECT_FALSE(xp.Registry().HasKey("HKLM\\System\\CurrentControlSet\\Services\\Class"));
}

TEST(VpcRegistryWin9x, ExampleScenarioWithAUsbAdapter) {
    auto scenario = tessaly::testing::LoadExample("win98-usb.json");
    ASSERT_TRUE(scenario);
    VirtualPc pc(std::move(*scenario));
    const Key devices(pc, kHkeyDynData, {"Config Manager", "Enum"});
    std::vector<std::string> found;  // "letter instance-key bridge-description"
    for (const std::string& name : devices.Subkeys()) {
        const auto hardwareKey = Key(pc, devices.Get(), {name}).Text("HardWareKey");
        if (!hardwareKey || hardwareKey->rfind("SCSI\\", 0) != 0)
            continue;
        const std::vector<std::string> parts = Split(*hardwareKey, '\\');
        ASSERT_EQ(parts.size(), 3u);
        const Key device(pc, kHkeyLocalMachine, {"Enum", "SCSI", parts[1], parts[2]});
        std::string entry = device.Text("CurrentDriveLetterAssignment").value_or("-") + " " +
                            device.Text("SCSITargetID").value_or("-") + " " + parts[1];
        if (const auto bridge = BridgeKeyOf(parts[2])) {
            const Key parent(pc, kHkeyLocalMachine,
                             {(*bridge)[0], (*bridge)[1], (*bridge)[2], (*bridge)[3]});
            entry += " " + parent.Text("DeviceDesc").value_or("no bridge");
        }
        found.push_back(entry);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"D 2 VARNOTH_CD-ROM_VN40S____",
                                               "F 0 VARNOTH_CD-R___VW2410A__ USB Storage Bridge"}));
    EXPECT_EQ(
        Key(pc, kHkeyLocalMachine, {"System\\CurrentControlSet\\Services\\Class\\Storage\\0000"})
            .Text("PortDriver"),
        "usbstor.mpd");
}

}  // namespace
}  // namespace tessaly::vpc::testing
