// The main dialog in this process: the real template, dialog procedure and
// controls, driven by the messages a user's actions send.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "app/app.h"
#include "resource.h"
#include "support.h"
#include "ui/main_dialog.h"

namespace {

struct MainDialog : ::testing::Test {
    HWND dialog = NULL;
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
        InitCommonControlsEx(&controls);
        g_instance = GetModuleHandleW(NULL);
        dialog =
            CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, MainDialogProc, 0);
        ShowWindow(dialog, SW_SHOW);
        SetFocus(GetDlgItem(dialog, IDC_INPUT));
    }
    void TearDown() override { DestroyWindow(dialog); }

    std::wstring Text(int id) const { return ItemText(dialog, id); }
    void Type(const std::wstring &keys, int id = IDC_INPUT) {
        for (wchar_t c : keys)
            SendDlgItemMessageW(dialog, id, WM_CHAR, c, 1);
    }
    void Fill(const wchar_t *text) {
        for (int id : {IDC_INPUT, IDC_RESULT, IDC_REFERENCE})
            SetDlgItemTextW(dialog, id, text);
    }
    std::wstring Fields() const {
        return Text(IDC_INPUT) + L"|" + Text(IDC_RESULT) + L"|" + Text(IDC_REFERENCE);
    }
};

// Expected digests are of the code page 936 bytes, computed apart from the
// program (Python's hashlib over str.encode("gbk")).
TEST_F(MainDialog, TypedAndPastedTextShowsTheDigestOfItsCodePageBytes) {
    const wchar_t *steps[][2] = {
        {L"a", L"0CC175B9C0F1B6A831C399E269772661"},
        {L"b", L"187EF4436122D1CC2F40DC2B92F0EBA0"},
        {L"c", L"900150983CD24FB0D6963F7D28E17F72"},
        {L"\b\b\b", L""},
        {L"中文", L"BCCE109775E8E1972E9F5FCDA3E12895"},
        {L"\b\b汉字MD5校验", L"F54E5911099A99E0BA64170B5E094485"},
    };
    for (const auto &step : steps) {
        Type(step[0]);
        EXPECT_EQ(Text(IDC_RESULT), step[1]) << Narrow(Text(IDC_INPUT));
    }
    Type(L"x", IDC_RESULT);
    EXPECT_EQ(Text(IDC_RESULT), steps[5][1]) << "the digest is read-only";

    std::wstring pasted = std::wstring(50000, L'文') + L"end"; // beyond the default limit
    PutOnClipboard(pasted);
    SetDlgItemTextW(dialog, IDC_INPUT, L"");
    SendDlgItemMessageW(dialog, IDC_INPUT, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(IDC_INPUT), pasted);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(pasted)));
}

// The input shows a few lines: Enter adds a line break (CR LF) while one is free.
TEST_F(MainDialog, EnterAddsLinesWhileOneIsFree) {
    Type(L"a");
    int lines = 1;
    for (std::wstring before; lines < 12 && before != Text(IDC_INPUT); lines++) {
        before = Text(IDC_INPUT);
        PressKey(dialog, VK_RETURN);
        EXPECT_TRUE(Text(IDC_INPUT) == before || Text(IDC_INPUT) == before + L"\r\n");
        EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(Text(IDC_INPUT))));
    }
    EXPECT_GE(lines, 4) << "at least two breaks";
    EXPECT_LT(lines, 12) << "the last visible line takes none";
}

HDROP MakeDrop(const std::vector<std::wstring> &paths) {
    std::wstring names;
    for (const auto &path : paths)
        names += path + L'\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    DROPFILES *header = (DROPFILES *)GlobalLock(drop);
    *header = {sizeof(DROPFILES), {}, FALSE, TRUE};
    memcpy(header + 1, names.c_str(), names.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    return (HDROP)drop;
}

// "caption: text" of the box, and the buttons other than OK it shows.
bool ReadAndCloseBox(HWND box, void *seen) {
    std::wstring &text = *(std::wstring *)seen;
    wchar_t caption[32] = {};
    GetWindowTextW(box, caption, 32);
    text = caption + (L": " + ItemText(box, 0xFFFF));
    for (int id : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE})
        if (IsWindowVisible(GetDlgItem(box, id)))
            text += L" +" + std::to_wstring(id);
    if (SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0)) // Wine's icon control
        text += L" +icon";
    return PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainDialog, OneDroppedFileIsDigestedAndSeveralAreRefused) {
    const std::string bytes = TestBytes(3000, 1);
    const std::wstring file = WriteScratchFile(L"dropped.txt", bytes);
    const std::wstring missing = DeepFolder(700) + L"\\missing.bin";
    struct Case {
        std::vector<std::wstring> paths;
        std::wstring fields, warning;
    } cases[] = {
        {{file, missing}, L"kept|kept|kept", L"警告: 一次只能计算一个文件的MD5值。"},
        {{missing}, missing + L"|无法打开文件: " + missing + L".|kept", L""},
        {{file}, file + L"|" + PlatformMd5(bytes) + L"|kept", L""},
    };
    for (const Case &c : cases) {
        Fill(L"kept");
        ShowWindow(dialog, SW_MINIMIZE);
        std::wstring warning;
        DriveModalBox(dialog, ReadAndCloseBox, &warning);
        SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop(c.paths), 0);
        StopDriving();
        EXPECT_EQ(Fields(), c.fields);
        EXPECT_EQ(warning, c.warning);
        EXPECT_FALSE(IsIconic(dialog)) << "a drop restores the window";
    }
    Type(L"x");
    EXPECT_NE(Text(IDC_INPUT), file);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(Text(IDC_INPUT)))) << "typing replaces it";
}

