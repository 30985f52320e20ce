#include "app/win32/main_window.h"

#include <utility>

#include "app/win32/paint_dc.h"
#include "app/win32/res/resource.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_printing.h"

namespace tessaly::app::win32 {

Win32MainWindow::Win32MainWindow(HINSTANCE instance,
                                 std::unique_ptr<platform::Platform> ownedPlatform,
                                 std::unique_ptr<platform::Printing> ownedPrinting,
                                 platform::Platform* otherPlatform,
                                 platform::Printing* otherPrinting)
    : Dialog(instance, IDD_MAIN),
      ownedPlatform_(std::move(ownedPlatform)),
      platform_(ownedPlatform_ ? *ownedPlatform_ : *otherPlatform),
      ownedPrinting_(std::move(ownedPrinting)),
      printing_(ownedPrinting_ ? *ownedPrinting_ : *otherPrinting),
      transport_(platform_),
      view_(instance),
      dialog_(transport_, platform_, view_) {}

Win32MainWindow::Win32MainWindow(HINSTANCE instance)
    : Win32MainWindow(instance, std::make_unique<platform::Win32Platform>(),
                      std::make_unique<platform::Win32Printing>(), nullptr, nullptr) {}

Win32MainWindow::Win32MainWindow(HINSTANCE instance, platform::Platform& platform,
                                 platform::Printing& printing)
    : Win32MainWindow(instance, nullptr, nullptr, &platform, &printing) {}

Win32MainWindow::~Win32MainWindow() = default;

bool Win32MainWindow::OnInitDialog() {
    view_.Attach(Window());
    SetUpSystemMenu();
    SetUpIcons();
    return dialog_.OnInitDialog();
}

void Win32MainWindow::SetUpSystemMenu() {
    const HMENU menu = ::GetSystemMenu(Window(), FALSE);
    if (menu == nullptr)
        return;
    char about[128] = {};
    if (::LoadStringA(Instance(), IDS_ABOUTBOX, about, sizeof about) > 0 && about[0] != '\0') {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
    }
    // The window has a fixed size.
    ::RemoveMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    ::RemoveMenu(menu, SC_SIZE, MF_BYCOMMAND);
}

void Win32MainWindow::SetUpIcons() {
    windowIcon_ = ::LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_WINDOW_LOGO));
    ::SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon_));
    ::SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon_));
    const HICON eject = ::LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_EJECT));
    const HICON printer = ::LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_PRINTER));
    ::SendDlgItemMessageA(Window(), IDC_EJECT_LOAD, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(eject));
    ::SendDlgItemMessageA(Window(), IDC_PRINT, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(printer));
}

bool Win32MainWindow::OnCommand(int id, int code, HWND) {
    if (id == IDC_DRIVE_LIST) {
        if (code != CBN_SELCHANGE)
            return false;
        dialog_.Panel().OnSelectionChange();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
        case IDCANCEL:
            dialog_.OnCancel();
            return true;
        case IDOK:
            dialog_.OnOk();
            return true;
        case IDC_EJECT_LOAD:
            dialog_.Panel().OnEjectLoad();
            return true;
        case IDC_LEAD_IN_LBA:
            dialog_.Panel().OnRefreshClick();
            return true;
        case IDC_PRINT:
            OnPrint();
            return true;
        default:
            return false;
    }
}

void Win32MainWindow::OnPrint() {
    dialog_.OnPrint(printing_);
}

bool Win32MainWindow::OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    dialog_.OnAbout();
    return true;
}

bool Win32MainWindow::OnTimer(UINT_PTR id) {
    dialog_.Panel().OnTimer(static_cast<unsigned>(id));
    return false;
}

bool Win32MainWindow::OnPaint() {
    if (!::IsIconic(Window()))
        return false;
    // Minimised: the window icon, centred in the client area.
    PaintDc dc(Window());
    ::SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT client;
    ::GetClientRect(Window(), &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, windowIcon_);
    return true;
}

bool Win32MainWindow::OnClose() {
    dialog_.OnClose();
    return true;
}

HICON Win32MainWindow::OnQueryDragIcon() {
    return windowIcon_;
}

void Win32MainWindow::OnDestroy() {
    view_.Detach();
}

}  // namespace tessaly::app::win32
