// The main dialog in this process: the real template, the real dialog
// procedure and real controls, driven by the messages a user's actions send.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "app/app.h"
#include "resource.h"
#include "test_support.h"
#include "ui/main_dialog.h"
#include "ui/window_services.h"

namespace {

const wchar_t kEmptyDigest[] = L"D41D8CD98F00B204E9800998ECF8427E";

struct MainDialog : ::testing::Test {
    ScratchFolder folder;
    HWND dialog = NULL;

    void SetUp() override { g_launchPath = NULL; }
    void Open() {
        dialog = CreateMainDialog();
        ASSERT_NE(dialog, (HWND)NULL);
        ShowWindow(dialog, SW_SHOW);
        PumpMessages();
    }
    void TearDown() override {
        StopDrivingModalLoop();
        if (dialog != NULL)
            DestroyWindow(dialog);
        g_launchPath = NULL;
    }

    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring Text(int id) const { return ItemText(dialog, id); }
    void Type(wchar_t c, int id = IDC_INPUT) { SendMessageW(Item(id), WM_CHAR, c, 1); }
    void Press(int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)Item(id));
    }
    std::wstring MakeFile(const std::wstring &name, const std::vector<uint8_t> &bytes) {
        std::wstring path = folder.Path(name);
        WriteBytes(path, bytes);
        return path;
    }
    void Fill(const wchar_t *input, const wchar_t *result, const wchar_t *reference) {
        SetDlgItemTextW(dialog, IDC_INPUT, input);
        SetDlgItemTextW(dialog, IDC_RESULT, result);
        SetDlgItemTextW(dialog, IDC_REFERENCE, reference);
    }
};

std::wstring Md5OfText(const std::wstring &text) {
    std::string bytes = Narrow(text);
    return PlatformMd5(bytes.data(), bytes.size());
}

TEST_F(MainDialog, TypingShowsTheDigestOfTheTextSoFar) {
    Open();
    const wchar_t typed[] = L"abc";
    for (int i = 0; typed[i]; i++) {
        Type(typed[i]);
        EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(typed).data(), i + 1)) << i;
    }
    for (int i = 0; i < 3; i++)
        Type(L'\b');
    EXPECT_EQ(Text(IDC_INPUT), L"");
    EXPECT_EQ(Text(IDC_RESULT), L"");
}

// Known digests of the code page 936 bytes, computed apart from the program
// (Python's hashlib over str.encode("gbk")); line breaks type as CR LF.
TEST_F(MainDialog, TextIsDigestedOverItsCodePageBytes) {
    struct Case {
        const wchar_t *typed, *digest;
    };
    const Case cases[] = {
        {L"中", L"5301DA37E5FFCA1823A5CEF67488D4BF"},
        {L"中文", L"BCCE109775E8E1972E9F5FCDA3E12895"},
        {L"汉字MD5校验", L"F54E5911099A99E0BA64170B5E094485"},
        {L"a\rb", L"65D5F03C46E62E3F2BABBE712D2CE464"},
    };
    Open();
    for (const auto &c : cases) {
        Press(IDC_CLEAR);
        for (const wchar_t *p = c.typed; *p; p++)
            Type(*p);
        EXPECT_EQ(Text(IDC_RESULT), c.digest) << Narrow(c.typed);
    }
}

// The input has no vertical scrolling: Enter adds lines while one is free.
TEST_F(MainDialog, EnterAddsLineBreaksOnlyWhileALineIsFree) {
    Open();
    Type(L'a');
    std::wstring before;
    int breaks = 0;
    for (int i = 0; i < 12; i++) {
        before = Text(IDC_INPUT);
        Type(L'\r');
        std::wstring after = Text(IDC_INPUT);
        if (after == before)
            break;
        EXPECT_EQ(after, before + L"\r\n");
        EXPECT_EQ(Text(IDC_RESULT), Md5OfText(after));
        breaks++;
    }
    EXPECT_GE(breaks, 2) << "the input shows several lines";
    EXPECT_LT(breaks, 12) << "the last visible line takes no further break";
}

// Longer than the edit control takes by default (30,000 to 32,767).
TEST_F(MainDialog, PastedTextIsDigestedWhole) {
    Open();
    std::wstring text(50000, L'文');
    text += L"end";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(NULL));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();

    SendMessageW(Item(IDC_INPUT), WM_PASTE, 0, 0);
    ASSERT_EQ(Text(IDC_INPUT), text);
    EXPECT_EQ(Text(IDC_RESULT), Md5OfText(text));
}

TEST_F(MainDialog, LaunchPathShowsThePathAndTheFilesDigest) {
    std::vector<uint8_t> bytes = RandomBytes(100000, 21);
    std::wstring path = MakeFile(L"launched file.bin", bytes);
    g_launchPath = &path[0];
    Open();
    EXPECT_EQ(Text(IDC_INPUT), path);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(bytes.data(), bytes.size()));
}

