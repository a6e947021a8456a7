#include "app.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "../ui/main_dialog.h"
#include "resource.h"

HINSTANCE g_instance;
wchar_t *g_launchPath;
HWND g_resultWnd;
HWND g_referenceWnd;
HBRUSH g_whiteBrush;
CRITICAL_SECTION g_textLock;

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD directories);

// Windows looks for a DLL in the program's folder before System32. The
// program's own imports are exempt, but the file dialog, the shell and the
// drop code load more DLLs by name as the program runs, and the program often
// lies in a Downloads folder beside files not yet checked: any of them named
// like such a DLL would run inside it. So the search is held to System32,
// before anything can load a DLL. A Windows 7 without KB2533623 has no
// SetDefaultDllDirectories: there the current folder at least is left out.
void RestrictDllSearch() {
    SetDefaultDllDirectoriesFunction setDefault =
        (SetDefaultDllDirectoriesFunction)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                 "SetDefaultDllDirectories");
    if (setDefault != NULL)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

void TakeLaunchPath(const wchar_t *commandLine) {
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == NULL)
        return;
    // Sized to the argument: a long path is kept whole, never cut into another.
    if (count > 1) {
        g_launchPath = (wchar_t *)LocalAlloc(LPTR, (lstrlenW(arguments[1]) + 1) * sizeof(wchar_t));
        if (g_launchPath != NULL)
            lstrcpyW(g_launchPath, arguments[1]);
    }
    LocalFree(arguments);
}

int WINAPI AppMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    g_instance = instance;
    TakeLaunchPath(GetCommandLineW());

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    // The shell may open the link, and the file dialog its folders, through
    // COM handlers: the window's thread is their apartment, for as long as
    // the process runs.
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, MainDialogProc, 0);
    return 0;
}
