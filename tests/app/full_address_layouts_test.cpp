// Drive layouts of Windows 8 to 11 desktops as rows: Windows' own AHCI driver gives each
// SATA port a bus of its own with target 0, NVMe and other ports take port numbers of
// their own, and a PC may have sixteen and more ports. Every Varnoth drive is listed under
// its own name, and every command of a selected drive reaches that drive alone. Windows
// XP keeps its fixed tables: the first bus of each port, adapters and targets alone.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/started_window.h"

namespace tessaly::testing {
namespace {

constexpr char kWin10[] = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})";
constexpr char kWin11[] = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 22631})";
constexpr char kWin8[] = R"("os": {"platform": 2, "major": 6, "minor": 2, "build": 9200})";
constexpr char kXpOs[] = R"("os": {"platform": 2, "major": 5, "minor": 1, "build": 2600})";

constexpr char kNvme[] = R"({"bus": "scsi", "identifier": "stornvme", "devices": [
    {"target": 0, "drive": {"vendor": "NVMe    ", "product": "OTHERCO NVME 1TB",
                            "peripheral": 0}}]})";
constexpr char kEmptyPort[] = R"({"bus": "scsi", "identifier": "otherco"})";

std::string Device(int bus, char letter, const char* model, const char* extra = "") {
    std::string out = R"({"target": 0, "bus": )" + std::to_string(bus);
    if (letter != 0)
        out += R"(, "letter": ")" + std::string(1, letter) + "\"";
    return out + R"(, "drive": {"model": ")" + model + "\"" + extra + "}}";
}

// A device whose letter's device the system refuses to open.
std::string Denied(int bus, char letter, const char* model) {
    std::string device = Device(bus, letter, model);
    return device.substr(0, device.size() - 1) + R"(, "access": "denied"})";
}

std::string Ahci(const std::vector<std::string>& devices) {
    std::string out = R"({"bus": "atapi", "identifier": "storahci", "devices": [)";
    for (std::size_t i = 0; i < devices.size(); ++i)
        out += (i == 0 ? "" : ",") + devices[i];
    return out + "]}";
}

std::string Pc(const char* os, const std::vector<std::string>& adapters,
               const std::string& external = "") {
    std::string out = std::string("{") + os + R"(, "adapters": [)";
    for (std::size_t i = 0; i < adapters.size(); ++i)
        out += (i == 0 ? "" : ",") + adapters[i];
    out += "]";
    if (!external.empty())
        out += R"(, "external": [)" + external + "]";
    return out + "}";
}

constexpr char kDisc[] =
    R"(, "disc": {"kind": "cd-r", "lead_in": "97:24:01", "lead_out": "79:59:74"})";
constexpr char kSsd[] = R"({"target": 0, "bus": 0, "drive": {"vendor": "ATA     ",
    "product": "OTHERCO SSD 256 ", "peripheral": 0}})";

// Ports 0 to 16 empty and the recorder on port 17, its tray closed and empty.
std::vector<std::string> ManyPorts() {
    std::vector<std::string> adapters(17, kEmptyPort);
    adapters.push_back(Ahci({Device(0, 'E', "CD-R   VW2410A")}));
    return adapters;
}

// One port with a device at every bus and target, the recorder last: its inquiry data does
// not fit 4 KiB.
std::vector<std::string> CrowdedPort() {
    std::vector<std::string> devices;
    for (int bus = 0; bus <= 7; ++bus) {
        for (int target = 0; target <= 15; ++target) {
            if (bus == 7 && target == 15)
                break;
            devices.push_back(R"({"target": )" + std::to_string(target) + R"(, "bus": )" +
                              std::to_string(bus) + R"(, "drive": {"vendor": "OTHERCO ", )" +
                              R"("product": "DISK", "peripheral": 0}})");
        }
    }
    devices.push_back(R"({"target": 15, "bus": 7, "letter": "E", "drive": {"model": )"
                      R"("CD-R   VW2410A"}})");
    return {Ahci(devices)};
}

struct Item {
    std::string label;
    std::string address;  // how the virtual PC logs the drive's commands
    std::string status;   // the status field after a poll
};

struct Layout {
    const char* name;
    std::string scenario;
    std::vector<Item> items;
};

