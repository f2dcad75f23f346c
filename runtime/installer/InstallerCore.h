// The installing, free of windows: the check of the setup's own package, the copy of
// every file with its uninstall log, the program group, the finish, and the roll-back
// on a cancel or a failed file. It talks to the system and to whoever shows progress
// through two small interfaces; the installer model (InstallerModel.h) drives it.
#pragma once

#include "archive/CompressionManager.h"
#include "runtime/common/Registration.h"
#include "runtime/common/UninstallLog.h"
#include "runtime/installer/infreader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kf {
namespace installer {

// The structure check of a setup executable before anything is shown (IsSoundSetupFile,
// CompressionManager.h, with "install.inf" required). False for a truncated download,
// junk appended, a zeroed trailer, or a signed setup whose package changed afterwards.
bool CheckSetupPackage(const std::string& path);

// What the installing needs from the system; the Windows build talks to the shell and
// the registry, tests give a recording fake.
class IInstallSystem
{
public:
    virtual ~IInstallSystem() = default;
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool ForceDirectories(const std::string& path) = 0;
    virtual bool DeleteFileAt(const std::string& path) = 0;
    virtual bool RemoveDirectoryAt(const std::string& path) = 0;
    // Free bytes at a FreeSpaceRoot ("C:\", "\\server\share\", "" for the current
    // drive); -1 when it cannot be asked.
    virtual int64_t FreeSpace(const std::string& root) = 0;
    virtual std::string GroupDir(const std::string& group) = 0; // GetGroupDir(group, 0)
    virtual std::string CommonDesktopDir() = 0;                 // GetDesktopDir(0)
    virtual std::string CreateShortcut(const std::string& linkBase, const std::string& target,
                                       const std::string& workingDirectory) = 0;
    // The uninstall registration under keyName; the system adds the date.
    virtual void RegisterUninstall(const std::string& keyName, const TRegistration& registration) = 0;
    virtual int32_t RunAndWait(const std::string& commandLine) = 0;
    virtual void Launch(const std::string& file, const std::string& directory) = 0;
};

// What the installing shows, and its one way back from the user.
class IInstallView
{
public:
    virtual ~IInstallView() = default;
    // Lets pending window messages through (repaint, the Cancel button). True once the
    // user has confirmed a cancel: the copy then stops and rolls back itself. Nothing
    // behind it may call back into the installing.
    virtual bool Pump() = 0;
    // The copy begins: the log exists, the installing page comes.
    virtual void CopyStarted() = 0;
    virtual void GroupStepStarted() = 0; // the creating-groups page
    virtual void SetInstallingFile(const std::string& text) = 0;
    virtual void SetTotalLabel(const std::string& text) = 0;
    virtual void SetCompleting(const std::string& text) = 0;
    virtual void SetFileProgress(int32_t position, int32_t maximum) = 0;
    virtual void SetTotalProgress(int32_t position, int32_t maximum) = 0;
    // The "Error" box of a file that cannot be installed.
    virtual void ShowInstallError(const std::string& text) = 0;
    // The system's message when the uninstall log cannot be created.
    virtual void ShowLogError(const std::string& text) = 0;
    virtual void BringToFront() = 0;
};

// One undo step of a log entry.
struct TUndoAction
{
    bool IsFile; // DeleteFile, else RemoveDirectory
    std::string Path;
};

// What UndoEntry does for a log entry: "File" deletes it; "Directory" removes the
// levels of ForEachDirectoryUndoLevel; any other kind nothing.
std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value);

// Deepest existing ancestor of installDir (the installDir itself when it exists), found
// by climbing with ParentDir; "" when nothing on the way exists. The relative part is
// what lies below it, less one leading and one trailing "\".
struct TAncestor
{
    std::string Existing;
    std::string Relative;
};
TAncestor FindExistingAncestor(const std::string& installDir, IInstallSystem& system);

enum class TCopyResult
{
    Completed,    // every file is in place; the group step comes next
    LogFailed,    // the log could not be created; nothing was copied
    EndProgram,   // rolled back after a failure or a confirmed cancel
};

// The run-time state of the stub and its installing operations.
class TInstaller
{
public:
    // Opens the package on the program's own file (trailer mode) and reads the
    // description; raises the I/O error when the file cannot be read.
    explicit TInstaller(const std::string& setupPath);
    // A package opened by the caller (may be null: no entries), for tests.
    explicit TInstaller(std::unique_ptr<TCompressionManager> package);

    // Title, colours and the bitmap's entry name from the description.
    void ReadSettings();

    TCompressionManager& Package() { return *FPackage; }
    const TINFReader& Description() const { return FDescription; }
    bool HasSection(const std::string& name) const { return FDescription.SectionExists(name); }

    // The copy (step 2, after the space check): InstallDir := location; the log; the
    // "directories" section; every "[files]" line. When a pump reports a confirmed
    // cancel, or a file fails, the copy itself rolls back and EndProgram comes back.
    TCopyResult Copy(const std::string& location, IInstallSystem& system, IInstallView& view);
    // The program group, its icons, the registration and "run and wait" (step 3).
    void GroupStep(IInstallSystem& system, IInstallView& view);
    // Finish (step 5): desktop icons when asked, then the launch when asked.
    void Finish(bool desktopIcons, bool launchNow, IInstallSystem& system);

    // Every level of directory that does not exist yet is created and logged.
    void CreatePath(const std::string& directory, IInstallSystem& system);
    // Cancelled := true, then the roll-back (errors ignored); the program must end.
    TCopyResult AbortInstall(IInstallSystem& system, IInstallView& view);
    // Undoes every entry logged in this run, newest first, with progress.
    void RollBack(IInstallSystem& system, IInstallView& view);
    void UndoEntry(const std::string& kind, const std::string& value, IInstallSystem& system);

    // State of the run.
    std::string Title = "product";
    uint32_t StartColor = 8347213;
    uint32_t EndColor = 2365465;
    uint8_t GradientSteps = 255;
    std::string InstallDir;
    std::string ImageName;
    int64_t SpaceRequired = 0;
    int64_t FreeSpace = 0;
    bool Finished = false;
    bool InProgress = false;
    bool Cancelled = false;
    // A file could not be installed (the roll-back followed): the run ends as failed,
    // not as cancelled.
    bool Failed = false;

    // The uninstall log as a writer with the title, the created levels (relative part)
    // and itself; raises the I/O error when it cannot be created.
    void StartLog(const std::string& relative);
    TLogFile* Log() { return FLog.get(); }
    void LoadDescription(const std::string& text) { FDescription.LoadText(text); }
    void FreeLog() { FLog.reset(); }

private:
    void CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system);

    std::unique_ptr<TCompressionManager> FPackage;
    TINFReader FDescription;
    std::unique_ptr<TLogFile> FLog;
};

} // namespace installer
} // namespace kf
