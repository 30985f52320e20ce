// A value field of the main window as the view writes it: text, text colour and the
// text read back. LabelField binds the field's static control to a LinkLabel, which
// paints the text in its colour; the window text stays the template's.
#pragma once

#include <string>
#include <string_view>

#include "app/win32/link_label.h"
#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {

class ValueField {
  public:
    virtual ~ValueField() = default;
    virtual void SetText(std::string_view text) = 0;
    virtual std::string GetText() const = 0;
    virtual void SetTextColor(COLORREF colour) = 0;
    virtual HWND Control() const = 0;
};

class LabelField final : public ValueField {
  public:
    // Subclasses the control; the label lets it go when the field or the window goes.
    explicit LabelField(HWND control);

    void SetText(std::string_view text) override { label_.SetText(text); }
    std::string GetText() const override { return label_.GetText(); }
    void SetTextColor(COLORREF colour) override { label_.SetTextColor(colour); }
    HWND Control() const override { return control_; }

  private:
    HWND control_;
    LinkLabel label_;
};

// The text of any window (GetWindowTextA).
std::string WindowText(HWND window);

}  // namespace tessaly::app::win32
