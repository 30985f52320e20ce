#include "app/disc_panel_controller.h"

#include <string>

#include "disc/disc_commands.h"
#include "disc/disc_panel.h"
#include "drives/drive_commands.h"

namespace tessaly::app {

namespace {
std::uint8_t Byte(std::int32_t value) {
    return static_cast<std::uint8_t>(value);
}
}  // namespace

void DiscPanelController::Refresh(std::int32_t index) {
    // No selection (-1) has no address: nothing is read.
    if (!drives_.IsValid(index))
        return;
    RefreshDiscPanel(transport_, Byte(drives_.adapters[index]), Byte(drives_.targets[index]),
                     view_);
}

void DiscPanelController::ShowSelectedDrive(std::int32_t index) {
    if (!drives_.IsValid(index))
        return;
    view_.SetText(IDC_HOST_ADAPTER, std::to_string(drives_.adapters[index]));
    view_.SetText(IDC_TARGET_ID, std::to_string(drives_.targets[index]));
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
    const std::uint8_t adapter = Byte(drives_.adapters[drives_.selected]);
    const std::uint8_t target = Byte(drives_.targets[drives_.selected]);
    // The stored sense changes only on failure: an open tray counts only when the
    // test itself failed.
    const bool ready = TestUnitReady(transport_, adapter, target) == 1;
    if (ready || LastSenseCode(transport_, adapter, target) != kSenseNoMediumTrayOpen) {
        EjectMedium(transport_, adapter, target);
    } else {
        LoadMedium(transport_, adapter, target);
    }
}

void DiscPanelController::OnRefreshClick() {
    Refresh(drives_.selected);
}

}  // namespace tessaly::app
