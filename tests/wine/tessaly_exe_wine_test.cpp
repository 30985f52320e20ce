// End to end under Wine: the real program (TESSALY_PROGRAM: tessaly.exe, or tessaly64.exe
// in the 64-bit build) on scenarios/report.json (one adapter, a CD-R recorder at target 1,
// drive E:, holding a recorded CD-R), or on pass-through the same drive elsewhere on the
// adapter (--drive). This exe starts the program as a user would, watches
// the command log while it runs, and drives its window with messages: it reads the drive
// list, clicks the print button and confirms the print dialog, ejects the disc, then
// closes the window with WM_CLOSE.
//
//   tessaly_exe_wine_test [--gtest flags] [--passthrough=VERSION] [--printer=NAME]
//                         [--drive=BUS:TARGET] [PRINT-OUTPUT]
//     (default)       the program beside this exe with the virtual wnaspi32.dll, as
//                     Windows 98; the DLL's command log.
//     --passthrough   the program alone in the directory "passthrough" beside this exe,
//                     in a prefix without wnaspi32.dll, in the Wine version setting
//                     VERSION (a Wine version name, or "default" for none): it takes
//                     Windows' pass-through, which Wine turns into Linux SCSI requests
//                     that the preloaded library (tools/sgshim, in this process and the
//                     program's through LD_PRELOAD) answers from the emulated drives and
//                     logs to TESSALY_SGSHIM_LOG.
//     --printer       the printer to print on (made the default printer while the
//                     program runs; all of them print to LPT1:).
//     --drive         the bus and target of drive E: on adapter 0 in the scenario the
//                     preloaded library serves (default 0:1).
//     PRINT-OUTPUT    the file the printers' port LPT1: writes its jobs to (a Unix path
//                     that Wine reaches through drive Z:); without it the print test is
//                     skipped.
//   TESSALY_EXE       optional: another build of the program (the shipped one), copied
//                     under the program's name where it starts.
//
// Needs, in the Wine prefix: for the default mode the override wnaspi32=native,builtin
// and a Windows 98 version for the program (tests/wine/prepare-tessaly-exe.sh); for the
// pass-through mode the drives of tests/wine/prepare-passthrough.sh; for the print test a
// default printer that writes to PRINT-OUTPUT (both scripts).
#include <windows.h>
// After windows.h, which it builds on.
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "command_log_watcher.h"
#include "exe_test_mode.h"
#include "wine_window.h"

namespace tessaly::wine_test {
namespace {

constexpr int kDriveListId = 1000;
constexpr int kStatusId = 1007;
constexpr int kEjectButtonId = 1010;
constexpr int kPrintButtonId = 1011;
constexpr char kAspiInquiry[] = " 12 00 00 00 38 00";

ExeTestMode mode;

// A command to drive E: as the command log writes it.
std::string ToDrive(const char* cdb) {
    return mode.DriveAddress() + cdb;
}
// Wine answers IOCTL_SCSI_GET_INQUIRY_DATA with an INQUIRY of 36 bytes of its own at each
// call; Windows' port driver answers from the data of its bus scan, without a command.
std::string WinePortInquiry() {
    return ToDrive(" 12 00 00 00 24 00");
}
std::string TestUnitReady() {
    return ToDrive(" 00 00 00 00 00 00");
}
std::string OpenTray() {
    return ToDrive(" 1b 00 00 00 02 00");
}

// Points the spooler's LPT1:, where the default printer prints, at a Unix file.
bool SetPrinterOutput(const std::string& unixPath) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        ::RegSetValueExA(key, "LPT1:", 0, REG_SZ, reinterpret_cast<const BYTE*>(unixPath.c_str()),
                         static_cast<DWORD>(unixPath.size() + 1));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// The program's Windows version setting in the prefix; "default" removes it.
bool SetProgramVersion(const std::string& version) {
    HKEY key = nullptr;
    const std::string path = std::string("Software\\Wine\\AppDefaults\\") + TESSALY_PROGRAM;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result;
    if (version == "default") {
        result = ::RegDeleteValueA(key, "Version");
        if (result == ERROR_FILE_NOT_FOUND)
            result = ERROR_SUCCESS;
    } else {
        result = ::RegSetValueExA(key, "Version", 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(version.c_str()),
                                  static_cast<DWORD>(version.size() + 1));
    }
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

class TessalyExe : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string directory = ExeDirectory();
        std::string programDirectory = directory;
        std::string log;
        if (mode.passThrough) {
            // Alone in a directory of its own: no wnaspi32.dll beside it.
            programDirectory = directory + "passthrough\\";
            ::CreateDirectoryA(programDirectory.c_str(), nullptr);
            log = WindowsPath(EnvironmentText("TESSALY_SGSHIM_LOG"));
            if (log.empty()) {
                std::fprintf(stderr, "TESSALY_SGSHIM_LOG names no command log\n");
                return;
            }
            if (!SetProgramVersion(mode.windowsVersion)) {
                std::fprintf(stderr, "cannot set the version %s\n", mode.windowsVersion.c_str());
                return;
            }
        } else {
            log = directory + "tessaly_exe_wine_test.log";
            ::SetEnvironmentVariableA(
                "TESSALY_SCENARIO",
                WindowsPath(TESSALY_SOURCE_DIR "/scenarios/report.json").c_str());
            ::SetEnvironmentVariableA("TESSALY_COMMAND_LOG", log.c_str());
        }
        // Each run prints to a file of its own.
        if (!mode.printOutput.empty() && !SetPrinterOutput(mode.printOutput)) {
            std::fprintf(stderr, "cannot send the printer to %s\n", mode.printOutput.c_str());
            return;
        }
        if (!mode.printer.empty()) {
            char previous[256] = {};
            DWORD size = sizeof previous;
            if (::GetDefaultPrinterA(previous, &size))
                previousPrinter_ = previous;
            if (!::SetDefaultPrinterA(mode.printer.c_str())) {
                std::fprintf(stderr, "cannot make %s the default printer: error %lu\n",
                             mode.printer.c_str(), ::GetLastError());
                return;
            }
        }
        ::DeleteFileA(log.c_str());
        watcher_ = new LogWatcher(
            log, mode.passThrough ? LogWatcher::Times::kStamped : LogWatcher::Times::kSeen);

        std::string from = WindowsPath(EnvironmentText("TESSALY_EXE"));
        if (from.empty() && mode.passThrough)
            from = directory + TESSALY_PROGRAM;
        if (!from.empty()) {
            const std::string to = programDirectory + TESSALY_PROGRAM;
            if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
                std::fprintf(stderr, "cannot copy %s to %s: error %lu\n", from.c_str(), to.c_str(),
                             ::GetLastError());
                return;
            }
            std::fprintf(stderr, "testing %s\n", from.c_str());
        }

