// Drive letters and adapter kinds as each Windows family's registry tells them.
#include <gtest/gtest.h>

#include <cctype>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

std::string Adapter(const std::string& bus, const std::string& identifier,
                    const std::string& devices = "") {
    return R"({"bus": ")" + bus + R"(", "identifier": ")" + identifier + R"(", "devices": [)" +
           devices + "]}";
}

std::string Device(int target, const std::string& letter, const std::string& model) {
    return R"({"target": )" + std::to_string(target) +
           (letter.empty() ? "" : R"(, "letter": ")" + letter + "\"") +
           R"(, "drive": {"model": ")" + model + R"("}})";
}

std::string Adapters(std::initializer_list<std::string> list) {
    std::string out = R"("adapters": [)";
    bool first = true;
    for (const auto& a : list) {
        out += (first ? "" : ",") + a;
        first = false;
    }
    return out + "]";
}

TEST(Win9xDevices, LetterAndHexTargetFromTheDeviceKey) {
    Pc pc(Json({kWin98, kManager,
                Adapters({Adapter(
                    "scsi", "aic78xx",
                    Device(4, "E", "CD-R   VW2410S") + "," + Device(11, "G", "CD-ROM VN40S"))})}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 1);
    ASSERT_EQ(pc.transport->Win9xDeviceCount(), 2);
    const Win9xDeviceEntry first = pc.transport->Win9xDevice(0);
    EXPECT_STREQ(first.name, "VARNOTH_CD-R___VW2410S__");
    EXPECT_EQ(first.letter, 4);
    EXPECT_EQ(first.target, 4);
    EXPECT_EQ(first.adapter, 0);
    EXPECT_EQ(pc.transport->Win9xDevice(1).target, 11);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 4), 4);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 11), 6);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 5), 2) << "nothing known: C";
}

TEST(Win9xDevices, MatchingTakesTheFirstUnclaimedAdapter) {
    // The same model on two adapters at the same target: each entry gets its own adapter.
    Pc pc(Json({kWin98, kManager,
                Adapters({Adapter("scsi", "aic78xx", Device(2, "E", "CD-ROM VN40S")),
                          Adapter("scsi", "aic78xx", Device(2, "F", "CD-ROM VN40S"))})}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 2);
    ASSERT_EQ(pc.transport->Win9xDeviceCount(), 2);
    EXPECT_EQ(pc.transport->Win9xDevice(0).adapter, 0);
    EXPECT_EQ(pc.transport->Win9xDevice(1).adapter, 1);
    EXPECT_EQ(pc.transport->GetDriveLetter(1, 2), 5);
}

// A device of the 9x registry that no adapter answers, with the given values.
std::string OrphanDevice(const std::string& letterValue, const std::string& targetValue) {
    std::string key = R"("HKLM\\Enum\\SCSI\\OTHERCO_WRITER__________\\ORPHAN&0&3")";
    std::string values;
    if (!letterValue.empty())
        values += R"("CurrentDriveLetterAssignment": ")" + letterValue + "\"";
    if (!targetValue.empty()) {
        values +=
            std::string(values.empty() ? "" : ", ") + R"("SCSITargetID": ")" + targetValue + "\"";
    }
    return R"("registry": {)" + key + ": {" + values + R"(},
        "HKDD\\Config Manager\\Enum\\CFFFFFFF": {
            "HardWareKey": "SCSI\\OTHERCO_WRITER__________\\ORPHAN&0&3"}})";
}

TEST(Win9xDevices, WhichDevicesAreEntered) {
    struct Row {
        const char* letter;
        const char* target;
        bool entered;
        int expectedTarget;
    };
    const Row rows[] = {
        {"H", "3", true, 3}, {"h", "b", true, 11}, {"A", "3", false, 0}, {"B", "3", false, 0},
        {"", "3", false, 0}, {"H", "", false, 0},  {"H", "x", false, 0}, {"1", "3", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("letter '") + row.letter + "' target '" + row.target + "'");
        Pc pc(Json({kWin98, kManager, Adapters({Adapter("scsi", "aic78xx")}),
                    OrphanDevice(row.letter, row.target)}));
        pc.transport->Initialize();
        ASSERT_EQ(pc.transport->Win9xDeviceCount(), row.entered ? 1 : 0);
        if (row.entered) {
            const Win9xDeviceEntry entry = pc.transport->Win9xDevice(0);
            EXPECT_EQ(entry.adapter, 0) << "no adapter answered";
            EXPECT_EQ(entry.target, row.expectedTarget);
            EXPECT_EQ(entry.letter, 7);
        }
    }
}

