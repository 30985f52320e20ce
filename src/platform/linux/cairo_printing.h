// Printing on a PDF file through cairo: the print dialog returns the file's page (A4,
// in tenths of a point, 5953 x 8419 units), texts and rules are drawn where the report
// printer places them, and text widths come from the real font, so that the report's
// right-aligned texts end at the margin. The clock gives the system's local date unless a
// date is given.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/printing.h"
#include "platform/recording_printer.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace tessaly::platform::linux_os {

class CairoPrinting final : public Printing {
  public:
    // date: the date the clock gives; nullopt for the system's.
    explicit CairoPrinting(std::string path, std::optional<FixedDate> date = std::nullopt)
        : path_(std::move(path)), date_(date) {}
    ~CairoPrinting() override;
    CairoPrinting(const CairoPrinting&) = delete;
    CairoPrinting& operator=(const CairoPrinting&) = delete;

    // Whether the document was written completely; the reason when not.
    bool Succeeded() const { return pages_ > 0 && error_.empty(); }
    const std::string& Error() const { return error_; }

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
    // Nothing here sets an error: the file is written at the end.
    std::uint32_t GetLastError() override { return 0; }
    void GetLocalTime(SystemTime& time) override;
    int GetDateFormatA(const SystemTime& time, const char* picture, char* out, int size) override;

  private:
    static constexpr Hdc kDc = 0x7000;
    bool Valid(Hdc dc) const { return dc == kDc && cr_ != nullptr; }
    void UseFont(double height);
    void Close();

    std::string path_;
    std::optional<FixedDate> date_;
    std::string error_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    unsigned align_ = kTaBaseline;
    struct Object {
        bool font = false;
        int size = 0;
    };
    std::map<GdiObject, Object> objects_;
    GdiObject next_ = 1;
    int penWidth_ = 1;
    int fontHeight_ = 0;  // 0: the default font
    int pages_ = 0;
};

}  // namespace tessaly::platform::linux_os
