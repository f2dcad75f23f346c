// Where a build gets the two runtime programs it writes into every setup executable.
// The Windows builder carries them as RCDATA resources of its own executable; kftool
// carries the same bytes linked in; tests hand in their own.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kf {

enum class TStubKind
{
    Installer,   // resource INSTALLEXE: the head of every setup executable
    Uninstaller, // resource UNINSTALLEXE: packed as "uninstall.exe"
};

// "INSTALLEXE" or "UNINSTALLEXE".
const char* StubResourceName(TStubKind kind);

class TStubSource
{
public:
    virtual ~TStubSource() = default;
    // Every byte of the stub. The view stays valid as long as the source lives. Raises
    // TError when the stub is not there.
    virtual std::string_view Stub(TStubKind kind) = 0;
};

// Stubs held in memory.
class TMemoryStubSource : public TStubSource
{
public:
    TMemoryStubSource(std::string installer, std::string uninstaller)
        : FInstaller(std::move(installer)), FUninstaller(std::move(uninstaller))
    {
    }
    std::string_view Stub(TStubKind kind) override
    {
        return kind == TStubKind::Installer ? FInstaller : FUninstaller;
    }

private:
    std::string FInstaller;
    std::string FUninstaller;
};

#ifdef _WIN32
// The RCDATA resources of a loaded module (nullptr: the running executable), found with
// FindResourceA and mapped with LoadResource/LockResource/SizeofResource. Resources of a
// loaded module stay mapped until it unloads, so nothing is freed here.
class TResourceStubSource : public TStubSource
{
public:
    explicit TResourceStubSource(void* module = nullptr) : FModule(module) {}
    std::string_view Stub(TStubKind kind) override;

private:
    void* FModule; // HMODULE; kept opaque so this header needs no <windows.h>
};
#endif

} // namespace kf
