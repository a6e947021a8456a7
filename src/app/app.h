// Start-up, and the globals the main window shares with it.
#pragma once

#include <windows.h>

extern HINSTANCE g_instance;        // the module instance
extern wchar_t *g_launchPath;       // the first command-line argument, whole; NULL when none
extern HWND g_resultWnd;            // IDC_RESULT
extern HWND g_referenceWnd;         // IDC_REFERENCE
extern HBRUSH g_whiteBrush;         // solid white, for the colour messages
extern CRITICAL_SECTION g_textLock; // brackets the text digest

// Holds the search for the DLLs loaded by name from here on to System32: the
// process entry's first act.
void RestrictDllSearch();

// Keeps the first argument of commandLine (a whole command line, program
// name first) in g_launchPath; any further arguments are ignored.
void TakeLaunchPath(const wchar_t *commandLine);

// The program's main function: runs the main dialog modally, returns 0.
int WINAPI AppMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
