#include "runner/session.h"

#include <cstdlib>

#include "common/code_pages.h"

namespace tessaly::runner {

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

void SelectDrive(app::HeadlessView& view, app::MainDialog& dialog, int index) {
    view.SelectDriveItem(index);
    dialog.Panel().OnSelectionChange();
}

void Play(const Event& event, app::HeadlessView& view, app::MainDialog& dialog,
          platform::Printing& printing) {
    if (view.Closed())
        return;  // a closed window takes no input
    if (event.name == "tick") {
        if (view.TimerRunning())
            dialog.Panel().OnTimer(app::kPollTimerId);
    } else if (event.name == "select") {
        SelectDrive(view, dialog, event.item);
    } else if (event.name == "eject") {
        dialog.Panel().OnEjectLoad();
    } else if (event.name == "print") {
        view.RecordDialog("print");
        dialog.OnPrint(printing);
    } else if (event.name == "about") {
        dialog.OnAbout();
    } else if (event.name == "enter") {
        dialog.OnOk();
    } else if (event.name == "close") {
        dialog.OnCancel();
    }
}

std::vector<std::string> TextSessionEvents(std::size_t driveCount) {
    std::vector<std::string> events;
    for (std::size_t i = 0; i < driveCount; ++i)
        events.push_back("select:" + std::to_string(i));
    if (driveCount > 1)
        events.push_back("select:0");
    if (driveCount > 0)
        events.push_back("print");
    return events;
}

Json TextSessionJson(app::HeadlessView& view, app::MainDialog& dialog,
                     platform::RecordingPrinter& printer, const CommandSource& log) {
    Json steps = Json::array();
    steps.push_back(StepJson("start", view, log.commands(), nullptr));
    for (const std::string& name : TextSessionEvents(view.Items().size())) {
        Event event;
        ParseEvent(name, event);
        view.BeginStep();
        log.clear();
        const std::size_t pagesBefore = printer.Pages().size();
        Play(event, view, dialog, printer);
        const auto& pages = printer.Pages();
        steps.push_back(StepJson(name, view, log.commands(),
                                 pages.size() > pagesBefore ? &pages.back() : nullptr));
    }
    return Json{{"steps", steps}};
}

Json PageJson(const platform::PrintedPage& page) {
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

Json StepJson(const std::string& name, const app::HeadlessView& view,
              const std::vector<std::string>& commands, const platform::PrintedPage* page) {
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
            {"commands", commands},
            {"page", page != nullptr ? PageJson(*page) : Json(nullptr)}};
}

}  // namespace tessaly::runner