TEST_F(MainDialog, NoLaunchPathOpensWithEmptyFields) {
    Open();
    for (int id : {IDC_INPUT, IDC_RESULT, IDC_REFERENCE})
        EXPECT_EQ(Text(id), L"") << id;
}

TEST_F(MainDialog, DroppedFileShowsItsDigestAndTypingReplacesIt) {
    std::vector<uint8_t> bytes = RandomBytes(3000, 22);
    std::wstring path = MakeFile(L"dropped.txt", bytes);
    Open();
    SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop({path}), 0);
    EXPECT_EQ(Text(IDC_INPUT), path);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(bytes.data(), bytes.size()));
    EXPECT_NE(Text(IDC_RESULT), Md5OfText(path));

    Type(L'x');
    EXPECT_EQ(Text(IDC_RESULT), Md5OfText(Text(IDC_INPUT)));
    EXPECT_EQ(Text(IDC_INPUT).size(), path.size() + 1);
}

TEST_F(MainDialog, DroppedPathLongerThan600CharactersIsFetchedWhole) {
    std::wstring path = folder.path;
    while (path.size() < 700)
        path += L"\\" + std::wstring(120, L'd');
    path += L"\\missing.bin";
    Open();
    SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop({path}), 0);
    EXPECT_EQ(Text(IDC_INPUT), path);
    EXPECT_EQ(Text(IDC_RESULT), L"无法打开文件: " + path + L".");
}

struct WarningSeen {
    HWND dialog;
    std::wstring caption, text;
    bool onlyOk = true;
};

bool ReadAndDismissWarning(void *context) {
    WarningSeen *seen = (WarningSeen *)context;
    HWND box = FindOwnedDialog(seen->dialog);
    if (box == NULL)
        return false;
    wchar_t caption[64] = {};
    GetWindowTextW(box, caption, 64);
    seen->caption = caption;
    seen->text = ItemText(box, 0xFFFF);
    for (int id : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE}) {
        HWND button = GetDlgItem(box, id);
        if (button != NULL && IsWindowVisible(button))
            seen->onlyOk = false;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
}

TEST_F(MainDialog, TwoDroppedFilesAreRefusedWithAWarning) {
    std::wstring first = MakeFile(L"one", {1}), second = MakeFile(L"two", {2});
    Open();
    Fill(L"kept input", L"kept result", L"kept reference");
    WarningSeen seen = {dialog};
    DriveModalLoop(ReadAndDismissWarning, &seen);
    SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop({first, second}), 0);
    EXPECT_EQ(seen.caption, L"警告");
    EXPECT_EQ(seen.text, L"一次只能计算一个文件的MD5值。");
    EXPECT_TRUE(seen.onlyOk);
    EXPECT_EQ(Text(IDC_INPUT), L"kept input");
    EXPECT_EQ(Text(IDC_RESULT), L"kept result");
    EXPECT_EQ(Text(IDC_REFERENCE), L"kept reference");
}

TEST_F(MainDialog, DropOnAMinimisedWindowRestoresIt) {
    std::wstring path = MakeFile(L"file", {7, 8, 9});
    Open();
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));
    SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop({path}), 0);
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_EQ(Text(IDC_INPUT), path);
}

TEST_F(MainDialog, CopyPutsExactlyTheDigitsOnTheClipboard) {
    Open();
    Type(L'a');
    Press(IDC_COPY);
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(GetClipboardOwner(), dialog) << "the clipboard has an owner";
}

TEST_F(MainDialog, CopyOfAnEmptyResultLeavesTheClipboardAlone) {
    Open();
    PutOnClipboard("earlier contents");
    Press(IDC_COPY);
    EXPECT_EQ(ClipboardText(), "earlier contents");
}

// Another window keeps the clipboard open until told to let go.
DWORD WINAPI HoldClipboard(void *events) {
    HANDLE *pair = (HANDLE *)events;
    HWND owner =
        CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    BOOL opened = OpenClipboard(owner);
    SetEvent(pair[0]);
    WaitForSingleObject(pair[1], INFINITE);
    CloseClipboard();
    DestroyWindow(owner);
    return opened;
}

TEST_F(MainDialog, CopyWhileAnotherHoldsTheClipboardChangesNothing) {
    Open();
    PutOnClipboard("earlier contents");
    HANDLE events[2] = {CreateEventW(NULL, TRUE, FALSE, NULL),
                        CreateEventW(NULL, TRUE, FALSE, NULL)};
    HANDLE holder = CreateThread(NULL, 0, HoldClipboard, events, 0, NULL);
    WaitForSingleObject(events[0], INFINITE);
    EXPECT_EQ(CopyTextToClipboard(dialog, "0CC175B9C0F1B6A831C399E269772661"), 0);
    SetEvent(events[1]);
    WaitForSingleObject(holder, INFINITE);
    DWORD held = 0;
    GetExitCodeThread(holder, &held);
    EXPECT_TRUE(held) << "the other window had the clipboard open";
    EXPECT_EQ(ClipboardText(), "earlier contents");
    CloseHandle(holder);
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

TEST_F(MainDialog, ClearEmptiesTheThreeFields) {
    Open();
    Fill(L"text", L"digest", L"reference");
    Press(IDC_CLEAR);
    for (int id : {IDC_INPUT, IDC_RESULT, IDC_REFERENCE})
        EXPECT_EQ(Text(id), L"") << id;
}

TEST_F(MainDialog, WindowIsTopmostAndShowsTheIcon) {
    Open();
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    ASSERT_NE(icon, (HICON)NULL);
    EXPECT_EQ((HICON)SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), icon);
    EXPECT_EQ((HICON)SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), icon);
}

