#include "setup/setup_info.h"

#include "app/text.h"

static char *PutDecimal(char *end, unsigned int value, int minDigits)
{
    int digits = 0;
    do {
        *--end = (char)('0' + value % 10);
        value /= 10;
        ++digits;
    } while (value != 0 || digits < minDigits);
    return end;
}

void FormatVersion(char *buffer, int capacity, int version)
{
    // Built backwards; "-21474836.48" is the longest text.
    char text[16];
    char *end = text + sizeof text - 1;
    *end = '\0';
    unsigned int magnitude = version < 0 ? 0u - (unsigned int)version : (unsigned int)version;
    char *start = PutDecimal(end, magnitude % 100, 2);
    *--start = '.';
    start = PutDecimal(start, magnitude / 100, 1);
    if (version < 0)
        *--start = '-';
    CopyText(buffer, (size_t)capacity, start);
}