struct FileChoice {
    std::wstring path; // empty: cancel
    int ticks;         // since the dialog was first seen
};

// Types the path into the open-file dialog's name box and presses Open, or
// cancels: at once without a path, a second later if the dialog refused it.
bool ChooseInFileDialog(HWND box, void *choice) {
    FileChoice *c = (FileChoice *)choice;
    if (c->ticks++ == 0 && !c->path.empty()) {
        HWND name = GetDlgItem(box, 0x480); // edt1
        SetWindowTextW(name ? name : GetDlgItem(box, 0x47C), c->path.c_str());
        return !PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    return (c->ticks >= 10 || c->path.empty()) && PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

// Paths from MAX_PATH characters on; Wine's own dialog takes typed paths of
// up to 263 characters (it fails in itself on longer ones).
TEST_F(MainDialog, FileButtonDigestsTheChosenFileWhole) {
    const std::string bytes = TestBytes(4321, 2);
    const std::wstring folder = DeepFolder(0) + L"\\";
    std::vector<std::wstring> paths = {L"", WriteScratchFile(L"chosen.dat", bytes)};
    for (size_t length : {261, 263})
        paths.push_back(
            WriteScratchFile(folder + std::wstring(length - folder.size(), L'c'), bytes));
    for (const std::wstring &path : paths) {
        Fill(L"kept");
        FileChoice choice = {path, 0};
        DriveModalBox(dialog, ChooseInFileDialog, &choice);
        SendMessageW(dialog, WM_COMMAND, IDC_BROWSE, 0);
        StopDriving();
        EXPECT_GT(choice.ticks, 0) << "the file dialog opened";
        EXPECT_EQ(Fields(),
                  path.empty() ? L"kept|kept|kept" : path + L"|" + PlatformMd5(bytes) + L"|kept")
            << path.size();
    }
}

// The controls in template order, which is the tab order without the labels.
TEST_F(MainDialog, ControlsShowTheirTextsAndAnswerTheKeyboard) {
    const int tabOrder[] = {IDC_INPUT,     IDC_BROWSE, IDC_RESULT, IDC_COPY, IDC_LINK,
                            IDC_REFERENCE, IDC_CLEAR,  IDOK,       IDC_INPUT};
    for (size_t i = 1; i < sizeof(tabOrder) / sizeof(tabOrder[0]); i++)
        EXPECT_EQ(
            GetDlgCtrlID(GetNextDlgTabItem(dialog, GetDlgItem(dialog, tabOrder[i - 1]), FALSE)),
            tabOrder[i]);
    std::wstring texts;
    wchar_t text[100];
    for (HWND c = GetWindow(dialog, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
        texts.append(text, GetWindowTextW(c, text, 100)) += L"|";
    const std::wstring link = L"<a href=\"" KESTRUM_HOME_PAGE L"\">" KESTRUM_HOME_PAGE L"</a>";
    EXPECT_EQ(texts, L"|文件哈希值(&F)||字符串:|MD5值:|拷贝(&C)|" + link +
                         L"|参照值:||清空(&E)|关闭(&X)|");
    Type(L"a");
    PutOnClipboard(L"earlier");
    PressKey(dialog, L'c', true);
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(GetClipboardOwner(), dialog);

    SetDlgItemTextW(dialog, IDC_REFERENCE, L"reference");
    PressKey(dialog, L'e', true);
    EXPECT_EQ(Fields(), L"||");
    PressKey(dialog, L'c', true);
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661") << "nothing to copy";

    FileChoice cancel = {};
    DriveModalBox(dialog, ChooseInFileDialog, &cancel);
    PressKey(dialog, L'f', true);
    StopDriving();
    EXPECT_GT(cancel.ticks, 0) << "Alt+F opens the file dialog";

    Fill(L"kept");
    SetFocus(GetDlgItem(dialog, IDC_REFERENCE));
    PressKey(dialog, VK_RETURN);
    EXPECT_EQ(Fields(), L"||") << "Enter outside the input presses Clear";
}

// For the link, https addresses open with a command that writes them to a file.
TEST_F(MainDialog, WindowIsTopmostWithTheIconAndTheLinkReachesTheShell) {
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    EXPECT_NE(icon, (HICON)NULL);
    EXPECT_EQ((HICON)SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), icon);
    EXPECT_EQ((HICON)SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), icon);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const wchar_t *key = L"https\\shell\\open\\command";
    wchar_t usual[512] = {};
    DWORD size = sizeof(usual);
    RegGetValueW(HKEY_CLASSES_ROOT, key, NULL, RRF_RT_REG_SZ, NULL, usual, &size);
    std::wstring opened = ScratchPath(L"opened.txt"), command = L"cmd /c echo %1>" + opened;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key, NULL, REG_SZ, command.c_str(),
                    (DWORD)(command.size() + 1) * 2);
    NMHDR click = {GetDlgItem(dialog, IDC_LINK), IDC_LINK, NM_CLICK};
    SendMessageW(dialog, WM_NOTIFY, IDC_LINK, (LPARAM)&click);
    char written[256] = {};
    for (int tries = 0; tries < 100 && !written[0]; tries++, Sleep(100)) {
        HANDLE file = CreateFileW(opened.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  NULL, OPEN_EXISTING, 0, NULL);
        ReadFile(file, written, 255, &size, NULL);
        CloseHandle(file);
    }
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key, NULL, REG_SZ, usual, (DWORD)(lstrlenW(usual) + 1) * 2);
    EXPECT_EQ(written, Narrow(KESTRUM_HOME_PAGE) + "\r\n");
}

} // namespace
