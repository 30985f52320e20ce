#include "app/disc_panel_controller.h"

#include <string>

#include "disc/disc_commands.h"
#include "disc/disc_panel.h"
#include "drives/drive_commands.h"

namespace tessaly::app {

void DiscPanelController::Refresh(std::int32_t index) {
    // No selection (-1) has no address: nothing is read.
    if (!drives_.IsValid(index))
        return;
    RefreshDiscPanel(transport_, drives_.addresses[index], view_);
}

void DiscPanelController::ShowSelectedDrive(std::int32_t index) {
    if (!drives_.IsValid(index))
        return;
    // The fields keep their form: adapter and target; the bus tells no user anything.
    view_.SetText(IDC_HOST_ADAPTER, std::to_string(drives_.addresses[index].adapter));
    view_.SetText(IDC_TARGET_ID, std::to_string(drives_.addresses[index].target));
    Refresh(index);
}

void DiscPanelController::StartPolling() {
    pollTimer_ = view_.SetTimer(kPollTimerId, kPollIntervalMs);
}

void DiscPanelController::StopPolling() {
    if (pollTimer_ != 0)
        view_.KillTimer(pollTimer_);
    pollTimer_ = 0;
}

void DiscPanelController::OnSelectionChange() {
    StopPolling();
    for (DiscField field : {kFieldLeadOutLba, kFieldLeadInLba, kFieldLeadOutTime, kFieldLeadInTime,
                            kFieldManufacturer, kFieldStatus}) {
        view_.SetField(field, "-");
    }
    drives_.selected = view_.SelectedDriveItem();
    ShowSelectedDrive(drives_.selected);
    StartPolling();
}

void DiscPanelController::OnTimer(unsigned id) {
    if (id != kPollTimerId)
        return;
    StopPolling();
    Refresh(drives_.selected);
    StartPolling();
}

void DiscPanelController::OnEjectLoad() {
    if (!drives_.IsValid(drives_.selected))
        return;
    const DriveAddress& drive = drives_.addresses[drives_.selected];
    // The stored sense changes only on failure: an open tray counts only when the
    // test itself failed.
    const bool ready = TestUnitReady(transport_, drive) == 1;
    if (ready || LastSenseCode(transport_, drive) != kSenseNoMediumTrayOpen) {
        EjectMedium(transport_, drive);
    } else {
        LoadMedium(transport_, drive);
    }
}

void DiscPanelController::OnRefreshClick() {
    Refresh(drives_.selected);
}

}  // namespace tessaly::app
