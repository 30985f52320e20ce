// The real main window under Wine: its own set-up (system menu, icons), the start-up
// without a drive on the Win32 platform, and, on a virtual PC, the same fields as the
// headless view after the same events, reached through the window's messages.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/headless_view.h"
#include "app/link_label_state.h"
#include "app/main_dialog.h"
#include "app/win32/main_window.h"
#include "app/win32/res/resource.h"
#include "app/win32/value_field.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace tessaly::app::win32 {
namespace {

struct Shown {
    std::string caption;
    std::string text;
};

// The window made modeless and hidden, with message boxes and dialogs answered here.
class WindowUnderTest {
  public:
    explicit WindowUnderTest(std::unique_ptr<Win32MainWindow> window) : window_(std::move(window)) {
        ViewHooks hooks;
        hooks.messageBox = [this](std::string_view text, std::string_view caption, unsigned) {
            shown.push_back({std::string(caption), std::string(text)});
            return IDOK;
        };
        hooks.aboutDialog = [this] { ++aboutShown; };
        hooks.aspiWarningDialog = [this] { ++aspiWarningShown; };
        window_->View().SetHooks(std::move(hooks));
        handle = window_->Create(nullptr);
    }
    ~WindowUnderTest() {
        if (::IsWindow(handle))
            ::DestroyWindow(handle);
    }
    Win32MainWindow& operator*() { return *window_; }
    // What a value field shows (the label's text), as the logic reads it.
    std::string Text(int id) { return window_->View().GetText(id); }
    LRESULT Command(int id, int code) {
        return ::SendMessageA(handle, WM_COMMAND, MAKEWPARAM(id, code),
                              reinterpret_cast<LPARAM>(::GetDlgItem(handle, id)));
    }

    HWND handle = nullptr;
    std::vector<Shown> shown;
    int aboutShown = 0;
    int aspiWarningShown = 0;

