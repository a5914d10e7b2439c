#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "fixtures.h"
#include "setup/script.h"

typedef std::vector<std::pair<std::string, std::string>> Entries;

static Entries g_visits;
static std::vector<int> g_answers;

static int RecordEntry(const char *key, const char *value)
{
    g_visits.emplace_back(key, value);
    return 1;
}

// Answers with g_answers in visit order, 1 once it runs out.
static int AnswerEntry(const char *key, const char *value)
{
    size_t index = g_visits.size();
    g_visits.emplace_back(key, value);
    return index < g_answers.size() ? g_answers[index] : 1;
}

static std::string ScriptText(const char *const *lines, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += std::string(lines[i]) + "\r\n";
    return text;
}

static std::string WriteScript(const TempDir &dir, const std::string &text)
{
    std::string path = dir / "setup.isc";
    EXPECT_TRUE(WriteFileBytes(path, text)) << path << " error " << GetLastError();
    return path;
}

TEST(ReadScriptString, ReadsPresentValuesAndEmptiesBufferWhenMissing)
{
    TempDir dir("rss");
    const char *lines[] = {
        "[COMMON]",
        "ProductName=Tessary",
        "Empty=",
        "Six=abcdef",
        "Five=abcde",
        "Path=C:\\Games\\Tessary\\",
        "[OTHER]",
        "Only=here",
    };
    std::string script = WriteScript(dir, ScriptText(lines, sizeof lines / sizeof lines[0]));

    struct Row {
        const char *section;
        const char *key;
        int capacity;
        int expectedResult;
        const char *expected;
    } rows[] = {
        {"COMMON", "ProductName", 64, 1, "Tessary"},
        {"common", "PRODUCTNAME", 64, 1, "Tessary"},
        {"COMMON", "Path", 64, 1, "C:\\Games\\Tessary\\"},
        {"COMMON", "Missing", 64, 0, ""},
        {"NOSECTION", "ProductName", 64, 0, ""},
        {"COMMON", "Only", 64, 0, ""},
        {"COMMON", "Empty", 64, 0, ""},
        {"COMMON", "Five", 6, 1, "abcde"},
        {"COMMON", "Six", 6, 1, "abcde"},
        {"COMMON", "Six", 2, 1, "a"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[80];
        memset(buffer, '#', sizeof buffer);
        strcpy(buffer, "stale text");
        int got = ReadScriptString(script.c_str(), rows[i].section, rows[i].key, buffer,
                                   rows[i].capacity, 0);
        EXPECT_EQ(rows[i].expectedResult, got) << "row " << i;
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i;
        for (int b = rows[i].capacity > 11 ? rows[i].capacity : 11; b < (int)sizeof buffer; ++b)
            ASSERT_EQ('#', buffer[b]) << "row " << i << ": byte " << b << " written";
    }
}

TEST(ReadScriptString, MissingFileReadsAsEmpty)
{
    TempDir dir("rssnofile");
    std::string script = dir / "setup.isc";
    char buffer[64] = "stale text";
    EXPECT_EQ(0, ReadScriptString(script.c_str(), "COMMON", "ProductName", buffer,
                                  sizeof buffer, 0));
    EXPECT_STREQ("", buffer);
}

TEST(ReadScriptString, RequiredPresentValueReturns)
{
    TempDir dir("rssreq");
    std::string script = WriteScript(dir, "[COMMON]\r\nProgramExe=Tessary.exe\r\n");
    char buffer[64] = "stale text";
    EXPECT_EQ(1, ReadScriptString(script.c_str(), "COMMON", "ProgramExe", buffer,
                                  sizeof buffer, 1));
    EXPECT_STREQ("Tessary.exe", buffer);
}

TEST(ReadScriptInt, StoresParsedValues)
{
    TempDir dir("rsi");
    struct Row {
        const char *text;
        int expected;
    } rows[] = {
        {"100", 100},
        {"0x64", 100},
        {"0X64", 100},
        {"0144", 100},
        {"+7", 7},
        {"-7", -7},
        {"1.25", 1},
        {"0", 0},
        {"08", 0},
        {"-0x10", -16},
        {"4294967396", 100},
        {"2147483648", INT_MIN},
        {"120 followed by more text than the sixty-four byte buffer of the reader holds", 120},
    };
    const size_t count = sizeof rows / sizeof rows[0];
    std::string text = "[COMMON]\r\n";
    for (size_t i = 0; i < count; ++i)
        text += "Value" + std::to_string(i) + "=" + rows[i].text + "\r\n";
    std::string script = WriteScript(dir, text);
    // Odd rows read with required set: a present value reads the same either way.
    for (size_t i = 0; i < count; ++i) {
        std::string key = "Value" + std::to_string(i);
        int value = 12345;
        EXPECT_EQ(1, ReadScriptInt(script.c_str(), "COMMON", key.c_str(), &value, i % 2))
            << "row " << i;
        EXPECT_EQ(rows[i].expected, value) << "row " << i;
    }
}

TEST(ReadScriptInt, OptionalMissingValueLeavesDestination)
{
    TempDir dir("rsimissing");
    std::string script = WriteScript(dir, "[COMMON]\r\nEmpty=\r\nVersion=120\r\n");
    std::string noFile = dir / "absent.isc";
    struct Row {
        const char *path;
        const char *section;
        const char *key;
    } rows[] = {
        {script.c_str(), "COMMON", "Missing"},
        {script.c_str(), "COMMON", "Empty"},
        {script.c_str(), "NOSECTION", "Version"},
        {noFile.c_str(), "COMMON", "Version"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        int value = 12345;
        EXPECT_EQ(0, ReadScriptInt(rows[i].path, rows[i].section, rows[i].key, &value, 0))
            << "row " << i;
        EXPECT_EQ(12345, value) << "row " << i;
    }
}

TEST(ForEachScriptEntry, VisitsEntriesInLineOrderAndCountAgrees)
{
    TempDir dir("walk");
    std::string longValue;
    for (int i = 0; i < 300; ++i)
        longValue += (char)('a' + i % 26);
    std::string text = "[COMMON]\r\nProductName=Tessary\r\n"
                       "[FILES]\r\n"
                       "zeta.txt=Lang\\zeta.txt\r\n"
                       "Alpha.txt=Lang\\Alpha.txt\r\n"
                       "Lang\\Deutsch\\Gr\xE4" "fin.txt=Lang\\Gr\xE4" "fin.txt\r\n"
                       "middle.txt=\r\n"
                       "long.txt=" + longValue + "\r\n"
                       "last.txt=x\r\n"
                       "[AFTER]\r\nother.txt=other\r\n";
    std::string script = WriteScript(dir, text);
    Entries expected = {
        {"zeta.txt", "Lang\\zeta.txt"},
        {"Alpha.txt", "Lang\\Alpha.txt"},
        {"Lang\\Deutsch\\Gr\xE4" "fin.txt", "Lang\\Gr\xE4" "fin.txt"},
        {"middle.txt", ""},
        {"long.txt", longValue.substr(0, 259)},
        {"last.txt", "x"},
    };

    g_visits.clear();
    EXPECT_EQ(1, ForEachScriptEntry(script.c_str(), "FILES", RecordEntry, 1));
    ASSERT_EQ(expected.size(), g_visits.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, g_visits[i].first) << "entry " << i;
        EXPECT_EQ(expected[i].second, g_visits[i].second) << "entry " << i;
    }
    EXPECT_EQ((int)expected.size(), CountScriptEntries(script.c_str(), "FILES"));
}

TEST(ForEachScriptEntry, FailedCallbackStopsOnlyWhenAsked)
{
    TempDir dir("walkfail");
    std::string script = WriteScript(dir, "[FILES]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\ne=5\r\n");
    struct Row {
        std::vector<int> answers;
        int stopOnFailure;
        size_t expectedVisits;
        int expectedResult;
    } rows[] = {
        {{1, 0, 1, 1, 1}, 1, 2, 0},
        {{1, 0, 1, 1, 1}, 0, 5, 0},
        {{1, 1, 1, 1, 0}, 1, 5, 0},
        {{0, 0, 0, 0, 0}, 0, 5, 0},
        {{1, 2, -1, 1, 1}, 1, 5, 1},
    };
    const char *keys = "abcde";
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        g_visits.clear();
        g_answers = rows[i].answers;
        EXPECT_EQ(rows[i].expectedResult,
                  ForEachScriptEntry(script.c_str(), "FILES", AnswerEntry, rows[i].stopOnFailure))
            << "row " << i;
        ASSERT_EQ(rows[i].expectedVisits, g_visits.size()) << "row " << i;
        for (size_t v = 0; v < g_visits.size(); ++v)
            EXPECT_EQ(std::string(1, keys[v]), g_visits[v].first) << "row " << i << " visit " << v;
    }
    g_answers.clear();
}

