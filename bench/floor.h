#pragma once
// The floor's copy of one entry: both paths joined as the program joins them, CopyFileA
// overwriting, then normal attributes; each step timed into the caller's record.
#include <windows.h>

#include "app/text.h"
#include "bench_times.h"

struct FloorState {
    char sourceDir[MAX_PATH];
    char installDir[MAX_PATH];
    BenchTimes times;
};

extern FloorState g_floor;

inline int FloorCopy(const char *key, const char *value)
{
    LONGLONG joinAt = Now();
    BenchTimes &times = g_floor.times;
    char source[MAX_PATH];
    char destination[MAX_PATH];
    CopyText(source, sizeof source, g_floor.sourceDir);
    CopyText(destination, sizeof destination, g_floor.installDir);
    if (!AppendPath(source, sizeof source, key) ||
        !AppendPath(destination, sizeof destination, value)) {
        ++times.failures;
        return 0;
    }
    LONGLONG copyAt = Now();
    BOOL copied = CopyFileA(source, destination, FALSE);
    LONGLONG attributeAt = Now();
    if (copied)
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
    else
        ++times.failures;
    LONGLONG doneAt = Now();
    times.joinTicks += copyAt - joinAt;
    times.copyTicks += attributeAt - copyAt;
    times.attributeTicks += doneAt - attributeAt;
    ++times.entries;
    return copied ? 1 : 0;
}

// The source folder is the current directory; the install folder is the one argument.
inline int StartFloor()
{
    g_floor.times.mainAt = Now();
    DWORD length = GetCurrentDirectoryA(sizeof g_floor.sourceDir, g_floor.sourceDir);
    if (length == 0 || length >= sizeof g_floor.sourceDir)
        return 0;
    const char *args = GetCommandLineA();
    if (*args == '"') {
        ++args;
        while (*args != '\0' && *args != '"')
            ++args;
        if (*args == '"')
            ++args;
    } else {
        while (*args != '\0' && *args != ' ')
            ++args;
    }
    while (*args == ' ')
        ++args;
    char quote = *args == '"' ? '"' : ' ';
    if (quote == '"')
        ++args;
    size_t n = 0;
    while (args[n] != '\0' && args[n] != quote && n + 1 < sizeof g_floor.installDir) {
        g_floor.installDir[n] = args[n];
        ++n;
    }
    g_floor.installDir[n] = '\0';
    return n > 0;
}

// copies.lst: one "key<TAB>value" line per [FILES] entry, in the script's order. It is read
// whole into memory by one ReadFile and split there; count receives the number of lines.
inline char *LoadCopyList(DWORD &size, int &count)
{
    HANDLE file = CreateFileA("copies.lst", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    size = GetFileSize(file, NULL);
    char *list = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD got = 0;
    BOOL read = list != NULL && ReadFile(file, list, size, &got, NULL) && got == size;
    CloseHandle(file);
    if (!read) {
        if (list != NULL)
            HeapFree(GetProcessHeap(), 0, list);
        return NULL;
    }
    list[size] = '\0';
    count = 0;
    for (DWORD i = 0; i < size; ++i) {
        if (list[i] == '\n')
            ++count;
        if (list[i] == '\t' || list[i] == '\r' || list[i] == '\n')
            list[i] = '\0';
    }
    return list;
}

// Takes the next key and value from a split copy list; 0 at its end.
inline int NextCopyEntry(const char *&p, const char *end, const char *&key, const char *&value)
{
    while (p < end && *p == '\0')
        ++p;
    if (p >= end)
        return 0;
    key = p;
    p += lstrlenA(p) + 1;
    value = p;
    p += lstrlenA(p) + 1;
    return 1;
}

inline void FinishFloor()
{
    g_floor.times.doneAt = Now();
    BenchTimes *shared = OpenBenchTimes();
    if (shared != NULL) {
        *shared = g_floor.times;
        CloseBenchTimes(shared);
    }
}
