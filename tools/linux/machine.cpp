#include "machine.h"

#include <utility>

#include "app/control_ids.h"
#include "runner/text_output.h"

namespace tessaly::cli {

namespace {

// A4 at 600 dots per inch.
constexpr platform::PaperSpec kPaper{4960, 7016, false, 0};

}  // namespace

Machine::Machine(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
                 const std::vector<std::string>& devices, platform::linux_os::KernelRelease kernel,
                 std::optional<platform::FixedDate> date)
    : pc(calls, sysfsRoot, devices, std::move(kernel)),
      transport(pc),
      dialog(transport, pc, view),
      printer(kPaper, date) {
    view.Attach(&dialog);
    view.BeginStep();
    dialog.OnInitDialog();
}

std::string Machine::NodeOf(int index) {
    const DriveList& drives = dialog.Drives();
    if (index < 0 || index >= static_cast<int>(view.Items().size()) || index >= drives.count)
        return {};
    return pc.DevicePath(transport.GetDriveLetter(drives.addresses[index]));
}

int Machine::ItemOf(const std::string& node) {
    for (int i = 0; i < static_cast<int>(view.Items().size()); ++i) {
        if (NodeOf(i) == node)
            return i;
    }
    return -1;
}

std::string DriveBlock(Machine& machine, int index) {
    const auto item = static_cast<std::size_t>(index);
    return runner::FormatDriveBlock({machine.view.Items()[item], machine.view.Fields()});
}

std::string ChangedFields(const std::map<int, std::string>& fields,
                          const std::map<int, std::string>& before) {
    static const std::pair<int, const char*> kLabels[] = {
        {IDC_HOST_ADAPTER, "Host Adapter"},
        {IDC_TARGET_ID, "Target ID"},
        {IDC_STATUS, "Status"},
        {IDC_LEAD_IN_TIME, "Start Time Of Lead In"},
        {IDC_LEAD_OUT_TIME, "Start Time Of Lead Out"},
        {IDC_LEAD_OUT_LBA, "LBA"},
        {IDC_MANUFACTURER, "Manufacturer"},
        {IDC_EXTRA_LINE1, "Line 1"},
        {IDC_EXTRA_LINE2, "Line 2"}};
    auto textOf = [](const std::map<int, std::string>& map, int id) {
        const auto it = map.find(id);
        return it == map.end() ? std::string() : it->second;
    };
    std::string out;
    for (const auto& [id, label] : kLabels) {
        const std::string text = textOf(fields, id);
        if (text != textOf(before, id))
            out.append("  ")
                .append(label)
                .append(": ")
                .append(runner::DisplayText(text))
                .append("\n");
    }
    return out;
}

}  // namespace tessaly::cli
