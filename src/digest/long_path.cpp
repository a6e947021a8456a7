#include "long_path.h"

namespace {

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

// GetFullPathNameW resolves "." and ".." and turns "/" into "\", which the
// platform does not do for a path in the long-path form.
wchar_t *MakeFullPath(const wchar_t *path) {
    DWORD needed = GetFullPathNameW(path, 0, NULL, NULL);
    if (needed == 0)
        return NULL;
    wchar_t *full = (wchar_t *)LocalAlloc(LPTR, needed * sizeof(wchar_t));
    if (full == NULL)
        return NULL;
    DWORD written = GetFullPathNameW(path, needed, full, NULL);
    if (written == 0 || written >= needed) {
        LocalFree(full);
        return NULL;
    }
    return full;
}

wchar_t *JoinPrefix(const wchar_t *prefix, const wchar_t *rest) {
    int length = lstrlenW(prefix) + lstrlenW(rest) + 1;
    wchar_t *joined = (wchar_t *)LocalAlloc(LPTR, length * sizeof(wchar_t));
    if (joined != NULL) {
        lstrcpyW(joined, prefix);
        lstrcatW(joined, rest);
    }
    return joined;
}

} // namespace

// A short relative path may name a long one once the current folder is put
// in front of it, so the length that counts is the full path's.
wchar_t *MakeLongPathForm(const wchar_t *path) {
    if (IsRawForm(path))
        return NULL;
    wchar_t *full = MakeFullPath(path);
    if (full == NULL)
        return NULL;
    wchar_t *result = NULL;
    bool isLong = lstrlenW(full) >= MAX_PATH;
    if (isLong && HasPrefix(full, L"\\\\"))
        result = JoinPrefix(L"\\\\?\\UNC\\", full + 2);
    else if (isLong && full[0] != 0 && full[1] == L':')
        result = JoinPrefix(L"\\\\?\\", full);
    LocalFree(full);
    return result;
}

bool IsInSysnative(const wchar_t *path) {
    wchar_t alias[MAX_PATH + 16];
    UINT length = GetSystemWindowsDirectoryW(alias, MAX_PATH);
    wchar_t *full = MakeFullPath(path);
    bool inside = false;
    if (length > 0 && length < MAX_PATH && full != NULL) {
        lstrcatW(alias, L"\\Sysnative\\");
        const wchar_t *plain = IsRawForm(full) ? full + 4 : full;
        int aliasLength = lstrlenW(alias);
        inside = lstrlenW(plain) > aliasLength &&
                 CompareStringOrdinal(plain, aliasLength, alias, aliasLength, TRUE) == CSTR_EQUAL;
    }
    LocalFree(full);
    return inside;
}
