// The resources of tessaly.exe, linked into the test exe as well: the three dialog
// templates (controls in tab order, captions, styles, positions), the strings, the
// icons and the version block.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/win32/res/resource.h"
#include "app/win32/value_field.h"
#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {
namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A template made into a hidden modeless dialog that only the dialog manager handles.
struct TemplateWindow {
    explicit TemplateWindow(int id)
        : window(::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                                      &PlainDialogProc, 0)) {}
    ~TemplateWindow() {
        if (window != nullptr)
            ::DestroyWindow(window);
    }
    HWND window;
};

struct Control {
    int id;
    std::string className;
    std::string text;
    RECT dialogUnits;  // left, top, width, height
    DWORD style;
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<Control> Children(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        controls.push_back({static_cast<short>(::GetDlgCtrlID(child)), ClassOf(child),
                            WindowText(child), r,
                            static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE))});
    }
    return controls;
}

// The pixel rectangle of a rectangle in dialog units of this dialog: position and size
// are converted separately, as the dialog manager does.
RECT Pixels(HWND dialog, int x, int y, int width, int height) {
    RECT position = {x, y, 0, 0};
    ::MapDialogRect(dialog, &position);
    RECT size = {0, 0, width, height};
    ::MapDialogRect(dialog, &size);
    return {position.left, position.top, position.left + size.right, position.top + size.bottom};
}