TEST_F(MainDialog, ToggleTopmostFlipsTheState) {
    Open();
    EXPECT_EQ(ToggleTopmost(dialog), 0);
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ToggleTopmost(dialog), 1);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainDialog, TabVisitsTheControlsInOrderSkippingLabels) {
    Open();
    const int order[] = {IDC_INPUT,     IDC_BROWSE, IDC_RESULT, IDC_COPY, IDC_LINK,
                         IDC_REFERENCE, IDC_CLEAR,  IDOK,       IDC_INPUT};
    HWND at = Item(order[0]);
    for (size_t i = 1; i < sizeof(order) / sizeof(order[0]); i++) {
        at = GetNextDlgTabItem(dialog, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), order[i]) << "after " << order[i - 1];
    }
}

TEST_F(MainDialog, LinkNamesTheHomePageTheProgramOpens) {
    Open();
    LITEM item = {};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    ASSERT_TRUE(SendMessageW(Item(IDC_LINK), LM_GETITEM, 0, (LPARAM)&item));
    EXPECT_STREQ(item.szUrl, KESTRUM_HOME_PAGE);
    std::wstring text = Text(IDC_LINK);
    EXPECT_NE(text.find(KESTRUM_HOME_PAGE), std::wstring::npos) << Narrow(text);
}

// The dialog's own loop, as the modal dialog would run it, so the keyboard
// interface (mnemonics, Esc) works as for the user.
void RunDialogLoop(HWND dialog, int milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    while ((int)(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageW(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        Sleep(10);
    }
}

void PressAlt(HWND dialog, wchar_t key) {
    HWND focus = GetFocus() ? GetFocus() : dialog;
    PostMessageW(focus, WM_SYSCHAR, key, 1 << 29);
    RunDialogLoop(dialog, 200);
}

bool CancelFileDialog(void *context) {
    HWND box = FindOwnedDialog((HWND)context);
    if (box == NULL)
        return false;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return true;
}

TEST_F(MainDialog, MnemonicsPressTheirButtons) {
    Open();
    SetFocus(Item(IDC_INPUT));
    Type(L'a');
    PutOnClipboard("earlier contents");
    PressAlt(dialog, L'c');
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661");

    PressAlt(dialog, L'e');
    EXPECT_EQ(Text(IDC_INPUT), L"");
    EXPECT_EQ(Text(IDC_RESULT), L"");

    DriveModalLoop(CancelFileDialog, dialog);
    PressAlt(dialog, L'f');
    EXPECT_EQ(Text(IDC_INPUT), L"") << "the file dialog was cancelled";

    ASSERT_TRUE(IsWindowVisible(dialog));
    PressAlt(dialog, L'x');
    EXPECT_FALSE(IsWindowVisible(dialog)) << "Alt+X ends the dialog";
}

TEST_F(MainDialog, EscEndsTheDialog) {
    Open();
    SetFocus(Item(IDC_INPUT));
    PostMessageW(Item(IDC_INPUT), WM_KEYDOWN, VK_ESCAPE, 1);
    RunDialogLoop(dialog, 200);
    EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(MainDialog, CancelledFileDialogChangesNothing) {
    Open();
    Fill(L"kept input", L"kept result", L"kept reference");
    DriveModalLoop(CancelFileDialog, dialog);
    Press(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_INPUT), L"kept input");
    EXPECT_EQ(Text(IDC_RESULT), L"kept result");
    EXPECT_EQ(Text(IDC_REFERENCE), L"kept reference");
}

struct Choice {
    HWND dialog;
    std::wstring path;
};

// Types the path into the open-file dialog's name field and presses Open.
bool ChooseFile(void *context) {
    Choice *choice = (Choice *)context;
    HWND box = FindOwnedDialog(choice->dialog);
    if (box == NULL)
        return false;
    HWND name = GetDlgItem(box, 0x480); // edt1
    if (name == NULL)
        name = GetDlgItem(box, 0x47C); // cmb13
    SetWindowTextW(name, choice->path.c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
}

TEST_F(MainDialog, FileChosenInTheFileDialogShowsItsDigest) {
    std::vector<uint8_t> bytes = RandomBytes(4321, 23);
    Choice choice = {NULL, MakeFile(L"chosen.dat", bytes)};
    Open();
    choice.dialog = dialog;
    Type(L'z');
    DriveModalLoop(ChooseFile, &choice);
    Press(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_INPUT), choice.path);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(bytes.data(), bytes.size()));
}

} // namespace
