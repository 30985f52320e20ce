// The Linux platform on a fake machine: the Win32 calls the core makes, answered from
// fake system calls and a fake sysfs tree; and the program's whole start-up on it,
// which must show what the virtual PC shows for the same drive on Windows XP.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/control_ids.h"
#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "fake_linux.h"
#include "platform/linux/linux_platform.h"
#include "platform/os_version.h"
#include "report/os_name.h"
#include "runner/session.h"
#include "runner/text_output.h"
#include "support/pc_fixture.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"

namespace tessaly {
namespace {

using platform::linux_os::KernelRelease;
using platform::linux_os::LinuxPlatform;
using testing::FakeCalls;
using testing::FakeDevice;
using testing::FakeSysfs;

const KernelRelease kKernel{"6.1.0-18-amd64", "x86_64"};

// Windows XP with the drives on its one SCSI port at targets 3 and 5: the numbering a
// guest with two empty ata_piix hosts and a virtio_scsi host shows, as only hosts with
// drives are ports.
constexpr const char* kXpScenario = R"({
  "os": { "platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "Service Pack 2" },
  "date": "2003-05-14",
  "adapters": [
    { "bus": "scsi", "identifier": "virtio_scsi", "scsi_id": 7,
      "devices": [
        { "target": 3, "letter": "D",
          "drive": { "model": "CD-R   VW2410A", "revision": "1.04", "tray": "closed",
                     "disc": { "kind": "cd-r", "lead_in": "97:24:01", "lead_out": "79:59:74",
                               "capacity_lba": 359847 } } },
        { "target": 5, "letter": "E",
          "drive": { "model": "DVDR   VD0708A", "tray": "open" } }
      ] }
  ],
  "printer": { "width": 4800, "height": 6600, "cancel": false }
})";

// The same machine on Linux: hosts 0 and 1 ata_piix, host 2 virtio_scsi with the drives
// at /dev/sr0 and /dev/sr1.
struct LinuxMachine {
    explicit LinuxMachine(const vpc::Scenario& scenario)
        : cd(scenario.adapters[0].devices[0].drive), dvd(scenario.adapters[0].devices[1].drive) {
        sysfs.AddHost(0, "ata_piix");
        sysfs.AddHost(1, "ata_piix");
        sysfs.AddHost(2, "virtio_scsi", "7");
        AddDrive("2:0:3:0", cd, "sr0");
        AddDrive("2:0:5:0", dvd, "sr1");
        calls.devices["/dev/sr0"] = FakeDevice{{2, 0, 3, 0}, &cd};
        calls.devices["/dev/sr1"] = FakeDevice{{2, 0, 5, 0}, &dvd};
    }
    void AddDrive(const std::string& address, vpc::EmulatedDrive& drive,
                  const std::string& node) const {
        const auto identity = drive.IdentifyData();
        sysfs.AddDevice(address, 5, "VARNOTH", "", "",
                        std::vector<std::uint8_t>(identity.begin(), identity.end()), node);
    }
    std::unique_ptr<LinuxPlatform> Platform(std::vector<std::string> devices = {}) {
        return std::make_unique<LinuxPlatform>(calls, sysfs.Root(), std::move(devices), kKernel);
    }

    FakeSysfs sysfs;
    FakeCalls calls;
    vpc::EmulatedDrive cd;
    vpc::EmulatedDrive dvd;
};

// One start-up of the main window on a platform, and its text output.
struct Session {
    Session(platform::Platform& platform, const platform::PaperSpec& paper)
        : transport(platform),
          dialog(transport, platform, view),
          printer(paper, platform::FixedDate{2003, 5, 14}) {
        view.Attach(&dialog);
        view.BeginStep();
        dialog.OnInitDialog();
    }
    app::HeadlessView view;
    ScsiTransport transport;
    app::MainDialog dialog;
    platform::RecordingPrinter printer;
};

TEST(LinuxPlatform, VersionIsLinuxWithNt5Rules) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    auto pc = machine.Platform();
    const platform::OsVersion os = platform::OsVersion::Read(*pc);
    EXPECT_EQ(os.Release(), platform::OsRelease::kLinux);
    EXPECT_EQ(os.Rules(), platform::TransportRules::kNt5);
    EXPECT_FALSE(os.IsNt());
    EXPECT_EQ(os.Info().majorVersion, 6u);
    EXPECT_EQ(os.Info().minorVersion, 1u);
    EXPECT_EQ(os.Info().buildNumber, 0u);
    char name[64];
    OsNameText(*pc, name, sizeof name);
    EXPECT_STREQ(name, "Linux 6.1.0-18-amd64 x86_64");
}

