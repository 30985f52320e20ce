// Helpers of the Wine end-to-end tests that drive another process's windows: paths as
// Wine shows them, the process's dialogs, waiting, and window texts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::wine_test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline std::string ExeDirectory() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

// A Unix path as Wine's drive Z: shows it; other paths unchanged.
inline std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return path;
}

// A variable of this process's environment; empty when unset.
inline std::string EnvironmentText(const char* name) {
    char value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

struct WindowSearch {
    DWORD process = 0;
    HWND exclude = nullptr;
    HWND found = nullptr;
};

inline BOOL CALLBACK CheckWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (owner != search.process || window == search.exclude || !::IsWindowVisible(window) ||
        std::string(name) != "#32770") {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

// A visible dialog window of the process, other than `exclude`.
inline HWND FindDialogOf(DWORD process, HWND exclude) {
    WindowSearch search{process, exclude, nullptr};
    ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Condition>
bool WaitFor(Condition condition, milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        ::Sleep(20);
    }
    return true;
}

inline std::string WindowText(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// The pixels a window shows on the screen, row by row (empty when it has no area). The
// program's value fields paint their own text and keep it to themselves, so what they
// show is read from the screen.
inline std::vector<std::uint32_t> ScreenPixels(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return {};
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                    DIB_RGB_COLORS) != height) {
        pixels.clear();
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace tessaly::wine_test
