// What a device named on the command line is, found before anything is opened: stat
// says whether it is a device node, sysfs (the node's major:minor under root/dev) what
// device sits behind it. A CD drive's block node is used as it is; a SCSI generic node
// of a CD drive stands for the drive's block node (or is used as it is when the drive
// has none); any other node is refused with what it is. Where sysfs is not mounted, the
// node is opened and asked whether it takes SG_IO.
#pragma once

#include <string>

#include "platform/linux/system_calls.h"

namespace tessaly::cli {

enum class DeviceState { kUsable, kProblem };

struct DeviceCheck {
    DeviceState state = DeviceState::kProblem;
    std::string path;     // the node to use (an sg node's block node), when usable
    std::string problem;  // the error line, without the program's name, when not
};

DeviceCheck CheckDevice(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
                        const std::string& path);

// The error line for an open of path that failed with error (an errno value), empty for
// ENOMEDIUM (a drive without a disc opens later all the same). cdNode: path is a CD
// drive's node, whose group on Debian is cdrom.
std::string OpenProblem(int error, const std::string& path, bool cdNode);

}  // namespace tessaly::cli
