// The floor: copies the pack's files from a list held in memory, with no script reading
// and no window.
#include <windows.h>

#include "floor.h"

FloorState g_floor;

// copies.lst: one "key<TAB>value" line per [FILES] entry, in the script's order. It is read
// whole into memory by one ReadFile and split there.
static char *LoadCopyList(DWORD &size)
{
    HANDLE file = CreateFileA("copies.lst", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    size = GetFileSize(file, NULL);
    char *list = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD got = 0;
    if (list == NULL || !ReadFile(file, list, size, &got, NULL) || got != size) {
        CloseHandle(file);
        return NULL;
    }
    CloseHandle(file);
    list[size] = '\0';
    for (DWORD i = 0; i < size; ++i) {
        if (list[i] == '\t' || list[i] == '\r' || list[i] == '\n')
            list[i] = '\0';
    }
    return list;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!StartFloor())
        return 2;
    DWORD size = 0;
    char *list = LoadCopyList(size);
    if (list == NULL)
        return 3;
    g_floor.times.listTicks = Now() - g_floor.times.mainAt;
    const char *end = list + size;
    const char *p = list;
    while (p < end) {
        while (p < end && *p == '\0')
            ++p;
        if (p >= end)
            break;
        const char *key = p;
        p += lstrlenA(p) + 1;
        const char *value = p;
        p += lstrlenA(p) + 1;
        if (!FloorCopy(key, value))
            break;
    }
    HeapFree(GetProcessHeap(), 0, list);
    FinishFloor();
    return g_floor.times.failures == 0 ? 0 : 4;
}
