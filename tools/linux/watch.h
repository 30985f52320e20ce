// --watch: the drive's fields, then every change, polled until told to stop. The node
// is looked up in sysfs at every poll (no command to the drive): when the drive goes
// away a line says so and the polls wait for a drive; when one is at the node again the
// machine is read again: the same drive prints what changed, another drive is shown as
// a new drive with all its fields.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "machine.h"

namespace tessaly::cli {

struct WatchHooks {
    std::function<bool()> wait;                                        // false to stop
    std::function<std::unique_ptr<Machine>(const std::string&)> open;  // a machine of one node
    std::function<bool(const std::string&)> print;                     // false when output fails
    std::string sysfsRoot;
};

// Watches list item index of machine; 0 when stopped, 1 when the output failed.
int WatchDrive(std::unique_ptr<Machine> machine, int index, platform::linux_os::SystemCalls& calls,
               const WatchHooks& hooks);

}  // namespace tessaly::cli
