// Helpers of the tests under Wine: the reference MD5, files, clipboard, screen, keys.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

const DWORD kMiB = 1024 * 1024;

// The one patience of every wait: a window under an emulated processor starts
// in seconds. CTest's time limits are counted in it (CMakeLists.txt).
const DWORD kPatience = KESTRUM_TEST_PATIENCE_MS;

// Runs this thread's messages until done(context) holds; false when it still
// does not after kPatience.
bool WaitFor(bool (*done)(void *context), void *context);

// Stops the test, saying what failed and the platform's last error, unless ok.
void Require(bool ok, const char *what);

std::wstring PlatformMd5(const std::string &bytes); // CryptoAPI's, in uppercase digits
std::string Narrow(const std::wstring &text);       // in the system code page
std::string TestBytes(size_t length, uint32_t seed);
std::wstring ScratchPath(const std::wstring &name); // in a folder of this process's own
std::wstring WriteScratchFile(const std::wstring &name, const std::string &bytes);
std::wstring ItemText(HWND window, int item);
std::string ClipboardText(); // "(none)" without text, "" when it cannot be opened
void PutOnClipboard(const std::wstring &text);

// The window's client area as the screen shows it, row by row.
std::vector<COLORREF> ScreenPixels(HWND window, int *width, int *height);

// What a user tells a pixel of text to be, whatever its exact shade; none: the
// background and the edges between.
enum Ink { kNone, kDark, kRed, kGreen };
Ink InkOf(COLORREF pixel);

// Points an import slot (__imp_Name) at replacement; returns what it held.
void *Redirect(void **slot, void *replacement);

// Runs the messages waiting for this thread, keys through their window's
// dialog handling as a modal loop does.
void RunMessages();

// Posts the key to the focus and runs the messages it brings.
void PressKey(WPARAM key, bool alt = false);
