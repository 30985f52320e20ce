// The command's device checks: one row per kind of node a user can name, and the line
// the user reads for it; and the line for each way an open can fail.
#include <gtest/gtest.h>

#include <sys/sysmacros.h>
#include <cerrno>
#include <filesystem>
#include <string>

#include "device_check.h"
#include "fake_linux.h"

namespace tessaly {
namespace {

using cli::DeviceState;

// A machine with an sr drive (sr0, sg1), a disk with a partition (sda, sda1, sg0), a
// virtual disk that is no SCSI device (vda) and a drive without a block device (sg2).
struct Machine {
    Machine() {
        sysfs.Write("dev/block/11:0/device/type", "5\n");
        sysfs.Write("dev/block/8:0/device/type", "0\n");
        sysfs.Write("dev/block/8:1/partition", "1\n");
        sysfs.Write("dev/block/254:0/size", "100\n");
        SgNode(0, "0\n", "sda");
        SgNode(1, "5\n", "sr0");
        SgNode(2, "5\n", "");
        sysfs.Write("dev/char/1:3/dev", "1:3\n");  // /dev/null
        Node("/dev/sr0", 11, 0, true);
        Node("/dev/sda", 8, 0, true);
        Node("/dev/sda1", 8, 1, true);
        Node("/dev/vda", 254, 0, true);
        Node("/dev/sr7", 11, 7, true);  // left behind: sysfs has no such device
        Node("/dev/sg0", 21, 0, false);
        Node("/dev/sg1", 21, 1, false);
        Node("/dev/sg2", 21, 2, false);
        Node("/dev/null", 1, 3, false);
        testing::FakeDevice file;
        file.block = false;
        calls.devices["/tmp/image.iso"] = file;
    }
    // As sysfs shows an sg node: dev/char/21:N links to its folder below scsi_generic.
    void SgNode(int n, const std::string& type, const std::string& block) {
        namespace fs = std::filesystem;
        const std::string folder = "devices/host0/scsi_generic/sg" + std::to_string(n);
        sysfs.Write(folder + "/device/type", type);
        if (!block.empty())
            sysfs.Write(folder + "/device/block/" + block + "/dev", "11:0\n");
        fs::create_directories(fs::path(sysfs.Root()) / "dev/char");
        fs::create_directory_symlink(
            fs::path(sysfs.Root()) / folder,
            fs::path(sysfs.Root()) / "dev/char" / ("21:" + std::to_string(n)));
    }
    void Node(const std::string& path, int major, int minor, bool block) {
        testing::FakeDevice device;
        device.block = block;
        device.character = !block;
        device.number = makedev(major, minor);
        calls.devices[path] = device;
    }
    testing::FakeSysfs sysfs;
    testing::FakeCalls calls;
};

TEST(DeviceCheck, NodesAreTakenOrRefusedBeforeAnyOpen) {
    struct Row {
        const char* path;
        const char* use;   // the node used, when usable
        const char* line;  // the problem, when not
    };
    const Row rows[] = {
        {"/dev/sr0", "/dev/sr0", ""},
        {"/dev/sg1", "/dev/sr0", ""},  // the sg node of the drive of sr0
        {"/dev/sg2", "/dev/sg2", ""},  // a drive without a block device
        {"/dev/sda", "", "/dev/sda is a disk (SCSI device type 0), not a CD drive"},
        {"/dev/sg0", "", "/dev/sg0 is a disk (SCSI device type 0), not a CD drive"},
        {"/dev/sda1", "", "/dev/sda1 is a partition of a disk, not a CD drive"},
        {"/dev/vda", "", "/dev/vda is a block device that is no SCSI device, not a CD drive"},
        {"/dev/null", "", "/dev/null is a character device that is no SCSI device, not a CD drive"},
        {"/dev/sr7", "", "/dev/sr7: no device behind this node (11:7)"},
        {"/dev/sr9", "", "/dev/sr9: no such file"},
        {"/tmp/image.iso", "", "/tmp/image.iso is a file, not a device"},
        {"/dev/\x1b[2Jsr0", "", "/dev/\xEF\xBF\xBD[2Jsr0: no such file"},
    };
    Machine machine;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const cli::DeviceCheck check =
            cli::CheckDevice(machine.calls, machine.sysfs.Root(), row.path);
        EXPECT_EQ(check.state, *row.use != '\0' ? DeviceState::kUsable : DeviceState::kProblem);
        EXPECT_EQ(check.path, row.use);
        EXPECT_EQ(check.problem, row.line);
    }
    EXPECT_EQ(machine.calls.openCalls, 0) << "sysfs tells what a node is without opening it";
}

TEST(DeviceCheck, WithoutSysfsTheNodeIsAsked) {
    struct Row {
        const char* name;
        int openError;
        bool sg;
        DeviceState state;
        const char* line;
    };
    const Row rows[] = {
        {"takes SG_IO", 0, true, DeviceState::kUsable, ""},
        {"no SG_IO", 0, false, DeviceState::kProblem, "/dev/vdb is not a SCSI/MMC device"},
        {"refused", EACCES, true, DeviceState::kProblem, "permission denied on /dev/vdb"},
        {"no disc", ENOMEDIUM, true, DeviceState::kUsable, ""},
    };
    testing::FakeSysfs emptyRoot;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeCalls calls;
        testing::FakeDevice device;
        device.openError = row.openError;
        device.sg = row.sg;
        calls.devices["/dev/vdb"] = device;
        const cli::DeviceCheck check = cli::CheckDevice(calls, emptyRoot.Root(), "/dev/vdb");
        EXPECT_EQ(check.state, row.state);
        EXPECT_EQ(check.problem, row.line);
        EXPECT_EQ(calls.OpenDescriptors(), 0u) << "the probe closes what it opened";
    }
}

TEST(DeviceCheck, EachOpenErrorHasItsLine) {
    struct Row {
        int error;
        bool cdNode;
        const char* line;
    };
    const Row rows[] = {
        {ENOENT, true, "/dev/sr1: no such file"},
        {ENXIO, true,
         "/dev/sr1: no device behind this node (the drive is gone, or its driver is not loaded)"},
        {ENODEV, true, "/dev/sr1: the kernel has no driver for this device"},
        {EACCES, true,
         "permission denied on /dev/sr1: add the user to the 'cdrom' group (then log in again)"},
        {EPERM, true,
         "permission denied on /dev/sr1: add the user to the 'cdrom' group (then log in again)"},
        {EACCES, false, "permission denied on /dev/sr1"},
        {EBUSY, true, "/dev/sr1 is busy: another program holds it exclusively"},
        {ENOMEDIUM, true, ""},
        {EIO, true, "/dev/sr1: Input/output error"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(cli::OpenProblem(row.error, "/dev/sr1", row.cdNode), row.line);
    }
}

}  // namespace
}  // namespace tessaly
