// The main window's disc panel: showing the selected drive, polling it every 500 ms
// with the timer stopped around each refresh, and the eject/load button.
#pragma once

#include <cstdint>

#include "app/main_view.h"
#include "drives/drive_list.h"
#include "transport/scsi_transport.h"

namespace tessaly::app {

inline constexpr unsigned kPollTimerId = 10;
inline constexpr unsigned kPollIntervalMs = 500;

class DiscPanelController {
  public:
    DiscPanelController(ScsiTransport& transport, MainView& view, DriveList& drives)
        : transport_(transport), view_(view), drives_(drives) {}

    // The drive's host adapter and target in their fields, then one refresh.
    void ShowSelectedDrive(std::int32_t index);
    void StartPolling();
    void StopPolling();

    void OnSelectionChange();
    void OnTimer(unsigned id);
    void OnEjectLoad();
    void OnRefreshClick();  // the hidden lead-in LBA field

  private:
    void Refresh(std::int32_t index);

    ScsiTransport& transport_;
    MainView& view_;
    DriveList& drives_;
    std::uintptr_t pollTimer_ = 0;  // what SetTimer returned; 0 when no timer runs
};

}  // namespace tessaly::app
