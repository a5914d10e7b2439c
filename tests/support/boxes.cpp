#include "boxes.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

enum { kPollMs = 5, kMessageBoxTextId = 0xFFFF, kStatusTextId = 101, kProgressBarId = 102 };

ChildProcess::~ChildProcess()
{
    Kill();
}

bool ChildProcess::Start(const std::string &program, const std::string &arguments,
                         const std::string &currentDir)
{
    Kill();
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(program.c_str(), writable.data(), NULL, NULL, FALSE, 0, NULL,
                        currentDir.c_str(), &startup, &started))
        return false;
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    id_ = started.dwProcessId;
    return true;
}

bool ChildProcess::HasExited() const
{
    return process_ == NULL || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD &exitCode)
{
    exitCode = STILL_ACTIVE;
    if (process_ == NULL)
        return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        Kill();
        return false;
    }
    return GetExitCodeProcess(process_, &exitCode) != 0;
}

void ChildProcess::Kill()
{
    if (process_ == NULL)
        return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = NULL;
    id_ = 0;
}

const char *BoxIconName(UINT icon)
{
    switch (icon) {
    case 0:
        return "none";
    case MB_ICONERROR:
        return "error";
    case MB_ICONQUESTION:
        return "question";
    case MB_ICONWARNING:
        return "warning";
    case MB_ICONINFORMATION:
        return "information";
    default:
        return "unknown";
    }
}

const char *BoxAnswerName(BoxAnswer answer)
{
    switch (answer) {
    case kClickOk:
        return "click OK";
    case kClickCancel:
        return "click Cancel";
    case kPressEscape:
        return "press Esc";
    case kCloseBox:
        return "close the box";
    }
    return "?";
}

static std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return std::string();
    std::vector<char> text(length + 1);
    int got = GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data(), got > 0 ? got : 0);
}

static std::string ClassName(HWND window)
{
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string EscapeLineBreaks(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string DescribeButtons(const std::vector<BoxButton> &buttons)
{
    std::string out;
    for (const BoxButton &button : buttons) {
        if (!out.empty())
            out += " ";
        out += std::to_string(button.id) + ":" + button.text;
    }
    return out;
}

std::string DescribeBox(const MessageBoxInfo &box)
{
    return "[" + box.caption + "] \"" + EscapeLineBreaks(box.text) + "\" buttons {" +
           DescribeButtons(box.buttons) + "} icon " + BoxIconName(box.icon);
}

static bool IsDialog(HWND window)
{
    return ClassName(window) == "#32770";
}

// The progress window's icon is a static with id 0xFFFF (-1) too.
// The progress window also has a static 0xFFFF (its icon); while it is being destroyed its
// bar goes first, so only a button tells a message box from it for certain.
bool IsMessageBox(HWND window)
{
    HWND text = GetDlgItem(window, kMessageBoxTextId);
    return IsDialog(window) && text != NULL && ClassName(text) == "Static" &&
           FindWindowExA(window, NULL, "Button", NULL) != NULL && !IsProgressWindow(window);
}

bool IsProgressWindow(HWND window)
{
    if (!IsDialog(window) || (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
        return false;
    HWND bar = GetDlgItem(window, kProgressBarId);
    return bar != NULL && ClassName(bar) == PROGRESS_CLASSA;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

static BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window))
        search->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectProcessWindow, (LPARAM)&search);
    return search.windows;
}

HWND FindMessageBox(DWORD processId)
{
    for (HWND window : ProcessWindows(processId)) {
        if (IsMessageBox(window))
            return window;
    }
    return NULL;
}

HWND FindProgressWindow(DWORD processId)
{
    for (HWND window : ProcessWindows(processId)) {
        if (IsProgressWindow(window))
            return window;
    }
    return NULL;
}

WaitResult WaitForMessageBox(const ChildProcess &process, DWORD timeoutMs, HWND &box)
{
    box = NULL;
    DWORD start = GetTickCount();
    for (;;) {
        // Looked at before the exit, so that a box shown just before the end is not missed.
        bool exited = process.HasExited();
        box = FindMessageBox(process.id());
        if (box != NULL)
            return kWindowFound;
        if (exited)
            return kProcessExited;
        if (GetTickCount() - start >= timeoutMs)
            return kWaitTimedOut;
        Sleep(kPollMs);
    }
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

static bool ByPosition(const std::pair<RECT, BoxButton> &a, const std::pair<RECT, BoxButton> &b)
{
    if (a.first.top != b.first.top)
        return a.first.top < b.first.top;
    return a.first.left < b.first.left;
}

bool ReadMessageBox(HWND box, MessageBoxInfo &info)
{
    info = MessageBoxInfo();
    if (!IsMessageBox(box))
        return false;
    info.window = box;
    info.caption = WindowText(box);
    info.text = WindowText(GetDlgItem(box, kMessageBoxTextId));
    std::vector<std::pair<RECT, BoxButton>> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != "Button" || !IsWindowVisible(child))
            continue;
        RECT place;
        GetWindowRect(child, &place);
        buttons.push_back({place, BoxButton{GetDlgCtrlID(child), WindowText(child)}});
    }
    std::stable_sort(buttons.begin(), buttons.end(), ByPosition);
    for (const auto &button : buttons)
        info.buttons.push_back(button.second);
    info.icon = ReadBoxIcon(box);
    return true;
}

