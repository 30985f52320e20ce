// The About box (template 100): the logo, the version and the copyright, closed with OK,
// Enter or Esc. The dialog's default handling does all of it.
#pragma once

#include "app/win32/dialog.h"
#include "app/win32/res/resource.h"

namespace tessaly::app::win32 {

class AboutDialog final : public Dialog {
  public:
    explicit AboutDialog(HINSTANCE instance) : Dialog(instance, IDD_ABOUTBOX) {}
};

}  // namespace tessaly::app::win32
