#include "digest_jobs.h"

#include "md5.h"
#include "named_file.h"

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
    HANDLE file = OpenNamedFile(path);
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
