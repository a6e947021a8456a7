// The program file, started, used from another process and closed as by a user.
#include <gtest/gtest.h>

#include "resource.h"
#include "support.h"

namespace {

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    // The build names the program by its Unix path, under Wine's Z:. Stops the
    // test unless a window of the process started appears.
    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"Z:" KESTRUM_PROGRAM L"\" " + arguments;
        STARTUPINFOW startup = {sizeof(startup)};
        Require(CreateProcessW(NULL, &line[0], NULL, NULL, 0, 0, NULL, NULL, &startup, &process),
                "the program did not start");
        Require(WaitFor(FindOwnWindow, this), "the program started showed no window");
    }
    static bool FindOwnWindow(void *self) {
        Program *program = (Program *)self;
        DWORD owner = 0;
        HWND &found = program->dialog;
        for (found = NULL; (found = FindWindowExW(NULL, found, L"#32770", L"Kestrum")) != NULL;) {
            if (GetWindowThreadProcessId(found, &owner) && owner == program->process.dwProcessId &&
                IsWindowVisible(found))
                return true;
        }
        return false;
    }
    static bool Ended(void *process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    // The exit code once the program has ended; -1 if it does not end.
    int ExitCode() {
        DWORD code = (DWORD)-1;
        if (WaitFor(Ended, process.hProcess))
            GetExitCodeProcess(process.hProcess, &code);
        TearDown();
        return (int)code;
    }
    // A program left running by a failed test ends with it.
    void TearDown() override {
        if (process.hProcess == NULL)
            return;
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
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
        EXPECT_EQ(ItemText(dialog, IDC_INPUT) + L"|" + ItemText(dialog, IDC_RESULT), c.fields);
        PostMessageW(c.target ? Item(c.target) : dialog, c.message, c.key, 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(c.arguments);
    }
}

struct Painting {
    HWND field;
    Ink ink;
    COLORREF background;
};

// Whether the field on the screen is mostly its background, with text in the
// ink and in no other.
bool ShowsPainting(void *context) {
    const Painting *want = (const Painting *)context;
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
    struct Step {
        const char *what;
        int target;        // typed into, or clicked without keys; 0: nothing
        std::wstring keys; // what paste keys paste: the reference
        int field;
        Ink ink;
        COLORREF background;
        std::wstring reference;
    } steps[] = {
        {"no reference", 0, L"", IDC_RESULT, kDark, plain, L""},
        {"one digit short", IDC_REFERENCE, digest.substr(0, 31), IDC_RESULT, kRed, white,
         digest.substr(0, 31)},
        {"equal but for case", IDC_REFERENCE, digest.substr(31), IDC_RESULT, kGreen, white, digest},
        {"the reference itself", 0, L"", IDC_REFERENCE, kGreen, white, digest},
        {"pasted, last digit off", IDC_REFERENCE, paste, IDC_RESULT, kRed, white, lastOff},
        {"pasted, equal", IDC_REFERENCE, paste, IDC_RESULT, kGreen, white, digest},
        {"pasted, first digit off", IDC_REFERENCE, paste, IDC_RESULT, kRed, white, firstOff},
        {"Clear", IDC_CLEAR, L"", IDC_RESULT, kNone, plain, L""},
        {"new text", IDC_INPUT, L"a", IDC_RESULT, kDark, plain, L""},
    };
    // Each step builds on the one before: the first wrong one ends the test.
    for (const Step &step : steps) {
        // All selected and pasted over in one change: the screen never shows
        // a reference between the old and the new.
        if (step.keys == paste) {
            PutOnClipboard(step.reference);
            SendMessageW(Item(step.target), EM_SETSEL, 0, -1);
        }
        for (wchar_t c : step.keys)
            SendMessageW(Item(step.target), WM_CHAR, c, 1);
        if (step.target && step.keys.empty())
            SendMessageW(Item(step.target), BM_CLICK, 0, 0);
        Painting painting = {Item(step.field), step.ink, step.background};
        ASSERT_TRUE(WaitFor(ShowsPainting, &painting)) << step.what;
        ASSERT_EQ(ItemText(dialog, IDC_REFERENCE), step.reference) << step.what;
    }
    SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
