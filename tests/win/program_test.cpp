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

// The first argument (a second names no file) as shown, then Alt+X, Esc or the close box. System32
// is the system's own, Sysnative 32-bit programs' name for it; a silent pipe is refused.
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
        PostMessageW(close[0] == WM_SYSCOMMAND ? dialog : GetDlgItem(dialog, IDC_INPUT), close[0],
                     close[1], 1 << 29);
        EXPECT_EQ(ExitCode(), 0) << Narrow(cases[i][0]);
    }
}

} // namespace
