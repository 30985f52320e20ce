#include "platform/linux/system_calls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <thread>

namespace tessaly::platform::linux_os {

namespace {

int Result(int value) {
    return value < 0 ? -errno : value;
}

class Real final : public SystemCalls {
  public:
    int Open(const char* path, int flags) override { return Result(::open(path, flags)); }
    int Close(int fd) override { return Result(::close(fd)); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        return Result(::ioctl(fd, request, argument));
    }
    int Fstat(int fd, struct stat& info) override { return Result(::fstat(fd, &info)); }
    int Stat(const char* path, struct stat& info) override { return Result(::stat(path, &info)); }
    void Pause(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

}  // namespace

SystemCalls& RealSystemCalls() {
    static Real calls;
    return calls;
}

}  // namespace tessaly::platform::linux_os
