// The printing and date services of the real program: every call forwards to the
// Win32 API (comdlg32, gdi32, kernel32).
#pragma once

#include "platform/printing.h"

namespace tessaly::platform {

class Win32Printing final : public Printing {
  public:
    Hdc PrintDlgA(Hwnd owner) override;
    int GetDeviceCaps(Hdc dc, int index) override;
    int SetMapMode(Hdc dc, int mode) override;
    int StartDocA(Hdc dc, const char* documentName) override;
    int StartPage(Hdc dc) override;
    int EndPage(Hdc dc) override;
    int EndDoc(Hdc dc) override;
    bool DeleteDC(Hdc dc) override;
    unsigned GetTextAlign(Hdc dc) override;
    unsigned SetTextAlign(Hdc dc, unsigned align) override;
    GdiObject CreatePen(int style, int width, std::uint32_t colorRef) override;
    GdiObject CreateFontA(int height, const char* faceName) override;
    GdiObject SelectObject(Hdc dc, GdiObject object) override;
    bool DeleteObject(GdiObject object) override;
    bool MoveToEx(Hdc dc, int x, int y) override;
    bool LineTo(Hdc dc, int x, int y) override;
    bool TextOutA(Hdc dc, int x, int y, const char* text, int length) override;
    bool GetTextExtentPoint32A(Hdc dc, const char* text, int length, int* width,
                               int* height) override;
    std::uint32_t GetLastError() override;
    void GetLocalTime(SystemTime& time) override;
    int GetDateFormatA(const SystemTime& time, const char* picture, char* out, int size) override;
};

}  // namespace tessaly::platform
