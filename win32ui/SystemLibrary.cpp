#include "win32ui/SystemLibrary.h"

#include <commctrl.h>

namespace kf::ui {

void RestrictDllSearch()
{
    using TSetDefault = BOOL(WINAPI*)(DWORD);
    // kernel32 is a KnownDLL and already loaded: asking for it cannot be redirected.
    auto setDefault = reinterpret_cast<TSetDefault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    SetDllDirectoryA("");
    // The system DLLs load these by name later; loaded now from System32, they are found
    // loaded already and not searched for in the program's folder. Never freed.
    for (const char* name : {"uxtheme.dll", "version.dll", "userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll",
                             "dwmapi.dll", "cryptbase.dll", "oleacc.dll", "clbcatq.dll", "ntmarta.dll"})
        LoadLibraryExA(SystemPath(name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::string SystemPath(const char* name)
{
    char buffer[MAX_PATH];
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    std::string path = length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string("C:\\Windows\\System32");
    if (path.back() != '\\')
        path += '\\';
    return path + name;
}

TSystemLibrary::TSystemLibrary(const char* name)
{
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without KB2533623 the flag is refused as an invalid parameter.
    if (!module)
        module = LoadLibraryExA(SystemPath(name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    Attach(module);
}

HMODULE CommonControls()
{
    static HMODULE module = LoadLibraryA("comctl32.dll");
    return module;
}

bool InitCommonControls(unsigned long classes)
{
    using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE module = CommonControls();
    auto init = module ? reinterpret_cast<TInit>(reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))
                       : nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
    return init && init(&controls);
}

} // namespace kf::ui
