// The warning about an outdated ASPI manager (template 130): the system's exclamation
// icon beside the text, centred on its owner (on the screen while the owner is not
// shown yet), and gone by itself with IDOK after 10 seconds. Enter gives IDOK, Esc
// IDCANCEL; it has no system menu.
#pragma once

#include "app/win32/dialog.h"

namespace tessaly::app::win32 {

inline constexpr UINT_PTR kAspiWarningTimerId = 0;
inline constexpr UINT kAspiWarningMilliseconds = 10000;

class AspiWarningDialog final : public Dialog {
  public:
    explicit AspiWarningDialog(HINSTANCE instance);

  protected:
    bool OnInitDialog() override;
    bool OnShowWindow(bool shown, LPARAM status) override;
    bool OnTimer(UINT_PTR id) override;

  private:
    void CentreOnOwner();
};

}  // namespace tessaly::app::win32
