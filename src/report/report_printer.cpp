#include "report/report_printer.h"

#include <algorithm>
#include <string>
#include <vector>

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

// One row of the page's body, one line step high. A heading takes two rows, the second
// for its underline; a gap is a row with nothing written; a text row is written even
// when its text is empty.
struct BodyRow {
    enum class Kind { kText, kHeading, kGap };
    Kind kind;
    std::string text;
};

BodyRow TextRow(const std::string& text) {
    return {BodyRow::Kind::kText, text};
}
BodyRow HeadingRow(const std::string& text) {
    return {BodyRow::Kind::kHeading, text};
}
BodyRow GapRow() {
    return {BodyRow::Kind::kGap, {}};
}

// The body's first row, below the title block.
constexpr int kFirstBodyRow = 4;

// The body, top to bottom: the software section, the manager warning when it applies,
// and the hardware section with the selected drive's lines when it answered.
std::vector<BodyRow> BodyRows(const InfoReport& report) {
    std::vector<BodyRow> rows = {HeadingRow("Software information"), TextRow(report.osLine),
                                 TextRow(report.aspiLine), TextRow(report.descriptionLine),
                                 GapRow()};
    if (report.warning) {
        rows.insert(rows.end(), {TextRow(""), TextRow(kWarningLine1), TextRow(kWarningLine2),
                                 TextRow(""), GapRow(), GapRow()});
    } else {
        rows.insert(rows.end(), {GapRow(), GapRow()});
    }
    rows.insert(rows.end(), {HeadingRow("Hardware information"), GapRow()});
    if (report.hasDrive) {
        rows.insert(rows.end(), {TextRow(report.driveLine), TextRow(report.featuresLine), GapRow(),
                                 TextRow(report.statusLine), TextRow(report.manufacturerLine),
                                 TextRow(report.leadInLine), TextRow(report.leadOutLine)});
    }
    return rows;
}

// The text's size on a printer that reports its resolution: cells of 10 points.
constexpr int kTextPoints = 10;

// Lines lie one line step apart, written in the printer's default font. A printer's default
// font need not follow its resolution (Wine's PostScript driver has one of about 9 points
// at 300 dpi and one of one and a half line steps at 600 dpi), so on a printer that
// reports its vertical resolution the page gets a font sized from it: cells of 10 points,
// at most four fifths of a step, the same size on the paper at any resolution. A printer
// that reports none keeps its default font unless that is taller than the step (lines
// would print over each other and past the page's right edge); the page then gets a font
// whose cells fill four fifths of a step. 0 when the default font stays (or cannot be
// measured).
platform::GdiObject FittingFont(Printing& printing, Hdc dc, const PageGeometry& page) {
    if (page.lineStep < 5)
        return 0;
    const int fitting = page.lineStep * 4 / 5;
    const int dotsPerInch = printing.GetDeviceCaps(dc, platform::kLogPixelsY);
    if (dotsPerInch > 0) {
        // Rounded to the nearest device unit; the product stays far below the int range.
        const long long points = (static_cast<long long>(kTextPoints) * dotsPerInch + 36) / 72;
        return printing.CreateFontA(static_cast<int>(std::min<long long>(points, fitting)),
                                    "Arial");
    }
    int width = 0;
    int height = 0;
    if (!printing.GetTextExtentPoint32A(dc, "X", 1, &width, &height) || height <= page.lineStep)
        return 0;
    return printing.CreateFontA(fitting, "Arial");
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

    int row = kFirstBodyRow;
    for (const BodyRow& body : BodyRows(report)) {
        const int y = t + row * page.lineStep;
        switch (body.kind) {
            case BodyRow::Kind::kText:
                Text(printing, dc, m, y, body.text);
                break;
            case BodyRow::Kind::kHeading:
                // The underline, as long as the heading, on the row below it.
                Text(printing, dc, m, y, body.text);
                Rule(printing, dc, pen, m, y + page.lineStep,
                     m + TextWidth(printing, dc, body.text));
                ++row;
                break;
            case BodyRow::Kind::kGap:
                break;
        }
        ++row;
    }
}

PrintOutcome PrintInformationReport(ScsiTransport& transport, platform::Platform& platform,
                                    Printing& printing, const DriveList& drives, DiscFields& shown,
                                    platform::Hwnd owner) {
    const Hdc dc = printing.PrintDlgA(owner);
    if (dc == 0)
        return PrintOutcome::kCancelled;
    const PageGeometry page = PageGeometryOf(printing.GetDeviceCaps(dc, platform::kHorzRes),
                                             printing.GetDeviceCaps(dc, platform::kVertRes));
    printing.SetMapMode(dc, platform::kMmText);
    const InfoReport report = BuildInfoReport(transport, platform, printing, drives, shown);
    if (printing.StartDocA(dc, kProgramVersionText) <= 0) {
        // A printer that prints to a file asks for its name here; cancelling that prompt
        // is the user's choice, any other failure is the printer's.
        const bool cancelled = printing.GetLastError() == platform::kErrorCancelled;
        printing.DeleteDC(dc);
        return cancelled ? PrintOutcome::kCancelled : PrintOutcome::kNotStarted;
    }
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
    return PrintOutcome::kPrinted;
}

}  // namespace tessaly
