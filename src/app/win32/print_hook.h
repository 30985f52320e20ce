// The print button of the main window (1011): prints the information report of the
// selected drive. The program calls it only when some file of the program defines it;
// without a definition the button does nothing. (The call site declares it weak: a
// weak default body is not usable here, as the MinGW linker leaves calls to such a
// body unresolved.)
#pragma once

#include "app/main_dialog.h"
#include "app/main_view.h"
#include "app/win32/win32_api.h"
#include "transport/scsi_transport.h"

namespace tessaly::app::win32 {

void PrintInformationReport(HWND owner, tessaly::ScsiTransport& transport,
                            tessaly::app::MainDialog& dialog, tessaly::app::MainView& view);

}  // namespace tessaly::app::win32
