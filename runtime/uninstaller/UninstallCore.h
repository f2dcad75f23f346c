// Everything the uninstaller decides, free of windows: the texts, the button rules of
// each page, the start-up copy's paths, and the removal of log entries through a
// small system interface. The form in UninstallMainForm only shows what this says.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "runtime/common/RemovalScope.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/UninstallLog.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kf {

class TLogFile;

namespace uninstall {

// Captions and messages, as the user sees them. CR is a lone carriage return.
extern const char* const kApplicationTitle;      // "Uninstall"
extern const char* const kInitFailedText;        // temporary copy not written
extern const char* const kInitFailedCaption;     // "Uninstall Failed"
extern const char* const kOpenErrorCaption;      // "Uninstall Error"
extern const char* const kIntroTemplate;         // lblIntro, with %TITLE%
extern const char* const kUninstallingTemplate;  // lblUninstalling, with %TITLE%
extern const char* const kCompleteTemplate;      // lblComplete, with %TITLE%
extern const char* const kErrorText;             // lblError
extern const char* const kTempCopyName;          // "uninst.exe"
extern const char* const kFallbackTempDir;       // "C:\TEMP\"

// Every "%TITLE%" replaced by title in one left-to-right scan; a title that itself
// holds "%TITLE%" is not expanded again.
std::string ReplaceTitle(const std::string& text, const std::string& title);

// "Uninstall " + title (nothing after the blank when the log has no title).
std::string WindowCaption(const std::string& title);

// The "Cannot open file: " message for the log path given on the command line.
std::string CannotOpenLogMessage(const std::string& logPath);

// lblProgress while an entry is undone: "Removing " + kind in lower case + " " + the
// value in quotation marks; "" for a kind RemoveEntry leaves alone.
std::string ProgressText(const std::string& kind, const std::string& value);


// Where the start-up copy goes: the temporary directory as the system reported it
// (raw, maybe padded), upper-cased, trimmed and with a trailing "\"; "C:\TEMP\" when
// that is empty or is the program's own directory (programDir with or without "\").
std::string TempCopyDirectory(const std::string& rawTempDir, const std::string& programDir);

// The restart parameter: the log beside the program, in quotation marks.
std::string RestartParameter(const std::string& programDir);

enum class TPage
{
    Intro,
    Uninstalling,
    Complete,
};

struct TButtonState
{
    bool PreviousEnabled;
    bool NextEnabled;
    bool CancelEnabled;
    bool NextIsFinish;  // btnNext caption "Finish" instead of "&Next >>"
    bool ResetErrors;   // hide lblError, btnMoreInfo, memErrors and empty memErrors
};

// The buttons a page shows (PageControlChange).
TButtonState ButtonsForPage(TPage page);

// FormCloseQuery: the window closes only on the welcome page; during and after the
// removal it stays until Next/Finish.
bool CanClose(TPage page);

// The operations the removal needs from the system. Every change to the disk goes
// through FileSystem(), which raises the I/O error with the system's code; the registry
// operations return 0 or the code.
class IRemovalSystem
{
public:
    virtual ~IRemovalSystem() = default;
    // Deletion of files (now or at the next restart), of folders, and attribute changes.
    virtual IFileSystem& FileSystem() = 0;
    // The attributes of a file or folder (kf::kAttr... bits); kNoAttributes when nothing
    // is there.
    virtual uint32_t AttributesAt(const std::string& path) = 0;
    // Asked after a deletion was refused as "access denied" with the file not read-only:
    // true when a program runs from the file (Windows lets such a file be opened for
    // deletion, and renamed, but not deleted), false when its permissions refuse it.
    virtual bool IsRunningImage(const std::string& path) = 0;
    // True when a junction or symbolic link stands at path (FILE_ATTRIBUTE_REPARSE_POINT);
    // false when nothing or anything else is there.
    virtual bool IsReparsePointAt(const std::string& path) = 0;
    virtual uint32_t DeleteRegistryKeyAt(TRegRoot root, const std::string& key) = 0;
    // The system's message text for an error code.
    virtual std::string ErrorMessage(uint32_t code) = 0;
    virtual void UnregisterUninstall(const std::string& keyName) = 0;
};

// What a removal left behind.
struct TRemovalReport
{
    std::vector<std::string> Lines;     // memErrors: every failure with its reason
    std::vector<std::string> Scheduled; // removed at the next restart, in the order asked
    bool LeftForGood = false;           // something stays that no restart will remove
    // Scheduled, upper-cased and sorted: what a folder holds is found by its prefix
    // without a pass over every scheduled path.
    std::set<std::string> ScheduledIndex;
};

// The memErrors line after the reason of a failure that goes at the next restart.
extern const char* const kAtRestartLine;

// AttributesAt's answer for a path where nothing is (INVALID_FILE_ATTRIBUTES).
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;

// True for the codes of a file that another program holds open (sharing or lock
// violation): a restart frees it. "Access denied" is in use only for a file a program
// runs from (IRemovalSystem::IsRunningImage).
bool IsInUseError(uint32_t code);

// Undoes one log entry, as it reads: for an entry known to be the installation's (the
// removal of a log goes through the overload with a scope below). Failures are added
// to the report.
//   "File": delete it. Refused as "access denied" or as in use for a read-only file
//     (the attribute came with the installed file), the attribute is cleared and the
//     file deleted again. On failure "Cannot remove file: "<path>"" and the reason
//     line. A file in use is then scheduled for the next restart (read-only no more, or
//     the restart could not delete it either), and kAtRestartLine follows when the
//     system took the request; any other file that stays keeps the attributes it had.
//     A missing file, a folder, or a file its permissions protect is never scheduled.
//   "Directory" (left ";" right): while left is not empty, remove right (on failure
//     "Cannot remove directory: "<right>"" and the reason line), then climb both with
//     ParentDir. A level that stays because it holds something already scheduled (or
//     is itself in use) is scheduled too: entries come newest first, and a folder's
//     entry precedes its files in the log, so the files are asked for before their
//     folders, and the climb asks for folders deepest first.
//   "Registry Key" (root "\" key, root "HKCU" or "HKLM"): delete the key with all its
//     subkeys; on failure "Cannot remove registry key: "<key>"". Another root gives
//     "Unrecognized rootkey: "<root>"" and deletes nothing: guessing a root could
//     delete a key the installation never created.
//   Anything else ("Title", "Source", unknown kinds): nothing. Kinds are case-sensitive.
// A reason line is seven blanks and the system's message text.
void RemoveEntry(const std::string& kind, const std::string& value, IRemovalSystem& system,
                 TRemovalReport& report);

// The same for an entry of a log that others may have written: a path outside scope,
// or reached through a link below its root, and a registry key that IsOwnRegistryKey
// refuses, are left alone with a line (kOutsideText, kThroughLinkText, kForeignKeyText
// and the value in quotation marks) that keeps the removal from counting as complete.
// A "Directory" value is judged level by level, the levels inside still go.
void RemoveEntry(const std::string& kind, const std::string& value, const TRemovalScope& scope,
                 IRemovalSystem& system, TRemovalReport& report);

// Where an installation lives, as the uninstaller finds it: the folder its log lies in,
// and the all-users Start menu programs folder and desktop (from HKEY_LOCAL_MACHINE: the
// current user's own are theirs to point anywhere).
struct TRemovalRoots
{
    std::string InstallDir;
    std::string Programs;
    std::string Desktop;
};

// What a log may touch: InstallDir and what lies below it, the levels above it that
// the log's own entry of InstallDir made (its relative part), the folder of every
// "Directory" entry below Programs (the program group; Programs itself, for a group
// without a name, only for its shortcuts) and the shortcuts on Desktop.
TRemovalScope ScopeForLog(const TLogFile& log, const TRemovalRoots& roots);

// Told about each entry before and after RemoveEntry, so the form can show progress and
// let pending window messages through. The text is empty for an entry that is left
// alone ("Title", "Backup"...): nothing is being removed, so nothing is shown.
class IRemovalProgress
{
public:
    virtual ~IRemovalProgress() = default;
    virtual void EntryStarting(const std::string& progressText) = 0;
    virtual void EntryDone() = 0;
};

// Undoes every entry of the log within scope, newest first, then unregisters the log's
// title.
void RunUninstall(TLogFile& log, const TRemovalScope& scope, IRemovalSystem& system, IRemovalProgress& progress,
                  TRemovalReport& report);

// A silent removal's exit code: kExitSuccess when nothing stayed, kExitRebootRequired
// when all that stayed goes at the next restart, else kExitFailed.
int RemovalExitCode(const TRemovalReport& report);

} // namespace uninstall
} // namespace kf