  private:
    std::unique_ptr<Win32MainWindow> window_;
};

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(AppMainWindow, WithoutADriveBothMessagesAndTheWindowSetUp) {
    WindowUnderTest w(std::make_unique<Win32MainWindow>(::GetModuleHandleA(nullptr)));
    ASSERT_NE(w.handle, nullptr);
    ASSERT_EQ(w.shown.size(), 2u);
    EXPECT_EQ(w.shown[0].caption, "Error");
    EXPECT_EQ(w.shown[0].text, "ASPI for Win32 is not initialized!");
    EXPECT_EQ(w.shown[1].caption, "tessaly_tests");
    EXPECT_EQ(w.shown[1].text, "No Varnoth drives detected!");

    // System menu: the About item after a separator; no maximise, no sizing.
    const HMENU menu = ::GetSystemMenu(w.handle, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(MenuText(menu, count - 1), "&About Tessaly...");
    EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(::GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    // Icons of the window and of the two buttons.
    EXPECT_NE(::SendMessageA(w.handle, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageA(w.handle, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(::SendDlgItemMessageA(w.handle, IDC_EJECT_LOAD, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_NE(::SendDlgItemMessageA(w.handle, IDC_PRINT, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(::SendMessageA(w.handle, WM_QUERYDRAGICON, 0, 0),
              ::SendMessageA(w.handle, WM_GETICON, ICON_BIG, 0));

    // The start-up's texts and colours.
    EXPECT_EQ(w.Text(IDC_STATUS), "CD-R(W) inserted");
    EXPECT_EQ(w.Text(IDC_LEAD_OUT_TIME), "-");
    // Each value field is a label whose text is not the window text.
    EXPECT_EQ(WindowText(::GetDlgItem(w.handle, IDC_STATUS)), "");
    EXPECT_EQ((*w).View().ApplicationName(), "tessaly_tests");
}

std::unique_ptr<vpc::VirtualPc> Machine(const char* scenarioFile) {
    std::string error;
    auto scenario = vpc::LoadScenarioFile(
        std::string(TESSALY_SOURCE_DIR) + "/scenarios/" + scenarioFile, error);
    EXPECT_TRUE(scenario.has_value()) << error;
    return std::make_unique<vpc::VirtualPc>(scenario ? *scenario : vpc::Scenario{});
}

// The headless window on its own copy of the same PC.
struct Headless {
    explicit Headless(const char* scenarioFile)
        : machine(Machine(scenarioFile)), transport(*machine), dialog(transport, *machine, view) {
        view.Attach(&dialog);
        dialog.OnInitDialog();
    }
    std::unique_ptr<vpc::VirtualPc> machine;
    ScsiTransport transport;
    HeadlessView view;
    MainDialog dialog;
};

void ExpectSameFields(WindowUnderTest& w, Headless& h) {
    // A label never written keeps its "no text" marker until it is painted.
    for (const auto& [id, text] : h.view.Fields()) {
        const std::string shown = w.Text(id);
        EXPECT_TRUE(shown == text || (text.empty() && shown == kNoTextMarker))
            << "field " << id << ": " << shown << " / " << text;
    }
}

TEST(AppMainWindow, OnAVirtualPcShowsWhatTheHeadlessViewShows) {
    auto machine = Machine("win98.json");
    WindowUnderTest w(std::make_unique<Win32MainWindow>(::GetModuleHandleA(nullptr), *machine,
                                                        machine->Printer()));
    Headless h("win98.json");
    ASSERT_NE(w.handle, nullptr);
    EXPECT_TRUE(w.shown.empty());
    EXPECT_EQ(w.aspiWarningShown, 0);

    const HWND list = ::GetDlgItem(w.handle, IDC_DRIVE_LIST);
    ASSERT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    char item[128] = {};
    ::SendMessageA(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    ASSERT_EQ(h.view.Items().size(), 1u);
    EXPECT_EQ(item, h.view.Items()[0]);
    ExpectSameFields(w, h);
    EXPECT_NE(w.Text(IDC_LEAD_OUT_TIME), "-");

    // Eject, then one poll: the window's messages reach the same logic.
    w.Command(IDC_EJECT_LOAD, BN_CLICKED);
    ::SendMessageA(w.handle, WM_TIMER, kPollTimerId, 0);
    h.dialog.Panel().OnEjectLoad();
    h.dialog.Panel().OnTimer(kPollTimerId);
    ExpectSameFields(w, h);

    // A new selection clears and refreshes the panel; the hidden field refreshes it.
    w.Command(IDC_DRIVE_LIST, CBN_SELCHANGE);
    w.Command(IDC_LEAD_IN_LBA, BN_CLICKED);
    h.dialog.Panel().OnSelectionChange();
    h.dialog.Panel().OnRefreshClick();
    ExpectSameFields(w, h);

    // The About item of the system menu; the print button prints the selected drive's
    // report on the PC's printer, one page, and the window stays.
    ::SendMessageA(w.handle, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(w.aboutShown, 1);
    w.Command(IDC_PRINT, BN_CLICKED);
    EXPECT_TRUE(::IsWindow(w.handle));
    EXPECT_EQ(machine->Printer().DialogsShown(), 1);
    // Owned by the main window, so the print dialog keeps it from taking clicks.
    EXPECT_EQ(machine->Printer().LastDialogOwner(), reinterpret_cast<std::uintptr_t>(w.handle));
    ASSERT_EQ(machine->Printer().Pages().size(), 1u);
    const auto& page = machine->Printer().Pages()[0];
    EXPECT_EQ(page.documentName, "1.19");
    ASSERT_FALSE(page.texts.empty());
    EXPECT_EQ(page.texts[0].text, "Tessaly V1.19");
    EXPECT_EQ(machine->Printer().LiveObjects(), 0);

    // Exit ends the dialog and releases the manager.
    w.Command(IDCANCEL, BN_CLICKED);
    EXPECT_TRUE(w.shown.empty());
}

}  // namespace
}  // namespace tessaly::app::win32
