// A value field of the main window as the view writes it: text, text colour and the
// text read back. StaticField binds a plain static control: the text is the window
// text, and the colour is applied when the static asks its dialog for colours
// (WM_CTLCOLORSTATIC), through TextColour.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {

class ValueField {
  public:
    virtual ~ValueField() = default;
    virtual void SetText(std::string_view text) = 0;
    virtual std::string GetText() const = 0;
    virtual void SetTextColor(COLORREF colour) = 0;
    // The colour the dialog paints the control's text in, nullopt for the default.
    virtual std::optional<COLORREF> TextColour() const = 0;
    virtual HWND Control() const = 0;
};

class StaticField final : public ValueField {
  public:
    explicit StaticField(HWND control) : control_(control) {}

    void SetText(std::string_view text) override;
    std::string GetText() const override;
    void SetTextColor(COLORREF colour) override;
    std::optional<COLORREF> TextColour() const override { return colour_; }
    HWND Control() const override { return control_; }

  private:
    HWND control_;
    std::optional<COLORREF> colour_;
};

// The text of any window (GetWindowTextA).
std::string WindowText(HWND window);

}  // namespace tessaly::app::win32
