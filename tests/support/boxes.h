#pragma once
// Starts another program and reads and answers its top-level windows from outside, the
// way a player would: its message boxes and its progress window.
#include <windows.h>

#include <string>
#include <vector>

// A started program. The destructor kills it if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    // program is a full path; arguments follow it on the command line as given (quote
    // them yourself). The new process's current directory is currentDir.
    bool Start(const std::string &program, const std::string &arguments,
               const std::string &currentDir);
    bool HasExited() const;
    // The exit code when the process ends within timeoutMs; otherwise it is killed and
    // false is returned.
    bool WaitForExit(DWORD timeoutMs, DWORD &exitCode);
    void Kill();
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }

private:
    HANDLE process_ = NULL;
    DWORD id_ = 0;
};

// A standard message box icon as its MessageBox flag: MB_ICONERROR, MB_ICONQUESTION,
// MB_ICONWARNING, MB_ICONINFORMATION, 0 for none, or this for anything else.
const UINT kUnknownBoxIcon = 0xFFFFFFFF;
const char *BoxIconName(UINT icon);

struct BoxButton {
    int id;
    std::string text;
};

struct MessageBoxInfo {
    HWND window = NULL;
    std::string caption;
    std::string text;
    std::vector<BoxButton> buttons; // left to right
    UINT icon = kUnknownBoxIcon;
};

// CR and LF written as \r and \n, so that a text shows on one line.
std::string EscapeLineBreaks(const std::string &text);
// "1:OK 2:Cancel": the buttons' ids and texts, left to right.
std::string DescribeButtons(const std::vector<BoxButton> &buttons);
// Caption, text (line breaks escaped), buttons and icon on one line, for failure output.
std::string DescribeBox(const MessageBoxInfo &box);

// A dialog with a static text control 0xFFFF and a button, not the progress window.
bool IsMessageBox(HWND window);
// A dialog without a caption holding a "msctls_progress32" control.
bool IsProgressWindow(HWND window);
// The visible top-level windows of a process, topmost first.
std::vector<HWND> ProcessWindows(DWORD processId);
HWND FindMessageBox(DWORD processId);
HWND FindProgressWindow(DWORD processId);

enum WaitResult { kWindowFound, kProcessExited, kWaitTimedOut };
// Polls until the process shows a message box, ends, or timeoutMs pass.
WaitResult WaitForMessageBox(const ChildProcess &process, DWORD timeoutMs, HWND &box);
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// Reads caption, text, buttons and icon. The icon is read inside the box's own process
// through boxes_hook.dll, which must lie beside the running program; without it the icon
// reads as kUnknownBoxIcon.
bool ReadMessageBox(HWND box, MessageBoxInfo &info);
UINT ReadBoxIcon(HWND box);

enum BoxAnswer { kClickOk, kClickCancel, kPressEscape, kCloseBox };
const char *BoxAnswerName(BoxAnswer answer);
// Clicks a button (BM_CLICK), sends Esc down and up to the focused control, or closes the
// box from its system menu; false when the button or the box is not there.
bool AnswerMessageBox(HWND box, BoxAnswer answer);

struct ProgressState {
    LONG style = 0;
    std::string status;      // the status line, control 101
    bool barVisible = false; // the bar, control 102
    int position = 0;
    int low = 0;
    int high = 0;
};
bool ReadProgressWindow(HWND window, ProgressState &state);

// Registered window message and window property by which boxes_hook.dll reports an icon.
#define BOXES_ICON_QUERY_MESSAGE "LangUpdateTests.BoxIconQuery"
#define BOXES_ICON_PROPERTY "LangUpdateTests.BoxIcon"
// Set in the property's value beside the icon flag, so that a missing answer reads as 0.
#define BOXES_ICON_ANSWERED 0x10000
