// The main window as its logic sees it: value fields, the drive list, message boxes,
// the two small dialogs, timers and closing. The real program implements it with
// Win32 controls; the headless runner records what a user would see.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/control_ids.h"
#include "disc/disc_fields.h"

namespace tessaly::app {

// The control that shows a disc field.
constexpr int FieldControlId(DiscField field) {
    switch (field) {
        case kFieldLeadOutTime:
            return IDC_LEAD_OUT_TIME;
        case kFieldLeadOutLba:
            return IDC_LEAD_OUT_LBA;
        case kFieldManufacturer:
            return IDC_MANUFACTURER;
        case kFieldLeadInTime:
            return IDC_LEAD_IN_TIME;
        case kFieldStatus:
            return IDC_STATUS;
        case kFieldLeadInLba:
            return IDC_LEAD_IN_LBA;
        case kFieldExtra:
            break;
    }
    return IDC_EXTRA_LINE1;
}

// Message box styles and answers (the Win32 values).
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

inline constexpr std::uint32_t kColorNavy = 0x800000;  // COLORREF: red 0, green 0, blue 128

class MainView : public DiscFields {
  public:
    // LinkLabel::SetText of a value field, its colour, and GetText.
    virtual void SetText(int controlId, std::string_view text) = 0;
    virtual void SetTextColor(int controlId, std::uint32_t colorRef) = 0;
    virtual std::string GetText(int controlId) = 0;

    // The drop-down list of drives.
    virtual void AddDriveItem(std::string_view text) = 0;  // CB_ADDSTRING
    virtual void SelectDriveItem(int index) = 0;           // CB_SETCURSEL
    virtual int SelectedDriveItem() = 0;                   // CB_GETCURSEL, -1 for none

    // A modal message box; returns the answer (kIdOk, kIdCancel).
    virtual int MessageBox(std::string_view text, std::string_view caption, unsigned style) = 0;
    // The window itself (HWND), which owns the dialogs it opens; 0 while there is none.
    virtual std::uintptr_t WindowHandle() = 0;
    // The caption of message boxes that give none: the program file's name.
    virtual std::string ApplicationName() = 0;
    virtual void ShowAboutDialog() = 0;
    virtual void ShowAspiWarningDialog() = 0;

    // Window timers: SetTimer's result (0 on failure) and KillTimer.
    virtual std::uintptr_t SetTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(std::uintptr_t timer) = 0;

    // SendMessage(WM_CLOSE); DestroyWindow; EndDialog.
    virtual void Close() = 0;
    virtual void DestroyWindow() = 0;
    virtual void EndDialog(int result) = 0;

    // DiscFields: the value field that shows each.
    void SetField(DiscField field, std::string_view text) final {
        SetText(FieldControlId(field), text);
    }
    std::string GetField(DiscField field) final { return GetText(FieldControlId(field)); }
};

}  // namespace tessaly::app
