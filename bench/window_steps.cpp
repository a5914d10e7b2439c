// The program's progress window alone: opened for the pack's entries, stepped once per
// entry with its destination path, closed. A step makes the calls of PROGRESS_STEP one by
// one, so that the status line, the bar and the pump are timed apart.
#include <windows.h>

#include <commctrl.h>

#include "app/run.h"
#include "floor.h"
#include "ui/progress.h"
#include "ui/resource.h"

FloorState g_floor;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!StartFloor())
        return 2;
    SetAppInstance(instance);
    InitApp();
    DWORD size = 0;
    int count = 0;
    char *list = LoadCopyList(size, count);
    if (list == NULL)
        return 3;
    BenchTimes &times = g_floor.times;
    LONGLONG openAt = Now();
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, count);
    HWND window = ProgressWindowHandle();
    if (window == NULL)
        return 4;
    LONGLONG stepsAt = Now();
    const char *end = list + size;
    const char *p = list;
    const char *key;
    const char *value;
    while (NextCopyEntry(p, end, key, value)) {
        char destination[MAX_PATH];
        CopyText(destination, sizeof destination, g_floor.installDir);
        AppendPath(destination, sizeof destination, value);
        LONGLONG textAt = Now();
        SetDlgItemTextA(window, IDC_STATUS_TEXT, destination);
        LONGLONG barAt = Now();
        SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_STEPIT, 0, 0);
        LONGLONG pumpAt = Now();
        PumpMessages(window);
        LONGLONG stepDoneAt = Now();
        times.windowTextTicks += barAt - textAt;
        times.windowBarTicks += pumpAt - barAt;
        times.windowPumpTicks += stepDoneAt - pumpAt;
        ++times.entries;
    }
    LONGLONG closeAt = Now();
    ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    LONGLONG closedAt = Now();
    times.windowOpenTicks = stepsAt - openAt;
    times.windowStepTicks = closeAt - stepsAt;
    times.windowCloseTicks = closedAt - closeAt;
    HeapFree(GetProcessHeap(), 0, list);
    TermApp();
    FinishFloor();
    return 0;
}
