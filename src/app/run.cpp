#include "app/run.h"

#include <objbase.h>

#include "app/text.h"
#include "setup/script.h"
#include "setup/setup_info.h"
#include "ui/progress.h"

const char kConfirmText[] =
    "This program will update languages in Tessary. Press the OK button to continue.";
const char kNotInstalledText[] =
    "Updating has not been successful. Tessary not found. The game is not correctly "
    "installed on your computer. Download Tessary from https://www.tessary.example/download"
    " and install it. Then restart this program.";
const char kSuccessText[] =
    "Updating has been successful. Now start Tessary via Tessary Options in the Start menu"
    " and choose your language.";

enum { kCopyErrorCapacity = 2048, kShownPathLimit = 700 };

static HINSTANCE g_instance;
static HCURSOR g_cursor;
static char g_copyErrorText[kCopyErrorCapacity];

void SetAppInstance(HINSTANCE instance)
{
    g_instance = instance;
}

HINSTANCE AppInstance()
{
    return g_instance;
}

HCURSOR CurrentCursor()
{
    return g_cursor;
}

void HardenDllSearch()
{
    SetDllDirectoryA("");
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault = (SetDefaultDllDirectoriesFn)(void *)GetProcAddress(
        kernel, "SetDefaultDllDirectories");
    if (setDefault != NULL)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void InitApp()
{
    CoInitialize(NULL);
    g_cursor = LoadCursorA(NULL, IDC_ARROW);
}

void TermApp()
{
    CoUninitialize();
}

char *GetSystemErrorText()
{
    DWORD code = GetLastError();
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
    return text;
}

void FreeSystemErrorText(char *text)
{
    LocalFree(text);
}

// Appends dir joined with component as AppendPath joins them; a path too long for the
// message keeps its head and its tail, with "..." where the middle was left out.
static void AppendShownPath(char *text, size_t capacity, const char *dir, const char *component)
{
    char head[kShownPathLimit + 1];
    CopyText(head, sizeof head, dir);
    if (AppendPath(head, sizeof head, component)) {
        AppendText(text, capacity, head);
        return;
    }
    // dir fits in MAX_PATH, so a path this long always ends in a long component.
    const size_t half = kShownPathLimit / 2;
    CopyText(head, half + 1, dir);
    if (NeedsPathSeparator(dir))
        AppendText(head, half + 1, "\\");
    AppendText(head, half + 1, component);
    AppendText(text, capacity, head);
    AppendText(text, capacity, "...");
    AppendText(text, capacity, component + lstrlenA(component) - half);
}

void AppendLastErrorText(char *text, size_t capacity)
{
    DWORD code = GetLastError();
    char *systemText = GetSystemErrorText();
    if (systemText != NULL) {
        AppendText(text, capacity, systemText);
        FreeSystemErrorText(systemText);
        return;
    }
    char digits[12];
    char *p = digits + sizeof digits - 1;
    *p = '\0';
    do {
        *--p = (char)('0' + code % 10);
        code /= 10;
    } while (code != 0);
    AppendText(text, capacity, "Error code ");
    AppendText(text, capacity, p);
    AppendText(text, capacity, ".");
}

static void ShowCopyError(const char *key, const char *value)
{
    DWORD code = GetLastError();
    char *text = g_copyErrorText;
    CopyText(text, kCopyErrorCapacity, "Setup could not copy from the file:\n");
    AppendShownPath(text, kCopyErrorCapacity, g_setupInfo.sourceDir, key);
    AppendText(text, kCopyErrorCapacity, "\nto the file:\n'");
    AppendShownPath(text, kCopyErrorCapacity, g_setupInfo.installDir, value);
    AppendText(text, kCopyErrorCapacity, "'.\n");
    SetLastError(code);
    AppendLastErrorText(text, kCopyErrorCapacity);
    MessageBoxA(NULL, text, NULL, MB_ICONERROR);
}

int CopyLanguageFile(const char *key, const char *value)
{
    char source[MAX_PATH];
    char destination[MAX_PATH];
    CopyText(source, sizeof source, g_setupInfo.sourceDir);
    CopyText(destination, sizeof destination, g_setupInfo.installDir);
    // Never copy to or from a path that was cut to fit; the bar still counts the entry.
    if (!AppendPath(source, sizeof source, key) ||
        !AppendPath(destination, sizeof destination, value)) {
        char shown[kShownPathLimit + 4];
        shown[0] = '\0';
        AppendShownPath(shown, sizeof shown, g_setupInfo.installDir, value);
        ProgressWindow(NULL, PROGRESS_STEP, shown, 0);
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        ShowCopyError(key, value);
        return 0;
    }
    ProgressWindow(NULL, PROGRESS_STEP, destination, 0);
    if (!CopyFileA(source, destination, FALSE)) {
        ShowCopyError(key, value);
        return 0;
    }
    SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
    return 1;
}

static void SetSourceAndScriptPaths(SetupInfo &info)
{
    DWORD length = GetCurrentDirectoryA(sizeof info.sourceDir, info.sourceDir);
    if (length == 0 || length >= sizeof info.sourceDir)
        info.sourceDir[0] = '\0';
    CopyText(info.scriptPath, sizeof info.scriptPath, info.sourceDir);
    // A bare file name would send the profile reader to the Windows folder.
    if (info.sourceDir[0] == '\0' ||
        !AppendPath(info.scriptPath, sizeof info.scriptPath, "setup.isc"))
        CopyText(info.scriptPath, sizeof info.scriptPath, ".\\setup.isc");
}

int RunUpdate(HINSTANCE instance)
{
    SetAppInstance(instance);
    SetupInfo &info = g_setupInfo;
    ZeroMemory(&info, sizeof info);
    SetSourceAndScriptPaths(info);
    InitApp();
    LoadSetupInfo(info);
    CopyText(info.caption, sizeof info.caption, info.productName);
    AppendText(info.caption, sizeof info.caption, " Language Pack");

    if (MessageBoxA(NULL, kConfirmText, info.caption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        if (info.installedVersion == 0 || info.installDir[0] == '\0') {
            MessageBoxA(NULL, kNotInstalledText, info.caption, MB_ICONERROR);
        } else {
            int count = CountScriptEntries(info.scriptPath, "FILES");
            ProgressWindow(NULL, PROGRESS_OPEN, NULL, count);
            int ok = ForEachScriptEntry(info.scriptPath, "FILES", CopyLanguageFile, 1);
            ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
            if (ok)
                MessageBoxA(NULL, kSuccessText, info.caption, MB_ICONINFORMATION);
        }
    }
    TermApp();
    return 0;
}
