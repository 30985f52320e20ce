// Resource ids of tessaly.exe: dialogs, icons, strings and the controls of each dialog.
// Included by tessaly.rc and by the C++ code that loads the resources.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_ASPI_WARNING 130

// Icons; the first one is the program file's icon.
#define IDR_MAINFRAME 128
#define IDI_WINDOW_LOGO 131
#define IDI_EJECT 132
#define IDI_PRINTER 133

// Strings.
#define IDS_ABOUTBOX 101
#define IDS_VERSION 102

// Controls of the main window.
#define IDC_DRIVE_LIST 1000
#define IDC_HOST_ADAPTER 1001
#define IDC_TARGET_ID 1002
#define IDC_LEAD_OUT_TIME 1003
#define IDC_LEAD_OUT_LBA 1004
#define IDC_MANUFACTURER 1005
#define IDC_LEAD_IN_TIME 1006
#define IDC_STATUS 1007
#define IDC_LEAD_IN_LBA 1008
#define IDC_EJECT_LOAD 1010
#define IDC_PRINT 1011
#define IDC_EXTRA_LINE1 1012
#define IDC_EXTRA_LINE2 1013

// The warning icon of the ASPI warning dialog.
#define IDC_WARNING_ICON 1009

// The About item of the main window's system menu.
#define IDM_ABOUTBOX 16

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
