// The removal as a run without a window: what Next, Cancel and a close request do on
// each page, also while the removal pumps messages, and the exit code of each way to end.
#include "runtime/uninstaller/UninstallModel.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/UninstallLog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace kf;
using namespace kf::uninstall;

namespace {

// Deletes everything but the paths in Failing, which fail with their code; no file is
// a running program's.
class TRefusingSystem : public IRemovalSystem, public IFileSystem
{
public:
    std::map<std::string, uint32_t> Failing;
    IFileSystem& FileSystem() override { return *this; }
    void Delete(const std::string& path) override { Raise(path); }
    uint32_t AttributesAt(const std::string&) override { return kAttrArchive; }
    void SetAttributes(const std::string&, uint32_t) override {}
    bool IsRunningImage(const std::string&) override { return false; }
    void RemoveFolder(const std::string& path) override { Raise(path); }
    bool IsReparsePointAt(const std::string&) override { return false; }
    uint32_t DeleteRegistryKeyAt(TRegRoot, const std::string&) override { return 0; }
    void DeleteAtRestart(const std::string&) override {}
    std::string ErrorMessage(uint32_t code) override { return "reason " + std::to_string(code); }
    void UnregisterUninstall(const std::string&) override {}
    // The removal never writes, renames or makes anything.
    std::unique_ptr<IFileWriter> Create(const std::string&) override { throw TIOError(kErrAccessDenied); }
    std::unique_ptr<IFileWriter> OpenAppend(const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Rename(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Replace(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void MakeDirectories(const std::string&) override { throw TIOError(kErrAccessDenied); }

private:
    void Raise(const std::string& path)
    {
        auto found = Failing.find(path);
        if (found != Failing.end())
            throw TIOError(static_cast<int32_t>(found->second));
    }
};

// Records the pages; OnEntry is what the user does while the removal pumps.
class TRecordingDialog : public IUninstallView
{
public:
    std::string Pages; // I intro, U removing, C complete
    int Entries = 0, ExitCode = -1;
    std::function<void()> OnEntry;
    void ShowPage(TPage page, const TButtonState&) override
    {
        Pages += page == TPage::Intro ? 'I' : page == TPage::Uninstalling ? 'U' : 'C';
    }
    void EntryStarting(const std::string&) override {}
    void EntryDone() override
    {
        ++Entries;
        if (OnEntry)
            OnEntry();
    }
    void EndProgram(int exitCode) override { ExitCode = exitCode; }
};

} // namespace

TEST(UninstallRun, EventsOnEveryPageAndTheExitCodeOfEachEnd)
{
    kftest::TTempDir dir;
    std::string logPath = dir / "uninstall.log";
    kftest::WriteFileBytes(logPath, "Title: Demo\r\nFile: C:\\App\\a.exe\r\nFile: C:\\App\\b.dll\r\n");
    struct TCase
    {
        const char* Events;   // N Next, C Cancel, X close; the ones after "|" come while it removes
        bool Unattended;
        uint32_t Failure;     // the code b.dll's deletion fails with; 0: none
        const char* Pages;
        int ExitCode;         // -1: not ended
    };
    const TCase cases[] = {
        {"X", false, 0, "I", 0},
        {"C", false, 0, "I", 0},
        {"N|NCX", false, 0, "IUC", -1}, // nothing ends the removal under it
        {"NXC", false, 0, "IUC", -1},   // the complete page closes only by Finish
        {"NN", false, 5, "IUC", 0},     // the dialog ends with 0 whatever stayed
        {"", true, 0, "IUC", kExitSuccess},
        {"", true, 32, "IUC", kExitRebootRequired}, // in use: it goes at the next restart
        {"", true, 5, "IUC", kExitFailed},          // refused: it stays for good
    };
    for (const TCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.Events) + (c.Unattended ? " /S " : " ") + std::to_string(c.Failure));
        TLogFile log(logPath, false);
        TRefusingSystem system;
        if (c.Failure)
            system.Failing["C:\\App\\b.dll"] = c.Failure;
        TUninstallModel run(log, ScopeForLog(log, TRemovalRoots{"C:\\App", "", ""}), system);
        TRecordingDialog dialog;
        std::string events = c.Events, during;
        if (events.find('|') != std::string::npos)
        {
            during = events.substr(events.find('|') + 1);
            events.erase(events.find('|'));
        }
        dialog.OnEntry = [&] {
            EXPECT_TRUE(run.Removing());
            for (char event : during)
                event == 'N' ? run.Next() : event == 'C' ? run.Cancel() : run.Close();
        };
        if (c.Unattended)
            EXPECT_EQ(run.RunUnattended(dialog), c.ExitCode);
        else
        {
            run.Start(dialog);
            for (char event : events)
                event == 'N' ? run.Next() : event == 'C' ? run.Cancel() : run.Close();
        }
        EXPECT_EQ(dialog.Pages, c.Pages);
        EXPECT_EQ(dialog.ExitCode, c.ExitCode);
        EXPECT_EQ(run.Ended(), c.ExitCode >= 0);
        EXPECT_EQ(run.Report().Lines.empty(), c.Failure == 0);
        if (dialog.Pages.size() > 1)
        {
            EXPECT_EQ(dialog.Entries, 3); // every line, the title's included
        }
    }
}
