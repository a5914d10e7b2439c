#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "ui/progress.h"
#include "ui/resource.h"

// Wine's dialog manager adds these two to every dialog it creates.
static const LONG kAddedByPlatform = WS_CLIPSIBLINGS | DS_3DLOOK;
static const UINT kThreadProbe = WM_APP + 1;

static std::string StatusText(HWND dialog)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, IDC_STATUS_TEXT, text, sizeof text);
    return text;
}

static int BarPosition(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0);
}

static PBRANGE BarRange(HWND dialog)
{
    PBRANGE range = {-1, -1};
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETRANGE, TRUE, (LPARAM)&range);
    return range;
}

static bool IsQueued(HWND window, UINT message)
{
    MSG peeked;
    return PeekMessageA(&peeked, window, message, message, PM_NOREMOVE) != 0;
}

static void DrainQueue()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

static BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*(int *)count;
    return TRUE;
}

static int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, (LPARAM)&count);
    return count;
}

// A top-level window of this thread besides the dialog; as a bar it shows whether a message
// posted to it was dispatched.
static HWND CreatePopupBar()
{
    return CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetAppInstance(GetModuleHandleA(NULL));
        InitApp();
        DrainQueue();
    }
    void TearDown() override
    {
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
        DrainQueue();
        TermApp();
    }
};

TEST_F(ProgressWindowTest, OpenShowsTheDialogAtOnceWithItsThreeItems)
{
    HWND owner = CreatePopupBar();
    ASSERT_NE((HWND)NULL, owner) << "GetLastError " << GetLastError();
    struct Row {
        const char *name;
        HWND owner;
    } rows[] = {{"unowned", NULL}, {"owned", owner}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ProgressWindow(row.owner, PROGRESS_OPEN, NULL, 4);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog) << "GetLastError " << GetLastError();
        EXPECT_TRUE(IsWindowVisible(dialog));
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(0x900009C0u, (DWORD)(style & ~kAddedByPlatform))
            << std::hex << "style 0x" << style;
        EXPECT_EQ(0, style & (WS_CAPTION | WS_SYSMENU)) << std::hex << "style 0x" << style;
        EXPECT_EQ(0, GetWindowTextLengthA(dialog));
        EXPECT_EQ(row.owner, GetWindow(dialog, GW_OWNER));

        struct Item {
            int id;
            const char *className;
        } items[] = {
            {IDC_STATUS_TEXT, "Static"},
            {IDC_PROGRESS_BAR, "msctls_progress32"},
            {0xFFFF, "Static"},
        };
        HWND child = GetWindow(dialog, GW_CHILD);
        for (size_t i = 0; i < sizeof items / sizeof items[0]; ++i) {
            ASSERT_NE((HWND)NULL, child) << "item " << i;
            char className[64] = "";
            GetClassNameA(child, className, sizeof className);
            EXPECT_EQ(items[i].id, GetDlgCtrlID(child) & 0xFFFF) << "item " << i;
            EXPECT_STREQ(items[i].className, className) << "item " << i;
            EXPECT_TRUE(IsWindowVisible(child)) << "item " << i;
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ((HWND)NULL, child) << "more than three items";
        EXPECT_EQ("Static", StatusText(dialog));
        HWND icon = GetWindow(GetDlgItem(dialog, IDC_PROGRESS_BAR), GW_HWNDNEXT);
        EXPECT_EQ(SS_ICON, GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK);
        EXPECT_NE(0, SendMessageA(icon, STM_GETICON, 0, 0)) << "icon 109 was not loaded";
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    }
    DestroyWindow(owner);
}

