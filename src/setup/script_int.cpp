#include "setup/script.h"

#include <stdint.h>

static int IsScriptSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

static int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

int ParseScriptInteger(const char *text, int *value)
{
    const char *p = text;
    while (IsScriptSpace(*p))
        ++p;
    int negative = 0;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    uint32_t number = 0;
    int digits = 0;
    for (; (uint32_t)DigitValue(*p) < base; ++p, ++digits)
        number = number * base + (uint32_t)DigitValue(*p);
    if (digits == 0)
        return 0;
    if (negative)
        number = 0u - number;
    *value = (int32_t)number;
    return 1;
}
