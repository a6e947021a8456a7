// The long-path form that lets a path beyond MAX_PATH be opened.
#include <gtest/gtest.h>

#include "digest/long_path.h"

#include <string>

namespace {

std::wstring LongForm(const std::wstring &path) {
    wchar_t *form = MakeLongPathForm(path.c_str());
    if (form == NULL)
        return L"(none)";
    std::wstring result = form;
    LocalFree(form);
    return result;
}

TEST(LongPath, FormsTheRawNameOnlyForLongPaths) {
    const std::wstring name(300, L'n');
    const std::wstring nearLimit(MAX_PATH - 4, L'n'); // "C:\" + this = 259 characters
    struct Case {
        std::wstring path, expected;
    };
    const Case cases[] = {
        {L"C:\\short\\file.txt", L"(none)"},
        {L"C:\\" + nearLimit, L"(none)"},
        {L"C:\\" + nearLimit + L"x", L"\\\\?\\C:\\" + nearLimit + L"x"},
        {L"C:\\dir\\" + name, L"\\\\?\\C:\\dir\\" + name},
        {L"C:/dir/" + name, L"\\\\?\\C:\\dir\\" + name},
        {L"C:\\dir\\skipped\\..\\" + name, L"\\\\?\\C:\\dir\\" + name},
        {L"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + name},
        {L"\\\\?\\C:\\" + name, L"(none)"},
        {L"\\\\.\\C:\\" + name, L"(none)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LongForm(c.path), c.expected) << c.path.substr(0, 24) << " " << c.path.size();
}

// A relative path counts by its length once the current folder is in front.
TEST(LongPath, RelativePathIsMeasuredAndFormedAbsolute) {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring base = current;
    if (base.back() != L'\\')
        base += L'\\';
    ASSERT_GT(base.size(), 10u);
    for (size_t length : {(size_t)300, MAX_PATH - base.size()}) {
        std::wstring name(length, L'r');
        EXPECT_EQ(LongForm(name), L"\\\\?\\" + base + name) << length;
    }
    std::wstring fits(MAX_PATH - 1 - base.size(), L'r');
    EXPECT_EQ(LongForm(fits), L"(none)");
}

} // namespace
