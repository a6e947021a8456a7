// The colour messages of the main dialog, answered through a real device
// context: what the reference field and the digest are painted with.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/app.h"
#include "resource.h"
#include "test_support.h"
#include "ui/main_dialog.h"

namespace {

const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
// Colours no handler sets, so an untouched context is recognised.
const COLORREF kUnsetText = RGB(1, 2, 3);
const COLORREF kUnsetBack = RGB(4, 5, 6);
const wchar_t kDigest[] = L"0CC175B9C0F1B6A831C399E269772661";

struct Painted {
    INT_PTR brush;
    COLORREF text, back;
};

struct MatchColouring : ::testing::Test {
    HWND dialog = NULL;
    HDC dc = NULL;

    void SetUp() override {
        g_launchPath = NULL;
        dialog = CreateMainDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        dc = CreateCompatibleDC(NULL);
    }
    void TearDown() override {
        DeleteDC(dc);
        DestroyWindow(dialog);
    }
    Painted Paint(UINT message, int id) {
        SetTextColor(dc, kUnsetText);
        SetBkColor(dc, kUnsetBack);
        INT_PTR brush = MainDialogProc(dialog, message, (WPARAM)dc, (LPARAM)GetDlgItem(dialog, id));
        return {brush, GetTextColor(dc), GetBkColor(dc)};
    }
};

TEST_F(MatchColouring, DigestIsGreenOnAMatchRedOtherwiseDefaultWithoutReference) {
    struct Case {
        const wchar_t *result, *reference;
        bool coloured;
        COLORREF text;
    };
    const Case cases[] = {
        {kDigest, L"", false, kUnsetText},
        {kDigest, L"0CC175B9C0F1B6A831C399E269772661", true, kGreen},
        {kDigest, L"0cc175b9c0f1b6a831c399e269772661", true, kGreen},
        {kDigest, L"0cc175b9c0f1b6a831c399e26977266", true, kRed},
        {kDigest, L"0cc175b9c0f1b6a831c399e2697726610", true, kRed},
        {kDigest, L" 0cc175b9c0f1b6a831c399e26977266", true, kRed},
        {kDigest, L"0CC175B9C0F1B6A831C399E269772662", true, kRed},
        {L"", L"0CC175B9C0F1B6A831C399E269772661", true, kRed},
        {L"", L"", false, kUnsetText},
    };
    for (const auto &c : cases) {
        SetDlgItemTextW(dialog, IDC_RESULT, c.result);
        SetDlgItemTextW(dialog, IDC_REFERENCE, c.reference);
        std::string trace = Narrow(std::wstring(c.result) + L" / " + c.reference);
        Painted painted = Paint(WM_CTLCOLORSTATIC, IDC_RESULT);
        EXPECT_EQ(painted.brush, c.coloured ? (INT_PTR)g_whiteBrush : FALSE) << trace;
        EXPECT_EQ(painted.text, c.text) << trace;
        EXPECT_EQ(painted.back, kUnsetBack) << trace << ": the background is left alone";
    }
}

TEST_F(MatchColouring, ReferenceIsGreenOnWhiteAndRepaintsTheDigest) {
    const wchar_t *references[] = {L"", L"whatever", kDigest};
    SetDlgItemTextW(dialog, IDC_RESULT, kDigest);
    ShowWindow(dialog, SW_SHOW);
    for (const wchar_t *reference : references) {
        SetDlgItemTextW(dialog, IDC_REFERENCE, reference);
        UpdateWindow(dialog);
        ValidateRect(g_resultWnd, NULL);
        Painted painted = Paint(WM_CTLCOLOREDIT, IDC_REFERENCE);
        EXPECT_EQ(painted.brush, (INT_PTR)g_whiteBrush);
        EXPECT_EQ(painted.text, kGreen);
        EXPECT_EQ(painted.back, kWhite);
        RECT pending = {};
        EXPECT_TRUE(GetUpdateRect(g_resultWnd, &pending, FALSE)) << "the digest repaints";
    }
}

TEST_F(MatchColouring, OtherControlsKeepTheirColours) {
    SetDlgItemTextW(dialog, IDC_REFERENCE, kDigest);
    for (int id : {IDC_INPUT, IDC_BROWSE, IDC_COPY}) {
        for (UINT message : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
            Painted painted = Paint(message, id);
            EXPECT_EQ(painted.brush, FALSE) << id;
            EXPECT_EQ(painted.text, kUnsetText) << id;
        }
    }
}

} // namespace
