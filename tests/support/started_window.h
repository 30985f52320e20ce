// A virtual PC with the main window's logic started on it through the headless view,
// as the program's start-up runs it.
#pragma once

#include <string>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {

struct StartedWindow {
    explicit StartedWindow(const std::string& json, bool continueAfterUsbWarning = true)
        : pc(json), view(continueAfterUsbWarning), dialog(*pc.transport, *pc.machine, view) {
        view.Attach(&dialog);
        initResult = dialog.OnInitDialog();
    }
    std::string Field(int controlId) const { return view.Fields().at(controlId); }
    std::string Field(DiscField field) const { return Field(app::FieldControlId(field)); }

    Pc pc;
    app::HeadlessView view;
    app::MainDialog dialog;
    bool initResult = false;
};

}  // namespace tessaly::testing
