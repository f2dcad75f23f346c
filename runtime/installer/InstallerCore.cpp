#include "runtime/installer/InstallerCore.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "runtime/installer/InstallerAppearance.h"
#include "runtime/installer/InstallerTexts.h"
#include "runtime/installer/UninstallEntry.h"

#include <algorithm>
#include <exception>
#include <set>

namespace kf {
namespace installer {

namespace {

constexpr size_t kMaxEarlierLogs = 16;

// A change whose failure the installing may ignore (optional work, a clean-up).
template <typename TChange>
bool Try(TChange change)
{
    return Attempt(change) == 0;
}

bool Holds(const std::string& folder, const std::set<std::string>& paths)
{
    std::string prefix = UpperCaseAscii(AddBackslash(folder));
    auto next = paths.upper_bound(prefix);
    return next != paths.end() && next->compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TAncestor FindExistingAncestor(const std::string& installDir, IInstallSystem& system)
{
    std::string existing = installDir;
    // ParentDir always shortens, and the empty path ends the climb: a location on a
    // missing drive or a relative one has no existing ancestor.
    while (!existing.empty() && !system.DirectoryExists(existing))
        existing = ParentDir(existing);
    std::string relative = installDir.substr(existing.size());
    if (!relative.empty() && relative.front() == '\\')
        relative.erase(0, 1);
    if (!relative.empty() && relative.back() == '\\')
        relative.pop_back();
    return {existing, relative};
}

bool CheckSetupPackage(const std::string& path)
{
    return IsSoundSetupFile(path, "install.inf");
}

std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value)
{
    std::vector<TUndoAction> actions;
    if (kind == "File")
        actions.push_back({true, value});
    else if (kind == "Directory")
        ForEachDirectoryUndoLevel(value, [&actions](const std::string& level) { actions.push_back({false, level}); });
    return actions;
}

std::string KeptCopyPath(const std::string& original, int attempt)
{
    std::string path = original + ".~kfkept";
    return attempt > 1 ? path + std::to_string(attempt) : path;
}

bool RestoreKeptCopy(const TKeptCopy& copy, IInstallSystem& system)
{
    if (system.AttributesAt(copy.Kept) == kNoFile)
        return true;
    IFileSystem& files = system.FileSystem();
    uint32_t there = system.AttributesAt(copy.Original);
    if (there != kNoFile && !(there & kAttrDirectory))
    {
        Try([&] { files.SetAttributes(copy.Original, kAttrNormal); }); // a read-only file would not go
        Try([&] { files.Delete(copy.Original); });
    }
    if (!Try([&] { files.Rename(copy.Kept, copy.Original); }))
        return false;
    Try([&] { files.SetAttributes(copy.Original, copy.Attributes); });
    return true;
}

std::vector<std::string> MergeLogEntries(const std::vector<std::string>& earlier,
                                         const std::vector<std::string>& current)
{
    std::vector<std::string> merged;
    // kind ": " value, blanks around either trimmed. A set, as a log of many thousand files
    // took the square of that in a search through every key seen.
    std::set<std::string> keys;
    std::string kind, value;
    if (!current.empty())
        merged.push_back(current.front());
    for (const std::vector<std::string>* lines : {&earlier, &current})
        for (const std::string& line : *lines)
        {
            if (&line == &current.front() || !ParseLogLine(line, kind, value) || kind == "Title" ||
                kind == kBackupKind)
                continue;
            if (keys.insert(kind + ": " + value).second)
                merged.push_back(line);
        }
    return merged;
}

bool IsKeptCopyName(const std::string& original, const std::string& kept)
{
    std::string first = KeptCopyPath(original, 1);
    if (kept.compare(0, first.size(), first) != 0)
        return false;
    std::string attempt = kept.substr(first.size());
    if (attempt.empty())
        return true;
    if (attempt.size() > 3 || attempt[0] == '0' || attempt.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int number = 0;
    for (char digit : attempt)
        number = number * 10 + (digit - '0');
    return number >= 2 && number <= kKeptAttempts;
}

std::string MergedLogPath(const std::string& logPath)
{
    return logPath + ".~kfnew";
}

TEarlierLogs TraceEarlierLogs(const std::string& logPath, const std::string& newest, const std::string& title,
                              IInstallSystem& system)
{
    TEarlierLogs found;
    std::set<std::string> seen; // in lower case: a later run may spell the folder otherwise
    std::vector<std::string> chain;
    std::string kept = newest, lowerLog = LowerCaseAscii(logPath), kind, value;
    size_t depth = 0;
    // The chain first (newest first, each log's entries before the newer ones), then
    // the kept logs no entry leads to.
    for (int attempt = 0; attempt <= kKeptAttempts; ++attempt)
    {
        bool inChain = attempt == 0;
        if (!inChain)
            kept = KeptCopyPath(logPath, attempt);
        std::string bytes, logTitle, next;
        if (kept.empty() || !seen.insert(LowerCaseAscii(kept)).second || system.AttributesAt(kept) == kNoFile ||
            !system.ReadFileAt(kept, bytes))
            continue;
        std::vector<std::string> lines = SplitLines(bytes), files;
        TKeptCopy copy;
        for (const std::string& line : lines)
            if (!ParseLogLine(line, kind, value))
                continue;
            else if (kind == "Title")
                logTitle = value;
            else if (kind == kBackupKind && ParseKeptCopy(value, copy) && IsKeptCopyName(copy.Original, copy.Kept))
            {
                if (LowerCaseAscii(copy.Original) != lowerLog)
                    files.push_back(copy.Kept);
                else if (next.empty())
                    next = copy.Kept;
            }
        // A log of another title that a run of this one kept aside would have gone when
        // that run completed; the logs it leads to are another installation's.
        if (inChain || logTitle == title)
            found.Logs.push_back(kept);
        if (logTitle != title)
            continue;
        found.Files.insert(found.Files.end(), files.begin(), files.end());
        std::vector<std::string>& into = inChain ? chain : found.Entries;
        into.insert(inChain ? into.begin() : into.end(), lines.begin(), lines.end());
        // Back along the chain, so many steps at most.
        if (inChain && !next.empty() && ++depth < kMaxEarlierLogs)
        {
            kept = next;
            --attempt;
        }
    }
    found.Entries.insert(found.Entries.end(), chain.begin(), chain.end());
    return found;
}

TInstaller::TInstaller(const std::string& setupPath)
    : TInstaller(std::make_unique<TCompressionManager>(setupPath, false, true, true))
{}

TInstaller::TInstaller(std::unique_ptr<TCompressionManager> package) : FPackage(std::move(package))
{
    if (FPackage)
        FDescription.LoadText(*FPackage->ReadEntryStream(inf::kEntryName));
}

void TInstaller::ReadSettings()
{
    if (HasSection(inf::kTitle))
        Title = FDescription.ReadValue(inf::kTitle);
    if (HasSection(inf::kStartColor))
        StartColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue(inf::kStartColor), static_cast<int32_t>(StartColor)));
    if (HasSection(inf::kEndColor))
        EndColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue(inf::kEndColor), static_cast<int32_t>(EndColor)));
    if (HasSection(inf::kImage))
        ImageName = FDescription.ReadValue(inf::kImage);
}