TEST(LinuxPlatform, KernelReleasesParsed) {
    const struct {
        const char* release;
        unsigned major, minor, patch;
    } rows[] = {{"6.1.0-18-amd64", 6, 1, 0},
                {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
                {"4.19", 4, 19, 0},
                {"", 0, 0, 0},
                {"99999999999999.1.2", 999999, 1, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        const auto info = platform::linux_os::LinuxVersionInfo({row.release, "aarch64"});
        EXPECT_EQ(info.majorVersion, row.major) << "a number stops growing at six digits";
        EXPECT_EQ(info.minorVersion, row.minor);
        EXPECT_EQ(info.buildNumber, row.patch);
        EXPECT_EQ(info.platformId, platform::kVerPlatformLinux);
    }
}

struct DriveTypeRow {
    const char* root;
    std::uint32_t type;
};

TEST(LinuxPlatform, DriveLettersAreTheOpticalDevices) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    auto pc = machine.Platform();
    const DriveTypeRow rows[] = {
        {"D:\\", platform::kDriveCdrom},      {"e:\\", platform::kDriveCdrom},
        {"F:\\", platform::kDriveNoRootDir},  {"C:\\", platform::kDriveNoRootDir},
        {"D:\\x", platform::kDriveNoRootDir}, {"", platform::kDriveNoRootDir},
        {nullptr, platform::kDriveNoRootDir}};
    for (const DriveTypeRow& row : rows) {
        SCOPED_TRACE(row.root ? row.root : "(null)");
        EXPECT_EQ(pc->GetDriveTypeA(row.root), row.type);
    }
    auto named = machine.Platform({"/dev/sr1"});
    EXPECT_EQ(named->DevicePath(3), "/dev/sr1") << "a named device is D:";
    EXPECT_EQ(named->GetDriveTypeA("E:\\"), platform::kDriveNoRootDir);
}

// A named device is the only drive listed, though another drive shares its host.
TEST(LinuxSession, NamedDeviceAloneOnItsHost) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    for (const char* node : {"/dev/sr0", "/dev/sr1"}) {
        SCOPED_TRACE(node);
        auto pc = machine.Platform({node});
        Session session(*pc, platform::PaperSpec{4800, 6600, false, 0});
        ASSERT_EQ(session.view.Items().size(), 1u);
        EXPECT_EQ(session.view.Fields().at(IDC_TARGET_ID),
                  std::string(node) == "/dev/sr0" ? "3" : "5");
    }
}

struct OpenRow {
    const char* name;
    int openError;
    bool opens;
    std::uint32_t error;
};

TEST(LinuxPlatform, CreateFileMapsDevicesAndErrors) {
    const OpenRow rows[] = {
        {"\\\\.\\D:", 0, true, 0},
        {"\\\\.\\D:", EACCES, false, platform::kErrorAccessDenied},
        {"\\\\.\\D:", EPERM, false, platform::kErrorAccessDenied},
        {"\\\\.\\D:", ENXIO, false, 21},
        {"\\\\.\\F:", 0, false, platform::kErrorFileNotFound},
        {"\\\\.\\SCSI0:", 0, true, 0},
        {"\\\\.\\SCSI1:", 0, false, platform::kErrorFileNotFound},
        {"\\\\.\\SCSI-1:", 0, false, platform::kErrorFileNotFound},
        {"\\\\.\\SCSI0:x", 0, false, platform::kErrorFileNotFound},
        {"D:", 0, false, platform::kErrorFileNotFound},
    };
    for (const OpenRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " errno " + std::to_string(row.openError));
        LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
        machine.calls.devices["/dev/sr0"].openError = row.openError;
        auto pc = machine.Platform();
        const platform::Handle handle =
            pc->CreateFileA(row.name, platform::kGenericRead | platform::kGenericWrite, 3, 3);
        EXPECT_EQ(handle != platform::kInvalidHandleValue, row.opens);
        if (!row.opens) {
            EXPECT_EQ(pc->GetLastError(), row.error);
            continue;
        }
        if (row.name[4] == 'D') {
            EXPECT_EQ(machine.calls.openFlags, O_RDONLY | O_NONBLOCK) << "read-only whatever asked";
        }
        EXPECT_TRUE(pc->CloseHandle(handle));
        EXPECT_FALSE(pc->CloseHandle(handle)) << "closed once";
        pc.reset();
        EXPECT_EQ(machine.calls.OpenDescriptors(), 0u);
    }
}

