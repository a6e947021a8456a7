// Colours the digest against the reference value: green on a match, red
// otherwise, default colours while the reference is empty.
#pragma once

#include <windows.h>

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kRed = RGB(255, 0, 0);

// Handles WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC for control, painted through
// dc: returns the brush for the dialog procedure to return, or FALSE.
INT_PTR PaintMatchColours(HDC dc, HWND control);