TEST(AppResources, MainWindowTemplateHasItsControlsInTabOrder) {
    TemplateWindow w(IDD_MAIN);
    ASSERT_NE(w.window, nullptr);
    EXPECT_EQ(WindowText(w.window), "Tessaly V1.19");
    const LONG style = ::GetWindowLongA(w.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(::GetWindowLongA(w.window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    struct Expected {
        int id;
        const char* className;
        const char* text;
        int x, y, width, height;
    };
    const Expected expected[] = {
        {2, "Button", "E&xit", 188, 5, 50, 14},
        {1000, "ComboBox", "", 9, 6, 104, 0},
        {-1, "Static", "Host Adapter:", 9, 25, 44, 8},
        {-1, "Static", "Target ID:", 9, 40, 33, 8},
        {1001, "Static", "", 102, 25, 8, 8},
        {1002, "Static", "", 102, 40, 8, 8},
        {-1, "Static", "Start Time Of Lead Out:", 21, 82, 76, 8},
        {-1, "Static", "LBA:", 154, 82, 16, 8},
        {1003, "Static", "", 103, 82, 40, 8},
        {1004, "Static", "", 175, 82, 40, 8},
        {-1, "Static", "Manufacturer:", 21, 106, 45, 8},
        {-1, "Static", "Start Time Of Lead In:", 21, 94, 70, 8},
        {1005, "Static", "", 80, 106, 149, 8},
        {1006, "Static", "", 103, 94, 40, 8},
        {1007, "Static", "", 43, 59, 180, 8},
        {-1, "Button", "", 7, 70, 231, 66},
        {-1, "Static", "Status:", 9, 59, 23, 8},
        {1010, "Button", "", 116, 5, 19, 14},
        {1011, "Button", "", 139, 5, 19, 14},
        {-1, "Static", "LBA:", 154, 94, 16, 8},
        {1008, "Static", "", 175, 94, 40, 8},
        {1012, "Static", "", 21, 120, 84, 8},
        {1013, "Static", "", 114, 120, 114, 8},
    };
    const std::vector<Control> controls = Children(w.window);
    ASSERT_EQ(controls.size(), std::size(expected));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Expected& e = expected[i];
        const Control& c = controls[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(c.id, e.id);
        EXPECT_STRCASEEQ(c.className.c_str(), e.className);
        EXPECT_EQ(c.text, e.text);
        const RECT px = Pixels(w.window, e.x, e.y, e.width, e.height);
        EXPECT_EQ(c.dialogUnits.left, px.left);
        EXPECT_EQ(c.dialogUnits.top, px.top);
        EXPECT_EQ(c.dialogUnits.right, px.right);
        if (e.height != 0) {  // a drop-down list is as high as its edit field
            EXPECT_EQ(c.dialogUnits.bottom, px.bottom);
        }
    }
    EXPECT_EQ(controls[1].style & 0xF, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_FALSE(controls[1].style & CBS_SORT);
    EXPECT_EQ(controls[4].style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
    EXPECT_EQ(controls[5].style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
    EXPECT_EQ(controls[15].style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_TRUE(controls[17].style & BS_ICON);
    EXPECT_TRUE(controls[18].style & BS_ICON);
    for (int hidden : {19, 20}) {
        EXPECT_FALSE(controls[hidden].style & WS_VISIBLE) << hidden;
        EXPECT_TRUE(controls[hidden].style & WS_DISABLED) << hidden;
    }

    RECT client;
    ::GetClientRect(w.window, &client);
    const RECT size = Pixels(w.window, 0, 0, 245, 143);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

TEST(AppResources, AboutTemplate) {
    TemplateWindow w(IDD_ABOUTBOX);
    ASSERT_NE(w.window, nullptr);
    EXPECT_EQ(WindowText(w.window), "About Tessaly");
    EXPECT_TRUE(::GetWindowLongA(w.window, GWL_STYLE) & WS_SYSMENU);
    const std::vector<Control> controls = Children(w.window);
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_EQ(controls[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_NE(::SendMessageA(::GetWindow(w.window, GW_CHILD), STM_GETICON, 0, 0), 0);
    EXPECT_EQ(controls[1].text, "Tessaly Version 1.19");
    EXPECT_TRUE(controls[1].style & SS_NOPREFIX);
    EXPECT_EQ(controls[2].text, "Copyright (C) 1998-2003 Varnoth Corporation");
    // The whole copyright line shows: wrapped at the control's width in the dialog's
    // font, it needs no more height than the control has.
    const HWND copyright =
        ::GetWindow(::GetWindow(::GetWindow(w.window, GW_CHILD), GW_HWNDNEXT), GW_HWNDNEXT);
    RECT box;
    ::GetClientRect(copyright, &box);
    const LONG height = box.bottom;
    const HDC dc = ::GetDC(copyright);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(copyright, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc, controls[2].text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_LEFT);
    ::SelectObject(dc, old);
    ::ReleaseDC(copyright, dc);
    EXPECT_LE(box.bottom, height);
    EXPECT_EQ(controls[3].id, IDOK);
    EXPECT_EQ(controls[3].text, "OK");
    EXPECT_EQ(controls[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    const RECT px = Pixels(w.window, 173, 18, 25, 20);
    EXPECT_EQ(controls[3].dialogUnits.left, px.left);
    EXPECT_EQ(controls[3].dialogUnits.bottom, px.bottom);
}

TEST(AppResources, AspiWarningTemplate) {
    TemplateWindow w(IDD_ASPI_WARNING);
    ASSERT_NE(w.window, nullptr);
    EXPECT_EQ(WindowText(w.window), "ASPI Layer");
    const LONG style = ::GetWindowLongA(w.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    const std::vector<Control> controls = Children(w.window);
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(controls[0].id, IDC_WARNING_ICON);
    EXPECT_EQ(controls[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(controls[1].text,
              "                      - - WARNING - - \n"
              "            Wnaspi32.dll V1.0.0.0 detected.\n"
              "      This version may result in unpredictable\n"
              "           behaviour of certain components.\n"
              "\n"
              "  It is recommended to update this ASPI layer.");
    const RECT px = Pixels(w.window, 52, 7, 157, 56);
    EXPECT_EQ(controls[1].dialogUnits.left, px.left);
    EXPECT_EQ(controls[1].dialogUnits.bottom, px.bottom);
}

TEST(AppResources, Strings) {
    char text[64] = {};
    const HINSTANCE self = ::GetModuleHandleA(nullptr);
    ASSERT_GT(::LoadStringA(self, IDS_ABOUTBOX, text, sizeof text), 0);
    EXPECT_STREQ(text, "&About Tessaly...");
    ASSERT_GT(::LoadStringA(self, IDS_VERSION, text, sizeof text), 0);
    EXPECT_STREQ(text, "1.19");
}

TEST(AppResources, IconsAre32By32) {
    const HINSTANCE self = ::GetModuleHandleA(nullptr);
    for (int id : {IDR_MAINFRAME, IDI_WINDOW_LOGO, IDI_EJECT, IDI_PRINTER}) {
        SCOPED_TRACE(id);
        const HICON icon = ::LoadIconA(self, MAKEINTRESOURCEA(id));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_NE(::GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, 32);
        EXPECT_EQ(colour.bmHeight, 32);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
}

// The program file's icon also has a small image, which Explorer shows in lists: the
// group's directory names a 32 x 32 and a 16 x 16 image of 16 colours.
TEST(AppResources, ProgramIconHasBothSizes) {
    const HINSTANCE self = ::GetModuleHandleA(nullptr);
    const HRSRC found = ::FindResourceA(self, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const DWORD size = ::SizeofResource(self, found);
    const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(self, found)));
    ASSERT_NE(group, nullptr);
    // GRPICONDIR: reserved, type, count (2 bytes each); then 14-byte entries whose first
    // bytes are width, height and colour count.
    ASSERT_GE(size, 6u);
    const int count = group[4] | (group[5] << 8);
    ASSERT_GE(size, 6u + 14u * count);
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < count; ++i)
        images.emplace_back(group[6 + 14 * i], group[8 + 14 * i]);
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{32, 16}, {16, 16}}));
}

TEST(AppResources, VersionBlock) {
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, path, sizeof path), 0u);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010013u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010013u);
    const std::pair<const char*, const char*> strings[] = {
        {"FileVersion", "1, 19, 0, 0"},
        {"ProductVersion", "1, 19, 0, 0"},
        {"FileDescription", "Tessaly"},
        {"ProductName", "Tessaly"},
        {"CompanyName", "Varnoth Corporation"},
        {"LegalCopyright", "Copyright (C) 1998-2003 Varnoth Corporation"},
    };
    for (const auto& [name, value] : strings) {
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        char* text = nullptr;
        ASSERT_TRUE(
            ::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_STREQ(text, value);
    }
    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);
}

}  // namespace
}  // namespace tessaly::app::win32