std::vector<Layout> Layouts() {
    const std::string recorder = "ID:0  CD-R   VW2410A  ";
    const std::string reader = "ID:0  CD-ROM VN52A    ";
    return {
        {"recorder on port 1 behind an NVMe disk",
         Pc(kWin10, {kNvme, Ahci({Device(1, 'D', "CD-R   VW2410A", kDisc)})}),
         {{recorder, "1:1:0", "CD-R inserted"}}},
        {"SATA disk on port 0, recorder on port 1",
         Pc(kWin8, {Ahci({kSsd, Device(1, 'D', "CD-R   VW2410A", kDisc)})}),
         {{recorder, "0:1:0", "CD-R inserted"}}},
        {"reader on port 0, recorder on port 1",
         Pc(kWin10,
            {Ahci({Device(0, 'D', "CD-ROM VN52A"), Device(1, 'E', "CD-R   VW2410A", kDisc)})}),
         {{reader, "0:0", "No CD inserted"}, {recorder, "0:1:0", "CD-R inserted"}}},
        {"recorder on port 3",
         Pc(kWin11, {kNvme, Ahci({Device(3, 'E', "CD-R   VW2410A", kDisc)})}),
         {{recorder, "1:3:0", "CD-R inserted"}}},
        {"reader refused, recorder on port 2",
         Pc(kWin10,
            {Ahci({Denied(0, 'D', "CD-ROM VN52A"), Device(2, 'E', "CD-R   VW2410A", kDisc)})}),
         {{reader, "", ""}, {recorder, "0:2:0", "CD-R inserted"}}},
        {"recorder on port 17, empty tray",
         Pc(kWin10, ManyPorts()),
         {{recorder, "17:0", "No CD inserted"}}},
        {"USB recorder after 17 ports",
         Pc(kWin10, ManyPorts(),
            R"({"letter": "G", "bus": "usb",
             "drive": {"model": "CD-R   VW2410A")" +
                std::string(kDisc) + "}}"),
         {{recorder, "17:0", "No CD inserted"},
          {"ID:0  CD-R   Varnoth Traveller 24/40 USB", "18:0", "CD-R inserted"}}},
        {"recorder after 127 devices of one port",
         Pc(kWin10, CrowdedPort()),
         {{"ID:15  CD-R   VW2410A  ", "0:7:15", "No CD inserted"}}},
        // Windows XP keeps the fixed tables: the first bus alone is read, so the recorder
        // on bus 1 stays unlisted, and its letter, the later one of the same port and
        // target, takes the reader's commands, as before.
        {"XP: reader on bus 0, recorder on bus 1",
         Pc(kXpOs,
            {Ahci({Device(0, 'D', "CD-ROM VN52A"), Device(1, 'E', "CD-R   VW2410A", kDisc)})}),
         {{reader, "0:1:0", "Not a multisession CD-R(W)"}}},
    };
}

TEST(FullAddressLayouts, EachDriveIsListedAndEveryCommandReachesIt) {
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        StartedWindow w(layout.scenario);
        for (const auto& message : w.view.Messages())
            EXPECT_EQ(message.text.find("No Varnoth drives detected!"), std::string::npos);
        std::vector<std::string> labels;
        for (const Item& item : layout.items)
            labels.push_back(item.label);
        ASSERT_EQ(w.view.Items(), labels);
        for (std::size_t i = 0; i < layout.items.size(); ++i) {
            const Item& item = layout.items[i];
            if (item.address.empty())
                continue;  // listed from the port's inquiry data, its device refused
            SCOPED_TRACE(item.address);
            w.view.SelectDriveItem(static_cast<int>(i));
            w.dialog.Panel().OnSelectionChange();
            w.pc.machine->ClearCommandLog();
            w.dialog.Panel().OnTimer(app::kPollTimerId);
            const auto& log = w.pc.machine->CommandLog();
            ASSERT_FALSE(log.empty());
            std::set<std::string> reached;
            for (const std::string& command : log)
                reached.insert(command.substr(0, command.find(' ')));
            EXPECT_EQ(reached, std::set<std::string>{item.address});
            EXPECT_EQ(w.Field(kFieldStatus), item.status);
        }
    }
}

// The port scan asks every port number with no access rights, goes past empty ports and
// keeps no port open; the drive's letter device is the only one a command opens.
TEST(FullAddressLayouts, PortScanWalksEveryPortWithoutAccessAndClosesThem) {
    StartedWindow w(Pc(kWin10, ManyPorts()));
    const RecordingPlatform& recorder = *w.pc.recorder;
    std::set<std::string> ports;
    for (std::size_t i = 0; i < recorder.openedNames.size(); ++i) {
        const std::string& name = recorder.openedNames[i];
        if (name.rfind("\\\\.\\SCSI", 0) != 0)
            continue;
        ports.insert(name);
        EXPECT_EQ(recorder.openAccess[i], 0u) << name;
    }
    EXPECT_EQ(ports.size(), kPortNumbers);
    EXPECT_EQ(w.pc.transport->ScannedPorts().size(), 18u);
    EXPECT_EQ(w.pc.transport->PortHandle(0), 0u);
    EXPECT_EQ(w.pc.transport->GetAdapterKind(17), kInterfaceAtapi);
    const std::size_t open = w.pc.machine->OpenHandleCount();
    w.dialog.Panel().OnTimer(app::kPollTimerId);
    EXPECT_EQ(w.pc.machine->OpenHandleCount(), open);
    EXPECT_EQ(open, 0u);
}

}  // namespace
}  // namespace tessaly::testing
