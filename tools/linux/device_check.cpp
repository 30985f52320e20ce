#include "device_check.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/sysmacros.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/printable_text.h"

namespace tessaly::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kFirstSgVersion = 30000;  // SG_IO exists from sg version 3
constexpr int kMmcType = 5;             // peripheral device type of a CD/DVD drive
constexpr std::size_t kMaxFileBytes = 4096;

// A small sysfs file's text without its line end; empty when it cannot be read.
std::string ReadSmallFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string text(kMaxFileBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(file ? text.size() : static_cast<std::size_t>(file.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The peripheral device type in dir/device/type; -1 when there is none.
int DeviceType(const fs::path& dir) {
    const std::string text = ReadSmallFile(dir / "device" / "type");
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(text);
}

std::string TypeName(int type) {
    switch (type) {
        case 0:
            return "a disk";
        case 1:
            return "a tape drive";
        case 4:
            return "a write-once optical drive";
        case 7:
            return "an optical memory drive";
        case 8:
            return "a medium changer";
        case 12:
            return "a storage array controller";
        case 13:
            return "an enclosure";
        case 14:
            return "a simplified direct-access device";
        default:
            return "a SCSI device";
    }
}

DeviceCheck Problem(std::string text) {
    return DeviceCheck{DeviceState::kProblem, {}, std::move(text)};
}

DeviceCheck Usable(std::string path) {
    return DeviceCheck{DeviceState::kUsable, std::move(path), {}};
}

// The first entry's name in dir (an sg node's block device), empty when none.
std::string FirstEntry(const fs::path& dir) {
    std::error_code error;
    std::string first;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (first.empty() || name < first)
            first = name;
    }
    return first;
}

// Without sysfs: the node opened and asked for its sg version.
DeviceCheck CheckByOpening(platform::linux_os::SystemCalls& calls, const std::string& path,
                           const std::string& shown) {
    const int fd = calls.Open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd == -ENOMEDIUM)
        return Usable(path);
    if (fd < 0)
        return Problem(OpenProblem(-fd, shown, false));
    int version = 0;
    const bool sg =
        calls.Ioctl(fd, SG_GET_VERSION_NUM, &version) == 0 && version >= kFirstSgVersion;
    calls.Close(fd);
    return sg ? Usable(path) : Problem(shown + " is not a SCSI/MMC device");
}

}  // namespace

DeviceCheck CheckDevice(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
                        const std::string& path) {
    const std::string shown = PrintableUtf8(path);
    struct stat info {};
    const int statError = calls.Stat(path.c_str(), info);
    if (statError == -ENOENT || statError == -ENOTDIR)
        return Problem(shown + ": no such file");
    if (statError < 0)
        return Problem(shown + ": " + std::strerror(-statError));
    const bool block = S_ISBLK(info.st_mode);
    if (!block && !S_ISCHR(info.st_mode)) {
        return Problem(shown + " is " + (S_ISDIR(info.st_mode) ? "a folder" : "a file") +
                       ", not a device");
    }
    std::error_code error;
    const fs::path devices = fs::path(sysfsRoot) / "dev" / (block ? "block" : "char");
    if (!fs::is_directory(devices, error))
        return CheckByOpening(calls, path, shown);
    const std::string number =
        std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev));
    const fs::path dir = devices / number;
    if (!fs::exists(dir, error))
        return Problem(shown + ": no device behind this node (" + number + ")");
    if (fs::exists(dir / "partition", error))
        return Problem(shown + " is a partition of a disk, not a CD drive");
    const int type = DeviceType(dir);
    if (type < 0) {
        return Problem(shown + " is " + (block ? "a block" : "a character") +
                       " device that is no SCSI device, not a CD drive");
    }
    if (type != kMmcType) {
        return Problem(shown + " is " + TypeName(type) + " (SCSI device type " +
                       std::to_string(type) + "), not a CD drive");
    }
    if (block)
        return Usable(path);
    // A character node of a CD drive (its sg or bsg node): the drive's block node takes
    // the commands when there is one.
    const std::string blockName = FirstEntry(dir / "device" / "block");
    if (!blockName.empty() && blockName.find('/') == std::string::npos) {
        const std::string blockPath = "/dev/" + blockName;
        struct stat blockInfo {};
        if (calls.Stat(blockPath.c_str(), blockInfo) == 0 && S_ISBLK(blockInfo.st_mode))
            return Usable(blockPath);
    }
    // Without one, an sg node (its folder in sysfs is below scsi_generic) is used as it is.
    const fs::path place = fs::canonical(dir, error);
    if (error || place.parent_path().filename() != "scsi_generic")
        return Problem(shown +
                       " is a CD drive's node that takes no SG_IO, and the drive has no "
                       "block device (is the sr driver loaded?)");
    return Usable(path);
}

std::string OpenProblem(int error, const std::string& path, bool cdNode) {
    const std::string shown = PrintableUtf8(path);
    switch (error) {
        case ENOMEDIUM:
            return {};
        case ENOENT:
            return shown + ": no such file";
        case ENXIO:
            return shown +
                   ": no device behind this node (the drive is gone, or its driver is "
                   "not loaded)";
        case ENODEV:
            return shown + ": the kernel has no driver for this device";
        case EACCES:
        case EPERM:
            if (cdNode) {
                return "permission denied on " + shown +
                       ": add the user to the 'cdrom' group (then log in again)";
            }
            return "permission denied on " + shown;
        case EBUSY:
            return shown + " is busy: another program holds it exclusively";
        default:
            return shown + ": " + std::strerror(error);
    }
}

}  // namespace tessaly::cli
