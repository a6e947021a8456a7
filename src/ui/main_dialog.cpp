#include "main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "../app/app.h"
#include "../digest/digest_jobs.h"
#include "match_colouring.h"
#include "resource.h"
#include "window_services.h"

namespace {

void OnInitDialog(HWND dialog) {
    SetupMainWindow(dialog);
    InitializeCriticalSection(&g_textLock);
    g_whiteBrush = CreateSolidBrush(kWhite);
    g_referenceWnd = GetDlgItem(dialog, IDC_REFERENCE);
    g_resultWnd = GetDlgItem(dialog, IDC_RESULT);
    SetupVerdict();
    // The edit control's own limit would cut a long paste short, and the
    // digest would then be of less than the user pasted.
    SendDlgItemMessageW(dialog, IDC_INPUT, EM_SETLIMITTEXT, 0, 0);
    if (g_launchPath != NULL && g_launchPath[0] != 0) {
        SetDlgItemTextW(dialog, IDC_INPUT, g_launchPath);
        DigestFile(g_launchPath, dialog, IDC_RESULT);
    }
}

// Converts the input's text to the system code page, sized by the platform's
// own conversion, so code pages of any width are digested whole. Whatever
// happens, the result never keeps the digest of the earlier text.
void DigestInputText(HWND dialog, HWND input, int length) {
    wchar_t *wide = (wchar_t *)LocalAlloc(LPTR, (length + 1) * sizeof(wchar_t));
    if (wide == NULL) {
        SetDlgItemTextW(dialog, IDC_RESULT, kOutOfMemoryText);
        return;
    }
    int wideLength = GetWindowTextW(input, wide, length + 1);
    int narrowLength = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, NULL, 0, NULL, NULL);
    char *narrow = (char *)LocalAlloc(LPTR, narrowLength + 1);
    if (narrow == NULL)
        SetDlgItemTextW(dialog, IDC_RESULT, kOutOfMemoryText);
    else if (narrowLength == 0)
        SetDlgItemTextW(dialog, IDC_RESULT, L"");
    else {
        WideCharToMultiByte(CP_ACP, 0, wide, wideLength, narrow, narrowLength, NULL, NULL);
        DigestText(narrow, (uint32_t)narrowLength, dialog, IDC_RESULT);
    }
    if (narrow != NULL)
        LocalFree(narrow);
    LocalFree(wide);
}

void OnInputChanged(HWND dialog) {
    EnterCriticalSection(&g_textLock);
    HWND input = GetDlgItem(dialog, IDC_INPUT);
    int length = GetWindowTextLengthW(input);
    if (length == 0)
        SetDlgItemTextW(dialog, IDC_RESULT, L"");
    else
        DigestInputText(dialog, input, length);
    LeaveCriticalSection(&g_textLock);
}

// The reference goes before the digest, so that the verdict goes straight to
// none, never by way of a digest that differs from it.
void ClearFields(HWND dialog) {
    SetDlgItemTextW(dialog, IDC_INPUT, L"");
    SetDlgItemTextW(dialog, IDC_REFERENCE, L"");
    SetDlgItemTextW(dialog, IDC_RESULT, L"");
}

INT_PTR OnCommand(HWND dialog, WORD id, WORD code) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_INPUT:
        if (code == EN_CHANGE)
            OnInputChanged(dialog);
        return TRUE;
    case IDC_RESULT:
    case IDC_REFERENCE:
        if (code == EN_CHANGE)
            UpdateVerdict();
        return TRUE;
    case IDC_BROWSE:
        BrowseForFile(dialog, IDC_INPUT);
        return TRUE;
    case IDC_COPY:
        CopyItemTextToClipboard(dialog, IDC_RESULT);
        return TRUE;
    case IDC_CLEAR:
        ClearFields(dialog);
        return TRUE;
    }
    return FALSE;
}

// The path is fetched at the length the platform reports, never cut.
void DigestDroppedFile(HWND dialog, HDROP drop) {
    UINT length = DragQueryFileW(drop, 0, NULL, 0);
    wchar_t *path = (wchar_t *)LocalAlloc(LPTR, (length + 1) * sizeof(wchar_t));
    if (path == NULL) {
        SetDlgItemTextW(dialog, IDC_RESULT, kOutOfMemoryText);
        return;
    }
    DragQueryFileW(drop, 0, path, length + 1);
    SetDlgItemTextW(dialog, IDC_INPUT, path);
    DigestFile(path, dialog, IDC_RESULT);
    LocalFree(path);
}

void OnDropFiles(HWND dialog, HDROP drop) {
    if (IsIconic(dialog))
        ShowWindow(dialog, SW_RESTORE);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
    if (count > 1)
        MessageBoxW(dialog, L"一次只能计算一个文件的MD5值。", L"警告", MB_OK);
    else
        DigestDroppedFile(dialog, drop);
    DragFinish(drop);
}

void OnNotify(HWND dialog, const NMHDR *notice) {
    if (notice->idFrom != IDC_LINK)
        return;
    if (notice->code == NM_CLICK || notice->code == NM_RETURN)
        OpenLink(dialog, KESTRUM_HOME_PAGE);
}

// The theme's own colours take over, or give way, at once.
void OnSettingChange(HWND dialog, UINT setting) {
    if (setting == SPI_SETHIGHCONTRAST)
        RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        OnNotify(dialog, (const NMHDR *)lParam);
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return PaintMatchColours((HDC)wParam, (HWND)lParam);
    case WM_DROPFILES:
        OnDropFiles(dialog, (HDROP)wParam);
        return FALSE;
    case WM_SETTINGCHANGE:
        OnSettingChange(dialog, (UINT)wParam);
        return FALSE;
    }
    return FALSE;
}