TEST(LinuxPlatform, AddressesAndPortAnswers) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    machine.sysfs.AddHost(3, "usb-storage");
    machine.sysfs.AddDevice("3:0:0:0", 5, "VARNOTH", "", "", {}, "sr2");
    machine.calls.devices["/dev/sr2"] = FakeDevice{{3, 0, 0, 0}, &machine.cd};
    auto pc = machine.Platform();
    std::uint32_t returned = 0;
    nt::SCSI_ADDRESS address{};
    const platform::Handle d = pc->CreateFileA("\\\\.\\D:", platform::kGenericRead, 3, 3);
    ASSERT_TRUE(pc->DeviceIoControl(d, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                    sizeof address, &returned));
    EXPECT_EQ(address.PortNumber, 0) << "host 2 is the first port";
    EXPECT_EQ(address.TargetId, 3);
    EXPECT_EQ(returned, 8u);
    EXPECT_FALSE(pc->DeviceIoControl(d, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                     sizeof address, nullptr))
        << "no count pointer";
    EXPECT_FALSE(pc->DeviceIoControl(d, 0x12345678, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(pc->GetLastError(), platform::kErrorInvalidFunction);

    const platform::Handle f = pc->CreateFileA("\\\\.\\F:", platform::kGenericRead, 3, 3);
    EXPECT_FALSE(pc->DeviceIoControl(f, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                     sizeof address, &returned))
        << "a USB drive is reached by its letter only";

    const platform::Handle port = pc->CreateFileA("\\\\.\\SCSI0:", platform::kGenericRead, 3, 3);
    std::uint8_t query[12] = {1, 0, 0, 0, 0, 0, 0, 0};
    std::uint8_t descriptor[64] = {};
    ASSERT_TRUE(pc->DeviceIoControl(port, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query,
                                    descriptor, sizeof descriptor, &returned));
    EXPECT_EQ(descriptor[24], 1) << "virtio_scsi is a SCSI adapter";
    std::uint8_t small[4];
    EXPECT_FALSE(pc->DeviceIoControl(port, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, small,
                                     sizeof small, &returned));
    EXPECT_EQ(pc->GetLastError(), platform::kErrorInsufficientBuffer);

    platform::RegKey key = 0;
    ASSERT_EQ(pc->RegOpenKeyExA(platform::kHkeyLocalMachine,
                                "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0", 1, &key),
              0);
    char driver[32] = {};
    std::uint32_t size = sizeof driver;
    ASSERT_EQ(pc->RegQueryValueExA(key, "Driver", nullptr, reinterpret_cast<std::uint8_t*>(driver),
                                   &size),
              0);
    EXPECT_STREQ(driver, "virtio_scsi");
    pc->RegCloseKey(key);
    ASSERT_EQ(pc->RegOpenKeyExA(platform::kHkeyLocalMachine, "system\\mounteddevices", 1, &key), 0);
    size = 0;
    EXPECT_EQ(pc->RegQueryValueExA(key, "\\DosDevices\\F:", nullptr, nullptr, &size), 0);
    EXPECT_GT(size, 20u);
    EXPECT_NE(pc->RegQueryValueExA(key, "\\DosDevices\\D:", nullptr, nullptr, &size), 0)
        << "an internal drive is not listed as mounted external";
    pc->RegCloseKey(key);
    const platform::Handle again = pc->CreateFileA("\\\\.\\D:", platform::kGenericRead, 3, 3);
    pc->CloseHandle(d);
    pc->CloseHandle(f);
    pc->CloseHandle(port);
    pc->CloseHandle(again);
    EXPECT_EQ(machine.calls.openCalls, 2) << "D: and F: once each";
    EXPECT_EQ(machine.calls.OpenDescriptors(), 2u);
    pc.reset();
    EXPECT_EQ(machine.calls.OpenDescriptors(), 0u);
}

TEST(LinuxPlatform, NoAspiManagerAndNoVersionResources) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    auto pc = machine.Platform();
    EXPECT_EQ(pc->LoadLibraryA("wnaspi32.dll"), 0u);
    EXPECT_EQ(pc->GetLastError(), 126u);
    EXPECT_EQ(pc->GetFileVersionInfoSizeA("wnaspi32.dll"), 0u);
}

