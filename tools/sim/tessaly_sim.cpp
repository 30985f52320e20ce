// tessaly-sim: plays a user's session with the program's main window on the virtual
// PC of a scenario and prints, as one JSON document, what the user would have seen
// after each step: message boxes, dialogs, the drive list, every value field, the
// poll timer, whether the window closed, and the SCSI commands the step sent.
//
//   tessaly-sim SCENARIO.json [EVENT ...]
//   events: tick, select:N, eject, print, about, enter, close
//
// Bad input (a missing or malformed scenario, an unknown event) ends with one error
// line on standard error and exit status 2.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "cp1252.h"
#include "transport/scsi_transport.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace {

using Json = nlohmann::ordered_json;
using tessaly::app::HeadlessView;
using tessaly::sim::Cp1252ToUtf8;

int Fail(const std::string& message) {
    std::fprintf(stderr, "tessaly-sim: %s\n", message.c_str());
    return 2;
}

struct Event {
    std::string name;
    int item = -1;  // select:N
};

bool ParseEvent(const std::string& text, Event& event) {
    static const char* const kPlain[] = {"tick", "eject", "print", "about", "enter", "close"};
    for (const char* name : kPlain) {
        if (text == name) {
            event.name = name;
            return true;
        }
    }
    const std::string prefix = "select:";
    if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size() ||
        text.size() > prefix.size() + 9) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    event.name = "select";
    event.item = std::atoi(text.c_str() + prefix.size());
    return true;
}

Json PageOf(const tessaly::vpc::PrintedPage& page) {
    Json texts = Json::array();
    for (const auto& t : page.texts) {
        texts.push_back({{"x", t.x}, {"y", t.y}, {"text", Cp1252ToUtf8(t.text)}});
    }
    Json lines = Json::array();
    for (const auto& l : page.lines) {
        lines.push_back(
            {{"x1", l.x1}, {"y1", l.y1}, {"x2", l.x2}, {"y2", l.y2}, {"width", l.width}});
    }
    return {{"width", page.width}, {"height", page.height}, {"texts", texts}, {"lines", lines}};
}

Json StepOf(const std::string& name, HeadlessView& view, tessaly::vpc::VirtualPc& pc,
            std::size_t pagesBefore) {
    Json messages = Json::array();
    for (const auto& m : view.Messages()) {
        messages.push_back({{"caption", Cp1252ToUtf8(m.caption)}, {"text", Cp1252ToUtf8(m.text)}});
    }
    Json items = Json::array();
    for (const auto& item : view.Items())
        items.push_back(Cp1252ToUtf8(item));
    Json fields = Json::object();
    for (const auto& [id, text] : view.Fields())
        fields[std::to_string(id)] = Cp1252ToUtf8(text);
    return {{"event", name},
            {"messages", messages},
            {"dialogs", view.Dialogs()},
            {"items", items},
            {"selected", view.Selected()},
            {"fields", fields},
            {"timer", view.TimerRunning()},
            {"closed", view.Closed()},
            {"commands", pc.CommandLog()},
            {"page", pc.Printer().Pages().size() > pagesBefore ? PageOf(pc.Printer().Pages().back())
                                                               : Json(nullptr)}};
}

void Play(const Event& event, HeadlessView& view, tessaly::app::MainDialog& dialog,
          tessaly::vpc::VirtualPc& pc) {
    if (view.Closed())
        return;  // a closed window takes no input
    if (event.name == "tick") {
        if (view.TimerRunning())
            dialog.Panel().OnTimer(tessaly::app::kPollTimerId);
    } else if (event.name == "select") {
        view.SelectDriveItem(event.item);
        dialog.Panel().OnSelectionChange();
    } else if (event.name == "eject") {
        dialog.Panel().OnEjectLoad();
    } else if (event.name == "print") {
        view.RecordDialog("print");
        dialog.OnPrint(pc.Printer());
    } else if (event.name == "about") {
        dialog.OnAbout();
    } else if (event.name == "enter") {
        dialog.OnOk();
    } else if (event.name == "close") {
        dialog.OnCancel();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: tessaly-sim SCENARIO.json [EVENT ...]");
    std::vector<Event> events;
    for (int i = 2; i < argc; ++i) {
        Event event;
        if (!ParseEvent(argv[i], event))
            return Fail(std::string("unknown event \"") + argv[i] + "\"");
        events.push_back(event);
    }
    std::string error;
    auto scenario = tessaly::vpc::LoadScenarioFile(argv[1], error);
    if (!scenario)
        return Fail(error);

    tessaly::vpc::VirtualPc pc(*scenario);
    tessaly::ScsiTransport transport(pc);
    const auto prompt = scenario->prompts.find("usb_warning");
    HeadlessView view(prompt == scenario->prompts.end() ||
                      prompt->second == tessaly::vpc::PromptAnswer::kOk);
    tessaly::app::MainDialog dialog(transport, pc, view);
    view.Attach(&dialog);

    Json steps = Json::array();
    view.BeginStep();
    dialog.OnInitDialog();
    steps.push_back(StepOf("start", view, pc, 0));
    for (std::size_t i = 0; i < events.size(); ++i) {
        view.BeginStep();
        pc.ClearCommandLog();
        const std::size_t pagesBefore = pc.Printer().Pages().size();
        Play(events[i], view, dialog, pc);
        steps.push_back(StepOf(argv[2 + i], view, pc, pagesBefore));
    }
    std::printf("%s\n", Json{{"steps", steps}}.dump(2).c_str());
    return 0;
}
