// The real dialog in this process, driven by the messages a user's actions send.
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
TEST_F(MainDialog, TypedPastedAndEnteredTextShowsTheDigestOfItsCodePageBytes) {
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

    // More lines than the box shows, and more characters than its default limit.
    std::wstring pasted;
    for (int line = 1; line <= 24; line++)
        pasted += std::wstring(2100, L'文') + L"第" + std::to_wstring(line) + L"行 line\r\n";
    ASSERT_TRUE(PutOnClipboard(pasted));
    SetDlgItemTextW(dialog, IDC_INPUT, L"");
    SendDlgItemMessageW(dialog, IDC_INPUT, WM_PASTE, 0, 0);
    EXPECT_TRUE(Text(IDC_INPUT) == pasted) << Text(IDC_INPUT).size() << " characters kept";
    EXPECT_EQ(Text(IDC_RESULT), L"81FD6CDB86794A364DC2EF5B41BB936D");

    // Each Enter adds CR LF, also past the lines shown, which scroll to the caret.
    std::wstring text = L"a";
    SetDlgItemTextW(dialog, IDC_INPUT, L"");
    Type(text);
    for (int line = 2; line <= 12; line++) {
        PressKey(dialog, VK_RETURN);
        text += L"\r\n";
        EXPECT_EQ(Text(IDC_INPUT), text) << line;
        EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(text)));
    }
    EXPECT_GT(SendDlgItemMessageW(dialog, IDC_INPUT, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
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

// "caption: text" of the box, then how many buttons other than OK and icons
// (Wine's icon control is 0x440) it shows.
bool ReadAndCloseBox(HWND box, void *seen) {
    wchar_t caption[32] = {};
    GetWindowTextW(box, caption, 32);
    int more = SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0) != 0;
    for (int id : {IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE})
        more += IsWindowVisible(GetDlgItem(box, id));
    *(std::wstring *)seen = caption + (L": " + ItemText(box, 0xFFFF)) + std::to_wstring(more);
    return PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainDialog, OneDroppedFileIsDigestedAndSeveralAreRefused) {
    const std::string bytes = TestBytes(3000, 1);
    const std::wstring file = WriteScratchFile(L"dropped.txt", bytes);
    const std::wstring missing = ScratchPath(std::wstring(700, L'm'));
    struct Case {
        std::vector<std::wstring> paths;
        std::wstring fields, warning;
    } cases[] = {
        {{file, missing}, L"kept|kept|kept", L"警告: 一次只能计算一个文件的MD5值。0"},
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
}

struct FileChoice {
    std::wstring path;   // empty: cancel
    int ticks;           // since the box was first seen
    std::wstring filter; // the file type the box offers: only a file dialog has one
};

// Types the path into the open-file dialog's name box and presses Open, or
// cancels: at once without a path, a second later if the dialog refused it.
bool ChooseInFileDialog(HWND box, void *choice) {
    FileChoice *c = (FileChoice *)choice;
    if (c->ticks == 0)
        c->filter = ItemText(box, 0x470); // cmb1
    if (c->ticks++ == 0 && !c->path.empty()) {
        HWND name = GetDlgItem(box, 0x480); // edt1
        SetWindowTextW(name ? name : GetDlgItem(box, 0x47C), c->path.c_str());
        return !PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    return (c->ticks >= 10 || c->path.empty()) && PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

// The file button, by Alt+F, with paths past MAX_PATH: Wine's own dialog takes
// typed ones of up to 263 characters (it fails in itself on longer ones).
TEST_F(MainDialog, FileButtonDigestsTheChosenFileWhole) {
    const std::string bytes = TestBytes(4321, 2);
    const size_t folder = ScratchPath(L"").size();
    std::vector<std::wstring> paths = {L"", WriteScratchFile(L"chosen.dat", bytes)};
    for (size_t length : {261, 263})
        paths.push_back(WriteScratchFile(std::wstring(length - folder, L'c'), bytes));
    for (const std::wstring &path : paths) {
        Fill(L"kept");
        FileChoice choice = {path, 0};
        DriveModalBox(dialog, ChooseInFileDialog, &choice);
        PressKey(dialog, L'f', true);
        StopDriving();
        EXPECT_EQ(choice.filter, L"All Files(*.*)") << "the file dialog opened";
        EXPECT_EQ(Fields(),
                  path.empty() ? L"kept|kept|kept" : path + L"|" + PlatformMd5(bytes) + L"|kept")
            << path.size();
    }
}

TEST_F(MainDialog, CopyAndClearAnswerTheirKeys) {
    Type(L"a");
    ASSERT_TRUE(PutOnClipboard(L"earlier"));
    PressKey(dialog, L'c', true);
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(GetClipboardOwner(), dialog);

    SetDlgItemTextW(dialog, IDC_REFERENCE, L"reference");
    PressKey(dialog, L'e', true);
    EXPECT_EQ(Fields(), L"||");
    PressKey(dialog, L'c', true);
    EXPECT_EQ(ClipboardText(), "0CC175B9C0F1B6A831C399E269772661") << "nothing to copy";
}

// The window as it opens: its font, which sets the size of every control and
// label (9 points are 12 pixels at 96 dots an inch), its size, and its set-up.
TEST_F(MainDialog, WindowHasItsFontSizeIconAndStaysOnTopAcceptingDrops) {
    LOGFONTW font = {};
    GetObjectW((HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0), sizeof(font), &font);
    RECT size = {0, 0, 232, 121}, client;
    MapDialogRect(dialog, &size);
    GetClientRect(dialog, &client);
    EXPECT_EQ(font.lfFaceName + std::to_wstring(font.lfHeight), L"宋体-12");
    EXPECT_TRUE(EqualRect(&client, &size));
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    EXPECT_TRUE(icon && (HICON)SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) == icon &&
                (HICON)SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) == icon);
    const LONG style = WS_EX_TOPMOST | WS_EX_ACCEPTFILES;
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & style, style);
}

// The shell's part is the platform's: what counts is the request handed to it.
extern "C" void *__imp_ShellExecuteW;
std::wstring g_shellRequest;

HINSTANCE WINAPI RecordShellRequest(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR,
                                    INT show) {
    g_shellRequest =
        std::to_wstring((UINT_PTR)owner) + L"|" + verb + L"|" + file + L"|" + std::to_wstring(show);
    return (HINSTANCE)33; // above 32: done
}

TEST_F(MainDialog, LinkOpensTheHomePageOnAClickAndOnEnter) {
    void *shell = Redirect(&__imp_ShellExecuteW, (void *)RecordShellRequest);
    for (UINT code : {NM_CLICK, NM_RETURN}) {
        g_shellRequest.clear();
        NMHDR notice = {GetDlgItem(dialog, IDC_LINK), IDC_LINK, code};
        SendMessageW(dialog, WM_NOTIFY, IDC_LINK, (LPARAM)&notice);
        EXPECT_EQ(g_shellRequest, std::to_wstring((UINT_PTR)dialog) +
                                      L"|OPEN|" KESTRUM_HOME_PAGE L"|" +
                                      std::to_wstring(SW_SHOWNORMAL))
            << code;
    }
    Redirect(&__imp_ShellExecuteW, shell);
}

} // namespace
