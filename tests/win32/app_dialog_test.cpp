// The dialog layer's defaults (OK, cancel, close) run modally, and the ASPI warning:
// the system's exclamation icon, centred on the screen without a shown owner, gone with
// IDOK at its timer.
#include <gtest/gtest.h>

#include "app/win32/aspi_warning_dialog.h"
#include "app/win32/dialog.h"
#include "app/win32/res/resource.h"

namespace tessaly::app::win32 {
namespace {

// The About template with one message posted at start-up.
class PostingDialog final : public Dialog {
  public:
    PostingDialog(UINT message, WPARAM wParam)
        : Dialog(::GetModuleHandleA(nullptr), IDD_ABOUTBOX), message_(message), wParam_(wParam) {}

  protected:
    bool OnInitDialog() override {
        ::PostMessageA(Window(), message_, wParam_, 0);
        return true;
    }

  private:
    UINT message_;
    WPARAM wParam_;
};

TEST(AppDialog, OkCommandEndsWithIdOk) {
    PostingDialog dialog(WM_COMMAND, IDOK);
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
}

TEST(AppDialog, CancelCommandEndsWithIdCancel) {
    PostingDialog dialog(WM_COMMAND, IDCANCEL);
    EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
}

TEST(AppDialog, CloseBecomesTheCancelCommand) {
    PostingDialog dialog(WM_CLOSE, 0);
    EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
}

TEST(AppDialog, MissingTemplateFails) {
    class Missing final : public Dialog {
      public:
        Missing() : Dialog(::GetModuleHandleA(nullptr), 4321) {}
    } dialog;
    EXPECT_EQ(dialog.Run(nullptr), -1);
}

TEST(AppAspiWarning, IconCentreAndTimer) {
    AspiWarningDialog dialog(::GetModuleHandleA(nullptr));
    const HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(
        reinterpret_cast<HICON>(::SendDlgItemMessageA(window, IDC_WARNING_ICON, STM_GETICON, 0, 0)),
        ::LoadIconA(nullptr, IDI_EXCLAMATION));

    ::ShowWindow(window, SW_SHOWNA);
    RECT r;
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    ::SendMessageA(window, WM_TIMER, kAspiWarningTimerId, 0);
    EXPECT_FALSE(::IsWindowVisible(window));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace tessaly::app::win32