TEST_F(ProgressWindowTest, OpenSetsTheRangeFromTheLowSixteenBitsOrHidesTheBar)
{
    struct Row {
        const char *name;
        unsigned int command;
        int param;
        bool barShown;
        int high;
    } rows[] = {
        {"no entries", PROGRESS_OPEN, 0, true, 0},
        {"one entry", PROGRESS_OPEN, 1, true, 1},
        {"three entries", PROGRESS_OPEN, 3, true, 3},
        {"largest range", PROGRESS_OPEN, 65535, true, 65535},
        {"65,536 wraps to 0", PROGRESS_OPEN, 65536, true, 0},
        {"70,000 wraps to 4,464", PROGRESS_OPEN, 70000, true, 4464},
        {"minus one", PROGRESS_OPEN, -1, false, 0},
        {"most negative", PROGRESS_OPEN, INT_MIN, false, 0},
        {"no bar, count ignored", PROGRESS_OPEN_NOBAR, 5, false, 0},
        {"no bar, zero", PROGRESS_OPEN_NOBAR, 0, false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ProgressWindow(NULL, row.command, NULL, row.param);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog) << "GetLastError " << GetLastError();
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
        ASSERT_NE((HWND)NULL, bar);
        EXPECT_EQ(row.barShown, IsWindowVisible(bar) != 0);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_STATUS_TEXT)));
        if (row.barShown) {
            PBRANGE range = BarRange(dialog);
            EXPECT_EQ(0, range.iLow);
            EXPECT_EQ(row.high, range.iHigh);
            EXPECT_EQ(0, BarPosition(dialog));
            EXPECT_EQ(1, SendMessageA(bar, PBM_GETSTEP, 0, 0));
        }
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    }
}

TEST_F(ProgressWindowTest, EachStepShowsItsTextAndAdvancesTheBarByOne)
{
    const char *paths[] = {
        "C:\\Games\\Tessary\\lang\\de.lng",
        "C:\\Games\\Tessary\\lang\\fr.lng",
        "C:\\Games\\Tessary\\Readme (deutsch).txt",
    };
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
    HWND dialog = ProgressWindowHandle();
    ASSERT_NE((HWND)NULL, dialog) << "GetLastError " << GetLastError();
    char caller[MAX_PATH];
    for (int k = 0; k < 3; ++k) {
        strcpy(caller, paths[k]);
        ProgressWindow(NULL, PROGRESS_STEP, caller, 0);
        // The window keeps its own copy: the caller's buffer may change at once.
        memset(caller, 'x', sizeof caller - 1);
        EXPECT_EQ(paths[k], StatusText(dialog)) << "step " << k + 1;
        EXPECT_EQ(k + 1, BarPosition(dialog)) << "step " << k + 1;
        EXPECT_EQ(dialog, ProgressWindowHandle()) << "step " << k + 1;
    }
    EXPECT_EQ(BarRange(dialog).iHigh, BarPosition(dialog)) << "full after the last step";
}

TEST_F(ProgressWindowTest, StepDispatchesEveryPendingMessageAfterItsOwnStep)
{
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, 10);
    HWND dialog = ProgressWindowHandle();
    ASSERT_NE((HWND)NULL, dialog) << "GetLastError " << GetLastError();
    HWND other = CreatePopupBar();
    ASSERT_NE((HWND)NULL, other) << "GetLastError " << GetLastError();
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kThreadProbe, 0, 0));
    ASSERT_TRUE(PostMessageA(GetDlgItem(dialog, IDC_PROGRESS_BAR), PBM_SETPOS, 5, 0));
    ASSERT_TRUE(PostMessageA(other, PBM_SETPOS, 7, 0));

    ProgressWindow(NULL, PROGRESS_STEP, "C:\\Games\\Tessary\\lang\\de.lng", 0);

    EXPECT_FALSE(IsQueued(NULL, kThreadProbe)) << "thread message left in the queue";
    EXPECT_FALSE(IsQueued(NULL, PBM_SETPOS)) << "window message left in the queue";
    EXPECT_EQ(5, BarPosition(dialog)) << "the posted position must land after the step";
    EXPECT_EQ(7, SendMessageA(other, PBM_GETPOS, 0, 0)) << "other window's message";
    DestroyWindow(other);
}

