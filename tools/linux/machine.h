// The core on this machine's drives, started as the window starts (the drive list read),
// and what the command prints of one drive.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "platform/linux/linux_platform.h"
#include "platform/recording_printer.h"
#include "transport/scsi_transport.h"

namespace tessaly::cli {

struct Machine {
    // devices: the drives' nodes, empty for the machine's own; sysfsRoot is "/sys".
    Machine(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
            const std::vector<std::string>& devices, platform::linux_os::KernelRelease kernel,
            std::optional<platform::FixedDate> date = std::nullopt);
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // The device node of list item index, empty when there is none.
    std::string NodeOf(int index);
    // The list item of node, -1 when the node's drive is not listed.
    int ItemOf(const std::string& node);

    platform::linux_os::LinuxPlatform pc;
    ScsiTransport transport;
    app::HeadlessView view;
    app::MainDialog dialog;
    platform::RecordingPrinter printer;
};

// Item index's block of fields as the text output prints it (the fields shown now).
std::string DriveBlock(Machine& machine, int index);

// The fields that changed since before, one "  label: text" line each.
std::string ChangedFields(const std::map<int, std::string>& fields,
                          const std::map<int, std::string>& before);

}  // namespace tessaly::cli
