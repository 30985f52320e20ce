// tessaly: the Linux edition. Plays the main window's start-up on this machine's optical
// drives (through SG_IO) with the same window logic as the Windows program, and prints
// the drive list, each drive's fields and the information report as text.
//
// The command line is in kUsage below (tessaly --help). Devices are /dev/sr0 (D:),
// /dev/sr1 (E:), ... unless named. Errors are one line on standard error and a non-zero
// exit status: 1 for a machine or device problem, 2 for a bad command line (with a
// second line that points to --help).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.h"
#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "device_check.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "interruption.h"
#include "platform/linux/linux_platform.h"
#include "platform/recording_printer.h"
#include "runner/report_pdf.h"
#include "runner/session.h"
#include "runner/text_output.h"
#include "tessaly_version.h"
#include "transport/scsi_transport.h"

namespace {

using namespace tessaly;
using platform::linux_os::LinuxPlatform;

// A4 at 600 dots per inch.
constexpr platform::PaperSpec kPaper{4960, 7016, false, 0};
constexpr auto kPollInterval = std::chrono::milliseconds(500);

// The one usage text of the command: --help prints it; the man page says the same.
constexpr const char* kUsage =
    "Usage: tessaly [--json | --watch | --eject | --load] [--drive N]\n"
    "               [--report-pdf FILE] [--any-maker] [DEVICE ...]\n"
    "       tessaly --help | --version\n"
    "Lists the Varnoth optical drives of this machine, each drive's fields and the\n"
    "information report of the first drive.\n"
    "\n"
    "  --json             the same session as JSON steps\n"
    "  --watch            the drive's fields, then every change, polled every 500 ms\n"
    "                     until Ctrl-C\n"
    "  --eject            open the drive's tray, then print its fields\n"
    "  --load             close the drive's tray, then print its fields\n"
    "  --drive N          the drive of --watch, --eject, --load and --report-pdf:\n"
    "                     item N of the list, from 0 (default 0)\n"
    "  --report-pdf FILE  also write the information report as a one-page A4 PDF\n"
    "  --any-maker        also list other makers' drives, read as unknown models\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and exit\n"
    "\n"
    "DEVICE is a CD drive's block device; by default /dev/sr0 to /dev/sr22.\n"
    "Reading a drive takes read access to its device (the group cdrom); the maker's\n"
    "vendor fields (serial number, usage time) take root.\n"
    "Exit status: 0 done, 1 no drive or a device problem, 2 a bad command line.\n";

struct Options {
    bool help = false;
    bool version = false;
    bool json = false;
    bool watch = false;
    bool eject = false;
    bool load = false;
    bool anyMaker = false;
    int drive = 0;
    std::string pdf;
    std::vector<std::string> devices;
};

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "tessaly: %s\n", message.c_str());
    return status;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--watch") {
            options.watch = true;
        } else if (arg == "--eject") {
            options.eject = true;
        } else if (arg == "--load") {
            options.load = true;
        } else if (arg == "--any-maker") {
            options.anyMaker = true;
        } else if (arg == "--drive" || arg == "--report-pdf") {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (arg == "--report-pdf") {
                options.pdf = value;
                continue;
            }
            if (value.empty() || value.size() > 2 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                error = "--drive takes a drive number from 0";
                return false;
            }
            options.drive = std::stoi(value);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            options.devices.push_back(arg);
        }
    }
    const int modes = options.json + options.watch + options.eject + options.load;
    if (modes > 1) {
        error = "--json, --watch, --eject and --load exclude each other";
        return false;
    }
    return true;
}

// Why no drive was listed: a refused device, else the window's message.
int NoDrives(platform::linux_os::SystemCalls& calls, LinuxPlatform& pc) {
    bool told = false;
    for (int letter = platform::linux_os::kFirstLetter;
         letter < platform::linux_os::kFirstLetter + platform::linux_os::kLetterCount; ++letter) {
        const std::string path = pc.DevicePath(letter);
        if (!path.empty() && cli::CheckDevice(calls, path) == cli::DeviceState::kDenied) {
            Fail(cli::DeviceProblem(cli::DeviceState::kDenied, path));
            told = true;
        }
    }
    return told ? 1 : Fail("No Varnoth drives detected!");
}

