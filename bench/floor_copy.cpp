// The floor: copies the pack's files from a list held in memory, with no script reading
// and no window.
#include <windows.h>

#include "floor.h"

FloorState g_floor;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!StartFloor())
        return 2;
    DWORD size = 0;
    int count = 0;
    char *list = LoadCopyList(size, count);
    if (list == NULL)
        return 3;
    g_floor.times.listTicks = Now() - g_floor.times.mainAt;
    const char *end = list + size;
    const char *p = list;
    const char *key;
    const char *value;
    while (NextCopyEntry(p, end, key, value)) {
        if (!FloorCopy(key, value))
            break;
    }
    HeapFree(GetProcessHeap(), 0, list);
    FinishFloor();
    return g_floor.times.failures == 0 ? 0 : 4;
}