// The start-up and the text output on Linux match the virtual PC's on Windows XP for
// the same drives, but for the system's name.
TEST(LinuxSession, TextMatchesTheVirtualPcButForTheSystem) {
    const vpc::Scenario scenario = testing::ScenarioFrom(kXpScenario);
    vpc::VirtualPc xp(scenario);
    const platform::PaperSpec paper{4800, 6600, false, 0};
    Session windows(xp, paper);
    LinuxMachine machine(scenario);
    auto pc = machine.Platform();
    Session linux(*pc, paper);

    ASSERT_EQ(linux.view.Items().size(), 2u);
    EXPECT_EQ(linux.view.Items(), windows.view.Items());
    EXPECT_TRUE(linux.view.Messages().empty());
    const std::string linuxText =
        runner::FormatText(runner::PlayTextSession(linux.view, linux.dialog, linux.printer));
    std::string windowsText =
        runner::FormatText(runner::PlayTextSession(windows.view, windows.dialog, windows.printer));
    const std::string xpLine = "Operating system: Windows XP V5.01.2600 Service Pack 2";
    const auto at = windowsText.find(xpLine);
    ASSERT_NE(at, std::string::npos);
    windowsText.replace(at, xpLine.size(), "Operating system: Linux 6.1.0-18-amd64 x86_64");
    EXPECT_EQ(linuxText, windowsText);
    EXPECT_NE(linuxText.find("  Host Adapter: 0\n  Target ID: 3\n"), std::string::npos);
    EXPECT_NE(linuxText.find("Start Time Of Lead Out: 79:59:74  LBA: "), std::string::npos);
    EXPECT_GT(machine.calls.sgIoCalls, 10);
}

TEST(LinuxSession, NoDevicesNoDrives) {
    FakeSysfs sysfs;
    FakeCalls calls;
    LinuxPlatform pc(calls, sysfs.Root(), {}, kKernel);
    Session session(pc, platform::PaperSpec{4800, 6600, false, 0});
    EXPECT_TRUE(session.view.Items().empty());
    ASSERT_FALSE(session.view.Messages().empty());
    EXPECT_EQ(session.view.Messages().back().text, "No Varnoth drives detected!");
    EXPECT_EQ(
        runner::FormatText(runner::PlayTextSession(session.view, session.dialog, session.printer)),
        "Drives:\n");
}

// The JSON of a type tree: the keys of every object and the type of every value.
void Shape(const runner::Json& value, const std::string& path, std::set<std::string>& out) {
    out.insert(path + ":" + std::string(value.type_name()));
    if (value.is_object()) {
        for (const auto& [key, item] : value.items())
            Shape(item, path + "/" + key, out);
    } else if (value.is_array()) {
        for (const auto& item : value)
            Shape(item, path + "[]", out);
    }
}

