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

inline void FinishFloor()
{
    g_floor.times.doneAt = Now();
    BenchTimes *shared = OpenBenchTimes();
    if (shared != NULL) {
        *shared = g_floor.times;
        CloseBenchTimes(shared);
    }
}
