// The start-up baseline: a program that shows one confirmation box and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(NULL, "This program will update languages in Tessary. Press the OK button to continue.",
                "BenchProduct Language Pack", MB_OKCANCEL | MB_ICONQUESTION);
    return 0;
}
