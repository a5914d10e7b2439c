// Plays LangUpdate.exe without a screen: starts it in its own folder, prints each message
// box it shows, answers every one with OK and ends with the program's exit code.
//
//   player [--capture FOLDER] PROGRAM
//
// --capture is for screenshots taken from outside: before each box is answered the player
// prints "capture boxN LEFT TOP RIGHT BOTTOM" (and "capture progressN ..." while the
// progress window is up behind box N, with the box moved below it), then waits until
// FOLDER\NAME.done exists.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "boxes.h"

enum {
    kBoxWaitMs = 60000,
    kGoneWaitMs = 10000,
    kCaptureWaitMs = 60000,
    kSettleMs = 400,
    kPollMs = 5,
    kPlayerFailed = 2
};

static std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

static void PrintBox(const MessageBoxInfo &box, const ProgressState *progress)
{
    std::string buttons;
    for (const BoxButton &button : box.buttons)
        buttons += (buttons.empty() ? "" : ", ") + button.text;
    printf("Message box \"%s\" (%s icon; %s)\n", box.caption.c_str(), BoxIconName(box.icon),
           buttons.c_str());
    for (const std::string &line : Lines(box.text))
        printf("    %s\n", line.c_str());
    if (progress != NULL)
        printf("  behind it the progress window, bar at %d of %d: %s\n", progress->position,
               progress->high, progress->status.c_str());
    fflush(stdout);
}

static bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks the capturing script for a picture of the window and waits until it has taken it.
static bool Capture(const std::string &folder, const std::string &name, HWND window)
{
    Sleep(kSettleMs);
    RECT place;
    if (!GetWindowRect(window, &place))
        return false;
    printf("capture %s %ld %ld %ld %ld\n", name.c_str(), place.left, place.top, place.right,
           place.bottom);
    fflush(stdout);
    std::string done = folder + "\\" + name + ".done";
    DWORD start = GetTickCount();
    while (!FileExists(done)) {
        if (GetTickCount() - start >= kCaptureWaitMs)
            return false;
        Sleep(50);
    }
    return true;
}

static bool CaptureBox(const std::string &folder, int number, HWND box, HWND progress)
{
    if (progress != NULL) {
        RECT below, size;
        GetWindowRect(progress, &below);
        GetWindowRect(box, &size);
        int left = (below.left + below.right - (size.right - size.left)) / 2;
        SetWindowPos(box, NULL, left, below.bottom + 16, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (!Capture(folder, "progress" + std::to_string(number), progress))
            return false;
    }
    // Without a window manager the first box's caption stays painted as inactive.
    SendMessageA(box, WM_NCACTIVATE, TRUE, 0);
    return Capture(folder, "box" + std::to_string(number), box);
}

int main(int argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    std::string captureFolder;
    int arg = 1;
    if (arg + 1 < argc && strcmp(argv[arg], "--capture") == 0) {
        captureFolder = argv[arg + 1];
        arg += 2;
    }
    if (arg + 1 != argc) {
        fprintf(stderr, "usage: player [--capture FOLDER] PROGRAM\n");
        return kPlayerFailed;
    }
    char program[MAX_PATH];
    char *name = NULL;
    DWORD length = GetFullPathNameA(argv[arg], sizeof program, program, &name);
    if (length == 0 || length >= sizeof program || name == NULL) {
        fprintf(stderr, "player: bad program path %s\n", argv[arg]);
        return kPlayerFailed;
    }
    std::string folder(program, name - program);

    ChildProcess process;
    if (!process.Start(program, "", folder)) {
        fprintf(stderr, "player: cannot start %s (error %lu)\n", program, GetLastError());
        return kPlayerFailed;
    }
    printf("Started %s in %s\n", name, folder.substr(0, folder.size() - 1).c_str());
    fflush(stdout);

    DWORD waitStart = GetTickCount();
    for (int number = 1;; ++number, waitStart = GetTickCount()) {
        HWND window;
        MessageBoxInfo box;
        for (;;) {
            WaitResult wait = WaitForMessageBox(process, kBoxWaitMs, window);
            if (wait == kProcessExited)
                break;
            if (wait == kWaitTimedOut || GetTickCount() - waitStart >= kBoxWaitMs) {
                fprintf(stderr, "player: no box and no exit within %d s; stopping the program\n",
                        kBoxWaitMs / 1000);
                return kPlayerFailed;
            }
            // The progress window can pass for a box while it is destroyed; a box has buttons.
            if (ReadMessageBox(window, box) && !box.buttons.empty())
                break;
            Sleep(kPollMs);
        }
        if (window == NULL)
            break;
        HWND progressWindow = FindProgressWindow(process.id());
        ProgressState progress;
        bool progressUp = progressWindow != NULL && ReadProgressWindow(progressWindow, progress);
        PrintBox(box, progressUp ? &progress : NULL);
        if (!captureFolder.empty() &&
            !CaptureBox(captureFolder, number, window, progressUp ? progressWindow : NULL)) {
            fprintf(stderr, "player: the picture of box %d was not taken\n", number);
            return kPlayerFailed;
        }
        if (!AnswerMessageBox(window, kClickOk) || !WaitForWindowGone(window, kGoneWaitMs)) {
            fprintf(stderr, "player: the box would not close on OK\n");
            return kPlayerFailed;
        }
        printf("  -> OK\n");
        fflush(stdout);
    }
    DWORD exitCode;
    if (!process.WaitForExit(kGoneWaitMs, exitCode)) {
        fprintf(stderr, "player: the program did not end\n");
        return kPlayerFailed;
    }
    printf("%s ended with exit code %lu\n", name, exitCode);
    fflush(stdout);
    return (int)exitCode;
}
