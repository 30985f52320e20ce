// tessaly: the Linux edition. Plays the main window's start-up on this machine's optical
// drives (through SG_IO) with the same window logic as the Windows program, and prints
// the drive list, each drive's fields and the information report as text.
//
// The command line is in kUsage below (tessaly --help). Devices are /dev/sr0 (D:),
// /dev/sr1 (E:), ... unless named. Errors are one line on standard error and a non-zero
// exit status: 1 for a machine or device problem, 2 for a bad command line (with a
// second line that points to --help).
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.h"
#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "call_recorder.h"
#include "common/printable_text.h"
#include "device_check.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "interruption.h"
#include "machine.h"
#include "platform/linux/linux_platform.h"
#include "platform/recording_printer.h"
#include "runner/report_pdf.h"
#include "runner/session.h"
#include "runner/text_output.h"
#include "tessaly_version.h"
#include "transport/scsi_transport.h"
#include "watch.h"

namespace {

using namespace tessaly;
using platform::linux_os::LinuxPlatform;

constexpr auto kPollInterval = std::chrono::milliseconds(500);
constexpr const char* kSysfsRoot = "/sys";

// The one usage text of the command: --help prints it; the man page says the same.
constexpr const char* kUsage =
    "Usage: tessaly [--json | --watch | --eject | --load] [--drive N] [--any-maker]\n"
    "               [DEVICE ...]\n"
    "       tessaly [--drive N] [--any-maker] --report-pdf FILE [DEVICE ...]\n"
    "       tessaly --help | --version\n"
    "Lists the Varnoth optical drives of this machine, each drive's fields and the\n"
    "information report of the first drive.\n"
    "\n"
    "  --json             the same session as JSON steps, with the errors and notes\n"
    "  --watch            the drive's fields, then every change, polled every 500 ms\n"
    "                     until Ctrl-C; a drive that goes away or comes back is told\n"
    "  --eject            open the drive's tray, then print its fields\n"
    "  --load             close the drive's tray, then print its fields\n"
    "  --drive N          the drive of --watch, --eject, --load and --report-pdf:\n"
    "                     item N of the list, from 0 (default 0)\n"
    "  --report-pdf FILE  also write the information report as a one-page A4 PDF\n"
    "                     (not with the other modes; not in the static build)\n"
    "  --any-maker        also list other makers' drives, read as unknown models\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and exit\n"
    "\n"
    "DEVICE is a CD drive's block device (/dev/srN) or its SCSI generic device\n"
    "(/dev/sgN); by default the machine's CD drives, /dev/sr0 on.\n"
    "Reading a drive takes read access to its device (the group cdrom); the maker's\n"
    "vendor fields (serial number, usage time, jumpers) take root or the capability\n"
    "cap_sys_rawio (setcap cap_sys_rawio+ep on the program's file).\n"
    "Exit status: 0 done, 1 no drive or a device problem, 2 a bad command line.\n";

struct Options {
    bool help = false;
    bool version = false;
    bool json = false;
    bool watch = false;
    bool eject = false;
    bool load = false;
    bool driveGiven = false;
    bool anyMaker = false;
    int drive = 0;
    std::string pdf;
    std::vector<std::string> devices;
};

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "tessaly: %s\n", message.c_str());
    return status;
}

// The options that go together: one mode at most; --report-pdf with the plain listing
// only, and only in a build that writes PDF files; --drive with something that uses it.
bool CheckCombination(const Options& options, std::string& error) {
    const int modes = options.json + options.watch + options.eject + options.load;
    const char* mode = options.json    ? "--json"
                       : options.watch ? "--watch"
                       : options.eject ? "--eject"
                                       : "--load";
    if (modes > 1) {
        error = "--json, --watch, --eject and --load exclude each other";
        return false;
    }
    if (!options.pdf.empty() && modes > 0) {
        error = std::string("--report-pdf goes with the plain listing, not with ") + mode;
        return false;
    }
    if (!options.pdf.empty() && !runner::HasPdfOutput()) {
        error =
            "--report-pdf: this build of tessaly has no PDF output (it is built without "
            "cairo, as the static one of the .tar.gz is); the tessaly of the Debian "
            "package tessaly_" TESSALY_VERSION_TEXT "-1_amd64.deb writes PDF files";
        return false;
    }
    if (options.driveGiven && options.pdf.empty() && !options.watch && !options.eject &&
        !options.load) {
        error = std::string(
                    "--drive chooses the drive of --watch, --eject, --load or "
                    "--report-pdf; ") +
                (options.json ? "--json reads every drive" : "the listing shows every drive");
        return false;
    }
    return true;
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
            if ((arg == "--drive" && options.driveGiven) ||
                (arg == "--report-pdf" && !options.pdf.empty())) {
                error = arg + " is given twice";
                return false;
            }
            if (arg == "--report-pdf") {
                if (value.empty()) {
                    error = "--report-pdf needs a file name";
                    return false;
                }
                options.pdf = value;
                continue;
            }
            if (value.empty() || value.size() > 2 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                error = "--drive takes a drive number from 0";
                return false;
            }
            options.drive = std::stoi(value);
            options.driveGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + PrintableUtf8(arg);
            return false;
        } else {
            options.devices.push_back(arg);
        }
    }
    return options.help || options.version || CheckCombination(options, error);
}

