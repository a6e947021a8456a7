// The digest jobs with real files, devices and pipes, against the platform's
// own MD5.
#include <gtest/gtest.h>

#include "digest/digest_jobs.h"
#include "support.h"

namespace {

const int kResult = 104;

struct Job {
    std::wstring path, shown;
};

// The job runs on a thread of its own, into a field of its own, so that a
// job that never ends fails the test instead of hanging it.
DWORD WINAPI RunFileJob(void *job) {
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    CreateWindowExW(0, L"EDIT", L"stale", WS_CHILD, 0, 0, 0, 0, holder, (HMENU)kResult, NULL, NULL);
    DigestFile(((Job *)job)->path.c_str(), holder, kResult);
    ((Job *)job)->shown = ItemText(holder, kResult);
    DestroyWindow(holder);
    return 0;
}

std::wstring FileDigest(const std::wstring &path) {
    Job *job = new Job{path, L""};
    HANDLE thread = CreateThread(NULL, 0, RunFileJob, job, 0, NULL);
    if (WaitForSingleObject(thread, 60000) != WAIT_OBJECT_0)
        return L"(still reading after 60 s)"; // the job is left to its thread
    CloseHandle(thread);
    std::wstring shown = job->shown;
    delete job;
    return shown;
}

std::wstring TextDigest(const std::string &bytes) {
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 0, 0, holder, (HMENU)kResult, NULL, NULL);
    DigestText(bytes.data(), (uint32_t)bytes.size(), holder, kResult);
    std::wstring shown = ItemText(holder, kResult);
    DestroyWindow(holder);
    return shown;
}

TEST(DigestJobs, FileAndTextShowThePlatformDigestOfTheirBytes) {
    const std::wstring deep = DeepFolder(300) + L"\\long-named file.bin";
    struct Case {
        std::wstring name;
        size_t size;
    };
    const Case cases[] = {
        {L"empty", 0},   {L"one", 1},           {L"55", 55},
        {L"56", 56},     {L"64", 64},           {L"65", 65},
        {L"1MiB", kMiB}, {L"1MiB+1", kMiB + 1}, {L"校验文件 测试.iso", 777},
        {deep, 70000},
    };
    for (const Case &c : cases) {
        std::string bytes = TestBytes(c.size, (uint32_t)c.size);
        std::wstring path = WriteScratchFile(c.name, bytes);
        EXPECT_EQ(FileDigest(path), PlatformMd5(bytes)) << Narrow(c.name);
        EXPECT_EQ(TextDigest(bytes), PlatformMd5(bytes)) << Narrow(c.name);
    }
    // Another program writing the file while allowing reads does not stop it.
    std::wstring shared = ScratchPath(L"1MiB");
    HANDLE writer = CreateFileW(shared.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(FileDigest(shared), PlatformMd5(TestBytes(kMiB, kMiB)));
    CloseHandle(writer);
}

TEST(DigestJobs, WhatCannotBeReadShowsTheFailureWithThePath) {
    std::wstring locked = WriteScratchFile(L"locked", "abc");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    const std::wstring unopened[] = {
        ScratchPath(L"missing"),
        ScratchPath(L""),
        locked,
        L"COM1",
        L"Z:\\dev\\zero",
        ScratchPath(std::wstring(1100, L'x')),
    };
    for (const std::wstring &path : unopened)
        EXPECT_EQ(FileDigest(path), L"无法打开文件: " + path + L".") << Narrow(path.substr(0, 40));
    CloseHandle(holder);
}

// A pipe whose writer sends 1 MiB and then breaks the connection: the read
// after it fails, and the digest of the part read must not be shown.
DWORD WINAPI ServeOneMiBThenBreak(void *pipe) {
    std::string bytes = TestBytes(kMiB, 1);
    DWORD written = 0;
    ConnectNamedPipe(pipe, NULL);
    WriteFile(pipe, bytes.data(), kMiB, &written, NULL);
    FlushFileBuffers(pipe);
    DisconnectNamedPipe(pipe);
    return 0;
}

TEST(DigestJobs, ReadFailingPartWayShowsTheReadFailure) {
    std::wstring path = L"\\\\.\\pipe\\kestrum-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, kMiB,
                                   kMiB, 0, NULL);
    HANDLE server = CreateThread(NULL, 0, ServeOneMiBThenBreak, pipe, 0, NULL);
    EXPECT_EQ(FileDigest(path), L"无法读取文件: " + path + L".");
    WaitForSingleObject(server, INFINITE);
    CloseHandle(pipe);
}

// Zeros marked at the start, across the 4 GiB boundary and at the end; the
// digest is md5sum's over a file made alike:
//   truncate -s 4294971393 f; printf Kestrum | dd of=f conv=notrunc
//   printf wrap | dd of=f bs=1 seek=4294967293 conv=notrunc
//   printf 'tail!' | dd of=f bs=1 seek=4294971388 conv=notrunc
TEST(DigestJobs, FileOverFourGiB) {
    std::wstring path = ScratchPath(L"over-4-GiB.img");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    const std::pair<LONGLONG, std::string> marks[] = {
        {0, "Kestrum"}, {4294967293LL, "wrap"}, {4294971388LL, "tail!"}};
    for (const auto &mark : marks) {
        LARGE_INTEGER at;
        at.QuadPart = mark.first;
        DWORD written = 0;
        SetFilePointerEx(file, at, NULL, FILE_BEGIN);
        WriteFile(file, mark.second.data(), (DWORD)mark.second.size(), &written, NULL);
    }
    CloseHandle(file);
    EXPECT_EQ(FileDigest(path), L"6B744CC3078D724B4EC09E3B85CF1553");
    DeleteFileW(path.c_str());
}

} // namespace
