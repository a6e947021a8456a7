// The program file, started, used from another process and closed as by a user.
#include <gtest/gtest.h>

#include <fstream>

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
            TerminateProcess(process.hProcess, 99), WaitFor(Ended, process.hProcess),
                CloseHandle(process.hProcess), CloseHandle(process.hThread);
        process = {};
    }
};

// A file of the Wine prefix, read through its Unix path, which no
// redirection of System32 touches.
std::string PrefixFile(const char *name) {
    std::ifstream file("Z:" KESTRUM_WINE_PREFIX "/drive_c/windows/" + std::string(name),
                       std::ios::binary);
    Require(file.is_open(), "a file of the Wine prefix did not open");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A System32 path names the system's own file, whatever the program's
// bitness; Sysnative is that folder's name for 32-bit programs only.
TEST_F(Program, ShowsTheFileItsFirstArgumentNamesAndExitsWithZeroHoweverClosed) {
    const std::string bytes = TestBytes(200000, 1), native = PrefixFile("system32/notepad.exe"),
                      wow = PrefixFile("syswow64/notepad.exe");
    Require(native != wow, "the prefix has no 32-bit System32 (scripts/setup-i386)");
    const std::wstring sysnative = L"C:\\windows\\sysnative\\notepad.exe";
    struct Case {
        std::wstring first, result; // the first argument, and what the window shows of it
        int target;                 // closed by a key to it; 0: to the dialog
        UINT message;
        WPARAM key;
    } cases[] = {
        {L"", L"", IDC_INPUT, WM_SYSCHAR, L'x'},
        {WriteScratchFile(L"name with spaces.iso", bytes), PlatformMd5(bytes), IDC_INPUT,
         WM_KEYDOWN, VK_ESCAPE},
        {L"C:\\windows\\system32\\notepad.exe", PlatformMd5(native), 0, WM_SYSCOMMAND, SC_CLOSE},
        {L"C:\\windows\\syswow64\\notepad.exe", PlatformMd5(wow), IDC_INPUT, WM_KEYDOWN, VK_ESCAPE},
        {sysnative,
         sizeof(void *) == 4 ? PlatformMd5(native) : L"无法打开文件: " + sysnative + L".", 0,
         WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Case &c : cases) {
        // A second argument, naming no file, is left alone.
        Start(c.first.empty() ? L"" : L"\"" + c.first + L"\" second");
        EXPECT_EQ(ItemText(dialog, IDC_INPUT) + L"|" + ItemText(dialog, IDC_RESULT),
                  c.first + L"|" + c.result);
        PostMessageW(c.target ? Item(c.target) : dialog, c.message, c.key, 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(c.first);
    }
}

// LoadLibraryW of name, run in the program by a thread of its own (the
// system's DLLs lie at one address in every process); its exit code is the
// low half of the module's handle, 0 when none loaded.
DWORD LoadInto(HANDLE process, const std::wstring &name) {
    SIZE_T size = (name.size() + 1) * sizeof(wchar_t);
    void *text = VirtualAllocEx(process, NULL, size, MEM_COMMIT, PAGE_READWRITE);
    FARPROC load = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    HANDLE thread = text && WriteProcessMemory(process, text, name.c_str(), size, NULL)
                        ? CreateRemoteThread(process, NULL, 0, (LPTHREAD_START_ROUTINE)(void *)load,
                                             text, 0, NULL)
                        : NULL;
    DWORD module = 0;
    Require(thread && WaitForSingleObject(thread, kPatience) == WAIT_OBJECT_0 &&
                GetExitCodeThread(thread, &module),
            "LoadLibraryW did not run in the program");
    CloseHandle(thread);
    return module;
}

// A DLL that lies only beside the program, as a file named like a system DLL
// may in a Downloads folder, does not load into it by name; by its whole path
// it does, so it is a DLL that loads.
TEST_F(Program, LoadsNoDllByNameFromItsOwnFolder) {
    const std::wstring program = L"Z:" KESTRUM_PROGRAM;
    wchar_t planted[MAX_PATH];
    Require(GetTempFileNameW(program.substr(0, program.rfind(L'/')).c_str(), L"dll", 0, planted) &&
                CopyFileW(L"Z:" KESTRUM_PLANTED, planted, FALSE),
            "no DLL was planted beside the program");
    Start(L"");
    EXPECT_EQ(LoadInto(process.hProcess, wcsrchr(planted, L'\\') + 1), 0u);
    EXPECT_NE(LoadInto(process.hProcess, planted), 0u);
    TearDown();
    EXPECT_TRUE(DeleteFileW(planted));
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
