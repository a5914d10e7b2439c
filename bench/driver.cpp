// Runs the measured programs in this one Wine session, interleaved, each started the same
// way and watched by the same polling loop, and writes every sample to a TSV file.
// Usage: bench_driver OUT.tsv PACKS_ROOT REPS LANGUPDATE LANGUPDATE_TIMED FLOOR_COPY
//        FLOOR_READS BOX_ONLY WINDOW_STEPS UNTHEMED_PACK PACK...
// UNTHEMED_PACK also gets runs of c and of the window with the desktop theme switched off
// ("-" for none).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "bench_times.h"

static const char kCaption[] = "BenchProduct Language Pack";
static const char kAppPathsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\BenchGame.exe";
static const char kFirmKey[] = "Software\\BenchFirm";
static const char kProductKey[] = "Software\\BenchFirm\\BenchProduct";
static const char kThemeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

enum { kPollMs = 1, kErrorCheckEvery = 64, kRunTimeoutMs = 600000 };

// How each measured program is started and answered.
struct ProgramKind {
    const char *name;
    int exe;          // index into the EXE arguments
    bool installArg;  // gets the install folder as its argument
    bool copies;      // copies the pack, so the destinations are counted and deleted after it
    int boxes;        // boxes it must show, each answered as soon as it is visible
    int answer;       // the button clicked: IDOK, or IDCANCEL to end at the confirmation
    bool unthemed;    // started with the desktop theme switched off
};

enum { kExeLangUpdate, kExeTimed, kExeFloorCopy, kExeFloorReads, kExeBoxOnly, kExeWindow, kExeCount };

enum Program {
    kFloorCopy,
    kFloorReads,
    kLangUpdate,
    kLangUpdateTimed,
    kWindowSteps,
    kBoxOnly,
    kLangUpdateStart,
    kLangUpdateUnthemed,
    kWindowUnthemed,
    kProgramCount
};

static const ProgramKind kPrograms[kProgramCount] = {
    {"a", kExeFloorCopy, true, true, 0, IDOK, false},
    {"b", kExeFloorReads, true, true, 0, IDOK, false},
    {"c", kExeLangUpdate, false, true, 2, IDOK, false},
    {"c_timed", kExeTimed, false, true, 2, IDOK, false},
    {"window", kExeWindow, true, false, 0, IDOK, false},
    {"box", kExeBoxOnly, false, false, 1, IDOK, false},
    {"c_start", kExeLangUpdate, false, false, 1, IDCANCEL, false},
    {"c_unthemed", kExeLangUpdate, false, true, 2, IDOK, true},
    {"window_unthemed", kExeWindow, true, false, 0, IDOK, true},
};

// The programs whose ratios are the targets, and the others, run around them.
static const Program kCore[] = {kFloorCopy, kFloorReads, kLangUpdate};
// Start-up pairs come three times, as they are short.
static const Program kExtras[] = {kLangUpdateTimed, kWindowSteps,     kBoxOnly,
                                  kLangUpdateStart, kBoxOnly,         kLangUpdateStart,
                                  kBoxOnly,         kLangUpdateStart};
static const Program kUnthemedExtras[] = {kLangUpdateUnthemed, kWindowUnthemed};

struct Pack {
    std::string name;
    bool unthemedToo = false;
    std::string packDir;
    std::string gameDir;
    std::vector<std::string> destinations;
};

struct Sample {
    bool ok = false;
    DWORD exitCode = 0;
    LONGLONG startAt = 0;
    LONGLONG exitAt = 0;
    LONGLONG boxAt[2] = {0, 0};
    int boxes = 0;
    int polls = 0;
    BenchTimes times;
};

static LONGLONG g_frequency;
static BenchTimes *g_shared;
static std::string g_exes[kExeCount];
static std::string g_themeActive; // the prefix's own setting, put back at the end
static bool g_themeSettingFound;

static double Ms(LONGLONG ticks)
{
    return ticks * 1000.0 / (double)g_frequency;
}

static bool ReadWholeFile(const std::string &path, std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, NULL);
    bytes.resize(size);
    DWORD got = 0;
    BOOL read = size == 0 || ReadFile(file, &bytes[0], size, &got, NULL);
    CloseHandle(file);
    return read && got == size;
}

static bool LoadPack(const std::string &root, const std::string &name, Pack &pack)
{
    pack.name = name;
    pack.packDir = root + "\\" + name + "\\pack";
    pack.gameDir = root + "\\" + name + "\\game";
    std::string list;
    if (!ReadWholeFile(pack.packDir + "\\copies.lst", list))
        return false;
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find("\r\n", at);
        if (end == std::string::npos)
            end = list.size();
        size_t tab = list.find('\t', at);
        if (tab != std::string::npos && tab < end)
            pack.destinations.push_back(pack.gameDir + "\\" + list.substr(tab + 1, end - tab - 1));
        at = end + 2;
    }
    return !pack.destinations.empty();
}