TEST_F(ProgressWindowTest, SetTextChangesOnlyTheTextAndLeavesTheQueueAlone)
{
    struct Row {
        const char *name;
        unsigned int command;
    } rows[] = {{"with bar", PROGRESS_OPEN}, {"without bar", PROGRESS_OPEN_NOBAR}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ProgressWindow(NULL, row.command, NULL, 10);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog) << "GetLastError " << GetLastError();
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
        bool barShown = IsWindowVisible(bar) != 0;
        int position = BarPosition(dialog);
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kThreadProbe, 0, 0));
        ASSERT_TRUE(PostMessageA(bar, PBM_SETPOS, 5, 0));

        ProgressWindow(NULL, PROGRESS_SET_TEXT, "Preparing the language files", 0);

        EXPECT_EQ("Preparing the language files", StatusText(dialog));
        EXPECT_EQ(position, BarPosition(dialog));
        EXPECT_EQ(barShown, IsWindowVisible(bar) != 0);
        EXPECT_TRUE(IsQueued(NULL, kThreadProbe)) << "thread message was taken";
        EXPECT_TRUE(IsQueued(bar, PBM_SETPOS)) << "bar message was taken";
        DrainQueue();
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    }
}

TEST_F(ProgressWindowTest, CloseAndDoneDestroyTheWindow)
{
    const unsigned int commands[] = {PROGRESS_CLOSE, PROGRESS_DONE};
    for (unsigned int command : commands) {
        ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog) << "command " << command;
        ProgressWindow(NULL, command, NULL, 0);
        EXPECT_FALSE(IsWindow(dialog)) << "command " << command;
        EXPECT_EQ((HWND)NULL, ProgressWindowHandle()) << "command " << command;
    }
}

TEST_F(ProgressWindowTest, CommandsOnAClosedWindowDoNothingButStepStillPumps)
{
    struct Row {
        const char *name;
        unsigned int command;
        bool pumps;
    } rows[] = {
        {"step", PROGRESS_STEP, true},     {"set text", PROGRESS_SET_TEXT, false},
        {"close", PROGRESS_CLOSE, false},  {"done", PROGRESS_DONE, false},
        {"code 0", 0, false},              {"code 7", 7, false},
        {"code -1", (unsigned int)-1, false},
    };
    int windows = ThreadWindowCount();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kThreadProbe, 0, 0));
        ProgressWindow(NULL, row.command, "C:\\Games\\Tessary\\lang\\de.lng", 5);
        EXPECT_EQ((HWND)NULL, ProgressWindowHandle());
        EXPECT_EQ(windows, ThreadWindowCount());
        EXPECT_EQ(!row.pumps, IsQueued(NULL, kThreadProbe));
        DrainQueue();
    }
}

TEST_F(ProgressWindowTest, UnknownCodesLeaveAnOpenWindowAsItWas)
{
    const unsigned int codes[] = {0, 7, 100, (unsigned int)-1, 0x101, 0x102, 0x103, 0x106};
    for (unsigned int code : codes) {
        ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog) << "code 0x" << std::hex << code;
        ProgressWindow(NULL, PROGRESS_STEP, "before", 0);
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), kThreadProbe, 0, 0));

        ProgressWindow(NULL, code, "after", 9);

        EXPECT_EQ(dialog, ProgressWindowHandle()) << "code 0x" << std::hex << code;
        EXPECT_TRUE(IsWindow(dialog)) << "code 0x" << std::hex << code;
        EXPECT_EQ("before", StatusText(dialog)) << "code 0x" << std::hex << code;
        EXPECT_EQ(1, BarPosition(dialog)) << "code 0x" << std::hex << code;
        EXPECT_EQ(3, BarRange(dialog).iHigh) << "code 0x" << std::hex << code;
        EXPECT_TRUE(IsQueued(NULL, kThreadProbe)) << "code 0x" << std::hex << code;
        DrainQueue();
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    }
}

TEST_F(ProgressWindowTest, SecondOpenReplacesTheWindowStillOpen)
{
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
    HWND first = ProgressWindowHandle();
    ASSERT_NE((HWND)NULL, first);
    ProgressWindow(NULL, PROGRESS_STEP, "C:\\Games\\Tessary\\lang\\de.lng", 0);
    int windows = ThreadWindowCount();

    ProgressWindow(NULL, PROGRESS_OPEN, NULL, 8);

    HWND second = ProgressWindowHandle();
    ASSERT_NE((HWND)NULL, second);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(windows, ThreadWindowCount());
    EXPECT_EQ(8, BarRange(second).iHigh);
    EXPECT_EQ(0, BarPosition(second));
    EXPECT_EQ("Static", StatusText(second));
}

