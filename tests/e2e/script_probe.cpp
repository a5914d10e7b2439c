// script_probe SCRIPT SECTION KEY: reads the key as an optional integer, as no caller in
// the program does, and exits with 100 when it is missing, 1000 plus its value otherwise.
#include "setup/script.h"

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    int value = 0;
    if (!ReadScriptInt(argv[1], argv[2], argv[3], &value, 0))
        return 100;
    return 1000 + value;
}
