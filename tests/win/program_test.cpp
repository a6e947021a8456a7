// The program file, started, used from another process and closed as by a user.
#include <gtest/gtest.h>

#include <map>

#include "resource.h"
#include "support.h"

namespace {

const DWORD kPatience = 60000; // under an emulated processor it starts in seconds

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    // The build names the program by its Unix path, under Wine's Z:.
    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"Z:" KESTRUM_PROGRAM L"\" " + arguments;
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
    std::wstring Text(int id) const { return ItemText(dialog, id); }
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

// Whether the field shows glyphs in one colour (kBlack: near black; the
// background: none) and in neither other, on the background, within 5 s.
bool PaintedIn(HWND field, COLORREF glyphs, COLORREF background) {
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
        std::map<COLORREF, int> count;
        for (int i = 0; i < width * height; i++) {
            COLORREF c = RGB(bits[i] >> 16 & 255, bits[i] >> 8 & 255, bits[i] & 255);
            count[c]++;
            count[kBlack] += GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100;
        }
        int red = count[kRed], green = count[kGreen], dark = count[kBlack] - red - green;
        int shown = glyphs == kRed ? red : glyphs == kGreen ? green : glyphs == kBlack ? dark : 0;
        painted = count[background] > width * height / 2 && red + green + dark == shown &&
                  (shown > 30 || glyphs == background);
    }
    DeleteObject(SelectObject(memory, old));
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return painted;
}

// The digest in lower case is typed, then replaced by a pasted one a digit off.
TEST_F(Program, DigestIsPaintedGreenOnAMatchRedOnAMismatch) {
    const std::string bytes = TestBytes(4096, 3);
    std::wstring digest = PlatformMd5(bytes);
    CharLowerW(&digest[0]);
    const std::wstring wrong = digest.substr(0, 31) + (digest[31] == L'0' ? L"1" : L"0");
    ASSERT_TRUE(PutOnClipboard(wrong));
    Start(L"\"" + WriteScratchFile(L"checked.iso", bytes) + L"\"");
    // The platform's read-only background, white once there is a reference.
    const COLORREF plain = GetSysColor(COLOR_BTNFACE);
    struct Step {
        const char *what;
        int target;        // typed into, or clicked without keys; 0: nothing
        std::wstring keys; // \x16: Ctrl+V
        int field;
        COLORREF glyphs, background;
        std::wstring reference;
    } steps[] = {
        {"no reference", 0, L"", IDC_RESULT, kBlack, plain, L""},
        {"one digit short", IDC_REFERENCE, digest.substr(0, 31), IDC_RESULT, kRed, kWhite,
         digest.substr(0, 31)},
        {"equal but for case", IDC_REFERENCE, digest.substr(31), IDC_RESULT, kGreen, kWhite,
         digest},
        {"the reference itself", 0, L"", IDC_REFERENCE, kGreen, kWhite, digest},
        {"pasted one digit off", IDC_REFERENCE, std::wstring(32, L'\b') + L"\x16", IDC_RESULT, kRed,
         kWhite, wrong},
        {"Clear", IDC_CLEAR, L"", IDC_RESULT, plain, plain, L""},
        {"new text", IDC_INPUT, L"a", IDC_RESULT, kBlack, plain, L""},
    };
    for (const Step &step : steps) {
        for (wchar_t c : step.keys)
            SendMessageW(Item(step.target), WM_CHAR, c, 1);
        if (step.target && step.keys.empty())
            SendMessageW(Item(step.target), BM_CLICK, 0, 0);
        EXPECT_TRUE(PaintedIn(Item(step.field), step.glyphs, step.background)) << step.what;
        EXPECT_EQ(Text(IDC_REFERENCE), step.reference) << step.what;
    }
    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
