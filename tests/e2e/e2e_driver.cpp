#include "e2e_driver.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "fixtures.h"

enum { kWaitMs = 20000, kMostBoxes = 8 };

const char kCommon[] = "[COMMON]\r\n"
                       "ProductName={product}\r\n"
                       "Version=120\r\n"
                       "ProgramExe={exe}\r\n"
                       "FirmName={firm}\r\n";

static const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

static ExpectedBox Box(const std::string &caption, const std::string &text,
                       const char *buttons, UINT icon)
{
    ExpectedBox box;
    box.caption = caption;
    box.text = text;
    box.buttons = buttons;
    box.icon = icon;
    return box;
}

ExpectedBox ConfirmBox()
{
    return Box("{product} Language Pack",
            "This program will update languages in Tessary. Press the OK button to continue.",
            "1:OK 2:Cancel", MB_ICONQUESTION);
}

ExpectedBox NotInstalledBox()
{
    return Box("{product} Language Pack",
            "Updating has not been successful. Tessary not found. The game is not correctly "
            "installed on your computer. Download Tessary from "
            "https://www.tessary.example/download and install it. Then restart this program.",
            "1:OK", MB_ICONERROR);
}

ExpectedBox SuccessBox()
{
    return Box("{product} Language Pack",
            "Updating has been successful. Now start Tessary via Tessary Options in the Start "
            "menu and choose your language.",
            "1:OK", MB_ICONINFORMATION);
}

ExpectedBox CopyErrorBox(const std::string &source, const std::string &destination,
                         int position, int entries)
{
    ExpectedBox box = Box("Error",
                          "Setup could not copy from the file:\n" + source +
                              "\nto the file:\n'" + destination + "'.\n{error}",
                          "1:OK", MB_ICONERROR);
    box.progressPosition = position;
    box.progressStatus = position > 0 ? destination : "";
    box.progressHigh = entries;
    return box;
}

ExpectedBox FatalScriptBox(const std::string &message, const std::string &key)
{
    return Box(message, "{script}\r\n[COMMON]\r\n" + key, "1:OK", MB_ICONERROR);
}

std::string SystemText(DWORD code)
{
    char *text = NULL;
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, NULL, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, NULL);
    std::string result = text != NULL ? text : "";
    LocalFree(text);
    return result;
}

RunCase::RunCase(const std::string &caseName) : name(caseName), script(kCommon) {}

RunCase &RunCase::Script(const std::string &text)
{
    script = text;
    return *this;
}

RunCase &RunCase::Files(const std::vector<std::string> &lines)
{
    script = std::string(kCommon) + "[FILES]\r\n";
    for (const std::string &line : lines)
        script += line + "\r\n";
    return *this;
}

RunCase &RunCase::Pack(const std::vector<FileSpec> &files)
{
    pack = files;
    return *this;
}

RunCase &RunCase::Game(const std::vector<FileSpec> &files)
{
    game = files;
    return *this;
}

RunCase &RunCase::Answers(const std::vector<BoxAnswer> &given)
{
    answers = given;
    return *this;
}

RunCase &RunCase::Boxes(const std::vector<ExpectedBox> &expected)
{
    boxes = expected;
    return *this;
}

RunCase &RunCase::Exit(DWORD code)
{
    exitCode = code;
    return *this;
}

RunCase &RunCase::Error(DWORD code)
{
    systemError = code;
    return *this;
}

RunCase &RunCase::Written(const std::vector<FileSpec> &files)
{
    written = files;
    return *this;
}

RunCase &RunCase::Install(InstallState state)
{
    install = state;
    return *this;
}

RunCase &RunCase::InstalledVersion(const std::string &version)
{
    installedVersion = version;
    return *this;
}

RunCase &RunCase::Product(const std::string &productNameText)
{
    productName = productNameText;
    return *this;
}

RunCase &RunCase::HoldOpen(const std::string &path)
{
    holdOpen = path;
    return *this;
}

