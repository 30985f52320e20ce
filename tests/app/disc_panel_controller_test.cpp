// The disc panel of the main window: drive changes, polling and the eject/load button.
#include "app/disc_panel_controller.h"

#include <gtest/gtest.h>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "support/pc_fixture.h"
#include "support/started_window.h"

namespace tessaly::testing {
namespace {

using Window = StartedWindow;

std::string OneRecorder(const std::string& drive) {
    return Json({kWin98, kManager,
                 R"("adapters": [{"bus": "atapi", "identifier": "ha", "devices": [
        {"target": 1, "letter": "E", "drive": )" +
                     drive + "}]}]"});
}

TEST(DiscPanelController, DriveChangeResetsWhatTheNewDriveDoesNotWrite) {
    Window w(
        Json({kWin98, kManager, R"("adapters": [{"bus": "scsi", "identifier": "ha", "devices": [
        {"target": 1, "drive": {"model": "CD-R   VW2410S",
                                "disc": {"kind": "cd-r", "lead_in": "97:24:01"}}},
        {"target": 3, "drive": {"model": "CD-ROM VN40S", "disc": {"kind": "cd-rom"}}}]}])"}));
    ASSERT_EQ(w.view.Items().size(), 2u);
    EXPECT_EQ(w.Field(kFieldManufacturer), "Taiyo Yuden (type 1) ");
    w.view.SelectDriveItem(1);
    w.dialog.Panel().OnSelectionChange();
    EXPECT_EQ(w.Field(kFieldStatus), "Not a multisession CD-R(W)");
    for (DiscField id : {kFieldLeadOutTime, kFieldLeadOutLba, kFieldManufacturer, kFieldLeadInTime,
                         kFieldLeadInLba})
        EXPECT_EQ(w.Field(id), "-") << id;
    EXPECT_EQ(w.Field(IDC_HOST_ADAPTER), "0");
    EXPECT_EQ(w.Field(IDC_TARGET_ID), "3");
    EXPECT_TRUE(w.view.TimerRunning());
}

TEST(DiscPanelController, NoSelectionReadsNothing) {
    Window w(OneRecorder(R"({"model": "CD-R   VW2410A"})"));
    w.pc.machine->ClearCommandLog();
    w.view.SelectDriveItem(-1);
    w.dialog.Panel().OnSelectionChange();
    EXPECT_TRUE(w.pc.machine->CommandLog().empty());
    EXPECT_EQ(w.Field(kFieldStatus), "-");
    w.dialog.Panel().OnTimer(app::kPollTimerId);
    w.dialog.Panel().OnEjectLoad();
    EXPECT_TRUE(w.pc.machine->CommandLog().empty());
}

TEST(DiscPanelController, OnlyThePollTimerRefreshes) {
    Window w(OneRecorder(R"({"model": "CD-R   VW2410A"})"));
    w.pc.machine->ClearCommandLog();
    w.dialog.Panel().OnTimer(1);
    w.dialog.Panel().OnTimer(11);
    EXPECT_TRUE(w.pc.machine->CommandLog().empty());
    w.dialog.Panel().OnTimer(app::kPollTimerId);
    EXPECT_FALSE(w.pc.machine->CommandLog().empty());
    EXPECT_TRUE(w.view.TimerRunning());
}

TEST(DiscPanelController, EjectOrLoadByTheTrayState) {
    struct Row {
        const char* drive;
        const char* command;  // the START STOP UNIT sent
    };
    const Row rows[] = {
        {R"({"model": "CD-R   VW2410A", "tray": "open"})", "0:1 1b 00 00 00 03 00"},
        {R"({"model": "CD-R   VW2410A", "tray": "closed"})", "0:1 1b 00 00 00 02 00"},
        {R"({"model": "CD-R   VW2410A", "disc": {"kind": "cd-r"}})", "0:1 1b 00 00 00 02 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.drive);
        Window w(OneRecorder(row.drive));
        w.pc.machine->ClearCommandLog();
        w.dialog.Panel().OnEjectLoad();
        const auto& log = w.pc.machine->CommandLog();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0], "0:1 00 00 00 00 00 00");
        EXPECT_EQ(log[1], row.command);
    }
}

TEST(DiscPanelController, AnOldOpenTraySenseDoesNotMakeAReadyDriveLoad) {
    // The open-tray sense stays stored after the tray was closed on a disc; a
    // successful TEST UNIT READY means eject.
    Window w(
        OneRecorder(R"({"model": "CD-R   VW2410A", "tray": "open", "disc": {"kind": "cd-r"}})"));
    w.pc.machine->DriveAt(0, 1)->SetTray("closed");
    w.pc.machine->ClearCommandLog();
    w.dialog.Panel().OnEjectLoad();
    EXPECT_EQ(w.pc.machine->CommandLog().back(), "0:1 1b 00 00 00 02 00");
}

TEST(DiscPanelController, LoadingShowsReadingUntilTheDriveIsReady) {
    Window w(OneRecorder(R"({"model": "CD-R   VW2410A", "tray": "open",
                             "disc": {"kind": "cd-r", "lead_in": "97:24:01", "ready_after": 3}})"));
    EXPECT_EQ(w.Field(kFieldStatus), "No CD inserted");
    w.dialog.Panel().OnEjectLoad();  // closes the tray
    w.dialog.Panel().OnTimer(app::kPollTimerId);
    EXPECT_EQ(w.Field(kFieldStatus), "Reading of TOC in progress");
    w.dialog.Panel().OnTimer(app::kPollTimerId);  // the next tick finds it ready
    EXPECT_EQ(w.Field(kFieldStatus), "CD-R inserted");
    EXPECT_EQ(w.Field(kFieldManufacturer), "Taiyo Yuden (type 1) ");
}

}  // namespace
}  // namespace tessaly::testing
