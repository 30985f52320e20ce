#include "report/report_printer.h"

#include <string>

namespace tessaly {

using platform::Hdc;
using platform::Printing;

namespace {

constexpr char kWarningLine1[] = "*** WARNING: It is recommended to update this ASPI layer. ***";
constexpr char kWarningLine2[] =
    "This version may result in unpredictable behaviour of certain components.";

int TextWidth(Printing& printing, Hdc dc, const std::string& text) {
    int width = 0;
    int height = 0;
    if (!printing.GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &width,
                                        &height)) {
        return 0;
    }
    return width;
}

void Text(Printing& printing, Hdc dc, int x, int y, const std::string& text) {
    printing.TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void Rule(Printing& printing, Hdc dc, platform::GdiObject pen, int x1, int y, int x2) {
    printing.SelectObject(dc, pen);
    printing.MoveToEx(dc, x1, y);
    printing.LineTo(dc, x2, y);
}

// A heading at line n and its underline, as long as the heading, at line n + 1.
void Heading(Printing& printing, Hdc dc, platform::GdiObject pen, const PageGeometry& page, int n,
             const std::string& text) {
    Text(printing, dc, page.margin, page.top + n * page.lineStep, text);
    Rule(printing, dc, pen, page.margin, page.top + (n + 1) * page.lineStep,
         page.margin + TextWidth(printing, dc, text));
}

// Lines lie one line step apart, written in the printer's default font. A printer whose
// default font is taller than the step (Wine's PostScript driver has one about one and a
// half steps tall) would print them over each other and past the page's right edge, so
// the page then gets a font whose cells fill four fifths of a step. 0 when the default
// font fits (or cannot be measured).
platform::GdiObject FittingFont(Printing& printing, Hdc dc, const PageGeometry& page) {
    int width = 0;
    int height = 0;
    if (!printing.GetTextExtentPoint32A(dc, "X", 1, &width, &height) || height <= page.lineStep ||
        page.lineStep < 5) {
        return 0;
    }
    return printing.CreateFontA(page.lineStep * 4 / 5, "Arial");
}

}  // namespace

PageGeometry PageGeometryOf(int width, int height) {
    PageGeometry page;
    page.width = width;
    page.height = height;
    page.margin = width / 20;
    page.top = height / 20;
    page.lineStep = height / 60;
    page.ruleWidth = height / 1000;
    return page;
}

void DrawInfoReport(Printing& printing, Hdc dc, const PageGeometry& page, platform::GdiObject pen,
                    const InfoReport& report) {
    const int m = page.margin;
    const int t = page.top;
    const int h = page.height;
    const int right = page.width - m;
    Rule(printing, dc, pen, m, t - h / 100, right);
    Text(printing, dc, m, t, report.title);
    const std::string section = "System information";
    Text(printing, dc, right - TextWidth(printing, dc, section), t, section);
    Text(printing, dc, right - TextWidth(printing, dc, report.date), t + h / 50, report.date);
    Text(printing, dc, m, t + h / 50, report.copyright);
    Rule(printing, dc, pen, m, t + h / 25, right);

    auto line = [&](int n, const std::string& text) {
        Text(printing, dc, m, t + n * page.lineStep, text);
    };
    Heading(printing, dc, pen, page, 4, "Software information");
    line(6, report.osLine);
    line(7, report.aspiLine);
    line(8, report.descriptionLine);
    int hardware = 12;
    if (report.warning) {
        line(10, "");
        line(11, kWarningLine1);
        line(12, kWarningLine2);
        line(13, "");
        hardware = 16;
    }
    Heading(printing, dc, pen, page, hardware, "Hardware information");
    if (!report.hasDrive)
        return;
    line(hardware + 3, report.driveLine);
    line(hardware + 4, report.featuresLine);
    line(hardware + 6, report.statusLine);
    line(hardware + 7, report.manufacturerLine);
    line(hardware + 8, report.leadInLine);
    line(hardware + 9, report.leadOutLine);
}

bool PrintInformationReport(ScsiTransport& transport, platform::Platform& platform,
                            Printing& printing, const DriveList& drives, DiscFields& shown) {
    const Hdc dc = printing.PrintDlgA();
    if (dc == 0)
        return false;
    const PageGeometry page = PageGeometryOf(printing.GetDeviceCaps(dc, platform::kHorzRes),
                                             printing.GetDeviceCaps(dc, platform::kVertRes));
    printing.SetMapMode(dc, platform::kMmText);
    const InfoReport report = BuildInfoReport(transport, platform, printing, drives, shown);
    printing.StartDocA(dc, kProgramVersionText);
    // Texts are placed by the top of their character cells.
    printing.SetTextAlign(dc, printing.GetTextAlign(dc) & ~platform::kTaBaseline);
    const platform::GdiObject pen = printing.CreatePen(platform::kPsSolid, page.ruleWidth, 0);
    printing.StartPage(dc);
    const platform::GdiObject font = FittingFont(printing, dc, page);
    if (font != 0)
        printing.SelectObject(dc, font);
    DrawInfoReport(printing, dc, page, pen, report);
    printing.EndPage(dc);
    printing.EndDoc(dc);
    printing.DeleteDC(dc);
    if (pen != 0)
        printing.DeleteObject(pen);
    if (font != 0)
        printing.DeleteObject(font);
    return true;
}

}  // namespace tessaly