        std::string command = "\"" + programDirectory + TESSALY_PROGRAM + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              programDirectory.c_str(), &startup, &info)) {
            std::fprintf(stderr, "cannot start %s: error %lu\n", command.c_str(), ::GetLastError());
            return;
        }
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        WaitFor(
            [] {
                mainWindow_ = FindDialogOf(processId_, nullptr);
                return mainWindow_ != nullptr &&
                       ::SendDlgItemMessageA(mainWindow_, kDriveListId, CB_GETCOUNT, 0, 0) > 0;
            },
            milliseconds(30000));
        shown_ = Clock::now();
    }

    static void TearDownTestSuite() {
        if (process_ != nullptr) {
            if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(process_, 99);
            ::CloseHandle(process_);
            process_ = nullptr;
        }
        delete watcher_;
        watcher_ = nullptr;
        if (!previousPrinter_.empty())
            ::SetDefaultPrinterA(previousPrinter_.c_str());
    }

    void SetUp() override {
        ASSERT_NE(process_, nullptr) << TESSALY_PROGRAM " did not start";
        ASSERT_NE(mainWindow_, nullptr) << "no main window with a filled drive list appeared";
    }

    static inline LogWatcher* watcher_ = nullptr;
    static inline HANDLE process_ = nullptr;
    static inline DWORD processId_ = 0;
    static inline HWND mainWindow_ = nullptr;
    static inline Clock::time_point shown_;
    static inline std::string previousPrinter_;
};

TEST_F(TessalyExe, ListsTheScenarioDrive) {
    EXPECT_EQ(WindowText(mainWindow_), "Tessaly V1.19");
    const HWND list = ::GetDlgItem(mainWindow_, kDriveListId);
    ASSERT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    // Asked in UTF-16: Wine hands a list text across processes intact only that way.
    wchar_t item[128] = {};
    ::SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    // The label names the target alone, whatever the bus.
    const std::wstring expected = L"ID:" + std::to_wstring(mode.target) + L"  CD-R   VW1210A  ";
    EXPECT_EQ(std::wstring(item), expected);
}

// The commands before the first refresh's TEST UNIT READY: through the ASPI manager an
// INQUIRY of every target of the adapter; on pass-through the program asks the port's
// inquiry data (which Wine turns into INQUIRY commands) and sends nothing to any other
// address than the drive's.
TEST_F(TessalyExe, StartUpScansBeforeTheFirstRefresh) {
    std::vector<std::string> beforeRefresh;
    for (const auto& line : watcher_->Lines()) {
        if (line.text == TestUnitReady())
            break;
        beforeRefresh.push_back(line.text);
    }
    if (mode.passThrough) {
        ASSERT_FALSE(beforeRefresh.empty()) << "no command before the first refresh";
        for (const std::string& command : beforeRefresh)
            EXPECT_EQ(command, WinePortInquiry());
        return;
    }
    for (int target = 0; target < 16; ++target) {
        const std::string inquiry = "0:" + std::to_string(target) + kAspiInquiry;
        EXPECT_NE(std::find(beforeRefresh.begin(), beforeRefresh.end(), inquiry),
                  beforeRefresh.end())
            << inquiry;
    }
}

