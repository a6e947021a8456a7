#include "digest_jobs.h"

#include "long_path.h"
#include "md5.h"

const wchar_t kOutOfMemoryText[] = L"内存不足";

namespace {

const DWORD kReadSize = 1024 * 1024;
const int kDigestTextLength = 128;

// Shows prefix + path + "." in the item. The text is sized to the path, so a
// path of any length the platform allows is shown whole.
void ShowPathFailure(HWND dialog, int item, const wchar_t *prefix, const wchar_t *path) {
    int length = lstrlenW(prefix) + lstrlenW(path) + 2;
    wchar_t *text = (wchar_t *)LocalAlloc(LPTR, length * sizeof(wchar_t));
    if (text == NULL) {
        SetDlgItemTextW(dialog, item, kOutOfMemoryText);
        return;
    }
    lstrcpyW(text, prefix);
    lstrcatW(text, path);
    lstrcatW(text, L".");
    SetDlgItemTextW(dialog, item, text);
    LocalFree(text);
}

// A 32-bit program on 64-bit Windows has its opens in System32 served from
// SysWOW64: under a System32 path it would show another file's digest. The
// redirection is turned off for this thread around the one open only, since
// the DLLs the thread loads are found through it. Sysnative exists only
// through the redirection, so a path in it is opened with it on.
HANDLE OpenUnredirected(const wchar_t *path) {
    PVOID redirection = NULL;
    BOOL off = !IsInSysnative(path) && Wow64DisableWow64FsRedirection(&redirection);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (off)
        Wow64RevertWow64FsRedirection(redirection);
    return file;
}

// Other programs may go on reading and writing the file meanwhile. A
// character device (a port, a console, an endless device) is refused like a
// file that cannot be opened: reading it could block the window for good.
HANDLE OpenForReading(const wchar_t *path) {
    wchar_t *longPath = MakeLongPathForm(path);
    HANDLE file = OpenUnredirected(longPath ? longPath : path);
    if (longPath != NULL)
        LocalFree(longPath);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_CHAR) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Feeds the whole file to the context; FALSE when a read fails part way, so
// that a partial digest is never shown as the file's.
BOOL HashWholeFile(HANDLE file, uint8_t *buffer, Md5Context *context) {
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, kReadSize, &got, NULL))
            return FALSE;
        if (got == 0)
            return TRUE;
        Md5Update(context, buffer, got);
    }
}

void ShowDigest(Md5Context *context, HWND dialog, int item) {
    wchar_t text[kDigestTextLength] = {};
    Md5Final(context);
    FormatDigestHex(context->digest, text);
    SetDlgItemTextW(dialog, item, text);
}

} // namespace

void FormatDigestHex(const uint8_t digest[16], wchar_t *text) {
    for (int i = 0; i < 16; i++)
        wsprintfW(text + 2 * i, L"%02X", digest[i]);
}

void DigestText(const char *bytes, uint32_t length, HWND dialog, int item) {
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, bytes, length);
    ShowDigest(&context, dialog, item);
}

void DigestFile(const wchar_t *path, HWND dialog, int item) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        ShowPathFailure(dialog, item, L"无法打开文件: ", path);
        return;
    }
    uint8_t *buffer = (uint8_t *)LocalAlloc(LPTR, kReadSize);
    if (buffer == NULL) {
        SetDlgItemTextW(dialog, item, kOutOfMemoryText);
        CloseHandle(file);
        return;
    }

    SetCursor(LoadCursorW(NULL, IDC_WAIT));
    Md5Context context;
    Md5Init(&context);
    BOOL complete = HashWholeFile(file, buffer, &context);
    LocalFree(buffer);
    SetCursor(NULL);

    if (complete)
        ShowDigest(&context, dialog, item);
    else
        ShowPathFailure(dialog, item, L"无法读取文件: ", path);
    CloseHandle(file);
}
