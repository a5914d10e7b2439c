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
    HANDLE file = CreateFileA("copies.lst", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD size = GetFileSize(file, NULL);
    char *list = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD got = 0;
    BOOL read = list != NULL && ReadFile(file, list, size, &got, NULL) && got == size;
    CloseHandle(file);
    if (!read)
        return 3;
    list[size] = '\0';
    int count = 0;
    for (DWORD i = 0; i < size; ++i) {
        if (list[i] == '\n')
            ++count;
        if (list[i] == '\t' || list[i] == '\r' || list[i] == '\n')
            list[i] = '\0';
    }
    BenchTimes &times = g_floor.times;
    LONGLONG openAt = Now();
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, count);
    HWND window = ProgressWindowHandle();
    if (window == NULL)
        return 4;
    LONGLONG stepsAt = Now();
    const char *end = list + size;
    const char *p = list;
    while (p < end) {
        while (p < end && *p == '\0')
            ++p;
        if (p >= end)
            break;
        p += lstrlenA(p) + 1;
        const char *value = p;
        p += lstrlenA(p) + 1;
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
