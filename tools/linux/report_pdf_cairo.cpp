#include <algorithm>

#include <cairo-pdf.h>
#include <cairo.h>

#include "report_pdf.h"
#include "runner/cp1252.h"

namespace tessaly::cli {

namespace {

constexpr double kA4Width = 595.276;  // points
constexpr double kA4Height = 841.89;

}  // namespace

bool WriteReportPdf(const platform::PrintedPage& page, const std::string& path,
                    std::string& error) {
    if (page.width <= 0 || page.height <= 0) {
        error = "the report page is empty";
        return false;
    }
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), kA4Width, kA4Height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot write ") + path + ": " +
                cairo_status_to_string(cairo_surface_status(surface));
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_t* cr = cairo_create(surface);
    // Device units to points, the same scale both ways so that the layout keeps its shape.
    const double scale = std::min(kA4Width / page.width, kA4Height / page.height);
    cairo_scale(cr, scale, scale);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const auto& line : page.lines) {
        cairo_set_line_width(cr, line.width > 0 ? line.width : 1);
        cairo_move_to(cr, line.x1, line.y1);
        cairo_line_to(cr, line.x2, line.y2);
        cairo_stroke(cr);
    }
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    for (const auto& text : page.texts) {
        // Texts are placed by the top of their character cells.
        const double cell = text.fontHeight > 0 ? text.fontHeight : page.height / 100.0;
        cairo_set_font_size(cr, cell * 0.8);
        cairo_move_to(cr, text.x, text.y + cell * 0.8);
        cairo_show_text(cr, runner::Cp1252ToUtf8(text.text).c_str());
    }
    cairo_show_page(cr);
    const cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t finished = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS || finished != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot write ") + path + ": " +
                cairo_status_to_string(status != CAIRO_STATUS_SUCCESS ? status : finished);
        return false;
    }
    return true;
}

}  // namespace tessaly::cli
