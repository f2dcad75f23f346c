#include "runtime/uninstaller/UninstallCore.h"

#include "platform/FileSystem.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/UninstallLog.h"

namespace kf {
namespace uninstall {

const char* const kApplicationTitle = "Uninstall";
const char* const kInitFailedText =
    "Uninstall failed to initialize. An error occurred writing to the temporary directory.";
const char* const kInitFailedCaption = "Uninstall Failed";
const char* const kOpenErrorCaption = "Uninstall Error";
const char* const kIntroTemplate =
    "Welcome to Uninstall for %TITLE%.\r\r"
    "This program will remove %TITLE% and associated files from your computer.\r\r"
    "Press \"Next\" to continue, or \"Cancel\" to quit.";
const char* const kUninstallingTemplate = "Removing %TITLE% files and directories....";
const char* const kCompleteTemplate = "This program has completed the removal of %TITLE% from your computer.";
const char* const kErrorText = "Some components could not be automatically removed. "
                               "Click the \"More Information\" button below for details.";
const char* const kTempCopyName = "uninst.exe";
const char* const kFallbackTempDir = "C:\\TEMP\\";
const char* const kAtRestartLine = "       It will be removed when Windows restarts.";

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The second memErrors line of a failure: the system's reason, indented.
std::string ReasonLine(IRemovalSystem& system, uint32_t code) { return "       " + system.ErrorMessage(code); }

// Windows' codes, spelled out: this file is built without windows.h.
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorDirNotEmpty = 145;

void AddFailure(const std::string& what, const std::string& path, uint32_t code, IRemovalSystem& system,
                TRemovalReport& report)
{
    report.Lines.push_back(what + Quoted(path));
    report.Lines.push_back(ReasonLine(system, code));
}

// A failure that a restart may still mend: asked for at once, so the requests keep the
// order of the log's undoing. False when the system refused the request.
bool LeaveForRestart(const std::string& path, IRemovalSystem& system, TRemovalReport& report)
{
    if (Attempt([&] { system.FileSystem().DeleteAtRestart(path); }) != 0)
    {
        report.LeftForGood = true;
        return false;
    }
    report.Scheduled.push_back(path);
    report.ScheduledIndex.insert(UpperCaseAscii(path));
    report.Lines.push_back(kAtRestartLine);
    return true;
}

void RemoveFile(const std::string& path, IRemovalSystem& system, TRemovalReport& report)
{
    IFileSystem& files = system.FileSystem();
    uint32_t code = Attempt([&] { files.Delete(path); });
    if (code == 0)
        return;
    // Windows refuses to delete a read-only file with the same code as one a program
    // runs from; the attribute is no reason to keep an installed file. A file another
    // program holds open fails the opening for deletion before the attribute counts: it
    // loses the attribute too, or the removal at the next restart would fail as well.
    uint32_t attributes =
        code == kErrorAccessDenied || IsInUseError(code) ? system.AttributesAt(path) : kNoAttributes;
    // (kNoAttributes has the folder bit too.)
    bool readOnly = (attributes & (kAttrReadOnly | kAttrDirectory)) == kAttrReadOnly;
    bool cleared =
        readOnly && Attempt([&] { files.SetAttributes(path, attributes & ~uint32_t(kAttrReadOnly)); }) == 0;
    if (cleared && (code = Attempt([&] { files.Delete(path); })) == 0)
        return;
    AddFailure("Cannot remove file: ", path, code, system, report);
    bool stillReadOnly = readOnly && !cleared;
    bool inUse = IsInUseError(code) || (code == kErrorAccessDenied && !stillReadOnly && system.IsRunningImage(path));
    if (inUse && LeaveForRestart(path, system, report))
        return;
    if (cleared)
        Attempt([&] { files.SetAttributes(path, attributes); }); // what stays, stays as it was found
    report.LeftForGood = true;
}

bool HoldsScheduled(const std::string& folder, const TRemovalReport& report)
{
    std::string prefix = UpperCaseAscii(AddBackslash(folder));
    // Every path that begins with the prefix sorts right after it.
    auto next = report.ScheduledIndex.upper_bound(prefix);
    return next != report.ScheduledIndex.end() && next->compare(0, prefix.size(), prefix) == 0;
}

// The system's answer to "is this a reparse point".
struct TSystemLinks : IReparsePoints
{
    IRemovalSystem& System;
    explicit TSystemLinks(IRemovalSystem& system) : System(system) {}
    bool IsReparsePoint(const std::string& level) override { return System.IsReparsePointAt(level); }
};

// What an entry of a log others may have written is judged by.
struct TScoped
{
    const TRemovalScope& Scope;
    IReparsePoints& Links;
};

// False, with the line that says why, for a path the scope does not let the removal touch.
bool Admitted(const std::string& path, const TScoped* scoped, TRemovalReport& report)
{
    if (!scoped)
        return true;
    TScopeVerdict verdict = scoped->Scope.Check(path, scoped->Links);
    if (verdict == TScopeVerdict::Inside)
        return true;
    report.Lines.push_back((verdict == TScopeVerdict::Outside ? kOutsideText : kThroughLinkText) + Quoted(path));
    report.LeftForGood = true;
    return false;
}

void RemoveDirectoryLevels(const std::string& value, IRemovalSystem& system, TRemovalReport& report,
                           const TScoped* scoped = nullptr)
{
    ForEachDirectoryUndoLevel(value, [&](const std::string& level) {
        if (!Admitted(level, scoped, report))
            return;
        uint32_t code = Attempt([&] { system.FileSystem().RemoveFolder(level); });
        if (code == 0)
            return;
        AddFailure("Cannot remove directory: ", level, code, system, report);
        // A folder that stays for a user's own file would stay after a restart too.
        if (code == kErrorSharingViolation || (code == kErrorDirNotEmpty && HoldsScheduled(level, report)))
            LeaveForRestart(level, system, report);
        else
            report.LeftForGood = true;
    });
}

void RemoveRegistryKey(const std::string& value, IRemovalSystem& system, TRemovalReport& report,
                       const TScoped* scoped = nullptr)
{
    size_t split = value.find('\\');
    std::string root = split == std::string::npos ? value : value.substr(0, split);
    std::string key = split == std::string::npos ? std::string() : value.substr(split + 1);
    TRegRoot rootKey;
    if (root == "HKCU")
        rootKey = TRegRoot::CurrentUser;
    else if (root == "HKLM")
        rootKey = TRegRoot::LocalMachine;
    else
    {
        report.Lines.push_back("Unrecognized rootkey: " + Quoted(root));
        report.LeftForGood = true;
        return;
    }
    if (scoped && !IsOwnRegistryKey(key))
    {
        report.Lines.push_back(kForeignKeyText + Quoted(value));
        report.LeftForGood = true;
        return;
    }
    if (system.DeleteRegistryKeyAt(rootKey, key) != 0)
    {
        report.Lines.push_back("Cannot remove registry key: " + Quoted(key));
        report.LeftForGood = true;
    }
}

} // namespace

std::string ReplaceTitle(const std::string& text, const std::string& title)
{
    static const std::string placeholder = "%TITLE%";
    std::string result;
    size_t from = 0;
    for (size_t at; (at = text.find(placeholder, from)) != std::string::npos; from = at + placeholder.size())
        result += text.substr(from, at - from) + title;
    return result + text.substr(from);
}

std::string WindowCaption(const std::string& title) { return "Uninstall " + title; }

std::string CannotOpenLogMessage(const std::string& logPath)
{
    return "Cannot open file: " + Quoted(logPath) + ".\r\rThis software cannot be automatically removed from your computer.";
}

std::string ProgressText(const std::string& kind, const std::string& value)
{
    // A kept copy's record is the installer's bookkeeping, not something the user
    // installed: it shows nothing.
    if (kind == kBackupKind)
        return std::string();
    return "Removing " + LowerCaseAscii(kind) + " " + Quoted(value);
}

std::string TempCopyDirectory(const std::string& rawTempDir, const std::string& programDir)
{
    std::string temp = AddBackslash(TrimText(UpperCaseAscii(rawTempDir)));
    if (temp.empty() || temp == AddBackslash(UpperCaseAscii(programDir)))
        return kFallbackTempDir;
    return temp;
}

std::string RestartParameter(const std::string& programDir)
{
    return Quoted(AddBackslash(programDir) + kLogName);
}

TButtonState ButtonsForPage(TPage page)
{
    switch (page)
    {
    case TPage::Intro:
        return {false, true, true, false, true};
    case TPage::Uninstalling:
        return {false, false, false, false, false};
    case TPage::Complete:
        return {false, true, false, true, false};
    }
    return {false, false, false, false, false};
}

bool CanClose(TPage page) { return page == TPage::Intro; }

bool IsInUseError(uint32_t code)
{
    return code == kErrorSharingViolation || code == kErrorLockViolation;
}

void RemoveEntry(const std::string& kind, const std::string& value, IRemovalSystem& system, TRemovalReport& report)
{
    if (kind == "File")
        RemoveFile(value, system, report);
    else if (kind == "Directory")
        RemoveDirectoryLevels(value, system, report);
    else if (kind == "Registry Key")
        RemoveRegistryKey(value, system, report);
}

namespace {

void RemoveScoped(const std::string& kind, const std::string& value, const TScoped& scoped, IRemovalSystem& system,
                  TRemovalReport& report)
{
    if (kind == "File")
    {
        if (Admitted(value, &scoped, report))
            RemoveFile(value, system, report);
    }
    else if (kind == "Directory")
        RemoveDirectoryLevels(value, system, report, &scoped);
    else if (kind == "Registry Key")
        RemoveRegistryKey(value, system, report, &scoped);
}

} // namespace

void RemoveEntry(const std::string& kind, const std::string& value, const TRemovalScope& scope,
                 IRemovalSystem& system, TRemovalReport& report)
{
    TSystemLinks links(system);
    RemoveScoped(kind, value, {scope, links}, system, report);
}

TRemovalScope ScopeForLog(const TLogFile& log, const TRemovalRoots& roots)
{
    TRemovalScope scope;
    scope.AddTree(roots.InstallDir);
    std::string installDir = OwnableFolder(roots.InstallDir);
    std::string programs = OwnableFolder(roots.Programs);
    scope.AddShortcutFolder(roots.Desktop);
    std::string kind, value;
    for (const std::string& line : log.Lines())
    {
        if (!ParseLogLine(line, kind, value) || kind != "Directory")
            continue;
        std::string folder = OwnableFolder(value.substr(value.find(';') + 1));
        if (folder.empty())
            continue;
        if (folder == installDir)
            ForEachDirectoryUndoLevel(value, [&](const std::string& level) {
                if (OwnableFolder(level) != installDir)
                    scope.AddLevel(level);
            });
        else if (!programs.empty() && folder == programs)
            scope.AddShortcutFolder(roots.Programs);
        else if (!programs.empty() && folder.compare(0, programs.size() + 1, programs + "\\") == 0)
            scope.AddTree(value.substr(value.find(';') + 1));
    }
    return scope;
}

void RunUninstall(TLogFile& log, const TRemovalScope& scope, IRemovalSystem& system, IRemovalProgress& progress,
                  TRemovalReport& report)
{
    TSystemLinks links(system);
    TReparseCache cache(links);
    TScoped scoped{scope, cache};
    std::string kind, value;
    while (log.ReadPrevious(kind, value))
    {
        progress.EntryStarting(ProgressText(kind, value));
        RemoveScoped(kind, value, scoped, system, report);
        progress.EntryDone();
    }
    system.UnregisterUninstall(log.Title());
}

int RemovalExitCode(const TRemovalReport& report)
{
    if (report.Lines.empty())
        return kExitSuccess;
    return report.LeftForGood ? kExitFailed : kExitRebootRequired;
}

} // namespace uninstall
} // namespace kf
