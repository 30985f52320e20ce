// BeginPaint and EndPaint as one object: the device context of a WM_PAINT.
#pragma once

#include "app/win32/win32_api.h"

namespace tessaly::app::win32 {

class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

}  // namespace tessaly::app::win32
