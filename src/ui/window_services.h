// Small services of the main window: set-up, always-on-top, the open-file
// dialog, and copying a field's text to the clipboard.
#pragma once

#include <windows.h>

// Sets the icons, accepts dropped files, also from programs of a lower
// integrity level, and makes the window topmost.
void SetupMainWindow(HWND dialog);

// Flips the window's always-on-top state: 1 when it is now topmost, else 0.
int ToggleTopmost(HWND window);

// Lets the user choose a file; shows its path in the item inputId and its
// digest in IDC_RESULT. Cancelling changes nothing.
void BrowseForFile(HWND dialog, int inputId);

// Copies the item's text as CF_TEXT: 0 when the item is empty, else the
// result of CopyTextToClipboard.
int CopyItemTextToClipboard(HWND dialog, int itemId);

// Puts the terminated narrow text on the clipboard as CF_TEXT, owned by owner: 1 when it is
// there, 0 when the clipboard cannot be opened or the block allocated; then
// the clipboard keeps its earlier contents.
int CopyTextToClipboard(HWND owner, const char *text);
