#include "app/win32/win32_main_view.h"

#include "app/win32/about_dialog.h"
#include "app/win32/aspi_warning_dialog.h"
#include "app/win32/res/resource.h"

namespace tessaly::app::win32 {

std::string ProgramName(HINSTANCE instance) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(instance, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return {};
    std::string name(path, length);
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void Win32MainView::Attach(HWND window) {
    window_ = window;
    fields_.clear();
    for (int id : kValueFieldIds)
        fields_.push_back(std::make_unique<LabelField>(::GetDlgItem(window, id)));
}

void Win32MainView::Detach() {
    fields_.clear();
    window_ = nullptr;
}

ValueField* Win32MainView::Field(int controlId) const {
    const HWND control = ::GetDlgItem(window_, controlId);
    for (const auto& field : fields_) {
        if (field->Control() == control && control != nullptr)
            return field.get();
    }
    return nullptr;
}

void Win32MainView::SetText(int controlId, std::string_view text) {
    if (ValueField* field = Field(controlId))
        field->SetText(text);
    else
        ::SetDlgItemTextA(window_, controlId, std::string(text).c_str());
}

void Win32MainView::SetTextColor(int controlId, std::uint32_t colorRef) {
    if (ValueField* field = Field(controlId))
        field->SetTextColor(static_cast<COLORREF>(colorRef));
}

std::string Win32MainView::GetText(int controlId) {
    if (ValueField* field = Field(controlId))
        return field->GetText();
    return WindowText(::GetDlgItem(window_, controlId));
}

void Win32MainView::AddDriveItem(std::string_view text) {
    const std::string item(text);
    ::SendDlgItemMessageA(window_, IDC_DRIVE_LIST, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32MainView::SelectDriveItem(int index) {
    ::SendDlgItemMessageA(window_, IDC_DRIVE_LIST, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32MainView::SelectedDriveItem() {
    const LRESULT index = ::SendDlgItemMessageA(window_, IDC_DRIVE_LIST, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

int Win32MainView::MessageBox(std::string_view text, std::string_view caption, unsigned style) {
    if (hooks_.messageBox)
        return hooks_.messageBox(text, caption, style);
    return ::MessageBoxA(window_, std::string(text).c_str(), std::string(caption).c_str(), style);
}

std::string Win32MainView::ApplicationName() {
    return ProgramName(nullptr);
}

void Win32MainView::ShowAboutDialog() {
    if (hooks_.aboutDialog) {
        hooks_.aboutDialog();
        return;
    }
    AboutDialog about(instance_);
    about.Run(window_);
}

void Win32MainView::ShowAspiWarningDialog() {
    if (hooks_.aspiWarningDialog) {
        hooks_.aspiWarningDialog();
        return;
    }
    AspiWarningDialog warning(instance_);
    warning.Run(window_);
}

std::uintptr_t Win32MainView::SetTimer(unsigned id, unsigned milliseconds) {
    return ::SetTimer(window_, id, milliseconds, nullptr);
}

void Win32MainView::KillTimer(std::uintptr_t timer) {
    ::KillTimer(window_, timer);
}

void Win32MainView::Close() {
    ::SendMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainView::DestroyWindow() {
    ::DestroyWindow(window_);
}

void Win32MainView::EndDialog(int result) {
    ::EndDialog(window_, result);
}

}  // namespace tessaly::app::win32
