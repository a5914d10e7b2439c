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
