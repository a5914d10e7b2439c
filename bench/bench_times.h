#pragma once
// The record through which a measured program hands its own phase times to the driver:
// a named shared memory block that the driver creates before each start.
#include <windows.h>

#define BENCH_TIMES_NAME "LangUpdateBench.Times"

// All times are QueryPerformanceCounter ticks; the counter is the same in every process.
struct BenchTimes {
    LONGLONG mainAt; // first thing in WinMain
    LONGLONG doneAt; // just before WinMain returns
    LONGLONG listTicks;      // the copy list read from its file, or the key list fetched
    LONGLONG readTicks;      // the value lookups, one per entry
    LONGLONG readFirstTicks; // the lookups of the first tenth of the entries
    LONGLONG readLastTicks;  // the lookups of the last tenth
    LONGLONG joinTicks;
    LONGLONG copyTicks;
    LONGLONG attributeTicks;
    LONGLONG windowOpenTicks;
    LONGLONG windowStepTicks;
    LONGLONG windowTextTicks; // within the steps: the status line, the bar, the pump
    LONGLONG windowBarTicks;
    LONGLONG windowPumpTicks;
    LONGLONG windowCloseTicks;
    LONGLONG setupTicks; // the timed LangUpdate: LoadSetupInfo, CountScriptEntries, the walk
    LONGLONG countTicks;
    LONGLONG walkTicks;
    LONG entries;
    LONG keyListFetches;
    LONG failures;
};

inline LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The driver's block, or NULL when the program runs on its own.
inline BenchTimes *OpenBenchTimes()
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, BENCH_TIMES_NAME);
    if (mapping == NULL)
        return NULL;
    BenchTimes *times = (BenchTimes *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(BenchTimes));
    CloseHandle(mapping);
    return times;
}

inline void CloseBenchTimes(BenchTimes *times)
{
    if (times != NULL)
        UnmapViewOfFile(times);
}
