// The runners' text output: the drive list, one block of fields per drive (each drive
// selected in turn as the user would), and the information report's page as lines of
// text. tessaly prints it for the machine's drives, tessaly-sim --text for a scenario's.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "platform/recording_printer.h"

namespace tessaly::runner {

struct DriveFields {
    std::string item;                   // the drive list's text
    std::map<int, std::string> fields;  // value fields by control id, as the window shows them
};

struct TextSession {
    std::vector<std::string> items;
    std::vector<DriveFields> drives;
    std::optional<platform::PrintedPage> page;
};

// After the start-up: selects each drive in list order and keeps its fields, selects the
// first again when there are several, then prints the report on printer.
TextSession PlayTextSession(app::HeadlessView& view, app::MainDialog& dialog,
                            platform::RecordingPrinter& printer);

// The page's texts grouped into lines by y (ascending), the pieces of a line ordered by x
// and joined with two blanks. Texts stay in the program's code page.
std::vector<std::string> PageLines(const platform::PrintedPage& page);

// A text in the program's code page as the text output prints it: UTF-8 with every
// control character replaced (much of it comes from the drive or the disc).
std::string DisplayText(std::string_view text);

// One drive's block: its list text, then its fields indented by two blanks, UTF-8.
std::string FormatDriveBlock(const DriveFields& drive);

// The whole text, UTF-8, every line ending in "\n".
std::string FormatText(const TextSession& session);

}  // namespace tessaly::runner
