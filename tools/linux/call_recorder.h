// What the kernel refused the program, seen in the system calls it makes: the opens of
// device nodes that failed (the errno of each node's last open), and the commands SG_IO
// would not send. Without CAP_SYS_RAWIO the kernel lets SG_IO pass only the operation
// codes it knows to be safe on a device opened for reading; the maker's vendor commands
// and RELEASE(6) fail with EPERM. The core treats both as failures; the record lets the
// program say once why, and how to allow what was refused.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/linux/system_calls.h"

namespace tessaly::cli {

// The system calls, passed through, with the errno of each path's last open (0 when it
// opened) and the operation code of every SG_IO request that failed with EPERM kept.
class CallRecorder final : public platform::linux_os::SystemCalls {
  public:
    explicit CallRecorder(platform::linux_os::SystemCalls& inner) : inner_(inner) {}

    int Open(const char* path, int flags) override;
    int Close(int fd) override { return inner_.Close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Fstat(int fd, struct stat& info) override { return inner_.Fstat(fd, info); }
    int Stat(const char* path, struct stat& info) override { return inner_.Stat(path, info); }
    void Pause(std::uint32_t milliseconds) override { inner_.Pause(milliseconds); }

    const std::set<std::uint8_t>& Refused() const { return refused_; }
    // The errno of path's last open: 0 when it opened, -1 when it was not opened.
    int OpenError(const std::string& path) const;

  private:
    platform::linux_os::SystemCalls& inner_;
    std::set<std::uint8_t> refused_;
    std::map<std::string, int> openErrors_;
};

// The note (without the program's name) for the refused operation codes, empty when
// there are none: what was refused and how to allow it, for the program at programPath.
std::string RefusalNote(const std::set<std::uint8_t>& refused, const std::string& programPath);

// Where this program's file is (for the setcap advice); "tessaly's file" when unknown.
std::string ProgramPath();

}  // namespace tessaly::cli