TEST(Win9xDevices, TableHoldsTwentySixDevices) {
    std::string registry = R"("registry": {)";
    for (int i = 0; i < 30; ++i) {
        // Two digits: the scenario's keys come back in sorted order.
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        registry += std::string(i ? "," : "") + R"("HKLM\\Enum\\SCSI\\DEV)" + n +
                    R"(\\INST": {"CurrentDriveLetterAssignment": "E", "SCSITargetID": "1"},)" +
                    R"("HKDD\\Config Manager\\Enum\\D)" + n + R"(": {"HardWareKey": "SCSI\\DEV)" +
                    n + R"(\\INST"})";
    }
    registry += "}";
    Pc pc(Json({kWin98, kManager, Adapters({Adapter("scsi", "aic78xx")}), registry}));
    pc.transport->Initialize();
    EXPECT_EQ(pc.transport->Win9xDeviceCount(), 26);
    EXPECT_STREQ(pc.transport->Win9xDevice(25).name, "DEV25");
    EXPECT_STREQ(pc.transport->Win9xDevice(0).name, "DEV00");
}

TEST(Win9xDevices, UsbBridgeMarksTheAddress) {
    Pc pc(Json({kWin98, kManager,
                Adapters({Adapter("scsi", "aic78xx", Device(2, "D", "CD-ROM VN40S")),
                          Adapter("usb", "usbstor", Device(0, "F", "CD-R   VW2410A"))})}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 2);
    EXPECT_EQ(pc.transport->IsUsbAttached(1, 0), 1);
    EXPECT_EQ(pc.transport->IsUsbAttached(0, 2), 0);
    EXPECT_TRUE(pc.transport->AnyUsbAttached());
}

TEST(InterfaceKind, Windows9xByDeviceClass) {
    Pc pc(Json({kWin98, kManager,
                Adapters({Adapter("scsi", "aic78xx"), Adapter("atapi", "ESDI_506"),
                          Adapter("1394", "sbp2port"), Adapter("usb", "usbstor")})}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 4);
    EXPECT_EQ(pc.transport->GetAdapterKind(0), kInterfaceScsi);
    EXPECT_EQ(pc.transport->GetAdapterKind(1), kInterfaceAtapi);
    EXPECT_EQ(pc.transport->GetAdapterKind(2), kInterface1394);
    EXPECT_EQ(pc.transport->GetAdapterKind(3), kInterfaceUnclassified);
}

TEST(InterfaceKind, Windows9xKatakanaChannelName) {
    Pc pc(Json({R"("os": {"platform": 1, "major": 4, "minor": 10, "codepage": 932})", kManager,
                Adapters({Adapter("atapi", "ESDI_506"), Adapter("atapi", "ESDI_506")})}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 2);
    EXPECT_EQ(pc.transport->GetAdapterKind(0), kInterfaceAtapi);
    EXPECT_EQ(pc.transport->GetAdapterKind(1), kInterfaceAtapi);
}

TEST(InterfaceKind, Nt5ByStorageBusType) {
    Pc pc(Json({kXp, Adapters({Adapter("scsi", "aic78xx", Device(0, "D", "CD-R   VW2410S")),
                               Adapter("atapi", "atapi", Device(0, "E", "CD-R   VW2410A")),
                               Adapter("usb", "usbstor", Device(0, "F", "CD-R   VW2410A")),
                               Adapter("1394", "sbp2port", Device(0, "G", "DVDR   VD0708A"))})}));
    ASSERT_EQ(pc.transport->Initialize(), 4);
    EXPECT_EQ(pc.transport->GetAdapterKind(0), kInterfaceScsi);
    EXPECT_EQ(pc.transport->GetAdapterKind(1), kInterfaceAtapi);
    EXPECT_EQ(pc.transport->GetAdapterKind(2), kInterfaceAtapi);
    EXPECT_EQ(pc.transport->GetAdapterKind(3), kInterfaceAtapi);
}

// Vista to 11 classify like NT 5. When a port leaves the storage property query
// unanswered, NT 5 finds only the IDE driver among the IDE channels' services; the later
// versions also know their AHCI port drivers by name.
TEST(InterfaceKind, UnansweredPropertyQueryByPortDriver) {
    const std::string kWin10 = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})";
    const std::string kWin7 = R"("os": {"platform": 2, "major": 6, "minor": 1, "build": 7601})";
    struct Row {
        std::string os;
        const char* identifier;
        int kind;
    };
    const Row rows[] = {
        {kXp, "atapi", kInterfaceAtapi},       {kXp, "storahci", kInterfaceScsi},
        {kXp, "iastor", kInterfaceScsi},       {kXp, "aic78xx", kInterfaceScsi},
        {kWin7, "atapi", kInterfaceAtapi},     {kWin7, "msahci", kInterfaceAtapi},
        {kWin7, "iaStorV", kInterfaceAtapi},   {kWin10, "storahci", kInterfaceAtapi},
        {kWin10, "iaStorAC", kInterfaceAtapi}, {kWin10, "atapi", kInterfaceAtapi},
        {kWin10, "aic78xx", kInterfaceScsi},   {kWin10, "storahcix", kInterfaceScsi},
        {kWin10, "iasto", kInterfaceScsi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.os + " " + row.identifier);
        Pc pc(Json({row.os, Adapters({Adapter("atapi", row.identifier,
                                              Device(0, "D", "CD-R   VW2410A"))})}));
        pc.recorder->failControls.insert(nt::IOCTL_STORAGE_QUERY_PROPERTY);
        ASSERT_EQ(pc.transport->Initialize(), 1);
        EXPECT_EQ(pc.transport->GetAdapterKind(0), row.kind);
    }
}

TEST(InterfaceKind, Nt4ByAdapterIdentifier) {
    struct Row {
        const char* identifier;
        int kind;
    };
    const Row rows[] = {{"atapi", 3},   {"ATAPI", 3},   {"esdi", 3}, {"pciata", 3},
                        {"aic78xx", 2}, {"symc8xx", 2}, {"", 2}};
    for (const Row& row : rows) {
        Pc pc(Json({kNt4, kManager, Adapters({Adapter("scsi", row.identifier)})}));
        ASSERT_EQ(pc.transport->Initialize() & 0xFF, 1);
        EXPECT_EQ(pc.transport->GetAdapterKind(0), row.kind) << row.identifier;
    }
}

TEST(DriveLetters, Nt4MapsPortsToManagerAdaptersByDriverName) {
    // The manager lists the SCSI card first; the ports list the IDE channel first.
    const std::string registry = R"("registry": {
        "HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0": {"Driver": "atapi"},
        "HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 1": {"Driver": "aic78xx"}})";
    Pc pc(Json({kNt4, kManager,
                Adapters({Adapter("scsi", "aic78xx", Device(4, "E", "CD-R   VW2410S")),
                          Adapter("atapi", "atapi", Device(1, "F", "CD-R   VW2410A"))}),
                registry}));
    ASSERT_EQ(pc.transport->Initialize() & 0xFF, 2);
    ASSERT_EQ(pc.transport->Mode(), TransportMode::Aspi);
    // The virtual PC reports E: on port 0 and F: on port 1; the registry swaps the drivers.
    EXPECT_EQ(pc.transport->GetDriveLetter(1, 4), 4);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 1), 5);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 4), 2);
}