void TInstaller::StartLog(const std::string& relative, const TKeptCopy* earlierLog)
{
    std::string logPath = AddBackslash(InstallDir) + kLogName;
    FMadeLevels = relative + ";" + InstallDir; // before the log: a failed one is undone too
    FLog = std::make_unique<TLogFile>(logPath, true, nullptr, FFiles);
    FLog->AddTitleEntry(Title);
    if (!relative.empty())
        FLog->AddDirectoryEntry(InstallDir, relative);
    if (earlierLog)
        FLog->AddBackupEntry(*earlierLog);
    FLog->AddFileEntry(logPath);
}

bool TInstaller::PlanKeptCopy(const std::string& path, IInstallSystem& system, TKeptCopy& copy)
{
    uint32_t attributes = system.AttributesAt(path);
    if (attributes == kNoFile || (attributes & kAttrDirectory))
        return false;
    copy.Original = path;
    copy.Attributes = attributes;
    copy.Kept.clear();
    // A name taken by anything, even a kept copy of an earlier run, is never reused.
    for (int attempt = 1; attempt <= kKeptAttempts; ++attempt)
    {
        std::string kept = KeptCopyPath(path, attempt);
        if (system.AttributesAt(kept) == kNoFile)
        {
            copy.Kept = kept;
            break;
        }
    }
    return true;
}

