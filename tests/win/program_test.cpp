// The program file itself, started as a user starts it: with and without a
// file argument, used through its window, and closed every way there is.
#include <gtest/gtest.h>

#include "resource.h"
#include "test_support.h"

namespace {

// Under an emulated processor the program starts in seconds, not at once.
const DWORD kPatience = 60000;

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring path = self;
    for (int up = 0; up < 3; up++)
        path.resize(path.rfind(L'\\'));
    return path + L"\\Kestrum.exe";
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK CheckProgramWindow(HWND window, LPARAM lParam) {
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t type[16] = {};
    GetClassNameW(window, type, 16);
    if (owner == search->process && lstrcmpW(type, L"#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring RemoteText(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kPatience, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, (LPARAM)&text[0], SMTO_BLOCK, kPatience,
                        &got);
    text.resize(got);
    return text;
}

struct Program : ::testing::Test {
    ScratchFolder folder;
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    void Start(const std::wstring &arguments) {
        std::wstring program = ProgramPath();
        std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup = {sizeof(startup)};
        ASSERT_TRUE(CreateProcessW(program.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, NULL,
                                   &startup, &process))
            << GetLastError();
        WindowSearch search = {process.dwProcessId, NULL};
        for (DWORD waited = 0; search.found == NULL && waited < kPatience; waited += 50) {
            Sleep(50);
            EnumWindows(CheckProgramWindow, (LPARAM)&search);
        }
        dialog = search.found;
        ASSERT_NE(dialog, (HWND)NULL) << "no window appeared";
    }
    std::wstring Text(int id) const { return RemoteText(GetDlgItem(dialog, id)); }
    // The exit code once the program has ended, or -1 if it does not end.
    int ExitCode() {
        if (WaitForSingleObject(process.hProcess, kPatience) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return (int)code;
    }
    void TearDown() override {
        if (process.hProcess == NULL)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::wstring MakeFile(const std::wstring &name, const std::vector<uint8_t> &bytes) {
        std::wstring path = folder.Path(name);
        WriteBytes(path, bytes);
        return path;
    }
};

enum Closing { kCloseButton, kEsc, kTitleBarClose, kAltX };

void Close(HWND dialog, Closing how) {
    HWND input = GetDlgItem(dialog, IDC_INPUT);
    switch (how) {
    case kCloseButton:
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        break;
    case kEsc:
        PostMessageW(input, WM_KEYDOWN, VK_ESCAPE, 1);
        break;
    case kTitleBarClose:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kAltX:
        PostMessageW(input, WM_SYSCHAR, L'x', 1 << 29);
        break;
    }
}

TEST_F(Program, StartsFromItsArgumentsAndEndsWithExitCodeZero) {
    std::vector<uint8_t> first = RandomBytes(200000, 31), second = RandomBytes(10, 32);
    std::wstring spaced = MakeFile(L"name with spaces.iso", first);
    std::wstring other = MakeFile(L"other.bin", second);
    std::wstring missing = folder.Path(L"not there.txt");
    std::wstring deep = folder.path;
    while (deep.size() < 280) {
        deep += L"\\" + std::wstring(90, L'p');
        CreateDirectoryW((L"\\\\?\\" + deep).c_str(), NULL);
    }
    std::wstring longPath = deep + L"\\file.bin";
    WriteBytes(longPath, second);

    struct Case {
        const char *what;
        std::wstring arguments, input, result;
        Closing closing;
    };
    const std::wstring firstDigest = PlatformMd5(first.data(), first.size());
    const std::wstring secondDigest = PlatformMd5(second.data(), second.size());
    const Case cases[] = {
        {"no argument", L"", L"", L"", kCloseButton},
        {"quoted path with spaces", L"\"" + spaced + L"\"", spaced, firstDigest, kEsc},
        {"two arguments", L"\"" + other + L"\" \"" + spaced + L"\"", other, secondDigest,
         kTitleBarClose},
        {"missing file", L"\"" + missing + L"\"", missing, L"无法打开文件: " + missing + L".", kAltX},
        {"argument over 260 characters", L"\"" + longPath + L"\"", longPath, secondDigest,
         kCloseButton},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.arguments);
        ASSERT_NE(dialog, (HWND)NULL);
        EXPECT_EQ(Text(IDC_INPUT), c.input);
        EXPECT_EQ(Text(IDC_RESULT), c.result);
        EXPECT_EQ(Text(IDC_REFERENCE), L"");
        Close(dialog, c.closing);
        EXPECT_EQ(ExitCode(), 0);
        TearDown();
        process = {};
    }
}

TEST_F(Program, TypingAndTheButtonsWorkThroughTheWindow) {
    Start(L"");
    ASSERT_NE(dialog, (HWND)NULL);
    HWND input = GetDlgItem(dialog, IDC_INPUT);
    for (wchar_t c : std::wstring(L"中文"))
        SendMessageW(input, WM_CHAR, c, 1);
    EXPECT_EQ(Text(IDC_RESULT), L"BCCE109775E8E1972E9F5FCDA3E12895");

    PutOnClipboard("earlier contents");
    SendMessageW(GetDlgItem(dialog, IDC_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(ClipboardText(), "BCCE109775E8E1972E9F5FCDA3E12895");

    SendMessageW(GetDlgItem(dialog, IDC_CLEAR), BM_CLICK, 0, 0);
    EXPECT_EQ(Text(IDC_INPUT), L"");
    EXPECT_EQ(Text(IDC_RESULT), L"");
    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

// The icon itself is checked in-process and on the X window, since Wine
// answers WM_GETICON from another process with no icon.
TEST_F(Program, WindowIsTopmostWithItsCaption) {
    Start(L"");
    ASSERT_NE(dialog, (HWND)NULL);
    wchar_t caption[32] = {};
    GetWindowTextW(dialog, caption, 32);
    EXPECT_STREQ(caption, L"Kestrum");
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    BOOL emulated32 = FALSE;
    IsWow64Process(process.hProcess, &emulated32);
    EXPECT_EQ(emulated32 != FALSE, sizeof(void *) == 4) << "the program runs as its build's kind";
    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
