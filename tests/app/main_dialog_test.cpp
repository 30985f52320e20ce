// The main window's start-up, drive list and close paths, headless.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/headless_view.h"
#include "support/pc_fixture.h"
#include "support/started_window.h"

namespace tessaly::testing {
namespace {

using app::MainDialog;

// A virtual PC with the main window started on it.
struct Window : StartedWindow {
    using StartedWindow::StartedWindow;
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : view.Messages())
            texts.push_back(m.caption + ": " + m.text);
        return texts;
    }
};

std::string Adapter(const std::string& bus, const std::string& devices) {
    return R"({"bus": ")" + bus + R"(", "identifier": "ha", "devices": [)" + devices + "]}";
}

std::string Device(int target, const std::string& drive, const std::string& letter = "") {
    return R"({"target": )" + std::to_string(target) +
           (letter.empty() ? "" : R"(, "letter": ")" + letter + "\"") + R"(, "drive": )" + drive +
           "}";
}

const char kRecorder[] = R"({"model": "CD-R   VW2410A"})";

std::string Manager(const std::string& version) {
    return R"("aspi": {"file_version": ")" + version + "\"}";
}

TEST(MainDialogStartup, TwoDrivesOnTargetsOneAndThree) {
    Window w(
        Json({kWin98, kManager,
              R"("adapters": [)" +
                  Adapter("scsi", Device(1, R"({"model": "CD-R   VW2410S"})") + "," +
                                      Device(2, R"({"vendor": "OTHERCO ", "product": "CD-ROM"})") +
                                      "," + Device(3, R"({"model": "CD-ROM VN40S"})")) +
                  "]"}));
    EXPECT_TRUE(w.initResult);
    EXPECT_EQ(w.view.Items(),
              (std::vector<std::string>{"ID:1  CD-R   VW2410S  ", "ID:3  CD-ROM VN40S    "}));
    EXPECT_EQ(w.view.Selected(), 0);
    EXPECT_EQ(w.view.Fields().at(IDC_HOST_ADAPTER), "0");
    EXPECT_EQ(w.view.Fields().at(IDC_TARGET_ID), "1");
    EXPECT_TRUE(w.view.TimerRunning());
    EXPECT_FALSE(w.view.Closed());
    EXPECT_TRUE(w.view.Messages().empty());
}

