// How a path reaches the platform so that it opens the file the path names:
// one of MAX_PATH characters or more opens only in the long-path form, and
// one in Sysnative only while System32 is redirected.
#pragma once

#include <windows.h>

// Returns path, made absolute, in the long-path form (\\?\C:\... or
// \\?\UNC\server\share\...) when the absolute path is MAX_PATH characters or
// longer and the path is not already in a raw form; NULL when the path opens
// as it stands or cannot be formed. The result is allocated with LocalAlloc:
// free it with LocalFree.
wchar_t *MakeLongPathForm(const wchar_t *path);

// Whether path, made absolute, lies in %windir%\Sysnative, the alias that a
// 32-bit program on 64-bit Windows has for the system's own System32.
bool IsInSysnative(const wchar_t *path);
