#include <windows.h>

#include "app/run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HardenDllSearch();
    return RunUpdate(instance);
}
