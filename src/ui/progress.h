#pragma once
#include <windows.h>

// Command codes of ProgressWindow.
enum {
    PROGRESS_OPEN = 1,
    PROGRESS_STEP = 2,
    PROGRESS_CLOSE = 3,
    PROGRESS_OPEN_NOBAR = 4,
    PROGRESS_SET_TEXT = 5,
    PROGRESS_DONE = 6
};

// Drives the one modeless progress window: open, step with a text, close.
void ProgressWindow(HWND owner, unsigned int command, const char *text, int param);

INT_PTR CALLBACK ProgressDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PumpMessages(HWND dialog);
int PumpOneMessage(HWND dialog);

// The kept window handle, null while no window is open.
HWND ProgressWindowHandle();
