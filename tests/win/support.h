// Helpers of the tests under Wine: the platform's own MD5 as the reference,
// scratch files, the clipboard, and the keyboard and modal loops as a user
// drives them.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>

const DWORD kMiB = 1024 * 1024;

// The platform's own MD5 (CryptoAPI), as 32 uppercase hexadecimal digits.
std::wstring PlatformMd5(const std::string &bytes);
// The text as the system code page's bytes.
std::string Narrow(const std::wstring &text);
std::string TestBytes(size_t length, uint32_t seed);
// A path in this process's own scratch folder.
std::wstring ScratchPath(const std::wstring &name);
std::wstring WriteScratchFile(const std::wstring &name, const std::string &bytes);
// Folders of 100 characters each under the scratch folder, until the path
// is at least length characters long.
std::wstring DeepFolder(size_t length);
std::wstring ItemText(HWND window, int item);

std::string ClipboardText();
void PutOnClipboard(const std::wstring &text);

// Posts the key to the focused window and runs the dialog's own loop, as the
// modal loop would, so that mnemonics, Enter and Esc act as for the user.
void PressKey(HWND dialog, WPARAM key, bool alt = false);
void RunDialogLoop(HWND dialog, int milliseconds);

// Calls drive(box, context) every 100 ms from inside whatever modal loop the
// thread enters (a message box, the open-file dialog), for the visible dialog
// box that owner owns, until drive returns true or StopDriving is called.
void DriveModalBox(HWND owner, bool (*drive)(HWND box, void *context), void *context);
void StopDriving();
