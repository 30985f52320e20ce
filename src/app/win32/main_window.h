// The main window (template 102): the window's own set-up (system menu, icons), then
// the program's logic in MainDialog, with the messages routed to it and to the disc
// panel. It owns the transport and, unless given them, the real Win32 platform and
// printing services.
#pragma once

#include <memory>

#include "app/main_dialog.h"
#include "app/win32/dialog.h"
#include "app/win32/win32_main_view.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "transport/scsi_transport.h"

namespace tessaly::app::win32 {

class Win32MainWindow final : public Dialog {
  public:
    // On the real Win32 platform.
    explicit Win32MainWindow(HINSTANCE instance);
    // On another platform and printer (the virtual PC in tests); they must outlive the
    // window.
    Win32MainWindow(HINSTANCE instance, platform::Platform& platform, platform::Printing& printing);
    ~Win32MainWindow() override;

    Win32MainView& View() { return view_; }
    MainDialog& Logic() { return dialog_; }
    ScsiTransport& Transport() { return transport_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnSysCommand(WPARAM command, LPARAM position) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnPaint() override;
    bool OnClose() override;
    HICON OnQueryDragIcon() override;
    void OnDestroy() override;

  private:
    // The services are the owned ones, or the others when none are owned.
    Win32MainWindow(HINSTANCE instance, std::unique_ptr<platform::Platform> ownedPlatform,
                    std::unique_ptr<platform::Printing> ownedPrinting,
                    platform::Platform* otherPlatform, platform::Printing* otherPrinting);
    void SetUpSystemMenu();
    void SetUpIcons();
    void OnPrint();

    std::unique_ptr<platform::Platform> ownedPlatform_;
    platform::Platform& platform_;
    std::unique_ptr<platform::Printing> ownedPrinting_;
    platform::Printing& printing_;
    ScsiTransport transport_;
    Win32MainView view_;
    MainDialog dialog_;
    HICON windowIcon_ = nullptr;  // shared resource icon: not destroyed
};

}  // namespace tessaly::app::win32
