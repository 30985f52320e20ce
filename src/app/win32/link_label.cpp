#include "app/win32/link_label.h"

#include <shellapi.h>

#include <vector>

#include "app/win32/link_label_font.h"
#include "app/win32/link_label_paint.h"
#include "app/win32/paint_dc.h"

namespace tessaly::app::win32 {
namespace {

LinkLabel* LabelOf(HWND window) {
    return reinterpret_cast<LinkLabel*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

LONG_PTR WindowProcValue(WNDPROC proc) {
    return reinterpret_cast<LONG_PTR>(proc);
}

HBRUSH ButtonFaceBrush() {
    return ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

}  // namespace

LinkLabel::LinkLabel() : state_(::GetSysColor(COLOR_WINDOWTEXT)), systemBrush_(ButtonFaceBrush()) {}

LinkLabel::~LinkLabel() {
    Detach();
}

bool LinkLabel::Attach(HWND window) {
    if (window == nullptr || !::IsWindow(window)) {
        return false;
    }
    LinkLabel* other = LabelOf(window);
    if (other == this) {
        return true;
    }
    if (other != nullptr) {
        return false;
    }
    Detach();
    window_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, WindowProcValue(WindowProc)));
    state_.BindFont(WindowFont(window));
    RebuildFont();
    return true;
}

void LinkLabel::Detach() {
    if (window_ == nullptr) {
        return;
    }
    if (::IsWindow(window_)) {
        if (state_.BlinkRunning()) {
            ::KillTimer(window_, kBlinkTimerId);
        }
        if (::GetWindowLongPtrA(window_, GWLP_WNDPROC) == WindowProcValue(WindowProc)) {
            ::SetWindowLongPtrA(window_, GWLP_WNDPROC, WindowProcValue(oldProc_));
        }
        if (LabelOf(window_) == this) {
            ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        }
    }
    window_ = nullptr;
    oldProc_ = nullptr;
}

LinkLabel& LinkLabel::SetBackground(COLORREF colour, COLORREF gradientEnd, bool gradient) {
    return Apply(state_.SetBackground(colour, gradientEnd, gradient));
}

LinkLabel& LinkLabel::SetTextColor(COLORREF colour) {
    return Apply(state_.SetTextColor(colour));
}

LinkLabel& LinkLabel::SetText(std::string_view text) {
    return Apply(state_.SetText(text));
}

LinkLabel& LinkLabel::CopyText(std::string& out) {
    state_.CopyText(out);
    return *this;
}

LinkLabel& LinkLabel::SetBold(bool bold) {
    return Apply(state_.SetBold(bold));
}

LinkLabel& LinkLabel::SetFaceName(std::string_view name, BYTE charSet) {
    return Apply(state_.SetFaceName(name, charSet));
}

LinkLabel& LinkLabel::SetUnderline(bool underline) {
    return Apply(state_.SetUnderline(underline));
}

LinkLabel& LinkLabel::SetItalic(bool italic) {
    return Apply(state_.SetItalic(italic));
}

LinkLabel& LinkLabel::SetPointSize(int points) {
    return Apply(state_.SetPointSize(points));
}

LinkLabel& LinkLabel::SetSunken(bool sunken) {
    return Apply(state_.SetSunken(sunken));
}

LinkLabel& LinkLabel::SetBorder(bool border) {
    return Apply(state_.SetBorder(border));
}

LinkLabel& LinkLabel::SetTransparent(bool transparent) {
    return Apply(state_.SetTransparent(transparent));
}

LinkLabel& LinkLabel::FlashText(bool on) {
    return Apply(state_.FlashText(on));
}

LinkLabel& LinkLabel::FlashBackground(bool on) {
    return Apply(state_.FlashBackground(on));
}

LinkLabel& LinkLabel::SetLink(bool on, bool notifyParent) {
    return Apply(state_.SetLink(on, notifyParent));
}

LinkLabel& LinkLabel::SetLinkCursor(HCURSOR cursor) {
    return Apply(state_.SetLinkCursor(reinterpret_cast<std::uintptr_t>(cursor)));
}

LinkLabel& LinkLabel::Set3DText(bool on, int direction) {
    return Apply(state_.Set3DText(on, direction));
}

LinkLabel& LinkLabel::SetRotation(int degrees, bool rotated) {
    return Apply(state_.SetRotation(degrees, rotated));
}

LinkLabel& LinkLabel::SetHighlightColor(COLORREF colour) {
    return Apply(state_.SetHighlightColor(colour));
}

LinkLabel& LinkLabel::SetLogFont(const LOGFONTA& font) {
    return Apply(state_.SetLogFont(FromLogFont(font)));
}

LinkLabel& LinkLabel::SetMailLink(bool on, bool notifyParent) {
    return Apply(state_.SetMailLink(on, notifyParent));
}

LinkLabel& LinkLabel::SetLinkTarget(std::string_view target) {
    return Apply(state_.SetLinkTarget(target));
}

void LinkLabel::PaintOn(HDC dc, const RECT& client) {
    const DWORD style = window_ != nullptr ? ::GetWindowLongA(window_, GWL_STYLE) : 0;
    const PaintPlan plan = state_.PlanPaint(style, WindowText());
    PaintPlanOn(dc, client, plan, PaintTools{font_.Get(), customBrush_.Get(), systemBrush_.Get()});
}

LinkLabel& LinkLabel::Apply(const LabelActions& actions) {
    if (actions.pointFontTenths != 0) {
        const FontSize size = PointFontSize(actions.pointFontTenths, state_.Font().faceName);
        state_.SetFontSize(size.height, size.width);
    }
    if (actions.killTimer && window_ != nullptr) {
        ::KillTimer(window_, kBlinkTimerId);
    }
    if (actions.style.Any()) {
        ApplyStyle(actions.style);
    }
    if (actions.deleteCustomBrush) {
        customBrush_.Reset();
    }
    if (actions.createCustomBrush) {
        customBrush_.Reset(::CreateSolidBrush(state_.BackgroundColour()));
    }
    if (actions.recreateSystemBrush) {
        systemBrush_.Reset(ButtonFaceBrush());
    }
    if (actions.setTimer && window_ != nullptr) {
        ::SetTimer(window_, kBlinkTimerId, kBlinkIntervalMs, nullptr);
    }
    if (actions.rebuildFont) {
        RebuildFont();
    }
    if (actions.repaint) {
        Redraw();
    }
    return *this;
}

void LinkLabel::ApplyStyle(const StyleChange& change) {
    if (window_ == nullptr) {
        return;
    }
    if (change.addStyle != 0 || change.removeStyle != 0) {
        const DWORD style = ::GetWindowLongA(window_, GWL_STYLE);
        ::SetWindowLongA(window_, GWL_STYLE, (style | change.addStyle) & ~change.removeStyle);
    }
    if (change.addExStyle != 0 || change.removeExStyle != 0) {
        const DWORD style = ::GetWindowLongA(window_, GWL_EXSTYLE);
        ::SetWindowLongA(window_, GWL_EXSTYLE, (style | change.addExStyle) & ~change.removeExStyle);
    }
    if (change.frameRedraw) {
        ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void LinkLabel::RebuildFont() {
    const LOGFONTA lf = ToLogFont(state_.Font());
    HFONT made = ::CreateFontIndirectA(&lf);
    if (made != nullptr) {
        font_.Reset(made);
    }
}

void LinkLabel::Redraw() {
    if (window_ != nullptr) {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

std::string LinkLabel::WindowText() const {
    if (window_ == nullptr) {
        return {};
    }
    const int length = ::GetWindowTextLengthA(window_);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = ::GetWindowTextA(window_, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

LRESULT CALLBACK LinkLabel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LinkLabel* self = LabelOf(window);
    if (self == nullptr || self->window_ != window) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A failed painting or notification leaves the message to the static control.
        return self->CallDefault(message, wParam, lParam);
    }
}

LRESULT LinkLabel::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(oldProc_, window_, message, wParam, lParam);
}

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc paint(window_);
            RECT client{};
            ::GetClientRect(window_, &client);
            PaintOn(paint.Get(), client);
            return 0;
        }
        case WM_ERASEBKGND:
            // The painting covers the whole client area itself.
            return TRUE;
        case WM_TIMER:
            Apply(state_.OnTimer());
            return CallDefault(message, wParam, lParam);
        case WM_SETCURSOR:
            if (state_.OnSetCursor()) {
                ::SetCursor(reinterpret_cast<HCURSOR>(state_.Cursor()));
                return TRUE;
            }
            return CallDefault(message, wParam, lParam);
        case WM_LBUTTONDOWN:
            return OnLeftButtonDown(wParam, lParam);
        case WM_SYSCOLORCHANGE:
            Apply(state_.OnSysColorChange());
            return 0;
        case WM_SETTEXT: {
            // The static paints the new text its own way inside WM_SETTEXT; paint ours over it.
            const LRESULT result = CallDefault(message, wParam, lParam);
            ::InvalidateRect(window_, nullptr, TRUE);
            return result;
        }
        case WM_NCDESTROY: {
            const HWND window = window_;
            const WNDPROC proc = oldProc_;
            Detach();
            return ::CallWindowProcA(proc, window, message, wParam, lParam);
        }
        default:
            return CallDefault(message, wParam, lParam);
    }
}

LRESULT LinkLabel::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    // The parent may destroy the label while it handles the notification: keep what the
    // default handling needs.
    const HWND window = window_;
    const WNDPROC proc = oldProc_;
    const ClickAction click = state_.OnLeftButtonDown(WindowText());
    switch (click.kind) {
        case ClickAction::Kind::kNotifyParent: {
            const int id = ::GetDlgCtrlID(window);
            NMHDR header{};
            header.hwndFrom = window;
            header.idFrom = static_cast<UINT_PTR>(id);
            header.code = kLinkClickedNotify;
            ::SendMessageA(::GetParent(window), WM_NOTIFY, static_cast<WPARAM>(id),
                           reinterpret_cast<LPARAM>(&header));
            break;
        }
        case ClickAction::Kind::kShellExecute:
            ::ShellExecuteA(nullptr, click.verb.empty() ? nullptr : click.verb.c_str(),
                            click.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case ClickAction::Kind::kNothing:
            break;
    }
    if (!::IsWindow(window)) {
        return 0;
    }
    return ::CallWindowProcA(proc, window, WM_LBUTTONDOWN, wParam, lParam);
}

}  // namespace tessaly::app::win32
