// print_probe.exe: prints one page, a line and the text "Tessaly print probe", on the default
// printer, the way tessaly.exe gets its printer DC (PrintDlgA with PD_RETURNDEFAULT). Exit
// code 0 when every call succeeded; otherwise the failing call goes to standard error.
#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <cstdio>

namespace {

int Fail(const char* call, unsigned long code) {
    std::fprintf(stderr, "print_probe: %s failed (error 0x%lx)\n", call, code);
    return 1;
}

int Print(HDC dc) {
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = "Tessaly print probe";
    if (::StartDocA(dc, &doc) <= 0)
        return Fail("StartDocA", ::GetLastError());
    if (::StartPage(dc) <= 0)
        return Fail("StartPage", ::GetLastError());
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    if (!::MoveToEx(dc, dpi, dpi, nullptr) || !::LineTo(dc, dpi * 6, dpi))
        return Fail("LineTo", ::GetLastError());
    static const char kText[] = "Tessaly print probe";
    if (!::TextOutA(dc, dpi, dpi + dpi / 4, kText, sizeof kText - 1))
        return Fail("TextOutA", ::GetLastError());
    if (::EndPage(dc) <= 0)
        return Fail("EndPage", ::GetLastError());
    if (::EndDoc(dc) <= 0)
        return Fail("EndDoc", ::GetLastError());
    return 0;
}

}  // namespace

int main() {
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
    if (!::PrintDlgA(&dialog))
        return Fail("PrintDlgA", ::CommDlgExtendedError());
    const int result = dialog.hDC ? Print(dialog.hDC) : Fail("PrintDlgA (no DC)", 0);
    if (dialog.hDC)
        ::DeleteDC(dialog.hDC);
    if (dialog.hDevMode)
        ::GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        ::GlobalFree(dialog.hDevNames);
    return result;
}
