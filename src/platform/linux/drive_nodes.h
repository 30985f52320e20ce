// The drive nodes' descriptors: each node is opened once per process and the one
// descriptor serves every handle on it, as every open and last close of an sr node makes
// the kernel send commands of its own to the drive. A descriptor is let go when its node
// is gone or stands for another device, or when an ioctl says the device has gone
// (ENODEV, ENXIO); all are closed when the nodes go.
#pragma once

#include <sys/types.h>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/system_calls.h"

namespace tessaly::platform::linux_os {

class DriveNodes {
  public:
    DriveNodes(SystemCalls& calls, std::size_t count) : calls_(calls), nodes_(count) {}
    ~DriveNodes();
    DriveNodes(const DriveNodes&) = delete;
    DriveNodes& operator=(const DriveNodes&) = delete;

    // The descriptor of node index at path, opened (read only, without waiting for a
    // disc) at the first call; -1 with a Windows error when the node is not there (it is
    // looked at before it is opened) or does not open.
    int Get(std::size_t index, const std::string& path, std::uint32_t& error);
    void Forget(std::size_t index);

    // The system calls through which every ioctl on a descriptor goes: Gone() tells
    // whether one answered that the device has gone since ClearGone().
    SystemCalls& Calls() { return watch_; }
    void ClearGone() { watch_.gone = false; }
    bool Gone() const { return watch_.gone; }

  private:
    class GoneWatch final : public SystemCalls {
      public:
        explicit GoneWatch(SystemCalls& calls) : calls_(calls) {}
        int Open(const char* path, int flags) override { return calls_.Open(path, flags); }
        int Close(int fd) override { return calls_.Close(fd); }
        int Ioctl(int fd, unsigned long request, void* argument) override;
        int Fstat(int fd, struct stat& info) override { return calls_.Fstat(fd, info); }
        int Stat(const char* path, struct stat& info) override { return calls_.Stat(path, info); }
        void Pause(std::uint32_t milliseconds) override { calls_.Pause(milliseconds); }
        bool gone = false;

      private:
        SystemCalls& calls_;
    };
    struct Node {
        int fd = -1;
        dev_t device = 0;  // the device it was opened on
    };

    SystemCalls& calls_;
    GoneWatch watch_{calls_};
    std::vector<Node> nodes_;
};

}  // namespace tessaly::platform::linux_os
