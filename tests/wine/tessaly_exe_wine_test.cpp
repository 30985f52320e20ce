// End to end under Wine: the real program (TESSALY_PROGRAM: tessaly.exe, or tessaly64.exe
// in the 64-bit build), beside this exe with the virtual
// wnaspi32.dll, on scenarios/report.json (Windows 98, one SCSI adapter, a CD-R recorder
// at target 1 holding a recorded CD-R). This exe starts the program as a user would, watches the
// DLL's command log while it runs, and drives its window with messages: it reads the
// drive list, clicks the print button and confirms the print dialog, then closes the
// window with WM_CLOSE.
//
//   tessaly_exe_wine_test [--gtest flags] [PRINT-OUTPUT]
//     PRINT-OUTPUT  the file the default printer writes its jobs to (a Unix path that
//                   Wine reaches through drive Z:); without it the print test is skipped.
//   TESSALY_EXE     optional: another build of the program (the shipped one), copied
//                   beside this exe under the program's name before it starts.
//
// Needs, in the Wine prefix: the override wnaspi32=native,builtin, a Windows 98 version
// for the program, and for the print test a default printer that writes to PRINT-OUTPUT
// (tests/wine/prepare-tessaly-exe.sh sets all three up).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kDriveListId = 1000;
constexpr int kPrintButtonId = 1011;
constexpr char kInquiry[] = " 12 00 00 00 38 00";
constexpr char kTestUnitReady[] = "0:1 00 00 00 00 00 00";

std::string printOutput;

std::string ExeDirectory() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

// A Unix path as Wine's drive Z: shows it; other paths unchanged.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return path;
}

// Follows the command log while the program runs: every new line with the time it was
// first seen. The DLL flushes each line, so a line's time is within the polling step
// of when the program sent its command.
class LogWatcher {
  public:
    struct Line {
        Clock::time_point seen;
        std::string text;
    };

