// The program file itself, started as a user starts it, used through its
// window from another process, and closed every way there is.
#include <gtest/gtest.h>

#include "resource.h"
#include "support.h"

namespace {

// Under an emulated processor the program starts in seconds, not at once.
const DWORD kPatience = 60000;

// The build names the program file by its Unix path; Wine shows / as Z:.
std::wstring ProgramPath() {
    std::wstring path = L"Z:" KESTRUM_PROGRAM;
    for (wchar_t &c : path)
        c = c == L'/' ? L'\\' : c;
    return path;
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindProgramDialog(HWND window, LPARAM lParam) {
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t type[8] = {};
    GetClassNameW(window, type, 8);
    if (owner != search->process || lstrcmpW(type, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
        STARTUPINFOW startup = {sizeof(startup)};
        ASSERT_TRUE(
            CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
        WindowSearch search = {process.dwProcessId, NULL};
        for (DWORD waited = 0; search.found == NULL && waited < kPatience; waited += 50) {
            Sleep(50);
            EnumWindows(FindProgramDialog, (LPARAM)&search);
        }
        dialog = search.found;
        ASSERT_NE(dialog, (HWND)NULL) << "no window appeared";
    }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring Text(int id) const {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(Item(id), WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kPatience, &length);
        std::wstring text(length + 1, L'\0');
        SendMessageTimeoutW(Item(id), WM_GETTEXT, length + 1, (LPARAM)&text[0], SMTO_BLOCK,
                            kPatience, &length);
        text.resize(length);
        return text;
    }
    // The exit code once the program has ended; -1 if it does not end.
    int ExitCode() {
        DWORD code = (DWORD)-1;
        if (WaitForSingleObject(process.hProcess, kPatience) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return (int)code;
    }
};

TEST_F(Program, TakesItsFirstArgumentAndExitsWithZeroHoweverClosed) {
    const std::string first = TestBytes(200000, 1), second = TestBytes(10, 2);
    const std::wstring spaced = WriteScratchFile(L"name with spaces.iso", first);
    const std::wstring other = WriteScratchFile(L"other.bin", second);
    const std::wstring missing = ScratchPath(L"not there.txt");
    struct Case {
        std::wstring arguments, fields;
        UINT message;
        WPARAM wParam;
        int target;
    };
    const Case cases[] = {
        {L"", L"|", WM_COMMAND, IDOK, 0},
        {L"\"" + spaced + L"\"", spaced + L"|" + PlatformMd5(first), WM_KEYDOWN, VK_ESCAPE,
         IDC_INPUT},
        {L"\"" + other + L"\" \"" + spaced + L"\"", other + L"|" + PlatformMd5(second),
         WM_SYSCOMMAND, SC_CLOSE, 0},
        {L"\"" + missing + L"\"", missing + L"|无法打开文件: " + missing + L".", WM_SYSCHAR, L'x',
         IDC_INPUT},
    };
    for (const Case &c : cases) {
        Start(c.arguments);
        EXPECT_EQ(Text(IDC_INPUT) + L"|" + Text(IDC_RESULT), c.fields);
        PostMessageW(c.target ? Item(c.target) : dialog, c.message, c.wParam, 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(c.arguments);
    }
}

struct Pixels {
    int red, green, dark;
};

Pixels CountPixels(HWND field) {
    RECT area;
    GetClientRect(field, &area);
    MapWindowPoints(field, NULL, (POINT *)&area, 2);
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32}};
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    uint32_t *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    Pixels seen = {};
    for (int i = 0; i < width * height; i++) {
        uint32_t p = bits[i] & 0xFFFFFF; // 0x00RRGGBB
        seen.red += p == 0xFF0000;
        seen.green += p == 0x008000;
        seen.dark += (p >> 16) + (p >> 8 & 255) + (p & 255) < 3 * 100;
    }
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return seen;
}

// The digest's red and green pixels once it is painted in the colour wanted
// (red, green, or black for none), or after five seconds.
Pixels DigestPixels(HWND field, COLORREF wanted) {
    Pixels seen = {};
    for (int tries = 0; tries < 50; tries++, Sleep(100)) {
        seen = CountPixels(field);
        int count = wanted == RGB(255, 0, 0) ? seen.red : wanted ? seen.green : seen.dark;
        if (count > 30)
            break;
    }
    return seen;
}

TEST_F(Program, DigestIsPaintedGreenOnAMatchRedOnAMismatch) {
    const std::string bytes = TestBytes(4096, 3);
    std::wstring digest = PlatformMd5(bytes);
    Start(L"\"" + WriteScratchFile(L"checked.iso", bytes) + L"\"");
    BOOL emulated32 = FALSE;
    IsWow64Process(process.hProcess, &emulated32);
    EXPECT_EQ(emulated32 != FALSE, sizeof(void *) == 4) << "the program is its build's kind";
    HWND field = Item(IDC_RESULT);
    Pixels plain = DigestPixels(field, RGB(0, 0, 0));
    EXPECT_GT(plain.dark, 30) << "no reference: the digest in black";
    EXPECT_EQ(plain.red + plain.green, 0);

    CharLowerW(&digest[0]);
    PutOnClipboard(digest);
    SendMessageW(Item(IDC_REFERENCE), WM_PASTE, 0, 0);
    Pixels match = DigestPixels(field, RGB(0, 128, 0));
    EXPECT_GT(match.green, 30) << "a pasted lower-case reference matches";
    EXPECT_EQ(match.red, 0);

    SendMessageW(Item(IDC_REFERENCE), WM_CHAR, L'0', 1);
    Pixels longer = DigestPixels(field, RGB(255, 0, 0));
    EXPECT_GT(longer.red, 30) << "one character more differs";
    EXPECT_EQ(longer.green, 0);
    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