RunCase &RunCase::Probe(const std::string &probeArguments)
{
    program = kScriptProbe;
    arguments = probeArguments;
    return *this;
}

std::ostream &operator<<(std::ostream &out, const RunCase &runCase)
{
    return out << runCase.name;
}

static std::string WindowsPath(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The names and folders of one case; expands placeholders.
struct Names {
    std::map<std::string, std::string> values;
    std::string pack;
    std::string game;

    std::string Expand(const std::string &text) const
    {
        std::string out;
        size_t at = 0;
        while (at < text.size()) {
            size_t open = text.find('{', at);
            size_t close = open == std::string::npos ? open : text.find('}', open);
            if (close == std::string::npos) {
                out += text.substr(at);
                break;
            }
            out += text.substr(at, open - at);
            out += Value(text.substr(open + 1, close - open - 1));
            at = close + 1;
        }
        return out;
    }

    std::string Value(const std::string &name) const
    {
        auto found = values.find(name);
        if (found != values.end())
            return found->second;
        size_t colon = name.find(':');
        if (colon != std::string::npos) {
            std::string kind = name.substr(0, colon);
            long length = atol(name.c_str() + colon + 1);
            if (kind == "srcfill")
                length -= (long)pack.size() + 1;
            else if (kind == "dstfill")
                length -= (long)game.size() + 1;
            else if (kind != "fill")
                length = 0;
            if (length > 0)
                return std::string((size_t)length, 'k');
        }
        ADD_FAILURE() << "unknown or impossible placeholder {" << name << "}";
        return "{" + name + "}";
    }
};

struct TreeEntry {
    bool folder;
    DWORD attributes;
    std::string bytes;
};
typedef std::map<std::string, TreeEntry> Tree;

static void AddToTree(const std::string &root, const std::string &relative, Tree &tree)
{
    WIN32_FIND_DATAA found;
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        tree[path] = {isFolder, found.dwFileAttributes,
                      isFolder ? std::string() : ReadFileBytes(root + "\\" + path)};
        if (isFolder)
            AddToTree(root, path, tree);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static Tree Snapshot(const std::string &root)
{
    Tree tree;
    AddToTree(root, "", tree);
    return tree;
}

static std::string DescribeEntry(const TreeEntry &entry)
{
    char attributes[16];
    snprintf(attributes, sizeof attributes, "0x%lX", entry.attributes);
    if (entry.folder)
        return std::string("folder, attributes ") + attributes;
    return "\"" + EscapeLineBreaks(entry.bytes.substr(0, 60)) + "\" (" +
           std::to_string(entry.bytes.size()) + " bytes), attributes " + attributes;
}

const DWORD kForbiddenBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM;

// Every difference between the expected and the actual tree; for written files the
// attributes only need to lack the read-only, hidden and system bits.
static void ExpectTree(const char *what, const Tree &expected, const Tree &actual,
                       const std::set<std::string> &written)
{
    for (const auto &entry : expected) {
        auto found = actual.find(entry.first);
        if (found == actual.end()) {
            ADD_FAILURE() << what << ": missing " << entry.first << ", expected "
                          << DescribeEntry(entry.second);
            continue;
        }
        const TreeEntry &got = found->second;
        bool same = got.folder == entry.second.folder && got.bytes == entry.second.bytes;
        if (written.count(entry.first))
            same = same && (got.attributes & kForbiddenBits) == 0;
        else
            same = same && got.attributes == entry.second.attributes;
        EXPECT_TRUE(same) << what << ": " << entry.first << "\n  got      "
                          << DescribeEntry(got) << "\n  expected "
                          << DescribeEntry(entry.second)
                          << (written.count(entry.first) ? " without read-only, hidden, system"
                                                         : "");
    }
    for (const auto &entry : actual) {
        if (!expected.count(entry.first))
            ADD_FAILURE() << what << ": unexpected " << entry.first << ", "
                          << DescribeEntry(entry.second);
    }
}

static bool ReadMachineValue(const std::string &keyPath, const char *name, std::string &value)
{
    value.clear();
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, NULL, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    data[size] = '\0';
    value = data;
    return true;
}

struct SeenBox {
    MessageBoxInfo box;
    bool progressOpen = false;
    ProgressState progress;
    BoxAnswer answer = kCloseBox;
};

struct RunResult {
    std::vector<SeenBox> boxes;
    bool exited = false;
    DWORD exitCode = 0;
    std::string problem;
};

static std::string DescribeRun(const RunResult &run)
{
    std::string out = "boxes seen: " + std::to_string(run.boxes.size());
    for (size_t i = 0; i < run.boxes.size(); ++i) {
        const SeenBox &seen = run.boxes[i];
        out += "\n  #" + std::to_string(i) + " " + DescribeBox(seen.box);
        if (seen.progressOpen)
            out += "\n     progress window: \"" + seen.progress.status + "\" bar " +
                   std::to_string(seen.progress.position) + " of " +
                   std::to_string(seen.progress.low) + ".." +
                   std::to_string(seen.progress.high);
        out += "\n     answered: " + std::string(BoxAnswerName(seen.answer));
    }
    if (run.exited)
        out += "\n  exit code " + std::to_string(run.exitCode);
    if (!run.problem.empty())
        out += "\n  problem: " + run.problem;
    return out;
}

// Reads and answers every box until the process ends; a box past the answers is closed.
static RunResult AnswerEveryBox(ChildProcess &process, const std::vector<BoxAnswer> &answers)
{
    RunResult run;
    for (;;) {
        HWND window = NULL;
        WaitResult wait = WaitForMessageBox(process, kWaitMs, window);
        if (wait == kProcessExited)
            break;
        if (wait == kWaitTimedOut) {
            run.problem = "no box and no exit within 20 s";
            break;
        }
        SeenBox seen;
        ReadMessageBox(window, seen.box);
        HWND progress = FindProgressWindow(process.id());
        seen.progressOpen = progress != NULL && ReadProgressWindow(progress, seen.progress);
        size_t index = run.boxes.size();
        seen.answer = index < answers.size() ? answers[index] : kCloseBox;
        run.boxes.push_back(seen);
        if (!AnswerMessageBox(window, seen.answer)) {
            run.problem = std::string("could not ") + BoxAnswerName(seen.answer);
            AnswerMessageBox(window, kCloseBox);
        }
        if (!WaitForWindowGone(window, kWaitMs)) {
            run.problem = "box still up 20 s after it was answered";
            break;
        }
        if (run.boxes.size() >= kMostBoxes) {
            run.problem = "too many boxes";
            break;
        }
    }
    run.exited = process.WaitForExit(run.problem.empty() ? kWaitMs : 1000, run.exitCode);
    if (!run.exited && run.problem.empty())
        run.problem = "the program did not end within 20 s and was killed";
    return run;
}

static std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    lines.push_back(text.substr(at));
    return lines;
}

// The second line keeps the full path's first and last 100 characters, with "..." between
// them, and is shorter than the path; every other line is as expected.
static void ExpectShortenedSource(size_t index, const std::string &full, const std::string &seen)
{
    std::vector<std::string> expectedLines = Lines(full);
    std::vector<std::string> seenLines = Lines(seen);
    ASSERT_EQ(expectedLines.size(), seenLines.size()) << "box #" << index << " text lines";
    for (size_t i = 0; i < seenLines.size(); ++i) {
        if (i != 1) {
            EXPECT_EQ(EscapeLineBreaks(expectedLines[i]), EscapeLineBreaks(seenLines[i]))
                << "box #" << index << " text line " << i + 1;
            continue;
        }
        const std::string &path = expectedLines[i];
        const std::string &shown = seenLines[i];
        EXPECT_LT(shown.size(), path.size()) << "box #" << index << " source path not shortened";
        EXPECT_EQ(path.substr(0, 100), shown.substr(0, 100)) << "box #" << index << " head";
        EXPECT_EQ(path.substr(path.size() - 100), shown.substr(shown.size() - 100))
            << "box #" << index << " tail";
        size_t gap = shown.find("...", 100);
        EXPECT_TRUE(gap != std::string::npos && gap + 3 + 100 <= shown.size())
            << "box #" << index << ": no \"...\" between head and tail: " << shown;
    }
}

static void ExpectBox(size_t index, const SeenBox &seen, const ExpectedBox &expected,
                      const Names &names)
{
    EXPECT_EQ(names.Expand(expected.caption), seen.box.caption) << "box #" << index << " caption";
    if (expected.sourceShortened)
        ExpectShortenedSource(index, names.Expand(expected.text), seen.box.text);
    else
        EXPECT_EQ(EscapeLineBreaks(names.Expand(expected.text)), EscapeLineBreaks(seen.box.text))
            << "box #" << index << " text";
    EXPECT_EQ(expected.buttons, DescribeButtons(seen.box.buttons)) << "box #" << index
                                                                   << " buttons";
    EXPECT_STREQ(BoxIconName(expected.icon), BoxIconName(seen.box.icon)) << "box #" << index
                                                                         << " icon";
    if (expected.progressPosition < 0) {
        EXPECT_FALSE(seen.progressOpen) << "box #" << index << ": progress window still open";
        return;
    }
    ASSERT_TRUE(seen.progressOpen) << "box #" << index << ": no progress window";
    EXPECT_EQ(0, seen.progress.style & (WS_CAPTION | WS_SYSMENU))
        << "box #" << index << ": progress window has a title bar, style 0x" << std::hex
        << seen.progress.style;
    EXPECT_EQ(expected.progressPosition, seen.progress.position)
        << "box #" << index << " progress position";
    if (!expected.progressStatus.empty()) {
        EXPECT_EQ(names.Expand(expected.progressStatus), seen.progress.status)
            << "box #" << index << " progress status";
    }
    if (expected.progressHigh >= 0) {
        EXPECT_EQ(0, seen.progress.low) << "box #" << index << " progress range";
        EXPECT_EQ(expected.progressHigh, seen.progress.high) << "box #" << index
                                                             << " progress range";
    }
}

static void WriteFixtureFile(const std::string &root, const FileSpec &file, const Names &names)
{
    std::string path = root + "\\" + names.Expand(file.path);
    if (path.back() == '\\') {
        ASSERT_TRUE(MakeDirs(path.substr(0, path.size() - 1))) << path << " error "
                                                               << GetLastError();
        return;
    }
    size_t slash = path.rfind('\\');
    ASSERT_TRUE(MakeDirs(path.substr(0, slash))) << path << " error " << GetLastError();
    ASSERT_TRUE(WriteFileBytes(path, file.bytes)) << path << " error " << GetLastError();
    if (file.attributes != 0) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), file.attributes))
            << path << " error " << GetLastError();
    }
}

