#include "platform/win32/win32_printing.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <cstring>

namespace tessaly::platform {

static_assert(sizeof(Hdc) == sizeof(HDC));
static_assert(sizeof(GdiObject) == sizeof(HGDIOBJ));
static_assert(kHorzRes == HORZRES && kVertRes == VERTRES && kMmText == MM_TEXT);
static_assert(kLogPixelsY == LOGPIXELSY);
static_assert(kPsSolid == PS_SOLID && kTaBottom == TA_BOTTOM && kTaBaseline == TA_BASELINE);
// The records keep the layouts the system expects.
#if !defined(_WIN64)
static_assert(sizeof(PRINTDLGA) == 66);
static_assert(sizeof(DOCINFOA) == 20);
#else
static_assert(sizeof(PRINTDLGA) == 120);
static_assert(sizeof(DOCINFOA) == 40);
#endif
static_assert(sizeof(SYSTEMTIME) == 16);
static_assert(sizeof(Hwnd) == sizeof(HWND));
static_assert(kErrorCancelled == ERROR_CANCELLED && kSpError == SP_ERROR);

namespace {
HDC ToDc(Hdc dc) {
    return reinterpret_cast<HDC>(dc);
}
HGDIOBJ ToObject(GdiObject object) {
    return reinterpret_cast<HGDIOBJ>(object);
}
}  // namespace

Hdc Win32Printing::PrintDlgA(Hwnd owner) {
    PRINTDLGA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    // Owned, the dialog is modal: the main window takes no click (print again, Exit)
    // while it is open.
    dialog.hwndOwner = reinterpret_cast<HWND>(owner);
    dialog.Flags = PD_RETURNDC;
    if (!::PrintDlgA(&dialog))
        return 0;
    // The dialog's settings blocks are not reused: each click starts from the default
    // printer's settings, and the blocks are freed instead of leaking per click.
    if (dialog.hDevMode != nullptr)
        ::GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames != nullptr)
        ::GlobalFree(dialog.hDevNames);
    return reinterpret_cast<Hdc>(dialog.hDC);
}

int Win32Printing::GetDeviceCaps(Hdc dc, int index) {
    return ::GetDeviceCaps(ToDc(dc), index);
}

int Win32Printing::SetMapMode(Hdc dc, int mode) {
    return ::SetMapMode(ToDc(dc), mode);
}

int Win32Printing::StartDocA(Hdc dc, const char* documentName) {
    DOCINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.lpszDocName = documentName;
    return ::StartDocA(ToDc(dc), &info);
}

int Win32Printing::StartPage(Hdc dc) {
    return ::StartPage(ToDc(dc));
}

int Win32Printing::EndPage(Hdc dc) {
    return ::EndPage(ToDc(dc));
}

int Win32Printing::EndDoc(Hdc dc) {
    return ::EndDoc(ToDc(dc));
}

bool Win32Printing::DeleteDC(Hdc dc) {
    return ::DeleteDC(ToDc(dc)) != FALSE;
}

unsigned Win32Printing::GetTextAlign(Hdc dc) {
    return ::GetTextAlign(ToDc(dc));
}

unsigned Win32Printing::SetTextAlign(Hdc dc, unsigned align) {
    return ::SetTextAlign(ToDc(dc), align);
}

GdiObject Win32Printing::CreatePen(int style, int width, std::uint32_t colorRef) {
    return reinterpret_cast<GdiObject>(::CreatePen(style, width, colorRef));
}

GdiObject Win32Printing::CreateFontA(int height, const char* faceName) {
    return reinterpret_cast<GdiObject>(::CreateFontA(
        height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, faceName));
}

GdiObject Win32Printing::SelectObject(Hdc dc, GdiObject object) {
    return reinterpret_cast<GdiObject>(::SelectObject(ToDc(dc), ToObject(object)));
}

bool Win32Printing::DeleteObject(GdiObject object) {
    return ::DeleteObject(ToObject(object)) != FALSE;
}

bool Win32Printing::MoveToEx(Hdc dc, int x, int y) {
    return ::MoveToEx(ToDc(dc), x, y, nullptr) != FALSE;
}

bool Win32Printing::LineTo(Hdc dc, int x, int y) {
    return ::LineTo(ToDc(dc), x, y) != FALSE;
}

bool Win32Printing::TextOutA(Hdc dc, int x, int y, const char* text, int length) {
    return ::TextOutA(ToDc(dc), x, y, text, length) != FALSE;
}

bool Win32Printing::GetTextExtentPoint32A(Hdc dc, const char* text, int length, int* width,
                                          int* height) {
    SIZE size = {0, 0};
    const bool ok = ::GetTextExtentPoint32A(ToDc(dc), text, length, &size) != FALSE;
    if (width != nullptr)
        *width = ok ? size.cx : 0;
    if (height != nullptr)
        *height = ok ? size.cy : 0;
    return ok;
}

std::uint32_t Win32Printing::GetLastError() {
    return ::GetLastError();
}

void Win32Printing::GetLocalTime(SystemTime& time) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    time.year = now.wYear;
    time.month = now.wMonth;
    time.dayOfWeek = now.wDayOfWeek;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.milliseconds = now.wMilliseconds;
}

int Win32Printing::GetDateFormatA(const SystemTime& time, const char* picture, char* out,
                                  int size) {
    SYSTEMTIME date;
    date.wYear = time.year;
    date.wMonth = time.month;
    date.wDayOfWeek = time.dayOfWeek;
    date.wDay = time.day;
    date.wHour = time.hour;
    date.wMinute = time.minute;
    date.wSecond = time.second;
    date.wMilliseconds = time.milliseconds;
    return ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, picture, out, size);
}

}  // namespace tessaly::platform
