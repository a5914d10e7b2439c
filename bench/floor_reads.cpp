// The floor plus the script reads that the program's reader makes for [FILES]: the key
// list in a block that starts at 50,000 bytes and doubles until the list fits, then one
// value lookup of 260 bytes per name, each followed by the floor's copy. No window, and
// no USER32: the reader's own code would import it for its fatal error box.
#include <windows.h>

#include "floor.h"

FloorState g_floor;

enum { kFirstKeyListSize = 50000, kEntryValueCapacity = 260, kMostTimedEntries = 65536 };
static LONGLONG g_readTicks[kMostTimedEntries];
static LONG g_keyListFetches;

static char *FetchKeyList(const char *scriptPath, const char *section)
{
    HANDLE heap = GetProcessHeap();
    DWORD size = kFirstKeyListSize;
    for (;;) {
        char *block = (char *)HeapAlloc(heap, 0, size);
        if (block == NULL)
            return NULL;
        ++g_keyListFetches;
        DWORD copied = GetPrivateProfileStringA(section, NULL, "", block, size, scriptPath);
        if (copied == 0)
            block[0] = '\0';
        if (copied + 2 < size)
            return block;
        HeapFree(heap, 0, block);
        if (size > 0x7FFFFFFF / 2)
            return NULL;
        size *= 2;
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!StartFloor())
        return 2;
    char scriptPath[MAX_PATH];
    CopyText(scriptPath, sizeof scriptPath, g_floor.sourceDir);
    if (!AppendPath(scriptPath, sizeof scriptPath, "setup.isc"))
        return 3;
    BenchTimes &times = g_floor.times;
    LONGLONG listAt = Now();
    char *keys = FetchKeyList(scriptPath, "FILES");
    if (keys == NULL)
        return 3;
    times.listTicks = Now() - listAt;
    char value[kEntryValueCapacity];
    LONG index = 0;
    for (const char *name = keys; *name != '\0'; name += lstrlenA(name) + 1, ++index) {
        LONGLONG readAt = Now();
        GetPrivateProfileStringA("FILES", name, "", value, sizeof value, scriptPath);
        LONGLONG read = Now() - readAt;
        times.readTicks += read;
        if (index < kMostTimedEntries)
            g_readTicks[index] = read;
        if (!FloorCopy(name, value))
            break;
    }
    HeapFree(GetProcessHeap(), 0, keys);
    LONG timed = index < kMostTimedEntries ? index : (LONG)kMostTimedEntries;
    LONG tenth = timed / 10;
    for (LONG i = 0; i < tenth; ++i)
        times.readFirstTicks += g_readTicks[i];
    for (LONG i = timed - tenth; i < timed; ++i)
        times.readLastTicks += g_readTicks[i];
    times.keyListFetches = g_keyListFetches;
    FinishFloor();
    return times.failures == 0 ? 0 : 4;
}
