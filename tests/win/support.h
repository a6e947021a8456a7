// Helpers of the tests under Wine: the reference MD5, files, clipboard, messages, keys.
#pragma once

#include <windows.h>

#include <bcrypt.h>
#include <stdint.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

// The one patience of every wait: an emulated window starts in seconds (CMakeLists.txt).
const DWORD kPatience = KESTRUM_TEST_PATIENCE_MS;

// Stops the test, saying what failed and the platform's last error, unless ok.
inline void Require(bool ok, const std::string &what) {
    if (!ok)
        throw std::runtime_error(what + (" (error " + std::to_string(GetLastError()) + ")"));
}

// Runs this thread's waiting messages, keys through their dialog as a modal loop does.
inline void RunMessages() {
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : NULL;
        if (root == NULL || !IsDialogMessageW(root, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// Runs this thread's messages until done(context) holds; false if not in time.
inline bool WaitFor(bool (*done)(void *context), void *context) {
    for (DWORD start = GetTickCount();; Sleep(20)) {
        RunMessages();
        if (done(context))
            return true;
        if (GetTickCount() - start > kPatience)
            return false;
    }
}

inline void PressKey(WPARAM key, bool alt = false) {
    PostMessageW(GetFocus(), alt ? WM_SYSCHAR : WM_KEYDOWN, key, alt ? 1 << 29 : 1);
    RunMessages();
}

// The platform's MD5 in uppercase digits, by its one-call hash and MD5 pseudo-handle (0x21).
extern "C" NTSTATUS WINAPI BCryptHash(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, PUCHAR, ULONG, PUCHAR,
                                      ULONG);

inline std::wstring PlatformMd5(const std::string &bytes) {
    BYTE digest[16];
    Require(BCryptHash((BCRYPT_ALG_HANDLE)0x21, NULL, 0, (PUCHAR)bytes.data(), (ULONG)bytes.size(),
                       digest, 16) == 0,
            "the platform's MD5 failed");
    wchar_t text[33];
    for (int i = 0; i < 16; i++)
        wsprintfW(text + 2 * i, L"%02X", digest[i]);
    return text;
}

// In the system code page.
inline std::string Narrow(const std::wstring &text) {
    std::string narrow(text.size() * 2, '\0');
    narrow.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &narrow[0],
                                      (int)narrow.size(), NULL, NULL));
    return narrow;
}

inline std::string TestBytes(size_t length, uint32_t seed) {
    std::string bytes(length, '\0');
    for (char &b : bytes)
        b = (char)((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

// Named as no file or folder is: Wine hands out small process ids again.
struct ScratchFolder {
    wchar_t path[MAX_PATH];
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        GetTempFileNameW(temp, L"kes", 0, path);
        DeleteFileW(path);
        CreateDirectoryW(path, NULL);
    }
    ~ScratchFolder() { std::filesystem::remove_all(L"\\\\?\\" + std::wstring(path)); }
};

// In a folder of this process's own.
inline std::wstring ScratchPath(const std::wstring &name) {
    static ScratchFolder folder;
    return folder.path + (L"\\" + name);
}

inline std::wstring WriteScratchFile(const std::wstring &name, const std::string &bytes) {
    std::wstring path = ScratchPath(name);
    std::ofstream file(std::filesystem::path(L"\\\\?\\" + path), std::ios::binary);
    Require(file.write(bytes.data(), bytes.size()).flush().good(),
            "a scratch file was not written");
    return path;
}

// A pipe that takes a reader and never writes to it, named anew.
inline std::wstring SilentPipe() {
    std::wstring name = L"\\\\.\\pipe\\kestrum-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64());
    Require(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE, 0,
                             1, 0, 0, 0, NULL) != INVALID_HANDLE_VALUE,
            "the pipe was not made");
    return name;
}

inline std::wstring ItemText(HWND window, int item) {
    static wchar_t text[65536];
    return std::wstring(text, GetDlgItemTextW(window, item, text, 65536));
}

inline void PutOnClipboard(const std::wstring &text) {
    // Opened for no window, the clipboard has no owner and refuses new data.
    static HWND owner =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    bool put = OpenClipboard(owner) && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    Require(put, "the text was not put on the clipboard");
}

// Import slots (__imp_Name) pointed elsewhere, and what each held.
inline std::vector<std::pair<void **, void *>> g_redirected;

template <typename Replacement> void Redirect(void *&slot, Replacement replacement) {
    DWORD protection;
    VirtualProtect(&slot, sizeof(void *), PAGE_READWRITE, &protection);
    g_redirected.push_back({&slot, slot});
    slot = (void *)+replacement;
}

inline void RestoreImports() {
    for (; !g_redirected.empty(); g_redirected.pop_back())
        *g_redirected.back().first = g_redirected.back().second;
}
