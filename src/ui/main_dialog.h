// The dialog procedure of the main window (IDD_MAIN): turns typing, the
// buttons, dropped files and the link into digests and window services.
#pragma once

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
