// A static control that paints itself: coloured, gradient or transparent background,
// blinking, raised or rotated text in a font of its own, and a click that opens a link,
// writes a mail or notifies the parent. Attach subclasses an existing static control
// (SetWindowLongPtrA on GWLP_WNDPROC, `this` in GWLP_USERDATA: pointer-sized in either
// build, and the same SetWindowLongA import as ever in the 32-bit one); the label must outlive the
// window or be detached first. The state and its rules live in app/link_label_state.h;
// this class does the window and GDI work they ask for. Nothing thrown leaves the window
// procedure.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/link_label_state.h"
#include "app/win32/link_label_gdi.h"

namespace tessaly::app::win32 {

class LinkLabel {
  public:
    // Reads the window-text colour and makes the button-face brush.
    LinkLabel();
    // Detaches and deletes the font and brushes.
    ~LinkLabel();
    LinkLabel(const LinkLabel&) = delete;
    LinkLabel& operator=(const LinkLabel&) = delete;

    // Subclasses the static control and takes its font (or the stock system font).
    // False when window is null or already subclassed by another label.
    bool Attach(HWND window);
    // Gives the window its own procedure back; done by the destructor and when the window
    // is destroyed.
    void Detach();
    HWND Window() const { return window_; }

    LinkLabel& SetBackground(COLORREF colour, COLORREF gradientEnd = 0, bool gradient = false);
    LinkLabel& SetTextColor(COLORREF colour);
    // Changes the text shown, never the window text.
    LinkLabel& SetText(std::string_view text);
    // The stored text: the marker until the first painting when none was set.
    std::string GetText() const { return state_.GetText(); }
    LinkLabel& CopyText(std::string& out);
    LinkLabel& SetBold(bool bold);
    LinkLabel& SetFaceName(std::string_view name, BYTE charSet = DEFAULT_CHARSET);
    LinkLabel& SetUnderline(bool underline);
    LinkLabel& SetItalic(bool italic);
    LinkLabel& SetPointSize(int points);
    LinkLabel& SetSunken(bool sunken);
    LinkLabel& SetBorder(bool border);
    LinkLabel& SetTransparent(bool transparent);
    LinkLabel& FlashText(bool on);
    LinkLabel& FlashBackground(bool on);
    LinkLabel& SetLink(bool on, bool notifyParent);
    LinkLabel& SetLinkCursor(HCURSOR cursor);
    LinkLabel& Set3DText(bool on, int direction);
    LinkLabel& SetRotation(int degrees, bool rotated);
    LinkLabel& SetHighlightColor(COLORREF colour);
    LinkLabel& SetLogFont(const LOGFONTA& font);
    LinkLabel& SetMailLink(bool on, bool notifyParent);
    LinkLabel& SetLinkTarget(std::string_view target);

    // One painting of the attached window onto dc, whose origin is the client area's.
    void PaintOn(HDC dc, const RECT& client);

    const LinkLabelState& State() const { return state_; }
    HFONT Font() const { return font_.Get(); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);

    LinkLabel& Apply(const LabelActions& actions);
    void ApplyStyle(const StyleChange& change);
    void RebuildFont();
    void Redraw();
    std::string WindowText() const;

    LinkLabelState state_;
    HWND window_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    GdiObject<HFONT> font_;
    GdiObject<HBRUSH> systemBrush_;
    GdiObject<HBRUSH> customBrush_;
};

}  // namespace tessaly::app::win32