// What the run learned that the user should be told on standard error (and in --json):
// devices that did not open, and commands the kernel refused.
struct Diagnosis {
    cli::CallRecorder& recorder;
    std::vector<std::string> devices;  // named on the command line, after the checks
    bool noted = false;                // the refusal note is out
    std::vector<std::string> limits;   // what the platform left out (too many drives, ...)
    std::size_t limitsSaid = 0;        // of limits, those on standard error already

    // The platform's notes of what it left out since the last call.
    void Gather(cli::Machine& machine) {
        for (const std::string& line : machine.pc.TakeNotes())
            limits.push_back(PrintableUtf8(line));
    }
    // Every note of the run: what was left out, then the refused commands.
    std::vector<std::string> Notes() const {
        std::vector<std::string> notes = limits;
        const std::string refusal = RefusalNote();
        if (!refusal.empty())
            notes.push_back(refusal);
        return notes;
    }

    // The error lines of the drive nodes that did not open: of every lettered node when
    // no drive was listed, else of the named devices only.
    std::vector<std::string> OpenProblems(cli::Machine& machine, bool allNodes) const {
        std::vector<std::string> lines;
        for (int letter = platform::linux_os::kFirstLetter;
             letter < platform::linux_os::kFirstLetter + platform::linux_os::kLetterCount;
             ++letter) {
            const std::string path = machine.pc.DevicePath(letter);
            const bool named = std::find(devices.begin(), devices.end(), path) != devices.end();
            const int error = path.empty() ? -1 : recorder.OpenError(path);
            // A default node that is not there is no problem: there is no drive.
            if (error <= 0 || (!named && (!allNodes || error == ENOENT)))
                continue;
            const std::string line = cli::OpenProblem(error, path, true);
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }
    std::string RefusalNote() const {
        return cli::RefusalNote(recorder.Refused(), PrintableUtf8(cli::ProgramPath()));
    }
    // The notes not yet said on standard error: each limit once, the refusal note once.
    void PrintNote() {
        std::fflush(stdout);
        for (; limitsSaid < limits.size(); ++limitsSaid)
            Fail(limits[limitsSaid]);
        const std::string note = RefusalNote();
        if (noted || note.empty())
            return;
        noted = true;
        std::fflush(stdout);
        Fail(note);
    }
};

// Standard output written out; a failed write ends the program with status 1 and says so.
bool OutputWritten() {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    const int error = errno != 0 ? errno : EIO;
    Fail(std::string("cannot write the output: ") + std::strerror(error));
    return false;
}

int Finish(int status) {
    return OutputWritten() ? status : 1;
}

void PrintBlock(cli::Machine& machine, int index) {
    std::fputs(cli::DriveBlock(machine, index).c_str(), stdout);
}

// The lines that say why no drive was listed.
std::vector<std::string> NoDriveLines(cli::Machine& machine, const Diagnosis& diagnosis) {
    std::vector<std::string> lines = diagnosis.OpenProblems(machine, true);
    if (lines.empty())
        lines.push_back("No Varnoth drives detected!");
    return lines;
}

// --json's answer when the run stops before the drives are read: no steps, the error.
void PrintJsonError(const std::string& line) {
    runner::Json json = runner::Json::object();
    json["steps"] = runner::Json::array();
    json["errors"] = runner::Json::array({line});
    json["notes"] = runner::Json::array();
    std::printf("%s\n", json.dump(2).c_str());
}

// The same session as the text output, as the runner's JSON steps, with what standard
// error says: "errors" (why no drive was listed, devices that did not open) and "notes"
// (commands the kernel refused). Without a drive there are no steps.
int PrintJson(cli::Machine& machine, Diagnosis& diagnosis) {
    runner::Json json = runner::Json::object();
    std::vector<std::string> errors;
    if (machine.view.Items().empty()) {
        errors = NoDriveLines(machine, diagnosis);
        json["steps"] = runner::Json::array();
    } else {
        errors = diagnosis.OpenProblems(machine, false);
        LinuxPlatform& pc = machine.pc;
        const runner::CommandSource log{
            [&pc]() -> const std::vector<std::string>& { return pc.CommandLog(); },
            [&pc] { pc.ClearCommandLog(); }};
        json["steps"] =
            runner::TextSessionJson(machine.view, machine.dialog, machine.printer, log)["steps"];
    }
    json["errors"] = errors;
    json["notes"] = diagnosis.Notes();
    std::printf("%s\n", json.dump(2).c_str());
    for (const std::string& line : errors)
        Fail(line);
    diagnosis.PrintNote();
    return errors.empty() ? 0 : 1;
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
        return Finish(0);
    }
    if (options.version) {
        std::puts("tessaly " TESSALY_VERSION_TEXT);
        return Finish(0);
    }

