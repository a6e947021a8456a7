#include "window_services.h"

#include <commdlg.h>
#include <shellapi.h>

#include "../app/app.h"
#include "../digest/digest_jobs.h"
#include "resource.h"

namespace {

const int kCopyCapacity = 260;
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

// Run as administrator, the program sits above Explorer's integrity level,
// and Windows silently drops the drop's messages from a lower level: these
// three carry a drop. At worst a program of a lower level can then have this
// one digest a file of its choosing, which only reads it.
void AcceptDropsFromAnyLevel(HWND dialog) {
    const UINT kDropMessages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049 /* WM_COPYGLOBALDATA */};
    for (UINT message : kDropMessages)
        ChangeWindowMessageFilterEx(dialog, message, MSGFLT_ALLOW, NULL);
}

} // namespace

void SetupMainWindow(HWND dialog) {
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    DragAcceptFiles(dialog, TRUE);
    AcceptDropsFromAnyLevel(dialog);
    ToggleTopmost(dialog);
}

int ToggleTopmost(HWND window) {
    bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
    return topmost ? 0 : 1;
}

// The path buffer holds the longest path the platform allows, so a chosen
// path of any length is taken whole; it is too large for the stack.
void BrowseForFile(HWND dialog, int inputId) {
    wchar_t *path = (wchar_t *)LocalAlloc(LPTR, kLongestPath * sizeof(wchar_t));
    if (path == NULL)
        return;
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.lpstrFilter = L"All Files(*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = kLongestPath;
    request.lpstrInitialDir = path;
    request.Flags = OFN_READONLY;
    if (GetOpenFileNameW(&request)) {
        SetDlgItemTextW(dialog, inputId, path);
        DigestFile(path, dialog, IDC_RESULT);
    }
    LocalFree(path);
}

int CopyItemTextToClipboard(HWND dialog, int itemId) {
    char text[kCopyCapacity] = {};
    if (GetDlgItemTextA(dialog, itemId, text, kCopyCapacity) == 0 || text[0] == 0)
        return 0;
    return CopyTextToClipboard(dialog, text);
}

// The owner window matters: with the clipboard opened for no window,
// EmptyClipboard leaves it without an owner, and the platform documents that
// SetClipboardData then fails.
int CopyTextToClipboard(HWND owner, const char *text) {
    HGLOBAL block = MakeTextBlock(text);
    if (block == NULL)
        return 0;
    if (!OpenClipboard(owner)) {
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
