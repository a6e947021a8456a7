// The real dialog in this process, driven as a user drives it, and the digest jobs.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "app/app.h"
#include "digest/digest_jobs.h"
#include "resource.h"
#include "support.h"
#include "ui/main_dialog.h"
#include "ui/window_services.h"

namespace {

// What the program asks at its imports (64-bit only: a lambda can stand in).
extern "C" void *__imp_CreateFileW, *__imp_MessageBoxW, *__imp_ShellExecuteW,
    *__imp_Wow64DisableWow64FsRedirection, *__imp_Wow64RevertWow64FsRedirection,
    *__imp_ChangeWindowMessageFilterEx, *__imp_GetTokenInformation, *__imp_CoCreateInstance,
    *__imp_MessageBeep, *__imp_ReadFile, *__imp_CoInitializeEx, *__imp_DialogBoxParamW,
    *__imp_NotifyWinEvent, *__imp_SystemParametersInfoW;

std::set<UINT> g_allowed;          // the messages the main dialog lets in from lower levels
std::wstring g_request, g_started; // what the program last asked; what start-up asked, in order
HWND g_made;

// What screen readers are told of the digest field: its name, 「label」 when it is its
// label's again, each event; "(elsewhere)": of another object.
std::wstring g_told;

HRESULT Tell(HWND window, LONG object, LONG child, const std::wstring &what) {
    bool digest = GetDlgCtrlID(window) == IDC_RESULT && object == OBJID_CLIENT && !child;
    return g_told += (digest ? L"" : L"(elsewhere)") + what, S_OK;
}

// Dynamic Annotation's calls (SetHwndPropStr, ClearHwndProps) and the events.
void RecordAnnotations() {
    IAccPropServices *names = NULL;
    Require(CoCreateInstance(CLSID_AccPropServices, NULL, CLSCTX_INPROC_SERVER,
                             IID_IAccPropServices, (void **)&names) == S_OK,
            "no annotation services");
    void **methods = *(void ***)names;
    Redirect(methods[7],
             [](void *, HWND window, DWORD object, DWORD child, MSAAPROPID, LPCWSTR name) {
                 return Tell(window, object, child, L"「" + std::wstring(name) + L"」");
             });
    Redirect(methods[9], [](void *, HWND window, DWORD object, DWORD child, const MSAAPROPID *,
                            int) { return Tell(window, object, child, L"「label」"); });
    Redirect(__imp_NotifyWinEvent, [](DWORD event, HWND window, LONG object, LONG child) {
        const std::map<DWORD, std::wstring> events = {{EVENT_OBJECT_NAMECHANGE, L" +name"},
                                                      {0x8019, L" +live"}}; // LIVEREGIONCHANGED
        Tell(window, object, child, events.count(event) ? events.at(event) : L" +other");
    });
}

// The colours a theme sets, shared by all the desktop's programs, as they were.
const int kThemed[] = {COLOR_WINDOW, COLOR_BTNFACE, COLOR_WINDOWTEXT, COLOR_BTNTEXT};
const COLORREF kUnthemed[] = {GetSysColor(kThemed[0]), GetSysColor(kThemed[1]),
                              GetSysColor(kThemed[2]), GetSysColor(kThemed[3])};

// The dialog as start-up makes it, but modeless.
struct MainDialog : ::testing::Test {
    HWND dialog = NULL;
    void SetUp() override {
        Redirect(__imp_CoInitializeEx, [](void *, DWORD model) {
            g_started += L"apartment " + std::to_wstring(model) + L", ";
            return ((decltype(&CoInitializeEx))g_redirected[0].second)(NULL, model); // its own
        });
        Redirect(__imp_DialogBoxParamW, [](HINSTANCE instance, LPCWSTR name, HWND, DLGPROC proc,
                                           LPARAM) {
            g_started += L"dialog", g_launchPath = NULL; // start-up took this test's own argument
            RecordAnnotations();
            return (INT_PTR)(g_made = CreateDialogParamW(instance, name, NULL, proc, 0));
        });
        Redirect(__imp_ChangeWindowMessageFilterEx,
                 [](HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT info) {
                     if (action == MSGFLT_ALLOW && !info && GetDlgItem(window, IDC_INPUT))
                         g_allowed.insert(message);
                     return TRUE;
                 });
        AppMain(GetModuleHandleW(NULL), NULL, NULL, SW_SHOWDEFAULT);
        Require((dialog = g_made) != NULL, "the dialog was not made");
        ShowWindow(dialog, SW_SHOW);
        SetFocus(GetDlgItem(dialog, IDC_INPUT));
    }
    void TearDown() override {
        DestroyWindow(dialog), RestoreImports(), SetSysColors(4, kThemed, kUnthemed);
    }

