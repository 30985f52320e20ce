#include "runner/text_output.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "app/control_ids.h"
#include "common/code_pages.h"
#include "common/printable_text.h"
#include "runner/session.h"

namespace tessaly::runner {

namespace {

struct FieldLabel {
    int id;
    const char* label;
};

// The block's lines before the lead-out line, which also carries the LBA.
constexpr FieldLabel kLeadingFields[] = {{IDC_HOST_ADAPTER, "Host Adapter: "},
                                         {IDC_TARGET_ID, "Target ID: "},
                                         {IDC_STATUS, "Status: "},
                                         {IDC_LEAD_IN_TIME, "Start Time Of Lead In: "}};

std::string FieldText(const DriveFields& drive, int id) {
    const auto it = drive.fields.find(id);
    return it == drive.fields.end() ? std::string() : DisplayText(it->second);
}

}  // namespace

std::string DisplayText(std::string_view text) {
    return PrintableUtf8(Cp1252ToUtf8(text));
}

TextSession PlayTextSession(app::HeadlessView& view, app::MainDialog& dialog,
                            platform::RecordingPrinter& printer) {
    TextSession session;
    session.items = view.Items();
    for (const std::string& name : TextSessionEvents(session.items.size())) {
        if (view.Closed())
            break;
        Event event;
        ParseEvent(name, event);
        const std::size_t pagesBefore = printer.Pages().size();
        Play(event, view, dialog, printer);
        // The first selection of each drive gives its block; selecting the first drive
        // again before the print adds none.
        if (event.name == "select" && event.item == static_cast<int>(session.drives.size())) {
            session.drives.push_back(
                DriveFields{session.items[static_cast<std::size_t>(event.item)], view.Fields()});
        }
        if (event.name == "print" && printer.Pages().size() > pagesBefore)
            session.page = printer.Pages().back();
    }
    return session;
}

std::vector<std::string> PageLines(const platform::PrintedPage& page) {
    std::vector<const platform::PrintedText*> texts;
    texts.reserve(page.texts.size());
    for (const auto& text : page.texts)
        texts.push_back(&text);
    std::stable_sort(texts.begin(), texts.end(), [](const auto* a, const auto* b) {
        return a->y != b->y ? a->y < b->y : a->x < b->x;
    });
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && texts[i]->y == texts[i - 1]->y) {
            lines.back().append("  ").append(texts[i]->text);
        } else {
            lines.push_back(texts[i]->text);
        }
    }
    return lines;
}

namespace {

// One line: an indent of two blanks, the pieces, the line end. Appended piece by piece
// (GCC 12 misreads chains of string concatenation at -O3 as overlapping copies).
void AppendLine(std::string& out, std::initializer_list<std::string_view> pieces,
                bool indent = true) {
    if (indent)
        out.append("  ");
    for (std::string_view piece : pieces)
        out.append(piece);
    out.append("\n");
}

}  // namespace

std::string FormatDriveBlock(const DriveFields& drive) {
    std::string out;
    AppendLine(out, {DisplayText(drive.item)}, false);
    for (const FieldLabel& field : kLeadingFields)
        AppendLine(out, {field.label, FieldText(drive, field.id)});
    AppendLine(out, {"Start Time Of Lead Out: ", FieldText(drive, IDC_LEAD_OUT_TIME),
                     "  LBA: ", FieldText(drive, IDC_LEAD_OUT_LBA)});
    AppendLine(out, {"Manufacturer: ", FieldText(drive, IDC_MANUFACTURER)});
    for (int id : {IDC_EXTRA_LINE1, IDC_EXTRA_LINE2}) {
        const std::string extra = FieldText(drive, id);
        if (!extra.empty())
            AppendLine(out, {extra});
    }
    return out;
}

std::string FormatText(const TextSession& session) {
    std::string out = "Drives:\n";
    for (const auto& item : session.items)
        AppendLine(out, {DisplayText(item)});
    for (const DriveFields& drive : session.drives) {
        out.append("\n");
        out.append(FormatDriveBlock(drive));
    }
    if (session.page) {
        out.append("\nInformation report:\n");
        for (const std::string& text : PageLines(*session.page))
            AppendLine(out, {DisplayText(text)});
    }
    return out;
}

}  // namespace tessaly::runner
