#include <gtest/gtest.h>

#include <string.h>

#include "app/run.h"

TEST(LastErrorText, IsTheSystemTextOrTheCodeInDecimal)
{
    struct Row {
        DWORD code;
        const char *expected;
    } rows[] = {
        {ERROR_FILE_NOT_FOUND, NULL},
        {ERROR_FILENAME_EXCED_RANGE, NULL},
        // Application-defined codes (bit 29) have no system text.
        {0x20001234, "Error code 536875572."},
        {0xFFFFFFFF, "Error code 4294967295."},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char expected[512] = "";
        if (rows[i].expected != NULL) {
            strcpy(expected, rows[i].expected);
        } else {
            ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, NULL, rows[i].code, 0,
                                         expected, sizeof expected, NULL))
                << "row " << i << " error " << GetLastError();
        }
        char text[512] = "before: ";
        SetLastError(rows[i].code);
        AppendLastErrorText(text, sizeof text);
        EXPECT_EQ(std::string("before: ") + expected, text) << "row " << i;
    }
}

TEST(LastErrorText, IsCutToTheBuffer)
{
    char text[12] = "";
    text[sizeof text - 1] = 'X';
    SetLastError(0x20001234);
    AppendLastErrorText(text, sizeof text - 1);
    EXPECT_STREQ("Error code", text);
    EXPECT_EQ('X', text[sizeof text - 1]);
}
