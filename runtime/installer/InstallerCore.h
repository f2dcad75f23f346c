// What the installer decides, free of windows: the texts it shows, the base-directory
// table, the space estimate, the wizard's step table, the background gradient, the
// check of its own package, and the installing itself (copy, program group, finish,
// abort and roll-back) against two small interfaces, one to the system and one to the
// wizard. The forms in MainFormUnit and WizardFormUnit create controls and forward
// events to this.
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

// Captions and fixed texts, exactly as the user sees them.
extern const char* const kApplicationTitle;       // "Kitforge"
extern const char* const kCancelCaption;          // "Cancel Installation"
extern const char* const kLicenseAgreeText;       // lblLicenseAgree
extern const char* const kInstallingFilesText;    // "Installing files..."
extern const char* const kCreatingGroupsText;     // "Creating program groups..."
extern const char* const kCancellingText;         // "Cancelling installation..."
extern const char* const kInsufficientLabelText;  // lblInsufficientDiskSpace
extern const char* const kInsufficientCaption;    // "Insufficient Disk Space"
extern const char* const kErrorCaption;           // "Error"
extern const char* const kNoPrinterText;          // the "No Printer" question
extern const char* const kNoPrinterCaption;       // "No Printer"
extern const char* const kAddPrinterCommand;      // the Add Printer wizard's command line
extern const char* const kSelectDirCaption;       // "Select Install Directory"
extern const char* const kNoDirectoryText;        // Browse: empty path
extern const char* const kNoDirectoryCaption;     // "No Directory Selected"
extern const char* const kCannotCreateText;       // Browse: path not creatable
extern const char* const kCannotCreateCaption;    // "Could Not Create Path"
extern const char* const kDamagedSetupText;       // the setup file is damaged
extern const char* const kDamagedSetupCaption;
extern const char* const kNextCaption;            // "&Next >>"
extern const char* const kPreviousCaption;        // "<< &Previous "
extern const char* const kYesCaption;             // "&Yes"
extern const char* const kNoCaption;              // "&No"
extern const char* const kLogName;                // "uninstall.log"

// Texts with the title in them. CR is a lone carriage return, as the labels show it.
std::string WelcomeText(const std::string& title);
std::string WhereToInstallText(const std::string& title);
std::string CompleteText(const std::string& title, bool launchVisible, bool desktopVisible);
std::string LicenseRefusalQuestion(const std::string& title);
std::string AbortQuestion(const std::string& title);  // Cancel while a file is extracted
std::string CloseQuestion(const std::string& title);  // closing the wizard or background
std::string InsufficientSpaceText(const std::string& title);
std::string InstallErrorText(const std::string& destination);
std::string ExtractingText(const std::string& target);  // "Extracting " target "..."
std::string RemovingText(const std::string& value);     // "Removing " value "..."
std::string RunningText(const std::string& line);       // "Running external program " line "..."
std::string PrintJobTitle(const std::string& title);    // title + " License Agreement"
// "<bytes div 1024> kb", truncated toward zero (so -1 gives "0 kb").
std::string KilobytesText(int64_t bytes);

// The base directories the placeholders of "[basedir]" stand for, read from the system.
struct TBaseDirectories
{
    std::string ProgramFiles; // GetProgramFilesDir
    std::string Windows;      // GetWindowsDir
    std::string Desktop;      // GetDesktopDir(1), the current user's
    std::string Fonts;        // GetFontsDir
};

// The base directory of a "[basedir]" value, compared exactly (letter case counts):
// "%PROGRAM FILES%", "%WINDOWS%", "%SYSTEM%" (Windows + "SYSTEM32\"), "%C ROOT%" ("C:\"),
// "%DESKTOP%", "%FONTS%", each with a trailing "\"; anything else, "Custom" included,
// gives "".
std::string ResolveBaseDir(const std::string& value, const TBaseDirectories& dirs);

// A colour section's text as a decimal integer, or fallback when it is not a valid one
// (blanks, signs only, trailing junk, out of the 32-bit range).
int32_t ParseColor(const std::string& text, int32_t fallback);

// Each 8-bit channel: trunc(c1 * f) + trunc(c2 * (1 - f)), modulo 256.
uint32_t BlendColors(uint32_t c1, uint32_t c2, double f);

// Band i of steps across a client area of the given height: its top and bottom row and
// its colour.
struct TBand
{
    int Top;
    int Bottom;
    uint32_t Color;
};
std::vector<TBand> GradientBands(uint32_t startColor, uint32_t endColor, int steps, int height);

// trunc(1.1 * sum over the "[files]" lines of (GetEntrySize(left part) + 4096)); a
// missing entry counts -1. Summed in 64 bits: a package near the 2 GiB limit must not
// wrap into a negative requirement that every drive would satisfy.
int64_t EstimateSpace(const TINFReader& description, const TCompressionManager& package);

// The drive GetFreeSpace asks about: 1 for A to 26 for Z when the path is longer than
// two characters and its second is ":", else 0 (the current drive).
int DriveNumberFor(const std::string& path);

// Deepest existing ancestor of installDir (the installDir itself when it exists), found
// by climbing with ParentDir; "" when nothing on the way exists. The relative part is
// what lies below it, less one leading and one trailing "\".
struct TAncestor
{
    std::string Existing;
    std::string Relative;
};
class IInstallSystem;
TAncestor FindExistingAncestor(const std::string& installDir, IInstallSystem& system);

