// tessaly.exe: runs the main window modally, without an owner, until it closes.
#include "app/win32/main_window.h"
#include "app/win32/win32_api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        tessaly::app::win32::Win32MainWindow window(instance);
        window.Run(nullptr);
    } catch (...) {
        // Nothing to report to: the window is gone.
    }
    return 0;
}
