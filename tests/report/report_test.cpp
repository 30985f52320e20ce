// The information report: its lines and the printed page.
#include <gtest/gtest.h>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "report/os_name.h"
#include "report/report_content.h"
#include "report/report_printer.h"
#include "support/pc_fixture.h"
#include "support/started_window.h"

namespace tessaly::testing {
namespace {

struct Window : StartedWindow {
    using StartedWindow::StartedWindow;
    InfoReport Report() {
        return BuildInfoReport(*pc.transport, *pc.machine, pc.machine->Printer(), dialog.Drives(),
                               view);
    }
    bool Print() {
        return PrintInformationReport(*pc.transport, *pc.machine, pc.machine->Printer(),
                                      dialog.Drives(), view,
                                      view.WindowHandle()) == PrintOutcome::kPrinted;
    }
};

std::string Drive(const std::string& os, const std::string& bus, const std::string& drive,
                  const std::string& extra = "") {
    std::vector<std::string> parts = {
        os, R"("date": "2003-05-14", "printer": {"width": 4800, "height": 6600})",
        R"("adapters": [{"bus": ")" + bus +
            R"(", "identifier": "ha", "devices": [
                     {"target": 1, "letter": "E", "drive": )" +
            drive + "}]}]"};
    if (!extra.empty())
        parts.push_back(extra);
    std::string json = "{";
    for (std::size_t i = 0; i < parts.size(); ++i)
        json += (i ? "," : "") + parts[i];
    return json + "}";
}

const char kRecorder[] = R"({"model": "CD-R   VW2410A", "serial": "0001f", "usage_seconds": 3725})";

TEST(ReportPage, GeometryOfTheExample) {
    const PageGeometry page = PageGeometryOf(4800, 6600);
    EXPECT_EQ(page.margin, 240);
    EXPECT_EQ(page.top, 330);
    EXPECT_EQ(page.lineStep, 110);
    EXPECT_EQ(page.ruleWidth, 6);
    Window w(Drive(kWin98, "atapi", kRecorder, kManager));
    ASSERT_TRUE(w.Print());
    const auto& pages = w.pc.machine->Printer().Pages();
    ASSERT_EQ(pages.size(), 1u);
    const vpc::PrintedPage& p = pages[0];
    EXPECT_EQ(p.documentName, "1.19");
    ASSERT_GE(p.lines.size(), 4u);
    EXPECT_EQ(p.lines[0].y1, 264);
    EXPECT_EQ(p.lines[0].x2, 4560);
    EXPECT_EQ(p.lines[0].width, 6);
    EXPECT_EQ(p.lines[1].y1, 594);
    auto at = [&](const std::string& text) {
        for (const auto& t : p.texts) {
            if (t.text == text)
                return std::make_pair(t.x, t.y);
        }
        return std::make_pair(-1, -1);
    };
    EXPECT_EQ(at("Tessaly V1.19"), std::make_pair(240, 330));
    EXPECT_EQ(at("System information").second, 330);
    // Right-aligned: each character is H/100 = 66 units wide.
    EXPECT_EQ(at("System information").first, 4560 - 18 * 66);
    EXPECT_EQ(at("14 May 2003"), std::make_pair(4560 - 11 * 66, 462));
    EXPECT_EQ(at("Copyright (C) 1998-2003 Varnoth Corporation"), std::make_pair(240, 462));
    EXPECT_EQ(at("Software information"), std::make_pair(240, 770));
    // Underlines as long as their headings.
    EXPECT_EQ(p.lines[2].y1, 880);
    EXPECT_EQ(p.lines[2].x2 - p.lines[2].x1, 20 * 66);
    EXPECT_EQ(at("Hardware information").second, 330 + 12 * 110);
    EXPECT_EQ(p.lines[3].x2 - p.lines[3].x1, 20 * 66);
}

TEST(ReportPage, WarningBlockMovesTheHardwareSectionFourLines) {
    Window w(Drive(kWin98, "atapi", kRecorder, R"("aspi": {"file_version": "1, 0, 0, 0"})"));
    const InfoReport report = w.Report();
    EXPECT_TRUE(report.warning);
    ASSERT_TRUE(w.Print());
    const vpc::PrintedPage& p = w.pc.machine->Printer().Pages().back();
    int hardwareY = -1;
    int warningY = -1;
    for (const auto& t : p.texts) {
        if (t.text == "Hardware information")
            hardwareY = t.y;
        if (t.text.rfind("*** WARNING", 0) == 0)
            warningY = t.y;
    }
    EXPECT_EQ(hardwareY, 330 + 16 * 110);
    EXPECT_EQ(warningY, 330 + 11 * 110);
}

TEST(ReportPage, CancelledOrMissingPrinterPrintsNothing) {
    for (const char* printer :
         {R"("printer": {"width": 4800, "height": 6600, "cancel": true})", ""}) {
        std::string json = Json(
            {kWin98, kManager, R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [
                     {"target": 1, "drive": {"model": "CD-R   VW2410A"}}]}])"});
        if (*printer != '\0')
            json = json.substr(0, json.size() - 1) + "," + printer + "}";
        Window w(json);
        w.pc.machine->ClearCommandLog();
        EXPECT_FALSE(w.Print());
        EXPECT_TRUE(w.pc.machine->Printer().Pages().empty());
        EXPECT_TRUE(w.pc.machine->CommandLog().empty()) << "nothing is read either";
        EXPECT_EQ(w.pc.machine->Printer().DialogsShown(), 1);
    }
}

// The print button through the window's logic: the dialog is owned by the window; a
// document the printer refuses gives one message, the user's cancel at its start none,
// and neither leaves a page or an object behind.
TEST(ReportPage, PrintButtonOwnsTheDialogAndReportsARefusedDocument) {
    struct Row {
        const char* what;
        std::string printer;
        bool printed;
        std::vector<std::string> messages;
    };
    const std::string refused = "tessaly: Unable to print the information report!";
    const Row rows[] = {
        {"printed", R"({"width": 4800, "height": 6600})", true, {}},
        {"dialog cancelled", R"({"width": 4800, "height": 6600, "cancel": true})", false, {}},
        {"file name cancelled",
         R"({"width": 4800, "height": 6600, "start_doc_error": 1223})",
         false,
         {}},
        {"access denied",
         R"({"width": 4800, "height": 6600, "start_doc_error": 5})",
         false,
         {refused}},
        {"printer gone",
         R"({"width": 4800, "height": 6600, "start_doc_error": 1801})",
         false,
         {refused}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w(Json({kWin98, kManager, R"("printer": )" + row.printer,
                       R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [
                     {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])"}));
        w.view.BeginStep();
        EXPECT_EQ(w.dialog.OnPrint(w.pc.machine->Printer()), row.printed);
        const auto& printer = w.pc.machine->Printer();
        EXPECT_EQ(printer.DialogsShown(), 1);
        EXPECT_EQ(printer.LastDialogOwner(), app::HeadlessView::kWindowHandle);
        EXPECT_EQ(printer.Pages().size(), row.printed ? 1u : 0u);
        EXPECT_EQ(printer.LiveObjects(), 0);
        std::vector<std::string> messages;
        for (const auto& m : w.view.Messages())
            messages.push_back(m.caption + ": " + m.text);
        EXPECT_EQ(messages, row.messages);
    }
}

TEST(ReportPage, ZeroSizedPageDrawsWithoutFailing) {
    Window w(Drive(kWin98, "atapi", kRecorder,
                   R"("aspi": {"description": ")" + std::string(200, 'x') + "\"}"));
    // Replace the printer by one with no printable area.
    Window zero(Json({kWin98, R"("printer": {"width": 0, "height": 0})", kManager,
                      R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [
                     {"target": 1, "drive": {"model": "CD-R   VW2410A"}}]}])"}));
    EXPECT_TRUE(zero.Print());
    const vpc::PrintedPage& p = zero.pc.machine->Printer().Pages().back();
    for (const auto& t : p.texts)
        EXPECT_EQ(t.x, 0);
    EXPECT_TRUE(w.Print());
    EXPECT_EQ(w.pc.machine->Printer().LiveObjects(), 0) << "the pen is deleted";
}

// A printer whose default font is taller than the line step gets a font that fits it; one
// whose font fits (the step is 110 units here) keeps its own.
TEST(ReportPage, FontTallerThanTheLineStepIsReplacedByOneThatFits) {
    struct Case {
        int defaultHeight;
        int drawnHeight;
    };
    for (const Case c : {Case{110, 110}, Case{66, 66}, Case{111, 88}, Case{300, 88}}) {
        std::string json = Drive(kWin98, "atapi", kRecorder, kManager);
        const std::string printer = R"("height": 6600})";
        json.replace(json.find(printer), printer.size(),
                     R"("height": 6600, "font_height": )" + std::to_string(c.defaultHeight) + "}");
        Window w(json);
        ASSERT_TRUE(w.Print());
        const vpc::PrintedPage& p = w.pc.machine->Printer().Pages().back();
        ASSERT_FALSE(p.texts.empty());
        for (const auto& t : p.texts)
            EXPECT_EQ(t.fontHeight, c.drawnHeight) << c.defaultHeight << ": " << t.text;
        // Positions stay those of the layout; right alignment follows the font's widths.
        EXPECT_EQ(p.texts[0].y, 330);
        const int charWidth = c.drawnHeight == c.defaultHeight ? 66 : 44;
        EXPECT_EQ(p.texts[1].x, 4560 - 18 * charWidth) << p.texts[1].text;
        EXPECT_EQ(w.pc.machine->Printer().LiveObjects(), 0) << "pen and font are deleted";
    }
}

// A printer that reports its resolution gets 10-point cells (at most four fifths of a
// line step) whatever its default font: the text has the same size on the paper at 300
// and 600 dpi. Pages are A4's printable area at each resolution, and one smaller page.
TEST(ReportPage, FontFollowsThePrinterResolution) {
    struct Case {
        int dpi;
        int width;
        int height;
        int defaultHeight;
        int drawnHeight;
    };
    const Case cases[] = {
        {300, 2325, 3354, 39, 42},   // Wine's default font fits the step here: replaced
        {600, 4650, 6708, 160, 83},  // taller than the step: replaced by the same size
        {1200, 9300, 13416, 0, 167},
        {600, 4650, 3000, 0, 40},  // a short page: four fifths of its step of 50
        {0, 4800, 6600, 90, 90},   // no resolution reported: the default font stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const std::string printer = R"("printer": {"width": )" + std::to_string(c.width) +
                                    R"(, "height": )" + std::to_string(c.height) + R"(, "dpi": )" +
                                    std::to_string(c.dpi) + R"(, "font_height": )" +
                                    std::to_string(c.defaultHeight) + "}";
        Window w(Json({kWin98, kManager, printer,
                       R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [
                     {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])"}));
        ASSERT_TRUE(w.Print());
        const vpc::PrintedPage& p = w.pc.machine->Printer().Pages().back();
        ASSERT_FALSE(p.texts.empty());
        for (const auto& t : p.texts)
            EXPECT_EQ(t.fontHeight, c.drawnHeight) << t.text;
        EXPECT_EQ(w.pc.machine->Printer().LiveObjects(), 0);
    }
}

TEST(ReportContent, SoftwareLines) {
    struct Row {
        const char* what;
        std::string os;
        std::string aspi;
        const char* osLine;
        const char* aspiLine;
        const char* descriptionLine;
    };
    const Row rows[] = {
        {"XP with the manager bypassed", kXp,
         R"("aspi": {"file_version": "4, 60, 0, 1021", "description": "ASPI for Win32 (95/NT) DLL", "company": "Example Software Inc."})",
         "Operating system: Windows XP V5.01.2600 Service Pack 2",
         "ASPI Manager    : wnaspi32.dll version 4, 60, 0, 1021 (not used by Tessaly)",
         "Description     : ASPI for Win32 (95/NT) DLL (Example Software Inc.)"},
        {"XP without the manager file", kXp, "",
         "Operating system: Windows XP V5.01.2600 Service Pack 2", "ASPI Manager    : n/a",
         "Description     : n/a"},
        {"98 SE, company n/a", kWin98,
         R"("aspi": {"file_version": "4, 60, 0, 1021", "description": "ASPI", "company": "n/a"})",
         "Operating system: Windows 98 SE V4.10.2222  A ",
         "ASPI Manager    : wnaspi32.dll version 4, 60, 0, 1021", "Description     : ASPI"},
        {"98 without a manager", kWin98, "", "Operating system: Windows 98 SE V4.10.2222  A ",
         "ASPI Manager    : n/a", "Description     : n/a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w(row.aspi.empty() ? Drive(row.os, "atapi", kRecorder)
                                  : Drive(row.os, "atapi", kRecorder, row.aspi));
        const InfoReport report = w.Report();
        EXPECT_EQ(report.osLine, row.osLine);
        EXPECT_EQ(report.aspiLine, row.aspiLine);
        EXPECT_EQ(report.descriptionLine, row.descriptionLine);
    }
}

TEST(ReportContent, OperatingSystemNames) {
    struct Row {
        const char* os;
        const char* name;
    };
    const Row rows[] = {
        {R"("os": {"platform": 1, "major": 4, "minor": 0, "build": 950, "service": ""})",
         "Windows 95 V4.00.950 "},
        {R"("os": {"platform": 1, "major": 4, "minor": 10, "build": 1998, "service": " "})",
         "Windows 98 V4.10.1998  "},
        {R"("os": {"platform": 1, "major": 4, "minor": 90, "build": 3000, "service": " "})",
         "Windows Me V4.90.3000  "},
        {R"("os": {"platform": 2, "major": 4, "minor": 0, "build": 1381, "service": "Service Pack 6"})",
         "Windows NT 4.0 V4.00.1381 Service Pack 6"},
        {R"("os": {"platform": 2, "major": 5, "minor": 0, "build": 2195, "service": ""})",
         "Windows 2000 V5.00.2195 "},
        {R"("os": {"platform": 1, "major": 4, "minor": 10, "build": "0x040a08ae", "service": " A "})",
         "Windows 98 SE V4.10.2222  A "},
        {R"("os": {"platform": 2, "major": 6, "minor": 0, "build": 6002, "service": "Service Pack 2"})",
         "Windows Vista V6.00.6002 Service Pack 2"},
        {R"("os": {"platform": 2, "major": 6, "minor": 1, "build": 7601, "service": "Service Pack 1"})",
         "Windows 7 V6.01.7601 Service Pack 1"},
        {R"("os": {"platform": 2, "major": 6, "minor": 2, "build": 9200, "service": ""})",
         "Windows 8 V6.02.9200 "},
        {R"("os": {"platform": 2, "major": 6, "minor": 3, "build": 9600, "service": ""})",
         "Windows 8.1 V6.03.9600 "},
        {R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045, "service": ""})",
         "Windows 10 V10.00.19045 "},
        {R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 22000, "service": ""})",
         "Windows 11 V10.00.22000 "},
        {R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 26100, "service": ""})",
         "Windows 11 V10.00.26100 "},
        // A version the program has no name for keeps the bare name.
        {R"("os": {"platform": 2, "major": 11, "minor": 0, "build": 30000, "service": ""})",
         "Windows V11.00.30000 "},
    };
    for (const Row& row : rows) {
        Pc pc(Json({row.os}));
        char name[256];
        OsNameText(*pc.machine, name, sizeof name);
        EXPECT_STREQ(name, row.name);
    }
}

TEST(ReportContent, DriveLines) {
    struct Row {
        const char* what;
        std::string json;
        const char* driveLine;
        const char* featuresLine;
    };
    const Row rows[] = {
        {"ATAPI recorder",
         Drive(kWin98, "atapi", R"({"model": "CD-R   VW2410A", "serial": "0001f",
            "usage_seconds": 3725, "jumper": 5, "read_speed_kbs": 5632,
            "underrun": {"supported": true, "enabled": true}})",
               kManager),
         "ID 1:(E:) VARNOTH CD-R   VW2410A   V1.00 (S/N:000031) (1.2.5C)",
         "Read speed: 32 X, Jumper settings: 101, Buffer under run proof enabled"},
        {"SCSI recorder",
         Drive(kWin98, "scsi", R"({"model": "CD-R   VW1210S", "serial": "12345",
            "jumper": 5, "read_speed_kbs": 5632})",
               kManager),
         "ID 1:(E:) VARNOTH CD-R   VW1210S   V1.00 (S/N:074565) (0.0.0A)",
         "Read speed: 14-32 X CAV, Jumper settings: 10100000"},
        {"SCSI recorder refusing the jumper read",
         Drive(kWin98, "scsi", R"({"model": "CD-R   VW1210S", "serial": "12345",
            "jumper": 5, "read_speed_kbs": 5632, "fail": {"de": "05/20/00"}})",
               kManager),
         "ID 1:(E:) VARNOTH CD-R   VW1210S   V1.00 (S/N:074565) (0.0.0A)",
         "Read speed: 14-32 X CAV, Jumper settings: n/a"},
        {"the SCSI recorder variant",
         Drive(kWin98, "scsi", R"({"model": "CD-R   VW2410S", "jumper": 5})", kManager),
         "ID 1:(E:) VARNOTH CD-R   VW2410S   V1.00 (S/N:000001) (0.0.0A)",
         "Read speed: 17-40 X CAV, Jumper settings: n/a, Buffer under run proof disabled"},
        {"reader without the vendor set, no letter",
         R"({)" + std::string(kWin98) +
             R"(, "aspi": {}, "adapters": [{"bus": "atapi", "identifier": "ha",
            "devices": [{"target": 1, "drive": {"model": "CD-ROM VN52A", "read_speed_kbs": 7040}}]}]})",
         "ID 1:(C:) VARNOTH CD-ROM VN52A     V1.00 (S/N:n/a) ()",
         "Read speed: 40 X, Jumper settings: n/a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w(row.json);
        const InfoReport report = w.Report();
        ASSERT_TRUE(report.hasDrive);
        EXPECT_EQ(report.driveLine, row.driveLine);
        EXPECT_EQ(report.featuresLine, row.featuresLine);
        EXPECT_EQ(report.statusLine, w.view.Fields().at(IDC_STATUS));
    }
}