// Where the Browse dialog opens its folder list: characters are removed from the end
// of the path until it ends in "\" and names an existing directory; "" when none does.
std::string BrowseStartFolder(const std::string& path, IInstallSystem& system);

// Where a Windows bitmap file's BITMAPINFO and pixel bits begin. False unless it is an
// uncompressed bitmap whose headers, palette and pixel rows all lie inside bytes, so a
// damaged picture cannot make the display read past its end.
bool FindBitmapLayout(const std::string& bytes, size_t& infoOffset, size_t& bitsOffset);

// The directory part of a destination: up to and including its last "\" or ":".
std::string DirectoryPart(const std::string& path);

// --- The wizard's step table -------------------------------------------------------

enum class TStepAction
{
    None,
    ConfirmRefusal, // ask the licence refusal question
    SpaceCheckAndCopy,
    GroupStep,
    Finish,
};

// What a Next or Previous press changes; -1 and nullptr mean "left as it is".
struct TStepChange
{
    int NewStep = -1;
    int Page = -1;
    int PreviousVisible = -1;
    int PrintVisible = -1;
    int NextVisible = -1;
    int FinishVisible = -1;
    int CancelVisible = -1;
    int SpaceTimer = -1; // 1 enabled, 0 disabled
    const char* NextCaption = nullptr;
    const char* PreviousCaption = nullptr;
    TStepAction Action = TStepAction::None;
};

TStepChange NextStepChange(int stepIndex, bool hasLicense);
TStepChange PreviousStepChange(int stepIndex, bool hasLicense);

// --- The package -------------------------------------------------------------------

// The cheap structure check of a setup executable before anything is shown: a trailer
// that points inside the file, entry headers (non-negative sizes, each DataOffset
// where its data begins) that chain exactly up to the trailer, and an "install.inf"
// entry. False for a truncated download, junk appended or a zeroed trailer.
bool CheckSetupPackage(const std::string& path);

// --- Installing ----------------------------------------------------------------------

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
    virtual std::string GroupDir(const std::string& group) = 0; // GetGroupDir(group, 0)
    virtual std::string CommonDesktopDir() = 0;                 // GetDesktopDir(0)
    virtual std::string CreateShortcut(const std::string& linkBase, const std::string& target,
                                       const std::string& workingDirectory) = 0;
    // The uninstall registration under keyName; the system adds the date.
    virtual void RegisterUninstall(const std::string& keyName, const TRegistration& registration) = 0;
    virtual int32_t RunAndWait(const std::string& commandLine) = 0;
    virtual void Launch(const std::string& file, const std::string& directory) = 0;
};

// What the installing shows; the wizard implements it.
class IInstallView
{
public:
    virtual ~IInstallView() = default;
    // Let pending window messages through (repaint, the Cancel button).
    virtual void Pump() = 0;
    // The copy begins: Previous hidden, Next visible, the installing page shown.
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

// What UndoEntry does for a log entry: "File" deletes it; "Directory" (relative ";"
// full) removes the full path and then one parent per further level of the relative
// part; any other kind nothing.
std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value);

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

    // Title and colours from the description (start of FormCreate).
    void ReadSettings();

    TCompressionManager& Package() { return *FPackage; }
    const TINFReader& Description() const { return FDescription; }
    bool HasSection(const std::string& name) const { return FDescription.SectionExists(name); }

    // The copy (step 2, after the space check): InstallDir := location; the log; the
    // "directories" section; every "[files]" line.
    TCopyResult Copy(const std::string& location, IInstallSystem& system, IInstallView& view);
    // The program group, its icons, the registration and "run and wait" (step 3).
    void GroupStep(IInstallSystem& system, IInstallView& view);
    // Finish (step 5): desktop icons when asked, then the launch when asked.
    void Finish(bool desktopIcons, bool launchNow, IInstallSystem& system);

    // Every level of directory that does not exist yet is created and logged.
    void CreatePath(const std::string& directory, IInstallSystem& system);
    // Cancelled := true. During the copy (a file being extracted, or between two files)
    // only the package's stop request is set and false comes back: the copy loop
    // finishes the abort once control returns to it. Otherwise the roll-back runs
    // (errors ignored) and true says the program must end now.
    bool AbortInstall(IInstallSystem& system, IInstallView& view);
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
    int32_t StepIndex = 0;
    bool Finished = false;
    bool InProgress = false;
    bool Cancelled = false;
    // A file could not be installed (the roll-back followed): the run ends as failed,
    // not as cancelled.
    bool Failed = false;
    // True while the copy loop runs (from the log's creation to its last file).
    bool Busy = false;

    // The uninstall log as a writer with the title, the created levels (relative part)
    // and itself; raises the I/O error when it cannot be created.
    void StartLog(const std::string& relative);
    TLogFile* Log() { return FLog.get(); }
    void LoadDescription(const std::string& text) { FDescription.LoadText(text); }
    void FreeLog() { FLog.reset(); }

private:
    TCopyResult EndCopyCancelled(IInstallSystem& system, IInstallView& view);
    void CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system);

    std::unique_ptr<TCompressionManager> FPackage;
    TINFReader FDescription;
    std::unique_ptr<TLogFile> FLog;
};

} // namespace installer
} // namespace kf
