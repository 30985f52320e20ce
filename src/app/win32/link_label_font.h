// The link label's font description to and from LOGFONTA, and the window's font or the
// stock system font as a description.
#pragma once

#include <windows.h>

#include "app/link_label_state.h"

namespace tessaly::app::win32 {

LOGFONTA ToLogFont(const FontDescription& font);
FontDescription FromLogFont(const LOGFONTA& font);

// The description of the font a window uses: WM_GETFONT, or the stock system font when
// the window has none.
FontDescription WindowFont(HWND window);

// Height and width of a font of tenths of a point with the face name, made on the
// screen and read back.
struct FontSize {
    LONG height = 0;
    LONG width = 0;
};
FontSize PointFontSize(int tenths, const std::string& faceName);

}  // namespace tessaly::app::win32
