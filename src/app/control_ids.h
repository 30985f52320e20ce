// Control and command ids of the main window, the one definition for the resource script
// and the code. Plain preprocessor definitions, so that the resource compiler reads them
// too.
#pragma once

// Controls of the main window. Exit is IDCANCEL.
#define IDC_DRIVE_LIST 1000
#define IDC_HOST_ADAPTER 1001
#define IDC_TARGET_ID 1002
#define IDC_LEAD_OUT_TIME 1003
#define IDC_LEAD_OUT_LBA 1004
#define IDC_MANUFACTURER 1005
#define IDC_LEAD_IN_TIME 1006
#define IDC_STATUS 1007
#define IDC_LEAD_IN_LBA 1008  // hidden; a click on it refreshes the disc fields
#define IDC_EJECT_LOAD 1010
#define IDC_PRINT 1011
#define IDC_EXTRA_LINE1 1012
#define IDC_EXTRA_LINE2 1013

// The warning icon of the ASPI warning dialog.
#define IDC_WARNING_ICON 1009

// The About item of the main window's system menu.
#define IDM_ABOUTBOX 16

#if defined(__cplusplus) && !defined(RC_INVOKED)
namespace tessaly::app {

// Every value field of the main window; the other controls are labels and buttons.
inline constexpr int kValueFieldIds[] = {
    IDC_HOST_ADAPTER, IDC_TARGET_ID, IDC_LEAD_OUT_TIME, IDC_LEAD_OUT_LBA, IDC_MANUFACTURER,
    IDC_LEAD_IN_TIME, IDC_STATUS,    IDC_LEAD_IN_LBA,   IDC_EXTRA_LINE1,  IDC_EXTRA_LINE2};

}  // namespace tessaly::app
#endif
