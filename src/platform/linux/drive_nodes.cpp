#include "platform/linux/drive_nodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>

#include "platform/linux/error_codes.h"
#include "platform/platform.h"

namespace tessaly::platform::linux_os {

namespace {

// Read only, whatever access is asked: SG_IO on an sr device needs no more, and a member
// of the group "cdrom" may open it so. O_NONBLOCK opens a drive without a disc.
constexpr int kDeviceFlags = O_RDONLY | O_NONBLOCK;

}  // namespace

int DriveNodes::GoneWatch::Ioctl(int fd, unsigned long request, void* argument) {
    const int result = calls_.Ioctl(fd, request, argument);
    if (result == -ENODEV || result == -ENXIO)
        gone = true;
    return result;
}

DriveNodes::~DriveNodes() {
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        Forget(i);
}

int DriveNodes::Get(std::size_t index, const std::string& path, std::uint32_t& error) {
    if (index >= nodes_.size() || path.empty()) {
        error = kErrorFileNotFound;
        return -1;
    }
    Node& node = nodes_[index];
    struct stat there {};
    const int missing = calls_.Stat(path.c_str(), there);
    if (node.fd >= 0) {
        if (missing == 0 && there.st_rdev == node.device)
            return node.fd;
        Forget(index);
    }
    if (missing < 0) {
        error = WindowsErrorOf(-missing);
        return -1;
    }
    const int fd = calls_.Open(path.c_str(), kDeviceFlags);
    if (fd < 0) {
        error = WindowsErrorOf(-fd);
        return -1;
    }
    struct stat opened {};
    node.fd = fd;
    node.device = calls_.Fstat(fd, opened) == 0 ? opened.st_rdev : 0;
    return fd;
}

void DriveNodes::Forget(std::size_t index) {
    if (index >= nodes_.size())
        return;
    if (nodes_[index].fd >= 0)
        calls_.Close(nodes_[index].fd);
    nodes_[index] = Node{};
}

}  // namespace tessaly::platform::linux_os
