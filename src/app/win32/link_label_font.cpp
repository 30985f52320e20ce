#include "app/win32/link_label_font.h"

#include <algorithm>
#include <cstring>

#include "app/win32/link_label_gdi.h"

namespace tessaly::app::win32 {

LOGFONTA ToLogFont(const FontDescription& font) {
    LOGFONTA lf{};
    lf.lfHeight = font.height;
    lf.lfWidth = font.width;
    lf.lfEscapement = font.escapement;
    lf.lfOrientation = font.orientation;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfCharSet = font.charSet;
    lf.lfOutPrecision = font.outPrecision;
    lf.lfClipPrecision = font.clipPrecision;
    lf.lfQuality = font.quality;
    lf.lfPitchAndFamily = font.pitchAndFamily;
    const std::size_t n = std::min(font.faceName.size(), sizeof(lf.lfFaceName) - 1);
    std::memcpy(lf.lfFaceName, font.faceName.data(), n);
    return lf;
}

FontDescription FromLogFont(const LOGFONTA& lf) {
    FontDescription font;
    font.height = lf.lfHeight;
    font.width = lf.lfWidth;
    font.escapement = lf.lfEscapement;
    font.orientation = lf.lfOrientation;
    font.weight = lf.lfWeight;
    font.italic = lf.lfItalic;
    font.underline = lf.lfUnderline;
    font.strikeOut = lf.lfStrikeOut;
    font.charSet = lf.lfCharSet;
    font.outPrecision = lf.lfOutPrecision;
    font.clipPrecision = lf.lfClipPrecision;
    font.quality = lf.lfQuality;
    font.pitchAndFamily = lf.lfPitchAndFamily;
    // The face name need not be terminated inside the array.
    const char* name = lf.lfFaceName;
    font.faceName.assign(name, std::find(name, name + sizeof(lf.lfFaceName), '\0'));
    return font;
}

FontDescription WindowFont(HWND window) {
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0));
    if (font == nullptr) {
        font = ::GetStockObject(SYSTEM_FONT);
    }
    LOGFONTA lf{};
    ::GetObjectA(font, sizeof(lf), &lf);
    return FromLogFont(lf);
}

FontSize PointFontSize(int tenths, const std::string& faceName) {
    int logPixelsY = 96;
    {
        ScreenDc screen;
        if (screen.Get() != nullptr) {
            logPixelsY = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
        }
    }
    FontDescription wanted;
    wanted.height = PointFontHeight(tenths, logPixelsY);
    wanted.faceName = faceName;
    const LOGFONTA lf = ToLogFont(wanted);
    GdiObject<HFONT> font(::CreateFontIndirectA(&lf));
    LOGFONTA made = lf;
    if (font) {
        ::GetObjectA(font.Get(), sizeof(made), &made);
    }
    return FontSize{made.lfHeight, made.lfWidth};
}

}  // namespace tessaly::app::win32
