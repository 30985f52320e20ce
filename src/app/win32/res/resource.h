// Resource ids of tessaly.exe: dialogs, icons and strings, and the controls of each
// dialog (from the program's control ids). Included by tessaly.rc and by the C++ code that
// loads the resources.
#pragma once

#include "app/control_ids.h"

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

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
