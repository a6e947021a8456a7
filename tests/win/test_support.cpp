#include "test_support.h"

#include "app/app.h"
#include "resource.h"
#include "ui/main_dialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <wincrypt.h>

std::wstring PlatformMd5(const void *bytes, size_t length) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[16] = {};
    DWORD size = sizeof(digest);
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return L"no provider";
    CryptCreateHash(provider, CALG_MD5, 0, 0, &hash);
    CryptHashData(hash, (const BYTE *)bytes, (DWORD)length, 0);
    CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    std::wstring text;
    for (BYTE b : digest) {
        text += L"0123456789ABCDEF"[b >> 4];
        text += L"0123456789ABCDEF"[b & 15];
    }
    return text;
}

ScratchFolder::ScratchFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int serial;
    path = std::wstring(base) + L"kestrum-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++serial);
    CreateDirectoryW(path.c_str(), NULL);
}

namespace {

void RemoveTree(const std::wstring &path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW((L"\\\\?\\" + child).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW((L"\\\\?\\" + path).c_str());
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

ScratchFolder::~ScratchFolder() { RemoveTree(path); }

void WriteBytes(const std::wstring &path, const std::vector<uint8_t> &bytes) {
    std::wstring full = path.size() >= MAX_PATH ? L"\\\\?\\" + path : path;
    HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

std::wstring ItemText(HWND dialog, int item) {
    HWND field = GetDlgItem(dialog, item);
    std::wstring text(GetWindowTextLengthW(field) + 1, L'\0');
    text.resize(GetWindowTextW(field, &text[0], (int)text.size()));
    return text;
}

FieldWindow::FieldWindow(std::vector<int> items) {
    WNDCLASSW type = {};
    type.lpfnWndProc = PlainWindowProc;
    type.hInstance = GetModuleHandleW(NULL);
    type.lpszClassName = L"KestrumTestWindow";
    RegisterClassW(&type);
    window = CreateWindowExW(0, type.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                             NULL, NULL, type.hInstance, NULL);
    for (size_t i = 0; i < items.size(); i++)
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, (int)i * 20,
                        380, 20, window, (HMENU)(INT_PTR)items[i], type.hInstance, NULL);
}

FieldWindow::~FieldWindow() { DestroyWindow(window); }

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

namespace {

bool (*g_drive)(void *);
void *g_driveContext;
UINT_PTR g_driveTimer;

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_drive != NULL && g_drive(g_driveContext))
        StopDrivingModalLoop();
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK CheckOwned(HWND window, LPARAM lParam) {
    OwnedSearch *search = (OwnedSearch *)lParam;
    wchar_t type[16] = {};
    GetClassNameW(window, type, 16);
    if (lstrcmpW(type, L"#32770") == 0 && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void DriveModalLoop(bool (*drive)(void *context), void *context) {
    StopDrivingModalLoop();
    g_drive = drive;
    g_driveContext = context;
    g_driveTimer = SetTimer(NULL, 0, 100, DriveTimer);
}

void StopDrivingModalLoop() {
    if (g_driveTimer != 0)
        KillTimer(NULL, g_driveTimer);
    g_driveTimer = 0;
    g_drive = NULL;
}

HWND FindOwnedDialog(HWND owner) {
    OwnedSearch search = {owner, NULL};
    EnumThreadWindows(GetCurrentThreadId(), CheckOwned, (LPARAM)&search);
    return search.found;
}

HDROP MakeDrop(const std::vector<std::wstring> &paths) {
    size_t characters = 1;
    for (const auto &path : paths)
        characters += path.size() + 1;
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    DROPFILES *header = (DROPFILES *)GlobalLock(drop);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    wchar_t *names = (wchar_t *)(header + 1);
    for (const auto &path : paths) {
        lstrcpyW(names, path.c_str());
        names += path.size() + 1;
    }
    GlobalUnlock(drop);
    return (HDROP)drop;
}

std::string ClipboardText() {
    std::string text = "(none)";
    if (!OpenClipboard(NULL))
        return "(clipboard busy)";
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data != NULL) {
        const char *bytes = (const char *)GlobalLock(data);
        text.assign(bytes, strnlen(bytes, GlobalSize(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const char *text) {
    size_t size = strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    OpenClipboard(NULL);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string Narrow(const std::wstring &text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &narrow[0], size, NULL, NULL);
    return narrow;
}

HWND CreateMainDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    g_instance = GetModuleHandleW(NULL);
    return CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, MainDialogProc, 0);
}
