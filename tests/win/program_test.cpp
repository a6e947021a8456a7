// The program file, started, used from another process and closed as by a user.
#include <gtest/gtest.h>

#include "resource.h"
#include "support.h"

namespace {

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    // The build names the program by its Unix path, under Wine's Z:. Stops the
    // test unless a window of the process started appears: its dialog.
    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"Z:" KESTRUM_PROGRAM L"\" " + arguments;
        STARTUPINFOW startup = {sizeof(startup)};
        Require(CreateProcessW(NULL, &line[0], NULL, NULL, 0, 0, NULL, NULL, &startup, &process),
                "the program did not start");
        Require(WaitFor(FindOwnWindow, this), "the program started showed no window");
    }
    static BOOL CALLBACK TakeIfVisible(HWND window, LPARAM found) {
        *(HWND *)found = IsWindowVisible(window) ? window : *(HWND *)found;
        return TRUE;
    }
    static bool FindOwnWindow(void *self) {
        Program *program = (Program *)self;
        program->dialog = NULL;
        EnumThreadWindows(program->process.dwThreadId, TakeIfVisible, (LPARAM)&program->dialog);
        return program->dialog != NULL;
    }
    static bool Ended(void *process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    // The exit code once the program has ended; STILL_ACTIVE (259) while it runs.
    int ExitCode() {
        WaitFor(Ended, process.hProcess);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.hProcess, &code);
        TearDown();
        return (int)code;
    }
    // A program left running by a failed test ends with it.
    void TearDown() override {
        if (process.hProcess)
            TerminateProcess(process.hProcess, 99), CloseHandle(process.hProcess),
                CloseHandle(process.hThread);
        process = {};
    }
};

TEST_F(Program, TakesItsFirstArgumentAndExitsWithZeroHoweverClosed) {
    const std::string first = TestBytes(200000, 1), second = TestBytes(10, 2);
    const std::wstring spaced = WriteScratchFile(L"name with spaces.iso", first);
    const std::wstring other = WriteScratchFile(L"other.bin", second);
    struct Case {
        std::wstring arguments, fields;
        int target; // 0: the dialog
        UINT message;
        WPARAM key;
    } cases[] = {
        {L"", L"|", IDC_INPUT, WM_SYSCHAR, L'x'},
        {L"\"" + spaced + L"\"", spaced + L"|" + PlatformMd5(first), IDC_INPUT, WM_KEYDOWN,
         VK_ESCAPE},
        {L"\"" + other + L"\" \"" + spaced + L"\"", other + L"|" + PlatformMd5(second), 0,
         WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Case &c : cases) {
        Start(c.arguments);
        EXPECT_EQ(ItemText(dialog, IDC_INPUT) + L"|" + ItemText(dialog, IDC_RESULT), c.fields);
        PostMessageW(c.target ? Item(c.target) : dialog, c.message, c.key, 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(c.arguments);
    }
}

// The window's client area as the screen shows it, row by row.
std::vector<COLORREF> ScreenPixels(HWND window, int *width, int *height) {
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, NULL, (POINT *)&area, 2);
    *width = area.right - area.left, *height = area.bottom - area.top;
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(NULL);
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++)
            pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(NULL, screen);
    return pixels;
}

// What a user tells a pixel of text to be, whatever its exact shade; none: the
// background and the edges between.
enum Ink { kNone, kDark, kRed, kGreen };

Ink InkOf(COLORREF pixel) {
    int red = GetRValue(pixel), green = GetGValue(pixel), blue = GetBValue(pixel);
    return red >= 160 && green < 90 && blue < 90    ? kRed
           : green >= 90 && red < 60 && blue < 60   ? kGreen
           : red < 100 && green < 100 && blue < 100 ? kDark
                                                    : kNone;
}

// A user's step with the colours, and how a field then looks on the screen.
struct Step {
    const char *what;
    HWND target;       // typed into, or clicked without keys; none: nothing
    std::wstring keys; // or Ctrl+V and the reference it pastes
    HWND field;
    Ink ink;
    COLORREF background;
};

// Whether the step's field on the screen is mostly its background, with
// text in its ink and in no other.
bool ShowsPainting(void *context) {
    const Step *want = (const Step *)context;
    int width, height, inks[4] = {}, background = 0;
    for (COLORREF pixel : ScreenPixels(want->field, &width, &height)) {
        inks[InkOf(pixel)]++;
        background += pixel == want->background;
    }
    int text = inks[kDark] + inks[kRed] + inks[kGreen];
    int inked = want->ink == kNone ? 0 : inks[want->ink];
    return background > width * height / 2 && text == inked && (want->ink == kNone || text > 30);
}

// The digest in lower case is typed, then pasted over by references that
// differ from it only in their last or only in their first digit.
TEST_F(Program, DigestIsPaintedGreenOnAMatchRedOnAMismatch) {
    const std::string bytes = TestBytes(4096, 3);
    std::wstring digest = PlatformMd5(bytes);
    CharLowerW(&digest[0]);
    std::wstring lastOff = digest, firstOff = digest;
    lastOff[31] = digest[31] == L'0' ? L'1' : L'0';
    firstOff[0] = digest[0] == L'0' ? L'1' : L'0';
    Start(L"\"" + WriteScratchFile(L"checked.iso", bytes) + L"\"");
    // The platform's read-only background, white once there is a reference.
    const COLORREF plain = GetSysColor(COLOR_BTNFACE), white = RGB(255, 255, 255);
    const std::wstring paste = L"\x16"; // Ctrl+V
    const HWND result = Item(IDC_RESULT), reference = Item(IDC_REFERENCE);
    const Step steps[] = {
        {"no reference", NULL, L"", result, kDark, plain},
        {"one digit short", reference, digest.substr(0, 31), result, kRed, white},
        {"equal but for case", reference, digest.substr(31), result, kGreen, white},
        {"the reference itself", NULL, L"", reference, kGreen, white},
        {"pasted, last digit off", reference, paste + lastOff, result, kRed, white},
        {"pasted, equal", reference, paste + digest, result, kGreen, white},
        {"pasted, first digit off", reference, paste + firstOff, result, kRed, white},
        {"Clear", Item(IDC_CLEAR), L"", result, kNone, plain},
        {"new text", Item(IDC_INPUT), L"a", result, kDark, plain},
    };
    // Each step builds on the one before, and a step not taken leaves the
    // colours of the one before: the first wrong one ends the test.
    for (const Step &step : steps) {
        std::wstring keys = step.keys;
        // All selected and pasted over in one change: the screen never shows
        // a reference between the old and the new.
        if (keys[0] == paste[0]) {
            PutOnClipboard(keys.substr(1));
            SendMessageW(step.target, EM_SETSEL, 0, -1);
            keys = paste;
        }
        for (wchar_t c : keys)
            SendMessageW(step.target, WM_CHAR, c, 1);
        if (step.target && keys.empty())
            SendMessageW(step.target, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor(ShowsPainting, (void *)&step)) << step.what;
    }
    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