TEST_F(ProgressWindowTest, PointerIsTheArrowOverEveryPartOfTheWindow)
{
    ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
    HWND dialog = ProgressWindowHandle();
    ASSERT_NE((HWND)NULL, dialog);
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    HCURSOR wait = LoadCursorA(NULL, IDC_WAIT);
    ASSERT_NE(arrow, wait);
    // Without the dialog's own answer the frame codes would give sizing pointers.
    struct Row {
        const char *name;
        int hit;
    } rows[] = {
        {"client", HTCLIENT},     {"border", HTBORDER},   {"caption", HTCAPTION},
        {"left edge", HTLEFT},    {"top edge", HTTOP},    {"corner", HTBOTTOMRIGHT},
        {"nowhere", HTNOWHERE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SetCursor(wait);
        LPARAM where = MAKELPARAM(row.hit, WM_MOUSEMOVE);
        SendMessageA(dialog, WM_SETCURSOR, (WPARAM)dialog, where);
        EXPECT_EQ(arrow, GetCursor());
        SetCursor(wait);
        EXPECT_EQ(TRUE, ProgressDlgProc(dialog, WM_SETCURSOR, (WPARAM)dialog, where));
        EXPECT_EQ(arrow, GetCursor());
    }
}

static WNDPROC g_dialogProc;
static std::vector<UINT> g_seen;

// Records what reaches the dialog's window procedure, then hands it on unchanged.
static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        g_seen.push_back(WM_CLOSE);
    if (message == WM_COMMAND)
        g_seen.push_back(0x10000 | LOWORD(wParam));
    return CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

static std::string SeenText()
{
    std::string text;
    for (UINT seen : g_seen) {
        if (seen == WM_CLOSE)
            text += "WM_CLOSE ";
        else if (seen == (0x10000 | IDOK))
            text += "IDOK ";
        else if (seen == (0x10000 | IDCANCEL))
            text += "IDCANCEL ";
        else
            text += "other ";
    }
    return text;
}

TEST_F(ProgressWindowTest, KeysAndCloseRequestsLeaveTheWindowOpen)
{
    struct Row {
        const char *name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool post;
        const char *seen;
    } rows[] = {
        {"Esc", WM_KEYDOWN, VK_ESCAPE, 0x00010001, true, "IDCANCEL "},
        {"Enter", WM_KEYDOWN, VK_RETURN, 0x001C0001, true, "IDOK "},
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 0x203E0001, true, "WM_CLOSE IDCANCEL "},
        {"WM_CLOSE", WM_CLOSE, 0, 0, false, "WM_CLOSE IDCANCEL "},
        {"Cancel command", WM_COMMAND, IDCANCEL, 0, false, "IDCANCEL "},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ProgressWindow(NULL, PROGRESS_OPEN, NULL, 3);
        HWND dialog = ProgressWindowHandle();
        ASSERT_NE((HWND)NULL, dialog);
        g_seen.clear();
        g_dialogProc = (WNDPROC)SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
        ASSERT_NE((WNDPROC)NULL, g_dialogProc) << "GetLastError " << GetLastError();
        if (row.post)
            ASSERT_TRUE(PostMessageA(dialog, row.message, row.wParam, row.lParam));
        else
            SendMessageA(dialog, row.message, row.wParam, row.lParam);

        ProgressWindow(NULL, PROGRESS_STEP, "C:\\Games\\Tessary\\lang\\de.lng", 0);
        ProgressWindow(NULL, PROGRESS_STEP, "C:\\Games\\Tessary\\lang\\fr.lng", 0);

        EXPECT_EQ(row.seen, SeenText());
        EXPECT_EQ(dialog, ProgressWindowHandle());
        ASSERT_TRUE(IsWindow(dialog));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(2, BarPosition(dialog));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, (LONG_PTR)g_dialogProc);
        ProgressWindow(NULL, PROGRESS_CLOSE, NULL, 0);
    }
}
