// LangUpdate.exe built from the same code with timers around the calls between its parts,
// put in by the linker (--wrap): the setup lookup, the count, the walk with its copies,
// and each command to the progress window.
#include <windows.h>

#include "bench_times.h"
#include "setup/setup_info.h"
#include "ui/progress.h"

typedef int (*ScriptEntryCallback)(const char *key, const char *value);

static BenchTimes g_times;

extern "C" {
void __real__Z15HardenDllSearchv();
int __real__Z9RunUpdateP11HINSTANCE__(HINSTANCE instance);
void __real__Z13LoadSetupInfoR9SetupInfo(SetupInfo &info);
int __real__Z18CountScriptEntriesPKcS0_(const char *scriptPath, const char *section);
int __real__Z18ForEachScriptEntryPKcS0_PFiS0_S0_Ei(const char *scriptPath, const char *section,
                                                   ScriptEntryCallback callback,
                                                   int stopOnFailure);
void __real__Z14ProgressWindowP6HWND__jPKci(HWND owner, unsigned int command, const char *text,
                                            int param);

void __wrap__Z15HardenDllSearchv()
{
    g_times.mainAt = Now();
    __real__Z15HardenDllSearchv();
}

int __wrap__Z9RunUpdateP11HINSTANCE__(HINSTANCE instance)
{
    int result = __real__Z9RunUpdateP11HINSTANCE__(instance);
    g_times.doneAt = Now();
    BenchTimes *shared = OpenBenchTimes();
    if (shared != NULL) {
        *shared = g_times;
        CloseBenchTimes(shared);
    }
    return result;
}

void __wrap__Z13LoadSetupInfoR9SetupInfo(SetupInfo &info)
{
    LONGLONG start = Now();
    __real__Z13LoadSetupInfoR9SetupInfo(info);
    g_times.setupTicks += Now() - start;
}

int __wrap__Z18CountScriptEntriesPKcS0_(const char *scriptPath, const char *section)
{
    LONGLONG start = Now();
    int count = __real__Z18CountScriptEntriesPKcS0_(scriptPath, section);
    g_times.countTicks += Now() - start;
    return count;
}

int __wrap__Z18ForEachScriptEntryPKcS0_PFiS0_S0_Ei(const char *scriptPath, const char *section,
                                                   ScriptEntryCallback callback,
                                                   int stopOnFailure)
{
    LONGLONG start = Now();
    int ok = __real__Z18ForEachScriptEntryPKcS0_PFiS0_S0_Ei(scriptPath, section, callback,
                                                            stopOnFailure);
    g_times.walkTicks += Now() - start;
    return ok;
}

void __wrap__Z14ProgressWindowP6HWND__jPKci(HWND owner, unsigned int command, const char *text,
                                            int param)
{
    LONGLONG start = Now();
    __real__Z14ProgressWindowP6HWND__jPKci(owner, command, text, param);
    LONGLONG took = Now() - start;
    if (command == PROGRESS_OPEN) {
        g_times.windowOpenTicks += took;
    } else if (command == PROGRESS_STEP) {
        g_times.windowStepTicks += took;
        ++g_times.entries;
    } else if (command == PROGRESS_CLOSE) {
        g_times.windowCloseTicks += took;
    }
}
}
