#include "ui/progress.h"

#include <commctrl.h>

#include "app/run.h"
#include "app/text.h"
#include "ui/resource.h"

static HWND g_progressWindow;

HWND ProgressWindowHandle()
{
    return g_progressWindow;
}

// Loads the common controls from the system folder by full path (never from the current
// directory) and registers the progress bar class; done once per process.
static void RegisterProgressClass()
{
    static int done;
    if (done)
        return;
    done = 1;
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendPath(path, sizeof path, "comctl32.dll"))
        return;
    // Stays loaded for the life of the process: the class it registers lives in it.
    HMODULE comctl = LoadLibraryA(path);
    if (comctl == NULL)
        return;
    typedef BOOL(WINAPI * InitExFn)(const INITCOMMONCONTROLSEX *);
    InitExFn initEx = (InitExFn)(void *)GetProcAddress(comctl, "InitCommonControlsEx");
    if (initEx != NULL) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        initEx(&controls);
        return;
    }
    typedef void(WINAPI * InitFn)();
    InitFn init = (InitFn)(void *)GetProcAddress(comctl, "InitCommonControls");
    if (init != NULL)
        init();
}

static void CloseWindow();

static void OpenWindow(HWND owner, int initValue)
{
    // Only one handle is kept: a window still open would be lost, so it goes first.
    CloseWindow();
    RegisterProgressClass();
    g_progressWindow = CreateDialogParamA(AppInstance(), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                          ProgressDlgProc, (LPARAM)initValue);
}

static void CloseWindow()
{
    if (g_progressWindow == NULL)
        return;
    DestroyWindow(g_progressWindow);
    g_progressWindow = NULL;
}

void ProgressWindow(HWND owner, unsigned int command, const char *text, int param)
{
    switch (command) {
    case PROGRESS_OPEN:
        OpenWindow(owner, param);
        break;
    case PROGRESS_OPEN_NOBAR:
        OpenWindow(owner, -1);
        break;
    case PROGRESS_STEP:
        if (g_progressWindow != NULL) {
            SetDlgItemTextA(g_progressWindow, IDC_STATUS_TEXT, text);
            SendDlgItemMessageA(g_progressWindow, IDC_PROGRESS_BAR, PBM_STEPIT, 0, 0);
        }
        PumpMessages(g_progressWindow);
        break;
    case PROGRESS_SET_TEXT:
        if (g_progressWindow != NULL)
            SetDlgItemTextA(g_progressWindow, IDC_STATUS_TEXT, text);
        break;
    case PROGRESS_CLOSE:
    case PROGRESS_DONE:
        CloseWindow();
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK ProgressDlgProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(CurrentCursor());
        return TRUE;
    case WM_INITDIALOG: {
        HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
        int initValue = (int)lParam;
        if (initValue < 0) {
            ShowWindow(bar, SW_HIDE);
        } else {
            SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, initValue & 0xFFFF));
            SendMessageA(bar, PBM_SETSTEP, 1, 0);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void PumpMessages(HWND dialog)
{
    while (PumpOneMessage(dialog))
        ;
}

int PumpOneMessage(HWND dialog)
{
    MSG message;
    if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        return 0;
    if (dialog != NULL && IsDialogMessageA(dialog, &message))
        return 1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return 1;
}