TEST(ForEachScriptEntry, EmptyOrMissingSectionVisitsNothing)
{
    TempDir dir("walkempty");
    std::string script = WriteScript(dir, "[COMMON]\r\nProductName=Tessary\r\n[FILES]\r\n[LAST]\r\n"
                                          "x=y\r\n");
    std::string noFile = dir / "absent.isc";
    struct Row {
        const char *path;
        const char *section;
    } rows[] = {
        {script.c_str(), "FILES"},
        {script.c_str(), "NOSECTION"},
        {noFile.c_str(), "FILES"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        g_visits.clear();
        EXPECT_EQ(1, ForEachScriptEntry(rows[i].path, rows[i].section, RecordEntry, 1))
            << "row " << i;
        EXPECT_EQ(0u, g_visits.size()) << "row " << i;
        EXPECT_EQ(0, CountScriptEntries(rows[i].path, rows[i].section)) << "row " << i;
    }
}

TEST(ForEachScriptEntry, KeyListLongerThanFirstBlockArrivesWhole)
{
    TempDir dir("walkbig");
    const int kEntries = 3000;
    Entries expected;
    std::string text = "[COMMON]\r\nProductName=Tessary\r\n[FILES]\r\n";
    size_t listBytes = 1;
    for (int i = 0; i < kEntries; ++i) {
        char key[64];
        char value[64];
        snprintf(key, sizeof key, "Lang\\Sub\\file_%05d_padding_%03d.txt", i + 1, i % 997);
        snprintf(value, sizeof value, "Lang\\file_%05d.txt", i + 1);
        expected.emplace_back(key, value);
        text += std::string(key) + "=" + value + "\r\n";
        listBytes += strlen(key) + 1;
    }
    ASSERT_GT(listBytes, 100000u);
    std::string script = WriteScript(dir, text);

    EXPECT_EQ(kEntries, CountScriptEntries(script.c_str(), "FILES"));
    g_visits.clear();
    EXPECT_EQ(1, ForEachScriptEntry(script.c_str(), "FILES", RecordEntry, 1));
    ASSERT_EQ(expected.size(), g_visits.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(expected[i].first, g_visits[i].first) << "entry " << i;
        ASSERT_EQ(expected[i].second, g_visits[i].second) << "entry " << i;
    }
}

TEST(ScriptReader, LeavesScriptUnchanged)
{
    TempDir dir("nowrite");
    std::string text = "[COMMON]\r\nProductName=Tessary\r\nVersion=0x78\r\nEmpty=\r\n"
                       "[FILES]\r\na.txt=Lang\\a.txt\r\nb.txt=\r\n";
    std::string script = WriteScript(dir, text);
    // An old write time, so that any rewrite shows even within the clock's resolution.
    SYSTEMTIME old = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME stamp;
    SystemTimeToFileTime(&old, &stamp);
    HANDLE file = CreateFileA(script.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0,
                              NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "error " << GetLastError();
    ASSERT_TRUE(SetFileTime(file, NULL, NULL, &stamp)) << "error " << GetLastError();
    CloseHandle(file);

    char buffer[8];
    int number = 0;
    ReadScriptString(script.c_str(), "COMMON", "ProductName", buffer, sizeof buffer, 0);
    ReadScriptString(script.c_str(), "COMMON", "Missing", buffer, sizeof buffer, 0);
    ReadScriptString(script.c_str(), "NEW", "Missing", buffer, sizeof buffer, 0);
    ReadScriptInt(script.c_str(), "COMMON", "Version", &number, 1);
    ReadScriptInt(script.c_str(), "COMMON", "Empty", &number, 0);
    g_visits.clear();
    ForEachScriptEntry(script.c_str(), "FILES", RecordEntry, 1);
    CountScriptEntries(script.c_str(), "FILES");
    CountScriptEntries(script.c_str(), "NEW");
    // Flushes the profile cache, so that a pending write would reach the file now.
    WritePrivateProfileStringA(NULL, NULL, NULL, script.c_str());

    EXPECT_EQ(text, ReadFileBytes(script));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(script.c_str(), GetFileExInfoStandard, &data))
        << "error " << GetLastError();
    EXPECT_EQ(stamp.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(stamp.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
}
