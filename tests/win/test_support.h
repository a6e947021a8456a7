// Helpers for the tests that run under Wine: scratch files, an independent
// MD5 (the platform's CryptoAPI), and a real window with real fields.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "../common/random_bytes.h"

// The platform's own MD5, as 32 uppercase hexadecimal digits.
std::wstring PlatformMd5(const void *bytes, size_t length);

// A fresh folder under the temporary directory, removed by its destructor.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    std::wstring Path(const std::wstring &name) const { return path + L"\\" + name; }
    std::wstring path;
};

void WriteBytes(const std::wstring &path, const std::vector<uint8_t> &bytes);
std::wstring ItemText(HWND dialog, int item);

// A top-level window with one edit field per identifier given.
struct FieldWindow {
    explicit FieldWindow(std::vector<int> items);
    ~FieldWindow();
    HWND window;
};

// The main dialog, modeless and hidden, made as the program makes it: link
// class registered, g_instance set. g_launchPath is read as it stands.
HWND CreateMainDialog();

// Runs posted and sent messages until none are waiting.
void PumpMessages();

// Calls drive every 100 ms from inside whatever modal loop the thread enters
// (a message box, the open-file dialog) until drive returns true.
void DriveModalLoop(bool (*drive)(void *context), void *context);
// Stops the driving, whether or not the awaited window came.
void StopDrivingModalLoop();

// The visible dialog-class window of this thread owned by owner, if any.
HWND FindOwnedDialog(HWND owner);

// A drop handle for the given paths, as the shell makes one.
HDROP MakeDrop(const std::vector<std::wstring> &paths);

// The clipboard's CF_TEXT, or "(none)" when it holds none.
std::string ClipboardText();
void PutOnClipboard(const char *text);

// The text as the system code page's bytes.
std::string Narrow(const std::wstring &text);
