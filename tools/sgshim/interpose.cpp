// The entry points the preloaded library takes over: fstat and ioctl of the C library.
// Each calls the next definition (the C library's) and, for a backing file of an
// emulated drive, reports a block device or answers the control request itself.
//
// Built once as it stands and, in the 32-bit library, once more with 64-bit file offsets
// and times: there the same definitions become __fstat64_time64 and __ioctl_time64, the
// names that a program built with 64-bit times (Wine's i386 ntdll.so) calls.
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>

#include "shim_state.h"

#define TESSALY_EXPORT __attribute__((visibility("default")))

#if defined(__USE_TIME_BITS64)
#define TESSALY_NEXT_FSTAT "__fstat64_time64"
#define TESSALY_NEXT_IOCTL "__ioctl_time64"
#else
#define TESSALY_NEXT_FSTAT "fstat"
#define TESSALY_NEXT_IOCTL "ioctl"
#endif

namespace {

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

template <typename Stat>
void MarkBlockDevice(Stat& info) {
    std::uint32_t minor = 0;
    if (tessaly::sgshim::BlockDeviceFor(major(info.st_dev), minor(info.st_dev), info.st_ino,
                                        minor)) {
        info.st_mode = (info.st_mode & ~S_IFMT) | S_IFBLK;
        info.st_rdev = makedev(tessaly::sgshim::kScsiCdromMajor, minor);
    }
}

template <typename Stat>
int StatThrough(const char* name, int fd, Stat* info) {
    using Function = int (*)(int, Stat*);
    // One name per structure type in a build of this file.
    static const Function next = Next<Function>(name);
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    const int result = next(fd, info);
    if (result == 0 && info != nullptr)
        MarkBlockDevice(*info);
    return result;
}

}  // namespace

extern "C" {

TESSALY_EXPORT int fstat(int fd, struct stat* info) noexcept {
    return StatThrough(TESSALY_NEXT_FSTAT, fd, info);
}

#if defined(__i386__) && !defined(__USE_TIME_BITS64)
TESSALY_EXPORT int fstat64(int fd, struct stat64* info) noexcept {
    return StatThrough("fstat64", fd, info);
}
#endif

TESSALY_EXPORT int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    int result = 0;
    if (tessaly::sgshim::HandleIoctl(fd, request, argument, result))
        return result;
    using Function = int (*)(int, unsigned long, ...);
    static const Function next = Next<Function>(TESSALY_NEXT_IOCTL);
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    return next(fd, request, argument);
}

}  // extern "C"
