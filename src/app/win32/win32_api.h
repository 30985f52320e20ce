// <windows.h> for the user-interface code. The API's MessageBox macro is removed: it
// would rename MainView::MessageBox in the files that include both; the code calls
// MessageBoxA by name instead.
#pragma once

#include <windows.h>

#ifdef MessageBox
#undef MessageBox
#endif
