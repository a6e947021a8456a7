// The program file itself, started as a user starts it: with and without a
// file argument, used through its window, and closed every way there is.
#include <gtest/gtest.h>

#include <algorithm>

#include "resource.h"
#include "test_support.h"

namespace {

// Under an emulated processor the program starts in seconds, not at once.
const DWORD kPatience = 60000;

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring path = self;
    for (int up = 0; up < 3; up++)
        path.resize(path.rfind(L'\\'));
    return path + L"\\Kestrum.exe";
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK CheckProgramWindow(HWND window, LPARAM lParam) {
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t type[16] = {};
    GetClassNameW(window, type, 16);
    if (owner == search->process && lstrcmpW(type, L"#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A window that does not answer gives a text no field ever holds.
std::wstring RemoteText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kPatience, &length))
        return L"(no answer)";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, (LPARAM)&text[0], SMTO_BLOCK,
                             kPatience, &got))
        return L"(no answer)";
    text.resize(got);
    return text;
}

struct Program : ::testing::Test {
    ScratchFolder folder;
    PROCESS_INFORMATION process = {};
    HWND dialog = NULL;

    void Start(const std::wstring &arguments) {
        std::wstring program = ProgramPath();
        std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup = {sizeof(startup)};
        ASSERT_TRUE(CreateProcessW(program.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, NULL,
                                   &startup, &process))
            << GetLastError();
        WindowSearch search = {process.dwProcessId, NULL};
        for (DWORD waited = 0; search.found == NULL && waited < kPatience; waited += 50) {
            Sleep(50);
            EnumWindows(CheckProgramWindow, (LPARAM)&search);
        }
        dialog = search.found;
        ASSERT_NE(dialog, (HWND)NULL) << "no window appeared";
    }
    std::wstring Text(int id) const { return RemoteText(GetDlgItem(dialog, id)); }
    // The exit code once the program has ended, or -1 if it does not end.
    int ExitCode() {
        if (WaitForSingleObject(process.hProcess, kPatience) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return (int)code;
    }
    void TearDown() override {
        if (process.hProcess == NULL)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::wstring MakeFile(const std::wstring &name, const std::vector<uint8_t> &bytes) {
        std::wstring path = folder.Path(name);
        WriteBytes(path, bytes);
        return path;
    }
};

enum Closing { kCloseButton, kEsc, kTitleBarClose, kAltX };

void Close(HWND dialog, Closing how) {
    HWND input = GetDlgItem(dialog, IDC_INPUT);
    switch (how) {
    case kCloseButton:
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        break;
    case kEsc:
        PostMessageW(input, WM_KEYDOWN, VK_ESCAPE, 1);
        break;
    case kTitleBarClose:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kAltX:
        PostMessageW(input, WM_SYSCHAR, L'x', 1 << 29);
        break;
    }
}

TEST_F(Program, StartsFromItsArgumentsAndEndsWithExitCodeZero) {
    std::vector<uint8_t> first = RandomBytes(200000, 31), second = RandomBytes(10, 32);
    std::wstring spaced = MakeFile(L"name with spaces.iso", first);
    std::wstring other = MakeFile(L"other.bin", second);
    std::wstring missing = folder.Path(L"not there.txt");
    std::wstring deep = folder.path;
    while (deep.size() < 280) {
        deep += L"\\" + std::wstring(90, L'p');
        CreateDirectoryW((L"\\\\?\\" + deep).c_str(), NULL);
    }
    std::wstring longPath = deep + L"\\file.bin";
    WriteBytes(longPath, second);

    struct Case {
        const char *what;
        std::wstring arguments, input, result;
        Closing closing;
    };
    const std::wstring firstDigest = PlatformMd5(first.data(), first.size());
    const std::wstring secondDigest = PlatformMd5(second.data(), second.size());
    const Case cases[] = {
        {"no argument", L"", L"", L"", kCloseButton},
        {"quoted path with spaces", L"\"" + spaced + L"\"", spaced, firstDigest, kEsc},
        {"two arguments", L"\"" + other + L"\" \"" + spaced + L"\"", other, secondDigest,
         kTitleBarClose},
        {"missing file", L"\"" + missing + L"\"", missing, L"无法打开文件: " + missing + L".",
         kAltX},
        {"argument over 260 characters", L"\"" + longPath + L"\"", longPath, secondDigest,
         kCloseButton},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.arguments);
        ASSERT_NE(dialog, (HWND)NULL);
        EXPECT_EQ(Text(IDC_INPUT), c.input);
        EXPECT_EQ(Text(IDC_RESULT), c.result);
        EXPECT_EQ(Text(IDC_REFERENCE), L"");
        Close(dialog, c.closing);
        EXPECT_EQ(ExitCode(), 0);
        TearDown();
        process = {};
    }
}

TEST_F(Program, TypingAndTheButtonsWorkThroughTheWindow) {
    Start(L"");
    ASSERT_NE(dialog, (HWND)NULL);
    HWND input = GetDlgItem(dialog, IDC_INPUT);
    for (wchar_t c : std::wstring(L"中文"))
        SendMessageW(input, WM_CHAR, c, 1);
    EXPECT_EQ(Text(IDC_RESULT), L"BCCE109775E8E1972E9F5FCDA3E12895");

    PutOnClipboard("earlier contents");
    SendMessageW(GetDlgItem(dialog, IDC_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(ClipboardText(), "BCCE109775E8E1972E9F5FCDA3E12895");

    SendMessageW(GetDlgItem(dialog, IDC_CLEAR), BM_CLICK, 0, 0);
    EXPECT_EQ(Text(IDC_INPUT), L"");
    EXPECT_EQ(Text(IDC_RESULT), L"");
    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

// The icon itself is checked in-process and on the X window, since Wine
// answers WM_GETICON from another process with no icon.
TEST_F(Program, WindowIsTopmostWithItsCaption) {
    Start(L"");
    ASSERT_NE(dialog, (HWND)NULL);
    wchar_t caption[32] = {};
    GetWindowTextW(dialog, caption, 32);
    EXPECT_STREQ(caption, L"Kestrum");
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    BOOL emulated32 = FALSE;
    IsWow64Process(process.hProcess, &emulated32);
    EXPECT_EQ(emulated32 != FALSE, sizeof(void *) == 4) << "the program runs as its build's kind";
    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

// The screen's pixels inside a window, as 0x00RRGGBB values.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};

Picture CaptureClient(HWND window) {
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, NULL, (POINT *)&area, 2);
    Picture picture;
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    picture.pixels.assign((uint32_t *)bits, (uint32_t *)bits + picture.width * picture.height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    for (auto &p : picture.pixels)
        p &= 0xFFFFFF;
    return picture;
}

int CountPixels(const Picture &picture, uint32_t rgb) {
    int count = 0;
    for (uint32_t p : picture.pixels)
        count += p == rgb;
    return count;
}

// A control not yet painted shows black; a painted one is mostly light.
bool IsPainted(const Picture &picture) {
    size_t light = 0;
    for (uint32_t p : picture.pixels)
        light += ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) >= 3 * 128;
    return light * 2 > picture.pixels.size();
}

const uint32_t kGreenPixel = 0x008000, kRedPixel = 0xFF0000;

struct Colours {
    int green, red;
};

// Waits for the program to repaint the digest until it shows the colour
// wanted (or no colour), then reports what the digest's glyphs are painted in.
Colours DigestColours(HWND dialog, uint32_t wanted) {
    Colours seen = {};
    for (int tries = 0; tries < 50; tries++) {
        Picture digest = CaptureClient(GetDlgItem(dialog, IDC_RESULT));
        seen = {CountPixels(digest, kGreenPixel), CountPixels(digest, kRedPixel)};
        bool settled = wanted == kGreenPixel ? seen.green > 0
                       : wanted == kRedPixel ? seen.red > 0
                                             : seen.green + seen.red == 0;
        if (settled && IsPainted(digest))
            break;
        Sleep(100);
    }
    return seen;
}

void TypeInto(HWND field, const std::wstring &text) {
    for (wchar_t c : text)
        SendMessageW(field, WM_CHAR, c, 1);
}

TEST_F(Program, DigestGlyphsAreGreenOnAMatchAndRedOnAMismatch) {
    std::vector<uint8_t> bytes = RandomBytes(4096, 33);
    std::wstring digest = PlatformMd5(bytes.data(), bytes.size());
    Start(L"\"" + MakeFile(L"checked.iso", bytes) + L"\"");
    ASSERT_NE(dialog, (HWND)NULL);
    HWND reference = GetDlgItem(dialog, IDC_REFERENCE);

    Colours plain = DigestColours(dialog, 0);
    EXPECT_EQ(plain.green + plain.red, 0) << "no reference: default colours";

    std::wstring lower = digest;
    CharLowerW(&lower[0]);
    TypeInto(reference, lower.substr(0, 31));
    Colours partial = DigestColours(dialog, kRedPixel);
    EXPECT_GT(partial.red, 30);
    EXPECT_EQ(partial.green, 0);

    TypeInto(reference, lower.substr(31));
    Colours match = DigestColours(dialog, kGreenPixel);
    EXPECT_GT(match.green, 30) << "the last character turns the digest green";
    EXPECT_EQ(match.red, 0);

    TypeInto(reference, L"0");
    Colours longer = DigestColours(dialog, kRedPixel);
    EXPECT_GT(longer.red, 30);
    EXPECT_EQ(longer.green, 0);

    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

struct LabelSearch {
    const wchar_t *text;
    HWND found;
};

BOOL CALLBACK CheckLabel(HWND window, LPARAM lParam) {
    LabelSearch *search = (LabelSearch *)lParam;
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    if (lstrcmpW(text, search->text) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// One glyph cell's ink, as a mask of dark pixels.
std::vector<bool> Ink(const Picture &picture, int left, int width) {
    std::vector<bool> ink;
    for (int y = 0; y < picture.height; y++) {
        for (int x = left; x < left + width && x < picture.width; x++) {
            uint32_t p = picture.At(x, y);
            ink.push_back(((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) < 3 * 128);
        }
    }
    return ink;
}

struct Label {
    const wchar_t *windowText; // as the control holds it
    const wchar_t *shown;      // as it is drawn
    bool centred;
};

// Where each character of the text stands when drawn in the dialog's face.
std::vector<int> CharacterEdges(const wchar_t *text) {
    HDC screen = GetDC(NULL);
    HFONT font = CreateFontW(-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                             0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体");
    HGDIOBJ old = SelectObject(screen, font);
    int length = lstrlenW(text);
    std::vector<int> edges(length + 1, 0);
    SIZE size;
    GetTextExtentExPointW(screen, text, length, 0, NULL, &edges[1], &size);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(NULL, screen);
    return edges;
}

// Each Chinese character of every label and button must be drawn whole, in
// its place, as a glyph of its own: a face without them draws the same empty
// box for each, and a face of other widths pushes characters out of sight.
TEST_F(Program, ChineseLabelsRenderAsGlyphs) {
    Start(L"");
    ASSERT_NE(dialog, (HWND)NULL);
    const Label labels[] = {
        {L"字符串:", L"字符串:", false}, {L"MD5值:", L"MD5值:", false},
        {L"参照值:", L"参照值:", false}, {L"文件哈希值(&F)", L"文件哈希值(F)", true},
        {L"拷贝(&C)", L"拷贝(C)", true}, {L"清空(&E)", L"清空(E)", true},
        {L"关闭(&X)", L"关闭(X)", true},
    };
    for (const auto &label : labels) {
        SCOPED_TRACE(Narrow(label.windowText));
        LabelSearch search = {label.windowText, NULL};
        EnumChildWindows(dialog, CheckLabel, (LPARAM)&search);
        ASSERT_NE(search.found, (HWND)NULL);
        std::vector<int> edges = CharacterEdges(label.shown);
        std::vector<std::vector<bool>> glyphs;
        for (int tries = 0; tries < 50; tries++, Sleep(100)) {
            Picture picture = CaptureClient(search.found);
            int left = label.centred ? (picture.width - edges.back()) / 2 : 0;
            glyphs.clear();
            for (size_t i = 0; label.shown[i]; i++) {
                if (label.shown[i] >= 0x4E00)
                    glyphs.push_back(Ink(picture, left + edges[i], edges[i + 1] - edges[i]));
            }
            if (IsPainted(picture) && std::count(glyphs[0].begin(), glyphs[0].end(), true) > 0)
                break;
        }
        for (size_t i = 0; i < glyphs.size(); i++) {
            EXPECT_GT(std::count(glyphs[i].begin(), glyphs[i].end(), true), 10)
                << "Chinese character " << i << " is drawn";
            for (size_t j = 0; j < i; j++)
                EXPECT_TRUE(glyphs[i] != glyphs[j])
                    << "characters " << j << " and " << i << " look alike";
        }
    }
    Close(dialog, kCloseButton);
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
