// The program file itself, started as a user starts it, used through its
// window from another process, and closed every way there is.
#include <gtest/gtest.h>

#include "resource.h"
#include "support.h"

namespace {

const DWORD kPatience = 60000; // under an emulated processor it starts in seconds

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    // The build names the program by its Unix path, which Wine shows under Z:.
    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"Z:" KESTRUM_PROGRAM L"\" " + arguments;
        for (size_t slash; (slash = line.find(L'/')) != std::wstring::npos;)
            line[slash] = L'\\';
        STARTUPINFOW startup = {sizeof(startup)};
        ASSERT_TRUE(
            CreateProcessW(NULL, &line[0], NULL, NULL, 0, 0, NULL, NULL, &startup, &process));
        DWORD owner = 0;
        for (DWORD waited = 0; waited < kPatience; waited += 50) {
            dialog = FindWindowW(L"#32770", L"Kestrum");
            GetWindowThreadProcessId(dialog, &owner);
            if (owner == process.dwProcessId && IsWindowVisible(dialog))
                break;
            Sleep(50);
        }
        ASSERT_TRUE(IsWindowVisible(dialog)) << "no window appeared";
    }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring Text(int id) const {
        wchar_t text[1024] = {};
        SendMessageTimeoutW(Item(id), WM_GETTEXT, 1024, (LPARAM)text, 0, kPatience, NULL);
        return text;
    }
    // The exit code once the program has ended; -1 if it does not end.
    int ExitCode() {
        DWORD code = (DWORD)-1;
        if (WaitForSingleObject(process.hProcess, kPatience) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
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
        int target; // 0: the dialog
        UINT message;
        WPARAM key;
    } cases[] = {
        {L"", L"|", IDOK, BM_CLICK, 0},
        {L"\"" + spaced + L"\"", spaced + L"|" + PlatformMd5(first), IDC_INPUT, WM_KEYDOWN,
         VK_ESCAPE},
        {L"\"" + other + L"\" \"" + spaced + L"\"", other + L"|" + PlatformMd5(second), 0,
         WM_SYSCOMMAND, SC_CLOSE},
        {L"\"" + missing + L"\"", missing + L"|无法打开文件: " + missing + L".", IDC_INPUT,
         WM_SYSCHAR, L'x'},
    };
    for (const Case &c : cases) {
        Start(c.arguments);
        EXPECT_EQ(Text(IDC_INPUT) + L"|" + Text(IDC_RESULT), c.fields);
        PostMessageW(c.target ? Item(c.target) : dialog, c.message, c.key, 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(c.arguments);
    }
}

// The digest field's red, green and dark pixels once the one wanted shows
// (red, green, or dark for the default black), or after five seconds.
struct Pixels {
    int red, green, dark;
};

Pixels DigestPixels(HWND field, COLORREF wanted) {
    RECT area;
    GetClientRect(field, &area);
    MapWindowPoints(field, NULL, (POINT *)&area, 2);
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32}};
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    uint32_t *bits = NULL;
    HGDIOBJ old = SelectObject(memory, CreateDIBSection(screen, &format, 0, (void **)&bits, 0, 0));
    Pixels seen = {};
    for (int tries = 0; tries < 50 && (wanted == kRed ? seen.red
                                       : wanted       ? seen.green
                                                      : seen.dark) < 30;
         tries++) {
        Sleep(100);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        seen = {};
        for (int i = 0; i < width * height; i++) {
            uint32_t p = bits[i] & 0xFFFFFF; // 0x00RRGGBB
            seen.red += p == 0xFF0000;
            seen.green += p == 0x008000;
            seen.dark += (p >> 16) + (p >> 8 & 255) + (p & 255) < 3 * 100;
        }
    }
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return seen;
}

TEST_F(Program, DigestIsPaintedGreenOnAMatchRedOnAMismatch) {
    const std::string bytes = TestBytes(4096, 3);
    std::wstring digest = PlatformMd5(bytes);
    Start(L"\"" + WriteScratchFile(L"checked.iso", bytes) + L"\"");
    BOOL emulated32 = FALSE;
    IsWow64Process(process.hProcess, &emulated32);
    EXPECT_EQ(emulated32 != FALSE, sizeof(void *) == 4) << "the program is its build's kind";

    Pixels plain = DigestPixels(Item(IDC_RESULT), RGB(0, 0, 0));
    EXPECT_TRUE(plain.dark > 30 && plain.red + plain.green == 0) << "no reference: default black";
    CharLowerW(&digest[0]);
    PutOnClipboard(digest);
    SendMessageW(Item(IDC_REFERENCE), WM_PASTE, 0, 0);
    Pixels match = DigestPixels(Item(IDC_RESULT), kGreen);
    EXPECT_TRUE(match.green > 30 && match.red == 0) << "a pasted lower-case reference matches";
    SendMessageW(Item(IDC_REFERENCE), WM_CHAR, L'0', 1);
    Pixels longer = DigestPixels(Item(IDC_RESULT), kRed);
    EXPECT_TRUE(longer.red > 30 && longer.green == 0) << "one character more differs";

    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
