// The one door through which a path reaches the platform: it opens the file
// on a disk that the path names, as the system's own programs read it, at any
// length the platform allows.
#pragma once

#include <windows.h>

// Opens the file that path names for reading, shared: other programs may go
// on reading and writing it meanwhile. INVALID_HANDLE_VALUE when it cannot be
// opened or is not a file on a disk.
HANDLE OpenNamedFile(const wchar_t *path);
