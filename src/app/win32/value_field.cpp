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

LabelField::LabelField(HWND control) : control_(control) {
    label_.Attach(control);
}

}  // namespace tessaly::app::win32
