// Which drive sits at a device node, told by sysfs without a command to the drive: what
// --watch compares at every poll to see the drive go away and a drive come back, and
// whether the one that came back is the same drive.
#pragma once

#include <string>

#include "platform/linux/system_calls.h"

namespace tessaly::cli {

struct NodeIdentity {
    bool present = false;  // the node exists and, where sysfs is mounted, a device is behind it
    // The device's vendor, model, revision and unit serial number (VPD page 80h) as sysfs
    // gives them; empty when sysfs does not tell.
    std::string identity;
};

NodeIdentity ReadNodeIdentity(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
                              const std::string& node);

enum class NodeChange {
    kNone,      // the same drive, still there (or still away)
    kGone,      // the drive went away
    kBack,      // the drive that went away is back
    kNewDrive,  // another drive is at the node
};

// What happened at the node between two polls. watched is the drive being watched (its
// identity when it was last present); gone says whether it had gone away. An identity
// sysfs does not tell matches any.
NodeChange CompareNode(const NodeIdentity& watched, bool gone, const NodeIdentity& now);

}  // namespace tessaly::cli
