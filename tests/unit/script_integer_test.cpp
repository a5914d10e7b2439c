#include <gtest/gtest.h>

#include <limits.h>

#include "setup/script.h"

TEST(ParseScriptInteger, ReadsEachBaseSignAndWrap)
{
    struct Row {
        const char *text;
        int expected;
    } rows[] = {
        {"100", 100},
        {"0x64", 100},
        {"0X64", 100},
        {"0xfF", 255},
        {"0144", 100},
        {"\t12", 12},
        {"+7", 7},
        {"-7", -7},
        {"1.25", 1},
        {"12abc", 12},
        {"0", 0},
        {"08", 0},
        {"0779", 63},
        {"-0x10", -16},
        {"4294967396", 100},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"0xFFFFFFFF", -1},
        {"-0", 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        int value = 12345;
        EXPECT_EQ(1, ParseScriptInteger(rows[i].text, &value)) << "row " << i;
        EXPECT_EQ(rows[i].expected, value) << "row " << i;
    }
}

TEST(ParseScriptInteger, SkipsOnlyTabToCarriageReturnAndSpace)
{
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == '+' || byte == '-' || (byte >= '0' && byte <= '9'))
            continue;
        const char text[] = {(char)byte, (char)byte, '4', '2', '\0'};
        int value = 12345;
        int skipped = byte == ' ' || (byte >= 9 && byte <= 13);
        EXPECT_EQ(skipped, ParseScriptInteger(text, &value)) << "byte " << byte;
        EXPECT_EQ(skipped ? 42 : 12345, value) << "byte " << byte;
    }
}

TEST(ParseScriptInteger, FailsWithoutDigitAndLeavesValue)
{
    const char *rows[] = {"", "   ", "abc", "x12", "0x", "0xg", "-", "+", "- 5",
                          "+-5", "\xA0" "5", "\x08" "5"};
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        int value = 12345;
        EXPECT_EQ(0, ParseScriptInteger(rows[i], &value)) << "row " << i;
        EXPECT_EQ(12345, value) << "row " << i;
    }
}
