// The program file, started, used from another process and closed as by a user.
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
        for (DWORD waited = 0, owner = 0; waited < kPatience; waited += 50, Sleep(50)) {
            dialog = FindWindowW(L"#32770", L"Kestrum");
            if (GetWindowThreadProcessId(dialog, &owner) && owner == process.dwProcessId &&
                IsWindowVisible(dialog))
                break;
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

// Whether the field's glyphs show in the colour (0: the default black) and
// in neither other, waiting up to five seconds for it.
bool PaintedIn(HWND field, COLORREF colour) {
    RECT area;
    GetClientRect(field, &area);
    MapWindowPoints(field, NULL, (POINT *)&area, 2);
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32}};
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    uint32_t *bits = NULL;
    HGDIOBJ old = SelectObject(memory, CreateDIBSection(screen, &format, 0, (void **)&bits, 0, 0));
    bool painted = false;
    for (int tries = 0; tries < 50 && !painted; tries++, Sleep(100)) {
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        int red = 0, green = 0, black = 0;
        for (int i = 0; i < width * height; i++) {
            uint32_t p = bits[i] & 0xFFFFFF; // 0x00RRGGBB
            red += p == 0xFF0000;
            green += p == 0x008000;
            black += (p >> 16) + (p >> 8 & 255) + (p & 255) < 3 * 100;
        }
        painted = colour == kRed ? red > 30 && !green
                  : colour       ? green > 30 && !red
                                 : black > 30 && !red && !green;
    }
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return painted;
}

TEST_F(Program, DigestIsPaintedGreenOnAMatchRedOnAMismatch) {
    const std::string bytes = TestBytes(4096, 3);
    std::wstring digest = PlatformMd5(bytes);
    Start(L"\"" + WriteScratchFile(L"checked.iso", bytes) + L"\"");
    HWND result = Item(IDC_RESULT), reference = Item(IDC_REFERENCE);
    EXPECT_TRUE(PaintedIn(result, 0)) << "no reference";
    CharLowerW(&digest[0]);
    for (wchar_t c : digest.substr(0, 31))
        SendMessageW(reference, WM_CHAR, c, 1);
    EXPECT_TRUE(PaintedIn(result, kRed)) << "one digit short";
    SendMessageW(reference, WM_CHAR, digest[31], 1);
    EXPECT_TRUE(PaintedIn(result, kGreen)) << "equal but for case";
    EXPECT_TRUE(PaintedIn(reference, kGreen));
    PutOnClipboard(digest.substr(0, 31) + (digest[31] == L'0' ? L"1" : L"0"));
    SendMessageW(reference, EM_SETSEL, 0, -1);
    SendMessageW(reference, WM_PASTE, 0, 0);
    EXPECT_TRUE(PaintedIn(result, kRed)) << "a pasted reference one digit off";
    SendMessageW(Item(IDC_CLEAR), BM_CLICK, 0, 0);
    SendMessageW(Item(IDC_INPUT), WM_CHAR, L'a', 1);
    EXPECT_TRUE(PaintedIn(result, 0)) << "after clear";
    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
