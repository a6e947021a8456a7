#include "support.h"

#include <wincrypt.h>

#include <random>

std::wstring PlatformMd5(const std::string &bytes) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[16] = {};
    DWORD size = sizeof(digest);
    CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    CryptCreateHash(provider, CALG_MD5, 0, 0, &hash);
    CryptHashData(hash, (const BYTE *)bytes.data(), (DWORD)bytes.size(), 0);
    CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    std::wstring text;
    for (BYTE b : digest)
        text += std::wstring(1, L"0123456789ABCDEF"[b >> 4]) + L"0123456789ABCDEF"[b & 15];
    return text;
}

std::string Narrow(const std::wstring &text) {
    std::string narrow(text.size() * 2, '\0');
    narrow.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &narrow[0],
                                      (int)narrow.size(), NULL, NULL));
    return narrow;
}

std::string TestBytes(size_t length, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char &b : bytes)
        b = (char)random();
    return bytes;
}

std::wstring ScratchPath(const std::wstring &name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp + std::wstring(L"kestrum-") + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), NULL);
    return folder + L"\\" + name;
}

std::wstring WriteScratchFile(const std::wstring &name, const std::string &bytes) {
    std::wstring path = name.find(L'\\') == std::wstring::npos ? ScratchPath(name) : name;
    HANDLE file =
        CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return path;
}

std::wstring DeepFolder(size_t length) {
    std::wstring path = ScratchPath(L"deep");
    for (wchar_t c = L'a'; path.size() < length; c++) {
        CreateDirectoryW((L"\\\\?\\" + path).c_str(), NULL);
        path += L"\\" + std::wstring(99, c);
    }
    CreateDirectoryW((L"\\\\?\\" + path).c_str(), NULL);
    return path;
}

std::wstring ItemText(HWND window, int item) {
    HWND field = GetDlgItem(window, item);
    std::wstring text(GetWindowTextLengthW(field) + 1, L'\0');
    text.resize(GetWindowTextW(field, &text[0], (int)text.size()));
    return text;
}

std::string ClipboardText() {
    std::string text = "(none)";
    OpenClipboard(NULL);
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data != NULL) {
        text = (const char *)GlobalLock(data);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const std::wstring &text) {
    size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), text.c_str(), size);
    GlobalUnlock(block);
    OpenClipboard(NULL);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

void RunDialogLoop(HWND dialog, int milliseconds) {
    for (DWORD end = GetTickCount() + milliseconds; (int)(end - GetTickCount()) > 0; Sleep(10)) {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageW(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}

void PressKey(HWND dialog, WPARAM key, bool alt) {
    HWND focus = GetFocus() ? GetFocus() : dialog;
    if (alt)
        PostMessageW(focus, WM_SYSCHAR, key, 1 << 29);
    else
        PostMessageW(focus, WM_KEYDOWN, key, 1);
    RunDialogLoop(dialog, 200);
}

namespace {

struct ModalDriver {
    HWND owner;
    bool (*drive)(HWND, void *);
    void *context;
    UINT_PTR timer;
} g_driver;

BOOL CALLBACK DriveIfOwnedBox(HWND window, LPARAM) {
    wchar_t type[8] = {};
    GetClassNameW(window, type, 8);
    if (lstrcmpW(type, L"#32770") != 0 || !IsWindowVisible(window) ||
        GetWindow(window, GW_OWNER) != g_driver.owner)
        return TRUE;
    if (g_driver.drive != NULL && g_driver.drive(window, g_driver.context))
        StopDriving();
    return FALSE;
}

void CALLBACK LookForBox(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), DriveIfOwnedBox, 0);
}

} // namespace

void DriveModalBox(HWND owner, bool (*drive)(HWND, void *), void *context) {
    g_driver = {owner, drive, context, SetTimer(NULL, 0, 100, LookForBox)};
}

void StopDriving() {
    KillTimer(NULL, g_driver.timer);
    g_driver.drive = NULL;
}