bool TInstaller::MoveAside(const TKeptCopy& copy, IInstallSystem& system)
{
    if (copy.Kept.empty())
        return false;
    FMoveAsideCode = Attempt([&] { system.FileSystem().Rename(copy.Original, copy.Kept); });
    if (FMoveAsideCode != 0)
        return false;
    Try([&] { system.FileSystem().SetAttributes(copy.Kept, copy.Attributes | kAttrHidden); });
    return true;
}

bool TInstaller::Owns(const std::string& path, IInstallSystem& system)
{
    TRemovalScope scope;
    scope.AddTree(InstallDir);
    ForEachDirectoryUndoLevel(FMadeLevels, [&scope](const std::string& level) { scope.AddLevel(level); });
    if (FLinks.System != &system)
    {
        FLinks.System = &system;
        FLinkCache.Forget();
    }
    FLinkCache.Use(FLinks);
    return scope.Check(path, FLinkCache) == TScopeVerdict::Inside;
}

bool TInstaller::KeepAside(const std::string& path, IInstallSystem& system)
{
    // A link below the folder would carry the rename, and the file written after it,
    // elsewhere.
    if (!Owns(path, system))
        return false;
    TKeptCopy copy;
    if (!PlanKeptCopy(path, system, copy))
        return true;
    if (copy.Kept.empty())
        return false;
    // Logged before the rename: a setup that dies right after it still has the record.
    if (FLog)
        FLog->AddBackupEntry(copy);
    if (!MoveAside(copy, system))
        return false;
    FKept.push_back(copy.Kept);
    return true;
}

void TInstaller::TakeOverEarlierLogs(const std::string& newestKept, IInstallSystem& system)
{
    if (!system.IsProtectedFolder(InstallDir))
    {
        FEarlier = TEarlierLogs();
        return;
    }
    FEarlier = TraceEarlierLogs(AddBackslash(InstallDir) + kLogName, newestKept, Title, system);
}

void TInstaller::Discard(const std::string& kept, IInstallSystem& system)
{
    if (!Owns(kept, system) || system.AttributesAt(kept) == kNoFile)
        return;
    IFileSystem& files = system.FileSystem();
    Try([&] { files.SetAttributes(kept, kAttrNormal); });
    // A program that was running when the copy replaced it can be renamed but not
    // deleted; it goes when Windows next starts rather than never.
    if (!Try([&] { files.Delete(kept); }))
        Try([&] { files.DeleteAtRestart(kept); });
}

bool TInstaller::ReplaceWithMergedLog(IInstallSystem& system)
{
    std::vector<std::string> merged = MergeLogEntries(FEarlier.Entries, FLog->Lines());
    std::string logPath = FLog->FileName(), temp = MergedLogPath(logPath);
    FLog->Close();
    std::unique_ptr<TLogFile> next;
    try
    {
        next = std::make_unique<TLogFile>(temp, true, &merged, &system.FileSystem());
        next->Close();
    }
    catch (const std::exception&)
    {
        // No room for it, most likely: this run's log stays as it is, and leads a later
        // run to the kept logs.
        Try([&] { system.FileSystem().Delete(temp); });
        return false;
    }
    if (Try([&] { system.FileSystem().Replace(temp, logPath); }))
    {
        next->Renamed(logPath);
        FLog = std::move(next);
        return true;
    }
    // Someone holds the log open: this run's log stays, and leads a later run to the
    // kept logs.
    Try([&] { system.FileSystem().Delete(temp); });
    return false;
}

