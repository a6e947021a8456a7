// Times the program's file job on one file, for scripts/bench-file; not part
// of the product. DigestFile runs as the main dialog runs it, showing its
// result in an edit control, here the child of a hidden window.
//   file_bench FILE [RUNS]
// prints one line per run, "run N: SECONDS s MB/s DIGEST", then the best, and
// the time the same reads take without hashing.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "digest_jobs.h"

namespace {

const int kResultItem = 100;
const int kResultLength = 1024;

HWND CreateResultHolder() {
    HINSTANCE instance = GetModuleHandleW(NULL);
    HWND window =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    if (window != NULL)
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 0, 0, window, (HMENU)(INT_PTR)kResultItem,
                        instance, NULL);
    return window;
}

double FileBytes(const wchar_t *path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return -1;
    return (double)data.nFileSizeHigh * 4294967296.0 + data.nFileSizeLow;
}

double Seconds(const LARGE_INTEGER &start, const LARGE_INTEGER &end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

// Seconds it takes only to read the file as DigestFile does, in 1 MiB pieces:
// how much of the job's time the reads account for.
double TimeReadsAlone(const wchar_t *path) {
    const DWORD size = 1024 * 1024;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    void *buffer = LocalAlloc(LPTR, size);
    if (file == INVALID_HANDLE_VALUE || buffer == NULL)
        return -1;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    DWORD got = 0;
    while (ReadFile(file, buffer, size, &got, NULL) && got != 0)
        continue;
    QueryPerformanceCounter(&end);
    LocalFree(buffer);
    CloseHandle(file);
    return Seconds(start, end);
}

// Seconds one DigestFile call takes; the digest text it showed goes to text.
double TimeOneRun(const wchar_t *path, HWND holder, wchar_t *text) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    DigestFile(path, holder, kResultItem);
    QueryPerformanceCounter(&end);
    GetDlgItemTextW(holder, kResultItem, text, kResultLength);
    return Seconds(start, end);
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: file_bench FILE [RUNS]\n");
        return 2;
    }
    const double bytes = FileBytes(argv[1]);
    const int runs = argc == 3 ? _wtoi(argv[2]) : 1;
    HWND holder = CreateResultHolder();
    if (bytes < 0 || runs < 1 || holder == NULL) {
        fprintf(stderr, "file_bench: cannot read the file's size or make the window\n");
        return 2;
    }
    double best = 0;
    wchar_t text[kResultLength];
    for (int run = 1; run <= runs; run++) {
        double seconds = TimeOneRun(argv[1], holder, text);
        if (best == 0 || seconds < best)
            best = seconds;
        printf("run %d: %.3f s %.1f MB/s %ls\n", run, seconds, bytes / seconds / 1e6, text);
    }
    printf("best: %.3f s %.1f MB/s %ls\n", best, bytes / best / 1e6, text);
    printf("reads alone: %.3f s\n", TimeReadsAlone(argv[1]));
    DestroyWindow(holder);
    return lstrlenW(text) == 32 ? 0 : 1;
}
