#include <gtest/gtest.h>

#include <string.h>

#include "app/text.h"

TEST(AppendPath, JoinsWithOneSeparator)
{
    struct Row {
        const char *path;
        const char *component;
        const char *expected;
    } rows[] = {
        {"", "setup.isc", "setup.isc"},
        {"C:\\Game", "Lang\\de.txt", "C:\\Game\\Lang\\de.txt"},
        {"C:\\Game\\", "de.txt", "C:\\Game\\de.txt"},
        {"C:\\Game/", "de.txt", "C:\\Game/de.txt"},
        {"C:\\Game", "", "C:\\Game\\"},
        {"C:\\Game", "\\de.txt", "C:\\Game\\\\de.txt"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[260];
        strcpy(buffer, rows[i].path);
        EXPECT_EQ(1, AppendPath(buffer, sizeof buffer, rows[i].component)) << "row " << i;
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i;
    }
}

TEST(AppendPath, JoinsOnlyWhenResultFits)
{
    struct Row {
        const char *path;
        const char *component;
        size_t capacity;
        int expectedResult;
        const char *expected;
    } rows[] = {
        {"C:\\Game", "de.txt", 15, 1, "C:\\Game\\de.txt"},
        {"C:\\Game", "de.txt", 14, 0, "C:\\Game"},
        {"C:\\Game\\", "de.txt", 15, 1, "C:\\Game\\de.txt"},
        {"C:\\Game\\", "de.txt", 14, 0, "C:\\Game\\"},
        {"", "setup.isc", 10, 1, "setup.isc"},
        {"", "setup.isc", 9, 0, ""},
        {"C:\\Game", "", 9, 1, "C:\\Game\\"},
        {"C:\\Game", "", 8, 0, "C:\\Game"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        strcpy(buffer, rows[i].path);
        EXPECT_EQ(rows[i].expectedResult,
                  AppendPath(buffer, rows[i].capacity, rows[i].component)) << "row " << i;
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i;
        for (size_t b = rows[i].capacity; b < sizeof buffer; ++b)
            ASSERT_EQ('#', buffer[b]) << "row " << i << ": byte " << b << " written";
    }
}

TEST(AppendPath, JoinsFullLengthPath)
{
    char buffer[260];
    memset(buffer, 'a', 250);
    buffer[250] = '\0';
    EXPECT_EQ(1, AppendPath(buffer, sizeof buffer, "12345678"));
    EXPECT_EQ(259u, strlen(buffer));
    EXPECT_STREQ("\\12345678", buffer + 250);
    EXPECT_EQ(0, AppendPath(buffer, sizeof buffer, ""));
    EXPECT_EQ(259u, strlen(buffer));
}

TEST(NeedsPathSeparator, OnlyAfterNonSeparatorByte)
{
    struct Row {
        const char *path;
        int expected;
    } rows[] = {
        {"", 0}, {"C:\\", 0}, {"C:/", 0}, {"C:", 1}, {"C:\\Game", 1}, {"\\", 0}, {"a\\b.", 1},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        EXPECT_EQ(rows[i].expected, NeedsPathSeparator(rows[i].path)) << "row " << i;
}

TEST(CopyText, CutsToCapacityAndTerminates)
{
    struct Row {
        const char *text;
        size_t capacity;
        int expectedResult;
        const char *expected;
    } rows[] = {
        {"abc", 4, 1, "abc"},
        {"abc", 3, 0, "ab"},
        {"abc", 1, 0, ""},
        {"", 1, 1, ""},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[16];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(rows[i].expectedResult, CopyText(buffer, rows[i].capacity, rows[i].text))
            << "row " << i;
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i;
        for (size_t b = rows[i].capacity; b < sizeof buffer; ++b)
            ASSERT_EQ('#', buffer[b]) << "row " << i << ": byte " << b << " written";
    }
}

TEST(AppendText, CutsToCapacityAndTerminates)
{
    struct Row {
        const char *start;
        const char *text;
        size_t capacity;
        int expectedResult;
        const char *expected;
    } rows[] = {
        {"ab", "cd", 5, 1, "abcd"},
        {"ab", "cd", 4, 0, "abc"},
        {"ab", "cd", 3, 0, "ab"},
        {"abc", "", 4, 1, "abc"},
        {"", "abcd", 3, 0, "ab"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[16];
        memset(buffer, '#', sizeof buffer);
        strcpy(buffer, rows[i].start);
        EXPECT_EQ(rows[i].expectedResult, AppendText(buffer, rows[i].capacity, rows[i].text))
            << "row " << i;
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i;
        for (size_t b = rows[i].capacity; b < sizeof buffer; ++b)
            ASSERT_EQ('#', buffer[b]) << "row " << i << ": byte " << b << " written";
    }
}

TEST(CopyText, ZeroCapacityWritesNothing)
{
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(0, CopyText(buffer, 0, "abc"));
    EXPECT_EQ(0, AppendText(buffer, 0, "abc"));
    for (size_t b = 0; b < sizeof buffer; ++b)
        EXPECT_EQ('#', buffer[b]) << "byte " << b;
}
