/* Two stand-ins. As the canaries' control: a program that loads a DLL by its bare name,
   as the stubs' imports and LoadLibraryA("riched20.dll") did, finds the planted one
   beside it. As a planted program: whoever starts it leaves "<its path>.started". */
#include <windows.h>

int main(int argc, char** argv)
{
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
    {
        lstrcatA(path, ".started");
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return argc > 1 && LoadLibraryA(argv[1]) ? 0 : 1;
}
