// Paths longer than MAX_PATH open only in the platform's long-path form.
#pragma once

#include <windows.h>

// Returns path, made absolute, in the long-path form (\\?\C:\... or
// \\?\UNC\server\share\...) when the absolute path is MAX_PATH characters or
// longer and the path is not already in a raw form; NULL when the path opens
// as it stands or cannot be formed. The result is allocated with LocalAlloc:
// free it with LocalFree.
wchar_t *MakeLongPathForm(const wchar_t *path);
