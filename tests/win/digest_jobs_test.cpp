// The digest jobs with real files, devices and pipes, against CryptoAPI's MD5.
#include <gtest/gtest.h>

#include <vector>

#include "digest/digest_jobs.h"
#include "resource.h"
#include "support.h"

namespace {

// The file job's text in a field of its own; a job that hangs meets the test's limit.
std::wstring Shown(const std::wstring &path) {
    HWND holder = CreateResultHolder();
    SetDlgItemTextW(holder, IDC_RESULT, L"stale");
    DigestFile(path.c_str(), holder, IDC_RESULT);
    std::wstring shown = ItemText(holder, IDC_RESULT);
    DestroyWindow(holder);
    return shown;
}

// Each name ends with its file's size; another program may hold it open to write.
TEST(DigestJobs, FileShowsThePlatformDigestOfItsBytes) {
    std::vector<std::wstring> names = {L"校验文件 测试.777", std::wstring(240, L'l') + L".70000"};
    for (int size : {0, 1, 55, 56, 64, 65, 1048576, 1048577})
        names.push_back(std::to_wstring(size));
    for (const std::wstring &name : names) {
        std::string bytes = TestBytes(_wtoi(name.substr(name.rfind(L'.') + 1).c_str()), 7);
        std::wstring path = WriteScratchFile(name, bytes);
        HANDLE writer =
            CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        Require(writer != INVALID_HANDLE_VALUE, "the writer did not open the file");
        EXPECT_EQ(Shown(path), PlatformMd5(bytes)) << Narrow(name);
        CloseHandle(writer);
    }
}

// A folder, a locked file, an endless device; a long path shown whole.
TEST(DigestJobs, WhatCannotBeOpenedShowsTheFailureWithThePath) {
    std::wstring locked = WriteScratchFile(L"locked", "abc");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    Require(holder != INVALID_HANDLE_VALUE, "the file to lock did not open");
    for (const std::wstring &path :
         {ScratchPath(L"missing"), ScratchPath(L""), locked, std::wstring(L"Z:\\dev\\zero"),
          ScratchPath(std::wstring(1100, L'x'))})
        EXPECT_EQ(Shown(path), L"无法打开文件: " + path + L".") << Narrow(path.substr(0, 40));
    CloseHandle(holder);
}

// The import the jobs call CreateFileW through, and the path they last handed it.
extern "C" void *__imp_CreateFileW;
std::wstring g_handedPath;

HANDLE WINAPI RecordPath(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    g_handedPath = path;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

// Windows, unlike Wine, opens a path of MAX_PATH characters or more only in the
// long form, which Wine also takes: what counts is the path the job hands over.
TEST(DigestJobs, PathsOfMaxPathOrMoreAreHandedOverInTheLongForm) {
    void *platform = Redirect(&__imp_CreateFileW, (void *)RecordPath);
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring name(300, L'n');
    const std::wstring cases[][2] = {
        {L"C:\\" + std::wstring(256, L'a'), L""},
        {L"C:\\" + std::wstring(257, L'a'), L"\\\\?\\C:\\" + std::wstring(257, L'a')},
        {L"a/./b/../" + name, L"\\\\?\\" + (folder + (L"\\a\\" + name))},
        {L"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + name},
        {L"\\\\?\\C:\\" + name, L""},
        {L"\\\\.\\" + name, L""},
    };
    for (const auto &c : cases) {
        Shown(c[0]);
        EXPECT_EQ(g_handedPath, c[1].empty() ? c[0] : c[1]) << Narrow(c[0].substr(0, 40));
    }
    Redirect(&__imp_CreateFileW, platform);
}

// 1 MiB, then a broken pipe: the part read must not be shown as the whole.
DWORD WINAPI ServeOneMiBThenBreak(void *pipe) {
    DWORD written = 0;
    ConnectNamedPipe(pipe, NULL);
    WriteFile(pipe, TestBytes(kMiB, 1).data(), kMiB, &written, NULL);
    FlushFileBuffers(pipe);
    return DisconnectNamedPipe(pipe);
}

TEST(DigestJobs, ReadFailingPartWayShowsTheReadFailure) {
    std::wstring path = L"\\\\.\\pipe\\kestrum-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, 0, 1, kMiB, kMiB, 0, NULL);
    HANDLE writer = CreateThread(NULL, 0, ServeOneMiBThenBreak, pipe, 0, NULL);
    EXPECT_EQ(Shown(path), L"无法读取文件: " + path + L".");
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(pipe);
}

} // namespace
