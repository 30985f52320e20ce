// --watch on a fake machine: the drive's block, a poll that changes nothing, the drive
// taken away (one line, no command while it is away), the same drive back (what
// changed), and another drive at the node (a new drive with all its fields).
#include <gtest/gtest.h>

#include <sys/sysmacros.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_linux.h"
#include "support/pc_fixture.h"
#include "watch.h"

namespace tessaly {
namespace {

vpc::DriveSpec DriveOf(const char* model, const char* tray) {
    const vpc::Scenario scenario =
        testing::ScenarioFrom(std::string(R"({
      "os": { "platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "" },
      "adapters": [ { "bus": "scsi", "identifier": "virtio_scsi", "scsi_id": 7, "devices": [
        { "target": 3, "letter": "D", "drive": { "model": ")") +
                              model + R"(", "tray": ")" + tray + R"(" } } ] } ] })");
    return scenario.adapters[0].devices[0].drive;
}

// The node /dev/sr0 (11:0) with a drive at 0:0:3:0, as sysfs and the system calls show it.
struct Node {
    void Put(vpc::EmulatedDrive& drive, const std::string& model) {
        sysfs.AddHost(0, "virtio_scsi", "7");
        const auto identity = drive.IdentifyData();
        sysfs.AddDevice("0:0:3:0", 5, "VARNOTH", model, "1.00",
                        std::vector<std::uint8_t>(identity.begin(), identity.end()));
        sysfs.Write("dev/block/11:0/device/vendor", "VARNOTH\n");
        sysfs.Write("dev/block/11:0/device/model", model + "\n");
        testing::FakeDevice device{{0, 0, 3, 0}, &drive};
        device.number = makedev(11, 0);
        calls.devices["/dev/sr0"] = device;
    }
    void Remove() {
        std::filesystem::remove_all(std::filesystem::path(sysfs.Root()) / "dev");
        std::filesystem::remove_all(std::filesystem::path(sysfs.Root()) / "class/scsi_device");
        calls.devices.erase("/dev/sr0");
    }
    std::unique_ptr<cli::Machine> Open() {
        return std::make_unique<cli::Machine>(calls, sysfs.Root(),
                                              std::vector<std::string>{"/dev/sr0"},
                                              platform::linux_os::KernelRelease{"6.1.0", "x86_64"});
    }
    testing::FakeSysfs sysfs;
    testing::FakeCalls calls;
};

TEST(Watch, DriveGoesAwayComesBackAndIsReplaced) {
    vpc::EmulatedDrive first(DriveOf("CD-R   VW2410A", "open"));
    vpc::EmulatedDrive other(DriveOf("DVDR   VD0708A", "open"));
    Node node;
    node.Put(first, "CD-R   VW2410A");
    std::vector<std::string> printed;
    int sgAway = 0;
    int sgBack = 0;
    // What happens before each poll, and what that poll prints.
    const std::vector<std::function<void()>> world = {
        [] {},                                   // nothing changes
        [&] { node.Remove(); },                  // the drive goes away
        [&] { sgAway = node.calls.sgIoCalls; },  // still away
        [&] {
            sgBack = node.calls.sgIoCalls;
            node.Put(first, "CD-R   VW2410A");  // back
        },
        [&] { node.Remove(); },                      // away again
        [&] { node.Put(other, "DVDR   VD0708A"); },  // another drive
    };
    std::size_t poll = 0;
    cli::WatchHooks hooks;
    hooks.sysfsRoot = node.sysfs.Root();
    hooks.wait = [&] {
        if (poll == world.size())
            return false;
        world[poll++]();
        return true;
    };
    hooks.open = [&](const std::string& path) {
        EXPECT_EQ(path, "/dev/sr0");
        return node.Open();
    };
    hooks.print = [&](const std::string& text) {
        printed.push_back(text);
        return true;
    };
    ASSERT_EQ(cli::WatchDrive(node.Open(), 0, node.calls, hooks), 0);
    ASSERT_EQ(printed.size(), 7u);
    EXPECT_NE(printed[0].find("CD-R   VW2410A"), std::string::npos) << printed[0];
    EXPECT_EQ(printed[1], "") << "a poll without a change prints nothing";
    EXPECT_EQ(printed[2], "/dev/sr0: the drive is gone; waiting for a drive\n");
    EXPECT_EQ(printed[3], "");
    EXPECT_EQ(sgBack, sgAway) << "no command while the drive is away";
    EXPECT_EQ(printed[4].rfind("/dev/sr0: the drive is back\n", 0), 0u) << printed[4];
    EXPECT_EQ(printed[5], "/dev/sr0: the drive is gone; waiting for a drive\n");
    EXPECT_EQ(printed[6].rfind("/dev/sr0: a new drive\n", 0), 0u) << printed[6];
    EXPECT_NE(printed[6].find("ID:3  DVDR"), std::string::npos) << printed[6];
    EXPECT_NE(printed[6].find("  Status: "), std::string::npos) << "all its fields";
    EXPECT_EQ(node.calls.OpenDescriptors(), 0u) << "every machine closed what it opened";
}

TEST(Watch, FailedOutputStops) {
    vpc::EmulatedDrive drive(DriveOf("CD-R   VW2410A", "open"));
    Node node;
    node.Put(drive, "CD-R   VW2410A");
    cli::WatchHooks hooks;
    hooks.sysfsRoot = node.sysfs.Root();
    int waits = 0;
    hooks.wait = [&] { return ++waits < 10; };
    hooks.open = [&](const std::string&) { return node.Open(); };
    hooks.print = [](const std::string&) { return false; };
    EXPECT_EQ(cli::WatchDrive(node.Open(), 0, node.calls, hooks), 1);
    EXPECT_EQ(waits, 0);
}

}  // namespace
}  // namespace tessaly