TEST(DriveLetters, PassThroughUsesTheLetterScan) {
    Pc pc(Json({kXp, Adapters({Adapter("atapi", "atapi", Device(1, "E", "CD-R   VW2410A"))})}));
    ASSERT_EQ(pc.transport->Initialize(), 1);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 1), 4);
    EXPECT_EQ(pc.transport->GetDriveLetter(0, 2), 2);
}

TEST(PortDriverName, MissingIsUnknownAndLongIsCut) {
    const std::string longName(300, 'x');
    Pc pc(Json(
        {kXp,
         Adapters({Adapter("atapi", "atapi", Device(1, "E", "CD-R   VW2410A")),
                   Adapter("atapi", "atapi")}),
         R"("registry": {"HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 1": {"Driver": ")" + longName +
             R"("}}, "registry_remove": ["HKLM\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0"])"}));
    ASSERT_EQ(pc.transport->Initialize(), 2);
    char name[17];
    pc.transport->PortDriverName(0, name, sizeof name);
    EXPECT_STREQ(name, "Unknown");
    pc.transport->PortDriverName(1, name, sizeof name);
    EXPECT_EQ(std::string(name), std::string(16, 'x'));
    AdapterInfo info;
    EXPECT_EQ(pc.transport->GetAdapterInfo(1, info), 1);
    EXPECT_EQ(std::string(info.identifier), std::string(16, 'x'));
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The access each key is opened with: the device-class keys with full access, the
// mounted-device list, the NT enumerator root and the IDE channel path for reading,
// everything else for querying values only.
std::uint32_t ExpectedAccess(const std::string& path) {
    const std::string p = Lower(path);
    for (const char* cls : {"\\class\\scsiadapter", "\\class\\hdc", "\\class\\storage"}) {
        if (EndsWith(p, cls))
            return platform::kKeyAllAccess;
    }
    if (p == "hklm\\system\\mounteddevices" || p == "hklm\\system\\currentcontrolset\\enum" ||
        p == "hklm\\system" || p == "hklm\\system\\currentcontrolset" ||
        EndsWith(p, "\\enum\\pciide") || EndsWith(p, "\\pciide\\idechannel")) {
        return platform::kKeyRead;
    }
    return platform::kKeyQueryValue;
}

TEST(RegistryUse, EveryKeyIsClosedAndOpenedWithItsAccess) {
    for (const std::string& os : {std::string(kWin98), std::string(kNt4), std::string(kXp)}) {
        SCOPED_TRACE(os);
        Pc pc(Json(
            {os, kManager,
             Adapters({Adapter("atapi", "atapi", Device(1, "E", "CD-R   VW2410A")),
                       Adapter("usb", "usbstor", Device(0, "F", "CD-R   VW2410A"))}),
             R"("external": [{"letter": "G", "bus": "usb", "drive": {"model": "CD-R   VW2410A"}}])"}));
        pc.transport->Initialize();
        pc.transport->GetDriveLetter(0, 1);
        EXPECT_EQ(pc.machine->Registry().OpenKeyCount(), 0u);
        EXPECT_FALSE(pc.machine->Registry().Opens().empty());
        for (const auto& open : pc.machine->Registry().Opens()) {
            EXPECT_EQ(open.access, ExpectedAccess(open.path)) << open.path;
        }
    }
}

}  // namespace
}  // namespace tessaly::testing
