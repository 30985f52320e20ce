#include "app/win32/dialog.h"

namespace tessaly::app::win32 {

Dialog::~Dialog() {
    // A window that outlives its object must not reach it any more.
    if (window_ != nullptr)
        ::SetWindowLongPtrA(window_, DWLP_USER, 0);
}

INT_PTR Dialog::Run(HWND owner) {
    return ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId_), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

HWND Dialog::Create(HWND owner) {
    return ::CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId_), owner,
                                &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK || id == IDCANCEL) {
        End(id);
        return true;
    }
    return false;
}

bool Dialog::OnSysCommand(WPARAM, LPARAM) {
    return false;
}

bool Dialog::OnTimer(UINT_PTR) {
    return false;
}

bool Dialog::OnShowWindow(bool, LPARAM) {
    return false;
}

void Dialog::End(INT_PTR result) {
    ::EndDialog(window_, result);
}

LRESULT Dialog::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<UINT> outer = defaulting_;
    defaulting_ = message;
    const LRESULT result = ::DefDlgProcA(window_, message, wParam, lParam);
    defaulting_ = outer;
    return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            handled = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return handled;
        case WM_SYSCOMMAND:
            handled = OnSysCommand(wParam, lParam);
            return handled;
        case WM_TIMER:
            handled = OnTimer(wParam);
            return handled;
        case WM_PAINT:
            handled = OnPaint();
            return handled;
        case WM_CLOSE:
            handled = OnClose();
            return handled;
        case WM_SHOWWINDOW:
            handled = OnShowWindow(wParam != FALSE, lParam);
            return handled;
        case WM_QUERYDRAGICON: {
            // Returned as the procedure's value, as the dialog manager expects.
            const HICON icon = OnQueryDragIcon();
            handled = icon != nullptr;
            return reinterpret_cast<INT_PTR>(icon);
        }
        case WM_DESTROY:
            OnDestroy();
            handled = false;
            return FALSE;
        default:
            handled = false;
            return FALSE;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->window_ = window;
        ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) and after the object let go.
    if (self == nullptr)
        return FALSE;
    if (self->defaulting_ == message)
        return FALSE;

    INT_PTR result = FALSE;
    try {
        bool handled = false;
        result = self->Dispatch(message, wParam, lParam, handled);
        if (!handled)
            result = FALSE;
    } catch (...) {
        // Nothing may unwind through the system's code: the message counts as unhandled.
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        self->window_ = nullptr;
    }
    return result;
}

}  // namespace tessaly::app::win32