    cli::CatchInterrupts();
    cli::InterruptibleCalls interruptible(platform::linux_os::RealSystemCalls(), cli::Interrupted,
                                          options.watch ? cli::EndQuietly : cli::EndByInterrupt);
    cli::CallRecorder calls(interruptible);
    // Each named device checked before anything is opened; an sg node stands for its
    // drive's block node.
    std::vector<std::string> devices;
    for (const std::string& path : options.devices) {
        const cli::DeviceCheck check = cli::CheckDevice(calls, kSysfsRoot, path);
        if (check.state != cli::DeviceState::kUsable) {
            if (options.json)
                PrintJsonError(check.problem);
            return Finish(Fail(check.problem));
        }
        devices.push_back(check.path);
    }
    Diagnosis diagnosis{calls, devices, false, {}, 0};

    SetAnyMakerDrives(options.anyMaker);
    auto machine = std::make_unique<cli::Machine>(calls, kSysfsRoot, devices,
                                                  platform::linux_os::ReadKernelRelease());
    diagnosis.Gather(*machine);
    app::HeadlessView& view = machine->view;
    if (options.json)
        return Finish(PrintJson(*machine, diagnosis));
    if (view.Items().empty()) {
        for (const std::string& line : NoDriveLines(*machine, diagnosis))
            Fail(line);
        diagnosis.PrintNote();
        return Finish(1);
    }
    if (options.drive >= static_cast<int>(view.Items().size()))
        return Fail("there is no drive " + std::to_string(options.drive), 2);
    const std::vector<std::string> problems = diagnosis.OpenProblems(*machine, false);
    for (const std::string& line : problems)
        Fail(line);
    const int status = problems.empty() ? 0 : 1;

    if (options.watch) {
        cli::WatchHooks hooks;
        hooks.sysfsRoot = kSysfsRoot;
        hooks.wait = [] {
            std::this_thread::sleep_for(kPollInterval);
            return !cli::Interrupted();
        };
        hooks.open = [&calls, &diagnosis](const std::string& node) {
            auto next =
                std::make_unique<cli::Machine>(calls, kSysfsRoot, std::vector<std::string>{node},
                                               platform::linux_os::ReadKernelRelease());
            diagnosis.Gather(*next);
            return next;
        };
        hooks.print = [&diagnosis](const std::string& text) {
            std::fputs(text.c_str(), stdout);
            diagnosis.PrintNote();
            return OutputWritten();
        };
        return Finish(cli::WatchDrive(std::move(machine), options.drive, calls, hooks));
    }
    if (options.eject || options.load) {
        runner::SelectDrive(view, machine->dialog, options.drive);
        // --eject opens the tray and --load closes it, whatever state it is in: the
        // window's button toggles, but a command line says what it wants. Then the
        // fields are read again.
        const DriveAddress& drive = machine->dialog.Drives().addresses[options.drive];
        const std::int32_t done = options.eject ? EjectMedium(machine->transport, drive)
                                                : LoadMedium(machine->transport, drive);
        if (done != 1) {
            diagnosis.PrintNote();
            return Fail(std::string("the drive did not ") +
                        (options.eject ? "open its tray" : "close its tray"));
        }
        machine->dialog.Panel().OnRefreshClick();
        PrintBlock(*machine, options.drive);
        diagnosis.PrintNote();
        return Finish(status);
    }

    const runner::TextSession session =
        runner::PlayTextSession(view, machine->dialog, machine->printer);
    std::fputs(runner::FormatText(session).c_str(), stdout);
    if (!options.pdf.empty()) {
        // The report of the drive asked for, as the window prints the selected one.
        if (options.drive != 0)
            runner::SelectDrive(view, machine->dialog, options.drive);
        if (!runner::PrintReportPdf(machine->dialog, options.pdf, std::nullopt, error)) {
            diagnosis.PrintNote();
            Fail(error);
            return Finish(1);
        }
    }
    diagnosis.PrintNote();
    return Finish(status);
}
