#include "app/win32/value_field.h"

namespace tessaly::app::win32 {

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void StaticField::SetText(std::string_view text) {
    ::SetWindowTextA(control_, std::string(text).c_str());
}

std::string StaticField::GetText() const {
    return WindowText(control_);
}

void StaticField::SetTextColor(COLORREF colour) {
    colour_ = colour;
    ::InvalidateRect(control_, nullptr, TRUE);
}

}  // namespace tessaly::app::win32
