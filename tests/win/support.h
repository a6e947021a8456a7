// Helpers of the tests under Wine: the reference MD5, files, clipboard, keys.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>

const DWORD kMiB = 1024 * 1024;
const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
const COLORREF kGreen = RGB(0, 128, 0), kRed = RGB(255, 0, 0); // the digest's colours

std::wstring PlatformMd5(const std::string &bytes); // CryptoAPI's, in uppercase digits
std::string Narrow(const std::wstring &text);       // in the system code page
std::string TestBytes(size_t length, uint32_t seed);
std::wstring ScratchPath(const std::wstring &name); // in a folder of this process's own
std::wstring WriteScratchFile(const std::wstring &name, const std::string &bytes);
std::wstring ItemText(HWND window, int item);
std::string ClipboardText(); // "(none)" without text, "" when it cannot be opened
bool PutOnClipboard(const std::wstring &text);

// Points an import slot (__imp_Name) at replacement; returns what it held.
void *Redirect(void **slot, void *replacement);

// Posts the key to the focus and runs the dialog's loop as a modal loop does.
void PressKey(HWND dialog, WPARAM key, bool alt = false);

// Calls drive every 100 ms from inside the modal loop of a box owner owns.
void DriveModalBox(HWND owner, bool (*drive)(HWND box, void *context), void *context);
void StopDriving();
