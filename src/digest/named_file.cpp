#include "named_file.h"

namespace {

// 32,767 characters and the terminator: the longest path the platform has.
const DWORD kLongestPath = 32768;
// Free room before the full path for the long form's prefix.
const int kPrefixRoom = 8;

bool HasPrefix(const wchar_t *text, const wchar_t *prefix) {
    for (; *prefix; text++, prefix++) {
        if (*text != *prefix)
            return false;
    }
    return true;
}

// A \\?\ or \\.\ path: the platform takes it as it stands, unparsed.
bool IsRawForm(const wchar_t *path) {
    return HasPrefix(path, L"\\\\?\\") || HasPrefix(path, L"\\\\.\\");
}

// Whether the full path lies in %windir%\Sysnative, the alias that a 32-bit
// program on 64-bit Windows has for the system's own System32.
bool IsInSysnative(const wchar_t *full) {
    wchar_t alias[MAX_PATH + 16];
    UINT length = GetSystemWindowsDirectoryW(alias, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    lstrcatW(alias, L"\\Sysnative\\");
    const wchar_t *plain = IsRawForm(full) ? full + 4 : full;
    int aliasLength = lstrlenW(alias);
    return lstrlenW(plain) > aliasLength &&
           CompareStringOrdinal(plain, aliasLength, alias, aliasLength, TRUE) == CSTR_EQUAL;
}

// Writes prefix into the free room just before rest; returns where it starts.
wchar_t *PutBefore(const wchar_t *prefix, wchar_t *rest) {
    int length = lstrlenW(prefix);
    for (int i = 0; i < length; i++)
        rest[i - length] = prefix[i];
    return rest - length;
}

// A path of MAX_PATH characters or more opens only in the long form, made
// from the full path: \\?\C:\... or \\?\UNC\server\share\..., in place of
// the first \ of \\server. A shorter one, or a raw form, opens as it stands.
const wchar_t *PickForm(const wchar_t *path, wchar_t *full, DWORD fullLength) {
    if (IsRawForm(path) || fullLength < MAX_PATH)
        return path;
    if (HasPrefix(full, L"\\\\"))
        return PutBefore(L"\\\\?\\UNC", full + 1);
    if (full[1] == L':')
        return PutBefore(L"\\\\?\\", full);
    return path;
}

// A 32-bit program on 64-bit Windows has its opens in System32 served from
// SysWOW64: under a System32 path it would show another file's digest. The
// redirection is turned off for this thread around the one open only, since
// the DLLs the thread loads are found through it. Sysnative exists only
// through the redirection, so a path in it is opened with it on. A pipe
// server reached through the path may learn who connected, but it cannot act
// as that user.
HANDLE OpenUnredirected(const wchar_t *form, bool inSysnative) {
    PVOID redirection = NULL;
    BOOL off = !inSysnative && Wow64DisableWow64FsRedirection(&redirection);
    HANDLE file =
        CreateFileW(form, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, NULL);
    if (off)
        Wow64RevertWow64FsRedirection(redirection);
    return file;
}

// Anything but a file on a disk (a pipe, a socket, a port, a console) is
// refused: a read of it might never return, and the window would wait for
// good.
HANDLE KeepDiskFileOnly(HANDLE file) {
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

} // namespace

// The full path is made once. It resolves "." and ".." and turns "/" into
// "\", which the platform does not do in the long form; and a short relative
// path may name a long one once the current folder is put in front of it, so
// the length that counts is the full path's. Without it the path opens as it
// stands.
HANDLE OpenNamedFile(const wchar_t *path) {
    wchar_t *room = (wchar_t *)LocalAlloc(LPTR, (kPrefixRoom + kLongestPath) * sizeof(wchar_t));
    wchar_t *full = room != NULL ? room + kPrefixRoom : NULL;
    DWORD length = full != NULL ? GetFullPathNameW(path, kLongestPath, full, NULL) : 0;
    if (length >= kLongestPath)
        length = 0;
    bool inSysnative = length > 0 && IsInSysnative(full);
    HANDLE file = OpenUnredirected(length > 0 ? PickForm(path, full, length) : path, inSysnative);
    LocalFree(room);
    return KeepDiskFileOnly(file);
}
