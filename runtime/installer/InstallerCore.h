// The installing, free of windows: the check of the setup's own package, the copy of
// every file with its uninstall log, the program group, the finish, and the roll-back
// on a cancel or a failed file. It talks to the system and to whoever shows progress
// through two small interfaces; the run model (InstallerModel.h) drives it.
#pragma once

#include "archive/CompressionManager.h"
#include "platform/FileSystem.h"
#include "runtime/common/Registration.h"
#include "runtime/common/RemovalScope.h"
#include "runtime/common/UninstallLog.h"
#include "runtime/installer/infreader.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kf {
namespace installer {

// The structure check of a setup executable before anything is shown (IsSoundSetupFile,
// CompressionManager.h, with "install.inf" required). False for a truncated download,
// junk appended, a zeroed trailer, or a signed setup whose package changed afterwards.
bool CheckSetupPackage(const std::string& path);

// Beside the attribute bits of platform/FileSystem.h: a file with none of them
// (FILE_ATTRIBUTE_NORMAL), and the answer for a path where nothing is
// (INVALID_FILE_ATTRIBUTES).
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kNoFile = 0xFFFFFFFFu;

// What the installing needs from the system; the Windows build talks to the shell and
// the registry, tests give a recording fake.
class IInstallSystem
{
public:
    virtual ~IInstallSystem() = default;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Every change to the disk: files, folders, renames, attributes, the log and the
    // extracted data. It raises the I/O error of a failure; what the installing may
    // ignore, it catches itself.
    virtual IFileSystem& FileSystem() = 0;
    // True when a junction or symbolic link stands at path.
    virtual bool IsReparsePointAt(const std::string& path) = 0;
    // Whether only administrators can change what the folder holds, and giving it
    // Program Files' permissions (runtime/common/FolderSecurity.h).
    virtual bool IsProtectedFolder(const std::string& path) = 0;
    virtual bool ProtectFolder(const std::string& path) = 0;
    // The attributes of the file or folder at path; kNoFile when nothing is there.
    virtual uint32_t AttributesAt(const std::string& path) = 0;
    // The whole of a file; false when it cannot be read.
    virtual bool ReadFileAt(const std::string& path, std::string& bytes) = 0;
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
    // The "Error" box of a file that cannot be installed, and of a roll-back that could
    // not undo everything.
    virtual void ShowInstallError(const std::string& text) = 0;
    // The same failure with the system's reason ("Cannot extract file. (Disk full)"),
    // which a log names beside the text; a box shows the text alone.
    virtual void ShowInstallFailure(const std::string& text, const std::string& reason)
    {
        (void)reason;
        ShowInstallError(text);
    }
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

// What UndoEntry does for a "File" entry (delete it) and a "Directory" entry (remove the
// levels of ForEachDirectoryUndoLevel); nothing for any other kind. UndoEntry restores
// the kept copy of a "Backup" entry itself (RestoreKeptCopy).
std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value);

// Where a file is kept aside: its own name with ".~kfkept" and, from the second try on,
// the try's number, in the same folder, so the rename never crosses a drive.
std::string KeptCopyPath(const std::string& original, int attempt);
constexpr int kKeptAttempts = 100; // tries at a free name

// Puts a kept copy back with its attributes, first deleting whatever file this run left
// at the original path. Nothing happens when the kept copy is not there (it was never
// moved, or is back already). False when it stays where it was kept.
bool RestoreKeptCopy(const TKeptCopy& copy, IInstallSystem& system);

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
    // Rolled back as far as the system let it, and the user told so: what could not be
    // removed goes at the next restart, and the log stays with exactly the entries not
    // undone. The run ends as failed, never as cancelled.
    RolledBackPartly,
};

// The entries of a log that replaces an earlier installation's log of the same title:
// the first line of current (this run's entries, in order: its title), then the entries of earlier
// (a whole log file's lines) in their order, then current's other entries but those
// earlier already holds. Undone newest first, everything this run added goes before
// what the earlier installation left (files before the folders that hold them) and no
// entry is undone twice. Titles but the first and "Backup" entries, whose copies are gone
// once an installation completed, are left out, and so are comment and empty lines.
std::vector<std::string> MergeLogEntries(const std::vector<std::string>& earlier,
                                         const std::vector<std::string>& current);

// True when kept is one of the names KeptCopyPath gives original: only such a file is
// ever deleted on the word of a log line.
bool IsKeptCopyName(const std::string& original, const std::string& kept);

// Where the merged log is written before it replaces the log in one step.
std::string MergedLogPath(const std::string& logPath);

// What a run takes over from earlier runs of its title in its folder. It starts at the
// log it moved aside (newest, "" for none) and follows that log's "Backup" entry of the
// log itself to the log an earlier run kept aside, and so on, up to 16 logs and never
// round in a circle; then it takes in every other kept log of the title there (the
// names KeptCopyPath gives the log path), which a run killed before it logged that
// entry, or after it merged but before it deleted the kept logs, leaves behind.
struct TEarlierLogs
{
    // The lines of every log of this title, oldest log first (the stray kept logs
    // before the chain); empty when none is of this title.
    std::vector<std::string> Entries;
    // The kept copies of files that those logs' "Backup" entries name.
    std::vector<std::string> Files;
    // The kept logs themselves: newest and the chain's (the first of another title ends
    // the chain but goes too, as it would have when its successor completed), and the
    // strays of this title.
    std::vector<std::string> Logs;
};
TEarlierLogs TraceEarlierLogs(const std::string& logPath, const std::string& newest, const std::string& title,
                              IInstallSystem& system);

