#include "match_colouring.h"

#include "../app/app.h"

namespace {

const int kCompareCapacity = 260;

// The reference itself is always green on white. Its repaint also repaints
// the digest, so typing or pasting a reference recolours the digest at once.
INT_PTR PaintReference(HDC dc) {
    SetBkColor(dc, kWhite);
    SetTextColor(dc, kGreen);
    InvalidateRect(g_resultWnd, NULL, TRUE);
    return (INT_PTR)g_whiteBrush;
}

// Texts of different lengths differ without a look at their letters.
bool ResultMatchesReference(int resultLength, int referenceLength) {
    if (resultLength != referenceLength)
        return false;
    char result[kCompareCapacity] = {};
    char reference[kCompareCapacity] = {};
    GetWindowTextA(g_resultWnd, result, kCompareCapacity);
    GetWindowTextA(g_referenceWnd, reference, kCompareCapacity);
    return lstrcmpiA(result, reference) == 0;
}

INT_PTR PaintResult(HDC dc) {
    int resultLength = GetWindowTextLengthW(g_resultWnd);
    int referenceLength = GetWindowTextLengthW(g_referenceWnd);
    if (referenceLength == 0)
        return FALSE;
    bool match = ResultMatchesReference(resultLength, referenceLength);
    SetTextColor(dc, match ? kGreen : kRed);
    return (INT_PTR)g_whiteBrush;
}

} // namespace

INT_PTR PaintMatchColours(HDC dc, HWND control) {
    if (control == g_referenceWnd)
        return PaintReference(dc);
    if (control == g_resultWnd)
        return PaintResult(dc);
    return FALSE;
}