void TInstaller::CompleteCopy(IInstallSystem& system)
{
    for (const std::vector<std::string>* files : {&FKept, &FEarlier.Files})
        for (const std::string& kept : *files)
            Discard(kept, system);
    FKept.clear();
    if (FLog && !FEarlier.Entries.empty() && !ReplaceWithMergedLog(system))
        return;
    // Between the replacement and here a kill leaves kept logs whose entries the log
    // holds already; the next run takes them in and deletes them.
    for (const std::string& kept : FEarlier.Logs)
        Discard(kept, system);
    FEarlier = TEarlierLogs();
}

void TInstaller::CreatePath(const std::string& directory, IInstallSystem& system)
{
    std::string rest = RemoveDoubleBackslash(directory);
    // A network share is no folder to make or log: the levels start below it.
    std::string built = AddBackslash(UncRoot(rest));
    rest.erase(0, built.size());
    while (!rest.empty())
    {
        size_t cut = rest.find('\\');
        std::string component = cut == std::string::npos ? rest : rest.substr(0, cut + 1);
        rest.erase(0, component.size());
        built += component;
        if (!system.DirectoryExists(built))
        {
            // A level that cannot be made is still logged: the file that needs it then
            // fails, and the roll-back finds nothing to remove there.
            Try([&] { system.FileSystem().MakeDirectories(built); });
            if (FLog)
                FLog->AddDirectoryEntry(built, component);
        }
    }
}

