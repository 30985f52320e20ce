// The runners' text output: the exact format, line grouping of the printed page, and
// the same text from tessaly-sim's session on a bundled scenario.
#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "runner/session.h"
#include "runner/text_output.h"
#include "support/pc_fixture.h"
#include "transport/scsi_transport.h"
#include "vpc/virtual_pc.h"

namespace tessaly {
namespace {

using runner::DriveFields;
using runner::FormatText;
using runner::PageLines;
using runner::TextSession;

platform::PrintedPage PageOf(std::vector<platform::PrintedText> texts) {
    platform::PrintedPage page;
    page.width = 4800;
    page.height = 6600;
    page.texts = std::move(texts);
    return page;
}

struct LinesRow {
    const char* name;
    std::vector<platform::PrintedText> texts;
    std::vector<std::string> lines;
};

TEST(TextOutput, PageLinesTable) {
    const LinesRow rows[] = {
        {"one text", {{240, 330, "Title", 0}}, {"Title"}},
        {"same y joined by x with two blanks",
         {{4000, 330, "right", 0}, {240, 330, "left", 0}},
         {"left  right"}},
        {"lines by ascending y",
         {{240, 500, "second", 0}, {240, 330, "first", 0}, {240, 900, "third", 0}},
         {"first", "second", "third"}},
        {"drawing order kept for the same place",
         {{240, 330, "a", 0}, {240, 330, "b", 0}},
         {"a  b"}},
        {"trailing blanks kept", {{240, 330, "Taiyo Yuden ", 0}}, {"Taiyo Yuden "}},
        {"an empty text is an empty line", {{240, 330, "", 0}, {240, 400, "x", 0}}, {"", "x"}},
        {"no texts no lines", {}, {}},
    };
    for (const LinesRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PageLines(PageOf(row.texts)), row.lines);
    }
}

DriveFields Drive(const std::string& item, const std::string& extra1, const std::string& extra2) {
    DriveFields drive;
    drive.item = item;
    drive.fields = {{IDC_HOST_ADAPTER, "2"},
                    {IDC_TARGET_ID, "3"},
                    {IDC_STATUS, "CD-R inserted"},
                    {IDC_LEAD_IN_TIME, "97m24s01f"},
                    {IDC_LEAD_OUT_TIME, "79:59:74"},
                    {IDC_LEAD_OUT_LBA, "359999"},
                    {IDC_MANUFACTURER, "Taiyo Yuden (type 1) "},
                    {IDC_EXTRA_LINE1, extra1},
                    {IDC_EXTRA_LINE2, extra2},
                    {IDC_LEAD_IN_LBA, "hidden"}};
    return drive;
}

TEST(TextOutput, ExactFormat) {
    TextSession session;
    session.items = {"ID:3  CD-R   VW1210A  ", "ID:5  DVDR   VD0708A  "};
    session.drives = {Drive(session.items[0], "", ""),
                      Drive(session.items[1], "Line one", "Caf\xE9")};
    session.page = PageOf({{4000, 330, "System information", 0},
                           {240, 330, "Tessaly V1.19", 0},
                           {240, 600, "Operating system: Linux 6.1.0 x86_64", 0}});
    const std::string expected =
        "Drives:\n"
        "  ID:3  CD-R   VW1210A  \n"
        "  ID:5  DVDR   VD0708A  \n"
        "\n"
        "ID:3  CD-R   VW1210A  \n"
        "  Host Adapter: 2\n"
        "  Target ID: 3\n"
        "  Status: CD-R inserted\n"
        "  Start Time Of Lead In: 97m24s01f\n"
        "  Start Time Of Lead Out: 79:59:74  LBA: 359999\n"
        "  Manufacturer: Taiyo Yuden (type 1) \n"
        "\n"
        "ID:5  DVDR   VD0708A  \n"
        "  Host Adapter: 2\n"
        "  Target ID: 3\n"
        "  Status: CD-R inserted\n"
        "  Start Time Of Lead In: 97m24s01f\n"
        "  Start Time Of Lead Out: 79:59:74  LBA: 359999\n"
        "  Manufacturer: Taiyo Yuden (type 1) \n"
        "  Line one\n"
        "  Caf\xC3\xA9\n"
        "\n"
        "Information report:\n"
        "  Tessaly V1.19  System information\n"
        "  Operating system: Linux 6.1.0 x86_64\n";
    EXPECT_EQ(FormatText(session), expected);
}

// What a drive or disc supplies reaches the text without a control character: in the
// list, every field and the page. Code page 1252's 81h, 8Dh, 8Fh, 90h and 9Dh are C1
// controls once converted; its 80h is the euro sign.
TEST(TextOutput, DriveTextWithoutControlCharacters) {
    const std::string r = "\xEF\xBF\xBD";
    TextSession session;
    session.items = {"ID:3  EVIL\x1B[2J\x1B]0;owned\x07"};
    session.drives = {Drive(session.items[0],
                            "S/N \x9B"
                            "31m\x81\x8D\x8F\x90\x9D",
                            "\x80 5\t\r\n")};
    session.drives[0].fields[IDC_MANUFACTURER] = std::string("Disc\0Maker", 10);
    session.page = PageOf({{240, 330, "Vendor: \x1B[5m\x7F", 0}});
    const std::string item = "ID:3  EVIL" + r + "[2J" + r + "]0;owned" + r;
    const std::string expected = "Drives:\n  " + item + "\n\n" + item +
                                 "\n"
                                 "  Host Adapter: 2\n"
                                 "  Target ID: 3\n"
                                 "  Status: CD-R inserted\n"
                                 "  Start Time Of Lead In: 97m24s01f\n"
                                 "  Start Time Of Lead Out: 79:59:74  LBA: 359999\n"
                                 "  Manufacturer: Disc" +
                                 r +
                                 "Maker\n"
                                 "  S/N \xE2\x80\xBA"
                                 "31m" +
                                 r + r + r + r + r +
                                 "\n"
                                 "  \xE2\x82\xAC 5" +
                                 r + r + r +
                                 "\n"
                                 "\nInformation report:\n"
                                 "  Vendor: " +
                                 r + "[5m" + r + "\n";
    EXPECT_EQ(FormatText(session), expected);
    EXPECT_EQ(expected.find("\n\n" + runner::FormatDriveBlock(session.drives[0]) + "\n"),
              expected.find("\n\n"))
        << "the block --watch and --eject print is the same";
    EXPECT_EQ(runner::DisplayText("\x1B\x9D\xE9"), r + r + "\xC3\xA9");
}

TEST(TextOutput, NoPageNoReportSection) {
    TextSession session;
    session.items = {"ID:1  X"};
    session.drives = {Drive("ID:1  X", "", "")};
    const std::string text = FormatText(session);
    EXPECT_EQ(text.find("Information report:"), std::string::npos);
    const std::string last = "  Manufacturer: Taiyo Yuden (type 1) \n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last) << "the last drive's block ends it";
}

TEST(TextOutput, EventsOfTheSession) {
    EXPECT_EQ(runner::TextSessionEvents(0), std::vector<std::string>{});
    EXPECT_EQ(runner::TextSessionEvents(1), (std::vector<std::string>{"select:0", "print"}));
    EXPECT_EQ(runner::TextSessionEvents(3),
              (std::vector<std::string>{"select:0", "select:1", "select:2", "select:0", "print"}));
}

// The text session on a bundled scenario gives each drive the fields that the runner's
// select:N step shows, and the page of its print step.
TEST(TextOutput, SessionAgreesWithTheRunnersSteps) {
    for (const char* file : {"xp-external.json", "report.json", "win98-usb.json"}) {
        SCOPED_TRACE(file);
        const auto scenario = testing::LoadExample(file);
        ASSERT_TRUE(scenario);
        vpc::VirtualPc pcA(*scenario);
        ScsiTransport transportA(pcA);
        app::HeadlessView viewA;
        app::MainDialog dialogA(transportA, pcA, viewA);
        viewA.Attach(&dialogA);
        dialogA.OnInitDialog();
        const TextSession session = runner::PlayTextSession(viewA, dialogA, pcA.Printer());

        vpc::VirtualPc pcB(*scenario);
        ScsiTransport transportB(pcB);
        app::HeadlessView viewB;
        app::MainDialog dialogB(transportB, pcB, viewB);
        viewB.Attach(&dialogB);
        dialogB.OnInitDialog();
        ASSERT_EQ(session.drives.size(), viewB.Items().size());
        std::size_t drive = 0;
        for (const std::string& name : runner::TextSessionEvents(viewB.Items().size())) {
            runner::Event event;
            ASSERT_TRUE(runner::ParseEvent(name, event));
            runner::Play(event, viewB, dialogB, pcB.Printer());
            if (event.name == "select" && drive < session.drives.size() &&
                event.item == static_cast<int>(drive)) {
                EXPECT_EQ(session.drives[drive].fields, viewB.Fields()) << name;
                ++drive;
            }
        }
        ASSERT_TRUE(session.page);
        ASSERT_FALSE(pcB.Printer().Pages().empty());
        EXPECT_EQ(PageLines(*session.page), PageLines(pcB.Printer().Pages().back()));
        EXPECT_GT(PageLines(*session.page).size(), 8u);
    }
}

}  // namespace
}  // namespace tessaly