TEST(MainDialogStartup, FailureTable) {
    struct Row {
        const char* what;
        std::string json;
        bool answerOk;
        std::vector<std::string> messages;
        std::vector<std::string> dialogs;
        bool closed;
        bool listed;
    };
    const std::string drive = R"("adapters": [)" + Adapter("atapi", Device(1, kRecorder)) + "]";
    const std::string usbDrive =
        R"("adapters": [)" + Adapter("usb", Device(0, kRecorder, "F")) + "]";
    const std::string noDrive = R"("adapters": [)" + Adapter("atapi", "") + "]";
    const Row rows[] = {
        {"outdated manager",
         Json({kWin98, Manager("1, 0, 0, 0"), drive}),
         true,
         {},
         {"aspi-warning"},
         false,
         true},
        {"transport did not start",
         Json({R"("os": {"platform": 1, "major": 4, "minor": 10})"}),
         true,
         {"Error: ASPI for Win32 is not initialized!", "tessaly: No Varnoth drives detected!"},
         {},
         true,
         false},
        {"no drive of the maker",
         Json({kWin98, kManager, noDrive}),
         true,
         {"tessaly: No Varnoth drives detected!"},
         {},
         true,
         false},
        {"USB drive, outdated manager, 98: continue",
         Json({kWin98, Manager("1, 0, 0, 0"), usbDrive}),
         true,
         {"Tessaly: WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to "
          "continue?"},
         {"aspi-warning"},
         false,
         true},
        {"USB drive, outdated manager, 98: cancel",
         Json({kWin98, Manager("1, 0, 0, 0"), usbDrive}),
         false,
         {"Tessaly: WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to "
          "continue?"},
         {"aspi-warning"},
         true,
         false},
        {"USB drive, outdated manager, 95: no question",
         Json(
             {R"("os": {"platform": 1, "major": 4, "minor": 0})", Manager("1, 0, 0, 0"), usbDrive}),
         true,
         {},
         {"aspi-warning"},
         false,
         true},
        {"USB drive, current manager, 98: no question",
         Json({kWin98, kManager, usbDrive}),
         true,
         {},
         {},
         false,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w(row.json, row.answerOk);
        EXPECT_EQ(w.Texts(), row.messages);
        EXPECT_EQ(w.view.Dialogs(), row.dialogs);
        EXPECT_EQ(w.view.Closed(), row.closed);
        EXPECT_EQ(!w.view.Items().empty(), row.listed);
        EXPECT_EQ(w.view.TimerRunning(), row.listed);
        if (row.closed) {
            EXPECT_FALSE(w.pc.machine->AspiLoaded()) << "the transport is released";
        }
    }
}

TEST(MainDialogStartup, DecliningTheUsbWarningDestroysTheWindowBeforeListing) {
    Window w(Json({kWin98, Manager("1, 0, 0, 0"),
                   R"("adapters": [)" + Adapter("usb", Device(0, kRecorder, "F")) + "]"}),
             false);
    EXPECT_FALSE(w.initResult);
    EXPECT_EQ(w.view.Fields().at(IDC_STATUS), "") << "the window never showed its fields";
}

TEST(AspiVersionCheck, OnlyTheFourCharactersOfTheCommaForm) {
    struct Row {
        std::string aspi;
        bool warned;
    };
    const Row rows[] = {
        {Manager("1, 0, 0, 0"), true},
        {Manager("1.0.0.0"), false},
        {Manager("1, 0, 0, 05"), true},
        {Manager("1, 0, 0"), false},
        {Manager("4, 60, 0, 1021"), false},
        {Manager("1, 0, 0, 0" + std::string(200, '5')), true},  // cut to the buffer
        {R"("aspi": {"file_version": null})", false},
        {R"("aspi": {"file_version": "1, 0, 0, 0", "translation": null})", false},
        {"", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.aspi);
        Window w(row.aspi.empty() ? Json({kWin98}) : Json({kWin98, row.aspi}));
        EXPECT_EQ(w.dialog.AspiVersionCheck(), row.warned);
    }
}

TEST(MainDialogLabels, FirstAndSecondPass) {
    struct Row {
        const char* what;
        std::string json;
        std::vector<std::string> items;
    };
    const Row rows[] = {
        {"mechanism behind USB on 98",
         Json({kWin98, kManager,
               R"("adapters": [)" + Adapter("usb", Device(0, kRecorder, "F")) + "]"}),
         {"ID:0  CD-R   Varnoth Traveller 24/40 USB"}},
        {"the same mechanism inside",
         Json(
             {kWin98, kManager, R"("adapters": [)" + Adapter("atapi", Device(1, kRecorder)) + "]"}),
         {"ID:1  CD-R   VW2410A  "}},
        {"DVD recorder inside",
         Json({kWin98, kManager,
               R"("adapters": [)" + Adapter("atapi", Device(0, R"({"model": "DVDR   VD0708A"})")) +
                   "]"}),
         {"ID:0  DVDR   Varnoth DiscWriter 708"}},
        {"external drives by letter on XP",
         Json({kXp, R"("external": [
             {"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW5232A"}},
             {"letter": "G", "bus": "1394", "drive": {"model": "DVDR   VD0708A"}}])"}),
         {"ID:0  CD-R   Varnoth Traveller 52/32 USB",
          "ID:0  DVDR   Varnoth DiscWriter 708 External"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Window w(row.json);
        EXPECT_EQ(w.view.Items(), row.items);
    }
}

TEST(MainDialogLabels, ExternalAdaptersMoveOnPastAFailedInquiry) {
    Window w(Json({kXp,
                   R"("adapters": [)" + Adapter("atapi", Device(0, kRecorder, "D")) + "," +
                       Adapter("atapi", Device(0, kRecorder, "E")) + "]",
                   R"("external": [
             {"letter": "F", "bus": "usb", "drive": {"model": "CD-R   VW2410A", "fail": {"12": "04/00/00"}}},
             {"letter": "G", "bus": "usb", "drive": {"model": "CD-R   VW4812A"}}])"}));
    ASSERT_EQ(w.view.Items().size(), 3u);
    EXPECT_EQ(w.view.Items()[2], "ID:0  CD-R   Varnoth Traveller 48/48 USB");
    EXPECT_EQ(w.dialog.Drives().addresses[2].adapter, 3);
    EXPECT_EQ(w.dialog.Drives().addresses[2].target, 0);
}

TEST(MainDialogLabels, AThirtyThirdDriveIsNotListed) {
    std::string adapters = R"("adapters": [)";
    for (int a = 0; a < 3; ++a) {
        std::string devices;
        for (int t = 0; t < 11; ++t) {
            devices += std::string(t ? "," : "") + Device(t, R"({"model": "CD-ROM VN40S"})");
        }
        adapters += std::string(a ? "," : "") + Adapter("scsi", devices);
    }
    Window w(Json({kWin98, kManager, adapters + "]"}));
    EXPECT_EQ(w.view.Items().size(), 32u);
    EXPECT_EQ(w.dialog.Drives().count, 32);
    EXPECT_EQ(w.dialog.Drives().addresses[31].adapter, 2);
    EXPECT_EQ(w.dialog.Drives().addresses[31].target, 9);
}

TEST(MainDialogClose, ExitReleasesEnterDoesNot) {
    const std::string json =
        Json({kWin98, kManager, R"("adapters": [)" + Adapter("atapi", Device(1, kRecorder)) + "]"});
    {
        Window w(json);
        ASSERT_TRUE(w.pc.machine->AspiLoaded());
        w.dialog.OnCancel();
        EXPECT_TRUE(w.view.Closed());
        EXPECT_FALSE(w.pc.machine->AspiLoaded());
        EXPECT_FALSE(w.view.TimerRunning());
    }
    {
        Window w(json);
        w.dialog.OnOk();
        EXPECT_TRUE(w.view.Closed());
        EXPECT_TRUE(w.pc.machine->AspiLoaded()) << "Enter ends the dialog without releasing";
    }
    {
        Window w(json);
        w.dialog.OnClose();  // the close box: release twice, harmlessly
        EXPECT_TRUE(w.view.Closed());
        EXPECT_EQ(w.pc.machine->BadCloseCount(), 0u);
    }
}

}  // namespace
}  // namespace tessaly::testing
