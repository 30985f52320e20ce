#include "platform/linux/error_codes.h"

#include <cerrno>

#include "platform/platform.h"

namespace tessaly::platform::linux_os {

std::uint32_t WindowsErrorOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return kErrorAccessDenied;
        case ENOENT:
        case ENOTDIR:
            return kErrorFileNotFound;
        case EBADF:
            return kErrorInvalidHandle;
        case EINVAL:
        case EFAULT:
            return kErrorInvalidParameter;
        case ENOTTY:
        case ENOSYS:
        case EOPNOTSUPP:
            return kErrorInvalidFunction;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EIO:
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return kErrorNotReady;
        case EBUSY:
            return kErrorBusy;
        case ETIMEDOUT:
            return kErrorSemTimeout;
        default:
            return kErrorGenFailure;
    }
}

}  // namespace tessaly::platform::linux_os
