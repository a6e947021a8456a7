#include "match_colouring.h"

#include <initguid.h>

#include <oleacc.h>

#include "../app/app.h"

namespace {

enum Verdict { kNoVerdict, kMatch, kMismatch };

const int kCompareCapacity = 260;
// UI Automation's LiveSetting property, and its value Polite.
DEFINE_GUID(kLiveSettingProperty, 0xc12bcd8e, 0x2a8e, 0x4950, 0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d,
            0x58, 0xeb);
const LONG kPolite = 1;
const DWORD kLiveRegionChanged = 0x8019; // EVENT_OBJECT_LIVEREGIONCHANGED, from Windows 8

Verdict g_verdict;
HFONT g_boldFont;                    // the digest's font on a mismatch; none otherwise
IAccPropServices *g_accessibleNames; // none where the platform has no annotation

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

Verdict ReadVerdict() {
    int referenceLength = GetWindowTextLengthW(g_referenceWnd);
    if (referenceLength == 0)
        return kNoVerdict;
    return ResultMatchesReference(GetWindowTextLengthW(g_resultWnd), referenceLength) ? kMatch
                                                                                      : kMismatch;
}

// Screen readers name the field by its label; with a reference the name also
// says the verdict, through Dynamic Annotation ("Dynamic Annotation: Direct
// Annotation" and IAccPropServices::SetHwndPropStr in Microsoft's Win32
// accessibility documentation). The events make Narrator, NVDA and JAWS say the
// new name, and, since the field is a live region, say it while the focus
// stays in the reference field ("How to have important changes in your Win32
// UI announced by Narrator", Microsoft's UI Automation blog, 2016-04-16).
void AnnounceVerdict() {
    if (g_accessibleNames != NULL) {
        if (g_verdict == kNoVerdict)
            g_accessibleNames->ClearHwndProps(g_resultWnd, OBJID_CLIENT, CHILDID_SELF,
                                              &PROPID_ACC_NAME, 1);
        else
            g_accessibleNames->SetHwndPropStr(
                g_resultWnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                g_verdict == kMatch ? L"MD5值: 与参照值一致" : L"MD5值: 与参照值不一致");
    }
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, g_resultWnd, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(kLiveRegionChanged, g_resultWnd, OBJID_CLIENT, CHILDID_SELF);
}

// A high-contrast theme's colours are the user's: the program then paints
// none of its own ("High Contrast Parameter", SPI_GETHIGHCONTRAST).
bool HighContrastOn() {
    HIGHCONTRASTW contrast = {sizeof(contrast), 0, NULL};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The digest's font: the reference field's, the dialog's own, or on a
// mismatch a bold copy of it, made anew each time from the font as it is.
// Set without a redraw: the caller repaints the digest for its colour anyway.
void ApplyVerdictFont() {
    HFONT plain = (HFONT)SendMessageW(g_referenceWnd, WM_GETFONT, 0, 0);
    HFONT previous = g_boldFont;
    LOGFONTW font;
    g_boldFont = NULL;
    if (g_verdict == kMismatch && GetObjectW(plain, sizeof(font), &font) != 0) {
        font.lfWeight = FW_BOLD;
        g_boldFont = CreateFontIndirectW(&font);
    }
    SendMessageW(g_resultWnd, WM_SETFONT, (WPARAM)(g_boldFont != NULL ? g_boldFont : plain), FALSE);
    if (previous != NULL)
        DeleteObject(previous);
}

} // namespace

void SetupVerdict() {
    g_verdict = kNoVerdict;
    // COM is the window thread's already; Windows 7 knows no live region and
    // ignores the setting and its event.
    if (CoCreateInstance(CLSID_AccPropServices, NULL, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                         (void **)&g_accessibleNames) != S_OK)
        return;
    VARIANT polite = {};
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    g_accessibleNames->SetHwndProp(g_resultWnd, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty,
                                   polite);
}

void UpdateVerdict() {
    Verdict verdict = ReadVerdict();
    if (verdict == g_verdict)
        return;
    g_verdict = verdict;
    ApplyVerdictFont();
    InvalidateRect(g_resultWnd, NULL, TRUE);
    AnnounceVerdict();
}

// The reference itself is green on white; the digest green on a match, red on
// a mismatch, in the default colours with no reference.
INT_PTR PaintMatchColours(HDC dc, HWND control) {
    bool reference = control == g_referenceWnd;
    bool judgedDigest = control == g_resultWnd && g_verdict != kNoVerdict;
    if (!(reference || judgedDigest) || HighContrastOn())
        return FALSE;
    if (reference) {
        SetBkColor(dc, kWhite);
        SetTextColor(dc, kGreen);
    } else {
        SetTextColor(dc, g_verdict == kMatch ? kGreen : kRed);
    }
    return (INT_PTR)g_whiteBrush;
}