TEST(LinuxSession, JsonStepsHaveTheSimulatorsShape) {
    const vpc::Scenario scenario = testing::ScenarioFrom(kXpScenario);
    vpc::VirtualPc xp(scenario);
    const platform::PaperSpec paper{4800, 6600, false, 0};
    Session windows(xp, paper);
    LinuxMachine machine(scenario);
    auto pc = machine.Platform();
    Session linux(*pc, paper);

    const runner::CommandSource xpLog{
        [&xp]() -> const std::vector<std::string>& { return xp.CommandLog(); },
        [&xp] { xp.ClearCommandLog(); }};
    const runner::CommandSource linuxLog{
        [&pc]() -> const std::vector<std::string>& { return pc->CommandLog(); },
        [&pc] { pc->ClearCommandLog(); }};
    const runner::Json a =
        runner::TextSessionJson(windows.view, windows.dialog, windows.printer, xpLog)["steps"];
    const runner::Json b =
        runner::TextSessionJson(linux.view, linux.dialog, linux.printer, linuxLog)["steps"];
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(b.size(), 5u) << "start, select:0, select:1, select:0, print";
    for (std::size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        std::set<std::string> sa;
        std::set<std::string> sb;
        Shape(a[i], "", sa);
        Shape(b[i], "", sb);
        EXPECT_EQ(sa, sb);
        EXPECT_EQ(a[i]["event"], b[i]["event"]);
        EXPECT_EQ(a[i]["commands"], b[i]["commands"]) << "the same commands, same addresses";
    }
    EXPECT_TRUE(b.back()["page"].is_object());
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// Without sysfs the drives are still found: their own addresses name the ports.
TEST(LinuxSession, DrivesFoundWithoutSysfs) {
    const vpc::Scenario scenario = testing::ScenarioFrom(kXpScenario);
    LinuxMachine machine(scenario);
    FakeSysfs empty;
    LinuxPlatform pc(machine.calls, empty.Root(), {}, kKernel);
    Session session(pc, platform::PaperSpec{4800, 6600, false, 0});
    ASSERT_EQ(session.view.Items().size(), 2u);
    EXPECT_EQ(session.view.Fields().at(IDC_HOST_ADAPTER), "0");
    EXPECT_EQ(session.view.Fields().at(IDC_TARGET_ID), "3");
    EXPECT_EQ(machine.calls.openCalls, 2) << "absent names are not opened";
    EXPECT_EQ(machine.calls.OpenDescriptors(), 2u) << "the drives' descriptors stay open";
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

// sysfs lists the device but its inquiry file is empty (unreadable): the drive is asked.
TEST(LinuxSession, EmptyInquiryFileAsksTheDrive) {
    const vpc::Scenario scenario = testing::ScenarioFrom(kXpScenario);
    LinuxMachine machine(scenario);
    machine.sysfs.Write("class/scsi_device/2:0:3:0/device/inquiry", "");
    auto pc = machine.Platform();
    Session session(*pc, platform::PaperSpec{4800, 6600, false, 0});
    ASSERT_EQ(session.view.Items().size(), 2u);
    EXPECT_EQ(session.view.Fields().at(IDC_TARGET_ID), "3");
}

}  // namespace
}  // namespace tessaly

