// The verdict on the digest against the reference value: none while the
// reference is empty, else a match or a mismatch. It is shown three ways:
// green or red, a bold digest on a mismatch, and the digest field's name as
// screen readers say it.
#pragma once

#include <windows.h>

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kRed = RGB(255, 0, 0);

// At the dialog's initialisation, once g_resultWnd and g_referenceWnd are
// known: no verdict, and the digest field made a live region.
void SetupVerdict();

// Compares the digest with the reference again, after either changed; a new
// verdict is painted, set in the digest's font and told to screen readers.
void UpdateVerdict();

// Handles WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC for control, painted through
// dc: returns the brush for the dialog procedure to return, or FALSE.
INT_PTR PaintMatchColours(HDC dc, HWND control);
