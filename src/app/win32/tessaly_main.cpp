// tessaly.exe: runs the main window modally, without an owner, until it closes.
#include <cstring>

#include "app/win32/main_window.h"
#include "app/win32/win32_api.h"
#include "drives/drive_scope.h"

namespace {

// Whether the command line holds the word "--any-maker": list every MMC drive, of any
// maker, not only the maker's own.
bool AsksForAnyMaker(const char* commandLine) {
    constexpr const char* kSwitch = "--any-maker";
    const std::size_t length = std::strlen(kSwitch);
    for (const char* at = commandLine; at != nullptr && (at = std::strstr(at, kSwitch)) != nullptr;
         at += length) {
        const bool wordStart = at == commandLine || at[-1] == ' ' || at[-1] == '\t';
        const char after = at[length];
        if (wordStart && (after == '\0' || after == ' ' || after == '\t'))
            return true;
    }
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The system's own "There is no disk in the drive" boxes stay away: a file looked up
    // by bare name (the ASPI manager's version) searches folders that may lie on an empty
    // drive, and the program reads drives that may hold no disc. The calls fail instead.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    try {
        tessaly::app::win32::Win32MainWindow window(instance);
        tessaly::SetAnyMakerDrives(AsksForAnyMaker(commandLine));
        window.Run(nullptr);
    } catch (...) {
        // Nothing to report to: the window is gone.
    }
    return 0;
}
