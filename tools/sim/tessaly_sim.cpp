// tessaly-sim: plays a user's session with the program's main window on the virtual
// PC of a scenario and prints, as one JSON document, what the user would have seen
// after each step: message boxes, dialogs, the drive list, every value field, the
// poll timer, whether the window closed, and the SCSI commands the step sent.
//
//   tessaly-sim SCENARIO.json [EVENT ...]
//   tessaly-sim --text [--report-pdf FILE] SCENARIO.json
//   events: tick, select:N, eject, print, about, enter, close
//
// (the whole command line is kUsage below, which --help prints).
//
// --text prints what the Linux command tessaly prints for its machine: the drive list,
// each drive's fields and the report's page as text lines; --report-pdf also writes
// that page as a PDF, as tessaly --report-pdf does.
//
// Bad input (a missing or malformed scenario, an unknown event) ends with one error
// line on standard error and exit status 2.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "drives/drive_scope.h"
#include "runner/report_pdf.h"
#include "runner/session.h"
#include "runner/text_output.h"
#include "tessaly_version.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using tessaly::app::HeadlessView;
using tessaly::runner::Json;

// The one usage text of the runner; its first line is also the message of a command
// line without a scenario.
constexpr const char* kUsage =
    "usage: tessaly-sim [--any-maker] [--text [--report-pdf FILE]] SCENARIO.json [EVENT ...]\n"
    "       tessaly-sim --help | --version\n"
    "Plays a user's session with the program's main window on the virtual PC of a\n"
    "scenario and prints what the user would have seen after each step as JSON.\n"
    "\n"
    "  --text             print the drive list, each drive's fields and the report's\n"
    "                     page as text, as the Linux command tessaly does (no events)\n"
    "  --report-pdf FILE  with --text: also write the report's page as a PDF\n"
    "  --any-maker        list every MMC drive, of any maker, as an unknown model\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and exit\n"
    "\n"
    "EVENT: tick, select:N, eject, print, about, enter, close\n"
    "Exit status: 0 done, 1 no drive (--text), 2 bad input.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tessaly-sim: %s\n", message.c_str());
    return 2;
}

// A bad command line: the error, then where the usage is.
int FailUsage(const std::string& message) {
    Fail(message);
    std::fputs("Try 'tessaly-sim --help'.\n", stderr);
    return 2;
}

const tessaly::platform::PrintedPage* NewPage(tessaly::vpc::VirtualPc& pc,
                                              std::size_t pagesBefore) {
    const auto& pages = pc.Printer().Pages();
    return pages.size() > pagesBefore ? &pages.back() : nullptr;
}

// The text output, as tessaly prints it; with no drive the window's message on stderr.
int PrintText(HeadlessView& view, tessaly::app::MainDialog& dialog, tessaly::vpc::VirtualPc& pc,
              const std::string& pdf, const std::optional<tessaly::vpc::DateSpec>& date) {
    if (view.Items().empty()) {
        std::fprintf(stderr, "tessaly-sim: No Varnoth drives detected!\n");
        return 1;
    }
    const auto session = tessaly::runner::PlayTextSession(view, dialog, pc.Printer());
    std::fputs(tessaly::runner::FormatText(session).c_str(), stdout);
    if (pdf.empty())
        return 0;
    std::string error;
    std::optional<tessaly::platform::FixedDate> pageDate;
    if (date)
        pageDate = tessaly::platform::FixedDate{date->year, date->month, date->day};
    if (!tessaly::runner::PrintReportPdf(dialog, pdf, pageDate, error))
        return Fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    bool text = false;
    bool anyMaker = false;
    std::string pdf;
    for (; first < argc && argv[first][0] == '-' && argv[first][1] != '\0'; ++first) {
        if (std::strcmp(argv[first], "--help") == 0 || std::strcmp(argv[first], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[first], "--version") == 0) {
            std::puts("tessaly-sim " TESSALY_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[first], "--text") == 0) {
            text = true;
        } else if (std::strcmp(argv[first], "--any-maker") == 0) {
            anyMaker = true;
        } else if (std::strcmp(argv[first], "--report-pdf") == 0 && first + 1 < argc) {
            pdf = argv[++first];
        } else {
            return FailUsage(std::string("unknown option ") + argv[first]);
        }
    }
    if (argc <= first)
        return FailUsage(std::string(kUsage, std::strcspn(kUsage, "\n")));
    if (text && argc > first + 1)
        return FailUsage("--text takes no events");
    if (!pdf.empty() && !text)
        return FailUsage("--report-pdf goes with --text");
    std::vector<tessaly::runner::Event> events;
    for (int i = first + 1; i < argc; ++i) {
        tessaly::runner::Event event;
        if (!tessaly::runner::ParseEvent(argv[i], event))
            return Fail(std::string("unknown event \"") + argv[i] + "\"");
        events.push_back(event);
    }
    std::string error;
    auto scenario = tessaly::vpc::LoadScenarioFile(argv[first], error);
    if (!scenario)
        return Fail(error);

    tessaly::vpc::VirtualPc pc(*scenario);
    tessaly::ScsiTransport transport(pc);
    tessaly::SetAnyMakerDrives(anyMaker);
    const auto prompt = scenario->prompts.find("usb_warning");
    HeadlessView view(prompt == scenario->prompts.end() ||
                      prompt->second == tessaly::vpc::PromptAnswer::kOk);
    tessaly::app::MainDialog dialog(transport, pc, view);
    view.Attach(&dialog);

    Json steps = Json::array();
    view.BeginStep();
    dialog.OnInitDialog();
    if (text)
        return PrintText(view, dialog, pc, pdf, scenario->date);
    steps.push_back(tessaly::runner::StepJson("start", view, pc.CommandLog(), nullptr));
    for (std::size_t i = 0; i < events.size(); ++i) {
        view.BeginStep();
        pc.ClearCommandLog();
        const std::size_t pagesBefore = pc.Printer().Pages().size();
        tessaly::runner::Play(events[i], view, dialog, pc.Printer());
        steps.push_back(tessaly::runner::StepJson(argv[first + 1 + i], view, pc.CommandLog(),
                                                  NewPage(pc, pagesBefore)));
    }
    std::printf("%s\n", Json{{"steps", steps}}.dump(2).c_str());
    return 0;
}