    explicit LogWatcher(std::string path) : path_(std::move(path)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~LogWatcher() {
        stop_ = true;
        thread_.join();
    }

    std::vector<Line> Lines() {
        ReadNew();
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

  private:
    void Run() {
        while (!stop_) {
            ReadNew();
            std::this_thread::sleep_for(milliseconds(5));
        }
    }

    void ReadNew() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::ifstream file(path_, std::ios::binary);
        if (!file)
            return;
        file.seekg(static_cast<std::streamoff>(offset_));
        std::string chunk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const Clock::time_point now = Clock::now();
        std::size_t start = 0;
        for (std::size_t end; (end = chunk.find('\n', start)) != std::string::npos;
             start = end + 1) {
            // The DLL writes in text mode: "\r\n" ends each line.
            std::size_t stop = end;
            if (stop > start && chunk[stop - 1] == '\r')
                --stop;
            lines_.push_back(Line{now, chunk.substr(start, stop - start)});
        }
        offset_ += start;  // an unfinished line is read again next time
    }

    std::string path_;
    std::mutex mutex_;
    std::vector<Line> lines_;
    std::size_t offset_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct WindowSearch {
    DWORD process = 0;
    HWND exclude = nullptr;
    HWND found = nullptr;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (owner != search.process || window == search.exclude || !::IsWindowVisible(window) ||
        std::string(name) != "#32770") {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

// A visible dialog window of the process, other than `exclude`.
HWND FindDialogOf(DWORD process, HWND exclude) {
    WindowSearch search{process, exclude, nullptr};
    ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Condition>
bool WaitFor(Condition condition, milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        ::Sleep(20);
    }
    return true;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

class TessalyExe : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string directory = ExeDirectory();
        const std::string log = directory + "tessaly_exe_wine_test.log";
        ::DeleteFileA(log.c_str());
        ::SetEnvironmentVariableA("TESSALY_SCENARIO",
                                  WindowsPath(TESSALY_SOURCE_DIR "/scenarios/report.json").c_str());
        ::SetEnvironmentVariableA("TESSALY_COMMAND_LOG", log.c_str());
        watcher_ = new LogWatcher(log);

        const char* other = std::getenv("TESSALY_EXE");
        if (other != nullptr && *other != '\0') {
            const std::string from = WindowsPath(other);
            const std::string to = directory + TESSALY_PROGRAM;
            if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
                std::fprintf(stderr, "cannot copy %s to %s: error %lu\n", from.c_str(), to.c_str(),
                             ::GetLastError());
                return;
            }
            std::fprintf(stderr, "testing %s\n", from.c_str());
        }

        std::string command = "\"" + directory + TESSALY_PROGRAM + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              directory.c_str(), &startup, &info)) {
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
};

TEST_F(TessalyExe, ListsTheScenarioDrive) {
    EXPECT_EQ(WindowText(mainWindow_), "Tessaly V1.19");
    const HWND list = ::GetDlgItem(mainWindow_, kDriveListId);
    ASSERT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    // Asked in UTF-16: Wine hands a list text across processes intact only that way.
    wchar_t item[128] = {};
    ::SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"ID:1  CD-R   VW1210A  ");
}

TEST_F(TessalyExe, StartUpAsksEveryTargetOfTheAdapterBeforeTheFirstRefresh) {
    std::vector<std::string> beforeRefresh;
    for (const auto& line : watcher_->Lines()) {
        if (line.text == kTestUnitReady)
            break;
        beforeRefresh.push_back(line.text);
    }
    for (int target = 0; target < 16; ++target) {
        const std::string inquiry = "0:" + std::to_string(target) + kInquiry;
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
        Clock::time_point start;
        std::vector<std::string> commands;
    };
    std::vector<Burst> bursts;
    for (const auto& line : lines) {
        if (bursts.empty() || line.seen - bursts.back().start > milliseconds(200))
            bursts.push_back(Burst{line.seen, {}});
        bursts.back().commands.push_back(line.text);
    }
    // The first burst is the start-up with its first refresh; the last may be cut.
    ASSERT_GE(bursts.size(), 6u) << lines.size() << " lines";
    std::vector<long long> gaps;
    for (std::size_t i = 2; i + 1 < bursts.size(); ++i) {
        gaps.push_back(
            std::chrono::duration_cast<milliseconds>(bursts[i].start - bursts[i - 1].start)
                .count());
        EXPECT_EQ(bursts[i].commands, bursts[1].commands) << "refresh " << i;
    }
    ASSERT_FALSE(gaps.empty());
    std::sort(gaps.begin(), gaps.end());
    const long long median = gaps[gaps.size() / 2];
    EXPECT_GE(median, 450);
    EXPECT_LE(median, 800);
    EXPECT_GE(gaps.front(), 300);
    EXPECT_NE(std::find(bursts[1].commands.begin(), bursts[1].commands.end(), kTestUnitReady),
              bursts[1].commands.end());
}

// The printer's output file, removed, so that a file there later holds a new job.
std::string FreshPrintOutput() {
    const std::string output = WindowsPath(printOutput);
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
    if (printOutput.empty())
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
    if (printOutput.empty())
        GTEST_SKIP() << "no printer output file given";
    const std::string output = FreshPrintOutput();
    const HWND dialog = OpenPrintDialog(mainWindow_, processId_);
    ASSERT_NE(dialog, nullptr) << "no print dialog";
    EXPECT_EQ(WindowText(dialog), "Print");
    // The dialog has no owner: the main window stays enabled.
    EXPECT_TRUE(::IsWindowEnabled(mainWindow_));
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
        << "no finished job in " << printOutput << " (" << page.size() << " bytes)";
    EXPECT_NE(page.find("%%Pages: 1"), std::string::npos) << "one page";
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, milliseconds(5000)));
    EXPECT_TRUE(::IsWindow(mainWindow_));
}

TEST_F(TessalyExe, ClosesOnWmCloseAndReleasesTheManager) {
    ::PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process_, 15000), WAIT_OBJECT_0) << "still running";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process_, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    const std::vector<LogWatcher::Line> lines = watcher_->Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().text, "FreeLibrary") << "the manager is released last";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const auto& line) { return line.text == "FreeLibrary"; }),
              1);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1)
        printOutput = argv[1];
    return RUN_ALL_TESTS();
}