TEST(ReportContent, UsageCounterClasses) {
    struct Row {
        const char* seconds;
        const char* text;
    };
    const Row rows[] = {{"0", "0.0.0A"},     {"1200", "0.20.0A"}, {"1201", "0.20.1B"},
                        {"3600", "1.0.0B"},  {"7200", "2.0.0C"},  {"7201", "2.0.1D"},
                        {"-3600", "-1.0.0?"}};
    for (const Row& row : rows) {
        Window w(Drive(
            kWin98, "atapi",
            std::string(R"({"model": "CD-R   VW2410A", "usage_seconds": )") + row.seconds + "}",
            kManager));
        EXPECT_EQ(UsageTimeText(*w.pc.transport, {0, 1}), row.text) << row.seconds;
    }
    Window reader(Drive(kWin98, "scsi", R"({"model": "CD-ROM VN40S"})", kManager));
    reader.pc.machine->ClearCommandLog();
    EXPECT_EQ(UsageTimeText(*reader.pc.transport, {0, 1}), "");
    for (const auto& command : reader.pc.machine->CommandLog()) {
        EXPECT_EQ(command.find("0:1 f1"), std::string::npos) << "no vendor command for a reader";
    }
}

TEST(ReportContent, JumperTexts) {
    EXPECT_EQ(ScsiJumperText(0x05), "10100000");
    EXPECT_EQ(AtapiJumperText(0x05), "101");
    EXPECT_EQ(ScsiJumperText(0x80), "00000001");
    EXPECT_EQ(AtapiJumperText(0xF8), "000");
    EXPECT_TRUE(IsOutdatedManagerVersion("1, 0, 0, 0"));
    EXPECT_FALSE(IsOutdatedManagerVersion("1, 0, 0, 1"));
    EXPECT_FALSE(IsOutdatedManagerVersion("1.0.0.0"));
    EXPECT_FALSE(IsOutdatedManagerVersion("n/a"));
}

TEST(ReportContent, ADriveThatStoppedAnsweringHasNoDriveLines) {
    Window w(Drive(kWin98, "atapi", kRecorder, kManager));
    w.pc.machine->DriveAt(0, 1)->Spec();
    w.pc.transport->Shutdown();  // the manager is gone: INQUIRY fails from now on
    const InfoReport report = w.Report();
    EXPECT_FALSE(report.hasDrive);
    ASSERT_TRUE(w.Print());
    const vpc::PrintedPage& p = w.pc.machine->Printer().Pages().back();
    EXPECT_EQ(p.texts.back().text, "Hardware information");
    EXPECT_EQ(p.lines.size(), 4u) << "its underline is still drawn";
}

}  // namespace
}  // namespace tessaly::testing