static bool SetMachineString(const char *keyPath, const char *name, const std::string &value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value.c_str(),
                                 (DWORD)value.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static void RemoveMachineKeys()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kFirmKey);
}

static bool SetThemeActive(const std::string &value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(key, "ThemeActive", 0, REG_SZ, (const BYTE *)value.c_str(),
                                 (DWORD)value.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

static void ReadThemeActive()
{
    HKEY key;
    g_themeSettingFound = false;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    char value[16];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, "ThemeActive", NULL, &type, (BYTE *)value, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        value[size] = '\0';
        g_themeActive = value;
        g_themeSettingFound = true;
    }
    RegCloseKey(key);
}

static void RestoreThemeActive()
{
    if (g_themeSettingFound) {
        SetThemeActive(g_themeActive);
        return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "ThemeActive");
        RegCloseKey(key);
    }
}

// Deletes the copies of the last run; the number deleted tells whether every entry arrived.
static size_t ClearDestinations(const Pack &pack)
{
    size_t deleted = 0;
    for (const std::string &path : pack.destinations) {
        if (DeleteFileA(path.c_str()))
            ++deleted;
    }
    return deleted;
}

static void KillProcess(HANDLE process)
{
    TerminateProcess(process, 0xDEAD);
    WaitForSingleObject(process, 10000);
}

// Starts the program in the pack folder, answers each box that carries the run's caption
// with OK as soon as it is visible, and waits for the end.
static Sample RunOne(Program program, const Pack &pack)
{
    Sample sample;
    ZeroMemory(g_shared, sizeof *g_shared);
    const ProgramKind &kind = kPrograms[program];
    const std::string &exe = g_exes[kind.exe];
    std::string commandLine = "\"" + exe + "\"";
    if (kind.installArg)
        commandLine += " \"" + pack.gameDir + "\"";
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    sample.startAt = Now();
    if (!CreateProcessA(exe.c_str(), writable.data(), NULL, NULL, FALSE, 0, NULL,
                        pack.packDir.c_str(), &startup, &started)) {
        fprintf(stderr, "cannot start %s: error %lu\n", exe.c_str(), GetLastError());
        return sample;
    }
    CloseHandle(started.hThread);
    HWND answered = NULL;
    bool failed = false;
    for (;;) {
        if (WaitForSingleObject(started.hProcess, kPollMs) == WAIT_OBJECT_0) {
            sample.exitAt = Now();
            break;
        }
        ++sample.polls;
        HWND box = FindWindowA("#32770", kCaption);
        if (box != NULL && box != answered && IsWindowVisible(box)) {
            LONGLONG seenAt = Now();
            if (sample.boxes < 2)
                sample.boxAt[sample.boxes] = seenAt;
            ++sample.boxes;
            HWND button = GetDlgItem(box, kind.answer);
            PostMessageA(button != NULL ? button : box, BM_CLICK, 0, 0);
            answered = box;
        }
        if (sample.polls % kErrorCheckEvery == 0 && FindWindowA("#32770", "Error") != NULL) {
            fprintf(stderr, "%s on %s shows an error box\n", kind.name,
                    pack.name.c_str());
            failed = true;
        }
        if (Ms(Now() - sample.startAt) > kRunTimeoutMs) {
            fprintf(stderr, "%s on %s did not end in time\n", kind.name,
                    pack.name.c_str());
            failed = true;
        }
        if (failed) {
            KillProcess(started.hProcess);
            sample.exitAt = Now();
            break;
        }
    }
    GetExitCodeProcess(started.hProcess, &sample.exitCode);
    CloseHandle(started.hProcess);
    sample.times = *g_shared;
    sample.ok = !failed && sample.exitCode == 0 && sample.boxes == kind.boxes;
    if (!sample.ok)
        fprintf(stderr, "%s on %s: exit code %lu, %d boxes answered\n", kind.name,
                pack.name.c_str(), sample.exitCode, sample.boxes);
    return sample;
}

static bool RunChecked(Program program, const Pack &pack, Sample &sample)
{
    const ProgramKind &kind = kPrograms[program];
    bool langUpdate = kind.exe == kExeLangUpdate || kind.exe == kExeTimed;
    if (langUpdate && !SetMachineString(kAppPathsKey, "Path", pack.gameDir)) {
        fprintf(stderr, "cannot write the App Paths key\n");
        return false;
    }
    // Read by each new process as it starts; the setting goes back once the run has ended.
    if (kind.unthemed && !SetThemeActive("0")) {
        fprintf(stderr, "cannot switch the theme off\n");
        return false;
    }
    sample = RunOne(program, pack);
    if (kind.unthemed)
        RestoreThemeActive();
    if (!sample.ok)
        return false;
    if (kind.copies) {
        size_t deleted = ClearDestinations(pack);
        if (deleted != pack.destinations.size()) {
            fprintf(stderr, "%s on %s copied %u of %u files\n", kind.name,
                    pack.name.c_str(), (unsigned)deleted, (unsigned)pack.destinations.size());
            return false;
        }
    }
    return true;
}

