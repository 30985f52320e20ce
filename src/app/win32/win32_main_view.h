// MainView on the controls of the real main window (template 102): the value fields
// (each a LinkLabel on its static), the drive list, message boxes, the About and ASPI
// warning dialogs, the window's timers and the ways it closes. Message boxes and the two dialogs go
// through hooks when they are set, so that tests can answer them without a user.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_view.h"
#include "app/win32/value_field.h"
#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {

struct ViewHooks {
    std::function<int(std::string_view text, std::string_view caption, unsigned style)> messageBox;
    std::function<void()> aboutDialog;
    std::function<void()> aspiWarningDialog;
};

class Win32MainView final : public MainView {
  public:
    explicit Win32MainView(HINSTANCE instance) : instance_(instance) {}

    // Binds the view to the dialog window and its value fields (at WM_INITDIALOG).
    void Attach(HWND window);
    void Detach();
    HWND Window() const { return window_; }
    void SetHooks(ViewHooks hooks) { hooks_ = std::move(hooks); }

    // MainView
    void SetText(int controlId, std::string_view text) override;
    void SetTextColor(int controlId, std::uint32_t colorRef) override;
    std::string GetText(int controlId) override;
    void AddDriveItem(std::string_view text) override;
    void SelectDriveItem(int index) override;
    int SelectedDriveItem() override;
    int MessageBox(std::string_view text, std::string_view caption, unsigned style) override;
    std::uintptr_t WindowHandle() override { return reinterpret_cast<std::uintptr_t>(window_); }
    std::string ApplicationName() override;
    void ShowAboutDialog() override;
    void ShowAspiWarningDialog() override;
    std::uintptr_t SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(std::uintptr_t timer) override;
    void Close() override;
    void DestroyWindow() override;
    void EndDialog(int result) override;

  private:
    ValueField* Field(int controlId) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    ViewHooks hooks_;
    std::vector<std::unique_ptr<ValueField>> fields_;
};

// The program file's name without folder and extension ("tessaly").
std::string ProgramName(HINSTANCE instance);

}  // namespace tessaly::app::win32
