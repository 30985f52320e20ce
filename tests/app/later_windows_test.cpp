// Windows Vista to 11 on the virtual PC: the bundled scenarios of each version start
// through pass-through with read and write access and refresh their drive; a user whom
// the system refuses the drives is told so, on those versions only.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/started_window.h"

namespace tessaly::testing {
namespace {

constexpr std::uint32_t kReadWrite = 0xC0000000u;
constexpr std::uint32_t kReadOnly = 0x80000000u;

std::string ScenarioText(const std::string& file) {
    std::ifstream in(std::string(TESSALY_SOURCE_DIR) + "/scenarios/" + file);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << file;
    return text.str();
}

std::vector<std::string> Texts(const StartedWindow& w) {
    std::vector<std::string> texts;
    for (const auto& m : w.view.Messages())
        texts.push_back(m.caption + ": " + m.text);
    return texts;
}

TEST(LaterWindows, EachVersionFindsAndRefreshesItsDriveThroughReadWritePassThrough) {
    struct Row {
        const char* file;
        const char* leadOut;
        std::size_t items;
    };
    const Row rows[] = {
        {"vista.json", "79:59:74", 1}, {"win7.json", "74:00:00", 1},  {"win8.json", "79:59:74", 1},
        {"win81.json", "74:00:00", 1}, {"win10.json", "74:00:00", 2}, {"win11.json", "79:59:74", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        StartedWindow w(ScenarioText(row.file));
        const RecordingPlatform& recorder = *w.pc.recorder;
        EXPECT_TRUE(Texts(w).empty());
        ASSERT_EQ(w.view.Items().size(), row.items);
        EXPECT_NE(w.view.Items()[0].find("VW2410A"), std::string::npos);
        EXPECT_EQ(w.pc.transport->Mode(), TransportMode::PassThrough);
        EXPECT_TRUE(w.pc.transport->IsAspiBypassed());
        EXPECT_TRUE(recorder.loadedLibraries.empty());
        EXPECT_EQ(w.pc.transport->GetAdapterKind(0), kInterfaceAtapi);
        ASSERT_FALSE(recorder.openAccess.empty());
        // Drive letters are opened for reading and writing; SCSI ports, whose queries
        // demand no access, with none.
        for (std::size_t i = 0; i < recorder.openAccess.size(); ++i) {
            const bool port = recorder.openedNames[i].rfind("\\\\.\\SCSI", 0) == 0;
            EXPECT_EQ(recorder.openAccess[i], port ? 0u : kReadWrite) << recorder.openedNames[i];
        }
        EXPECT_EQ(w.Field(kFieldLeadOutTime), row.leadOut);

        // A poll refreshes the drive through pass-through again.
        const std::size_t before = recorder.passThroughRequests.size();
        ASSERT_GT(before, 0u);
        w.dialog.Panel().OnTimer(app::kPollTimerId);
        EXPECT_GT(recorder.passThroughRequests.size(), before);
        EXPECT_EQ(w.Field(kFieldLeadOutTime), row.leadOut);
        EXPECT_TRUE(Texts(w).empty());
    }
}

TEST(LaterWindows, NtFourStillOpensForReadingOnly) {
    StartedWindow w(Json({kNt4, R"("adapters": [{"bus": "atapi", "identifier": "atapi",
        "devices": [{"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]}])"}));
    ASSERT_EQ(w.view.Items().size(), 1u);
    ASSERT_FALSE(w.pc.recorder->openAccess.empty());
    for (std::uint32_t access : w.pc.recorder->openAccess)
        EXPECT_EQ(access, kReadOnly);
}

// On NT 6 and later the refusal is the one message: the manager's is left out there.
TEST(LaterWindows, RefusedDrivesAddTheAdministratorLineOnNtSixAndLaterOnly) {
    const std::string oneLine = "tessaly: No Varnoth drives detected!";
    const std::string twoLines = oneLine +
                                 "\nAccess to the drives was denied: run Tessaly as "
                                 "administrator.";
    const std::string notStarted = "Error: ASPI for Win32 is not initialized!";
    const char refused[] = R"({"target": 0, "letter": "E", "access": "denied",
        "drive": {"model": "CD-R   VW2410A"}})";
    const char granted[] = R"({"target": 1, "letter": "F", "drive": {"model": "CD-ROM VN52A"}})";
    const char otherMaker[] =
        R"({"target": 1, "letter": "F", "drive": {"vendor": "OTHERCO ", "product": "CD-ROM"}})";
    const char refusedOtherMaker[] = R"({"target": 0, "letter": "E", "access": "denied",
        "drive": {"vendor": "OTHERCO ", "product": "CD-ROM"}})";
    auto adapter = [](const std::string& devices) {
        return R"("adapters": [{"bus": "atapi", "identifier": "storahci", "devices": [)" + devices +
               "]}]";
    };
    auto os = [](int major, int minor, int build) {
        return R"("os": {"platform": 2, "major": )" + std::to_string(major) + R"(, "minor": )" +
               std::to_string(minor) + R"(, "build": )" + std::to_string(build) + "}";
    };
    struct Row {
        const char* what;
        std::string json;
        std::vector<std::string> messages;
    };
    const Row rows[] = {
        {"XP, every letter refused", Json({kXp, adapter(refused)}), {notStarted, oneLine}},
        {"NT 4, every letter refused", Json({kNt4, adapter(refused)}), {notStarted, oneLine}},
        {"Vista, every letter refused", Json({os(6, 0, 6002), adapter(refused)}), {twoLines}},
        {"7, every letter refused", Json({os(6, 1, 7601), adapter(refused)}), {twoLines}},
        {"10, every letter refused", Json({os(10, 0, 19045), adapter(refused)}), {twoLines}},
        {"11, every letter refused", Json({os(10, 0, 22631), adapter(refused)}), {twoLines}},
        {"10, no CD-ROM letter at all",
         Json({os(10, 0, 19045), adapter("")}),
         {notStarted, oneLine}},
        // One letter opened: the system did not refuse the user; no drive of the maker.
        {"10, one letter refused, one opened, both of another maker",
         Json({os(10, 0, 19045), adapter(std::string(refusedOtherMaker) + "," + otherMaker)}),
         {oneLine}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StartedWindow w(row.json);
        EXPECT_EQ(Texts(w), row.messages);
        EXPECT_TRUE(w.view.Items().empty());
        EXPECT_TRUE(w.view.Closed());
    }
    // A refused letter among opened ones is no refusal of the user: with a port open, its
    // inquiry data lists both drives, the refused one too.
    StartedWindow w(Json({os(10, 0, 19045), adapter(std::string(refused) + "," + granted)}));
    EXPECT_TRUE(Texts(w).empty());
    EXPECT_EQ(w.view.Items().size(), 2u);
}

// A wnaspi32.dll 1.0 left on the PC: where the program may use the manager (9x, NT 4,
// 2000/XP as the Parts show) the warning dialog comes at start and the report carries the
// warning block; on NT 6 and later, which never use it, neither, while the report's
// manager line still names the file as not used.
TEST(LaterWindows, AnOldManagerFileWarnsOnlyWhereTheManagerCanBeUsed) {
    struct Row {
        const char* what;
        const char* os;
        bool warned;
    };
    const Row rows[] = {
        {"98", kWin98, true},
        {"XP", kXp, true},
        {"Vista", R"("os": {"platform": 2, "major": 6, "minor": 0, "build": 6002})", false},
        {"10", R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})", false},
        {"11", R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 22631})", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StartedWindow w(Json({row.os, R"("aspi": {"file_version": "1, 0, 0, 0"})",
                              R"("printer": {"width": 4800, "height": 6600})",
                              R"("adapters": [{"bus": "atapi", "identifier": "atapi", "devices": [
                                  {"target": 0, "letter": "E",
                                   "drive": {"model": "CD-R   VW2410A"}}]}])"}));
        ASSERT_EQ(w.view.Items().size(), 1u);
        EXPECT_EQ(w.view.Dialogs(), row.warned ? std::vector<std::string>{"aspi-warning"}
                                               : std::vector<std::string>{});
        ASSERT_TRUE(w.dialog.OnPrint(w.pc.machine->Printer()));
        const auto& pages = w.pc.machine->Printer().Pages();
        ASSERT_EQ(pages.size(), 1u);
        bool warningBlock = false;
        bool notUsed = false;
        for (const auto& text : pages[0].texts) {
            warningBlock |= text.text.find("*** WARNING") != std::string::npos;
            notUsed |= text.text.find("(not used by Tessaly)") != std::string::npos;
        }
        EXPECT_EQ(warningBlock, row.warned);
        EXPECT_EQ(notUsed, w.pc.transport->IsAspiBypassed());
        if (!row.warned) {
            EXPECT_TRUE(notUsed) << "the manager line names the unused file";
        }
    }
}

}  // namespace
}  // namespace tessaly::testing
