// Ctrl-C while the program talks to a drive. A command the kernel has sent cannot be
// taken back (an sr device waits for it uninterruptibly), so the first Ctrl-C ends the
// program once the command under way is done, before the next device is opened or the
// next command sent; a second Ctrl-C ends it at once.
#pragma once

#include <cstdint>

#include "platform/linux/system_calls.h"

namespace tessaly::cli {

// Catches SIGINT: the first one is noted, and the default action restored so that the
// second ends the process.
void CatchInterrupts();
// Whether Ctrl-C was pressed since CatchInterrupts.
bool Interrupted();
// Ends the process as Ctrl-C ends a program: standard output flushed, then SIGINT with
// its default action (the shell sees status 130 and stops a script that ran it).
[[noreturn]] void EndByInterrupt();
// Ends the process with status 0 (--watch, which runs until Ctrl-C).
[[noreturn]] void EndQuietly();

// The system calls, with the program ended by end() once interrupted() says so: checked
// before a device is opened or an ioctl made, and again when the call returns.
class InterruptibleCalls final : public platform::linux_os::SystemCalls {
  public:
    using Check = bool (*)();
    using End = void (*)();
    InterruptibleCalls(platform::linux_os::SystemCalls& inner, Check interrupted, End end)
        : inner_(inner), interrupted_(interrupted), end_(end) {}

    int Open(const char* path, int flags) override;
    int Close(int fd) override { return inner_.Close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Fstat(int fd, struct stat& info) override { return inner_.Fstat(fd, info); }
    int Stat(const char* path, struct stat& info) override { return inner_.Stat(path, info); }
    void Pause(std::uint32_t milliseconds) override { inner_.Pause(milliseconds); }

  private:
    // True when the program was to end (end() returned: in tests only).
    bool EndIfInterrupted();

    platform::linux_os::SystemCalls& inner_;
    Check interrupted_;
    End end_;
};

}  // namespace tessaly::cli
