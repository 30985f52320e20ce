// The Linux system calls the platform makes, behind an interface so that tests can
// answer them. Each returns what the call returns, or -errno when it fails; Pause waits
// (between tries of a command the host asked to send again), which tests only count.
#pragma once

#include <sys/stat.h>
#include <cstdint>

namespace tessaly::platform::linux_os {

class SystemCalls {
  public:
    virtual ~SystemCalls() = default;
    virtual int Open(const char* path, int flags) = 0;
    virtual int Close(int fd) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual int Fstat(int fd, struct stat& info) = 0;
    virtual int Stat(const char* path, struct stat& info) = 0;
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

// The real calls.
SystemCalls& RealSystemCalls();

}  // namespace tessaly::platform::linux_os