static HMODULE IconHookLibrary()
{
    static HMODULE library;
    static bool tried;
    if (!tried) {
        tried = true;
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
        if (length == 0 || length >= sizeof path)
            return NULL;
        char *slash = strrchr(path, '\\');
        if (slash == NULL || (size_t)(slash + 1 - path) + sizeof "boxes_hook.dll" > sizeof path)
            return NULL;
        strcpy(slash + 1, "boxes_hook.dll");
        library = LoadLibraryA(path);
    }
    return library;
}

// Icon handles belong to their process (another process cannot compare or measure them
// under Wine), so a hook run inside the box's thread compares it with LoadIcon there.
UINT ReadBoxIcon(HWND box)
{
    HWND icon = GetDlgItem(box, 20);
    if (icon == NULL)
        icon = GetDlgItem(box, 1088);
    HMODULE library = IconHookLibrary();
    if (icon == NULL || library == NULL)
        return kUnknownBoxIcon;
    HOOKPROC hookProc = (HOOKPROC)(void *)GetProcAddress(library, "BoxIconHook");
    if (hookProc == NULL)
        return kUnknownBoxIcon;
    DWORD thread = GetWindowThreadProcessId(icon, NULL);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, library, thread);
    if (hook == NULL)
        return kUnknownBoxIcon;
    DWORD_PTR ignored;
    SendMessageTimeoutA(icon, RegisterWindowMessageA(BOXES_ICON_QUERY_MESSAGE), 0, 0,
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    UnhookWindowsHookEx(hook);
    UINT_PTR answer = (UINT_PTR)GetPropA(icon, BOXES_ICON_PROPERTY);
    if (!(answer & BOXES_ICON_ANSWERED))
        return kUnknownBoxIcon;
    UINT flag = (UINT)(answer & 0xFFFF);
    return flag == 0xFFFF ? kUnknownBoxIcon : flag;
}

static void PostKey(HWND window, UINT key, UINT scanCode)
{
    PostMessageA(window, WM_KEYDOWN, key, 1 | (scanCode << 16));
    PostMessageA(window, WM_KEYUP, key, 1 | (scanCode << 16) | 0xC0000000);
}

bool AnswerMessageBox(HWND box, BoxAnswer answer)
{
    if (!IsWindow(box))
        return false;
    switch (answer) {
    case kClickOk:
    case kClickCancel: {
        HWND button = GetDlgItem(box, answer == kClickOk ? IDOK : IDCANCEL);
        if (button == NULL || !IsWindowVisible(button))
            return false;
        return PostMessageA(button, BM_CLICK, 0, 0) != 0;
    }
    case kPressEscape: {
        // A real key press arrives at the control that has the keyboard focus.
        GUITHREADINFO thread;
        ZeroMemory(&thread, sizeof thread);
        thread.cbSize = sizeof thread;
        HWND target = box;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(box, NULL), &thread) &&
            thread.hwndFocus != NULL && IsChild(box, thread.hwndFocus))
            target = thread.hwndFocus;
        PostKey(target, VK_ESCAPE, MapVirtualKeyA(VK_ESCAPE, 0));
        return true;
    }
    case kCloseBox:
        return PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
    }
    return false;
}

bool ReadProgressWindow(HWND window, ProgressState &state)
{
    state = ProgressState();
    if (!IsProgressWindow(window))
        return false;
    state.style = GetWindowLongA(window, GWL_STYLE);
    state.status = WindowText(GetDlgItem(window, kStatusTextId));
    HWND bar = GetDlgItem(window, kProgressBarId);
    state.barVisible = IsWindowVisible(bar) != 0;
    // Range and position come back as results: a pointer would not cross processes.
    state.position = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
    state.low = (int)SendMessageA(bar, PBM_GETRANGE, TRUE, 0);
    state.high = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    return true;
}