TCopyResult TInstaller::Copy(const std::string& location, IInstallSystem& system, IInstallView& view)
{
    InstallDir = location;
    FFiles = &system.FileSystem();
    TAncestor ancestor = FindExistingAncestor(InstallDir, system);
    // A folder that cannot be made fails the log below, with the system's reason.
    Try([&] { system.FileSystem().MakeDirectories(InstallDir); });
    // A folder made where standard users may write (directly under C:\, say) would let
    // them edit the log and the files the next elevated run trusts; below Program
    // Files it inherits the right permissions and is left as it is.
    if (!ancestor.Existing.empty() && !ancestor.Relative.empty())
    {
        std::string top = AddBackslash(ancestor.Existing) + ancestor.Relative.substr(0, ancestor.Relative.find('\\'));
        if (!system.IsProtectedFolder(top))
            system.ProtectFolder(top);
    }
    // An earlier installation's log goes aside rather than being truncated, so that a
    // roll-back leaves that installation able to uninstall.
    std::string logPath = AddBackslash(InstallDir) + kLogName;
    // A merge a killed run left half written: the log it would have replaced still holds
    // everything.
    if (system.AttributesAt(MergedLogPath(logPath)) != kNoFile)
        Try([&] { system.FileSystem().Delete(MergedLogPath(logPath)); });
    TKeptCopy earlierLog;
    bool keptLog = PlanKeptCopy(logPath, system, earlierLog), moved = false;
    try
    {
        // The earlier installation's log is never written over: one that cannot go
        // aside stops the copy, as a log that cannot be created does.
        if (keptLog)
        {
            if (earlierLog.Kept.empty())
                throw TIOError(kErrAlreadyExists);
            system.FileSystem().Rename(earlierLog.Original, earlierLog.Kept);
            moved = true;
            Try([&] { system.FileSystem().SetAttributes(earlierLog.Kept, earlierLog.Attributes | kAttrHidden); });
        }
        StartLog(ancestor.Relative, keptLog ? &earlierLog : nullptr);
    }
    catch (const std::exception& error)
    {
        // A log begun and not finished is this run's; the earlier one goes back.
        FLog.reset();
        if (!keptLog || moved)
            Try([&] { system.FileSystem().Delete(logPath); });
        FKept.clear();
        if (keptLog)
            RestoreKeptCopy(earlierLog, system);
        // What this step made for the log is taken away again; nothing else exists yet.
        TLeftovers left;
        if (!ancestor.Relative.empty())
            UndoEntry("Directory", ancestor.Relative + ";" + InstallDir, system, left);
        view.ShowLogError(error.what());
        return TCopyResult::LogFailed;
    }
    TakeOverEarlierLogs(keptLog ? earlierLog.Kept : std::string(), system);

    for (const std::string& line : FDescription.ReadSection(inf::kDirectories))
    {
        auto [left, right] = SplitValue(line);
        std::string directory = AddBackslash(InstallDir) + AddBackslash(left) + right;
        Try([&] { system.FileSystem().MakeDirectories(directory); });
        FLog->AddDirectoryEntry(directory, right);
    }

    view.CopyStarted();
    struct TProgressGuard
    {
        TCompressionManager& Package;
        ~TProgressGuard() { Package.OnProgress = nullptr; }
    } progressGuard{*FPackage};
    bool cancelInFile = false;
    FPackage->OnProgress = [&view, &cancelInFile](TCompressionManager& package, int32_t position, int32_t size) {
        view.SetFileProgress(position, size);
        // Only a stop request here: the roll-back comes once the file is closed.
        if (view.Pump())
        {
            cancelInFile = true;
            package.SetCancel(true);
        }
    };

    std::vector<std::string> files = FDescription.ReadSection(inf::kFiles);
    int32_t count = static_cast<int32_t>(files.size());
    view.SetTotalProgress(0, count - 1);
    if (view.Pump())
        return AbortInstall(system, view);
    // Files come folder by folder: a folder made or found for one file is there for the next,
    // and asking again for every level of it cost more than writing a small file.
    std::string preparedDirectory;
    for (int32_t i = 0; i < count; ++i)
    {
        auto [entry, target] = SplitValue(files[i]);
        std::string destination = AddBackslash(InstallDir) + target;
        view.SetInstallingFile(ExtractingText(target));
        // A Cancel confirmed while the label repainted: nothing of this file exists yet.
        if (view.Pump())
            return AbortInstall(system, view);
        std::string directory = DirectoryPart(RemoveDoubleBackslash(destination));
        if (directory != preparedDirectory)
        {
            CreatePath(directory, system);
            preparedDirectory = directory;
        }
        // A missing entry writes nothing, so what stands there stays where it is.
        FMoveAsideCode = 0;
        bool failed = FPackage->GetEntrySize(entry) >= 0 && !KeepAside(destination, system);
        // What a log names beside the message: the system's words for why.
        std::string reason = !failed ? std::string()
                             : FMoveAsideCode  ? IOErrorMessage(FMoveAsideCode)
                                               : std::string("the file there cannot be kept aside");
        if (!failed)
        {
            FLog->AddFileEntry(destination); // before writing, so a roll-back gets a partial file too
            InProgress = true;
            try
            {
                FPackage->ExtractFile(entry, destination, &system.FileSystem());
            }
            catch (const TError& error)
            {
                failed = true;
                reason = error.Reason().empty() ? error.Message() : error.Message() + " (" + error.Reason() + ")";
            }
            catch (const std::exception& error)
            {
                failed = true;
                reason = error.what();
            }
        }
        InProgress = false;
        if (failed)
        {
            view.ShowInstallFailure(InstallErrorText(destination), reason);
            Failed = true;
            return AbortInstall(system, view);
        }
        if (cancelInFile)
            return AbortInstall(system, view);
        view.SetTotalProgress(i + 1, count - 1);
        if (view.Pump())
            return AbortInstall(system, view);
    }
    CompleteCopy(system);
    return TCopyResult::Completed;
}

void TInstaller::CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system)
{
    for (const std::string& line : lines)
    {
        auto [caption, target] = SplitValue(line);
        std::string base = AddBackslash(folder) + caption;
        std::string created =
            IsURL(target) ? system.CreateShortcut(base, target, std::string())
                          : system.CreateShortcut(base, AddBackslash(InstallDir) + target, AddBackslash(InstallDir));
        if (!created.empty() && FLog)
            FLog->AddFileEntry(created);
    }
}

