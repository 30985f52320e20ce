// The virtual PC's printer and clock. The print dialog returns the scenario's printer
// (or nothing when it is cancelled or there is none); the page records every text and
// line in device units and drawing order. Every character of the fixed printer font is
// H / 100 units wide and high.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/printing.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

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

class VirtualPrinter final : public platform::Printing {
  public:
    VirtualPrinter(std::optional<PrinterSpec> printer, std::optional<DateSpec> date)
        : printer_(printer), date_(date) {}

    platform::Hdc PrintDlgA() override;
    int GetDeviceCaps(platform::Hdc dc, int index) override;
    int SetMapMode(platform::Hdc dc, int mode) override;
    int StartDocA(platform::Hdc dc, const char* documentName) override;
    int StartPage(platform::Hdc dc) override;
    int EndPage(platform::Hdc dc) override;
    int EndDoc(platform::Hdc dc) override;
    bool DeleteDC(platform::Hdc dc) override;
    unsigned GetTextAlign(platform::Hdc dc) override;
    unsigned SetTextAlign(platform::Hdc dc, unsigned align) override;
    platform::GdiObject CreatePen(int style, int width, std::uint32_t colorRef) override;
    platform::GdiObject CreateFontA(int height, const char* faceName) override;
    platform::GdiObject SelectObject(platform::Hdc dc, platform::GdiObject object) override;
    bool DeleteObject(platform::GdiObject object) override;
    bool MoveToEx(platform::Hdc dc, int x, int y) override;
    bool LineTo(platform::Hdc dc, int x, int y) override;
    bool TextOutA(platform::Hdc dc, int x, int y, const char* text, int length) override;
    bool GetTextExtentPoint32A(platform::Hdc dc, const char* text, int length, int* width,
                               int* height) override;
    void GetSystemTime(platform::SystemTime& time) override;
    int GetDateFormatA(const platform::SystemTime& time, const char* picture, char* out,
                       int size) override;

    // The pages finished with EndPage, in order; dialogs shown; objects still alive.
    const std::vector<PrintedPage>& Pages() const { return pages_; }
    int DialogsShown() const { return dialogsShown_; }
    int LiveObjects() const { return liveObjects_; }

  private:
    static constexpr platform::Hdc kPrinterDc = 0x5000;
    bool Valid(platform::Hdc dc) const { return dc == kPrinterDc && dcOpen_; }
    int CharWidth() const { return printer_ ? static_cast<int>(printer_->height / 100) : 0; }
    int FontHeight() const;
    platform::GdiObject AddObject(bool font, int size);

    std::optional<PrinterSpec> printer_;
    std::optional<DateSpec> date_;
    bool dcOpen_ = false;
    // Starts at baseline alignment, so a page drawn without choosing the top of the
    // character cell would show it.
    unsigned align_ = platform::kTaBaseline;
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
    int liveObjects_ = 0;
};

}  // namespace tessaly::vpc