static void WriteSample(FILE *out, const Pack &pack, Program program, int rep, int slot,
                        const Sample &s)
{
    const char *name = kPrograms[program].name;
    const BenchTimes &t = s.times;
    double box1 = s.boxes > 0 ? Ms(s.boxAt[0] - s.startAt) : 0;
    double box2 = s.boxes > 1 ? Ms(s.boxAt[1] - s.boxAt[0]) : 0;
    double afterBoxes = s.boxes > 1 ? Ms(s.exitAt - s.boxAt[1])
                        : s.boxes > 0 ? Ms(s.exitAt - s.boxAt[0]) : 0;
    double toMain = t.mainAt != 0 ? Ms(t.mainAt - s.startAt) : 0;
    double afterDone = t.doneAt != 0 ? Ms(s.exitAt - t.doneAt) : 0;
    fprintf(out,
            "%s\t%s\t%d\t%d\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f"
            "\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%ld\t%ld\t%d\n",
            pack.name.c_str(), name, rep, slot, Ms(s.exitAt - s.startAt), box1,
            box2, afterBoxes, toMain, afterDone, Ms(t.listTicks), Ms(t.readTicks),
            Ms(t.readFirstTicks), Ms(t.readLastTicks), Ms(t.joinTicks), Ms(t.copyTicks),
            Ms(t.attributeTicks), Ms(t.windowOpenTicks), Ms(t.windowStepTicks),
            Ms(t.windowTextTicks), Ms(t.windowBarTicks), Ms(t.windowPumpTicks),
            Ms(t.windowCloseTicks), Ms(t.setupTicks), Ms(t.countTicks), Ms(t.walkTicks),
            (long)t.entries, (long)t.keyListFetches, s.polls);
    fflush(out);
}

// The runs beside the core ones on a pack, turned by the repetition.
static std::vector<Program> ExtrasFor(const Pack &pack, int rep)
{
    std::vector<Program> all(kExtras, kExtras + sizeof kExtras / sizeof kExtras[0]);
    if (pack.unthemedToo)
        all.insert(all.end(), kUnthemedExtras,
                   kUnthemedExtras + sizeof kUnthemedExtras / sizeof kUnthemedExtras[0]);
    std::vector<Program> turned;
    for (size_t i = 0; i < all.size(); ++i)
        turned.push_back(all[(i + rep) % all.size()]);
    return turned;
}

// What the measuring itself costs: one counter read, one wait of the polling loop, one
// FindWindowA that finds nothing.
static void WriteMeasuringCosts(FILE *out)
{
    const int calls = 100000;
    LONGLONG start = Now();
    for (int i = 0; i < calls; ++i)
        Now();
    fprintf(out, "#meta\tqpc_call_us\t%.4f\n", Ms(Now() - start) * 1000.0 / calls);
    HANDLE never = CreateEventA(NULL, TRUE, FALSE, NULL);
    const int waits = 200;
    start = Now();
    for (int i = 0; i < waits; ++i)
        WaitForSingleObject(never, kPollMs);
    fprintf(out, "#meta\tpoll_wait_ms\t%.4f\n", Ms(Now() - start) / waits);
    CloseHandle(never);
    const int finds = 2000;
    start = Now();
    for (int i = 0; i < finds; ++i)
        FindWindowA("#32770", kCaption);
    fprintf(out, "#meta\tfind_window_us\t%.3f\n", Ms(Now() - start) * 1000.0 / finds);
    fprintf(out, "#meta\tqpc_frequency\t%lld\n", (long long)g_frequency);
}

