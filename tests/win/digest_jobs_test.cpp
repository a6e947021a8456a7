// The digest jobs with real files, devices and pipes, against CryptoAPI's MD5.
#include <gtest/gtest.h>

#include "digest/digest_jobs.h"
#include "support.h"

namespace {

const int kResult = 104;

// The job's text in a field of its own; a job that hangs meets the test's limit.
std::wstring Shown(const std::wstring &path, const std::string &bytes = "") {
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    CreateWindowExW(0, L"EDIT", L"stale", WS_CHILD, 0, 0, 0, 0, holder, (HMENU)kResult, NULL, NULL);
    if (path.empty())
        DigestText(bytes.data(), (uint32_t)bytes.size(), holder, kResult);
    else
        DigestFile(path.c_str(), holder, kResult);
    std::wstring shown = ItemText(holder, kResult);
    DestroyWindow(holder);
    return shown;
}

// Each name ends with its file's size.
TEST(DigestJobs, FileAndTextShowThePlatformDigestOfTheirBytes) {
    const std::wstring names[] = {L"0",
                                  L"1",
                                  L"55",
                                  L"56",
                                  L"64",
                                  L"65",
                                  L"1048576",
                                  L"1048577",
                                  L"校验文件 测试.777",
                                  DeepFolder(300) + L"\\long-named file.70000"};
    for (const std::wstring &name : names) {
        std::string bytes = TestBytes(_wtoi(name.substr(name.rfind(L'.') + 1).c_str()), 7);
        EXPECT_EQ(Shown(WriteScratchFile(name, bytes)), PlatformMd5(bytes)) << Narrow(name);
        EXPECT_EQ(Shown(L"", bytes), PlatformMd5(bytes)) << Narrow(name);
    }
    // Another program writing the file while it allows reads does not stop it.
    HANDLE writer = CreateFileW(ScratchPath(L"65").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(Shown(ScratchPath(L"65")), PlatformMd5(TestBytes(65, 7)));
    CloseHandle(writer);
}

// A folder, a file locked against reading, a port, an endless device, and a
// path too long to open, shown whole.
TEST(DigestJobs, WhatCannotBeOpenedShowsTheFailureWithThePath) {
    std::wstring locked = WriteScratchFile(L"locked", "abc");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    const std::wstring paths[] = {ScratchPath(L"missing"),
                                  ScratchPath(L""),
                                  locked,
                                  L"COM1",
                                  L"Z:\\dev\\zero",
                                  ScratchPath(std::wstring(1100, L'x'))};
    for (const std::wstring &path : paths)
        EXPECT_EQ(Shown(path), L"无法打开文件: " + path + L".") << Narrow(path.substr(0, 40));
    CloseHandle(holder);
}

// The writer sends 1 MiB and breaks the pipe: the read after it fails, and
// the digest of the part read must not be shown as the whole's.
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