// The fields that changed since before, one "label: text" line each.
void PrintChangedFields(const std::map<int, std::string>& fields,
                        const std::map<int, std::string>& before) {
    static const std::pair<int, const char*> kLabels[] = {
        {IDC_HOST_ADAPTER, "Host Adapter"},
        {IDC_TARGET_ID, "Target ID"},
        {IDC_STATUS, "Status"},
        {IDC_LEAD_IN_TIME, "Start Time Of Lead In"},
        {IDC_LEAD_OUT_TIME, "Start Time Of Lead Out"},
        {IDC_LEAD_OUT_LBA, "LBA"},
        {IDC_MANUFACTURER, "Manufacturer"},
        {IDC_EXTRA_LINE1, "Line 1"},
        {IDC_EXTRA_LINE2, "Line 2"}};
    auto textOf = [](const std::map<int, std::string>& map, int id) {
        const auto it = map.find(id);
        return it == map.end() ? std::string() : it->second;
    };
    for (const auto& [id, label] : kLabels) {
        const std::string text = textOf(fields, id);
        if (text != textOf(before, id))
            std::printf("  %s: %s\n", label, runner::DisplayText(text).c_str());
    }
    std::fflush(stdout);
}

int Watch(app::HeadlessView& view, app::MainDialog& dialog, platform::Printing& printer) {
    const auto selected = static_cast<std::size_t>(view.Selected());
    std::fputs(runner::FormatDriveBlock({view.Items()[selected], view.Fields()}).c_str(), stdout);
    std::fflush(stdout);
    runner::Event tick;
    tick.name = "tick";
    while (!cli::Interrupted() && !view.Closed()) {
        std::this_thread::sleep_for(kPollInterval);
        const auto before = view.Fields();
        runner::Play(tick, view, dialog, printer);
        PrintChangedFields(view.Fields(), before);
    }
    return 0;
}

// The same session as the text output, as the runner's JSON steps.
int PrintJson(app::HeadlessView& view, app::MainDialog& dialog, LinuxPlatform& pc,
              platform::RecordingPrinter& printer) {
    const runner::CommandSource log{
        [&pc]() -> const std::vector<std::string>& { return pc.CommandLog(); },
        [&pc] { pc.ClearCommandLog(); }};
    std::printf("%s\n", runner::TextSessionJson(view, dialog, printer, log).dump(2).c_str());
    return view.Items().empty() ? 1 : 0;  // the steps tell why no drive was listed
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        Fail(error);
        std::fputs("Try 'tessaly --help'.\n", stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("tessaly " TESSALY_VERSION_TEXT);
        return 0;
    }

    cli::CatchInterrupts();
    cli::InterruptibleCalls calls(platform::linux_os::RealSystemCalls(), cli::Interrupted,
                                  options.watch ? cli::EndQuietly : cli::EndByInterrupt);
    for (const std::string& path : options.devices) {
        const cli::DeviceState state = cli::CheckDevice(calls, path);
        if (state != cli::DeviceState::kUsable)
            return Fail(cli::DeviceProblem(state, path));
    }

    LinuxPlatform pc(calls, "/sys", options.devices, platform::linux_os::ReadKernelRelease());
    ScsiTransport transport(pc);
    SetAnyMakerDrives(options.anyMaker);
    app::HeadlessView view;
    app::MainDialog dialog(transport, pc, view);
    view.Attach(&dialog);
    platform::RecordingPrinter printer(kPaper, std::nullopt);

    view.BeginStep();
    dialog.OnInitDialog();
    if (options.json)
        return PrintJson(view, dialog, pc, printer);
    if (view.Items().empty())
        return NoDrives(calls, pc);
    if (options.drive >= static_cast<int>(view.Items().size()))
        return Fail("there is no drive " + std::to_string(options.drive), 2);

    if (options.eject || options.load || options.watch) {
        runner::SelectDrive(view, dialog, options.drive);
        if (options.watch)
            return Watch(view, dialog, printer);
        // --eject opens the tray and --load closes it, whatever state it is in: the
        // window's button toggles, but a command line says what it wants. Then the
        // fields are read again.
        const DriveList& drives = dialog.Drives();
        const DriveAddress& drive = drives.addresses[options.drive];
        const std::int32_t done =
            options.eject ? EjectMedium(transport, drive) : LoadMedium(transport, drive);
        if (done != 1)
            return Fail(std::string("the drive did not ") +
                        (options.eject ? "open its tray" : "close its tray"));
        dialog.Panel().OnRefreshClick();
        const auto index = static_cast<std::size_t>(options.drive);
        std::fputs(runner::FormatDriveBlock({view.Items()[index], view.Fields()}).c_str(), stdout);
        return 0;
    }

    const runner::TextSession session = runner::PlayTextSession(view, dialog, printer);
    std::fputs(runner::FormatText(session).c_str(), stdout);
    if (!options.pdf.empty()) {
        // The report of the drive asked for, as the window prints the selected one.
        if (options.drive != 0)
            runner::SelectDrive(view, dialog, options.drive);
        if (!runner::PrintReportPdf(dialog, options.pdf, std::nullopt, error))
            return Fail(error);
    }
    return 0;
}
