// A printer that records its pages, and a clock. The print dialog returns the printer
// (or nothing when it is cancelled or there is none); the page records every text and
// line in device units and drawing order. Every character of the fixed printer font is
// H / 100 units wide and high. The virtual PC prints on it, and so does the Linux
// command's text output. Without a fixed date the clock reads the system's local date.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/printing.h"

namespace tessaly::platform {

// The paper: its printable size in device units, whether the print dialog is cancelled,
// the character-cell height of the default font (0: height / 100), the error with which
// StartDocA fails (0: it succeeds) and the vertical resolution it reports (dots per inch;
// 0: none, as the virtual PC's printer).
struct PaperSpec {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool cancel = false;
    std::uint32_t fontHeight = 0;
    std::uint32_t startDocError = 0;
    std::uint32_t dotsPerInch = 0;
};

struct FixedDate {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
};

struct PrintedText {
    int x = 0;
    int y = 0;
    std::string text;
    int fontHeight = 0;  // the character-cell height of the font it was drawn with
};

struct PrintedLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int width = 0;
};

struct PrintedPage {
    int width = 0;
    int height = 0;
    std::string documentName;
    std::vector<PrintedText> texts;
    std::vector<PrintedLine> lines;
};

// The system's local date, as GetLocalTime gives it.
void ReadLocalDate(SystemTime& time);
// GetDateFormatA in English (United States): d, dd, M, MM, MMM, MMMM, yy, yyyy.
int FormatDateEnglish(const SystemTime& time, const char* picture, char* out, int size);

class RecordingPrinter : public Printing {
  public:
    RecordingPrinter(std::optional<PaperSpec> printer, std::optional<FixedDate> date)
        : printer_(printer), date_(date) {}

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
    std::uint32_t GetLastError() override { return lastError_; }
    void GetLocalTime(SystemTime& time) override;
    int GetDateFormatA(const SystemTime& time, const char* picture, char* out, int size) override;

    // The pages finished with EndPage, in order; dialogs shown and the owner the last
    // one was given; objects still alive.
    const std::vector<PrintedPage>& Pages() const { return pages_; }
    int DialogsShown() const { return dialogsShown_; }
    Hwnd LastDialogOwner() const { return lastOwner_; }
    int LiveObjects() const { return liveObjects_; }

  private:
    static constexpr Hdc kPrinterDc = 0x5000;
    bool Valid(Hdc dc) const { return dc == kPrinterDc && dcOpen_; }
    int CharWidth() const { return printer_ ? static_cast<int>(printer_->height / 100) : 0; }
    int FontHeight() const;
    GdiObject AddObject(bool font, int size);

    std::optional<PaperSpec> printer_;
    std::optional<FixedDate> date_;
    bool dcOpen_ = false;
    // Starts at baseline alignment, so a page drawn without choosing the top of the
    // character cell would show it.
    unsigned align_ = kTaBaseline;
    // Pens and fonts by handle - 1; `size` is a pen's width or a font's cell height.
    struct Object {
        bool font = false;
        int size = 0;
    };
    std::vector<Object> objects_;
    int currentPenWidth_ = 1;
    // The selected font's cell height; 0 while the default font is selected.
    int currentFontHeight_ = 0;
    int x_ = 0;
    int y_ = 0;
    std::optional<PrintedPage> page_;
    std::string document_;
    std::vector<PrintedPage> pages_;
    int dialogsShown_ = 0;
    Hwnd lastOwner_ = 0;
    std::uint32_t lastError_ = 0;
    int liveObjects_ = 0;
};

}  // namespace tessaly::platform
