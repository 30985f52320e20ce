// tessaly.exe: runs the main window modally, without an owner, until it closes.
#include "app/command_line_switch.h"
#include "app/win32/main_window.h"
#include "app/win32/win32_api.h"
#include "drives/drive_scope.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The system's own "There is no disk in the drive" boxes stay away: a file looked up
    // by bare name (the ASPI manager's version) searches folders that may lie on an empty
    // drive, and the program reads drives that may hold no disc. The calls fail instead.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    try {
        tessaly::app::win32::Win32MainWindow window(instance);
        // --any-maker: every MMC drive, of any maker, not only the maker's own.
        tessaly::SetAnyMakerDrives(tessaly::app::HasCommandLineSwitch(commandLine, "--any-maker"));
        window.Run(nullptr);
    } catch (...) {
        // Nothing to report to: the window is gone.
    }
    return 0;
}