int main(int argc, char **argv)
{
    if (argc < 12) {
        fprintf(stderr, "usage: bench_driver OUT.tsv PACKS_ROOT REPS LANGUPDATE LANGUPDATE_TIMED "
                        "FLOOR_COPY FLOOR_READS BOX_ONLY WINDOW_STEPS UNTHEMED_PACK PACK...\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = frequency.QuadPart;
    const char *outPath = argv[1];
    std::string root = argv[2];
    int reps = atoi(argv[3]);
    for (int e = 0; e < kExeCount; ++e)
        g_exes[e] = argv[4 + e];
    std::string unthemedPack = argv[4 + kExeCount];
    std::vector<Pack> packs;
    for (int i = 5 + kExeCount; i < argc; ++i) {
        Pack pack;
        if (!LoadPack(root, argv[i], pack)) {
            fprintf(stderr, "cannot read the pack %s under %s\n", argv[i], root.c_str());
            return 2;
        }
        pack.unthemedToo = pack.name == unthemedPack;
        packs.push_back(pack);
    }

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                        sizeof(BenchTimes), BENCH_TIMES_NAME);
    if (mapping == NULL)
        return 2;
    g_shared = (BenchTimes *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(BenchTimes));
    if (g_shared == NULL)
        return 2;
    FILE *out = fopen(outPath, "w");
    if (out == NULL) {
        fprintf(stderr, "cannot write %s\n", outPath);
        return 2;
    }
    RemoveMachineKeys();
    ReadThemeActive();
    fprintf(out, "#meta\ttheme_active\t%s\n",
            g_themeSettingFound ? g_themeActive.c_str() : "(not set)");
    if (!SetMachineString(kProductKey, "version", "110")) {
        fprintf(stderr, "cannot write the product key\n");
        return 2;
    }
    WriteMeasuringCosts(out);
    fprintf(out, "pack\tprogram\trep\tslot\ttotal\tto_box1\tbox1_to_box2\tafter_boxes\tto_main"
                 "\tafter_done\tlist\treads\treads_first\treads_last\tjoin\tcopy\tattributes"
                 "\twindow_open\twindow_steps\twindow_text\twindow_bar\twindow_pump\twindow_close"
                 "\tsetup\tcount\twalk\tentries\tkey_list_fetches\tpolls\n");

    int status = 0;
    LONGLONG benchStart = Now();
    // Warm-up, not recorded: every program once on the first pack, the floor on the others
    // (the files into the page cache, the folders made known).
    for (size_t k = 0; k < packs.size() && status == 0; ++k) {
        const Pack &pack = packs[k];
        ClearDestinations(pack);
        printf("warm-up %s\n", pack.name.c_str());
        fflush(stdout);
        for (int p = 0; p < kProgramCount && status == 0; ++p) {
            if (k > 0 && p != kFloorCopy)
                continue;
            Sample sample;
            if ((pack.unthemedToo || !kPrograms[p].unthemed) &&
                !RunChecked((Program)p, pack, sample))
                status = 1;
        }
    }
    // Each repetition runs every program on every pack. The last two packs make the growth
    // pair: a, b and c on the one, then c, b and a on the other, so that c's two runs lie
    // side by side and each ratio's runs straddle the same moment. Orders turn with the
    // repetition, so that slow spells of the shared machine fall on all programs alike.
    for (int rep = 0; rep < reps && status == 0; ++rep) {
        std::vector<std::pair<size_t, Program>> runs;
        std::vector<Program> core;
        for (size_t i = 0; i < sizeof kCore / sizeof kCore[0]; ++i)
            core.push_back(kCore[(i + rep) % (sizeof kCore / sizeof kCore[0])]);
        size_t pairFirst = packs.size() >= 2 ? packs.size() - 2 : packs.size();
        std::vector<std::pair<size_t, Program>> single;
        for (size_t k = 0; k < pairFirst; ++k) {
            std::vector<Program> extras = ExtrasFor(packs[k], rep);
            for (Program program : extras)
                single.push_back({k, program});
            for (Program program : core)
                single.push_back({k, program});
        }
        std::vector<std::pair<size_t, Program>> pair;
        if (pairFirst < packs.size()) {
            size_t x = pairFirst + rep % 2;
            size_t y = pairFirst + 1 - rep % 2;
            for (Program program : ExtrasFor(packs[x], rep))
                pair.push_back({x, program});
            for (Program program : core)
                pair.push_back({x, program});
            for (size_t i = core.size(); i-- > 0;)
                pair.push_back({y, core[i]});
            for (Program program : ExtrasFor(packs[y], rep))
                pair.push_back({y, program});
        }
        if (rep % 2 == 0) {
            runs = single;
            runs.insert(runs.end(), pair.begin(), pair.end());
        } else {
            runs = pair;
            runs.insert(runs.end(), single.begin(), single.end());
        }
        for (size_t slot = 0; slot < runs.size() && status == 0; ++slot) {
            const Pack &pack = packs[runs[slot].first];
            Sample sample;
            if (!RunChecked(runs[slot].second, pack, sample)) {
                status = 1;
                break;
            }
            WriteSample(out, pack, runs[slot].second, rep, (int)slot, sample);
        }
        printf("rep %d of %d done at %.0f s\n", rep + 1, reps, Ms(Now() - benchStart) / 1000);
        fflush(stdout);
    }
    fprintf(out, "#meta\tdriver_seconds\t%.1f\n", Ms(Now() - benchStart) / 1000);
    fclose(out);
    for (const Pack &pack : packs)
        ClearDestinations(pack);
    RemoveMachineKeys();
    RestoreThemeActive();
    UnmapViewOfFile(g_shared);
    CloseHandle(mapping);
    return status;
}
