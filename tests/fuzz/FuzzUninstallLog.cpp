// Hostile uninstall logs: uninstall.log lies in the installed folder where anyone with
// write access can edit it. Reading it and undoing every entry (against a system that
// only counts) must end without crashing; the undo may not ask for more operations
// than the log's bytes could describe.
#include "FuzzSupport.h"
#include "runtime/common/UninstallLog.h"
#include "runtime/uninstaller/UninstallCore.h"

#include <cstdlib>

namespace {

class TCountingSystem : public kf::uninstall::IRemovalSystem, public kf::IFileSystem
{
public:
    kf::IFileSystem& FileSystem() override { return *this; }
    void Delete(const std::string&) override { Raise(Count()); }
    // Every other file read-only: a refused deletion is tried again without it.
    uint32_t AttributesAt(const std::string&) override { return Calls % 2 ? 0x21 : 0x20; }
    void SetAttributes(const std::string&, uint32_t) override {}
    bool IsRunningImage(const std::string&) override { return Calls % 4 == 0; }
    // 145, a folder that is not empty: the case that looks for scheduled contents.
    void RemoveFolder(const std::string&) override { Raise(Count() ? 145 : 0); }
    bool IsReparsePointAt(const std::string&) override { return Calls % 5 == 0; }
    uint32_t DeleteRegistryKeyAt(kf::TRegRoot, const std::string&) override { return Count(); }
    void DeleteAtRestart(const std::string&) override {}
    std::unique_ptr<kf::IFileWriter> Create(const std::string&) override { std::abort(); }
    std::unique_ptr<kf::IFileWriter> OpenAppend(const std::string&) override { std::abort(); }
    void Rename(const std::string&, const std::string&) override { std::abort(); }
    void Replace(const std::string&, const std::string&) override { std::abort(); }
    void MakeDirectories(const std::string&) override { std::abort(); }
    std::string ErrorMessage(uint32_t code) override { return "error " + std::to_string(code); }
    void UnregisterUninstall(const std::string&) override {}

    size_t Calls = 0;

private:
    static void Raise(uint32_t code)
    {
        if (code)
            throw kf::TIOError(static_cast<int32_t>(code));
    }
    uint32_t Count() { return ++Calls % 3 == 0 ? 5 : 0; } // some operations fail
};

class TNoProgress : public kf::uninstall::IRemovalProgress
{
public:
    void EntryStarting(const std::string&) override {}
    void EntryDone() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = FuzzScratchPath("uninstall-log");
    WriteFuzzInput(input, data, size);
    try
    {
        kf::TLogFile log(input, false);
        if (static_cast<size_t>(log.Count()) > size)
            std::abort();
        TCountingSystem system;
        TNoProgress progress;
        kf::uninstall::TRemovalReport report;
        // The log's own folder and the all-users folders, as a real uninstaller finds them.
        kf::uninstall::TRemovalRoots roots{"C:\\Apps\\Demo\\", "C:\\ProgramData\\Start Menu\\Programs",
                                           "C:\\Users\\Public\\Desktop"};
        kf::uninstall::RunUninstall(log, kf::uninstall::ScopeForLog(log, roots), system, progress, report);
        if (system.Calls > size + 1)
            std::abort(); // each call needs at least a byte of the log behind it
    }
    catch (const std::exception&)
    {}
    return 0;
}
