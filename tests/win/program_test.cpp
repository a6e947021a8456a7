// The program file, started, used from another process and closed as by a user.
#include <gtest/gtest.h>

#include <fstream>

#include "resource.h"
#include "support.h"

namespace {

struct Program : ::testing::Test {
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    // Stops the test, naming the arguments, unless the dialog appears, centred on the work
    // area; or if a load by name in it (as the shell's) finds the DLL beside it.
    void Start(const std::wstring &arguments) {
        std::wstring line = L"\"Z:" KESTRUM_PROGRAM L"\" " + arguments;
        const std::string started = "the program started with [" + Narrow(arguments) + "] ";
        STARTUPINFOW startup = {sizeof(startup)};
        Require(CreateProcessW(NULL, &line[0], NULL, NULL, 0, 0, NULL, NULL, &startup, &process),
                started + "did not start");
        if (!WaitFor(FindOwnWindow, this))
            Require(false, started + "showed no window; exit code " + std::to_string(ExitCode()));
        RECT window, work;
        GetWindowRect(dialog, &window), SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int off = abs(window.left + window.right - work.left - work.right) +
                        abs(window.top + window.bottom - work.top - work.bottom);
        EXPECT_LE(off, 2) << started << "not centred on the work area";
        const size_t size = sizeof(KESTRUM_PLANTED);
        void *copy = VirtualAllocEx(process.hProcess, NULL, size, MEM_COMMIT, PAGE_READWRITE);
        bool put = copy && WriteProcessMemory(process.hProcess, copy, KESTRUM_PLANTED, size, NULL);
        HANDLE load = CreateRemoteThread(
            process.hProcess, NULL, 0, (LPTHREAD_START_ROUTINE)(void *)LoadLibraryW, copy, 0, NULL);
        Require(put && WaitForSingleObject(load, kPatience) == WAIT_OBJECT_0 &&
                    WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT,
                started + "ran no load by name, or its load found the DLL beside it");
        CloseHandle(load);
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
    // The exit code once the program has ended; STILL_ACTIVE (259): still running.
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

// A file of the Wine prefix, read by its Unix path, which nothing redirects.
std::string PrefixFile(const std::string &name) {
    std::ifstream file("Z:" KESTRUM_WINE_PREFIX "/drive_c/windows/" + name, std::ios::binary);
    Require(file.is_open(), "a file of the Wine prefix did not open (scripts/setup-i386)");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The first argument (a second names no file) as shown, then Alt+X, Esc or the close box.
// System32 is the system's own at either bitness; Sysnative is its name for 32-bit
// programs only. A pipe that never writes is refused, not waited for.
TEST_F(Program, ShowsTheFileItsFirstArgumentNamesAndExitsWithZeroHoweverClosed) {
    const std::string bytes = TestBytes(200000, 1), native = PrefixFile("system32/notepad.exe");
    const std::wstring pipe = SilentPipe();
    const std::wstring cases[][2] = {
        {L"", L""},
        {WriteScratchFile(L"name with spaces.iso", bytes), PlatformMd5(bytes)},
        {L"C:\\windows\\system32\\notepad.exe", PlatformMd5(native)},
        {L"C:\\windows\\syswow64\\notepad.exe", PlatformMd5(PrefixFile("syswow64/notepad.exe"))},
        {L"C:\\windows\\sysnative\\notepad.exe",
         sizeof(void *) == 4 ? PlatformMd5(native)
                             : L"无法打开文件: C:\\windows\\sysnative\\notepad.exe."},
        {pipe, L"无法打开文件: " + pipe + L"."},
    };
    const UINT by[][2] = {{WM_SYSCHAR, L'x'}, {WM_KEYDOWN, VK_ESCAPE}, {WM_SYSCOMMAND, SC_CLOSE}};
    for (size_t i = 0; i < std::size(cases); i++) {
        Start(cases[i][0].empty() ? L"" : L"\"" + cases[i][0] + L"\" second");
        EXPECT_EQ(ItemText(dialog, IDC_INPUT) + L"|" + ItemText(dialog, IDC_RESULT),
                  cases[i][0] + L"|" + cases[i][1]);
        const UINT *close = by[i % 3]; // a key to the input, the close box's command to the dialog
        PostMessageW(close[0] == WM_SYSCOMMAND ? dialog : Item(IDC_INPUT), close[0], close[1],
                     1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(cases[i][0]);
    }
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
    RECT area;
    GetClientRect(want->field, &area);
    MapWindowPoints(want->field, NULL, (POINT *)&area, 2);
    int inks[4] = {}, background = 0;
    HDC screen = GetDC(NULL);
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) {
            COLORREF pixel = GetPixel(screen, x, y);
            inks[InkOf(pixel)]++;
            background += pixel == want->background;
        }
    ReleaseDC(NULL, screen);
    int text = inks[kDark] + inks[kRed] + inks[kGreen];
    int inked = want->ink == kNone ? 0 : inks[want->ink];
    return background * 2 > (area.right - area.left) * (area.bottom - area.top) && text == inked &&
           (want->ink == kNone || text > 30);
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
