// The two digest jobs: text bytes the caller holds, or a whole file's
// contents. Each ends by setting the text of one dialog item to the digest
// text (32 uppercase hexadecimal digits) or to a failure text.
#pragma once

#include <stdint.h>
#include <windows.h>

// Shown in place of a digest when a job cannot have the memory it needs.
extern const wchar_t kOutOfMemoryText[];

// Writes the 16 digest bytes as 32 uppercase hexadecimal digits and a
// terminator into text, which holds at least 33 characters.
void FormatDigestHex(const uint8_t digest[16], wchar_t *text);

// Digests length bytes and shows the digest text in the dialog's item.
void DigestText(const char *bytes, uint32_t length, HWND dialog, int item);

// Digests the file named by path, read in 1 MiB pieces behind the wait
// cursor, and shows its digest text, or a failure text naming the path, in
// the dialog's item.
void DigestFile(const wchar_t *path, HWND dialog, int item);
