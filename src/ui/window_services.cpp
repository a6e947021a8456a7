#include "window_services.h"

#include <commdlg.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "../app/app.h"
#include "../digest/digest_jobs.h"
#include "resource.h"

namespace {

const int kCopyCapacity = 260;
// Tries at the clipboard and the pause between: a quarter of a second at
// most, too short for a user to notice.
const int kClipboardTries = 10;
const DWORD kClipboardPause = 25;
// 32,767 characters and the terminator.
const DWORD kLongestPath = 32768;

// Allocated and filled before the clipboard is touched, so a failed
// allocation cannot cost the user what the clipboard held.
HGLOBAL MakeTextBlock(const char *text) {
    int length = lstrlenA(text);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, length + 1);
    if (block == NULL)
        return NULL;
    char *bytes = (char *)GlobalLock(block);
    if (bytes == NULL) {
        GlobalFree(block);
        return NULL;
    }
    lstrcpynA(bytes, text, length + 1);
    GlobalUnlock(block);
    return block;
}

// Whether the process runs as administrator, with UAC's full token.
bool IsElevated() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size;
    BOOL read = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return read && elevation.TokenIsElevated != 0;
}

// Run as administrator, the program sits above Explorer's integrity level,
// and Windows silently drops the drop's messages from a lower level: these
// three carry a drop. They are then let in from every lower level, a
// sandboxed low-integrity program's too: at worst such a program can have
// this one digest a file of its choosing, which it only reads. At the user's
// own level Explorer's drops arrive as they are.
void AcceptDropsFromLowerLevels(HWND dialog) {
    const UINT kDropMessages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049 /* WM_COPYGLOBALDATA */};
    for (UINT message : kDropMessages)
        ChangeWindowMessageFilterEx(dialog, message, MSGFLT_ALLOW, NULL);
}

// The shell object behind the desktop's own folder view: it lives in
// Explorer, which runs as the signed-in user. NULL when there is none.
IShellDispatch2 *DesktopShell() {
    IShellWindows *windows = NULL;
    IDispatch *desktop = NULL, *background = NULL, *application = NULL;
    IServiceProvider *services = NULL;
    IShellBrowser *browser = NULL;
    IShellView *view = NULL;
    IShellFolderViewDual *folder = NULL;
    IShellDispatch2 *shell = NULL;
    VARIANT none = {};
    long window;
    if (SUCCEEDED(CoCreateInstance(__uuidof(ShellWindows), NULL, CLSCTX_LOCAL_SERVER,
                                   IID_PPV_ARGS(&windows))) &&
        windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) ==
            S_OK &&
        SUCCEEDED(desktop->QueryInterface(IID_PPV_ARGS(&services))) &&
        SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser))) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) &&
        SUCCEEDED(background->QueryInterface(IID_PPV_ARGS(&folder))) &&
        SUCCEEDED(folder->get_Application(&application)))
        application->QueryInterface(IID_PPV_ARGS(&shell));
    IUnknown *used[] = {windows, desktop, services, browser, view, background, folder, application};
    for (IUnknown *object : used) {
        if (object != NULL)
            object->Release();
    }
    return shell;
}

// Hands the address to the desktop's shell, which opens it as the signed-in
// user. Without that shell nothing opens: a browser running as administrator
// would give any flaw of a web page the whole machine.
void OpenAsDesktopUser(const wchar_t *address) {
    IShellDispatch2 *shell = DesktopShell();
    if (shell == NULL)
        return;
    BSTR file = SysAllocString(address);
    VARIANT none = {}, show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    if (file != NULL)
        shell->ShellExecute(file, none, none, none, show);
    SysFreeString(file);
    shell->Release();
}

// Another program (a clipboard manager, a remote desktop's sync) may hold the
// clipboard open for a moment.
bool OpenClipboardSoon(HWND owner) {
    for (int tries = 1; !OpenClipboard(owner); tries++) {
        if (tries == kClipboardTries)
            return false;
        Sleep(kClipboardPause);
    }
    return true;
}

} // namespace

void SetupMainWindow(HWND dialog) {
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    DragAcceptFiles(dialog, TRUE);
    if (IsElevated())
        AcceptDropsFromLowerLevels(dialog);
    ToggleTopmost(dialog);
}

int ToggleTopmost(HWND window) {
    bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
    return topmost ? 0 : 1;
}

// The path buffer holds the longest path the platform allows, so a chosen
// path of any length is taken whole; it is too large for the stack. The
// platform's dialog makes the chosen file's folder the current one, whatever
// its flags ask, and a current folder cannot be deleted, nor the drive that
// holds it ejected: the earlier one is put back.
void BrowseForFile(HWND dialog, int inputId) {
    wchar_t *path = (wchar_t *)LocalAlloc(LPTR, 2 * kLongestPath * sizeof(wchar_t));
    if (path == NULL)
        return;
    wchar_t *folder = path + kLongestPath;
    GetCurrentDirectoryW(kLongestPath, folder);
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.lpstrFilter = L"All Files(*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = kLongestPath;
    request.lpstrInitialDir = path;
    request.Flags = OFN_READONLY;
    BOOL chosen = GetOpenFileNameW(&request);
    SetCurrentDirectoryW(folder);
    if (chosen) {
        SetDlgItemTextW(dialog, inputId, path);
        DigestFile(path, dialog, IDC_RESULT);
    }
    LocalFree(path);
}

void OpenLink(HWND dialog, const wchar_t *address) {
    if (IsElevated())
        OpenAsDesktopUser(address);
    else
        ShellExecuteW(dialog, L"OPEN", address, NULL, NULL, SW_SHOWNORMAL);
}

// A copy that failed says so: the user would otherwise paste what the
// clipboard held before, perhaps another file's digest.
int CopyItemTextToClipboard(HWND dialog, int itemId) {
    char text[kCopyCapacity] = {};
    if (GetDlgItemTextA(dialog, itemId, text, kCopyCapacity) == 0 || text[0] == 0)
        return 0;
    int copied = CopyTextToClipboard(dialog, text);
    if (!copied)
        MessageBeep(MB_ICONWARNING);
    return copied;
}

// The owner window matters: with the clipboard opened for no window,
// EmptyClipboard leaves it without an owner, and the platform documents that
// SetClipboardData then fails.
int CopyTextToClipboard(HWND owner, const char *text) {
    HGLOBAL block = MakeTextBlock(text);
    if (block == NULL)
        return 0;
    if (!OpenClipboardSoon(owner)) {
        GlobalFree(block);
        return 0;
    }
    EmptyClipboard();
    // Once handed over, the block belongs to the clipboard.
    bool handedOver = SetClipboardData(CF_TEXT, block) != NULL;
    if (!handedOver)
        GlobalFree(block);
    CloseClipboard();
    return handedOver ? 1 : 0;
}
