#include "platform/linux/cairo_printing.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <climits>
#include <cmath>
#include <string>

#include "common/code_pages.h"
#include "common/printable_text.h"
#include "platform/recording_printer.h"

namespace tessaly::platform::linux_os {

namespace {

constexpr int kUnitsPerPoint = 10;
constexpr int kPageWidth = 5953;  // A4, 210 x 297 mm
constexpr int kPageHeight = 8419;
constexpr const char* kFace = "Liberation Sans";

// The program's code page 1252 text as the UTF-8 cairo draws, control characters
// replaced as on the terminal.
std::string Utf8Of(const char* text, int length) {
    return length > 0 ? PrintableUtf8(
                            Cp1252ToUtf8(std::string_view(text, static_cast<std::size_t>(length))))
                      : std::string();
}

}  // namespace

CairoPrinting::~CairoPrinting() {
    Close();
}

void CairoPrinting::Close() {
    if (cr_ != nullptr) {
        if (error_.empty() && cairo_status(cr_) != CAIRO_STATUS_SUCCESS)
            error_ = cairo_status_to_string(cairo_status(cr_));
        cairo_destroy(cr_);
        cr_ = nullptr;
    }
    if (surface_ != nullptr) {
        cairo_surface_finish(surface_);
        if (error_.empty() && cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
            error_ = cairo_status_to_string(cairo_surface_status(surface_));
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        // The font caches go too: leak checkers then see nothing left behind.
        cairo_debug_reset_static_data();
        FcFini();
    }
}

Hdc CairoPrinting::PrintDlgA(Hwnd) {
    if (cr_ != nullptr || !error_.empty())
        return 0;
    surface_ = cairo_pdf_surface_create(path_.c_str(), kPageWidth / double{kUnitsPerPoint},
                                        kPageHeight / double{kUnitsPerPoint});
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        error_ = cairo_status_to_string(cairo_surface_status(surface_));
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        return 0;
    }
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, 1.0 / kUnitsPerPoint, 1.0 / kUnitsPerPoint);
    cairo_select_font_face(cr_, kFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    UseFont(0);
    return kDc;
}

void CairoPrinting::UseFont(double height) {
    // The default font's cell is a hundredth of the page's height, as the recording
    // printer's; a chosen font's cell is its height. The glyphs fill four fifths of it.
    const double cell = height > 0 ? height : kPageHeight / 100.0;
    cairo_set_font_size(cr_, cell * 0.8);
}

int CairoPrinting::GetDeviceCaps(Hdc dc, int index) {
    if (!Valid(dc))
        return 0;
    if (index == kHorzRes)
        return kPageWidth;
    if (index == kVertRes)
        return kPageHeight;
    return 0;
}

int CairoPrinting::SetMapMode(Hdc dc, int) {
    return Valid(dc) ? kMmText : 0;
}

int CairoPrinting::StartDocA(Hdc dc, const char* documentName) {
    if (!Valid(dc))
        return 0;
    if (documentName != nullptr)
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, documentName);
    return 1;
}

int CairoPrinting::StartPage(Hdc dc) {
    return Valid(dc) ? 1 : 0;
}

int CairoPrinting::EndPage(Hdc dc) {
    if (!Valid(dc))
        return 0;
    cairo_show_page(cr_);
    ++pages_;
    return 1;
}

int CairoPrinting::EndDoc(Hdc dc) {
    if (!Valid(dc))
        return 0;
    Close();
    return error_.empty() ? 1 : 0;
}

bool CairoPrinting::DeleteDC(Hdc dc) {
    if (dc != kDc)
        return false;
    Close();
    return true;
}

unsigned CairoPrinting::GetTextAlign(Hdc dc) {
    return Valid(dc) ? align_ : 0;
}

unsigned CairoPrinting::SetTextAlign(Hdc dc, unsigned align) {
    if (!Valid(dc))
        return 0;
    const unsigned previous = align_;
    align_ = align;
    return previous;
}

GdiObject CairoPrinting::CreatePen(int, int width, std::uint32_t) {
    objects_[next_] = Object{false, width};
    return next_++;
}

GdiObject CairoPrinting::CreateFontA(int height, const char*) {
    if (height <= 0)
        return 0;
    objects_[next_] = Object{true, height};
    return next_++;
}

GdiObject CairoPrinting::SelectObject(Hdc dc, GdiObject object) {
    const auto it = objects_.find(object);
    if (!Valid(dc) || it == objects_.end())
        return 0;
    if (it->second.font) {
        fontHeight_ = it->second.size;
        UseFont(fontHeight_);
    } else {
        penWidth_ = it->second.size;
    }
    return object;
}

bool CairoPrinting::DeleteObject(GdiObject object) {
    return objects_.erase(object) != 0;
}

bool CairoPrinting::MoveToEx(Hdc dc, int x, int y) {
    if (!Valid(dc))
        return false;
    cairo_move_to(cr_, x, y);
    return true;
}

bool CairoPrinting::LineTo(Hdc dc, int x, int y) {
    if (!Valid(dc))
        return false;
    cairo_set_line_width(cr_, penWidth_ > 0 ? penWidth_ : 1);
    cairo_line_to(cr_, x, y);
    cairo_stroke(cr_);
    cairo_move_to(cr_, x, y);
    return true;
}

bool CairoPrinting::TextOutA(Hdc dc, int x, int y, const char* text, int length) {
    if (!Valid(dc) || text == nullptr || length < 0)
        return false;
    cairo_font_extents_t font;
    cairo_font_extents(cr_, &font);
    // Placed by the top of the cell unless baseline alignment is chosen.
    const double baseline = (align_ & kTaBaseline) == kTaBaseline ? y : y + font.ascent;
    cairo_move_to(cr_, x, baseline);
    cairo_show_text(cr_, Utf8Of(text, length).c_str());
    return true;
}

bool CairoPrinting::GetTextExtentPoint32A(Hdc dc, const char* text, int length, int* width,
                                          int* height) {
    if (!Valid(dc) || text == nullptr || length < 0 || width == nullptr || height == nullptr)
        return false;
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, Utf8Of(text, length).c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr_, &font);
    *width = static_cast<int>(std::lround(std::fmin(extents.x_advance, INT_MAX)));
    *height = static_cast<int>(std::lround(font.height));
    return true;
}

void CairoPrinting::GetLocalTime(SystemTime& time) {
    RecordingPrinter(std::nullopt, date_).GetLocalTime(time);
}

int CairoPrinting::GetDateFormatA(const SystemTime& time, const char* picture, char* out,
                                  int size) {
    return FormatDateEnglish(time, picture, out, size);
}

}  // namespace tessaly::platform::linux_os