void TInstaller::GroupStep(IInstallSystem& system, IInstallView& view)
{
    view.GroupStepStarted();
    std::string group = FDescription.ReadValue(inf::kProgramGroup);
    std::string groupDir = system.GroupDir(group);
    if (FLog)
        FLog->AddDirectoryEntry(groupDir, group);
    CreateIcons(FDescription.ReadSection(inf::kGroupIcons), groupDir, system);
    system.RegisterUninstall(Title, RegistrationFor(Title, InstallDir, FDescription, FPackage.get()));
    for (const std::string& line : FDescription.ReadSection(inf::kRunAndWait))
    {
        view.SetCompleting(RunningText(line));
        view.Pump();
        system.RunAndWait(AddBackslash(InstallDir) + line);
    }
    view.BringToFront();
}

void TInstaller::Finish(bool desktopIcons, bool launchNow, IInstallSystem& system)
{
    if (desktopIcons)
    {
        std::string desktop = system.CommonDesktopDir();
        // Without an all-users desktop the shortcut would land in the current folder.
        if (!desktop.empty())
            CreateIcons(FDescription.ReadSection(inf::kDesktopIcons), desktop, system);
    }
    if (launchNow)
        system.Launch(AddBackslash(InstallDir) + FDescription.ReadValue(inf::kLaunch), InstallDir);
}

TCopyResult TInstaller::AbortInstall(IInstallSystem& system, IInstallView& view)
{
    Cancelled = true;
    // Every undo catches its own failures and counts them; nothing is swallowed here.
    return RollBack(system, view) ? TCopyResult::EndProgram : TCopyResult::RolledBackPartly;
}

bool TInstaller::RollBack(IInstallSystem& system, IInstallView& view)
{
    if (!FLog)
        return true;
    FLog->Close(); // the log itself is undone too, and the earlier one put back in its place
    int32_t count = FLog->Count();
    view.SetTotalProgress(count, count);
    view.SetFileProgress(1, 1);
    view.Pump();
    TLeftovers left;
    std::vector<std::string> notUndone; // newest first
    std::string kind, value, logPath = FLog->FileName();
    // Whether an earlier installation's log comes back in this one's place.
    bool earlierLogBack = false, earlierLogRestored = false;
    for (const std::string& line : FLog->Lines())
        if (ParseLogLine(line, kind, value) && kind == kBackupKind && value.compare(0, logPath.size() + 1, logPath + "|") == 0)
            earlierLogBack = true;
    int32_t remaining = count;
    while (FLog->ReadPrevious(kind, value))
    {
        view.SetTotalLabel(kCancellingText);
        // A "Backup" value shows its original path; no other value holds a "|".
        view.SetInstallingFile(RemovingText(value.substr(0, value.find('|'))));
        view.SetFileProgress(1, 1);
        view.Pump();
        // The log stays while anything it names does: it is what finishes the work.
        bool undone = true, earlierLog = kind == kBackupKind && value.compare(0, logPath.size() + 1, logPath + "|") == 0;
        TKeptCopy kept;
        bool earlierThere = earlierLog && ParseKeptCopy(value, kept) && system.AttributesAt(kept.Kept) != kNoFile;
        if (kind != "File" || value != logPath || left.Paths.empty())
            undone = UndoEntry(kind, value, system, left);
        else if (earlierLogBack)
        {
            // The earlier log, put back in its place, takes the entries left.
        }
        else
        {
            // It stays while anything it names does, and goes with the rest at the
            // restart, before the folders that hold it; until then the uninstaller or
            // this setup run again can finish with it.
            undone = false;
            left.Paths.insert(UpperCaseAscii(logPath));
            if (!Try([&] { system.FileSystem().DeleteAtRestart(logPath); }))
                left.ForGood = true;
        }
        if (earlierLog)
            earlierLogRestored = undone && earlierThere;
        if (!undone || kind == "Title")
            notUndone.push_back(kind + ": " + value);
        view.SetFileProgress(0, 1);
        view.SetTotalProgress(--remaining, count);
        view.Pump();
    }
    if (left.Paths.empty())
        return true;
    std::reverse(notUndone.begin(), notUndone.end());
    KeepLogOf(notUndone, earlierLogRestored, system);
    bool logKept = system.AttributesAt(logPath) != kNoFile;
    view.ShowInstallError(RollBackIncompleteText(!left.ForGood, logKept ? logPath : std::string()));
    return false;
}

