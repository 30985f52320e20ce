#include "device_check.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <cerrno>

namespace tessaly::cli {

namespace {

constexpr int kFirstSgVersion = 30000;  // SG_IO exists from sg version 3

}  // namespace

DeviceState CheckDevice(platform::linux_os::SystemCalls& calls, const std::string& path) {
    const int fd = calls.Open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd == -EACCES || fd == -EPERM)
        return DeviceState::kDenied;
    if (fd < 0)
        return DeviceState::kMissing;
    struct stat info {};
    int version = 0;
    const bool device =
        calls.Fstat(fd, info) == 0 && (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode));
    const bool sg =
        device && calls.Ioctl(fd, SG_GET_VERSION_NUM, &version) == 0 && version >= kFirstSgVersion;
    calls.Close(fd);
    return sg ? DeviceState::kUsable : DeviceState::kNotScsi;
}

std::string DeviceProblem(DeviceState state, const std::string& path) {
    switch (state) {
        case DeviceState::kMissing:
            return path + ": no such device";
        case DeviceState::kDenied:
            return "permission denied on " + path + ": add the user to the 'cdrom' group";
        case DeviceState::kNotScsi:
            return path + " is not an SCSI/MMC device";
        case DeviceState::kUsable:
            break;
    }
    return {};
}

}  // namespace tessaly::cli