// The package, its description and the installing operations; the run itself (step,
// location, space, cancel request, outcome) is the run model's.
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
    // cancel, or a file fails, the copy itself rolls back and EndProgram comes back;
    // a copy that gets through ends with CompleteCopy. Killed at any point, it leaves
    // what the same setup run again completes (TakeOverEarlierLogs).
    TCopyResult Copy(const std::string& location, IInstallSystem& system, IInstallView& view);
    // The program group, its icons, the registration and "run and wait" (step 3).
    void GroupStep(IInstallSystem& system, IInstallView& view);
    // Finish (step 5): desktop icons when asked, then the launch when asked.
    void Finish(bool desktopIcons, bool launchNow, IInstallSystem& system);

    // Every level of directory that does not exist yet is created and logged.
    void CreatePath(const std::string& directory, IInstallSystem& system);
    // Cancelled := true, then the roll-back; the program must end. EndProgram when it
    // undid everything, RolledBackPartly (the user told what stays) when it could not.
    TCopyResult AbortInstall(IInstallSystem& system, IInstallView& view);
    // Undoes every entry logged in this run, newest first, with progress. What the
    // system refuses to remove is asked for at the next restart, files before the
    // folders that hold them, and the log stays with exactly the entries not undone
    // (merged into an earlier installation's log put back in its place), so that this
    // setup run again or the uninstaller finishes the work. False then.
    bool RollBack(IInstallSystem& system, IInstallView& view);
    // What a roll-back could not undo so far.
    struct TLeftovers
    {
        std::set<std::string> Paths; // upper-cased: a folder's share is found by its prefix
        bool ForGood = false;        // something no restart removes (a kept copy not put back)
    };
    // True when the entry is undone: a folder that stays because it is not empty counts
    // as undone unless it holds something left before.
    bool UndoEntry(const std::string& kind, const std::string& value, IInstallSystem& system,
                   TLeftovers& left);
    // A file standing at path is renamed aside and hidden, its "Backup" entry logged
    // first; a folder or nothing there is left alone. False when a file is there and
    // cannot be kept aside: writing over it would lose it; false as well for a path
    // outside the installation folder or reached through a link (Owns), where nothing
    // may be written either.
    bool KeepAside(const std::string& path, IInstallSystem& system);
    // True when the run may delete, rename or keep aside path: below InstallDir (or one
    // of the levels above it that this run made), with no junction or symbolic link
    // from InstallDir down to it. The roll-back and the clean-up of kept copies touch
    // nothing else.
    bool Owns(const std::string& path, IInstallSystem& system);
    // The earlier logs of this title from newestKept on (TraceEarlierLogs) are taken
    // over: their entries go into the log, and their kept copies go, when the copy
    // completes; a roll-back leaves them as they are. Only in a folder only
    // administrators can change: a kept log elsewhere may be anyone's, and stays.
    void TakeOverEarlierLogs(const std::string& newestKept, IInstallSystem& system);
    // The copy completed, so no roll-back can come any more. In an order a kill at any
    // point leaves for a second run to finish: the kept copies of files go (this run's
    // log, still on disk, leads to every one left and to the earlier logs); then, when
    // earlier logs were taken over, the merged log (MergeLogEntries) replaces the log
    // in one step and takes the entries to come; last the kept logs go.
    void CompleteCopy(IInstallSystem& system);

    // What the description sets (ReadSettings).
    std::string Title = "product";
    uint32_t StartColor = 8347213;
    uint32_t EndColor = 2365465;
    uint8_t GradientSteps = 255;
    std::string ImageName;
    // What the copy sets, and only the copy; the run (InstallerModel.h) reads it.
    std::string InstallDir; // the location, when the copy starts
    bool InProgress = false; // one file is being extracted
    bool Cancelled = false;  // the roll-back has begun: a confirmed cancel or a failed file
    // A file could not be installed (the roll-back followed): the run ends as failed,
    // not as cancelled.
    bool Failed = false;

    // The uninstall log as a writer with the title, the created levels (relative part),
    // the earlier log kept aside when there was one, and itself; raises the I/O error
    // when it cannot be created.
    void StartLog(const std::string& relative, const TKeptCopy* earlierLog = nullptr);
    TLogFile* Log() { return FLog.get(); }
    void LoadDescription(const std::string& text) { FDescription.LoadText(text); }
    void FreeLog() { FLog.reset(); }

private:
    void CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system);
    // A free name for keeping the file at path aside; false when no file is there.
    bool PlanKeptCopy(const std::string& path, IInstallSystem& system, TKeptCopy& copy);
    bool MoveAside(const TKeptCopy& copy, IInstallSystem& system);
    // Deletes a kept copy, or has it deleted at the next start of Windows.
    void Discard(const std::string& kept, IInstallSystem& system);
    // Writes the log of what a roll-back left: the entries not undone, merged into the
    // earlier installation's log when that is back in its place.
    void KeepLogOf(const std::vector<std::string>& entries, bool intoEarlier, IInstallSystem& system);
    bool ReplaceWithMergedLog(IInstallSystem& system);

    std::unique_ptr<TCompressionManager> FPackage;
    TINFReader FDescription;
    std::unique_ptr<TLogFile> FLog;
    std::vector<std::string> FKept; // the copies of files moved aside in this run
    std::string FMadeLevels;        // "relative;InstallDir" of the levels this run made for it
    IFileSystem* FFiles = nullptr;  // the log's, from the system of the copy
    int32_t FMoveAsideCode = 0;     // why the last file could not go aside
    // Which levels are no links, as the last system asked told.
    struct TSystemLinks : IReparsePoints
    {
        IInstallSystem* System = nullptr;
        bool IsReparsePoint(const std::string& path) override { return System->IsReparsePointAt(path); }
    } FLinks;
    TReparseCache FLinkCache;
    TEarlierLogs FEarlier;
};

} // namespace installer
} // namespace kf
