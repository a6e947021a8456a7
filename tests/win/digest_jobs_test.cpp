// The digest jobs through a real window and real files, checked against the
// platform's own MD5.
#include <gtest/gtest.h>

#include "digest/digest_jobs.h"
#include "test_support.h"

namespace {

const int kResult = 104;
const DWORD kMiB = 1024 * 1024;

struct DigestJobs : ::testing::Test {
    FieldWindow fields{{kResult}};
    ScratchFolder folder;
    HWND window() const { return fields.window; }
    std::wstring Result() const { return ItemText(window(), kResult); }
    std::wstring FileDigest(const std::wstring &path) {
        SetDlgItemTextW(window(), kResult, L"stale");
        DigestFile(path.c_str(), window(), kResult);
        return Result();
    }
    std::wstring OpenFailure(const std::wstring &path) { return L"无法打开文件: " + path + L"."; }
};

bool IsDigestText(const std::wstring &text) {
    if (text.size() != 32)
        return false;
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')))
            return false;
    }
    return true;
}

TEST_F(DigestJobs, RunsWithTheChineseCodePage) { EXPECT_EQ(GetACP(), 936u); }

TEST_F(DigestJobs, FormatDigestHexWritesUppercaseDigitsInByteOrder) {
    const uint8_t digest[16] = {0x00, 0x01, 0x7F, 0x80, 0xAB, 0xCD, 0xEF, 0xFF,
                                0x10, 0x9A, 0xBC, 0xDE, 0xF0, 0x0F, 0x5A, 0xA5};
    wchar_t text[40];
    wmemset(text, L'#', 40);
    FormatDigestHex(digest, text);
    EXPECT_STREQ(text, L"00017F80ABCDEFFF109ABCDEF00F5AA5");
}

TEST_F(DigestJobs, TextOfEveryLengthGivesThePlatformDigest) {
    std::vector<uint8_t> bytes = RandomBytes(300, 11);
    for (uint32_t length = 1; length <= 300; length++) {
        DigestText((const char *)bytes.data(), length, window(), kResult);
        std::wstring text = Result();
        ASSERT_TRUE(IsDigestText(text)) << length;
        ASSERT_EQ(text, PlatformMd5(bytes.data(), length)) << length;
    }
}

TEST_F(DigestJobs, FileAndTextGiveTheSameDigestForTheSameBytes) {
    const size_t sizes[] = {0, 1, 55, 64, 65, kMiB - 1, kMiB, kMiB + 1, 3 * kMiB + 17};
    for (size_t size : sizes) {
        std::vector<uint8_t> bytes = RandomBytes(size, (uint32_t)size);
        std::wstring path = folder.Path(L"file-" + std::to_wstring(size));
        WriteBytes(path, bytes);
        std::wstring fromFile = FileDigest(path);
        EXPECT_EQ(fromFile, PlatformMd5(bytes.data(), size)) << size;
        if (size > 0) {
            DigestText((const char *)bytes.data(), (uint32_t)size, window(), kResult);
            EXPECT_EQ(Result(), fromFile) << size;
        }
    }
}

TEST_F(DigestJobs, EmptyFileGivesTheEmptyMessageDigest) {
    std::wstring path = folder.Path(L"empty");
    WriteBytes(path, {});
    EXPECT_EQ(FileDigest(path), L"D41D8CD98F00B204E9800998ECF8427E");
}

TEST_F(DigestJobs, FilesThatCannotBeOpenedShowTheFailureWithThePath) {
    std::wstring locked = folder.Path(L"locked");
    WriteBytes(locked, {1, 2, 3});
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const std::wstring paths[] = {folder.Path(L"missing"), folder.path, locked};
    for (const auto &path : paths)
        EXPECT_EQ(FileDigest(path), OpenFailure(path));
    CloseHandle(holder);
}