static void RunInFixtures(const RunCase &runCase, std::string &packPath, std::string &gamePath,
                          std::vector<std::string> &keys)
{
    TempDir pack("pack");
    TempDir game("game");
    packPath = pack.path();
    gamePath = game.path();
    Names names;
    names.pack = pack.path();
    names.game = game.path();
    std::string exe = UniqueName("Game") + ".exe";
    std::string firm = UniqueName("Firm");
    names.values = {{"product", runCase.productName},
                    {"exe", exe},
                    {"firm", firm},
                    {"pack", pack.path()},
                    {"game", game.path()},
                    {"script", pack / "setup.isc"},
                    {"error", SystemText(runCase.systemError)}};

    std::string appPathsKey = kAppPaths + exe;
    std::string firmKeyPath = "Software\\" + firm;
    std::string productKeyPath = firmKeyPath + "\\" + runCase.productName;
    keys = {appPathsKey, firmKeyPath};
    std::string installedVersion =
        runCase.install == kVersionZero ? "0" : runCase.installedVersion;
    MachineKey firmKey(firmKeyPath);
    MachineKey productKey(productKeyPath);
    ASSERT_TRUE(productKey.SetString("version", installedVersion)) << productKeyPath;
    std::unique_ptr<MachineKey> appPaths;
    if (runCase.install != kNoAppPaths) {
        appPaths.reset(new MachineKey(appPathsKey));
        ASSERT_TRUE(appPaths->SetString("Path", game.path())) << appPathsKey;
    }

    if (!runCase.script.empty()) {
        ASSERT_TRUE(WriteFileBytes(pack / "setup.isc", names.Expand(runCase.script)));
    }
    for (const FileSpec &file : runCase.pack)
        WriteFixtureFile(pack.path(), file, names);
    if (runCase.install != kExeMissing) {
        ASSERT_TRUE(WriteFileBytes(game / exe, "MZ game"));
    }
    for (const FileSpec &file : runCase.game)
        WriteFixtureFile(game.path(), file, names);
    if (::testing::Test::HasFatalFailure())
        return;

    Tree packBefore = Snapshot(pack.path());
    Tree gameExpected = Snapshot(game.path());
    std::set<std::string> written;
    for (const FileSpec &file : runCase.written) {
        std::string path = names.Expand(file.path);
        gameExpected[path] = {false, 0, file.bytes};
        written.insert(path);
    }

    HANDLE held = INVALID_HANDLE_VALUE;
    if (!runCase.holdOpen.empty()) {
        std::string path = game / names.Expand(runCase.holdOpen);
        held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held) << path << " error " << GetLastError();
    }

    std::string program = WindowsPath(runCase.program == kLangUpdate ? LANGUPDATE_EXE
                                                                     : SCRIPT_PROBE_EXE);
    ChildProcess process;
    bool started = process.Start(program, names.Expand(runCase.arguments), pack.path());
    DWORD startError = GetLastError();
    RunResult run;
    if (started)
        run = AnswerEveryBox(process, runCase.answers);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    ASSERT_TRUE(started) << program << " did not start, error " << startError;

    SCOPED_TRACE(DescribeRun(run));
    EXPECT_EQ("", run.problem);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(runCase.exitCode, run.exitCode) << "exit code";
    EXPECT_EQ(runCase.boxes.size(), run.boxes.size()) << "number of boxes";
    for (size_t i = 0; i < run.boxes.size() && i < runCase.boxes.size(); ++i)
        ExpectBox(i, run.boxes[i], runCase.boxes[i], names);

    ExpectTree("install folder", gameExpected, Snapshot(game.path()), written);
    ExpectTree("pack folder", packBefore, Snapshot(pack.path()), std::set<std::string>());

    std::string value;
    if (runCase.install != kNoAppPaths) {
        EXPECT_TRUE(ReadMachineValue(appPathsKey, "Path", value)) << appPathsKey;
        EXPECT_EQ(game.path(), value) << appPathsKey << " Path";
    } else {
        EXPECT_FALSE(MachineKeyExists(appPathsKey)) << appPathsKey;
    }
    EXPECT_TRUE(ReadMachineValue(productKeyPath, "version", value)) << productKeyPath;
    EXPECT_EQ(installedVersion, value) << productKeyPath << " version";
}

void RunAndCheck(const RunCase &runCase)
{
    std::string pack, game;
    std::vector<std::string> keys;
    RunInFixtures(runCase, pack, game, keys);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(pack.c_str())) << pack << " left";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(game.c_str())) << game << " left";
    for (const std::string &key : keys)
        EXPECT_FALSE(MachineKeyExists(key)) << "HKLM\\" << key << " left";
}
