#include "app/win32/aspi_warning_dialog.h"

#include "app/win32/res/resource.h"

namespace tessaly::app::win32 {

AspiWarningDialog::AspiWarningDialog(HINSTANCE instance) : Dialog(instance, IDD_ASPI_WARNING) {}

bool AspiWarningDialog::OnInitDialog() {
    // A shared system icon: nothing to destroy.
    const HICON icon = ::LoadIconA(nullptr, IDI_EXCLAMATION);
    ::SendDlgItemMessageA(Window(), IDC_WARNING_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon),
                          0);
    return true;
}

bool AspiWarningDialog::OnShowWindow(bool shown, LPARAM status) {
    Default(WM_SHOWWINDOW, shown ? TRUE : FALSE, status);
    if (shown) {
        CentreOnOwner();
        ::SetTimer(Window(), kAspiWarningTimerId, kAspiWarningMilliseconds, nullptr);
    }
    return true;
}

bool AspiWarningDialog::OnTimer(UINT_PTR id) {
    ::KillTimer(Window(), id);
    End(IDOK);
    return true;
}

void AspiWarningDialog::CentreOnOwner() {
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const HWND owner = ::GetWindow(Window(), GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    RECT self;
    ::GetWindowRect(Window(), &self);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the whole dialog on the screen.
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = screenHeight - height;
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    ::SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tessaly::app::win32