TEST_F(DigestJobs, FileHeldOpenForWritingWithReadSharingIsDigested) {
    std::vector<uint8_t> bytes = RandomBytes(5000, 5);
    std::wstring path = folder.Path(L"shared");
    WriteBytes(path, bytes);
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileDigest(path), PlatformMd5(bytes.data(), bytes.size()));
    CloseHandle(writer);
}

TEST_F(DigestJobs, FileWithAChineseNameIsDigested) {
    std::vector<uint8_t> bytes = RandomBytes(777, 7);
    std::wstring path = folder.Path(L"校验文件 测试.iso");
    WriteBytes(path, bytes);
    EXPECT_EQ(FileDigest(path), PlatformMd5(bytes.data(), bytes.size()));
}

// Folders of 100 characters each take the path well past MAX_PATH.
std::wstring MakeDeepFolder(const std::wstring &base, int depth) {
    std::wstring path = base;
    for (int i = 0; i < depth; i++) {
        path += L"\\" + std::wstring(99, L'a' + i) + L"0";
        CreateDirectoryW((L"\\\\?\\" + path).c_str(), NULL);
    }
    return path;
}

TEST_F(DigestJobs, PathLongerThanMaxPathIsDigested) {
    std::wstring path = MakeDeepFolder(folder.path, 3) + L"\\long-named file.bin";
    ASSERT_GT(path.size(), 300u);
    std::vector<uint8_t> bytes = RandomBytes(70000, 9);
    WriteBytes(path, bytes);
    EXPECT_EQ(FileDigest(path), PlatformMd5(bytes.data(), bytes.size()));
}

TEST_F(DigestJobs, FailureTextShowsAPathOfAnyLengthWhole) {
    for (size_t length : {200, 259, 260, 300, 1100, 32000}) {
        std::wstring path = folder.path + L"\\";
        path += std::wstring(length - path.size(), L'x');
        EXPECT_EQ(FileDigest(path), OpenFailure(path)) << length;
    }
}

// The job reads a named pipe whose server sends 1 MiB, waits until it has
// been read, then breaks the connection: the next read fails part way
// through, and the digest of what came so far must not be shown.
DWORD WINAPI ServeOneMiBThenDisconnect(void *pipe) {
    std::vector<uint8_t> bytes = RandomBytes(kMiB, 13);
    ConnectNamedPipe(pipe, NULL);
    DWORD written = 0;
    WriteFile(pipe, bytes.data(), kMiB, &written, NULL);
    FlushFileBuffers(pipe);
    DisconnectNamedPipe(pipe);
    return 0;
}

TEST_F(DigestJobs, ReadFailingPartWayShowsTheReadFailure) {
    std::wstring path = L"\\\\.\\pipe\\kestrum-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                   1, kMiB, kMiB, 0, NULL);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    HANDLE server = CreateThread(NULL, 0, ServeOneMiBThenDisconnect, pipe, 0, NULL);
    EXPECT_EQ(FileDigest(path), L"无法读取文件: " + path + L".");
    WaitForSingleObject(server, INFINITE);
    CloseHandle(server);
    CloseHandle(pipe);
}

// Zeros with three marks: at the start, across the 4 GiB boundary and at the
// end. The expected digest is md5sum's over a file made the same way:
//   truncate -s 4294971393 f; printf Kestrum | dd of=f conv=notrunc
//   printf wrap | dd of=f bs=1 seek=4294967293 conv=notrunc
//   printf 'tail!' | dd of=f bs=1 seek=4294971388 conv=notrunc
TEST_F(DigestJobs, FileOverFourGiBGivesItsKnownDigest) {
    std::wstring path = folder.Path(L"over-4-GiB.img");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    auto writeAt = [&](LONGLONG offset, const char *text) {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        DWORD written = 0;
        SetFilePointerEx(file, at, NULL, FILE_BEGIN);
        WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    };
    writeAt(0, "Kestrum");
    writeAt(4294967293LL, "wrap");
    writeAt(4294971388LL, "tail!");
    CloseHandle(file);

    EXPECT_EQ(FileDigest(path), L"6B744CC3078D724B4EC09E3B85CF1553");
}

} // namespace
