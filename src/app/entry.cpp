// The process entry. The program has no C runtime start-up, no static
// initialisers and no exit-time functions: it calls AppMain and ends.
#include "app.h"

// The loader may enter with the stack aligned to 4 bytes only.
extern "C" __attribute__((force_align_arg_pointer)) void WINAPI KestrumEntry(void) {
    RestrictDllSearch(); // first: before anything can load a DLL
    ExitProcess((UINT)AppMain(GetModuleHandleA(NULL), NULL, GetCommandLineW(), SW_SHOWDEFAULT));
}