namespace tessaly {
namespace {

struct RegistryRow {
    const char* name;
    const char* key;
    const char* value;
    std::int32_t status;
    const char* text;
};

// The registry the transport reads, derived from sysfs: one row per lookup.
TEST(LinuxPlatform, RegistryFromSysfsTable) {
    LinuxMachine machine(testing::ScenarioFrom(kXpScenario));
    machine.sysfs.AddHost(4, "firewire_sbp2");
    machine.sysfs.AddDevice("4:0:0:0", 5, "VARNOTH ", "DVDR   VD0708A", "", {}, "sr2");
    machine.calls.devices["/dev/sr2"] = FakeDevice{{4, 0, 0, 0}, &machine.dvd};
    auto pc = machine.Platform();
    const RegistryRow rows[] = {
        {"port driver", "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0", "Driver", 0, "virtio_scsi"},
        {"external after internal", "hardware\\devicemap\\SCSI\\scsi port 1", "DRIVER", 0,
         "firewire_sbp2"},
        {"no port without a drive", "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 2", "Driver", 2, ""},
        {"a missing value", "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0", "Identifier", 2, ""},
        {"the 1394 drive's compatible ids",
         "SYSTEM\\CurrentControlSet\\Enum\\SBP2\\CdRom&Ven_VARNOTH&Prod_DVDR___VD0708A\\4&0&0&0",
         "CompatibleIDs", 0, "SBP2\\CdRom"},
        {"no 9x keys", "System\\CurrentControlSet\\Services\\Class\\SCSIAdapter", nullptr, 2, ""},
    };
    for (const RegistryRow& row : rows) {
        SCOPED_TRACE(row.name);
        platform::RegKey key = 0;
        const std::int32_t opened =
            pc->RegOpenKeyExA(platform::kHkeyLocalMachine, row.key, platform::kKeyRead, &key);
        if (row.value == nullptr || opened != 0) {
            EXPECT_EQ(opened, row.status);
            continue;
        }
        char text[64] = {};
        std::uint32_t size = 4;
        const std::int32_t status = pc->RegQueryValueExA(
            key, row.value, nullptr, reinterpret_cast<std::uint8_t*>(text), &size);
        if (row.status != 0) {
            EXPECT_EQ(status, row.status);
        } else {
            EXPECT_EQ(status, static_cast<std::int32_t>(platform::kErrorMoreData))
                << "a short buffer gets the size";
            EXPECT_EQ(size, std::strlen(row.text) + 1);
            size = sizeof text;
            ASSERT_EQ(pc->RegQueryValueExA(key, row.value, nullptr,
                                           reinterpret_cast<std::uint8_t*>(text), &size),
                      0);
            EXPECT_STREQ(text, row.text);
        }
        EXPECT_EQ(pc->RegCloseKey(key), 0);
    }
}

// A drive on an IEEE 1394 host (known by its driver) or on a UAS host that names no driver
// ("(null)", known by its place below a USB bus) is listed as the window lists external
// drives, once, and the other drives keep their places.
TEST(LinuxSession, ExternalHostDrivesListedAsExternal) {
    struct Row {
        const char* driver;
        const char* place;  // empty: a host whose place sysfs does not show
    };
    const Row rows[] = {
        {"firewire_sbp2", ""},
        {"(null)", "devices/pci0000:00/0000:00:14.0/usb4/4-1/4-1:1.0/host4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.driver);
        const vpc::Scenario scenario = testing::ScenarioFrom(kXpScenario);
        LinuxMachine machine(scenario);
        vpc::EmulatedDrive external(scenario.adapters[0].devices[1].drive);
        if (*row.place == '\0')
            machine.sysfs.AddHost(4, row.driver);
        else
            machine.sysfs.AddHostAt(4, row.driver, row.place);
        const auto identity = external.IdentifyData();
        machine.sysfs.AddDevice("4:0:0:0", 5, "VARNOTH", "DVDR   VD0708A", "",
                                std::vector<std::uint8_t>(identity.begin(), identity.end()), "sr2");
        machine.calls.devices["/dev/sr2"] = FakeDevice{{4, 0, 0, 0}, &external};
        auto pc = machine.Platform();
        Session session(*pc, platform::PaperSpec{4800, 6600, false, 0});
        const auto& items = session.view.Items();
        ASSERT_EQ(items.size(), 3u) << "listed once, as an external drive";
        EXPECT_EQ(items[0].find("ID:3"), 0u) << items[0];
        EXPECT_EQ(items[2].find("ID:0  DVDR"), 0u) << items[2];
        EXPECT_NE(items[2].find("External"), std::string::npos) << items[2];
    }
}

}  // namespace
}  // namespace tessaly

#include "platform/linux/drive_nodes.h"
#include "transport/backends.h"
#include "transport/inquiry_data.h"

namespace tessaly {
namespace {

constexpr const char* kEmptyDriveScenario = R"({
  "os": { "platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "" },
  "date": "2003-05-14",
  "adapters": [ { "bus": "scsi", "identifier": "ahci", "devices": [
    { "target": 0, "letter": "D", "drive": { "model": "CD-R   VW2410A", "tray": "closed" } } ] } ]
})";

// Drives on the high host numbers of a desktop (one host per SATA port, USB beside): only
// hosts with drives are ports, numbered from 0, internal before external.
TEST(LinuxSession, HighHostsAreCompactPorts) {
    struct Drive {
        int host;
        const char* place;
    };
    struct Row {
        const char* name;
        std::vector<Drive> drives;  // at /dev/sr0, /dev/sr1, ...
        std::size_t items;
        const char* firstAdapter;
        bool lastUsb;  // the last item labelled as a USB drive
    };
    const Row rows[] = {
        {"host 12", {{12, "devices/pci0/1f.2/ata13/host12"}}, 1, "0", false},
        {"hosts 17 and 3",
         {{17, "devices/pci0/1f.2/ata18/host17"}, {3, "devices/pci0/1f.2/ata4/host3"}},
         2,
         "0",
         false},
        {"USB on 13 before internal on 20",
         {{13, "devices/pci0/14.0/usb2/2-1/2-1:1.0/host13"},
          {20, "devices/pci0/1f.2/ata21/host20"}},
         2,
         "0",
         true},
    };
    const vpc::Scenario scenario = testing::ScenarioFrom(kEmptyDriveScenario);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSysfs sysfs;
        FakeCalls calls;
        sysfs.AddHost(0, "ahci");
        std::vector<std::unique_ptr<vpc::EmulatedDrive>> drives;
        for (std::size_t i = 0; i < row.drives.size(); ++i) {
            const Drive& d = row.drives[i];
            drives.push_back(
                std::make_unique<vpc::EmulatedDrive>(scenario.adapters[0].devices[0].drive));
            sysfs.AddHostAt(d.host, "ahci", d.place);
            const auto identity = drives.back()->IdentifyData();
            const std::string node = "sr" + std::to_string(i);
            sysfs.AddDevice(std::to_string(d.host) + ":0:0:0", 5, "VARNOTH", "", "",
                            std::vector<std::uint8_t>(identity.begin(), identity.end()), node);
            calls.devices["/dev/" + node] =
                FakeDevice{{static_cast<std::uint8_t>(d.host), 0, 0, 0}, drives.back().get()};
        }
        LinuxPlatform pc(calls, sysfs.Root(), {}, kKernel);
        Session session(pc, platform::PaperSpec{4800, 6600, false, 0});
        const auto& items = session.view.Items();
        ASSERT_EQ(items.size(), row.items);
        EXPECT_EQ(session.view.Fields().at(IDC_HOST_ADAPTER), row.firstAdapter);
        EXPECT_EQ(session.view.Fields().at(IDC_STATUS), "No CD inserted");
        EXPECT_EQ(items.back().find("USB") != std::string::npos, row.lastUsb) << items.back();
        EXPECT_TRUE(pc.TakeNotes().empty());
    }
}

// One run opens the drive's node once, tries no other name, and every handle shares the
// descriptor; a drive that goes away (ENODEV) is opened again when it comes back.
TEST(LinuxSession, OneOpenPerDrive) {
    const vpc::Scenario scenario = testing::ScenarioFrom(kEmptyDriveScenario);
    vpc::EmulatedDrive drive(scenario.adapters[0].devices[0].drive);
    FakeSysfs sysfs;
    FakeCalls calls;
    sysfs.AddHost(0, "ata_piix");
    const auto identity = drive.IdentifyData();
    sysfs.AddDevice("0:0:1:0", 5, "VARNOTH", "", "",
                    std::vector<std::uint8_t>(identity.begin(), identity.end()), "sr0");
    calls.devices["/dev/sr0"] = FakeDevice{{0, 0, 1, 0}, &drive};
    {
        LinuxPlatform pc(calls, sysfs.Root(), {}, kKernel);
        Session session(pc, platform::PaperSpec{4800, 6600, false, 0});
        runner::PlayTextSession(session.view, session.dialog, session.printer);
        ASSERT_EQ(session.view.Items().size(), 1u);
        EXPECT_EQ(calls.openCalls, 1);
        EXPECT_GT(calls.sgIoCalls, 5);
        EXPECT_EQ(calls.OpenDescriptors(), 1u);

        calls.sgIo = [&calls](sg_io_hdr_t&) {
            calls.devices.erase("/dev/sr0");  // unplugged during the command
            return -ENODEV;
        };
        session.dialog.Panel().OnRefreshClick();
        EXPECT_EQ(calls.OpenDescriptors(), 0u) << "a drive gone is let go";
        EXPECT_EQ(calls.openCalls, 1) << "its node gone, it is not tried";
        calls.sgIo = nullptr;
        calls.devices["/dev/sr0"] = FakeDevice{{0, 0, 1, 0}, &drive};
        session.dialog.Panel().OnRefreshClick();
        EXPECT_EQ(calls.openCalls, 2);
        EXPECT_EQ(session.view.Fields().at(IDC_STATUS), "No CD inserted");
    }
    EXPECT_EQ(calls.OpenDescriptors(), 0u) << "closed at the end";
}

// A node's descriptor is kept while the node stands for the same device; a node gone or
// replaced is let go, and a replaced one opened anew.
TEST(DriveNodes, KeptWhileTheNodeIsTheSame) {
    FakeCalls calls;
    calls.devices["/dev/sr0"] = FakeDevice{{0, 0, 0, 0}, nullptr};
    platform::linux_os::DriveNodes nodes(calls, 2);
    std::uint32_t error = 0;
    const int first = nodes.Get(0, "/dev/sr0", error);
    ASSERT_GE(first, 0);
    EXPECT_EQ(nodes.Get(0, "/dev/sr0", error), first);
    EXPECT_EQ(calls.openCalls, 1);
    calls.devices["/dev/sr0"].number = 0x0B01;  // another drive at the node
    EXPECT_NE(nodes.Get(0, "/dev/sr0", error), first);
    EXPECT_EQ(calls.openCalls, 2);
    EXPECT_EQ(calls.OpenDescriptors(), 1u) << "the old descriptor closed";
    calls.devices.erase("/dev/sr0");
    EXPECT_LT(nodes.Get(0, "/dev/sr0", error), 0);
    EXPECT_EQ(error, platform::kErrorFileNotFound);
    EXPECT_EQ(calls.OpenDescriptors(), 0u);
    EXPECT_EQ(calls.openCalls, 2) << "a missing node is not opened";
    EXPECT_LT(nodes.Get(2, "/dev/sr0", error), 0) << "no such node index";
}

// Beyond the limits the platform lists what fits and says once what it left out; the
// port answer for a crowded host is as long as it needs, never written past.
TEST(LinuxPlatform, LimitsSaidOnce) {
    FakeSysfs sysfs;
    FakeCalls calls;
    sysfs.AddHost(0, "ahci");
    for (int i = 0; i < 25; ++i)
        sysfs.AddDevice("0:0:" + std::to_string(i) + ":0", 5, "VARNOTH", "", "", {},
                        "sr" + std::to_string(i));
    sysfs.AddDevice("0:0:0:99999999", 5, "VARNOTH", "", "", {});
    LinuxPlatform pc(calls, sysfs.Root(), {}, kKernel);
    EXPECT_EQ(pc.DevicePath(3), "/dev/sr0");
    EXPECT_EQ(pc.DevicePath(13), "/dev/sr10") << "by node number";
    EXPECT_EQ(pc.DevicePath(25), "/dev/sr22");
    EXPECT_EQ(pc.DevicePath(26), "");
    const std::vector<std::string> notes = pc.TakeNotes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("1 SCSI device entries"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("left out: /dev/sr23, /dev/sr24"), std::string::npos) << notes[1];
    EXPECT_TRUE(pc.TakeNotes().empty()) << "said once";
}

TEST(LinuxPlatform, CrowdedPortAnswerBounded) {
    const struct {
        int disks;
        std::size_t listed;
        bool noted;
    } rows[] = {{200, 201, false}, {300, 255, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disks);
        FakeSysfs sysfs;
        FakeCalls calls;
        sysfs.AddHost(0, "mpt3sas");
        sysfs.AddDevice("0:0:0:0", 5, "VARNOTH", "", "", std::vector<std::uint8_t>(36, 0x05),
                        "sr0");
        for (int i = 0; i < row.disks; ++i) {
            const std::string address =
                "0:0:" + std::to_string(i % 100) + ":" + std::to_string(1 + i / 100);
            sysfs.AddDevice(address, 0, "DISK", "", "", std::vector<std::uint8_t>(96, 0));
        }
        calls.devices["/dev/sr0"] = FakeDevice{{0, 0, 0, 0}, nullptr};
        LinuxPlatform pc(calls, sysfs.Root(), {}, kKernel);
        const platform::Handle port = pc.CreateFileA("\\\\.\\SCSI0:", 0, 3, 3);
        ASSERT_NE(port, platform::kInvalidHandleValue);
        std::vector<std::uint8_t> small(nt::kInquiryDataBufferSize);
        std::uint32_t returned = 0;
        EXPECT_FALSE(pc.DeviceIoControl(port, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                        small.data(), static_cast<std::uint32_t>(small.size()),
                                        &returned));
        EXPECT_EQ(pc.GetLastError(), platform::kErrorInsufficientBuffer);
        const std::vector<std::uint8_t> data = QueryPortInquiryDataGrowing(pc, port);
        EXPECT_EQ(ListPortInquiryEntries(ByteView(data.data(), data.size())).size(), row.listed);
        const std::vector<std::string> notes = pc.TakeNotes();
        EXPECT_EQ(notes.size(), row.noted ? 1u : 0u);
        if (row.noted) {
            EXPECT_NE(notes[0].find("46 devices"), std::string::npos) << notes[0];
        }
        pc.CloseHandle(port);
    }
}

}  // namespace
}  // namespace tessaly
