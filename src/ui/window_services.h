// Small services of the main window: set-up, always-on-top, the open-file
// dialog, the link, and copying a field's text to the clipboard.
#pragma once

#include <windows.h>

// Sets the icons, accepts dropped files, run as administrator also from
// programs of a lower integrity level, and makes the window topmost.
void SetupMainWindow(HWND dialog);

// Flips the window's always-on-top state: 1 when it is now topmost, else 0.
int ToggleTopmost(HWND window);

// Lets the user choose a file; shows its path in the item inputId and its
// digest in IDC_RESULT. Cancelling changes nothing; the current folder stays.
void BrowseForFile(HWND dialog, int inputId);

// Opens the address in the default browser as the signed-in user: run as
// administrator, through the desktop's shell, or not at all.
void OpenLink(HWND dialog, const wchar_t *address);

// Copies the item's text as CF_TEXT: 0 when the item is empty, else the
// result of CopyTextToClipboard, with the warning sound when that is 0.
int CopyItemTextToClipboard(HWND dialog, int itemId);

// Puts the terminated narrow text on the clipboard as CF_TEXT, owned by owner: 1 when it is
// there, 0 when the clipboard stays held by another program for a quarter of
// a second or the block cannot be allocated; then the clipboard keeps its
// earlier contents.
int CopyTextToClipboard(HWND owner, const char *text);
