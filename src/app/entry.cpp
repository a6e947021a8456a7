// The process entry. The program has no C runtime start-up, no static
// initialisers and no exit-time functions: it calls AppMain and ends.
#include "app.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD directories);

// Windows looks for a DLL in the program's folder before System32. The
// program's own imports are exempt, but the file dialog, the shell and the
// drop code load more DLLs by name as the program runs, and the program often
// lies in a Downloads folder beside files not yet checked: any of them named
// like such a DLL would run inside it. So the search is held to System32
// before anything can load a DLL. A Windows 7 without KB2533623 has no
// SetDefaultDllDirectories: there the current folder at least is left out.
static void RestrictDllSearch() {
    SetDefaultDllDirectoriesFunction setDefault =
        (SetDefaultDllDirectoriesFunction)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                 "SetDefaultDllDirectories");
    if (setDefault != NULL)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

// The loader may enter with the stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void WINAPI KestrumEntry(void) {
    RestrictDllSearch();
    ExitProcess((UINT)AppMain(GetModuleHandleA(NULL), NULL, GetCommandLineW(), SW_SHOWDEFAULT));
}
