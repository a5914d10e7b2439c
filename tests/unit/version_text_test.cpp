#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include "setup/setup_info.h"

TEST(FormatVersion, WritesWholeDotTwoDigitHundredths)
{
    struct Row {
        int version;
        const char *expected;
    } rows[] = {
        {0, "0.00"},
        {5, "0.05"},
        {7, "0.07"},
        {99, "0.99"},
        {100, "1.00"},
        {120, "1.20"},
        {999, "9.99"},
        {1000, "10.00"},
        {2147483647, "21474836.47"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[1024];
        memset(buffer, 'x', sizeof buffer);
        FormatVersion(buffer, sizeof buffer, rows[i].version);
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i << " version " << rows[i].version;
    }
}

TEST(FormatVersion, NegativeValueCarriesOneLeadingMinus)
{
    struct Row {
        int version;
        const char *expected;
    } rows[] = {
        {-3, "-0.03"},
        {-99, "-0.99"},
        {-100, "-1.00"},
        {-120, "-1.20"},
        {INT_MIN + 1, "-21474836.47"},
        {INT_MIN, "-21474836.48"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char buffer[1024];
        memset(buffer, 'x', sizeof buffer);
        FormatVersion(buffer, sizeof buffer, rows[i].version);
        EXPECT_STREQ(rows[i].expected, buffer) << "row " << i << " version " << rows[i].version;
    }
}

TEST(FormatVersion, SmallCapacityCutsTextAndWritesNothingPastIt)
{
    struct Row {
        int capacity;
        int version;
        const char *expected;
    } rows[] = {
        {0, 120, nullptr},
        {1, 120, ""},
        {2, 120, "1"},
        {4, 120, "1.2"},
        {5, 120, "1.20"},
        {6, 120, "1.20"},
        {5, INT_MIN, "-214"},
        {12, INT_MIN, "-21474836.4"},
        {13, INT_MIN, "-21474836.48"},
    };
    const char guard = '#';
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        char storage[32];
        memset(storage, guard, sizeof storage);
        FormatVersion(storage, rows[i].capacity, rows[i].version);
        for (size_t at = (size_t)rows[i].capacity; at < sizeof storage; ++at)
            ASSERT_EQ(guard, storage[at]) << "row " << i << " wrote byte " << at
                                          << " past capacity " << rows[i].capacity;
        if (rows[i].expected == nullptr)
            continue;
        ASSERT_NE(nullptr, memchr(storage, '\0', (size_t)rows[i].capacity))
            << "row " << i << " text not terminated within capacity " << rows[i].capacity;
        EXPECT_STREQ(rows[i].expected, storage) << "row " << i << " capacity "
                                                << rows[i].capacity;
    }
}