    std::wstring Text(int id) const { return ItemText(dialog, id); }
    void Type(const std::wstring &keys) {
        for (wchar_t c : keys)
            SendDlgItemMessageW(dialog, IDC_INPUT, WM_CHAR, c, 1);
    }
    void Fill(const wchar_t *text) {
        for (int id : {IDC_INPUT, IDC_RESULT, IDC_REFERENCE})
            SetDlgItemTextW(dialog, id, text);
    }
    std::wstring Fields() const {
        return Text(IDC_INPUT) + L"|" + Text(IDC_RESULT) + L"|" + Text(IDC_REFERENCE);
    }
    // The file job's text in the result field, which showed something else.
    std::wstring Shown(const std::wstring &path) {
        SetDlgItemTextW(dialog, IDC_RESULT, L"stale");
        DigestFile(path.c_str(), dialog, IDC_RESULT);
        return Text(IDC_RESULT);
    }
};

// Digests of the code page 936 bytes, from Python's hashlib over str.encode("gbk").
TEST_F(MainDialog, TypedPastedAndEnteredTextShowsTheDigestOfItsCodePageBytes) {
    const wchar_t *steps[][2] = {
        {L"中文", L"BCCE109775E8E1972E9F5FCDA3E12895"},
        {L"\b\b", L""},
        {L"汉字MD5校验", L"F54E5911099A99E0BA64170B5E094485"},
    };
    for (const auto &step : steps) {
        Type(step[0]);
        EXPECT_EQ(Text(IDC_RESULT), step[1]) << Narrow(Text(IDC_INPUT));
    }

    // Past the box's lines and its default limit, pasted; Enter adds CR LF there.
    std::wstring pasted;
    for (int line = 1; line <= 24; line++)
        pasted += std::wstring(2100, L'文') + L"第" + std::to_wstring(line) + L"行 line\r\n";
    PutOnClipboard(pasted);
    SetDlgItemTextW(dialog, IDC_INPUT, L"");
    SendDlgItemMessageW(dialog, IDC_INPUT, WM_PASTE, 0, 0);
    EXPECT_TRUE(Text(IDC_INPUT) == pasted) << Text(IDC_INPUT).size() << " characters kept";
    EXPECT_EQ(Text(IDC_RESULT), L"81FD6CDB86794A364DC2EF5B41BB936D");
    PressKey(VK_RETURN);
    EXPECT_EQ(Text(IDC_RESULT), PlatformMd5(Narrow(pasted + L"\r\n")));
    EXPECT_GT(SendDlgItemMessageW(dialog, IDC_INPUT, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

std::set<HCURSOR> g_cursors; // the pointer at each read of a file

// Each name ends with its size; a writer shares it for reading only; reads show
// the wait pointer. What cannot be opened or read shows so, its path whole.
TEST_F(MainDialog, FileShowsThePlatformDigestOfItsBytesOrWhatFailed) {
    std::vector<std::wstring> names = {L"校验文件 测试.777", std::wstring(240, L'l') + L".70000"};
    for (int size : {0, 1, 55, 56, 64, 65, 1048576, 1048577})
        names.push_back(std::to_wstring(size));
    Redirect(__imp_ReadFile, [](HANDLE file, void *to, DWORD size, DWORD *got, OVERLAPPED *at) {
        g_cursors.insert(GetCursor());
        return ((decltype(&ReadFile))g_redirected.back().second)(file, to, size, got, at);
    });
    for (const std::wstring &name : names) {
        std::string bytes = TestBytes(_wtoi(name.substr(name.rfind(L'.') + 1).c_str()), 7);
        std::wstring path = WriteScratchFile(name, bytes);
        HANDLE writer = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    NULL, OPEN_EXISTING, 0, NULL);
        Require(writer != INVALID_HANDLE_VALUE, "the writer did not open the file");
        EXPECT_EQ(Shown(path), PlatformMd5(bytes)) << Narrow(name);
        CloseHandle(writer);
    }
    EXPECT_EQ(g_cursors, std::set<HCURSOR>{LoadCursorW(NULL, IDC_WAIT)});

    std::wstring locked = WriteScratchFile(L"locked", "abc");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    Require(holder != INVALID_HANDLE_VALUE, "the file to lock did not open");
    for (const std::wstring &path :
         {ScratchPath(L"missing"), ScratchPath(L""), locked, std::wstring(L"Z:\\dev\\zero"),
          ScratchPath(std::wstring(1100, L'x')), SilentPipe()})
        EXPECT_EQ(Shown(path), L"无法打开文件: " + path + L".") << Narrow(path.substr(0, 40));
    CloseHandle(holder);
    EXPECT_EQ(Shown(L"Z:\\proc\\self\\mem"), L"无法读取文件: Z:\\proc\\self\\mem.");
}

bool g_unredirected; // System32 as the system's own, not SysWOW64

BOOL WINAPI RecordRedirectionOff(PVOID *) { return g_unredirected = true; }
BOOL WINAPI RecordRedirectionOn(PVOID) { return !(g_unredirected = false); }

// A pipe server the path reaches may identify the user, never act as the user.
HANDLE WINAPI RecordPath(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD flags,
                         HANDLE) {
    const DWORD identify = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
    g_request = path + std::wstring(g_unredirected ? L"" : L" redirected") +
                ((flags & SECURITY_VALID_SQOS_FLAGS) == identify ? L"" : L" impersonable");
    return SetLastError(ERROR_FILE_NOT_FOUND), INVALID_HANDLE_VALUE;
}

// Windows, unlike Wine, opens a path of MAX_PATH characters or more only in the
// long form, Sysnative only while redirected, anything else unredirected.
TEST_F(MainDialog, PathsAreHandedOverInTheFormThatOpensTheFileTheyName) {
    Redirect(__imp_CreateFileW, RecordPath);
    Redirect(__imp_Wow64DisableWow64FsRedirection, RecordRedirectionOff);
    Redirect(__imp_Wow64RevertWow64FsRedirection, RecordRedirectionOn);
    SetCurrentDirectoryW(L"C:\\windows");
    const std::wstring name(300, L'n'), redirected = L" redirected";
    const std::wstring cases[][2] = {
        {L"C:\\" + std::wstring(256, L'a'), L""},
        {L"C:\\" + std::wstring(257, L'a'), L"\\\\?\\C:\\" + std::wstring(257, L'a')},
        {L"a/./b/../" + name, L"\\\\?\\C:\\windows\\a\\" + name},
        {L"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + name},
        {L"\\\\?\\C:\\" + name, L""},
        {L"\\\\.\\" + name, L""},
        {L"\\\\.\\C:\\windows\\sysnative\\a", L"\\\\.\\C:\\windows\\sysnative\\a" + redirected},
        {L"c:\\WINDOWS\\SysNative\\a", L"c:\\WINDOWS\\SysNative\\a" + redirected},
        {L"sysnative\\" + name, L"\\\\?\\C:\\windows\\sysnative\\" + name + redirected},
        {L"C:\\windows\\sysnativeX\\a", L""},
    };
    for (const auto &c : cases) {
        Shown(c[0]);
        EXPECT_EQ(g_request + (g_unredirected ? L" left unredirected" : L""),
                  c[1].empty() ? c[0] : c[1])
            << Narrow(c[0].substr(0, 40));
    }
}

// What a user tells a pixel to be, whatever its shade: plain (black, white, grey), red or
// green; none: smoothed edges, near both.
enum Ink { kNone, kPlain, kRed, kGreen, kBackground };

Ink InkOf(COLORREF pixel, COLORREF background) {
    int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
    int off = std::max({abs(red - GetRValue(background)), abs(green - GetGValue(background)),
                        abs(blue - GetBValue(background))});
    return pixel == background                               ? kBackground
           : off <= 96                                       ? kNone
           : red >= 160 && green < 90 && blue < 90           ? kRed
           : green >= 90 && red < 60 && blue < 60            ? kGreen
           : abs(red - green) < 40 && abs(green - blue) < 40 ? kPlain
                                                             : kNone;
}

// A user's step, how a field then looks, and what screen readers were told.
struct Step {
    const char *what;
    HWND target;       // typed into, clicked without keys, or (the dialog) told of a theme
    std::wstring keys; // or Ctrl+V and the reference it pastes
    HWND field;
    Ink ink;
    COLORREF background;
    std::wstring told; // and " bold" while the digest is bold
};

// Whether the step's field is mostly its background, with text in its ink and no other.
bool ShowsPainting(void *context) {
    const Step *want = (const Step *)context;
    RECT area;
    GetClientRect(want->field, &area);
    int inks[5] = {};
    HDC field = GetDC(want->field);
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++)
            inks[InkOf(GetPixel(field, x, y), want->background)]++;
    ReleaseDC(want->field, field);
    int text = inks[kPlain] + inks[kRed] + inks[kGreen];
    return inks[kBackground] * 2 > area.right * area.bottom &&
           (want->ink == kNone ? text == 0 : text == inks[want->ink] && text > 30);
}

// References typed, then pasted over by ones one digit off (RFC 1321's digests of "abc" and
// "a", lower case); then a dark high-contrast theme. Told once per change, not per key.
TEST_F(MainDialog, VerdictIsSeenInColourAndBoldHeardAndThemedInHighContrast) {
    const std::wstring abc = L"900150983cd24fb0d6963f7d28e17f72", paste = L"\x16", // Ctrl+V
        a = L"0cc175b9c0f1b6a831c399e269772661", firstOff = paste + L"1" + a.substr(1);
    const std::wstring events = L" +name +live", agrees = L"「MD5值: 与参照值一致」" + events,
                       differs = L"「MD5值: 与参照值不一致」" + events + L" bold";
    const COLORREF plain = GetSysColor(COLOR_BTNFACE), white = RGB(255, 255, 255), dark = 0;
    const HWND result = GetDlgItem(dialog, IDC_RESULT), clear = GetDlgItem(dialog, IDC_CLEAR),
               reference = GetDlgItem(dialog, IDC_REFERENCE), input = GetDlgItem(dialog, IDC_INPUT);
    const Step steps[] = {
        {"no reference", NULL, L"", result, kPlain, plain, L""},
        {"one digit short", reference, abc.substr(0, 31), result, kRed, white, differs},
        {"equal but for case", reference, abc.substr(31), result, kGreen, white, agrees},
        {"the reference itself", NULL, L"", reference, kGreen, white, L""},
        {"pasted, last digit off", reference, paste + abc.substr(0, 31) + L"0", result, kRed, white,
         differs},
        {"pasted, equal", reference, paste + abc, result, kGreen, white, agrees},
        {"Clear", clear, L"", result, kNone, plain, L"「label」" + events},
        {"new text", input, L"a", result, kPlain, plain, L""},
        {"pasted, first digit off", reference, firstOff, result, kRed, white, differs},
        {"high contrast", dialog, L"", result, kPlain, dark, L" bold"},
        {"pasted, equal in it", reference, paste + a, result, kPlain, dark, agrees},
        {"the reference in it", NULL, L"", reference, kPlain, dark, L""},
    };
    Type(L"abc");
    // Each step builds on the one before: the first wrong one ends the test.
    for (const Step &step : steps) {
        std::wstring keys = step.keys;
        if (step.target == dialog) {
            // The theme's colours come before its flag, which must repaint alone.
            const COLORREF theme[] = {dark, dark, white, white};
            SetSysColors(4, kThemed, theme);
            Redirect(__imp_SystemParametersInfoW, [](UINT, UINT, HIGHCONTRASTW *contrast, UINT) {
                return contrast->dwFlags = HCF_HIGHCONTRASTON, TRUE; // its only question
            });
            SendMessageW(dialog, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        } else if (!keys.empty() && keys[0] == paste[0]) {
            // All selected and pasted over in one change.
            PutOnClipboard(keys.substr(1));
            SendMessageW(step.target, EM_SETSEL, 0, -1);
            keys = paste;
        } else if (step.target && keys.empty()) {
            SendMessageW(step.target, BM_CLICK, 0, 0);
        }
        for (wchar_t c : keys)
            SendMessageW(step.target, WM_CHAR, c, 1);
        LOGFONTW font = {};
        GetObjectW((HFONT)SendMessageW(result, WM_GETFONT, 0, 0), sizeof(font), &font);
        EXPECT_EQ(g_told + (font.lfWeight >= FW_BOLD ? L" bold" : L""), step.told) << step.what;
        g_told.clear();
        ASSERT_TRUE(WaitFor(ShowsPainting, (void *)&step)) << step.what;
    }
}

HDROP MakeDrop(const std::wstring &names) {
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    DROPFILES *header = (DROPFILES *)GlobalLock(drop);
    *header = {sizeof(DROPFILES), {}, FALSE, TRUE};
    memcpy(header + 1, names.c_str(), names.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    return (HDROP)drop;
}

TEST_F(MainDialog, OneDroppedFileIsDigestedAndSeveralAreRefused) {
    const std::string bytes = TestBytes(3000, 1);
    const std::wstring file = WriteScratchFile(L"dropped.txt", bytes);
    const std::wstring missing = ScratchPath(std::wstring(700, L'm'));
    const std::pair<std::wstring, std::wstring> cases[] = {
        {file + L'\0' + missing + L'\0', L"kept|kept|kept/" + std::to_wstring((UINT_PTR)dialog) +
                                             L"|警告|一次只能计算一个文件的MD5值。|0"}, // MB_OK
        {missing + L'\0', missing + L"|无法打开文件: " + missing + L".|kept/"},
        {file + L'\0', file + L"|" + PlatformMd5(bytes) + L"|kept/"},
    };
    Redirect(__imp_MessageBoxW, [](HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        g_request = std::to_wstring((UINT_PTR)owner) + L"|" + caption + L"|" + text + L"|" +
                    std::to_wstring(type);
        return IDOK;
    });
    for (const auto &[paths, shown] : cases) {
        Fill(L"kept");
        ShowWindow(dialog, SW_MINIMIZE);
        g_request.clear();
        SendMessageW(dialog, WM_DROPFILES, (WPARAM)MakeDrop(paths), 0);
        EXPECT_EQ(Fields() + L"/" + g_request, shown);
        EXPECT_FALSE(IsIconic(dialog)) << "a drop restores the window";
    }
}

// The path for the open-file dialog (none: cancel), the dialog, what it offered.
std::wstring g_choice, g_offered;
HWND g_box;

// The open-file dialog, its list filled, is read and takes the path; others cancel.
LRESULT CALLBACK ChooseFile(int code, WPARAM window, LPARAM info) {
    HWND box = (HWND)window;
    if (code == HCBT_ACTIVATE && !g_box && (GetDlgItem(box, 0x480) || GetDlgItem(box, 0x47C)))
        g_box = box, SetTimer(NULL, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(NULL, timer);
            HWND list = FindWindowExW(FindWindowExW(g_box, NULL, L"SHELLDLL_DefView", NULL), NULL,
                                      L"SysListView32", NULL);
            LVFINDINFOW find = {LVFI_STRING, L"no extension"};
            g_offered =
                ItemText(g_box, 0x470) +
                (SendMessageW(list, LVM_FINDITEMW, -1, (LPARAM)&find) < 0 ? L"|not" : L"|") +
                L" listed";
            SetDlgItemTextW(g_box, GetDlgItem(g_box, 0x480) ? 0x480 : 0x47C, g_choice.c_str());
            PostMessageW(g_box, WM_COMMAND, g_choice.empty() ? IDCANCEL : IDOK, 0);
        });
    else if (code == HCBT_ACTIVATE && GetWindow(box, GW_OWNER))
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return CallNextHookEx(NULL, code, window, info);
}

// The file button (Alt+F): a path of 263 characters (Wine's dialog's longest) chosen,
// then cancelled in that folder, which lists a file with no extension; the current folder stays.
TEST_F(MainDialog, FileButtonDigestsTheChosenFileAndCancelKeepsTheFields) {
    const std::string bytes = TestBytes(4321, 2);
    WriteScratchFile(L"no extension", "");
    const std::wstring folder = std::filesystem::current_path(), named = ScratchPath(L"");
    const std::wstring file = WriteScratchFile(std::wstring(263 - named.size(), L'c'), bytes);
    HHOOK hook = SetWindowsHookExW(WH_CBT, ChooseFile, NULL, GetCurrentThreadId());
    for (const std::wstring &path : {file, std::wstring()}) {
        Fill(L"kept");
        g_choice = path, g_box = NULL;
        PressKey(L'f', true);
        const std::wstring shown = path.empty() ? L"kept|kept" : path + L"|" + PlatformMd5(bytes);
        EXPECT_EQ(Fields() + L"|" + std::filesystem::current_path().wstring(),
                  shown + L"|kept|" + folder);
    }
    EXPECT_EQ(g_offered, L"All Files(*.*)| listed");
    UnhookWindowsHookEx(hook);
}

BOOL g_elevated;

// Whether the shell was asked here, or a browser run, with the address into.
bool Opened(void *into) {
    std::wifstream file("Z:" KESTRUM_BROWSED);
    return !g_request.empty() || std::getline(file, *(std::wstring *)into).good();
}

// A click, or Enter, on the link. Not elevated: the shell here, no drop from below. Elevated: the
// desktop's shell as the signed-in user (winebrowser runs a recorder); a drop's messages pass.
TEST_F(MainDialog, LinkOpensTheAddressItShowsAsTheSignedInUser) {
    LITEM item = {LIF_ITEMINDEX | LIF_URL, 0};
    ASSERT_TRUE(SendDlgItemMessageW(dialog, IDC_LINK, LM_GETITEM, 0, (LPARAM)&item));
    const wchar_t browser[] = L"/bin/sh -c \"echo $0 >'" KESTRUM_BROWSED L"'\"",
                  *key = L"Software\\Wine\\WineBrowser";
    Require(!RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Browsers", REG_SZ, browser, sizeof(browser)),
            "the browser was not replaced");
    Redirect(__imp_GetTokenInformation,
             [](HANDLE, TOKEN_INFORMATION_CLASS kind, void *to, DWORD, DWORD *) -> BOOL {
                 return *(TOKEN_ELEVATION *)to = {(DWORD)g_elevated}, kind == TokenElevation;
             });
    Redirect(__imp_ShellExecuteW, [](HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT show) {
        g_request = verb + (L"|" + std::wstring(file)) + L"|" + std::to_wstring(show);
        return (HINSTANCE)33; // above 32: done
    });
    HWND link = GetDlgItem(dialog, IDC_LINK);
    RECT area;
    GetWindowRect(link, &area);
    SetCursorPos(area.left + 3, (area.top + area.bottom) / 2);
    const std::set<UINT> none, drop = {WM_DROPFILES, WM_COPYDATA, 0x49}; // WM_COPYGLOBALDATA
    const std::wstring url = item.szUrl,
                       opened[] = {L"OPEN|" + url + L"|" + std::to_wstring(SW_SHOWNORMAL) + L"/",
                                   L"/" + url};
    for (BOOL elevated : {FALSE, TRUE}) {
        g_elevated = elevated, g_allowed.clear(), g_request.clear(), SetupMainWindow(dialog);
        EXPECT_EQ(g_allowed, elevated ? drop : none);
        SetForegroundWindow(dialog), SetFocus(link), DeleteFileA("Z:" KESTRUM_BROWSED);
        std::wstring browsed;
        if (elevated) // Enter, else a click
            keybd_event(VK_RETURN, 0, 0, 0), keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
        mouse_event(elevated ? 0 : MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        WaitFor(Opened, &browsed);
        EXPECT_EQ(g_request + L"/" + browsed, opened[elevated]);
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Browsers");
}

HANDLE g_held = CreateEventW(NULL, FALSE, FALSE, NULL);

// Holds the clipboard for the milliseconds given, as another program might.
DWORD WINAPI HoldClipboard(void *held) {
    if (OpenClipboard(NULL))
        SetEvent(g_held), Sleep((DWORD)(UINT_PTR)held), CloseClipboard();
    return 0;
}

// An STA without OLE1 DDE before the dialog, as the shell needs; the icon, on top, drops; fields
// named by their labels; Tab in order. A copy waits out a brief clipboard hold, beeps at a long.
TEST_F(MainDialog, WindowTakesDropsNamesItsFieldsAndAnswersItsKeys) {
    EXPECT_EQ(g_started, L"apartment 6, dialog"); // COINIT_APARTMENTTHREADED, _DISABLE_OLE1DDE
    HICON icon = LoadIconW(g_instance, MAKEINTRESOURCEW(IDI_MAIN));
    EXPECT_TRUE(icon && (HICON)SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) == icon &&
                (HICON)SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) == icon);
    const LONG style = WS_EX_TOPMOST | WS_EX_ACCEPTFILES;
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & style, style);
    VARIANT self = {{{VT_I4}}}; // CHILDID_SELF
    const std::pair<int, std::wstring> fields[] = {
        {IDC_INPUT, L"字符串"}, {IDC_RESULT, L"MD5值"}, {IDC_REFERENCE, L"参照值"}};
    for (const auto &[id, label] : fields) {
        IAccessible *field = NULL;
        BSTR name = NULL;
        if (AccessibleObjectFromWindow(GetDlgItem(dialog, id), OBJID_CLIENT, __uuidof(IAccessible),
                                       (void **)&field) == S_OK)
            field->get_accName(self, &name), field->Release();
        std::wstring said = name ? name : L"(no name)";
        EXPECT_EQ(said.substr(0, said.find(L':')), label);
        SysFreeString(name);
    }
    for (int id :
         {IDC_BROWSE, IDC_RESULT, IDC_COPY, IDC_LINK, IDC_REFERENCE, IDC_CLEAR, IDOK, IDC_INPUT})
        EXPECT_EQ((PressKey(VK_TAB), GetDlgCtrlID(GetFocus())), id);
    Type(L"a");
    PutOnClipboard(L"earlier");
    Redirect(__imp_MessageBeep,
             [](UINT type) -> BOOL { return g_request = L"beep " + std::to_wstring(type), TRUE; });
    const std::wstring digest = L"0CC175B9C0F1B6A831C399E269772661", copied = L"|" + digest;
    const std::tuple<DWORD, WPARAM, std::wstring> steps[] = {
        {700, L'c', L"a" + copied + L"|earlier/beep " + std::to_wstring(MB_ICONWARNING)},
        {50, L'c', L"a" + copied + copied + L"/"},
        {0, L'e', L"||/"},
        {0, L'c', L"|" + copied + L"/"}};
    for (const auto &[held, key, shown] : steps) {
        HANDLE holder = CreateThread(NULL, 0, HoldClipboard, (void *)(UINT_PTR)held, 0, NULL);
        Require(WaitForSingleObject(g_held, kPatience) == WAIT_OBJECT_0, "no hold on it");
        g_request.clear();
        PressKey(key, true);
        WaitForSingleObject(holder, kPatience), CloseHandle(holder);
        if (key == L'c')
            SetDlgItemTextW(dialog, IDC_REFERENCE, L""),
                SendDlgItemMessageW(dialog, IDC_REFERENCE, WM_PASTE, 0, 0);
        EXPECT_EQ(Fields() + L"/" + g_request, shown) << "held " << held << " ms";
    }
    EXPECT_EQ(GetClipboardOwner(), dialog);
}

} // namespace