// Commands come in bursts, one per refresh: the poll timer stands still while a refresh
// runs, so consecutive refreshes start about 500 ms apart and send the same commands
// while the disc stays as it is.
TEST_F(TessalyExe, RefreshesAboutEvery500Milliseconds) {
    std::this_thread::sleep_until(shown_ + milliseconds(3500));
    const std::vector<LogWatcher::Line> lines = watcher_->Lines();
    struct Burst {
        long long start = 0;
        std::vector<std::string> commands;
    };
    std::vector<Burst> bursts;
    for (const auto& line : lines) {
        if (bursts.empty() || line.ms - bursts.back().start > 200)
            bursts.push_back(Burst{line.ms, {}});
        bursts.back().commands.push_back(line.text);
    }
    // The first burst is the start-up with its first refresh; the last may be cut.
    ASSERT_GE(bursts.size(), 6u) << lines.size() << " lines";
    std::vector<long long> gaps;
    for (std::size_t i = 2; i + 1 < bursts.size(); ++i) {
        gaps.push_back(bursts[i].start - bursts[i - 1].start);
        EXPECT_EQ(bursts[i].commands, bursts[1].commands) << "refresh " << i;
    }
    ASSERT_FALSE(gaps.empty());
    std::sort(gaps.begin(), gaps.end());
    const long long median = gaps[gaps.size() / 2];
    EXPECT_GE(median, 450);
    EXPECT_LE(median, 800);
    EXPECT_GE(gaps.front(), 300);
    EXPECT_NE(std::find(bursts[1].commands.begin(), bursts[1].commands.end(), TestUnitReady()),
              bursts[1].commands.end());
}

// The printer's output file, removed, so that a file there later holds a new job.
std::string FreshPrintOutput() {
    const std::string output = WindowsPath(mode.printOutput);
    ::DeleteFileA(output.c_str());
    return output;
}

// Clicks the print button and waits for the print dialog; null when none appears.
HWND OpenPrintDialog(HWND mainWindow, DWORD processId) {
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(kPrintButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow, kPrintButtonId)));
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            dialog = FindDialogOf(processId, mainWindow);
            return dialog != nullptr;
        },
        milliseconds(15000));
    return dialog;
}

TEST_F(TessalyExe, CancellingThePrintDialogPrintsNothing) {
    if (mode.printOutput.empty())
        GTEST_SKIP() << "no printer output file given";
    const std::string output = FreshPrintOutput();
    const HWND dialog = OpenPrintDialog(mainWindow_, processId_);
    ASSERT_NE(dialog, nullptr) << "no print dialog";
    const HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
    ASSERT_EQ(WindowText(cancel), "Cancel");
    ::PostMessageA(cancel, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, milliseconds(5000)));
    ::Sleep(1000);
    EXPECT_EQ(::GetFileAttributesA(output.c_str()), INVALID_FILE_ATTRIBUTES) << "a job came out";
    EXPECT_TRUE(::IsWindow(mainWindow_));
}

TEST_F(TessalyExe, PrintsTheReportThroughThePrintDialog) {
    if (mode.printOutput.empty())
        GTEST_SKIP() << "no printer output file given";
    const std::string output = FreshPrintOutput();
    const HWND dialog = OpenPrintDialog(mainWindow_, processId_);
    ASSERT_NE(dialog, nullptr) << "no print dialog";
    EXPECT_EQ(WindowText(dialog), "Print");
    // Owned by the main window and modal: the main window takes no click (print again,
    // Exit) while the dialog is open.
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), mainWindow_);
    EXPECT_FALSE(::IsWindowEnabled(mainWindow_));
    const HWND ok = ::GetDlgItem(dialog, IDOK);
    ASSERT_EQ(WindowText(ok), "OK");
    ::PostMessageA(ok, BM_CLICK, 0, 0);

    std::string page;
    EXPECT_TRUE(WaitFor(
        [&] {
            std::ifstream file(output, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            page = text.str();
            return page.find("%%EOF") != std::string::npos;
        },
        milliseconds(20000)))
        << "no finished job in " << mode.printOutput << " (" << page.size() << " bytes)";
    EXPECT_NE(page.find("%%Pages: 1"), std::string::npos) << "one page";
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, milliseconds(5000)));
    EXPECT_TRUE(::IsWindow(mainWindow_));
    EXPECT_TRUE(
        WaitFor([&] { return ::IsWindowEnabled(mainWindow_) != FALSE; }, milliseconds(5000)))
        << "the main window stays disabled after printing";
}

