// The Windows printing and date services the information report uses, named after
// the Win32 calls. Device units throughout; handles are opaque numbers, 0 is null.
#pragma once

#include <cstdint>

namespace tessaly::platform {

using Hdc = std::uintptr_t;
using GdiObject = std::uintptr_t;
using Hwnd = std::uintptr_t;  // HWND; 0 is none

struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

inline constexpr int kHorzRes = 8;
inline constexpr int kVertRes = 10;
inline constexpr int kLogPixelsY = 90;
inline constexpr int kMmText = 1;
inline constexpr int kPsSolid = 0;
inline constexpr unsigned kTaBottom = 0x08;
inline constexpr unsigned kTaBaseline = 0x18;
// StartDocA's general failure.
inline constexpr int kSpError = -1;
// What StartDocA's last error is when the user cancelled it (the file name of a printer
// that prints to a file): ERROR_CANCELLED.
inline constexpr std::uint32_t kErrorCancelled = 1223;

class Printing {
  public:
    virtual ~Printing() = default;

    // PrintDlgA with PD_RETURNDC, owned by `owner` (modal: the owner is disabled while
    // it is open; 0 for none): the chosen printer's device context, or 0 when the user
    // cancelled or no printer exists.
    virtual Hdc PrintDlgA(Hwnd owner) = 0;
    virtual int GetDeviceCaps(Hdc dc, int index) = 0;
    virtual int SetMapMode(Hdc dc, int mode) = 0;
    // A positive job id, or 0 or less on failure (GetLastError then says why).
    virtual int StartDocA(Hdc dc, const char* documentName) = 0;
    virtual int StartPage(Hdc dc) = 0;
    virtual int EndPage(Hdc dc) = 0;
    virtual int EndDoc(Hdc dc) = 0;
    virtual bool DeleteDC(Hdc dc) = 0;
    virtual unsigned GetTextAlign(Hdc dc) = 0;
    virtual unsigned SetTextAlign(Hdc dc, unsigned align) = 0;
    virtual GdiObject CreatePen(int style, int width, std::uint32_t colorRef) = 0;
    // CreateFontA with this character-cell height and face, normal weight, the ANSI
    // character set and variable pitch; every other parameter at its default.
    virtual GdiObject CreateFontA(int height, const char* faceName) = 0;
    virtual GdiObject SelectObject(Hdc dc, GdiObject object) = 0;
    virtual bool DeleteObject(GdiObject object) = 0;
    virtual bool MoveToEx(Hdc dc, int x, int y) = 0;
    virtual bool LineTo(Hdc dc, int x, int y) = 0;
    virtual bool TextOutA(Hdc dc, int x, int y, const char* text, int length) = 0;
    virtual bool GetTextExtentPoint32A(Hdc dc, const char* text, int length, int* width,
                                       int* height) = 0;

    // The calling thread's last error after a failed call of these services.
    virtual std::uint32_t GetLastError() = 0;

    // The date: GetLocalTime (the user's own day) and GetDateFormatA for the user's
    // default locale with a picture; returns the characters written with the terminator,
    // 0 on failure.
    virtual void GetLocalTime(SystemTime& time) = 0;
    virtual int GetDateFormatA(const SystemTime& time, const char* picture, char* out,
                               int size) = 0;
};

}  // namespace tessaly::platform
