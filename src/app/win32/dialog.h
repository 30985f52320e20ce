// A modal dialog box of our own: DialogBoxParamA on a template of the program's
// resources, `this` kept in the window's DWLP_USER slot, and one virtual handler per
// message the program answers. A handler that returns false leaves the message to the
// dialog manager. The defaults mirror the dialog manager: the OK command ends the
// dialog with IDOK, the cancel command with IDCANCEL, and WM_CLOSE becomes the cancel
// command. Nothing thrown by a handler leaves the dialog procedure.
#pragma once

#include <optional>

#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {

class Dialog {
  public:
    Dialog(HINSTANCE instance, int templateId) : instance_(instance), templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; the value given to End, or -1 when it could not be made.
    INT_PTR Run(HWND owner);
    // Makes the dialog modeless and hidden (unless its template says visible); for tests
    // and tools that inspect the window. The window belongs to the caller: DestroyWindow.
    HWND Create(HWND owner);

    HWND Window() const { return window_; }
    HINSTANCE Instance() const { return instance_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }

  protected:
    // WM_INITDIALOG: true lets the dialog manager set the focus.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND; code is the notification code (0 for menus, accelerators and clicks).
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnSysCommand(WPARAM command, LPARAM position);
    virtual bool OnTimer(UINT_PTR id);
    virtual bool OnPaint() { return false; }
    virtual bool OnClose() { return false; }
    virtual bool OnShowWindow(bool shown, LPARAM status);
    // WM_QUERYDRAGICON: the icon to drag while minimised, or null for the default.
    virtual HICON OnQueryDragIcon() { return nullptr; }
    virtual void OnDestroy() {}

    // Ends a modal dialog with the given result (EndDialog).
    void End(INT_PTR result);
    // The dialog manager's own handling of a message, for handlers that add to it.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The message for the handlers: whether it was handled and the procedure's result.
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    HINSTANCE instance_;
    int templateId_;
    HWND window_ = nullptr;
    // The message Default passes to the dialog manager, which calls the dialog
    // procedure again with it: that call goes straight back to the manager.
    std::optional<UINT> defaulting_;
};

}  // namespace tessaly::app::win32
