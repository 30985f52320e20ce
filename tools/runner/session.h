// What the headless runners share: the user events they play on the main window's
// logic, and the JSON step that tells what the user saw after each. tessaly-sim plays
// them on the virtual PC, tessaly on the Linux machine.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "platform/printing.h"
#include "platform/recording_printer.h"

namespace tessaly::runner {

using Json = nlohmann::ordered_json;

struct Event {
    std::string name;  // tick, select, eject, print, about, enter, close
    int item = -1;     // select:N
};

// "tick", "select:N", "eject", "print", "about", "enter" or "close"; false for anything else.
bool ParseEvent(const std::string& text, Event& event);

// The user choosing item index of the drive list (the select:N event).
void SelectDrive(app::HeadlessView& view, app::MainDialog& dialog, int index);

// One event on the window; a closed window takes none. "print" prints on printing.
void Play(const Event& event, app::HeadlessView& view, app::MainDialog& dialog,
          platform::Printing& printing);

// The events of the text output's session as named steps: select:N for each drive in
// list order, select:0 again when there are several, then print (none without drives).
std::vector<std::string> TextSessionEvents(std::size_t driveCount);

// Where a session's SCSI commands are logged: the list since the last clear.
struct CommandSource {
    std::function<const std::vector<std::string>&()> commands;
    std::function<void()> clear;
};

// The start step (already played) and then the text output's session, as the runner's
// JSON steps: what tessaly --json prints.
Json TextSessionJson(app::HeadlessView& view, app::MainDialog& dialog,
                     platform::RecordingPrinter& printer, const CommandSource& log);

Json PageJson(const platform::PrintedPage& page);

// The step after an event: messages, dialogs, drive list, fields, timer, closed, the
// commands the step sent and the page it printed (null when none).
Json StepJson(const std::string& name, const app::HeadlessView& view,
              const std::vector<std::string>& commands, const platform::PrintedPage* page);

}  // namespace tessaly::runner
