#include "setup/script.h"

#include <windows.h>

#include "app/text.h"

enum {
    kIntTextCapacity = 64,
    kEntryValueCapacity = 260,
    kFatalTextCapacity = 2048,
    kFirstKeyListSize = 50000
};

int ReadScriptString(const char *scriptPath, const char *section, const char *key,
                     char *buffer, int capacity, int required)
{
    if (GetPrivateProfileStringA(section, key, "", buffer, (DWORD)capacity, scriptPath) != 0)
        return 1;
    if (required)
        ScriptFatalError(scriptPath, section, key, "Not Found");
    return 0;
}

int ReadScriptInt(const char *scriptPath, const char *section, const char *key,
                  int *value, int required)
{
    char text[kIntTextCapacity];
    if (!ReadScriptString(scriptPath, section, key, text, sizeof text, required))
        return 0;
    int number;
    if (!ParseScriptInteger(text, &number))
        ScriptFatalError(scriptPath, section, key, "Invalid INT format");
    *value = number;
    return 1;
}

void ScriptFatalError(const char *scriptPath, const char *section, const char *key,
                      const char *message)
{
    char text[kFatalTextCapacity];
    CopyText(text, sizeof text, scriptPath);
    AppendText(text, sizeof text, "\r\n[");
    AppendText(text, sizeof text, section);
    AppendText(text, sizeof text, "]\r\n");
    AppendText(text, sizeof text, key);
    MessageBoxA(NULL, text, message, MB_TASKMODAL | MB_ICONERROR);
    ExitProcess(1);
}

// Fetches a section's key list into a heap block that grows until the whole list fits,
// so that no name is ever cut. Returns NULL when the memory cannot be had.
static char *FetchKeyList(const char *scriptPath, const char *section)
{
    HANDLE heap = GetProcessHeap();
    DWORD size = kFirstKeyListSize;
    for (;;) {
        char *block = (char *)HeapAlloc(heap, 0, size);
        if (block == NULL)
            return NULL;
        DWORD copied = GetPrivateProfileStringA(section, NULL, "", block, size, scriptPath);
        if (copied == 0)
            block[0] = '\0';
        // A cut list reports size - 2; anything shorter is known to be whole.
        if (copied + 2 < size)
            return block;
        HeapFree(heap, 0, block);
        if (size > 0x7FFFFFFF / 2)
            return NULL;
        size *= 2;
    }
}

static void FreeKeyList(char *block)
{
    HeapFree(GetProcessHeap(), 0, block);
}

int ForEachScriptEntry(const char *scriptPath, const char *section,
                       ScriptEntryCallback callback, int stopOnFailure)
{
    char *keys = FetchKeyList(scriptPath, section);
    if (keys == NULL)
        return 0;
    int result = 1;
    char value[kEntryValueCapacity];
    for (const char *name = keys; *name != '\0'; name += lstrlenA(name) + 1) {
        GetPrivateProfileStringA(section, name, "", value, sizeof value, scriptPath);
        if (!callback(name, value))
            result = 0;
        if (result == 0 && stopOnFailure)
            break;
    }
    FreeKeyList(keys);
    return result;
}

int CountScriptEntries(const char *scriptPath, const char *section)
{
    char *keys = FetchKeyList(scriptPath, section);
    if (keys == NULL)
        return 0;
    int count = 0;
    for (const char *name = keys; *name != '\0'; name += lstrlenA(name) + 1)
        ++count;
    FreeKeyList(keys);
    return count;
}
