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

TEST(LongPath, RelativeLongPathIsMadeAbsolute) {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring name(300, L'r');
    std::wstring form = LongForm(name);
    std::wstring base = current;
    if (base.back() != L'\\')
        base += L'\\';
    EXPECT_EQ(form, L"\\\\?\\" + base + name);
}

} // namespace
