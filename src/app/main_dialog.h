// The main window's logic: the start-up sequence that finds and lists the maker's
// drives, the About entry, and the close paths. It runs against a MainView, so the
// same code drives the Win32 dialog and the headless runner.
#pragma once

#include <cstdint>

#include "app/disc_panel_controller.h"
#include "app/drive_label_rule.h"
#include "app/main_view.h"
#include "drives/drive_list.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_transport.h"

namespace tessaly::app {

class MainDialog {
  public:
    MainDialog(ScsiTransport& transport, platform::Platform& platform, MainView& view)
        : transport_(transport),
          platform_(platform),
          view_(view),
          panel_(transport, view, drives_) {}

    // The start-up sequence (after the window's own set-up: system menu, icons).
    // False when the user declined the USB warning and the window was destroyed.
    bool OnInitDialog();

    void OnAbout() { view_.ShowAboutDialog(); }
    // The print button: the print dialog, owned by the window, then the information
    // report of the selected drive and of what the window shows, on one page; a message
    // when the printer refused the document. False when nothing was printed.
    bool OnPrint(platform::Printing& printing);
    // WM_CLOSE: release, then the cancel command.
    void OnClose();
    // The cancel command (Exit, Esc): release and end with IDCANCEL.
    void OnCancel();
    // The OK command (Enter): ends at once, without releasing.
    void OnOk() { view_.EndDialog(kIdOk); }
    void ReleaseAndStop();

    // True when the installed manager's FileVersion reads 1, 0, 0, 0 (and the warning
    // was shown).
    bool AspiVersionCheck();

    DiscPanelController& Panel() { return panel_; }
    const DriveList& Drives() const { return drives_; }

  private:
    void ListAdapterDrives(int adapterCount);
    void ListExternalDrives();
    // Adds a listed drive: the maker's models, and on request every other MMC drive.
    void ListDrive(const DriveAddress& drive, const InquiryIdentity& identity, DriveOrigin origin);
    void AddDrive(const DriveAddress& drive, std::string label);

    ScsiTransport& transport_;
    platform::Platform& platform_;
    MainView& view_;
    DriveList drives_;
    DiscPanelController panel_;
};

}  // namespace tessaly::app
