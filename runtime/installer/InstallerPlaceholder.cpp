// Stands in for the installer stub until the real one exists: a setup executable built
// now starts, says what it is and ends without touching the machine.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr,
                "This setup program was built with a placeholder installer.\n"
                "It cannot install anything yet.",
                "Kitforge Setup", MB_OK | MB_ICONINFORMATION);
    return 0;
}
