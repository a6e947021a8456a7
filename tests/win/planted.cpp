// A DLL beside the program: loaded, it ends the program with exit code 77.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    return reason != DLL_PROCESS_ATTACH || TerminateProcess(GetCurrentProcess(), 77);
}