// The eject button opens the tray with START STOP UNIT. The refreshes after it find the
// tray open: the ATIP read fails and the disc is not read further (the command lists the
// virtual PC's runner gives for report.json after "eject", as Windows 98 and as XP; on
// pass-through Wine's port inquiries come in between), and the status field shows
// something else.
TEST_F(TessalyExe, EjectOpensTheTrayAndTheStatusFollows) {
    const HWND status = ::GetDlgItem(mainWindow_, kStatusId);
    const std::vector<std::uint32_t> inserted = ScreenPixels(status);
    ASSERT_FALSE(inserted.empty()) << "the status field cannot be read from the screen";
    const std::size_t before = watcher_->Lines().size();
    ::PostMessageA(mainWindow_, WM_COMMAND, MAKEWPARAM(kEjectButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow_, kEjectButtonId)));
    std::size_t opened = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<LogWatcher::Line> lines = watcher_->Lines();
            for (std::size_t i = before; i < lines.size() && opened == 0; ++i) {
                if (lines[i].text == OpenTray())
                    opened = i;
            }
            return opened > 0;
        },
        milliseconds(5000)))
        << "no " << OpenTray();
    EXPECT_TRUE(WaitFor([&] { return ScreenPixels(status) != inserted; }, milliseconds(5000)))
        << "the status field did not change";

    ::Sleep(1300);
    const std::vector<LogWatcher::Line> lines = watcher_->Lines();
    std::vector<std::vector<std::string>> refreshes;
    long long start = -1000;
    for (std::size_t i = opened + 1; i < lines.size(); ++i) {
        if (lines[i].text == WinePortInquiry())
            continue;
        if (lines[i].ms - start > 200) {
            refreshes.emplace_back();
            start = lines[i].ms;
        }
        refreshes.back().push_back(lines[i].text);
    }
    ASSERT_GE(refreshes.size(), 2u) << lines.size() - opened << " lines after the tray opened";
    const std::string inquiry = ToDrive(kAspiInquiry);
    const std::string discInfo = ToDrive(" 51 00 00 00 00 00 00 00 04 00");
    const std::string atip = ToDrive(" 43 00 04 00 00 00 00 03 24 00");
    // Through the ASPI manager the program identifies the drive with its own INQUIRY;
    // on pass-through from the port's inquiry data (Wine's INQUIRY, left out above).
    const std::vector<std::string> trayOpen =
        mode.passThrough
            ? std::vector<std::string>{TestUnitReady(), discInfo, TestUnitReady(), atip}
            : std::vector<std::string>{inquiry, inquiry, TestUnitReady(), discInfo, TestUnitReady(),
                                       inquiry, inquiry, inquiry,         inquiry,  atip};
    // The first may hold the rest of the eject's own refresh; the last may be cut.
    EXPECT_EQ(refreshes[refreshes.size() - 2], trayOpen);
}

TEST_F(TessalyExe, ClosesOnWmCloseAndReleasesTheManager) {
    ::PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process_, 15000), WAIT_OBJECT_0) << "still running";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process_, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    const std::vector<LogWatcher::Line> lines = watcher_->Lines();
    ASSERT_FALSE(lines.empty());
    const auto freed = std::count_if(lines.begin(), lines.end(),
                                     [](const auto& line) { return line.text == "FreeLibrary"; });
    if (mode.passThrough) {
        EXPECT_EQ(freed, 0) << "no manager was loaded";
        return;
    }
    EXPECT_EQ(lines.back().text, "FreeLibrary") << "the manager is released last";
    EXPECT_EQ(freed, 1);
}

}  // namespace

const ExeTestMode& TestMode() {
    return mode;
}

}  // namespace tessaly::wine_test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessaly::wine_test::ExeTestMode& mode = tessaly::wine_test::mode;
    const std::string passThrough = "--passthrough=";
    const std::string printer = "--printer=";
    const std::string drive = "--drive=";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind(passThrough, 0) == 0) {
            mode.passThrough = true;
            mode.windowsVersion = argument.substr(passThrough.size());
        } else if (argument.rfind(printer, 0) == 0) {
            mode.printer = argument.substr(printer.size());
        } else if (argument.rfind(drive, 0) == 0) {
            unsigned bus = 0;
            unsigned target = 0;
            if (std::sscanf(argument.c_str() + drive.size(), "%u:%u", &bus, &target) != 2 ||
                bus > 255 || target > 255) {
                std::fprintf(stderr, "bad %s\n", argument.c_str());
                return 2;
            }
            mode.bus = bus;
            mode.target = target;
        } else {
            mode.printOutput = argument;
        }
    }
    return RUN_ALL_TESTS();
}
