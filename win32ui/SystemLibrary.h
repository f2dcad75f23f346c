// DLLs from System32 only. A setup runs from a Downloads folder, where a browser may
// have dropped a DLL of any name; the loader searches the program's own folder first,
// so every DLL that is not a KnownDLL is named with its System32 path, or loaded with
// a search that leaves the program's folder out.
#pragma once

#include "win32ui/Handle.h"

#include <string>

namespace kf::ui {

// The first call of every program: from now on LoadLibrary (and what the system DLLs
// load on their own) searches System32 only. SetDefaultDllDirectories is looked up at
// run time (Windows 7 has it only with KB2533623); without it SetDllDirectoryA("")
// at least takes the current directory out of the search.
void RestrictDllSearch();

// The System32 folder with a backslash, followed by name.
std::string SystemPath(const char* name);

struct TModuleKind
{
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Release(Type module) { FreeLibrary(module); }
};

// A DLL loaded from System32 for the object's lifetime: LoadLibraryExA with
// LOAD_LIBRARY_SEARCH_SYSTEM32, or by its full System32 path where that flag is unknown.
class TSystemLibrary : public TOwned<TModuleKind>
{
public:
    TSystemLibrary() = default;
    explicit TSystemLibrary(const char* name);
    // The export, or null when the DLL or the export is missing.
    template <class F> F Proc(const char* export_name) const
    {
        return Valid() ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Get(), export_name))) : nullptr;
    }
};

// comctl32 is no KnownDLL either, and a static import of it is resolved before the
// first statement, with the program's folder searched for what it loads itself (Wine's
// takes uxtheme.dll from there). Loaded by name after RestrictDllSearch, it comes from
// WinSxS as the manifest's Common-Controls 6; it stays loaded for the process, whose
// windows use its classes. Null when it cannot be loaded.
HMODULE CommonControls();
// InitCommonControlsEx of CommonControls() for classes (ICC_*); false without it.
bool InitCommonControls(unsigned long classes);

} // namespace kf::ui