void TInstaller::KeepLogOf(const std::vector<std::string>& entries, bool intoEarlier, IInstallSystem& system)
{
    std::string logPath = FLog->FileName(), earlier;
    try
    {
        if (intoEarlier && system.ReadFileAt(logPath, earlier))
        {
            // The earlier installation's log, back in its place, takes the entries it
            // lacks at its end: its uninstaller removes them first, then the rest. Only
            // appended to: a rewrite that failed half way would lose that log.
            std::vector<std::string> lines = SplitLines(earlier);
            std::string text = !earlier.empty() && earlier.back() != '\n' && earlier.back() != '\r' ? "\r\n" : "";
            for (const std::string& entry : entries)
                if (entry.compare(0, 6, "Title:") != 0 && std::find(lines.begin(), lines.end(), entry) == lines.end())
                    text += entry + "\r\n";
            std::unique_ptr<IFileWriter> log = system.FileSystem().OpenAppend(logPath);
            log->Write(text.data(), static_cast<int32_t>(text.size()));
            log->Close();
            return;
        }
        // This run's own log, or none: written in its place, naming itself so that the
        // uninstaller removes it too.
        std::vector<std::string> lines = entries;
        if (std::find(lines.begin(), lines.end(), "File: " + logPath) == lines.end())
            lines.insert(lines.begin() + (lines.empty() ? 0 : 1), "File: " + logPath);
        TLogFile(logPath, true, &lines, &system.FileSystem()).Close();
    }
    catch (const std::exception&)
    {
        // What the restart does not remove is then named by nothing but the message.
    }
}

bool TInstaller::UndoEntry(const std::string& kind, const std::string& value, IInstallSystem& system,
                           TLeftovers& left)
{
    IFileSystem& files = system.FileSystem();
    TKeptCopy kept;
    // A damaged "Backup" value restores nothing: a guessed path could replace a good file.
    if (kind == kBackupKind && ParseKeptCopy(value, kept) && Owns(kept.Original, system) && Owns(kept.Kept, system) &&
        !RestoreKeptCopy(kept, system))
    {
        // The user's file stays where it was kept, hidden; a restart must not take it.
        left.Paths.insert(UpperCaseAscii(kept.Kept));
        left.ForGood = true;
        return false;
    }
    bool undone = true;
    for (const TUndoAction& action : UndoActions(kind, value))
    {
        if (!Owns(action.Path, system))
            continue;
        if (action.IsFile)
        {
            if (Try([&] { files.Delete(action.Path); }))
                continue;
            // Nothing there, or a folder where a file failed to go: nothing of this run's.
            uint32_t attributes = system.AttributesAt(action.Path);
            if (attributes == kNoFile || (attributes & kAttrDirectory))
                continue;
            // A read-only file this run wrote goes once the attribute does.
            if ((attributes & kAttrReadOnly) &&
                Try([&] { files.SetAttributes(action.Path, attributes & ~uint32_t(kAttrReadOnly)); }) &&
                Try([&] { files.Delete(action.Path); }))
                continue;
            undone = false;
            left.Paths.insert(UpperCaseAscii(action.Path));
            if (!Try([&] { files.DeleteAtRestart(action.Path); }))
                left.ForGood = true;
        }
        // A folder that is not empty for what others put there since stays, as it
        // always has; one refused otherwise, or holding what this roll-back leaves, is
        // left, and asked for after what it holds: the restart removes the files first.
        else if (int32_t code = Attempt([&] { files.RemoveFolder(action.Path); });
                 code != 0 && system.DirectoryExists(action.Path) &&
                 (code != kErrDirNotEmpty || Holds(action.Path, left.Paths)))
        {
            undone = false;
            left.Paths.insert(UpperCaseAscii(action.Path));
            if (!Try([&] { files.DeleteAtRestart(action.Path); }))
                left.ForGood = true;
        }
    }
    return undone;
}

} // namespace installer
} // namespace kf