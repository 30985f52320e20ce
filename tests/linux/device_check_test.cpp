// The command's device checks: one row per way a named device can fail the program,
// and the line the user reads for it.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "device_check.h"
#include "fake_linux.h"

namespace tessaly {
namespace {

using cli::DeviceState;

struct Row {
    const char* name;
    const char* path;
    int openError;
    bool block;
    bool sg;
    DeviceState state;
    const char* line;
};

TEST(DeviceCheck, StatesAndLines) {
    const Row rows[] = {
        {"an optical drive", "/dev/sr0", 0, true, true, DeviceState::kUsable, ""},
        {"refused to the user", "/dev/sr0", EACCES, true, true, DeviceState::kDenied,
         "permission denied on /dev/sr0: add the user to the 'cdrom' group"},
        {"refused by policy", "/dev/sr1", EPERM, true, true, DeviceState::kDenied,
         "permission denied on /dev/sr1: add the user to the 'cdrom' group"},
        {"a regular file", "/tmp/image.iso", 0, false, true, DeviceState::kNotScsi,
         "/tmp/image.iso is not an SCSI/MMC device"},
        {"a device without SG_IO", "/dev/vda", 0, true, false, DeviceState::kNotScsi,
         "/dev/vda is not an SCSI/MMC device"},
        {"no such device", "/dev/xyz", ENOENT, true, true, DeviceState::kMissing,
         "/dev/xyz: no such device"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::FakeCalls calls;
        if (row.openError != ENOENT) {
            testing::FakeDevice device;
            device.openError = row.openError;
            device.block = row.block;
            device.sg = row.sg;
            calls.devices[row.path] = device;
        }
        const DeviceState state = cli::CheckDevice(calls, row.path);
        EXPECT_EQ(state, row.state);
        EXPECT_EQ(cli::DeviceProblem(state, row.path), row.line);
        EXPECT_EQ(calls.OpenDescriptors(), 0u) << "the probe closes what it opened";
    }
}

}  // namespace
}  // namespace tessaly
