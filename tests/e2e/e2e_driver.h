#pragma once
// Runs the built program (or the script probe) against a language pack, an installed game
// and its registry values made for the case, answers its boxes, and checks the outcome.
#include <windows.h>

#include <string>
#include <vector>

#include "boxes.h"

// A file of a fixture folder, or a folder when the path ends in a backslash. The path is
// relative and may hold placeholders.
struct FileSpec {
    std::string path;
    std::string bytes;
    DWORD attributes = 0; // 0: leave as created
};

// A box as it must appear. Texts may hold placeholders; "{error}" is the system's text for
// the case's systemError.
struct ExpectedBox {
    std::string caption;
    std::string text;
    std::string buttons; // as DescribeButtons writes them: "1:OK 2:Cancel"
    UINT icon = 0;
    // The progress window while the box is up: -1 when it must be closed, otherwise the
    // bar's position; the status line is checked when not empty, the range when high >= 0.
    int progressPosition = -1;
    std::string progressStatus;
    int progressHigh = -1;
    // The source path (second line) must appear shortened: its head and its tail with
    // "..." between them; the other lines as in text.
    bool sourceShortened = false;
};

enum InstallState {
    kInstalled,   // App Paths Path, product version and the executable all in place
    kNoAppPaths,  // no App Paths key for the executable
    kVersionZero, // product version "0"
    kExeMissing,  // no executable in the install folder
};

enum ProgramToRun { kLangUpdate, kScriptProbe };

struct RunCase {
    std::string name;
    std::string script; // setup.isc; empty: no script at all
    std::vector<FileSpec> pack;
    std::vector<FileSpec> game; // besides the executable
    std::vector<BoxAnswer> answers;
    std::vector<ExpectedBox> boxes;
    DWORD exitCode = 0;
    DWORD systemError = 0;
    std::vector<FileSpec> written; // destination files after the run; nothing else changes
    InstallState install = kInstalled;
    std::string installedVersion = "110";
    std::string productName = "Tessary";
    std::string holdOpen; // a game file held open without write sharing during the run
    ProgramToRun program = kLangUpdate;
    std::string arguments;

    explicit RunCase(const std::string &caseName);
    RunCase &Script(const std::string &text);
    // The installed product's [COMMON] and a [FILES] section with these lines.
    RunCase &Files(const std::vector<std::string> &lines);
    RunCase &Pack(const std::vector<FileSpec> &files);
    RunCase &Game(const std::vector<FileSpec> &files);
    RunCase &Answers(const std::vector<BoxAnswer> &given);
    RunCase &Boxes(const std::vector<ExpectedBox> &expected);
    RunCase &Exit(DWORD code);
    RunCase &Error(DWORD code);
    RunCase &Written(const std::vector<FileSpec> &files);
    RunCase &Install(InstallState state);
    RunCase &InstalledVersion(const std::string &version);
    RunCase &Product(const std::string &name);
    RunCase &HoldOpen(const std::string &path);
    RunCase &Probe(const std::string &probeArguments);
};

// Placeholders: {product} {exe} {firm} {pack} {game} {script} {error}; {srcfill:N} and
// {dstfill:N}, a run of 'k' that makes "{pack}\" or "{game}\" plus it N characters long;
// {fill:N}, a run of N 'k'.
std::ostream &operator<<(std::ostream &out, const RunCase &runCase);

// Builds the fixtures, runs the program, answers every box and checks everything with
// GoogleTest assertions; removes the fixtures again.
void RunAndCheck(const RunCase &runCase);

// The system's message text for an error code, as FormatMessageA gives it.
std::string SystemText(DWORD code);

// The fixed texts, written out here so that a change in the program shows.
ExpectedBox ConfirmBox();
ExpectedBox NotInstalledBox();
ExpectedBox SuccessBox();
// The copy-error box for an entry, with the progress window stepped to position of
// entries, showing the destination path (not checked when position is 0).
ExpectedBox CopyErrorBox(const std::string &source, const std::string &destination,
                         int position, int entries);
ExpectedBox FatalScriptBox(const std::string &message, const std::string &key);

// The [COMMON] section of a pack whose product is installed, in placeholders.
extern const char kCommon[];
