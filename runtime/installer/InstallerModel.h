// One installer run as plain code, from start to end: the step (from the step table of
// InstallerSteps.h), the location, the space check, the cancel request and the outcome
// with its exit code. It decides what Next, Previous, Finish, Cancel and every close
// request mean on each step, with the questions they ask, runs the copy, the group step
// and the finish, and paces how often the copy's progress is drawn. It is shown through
// IWizardView: the wizard's windows (TWizardForm in front of TMainForm) render it and
// forward events; the silent driver (SilentInstall.h) runs it unattended and writes what
// it says to the /LOG file. WinMain composes the one or the other.
//
// Re-entry: the copy pumps window messages while it runs. Events that arrive then only
// set flags here (a confirmed cancel is a request the copy reads from its next pump);
// none of them calls into the installing, and a close request during the copy, its
// roll-back or the group step never ends the program under them.
#pragma once

#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerSteps.h"
#include "runtime/installer/InstallerTexts.h"

#include <cstdint>
#include <string>

namespace kf {
namespace installer {

// The page shown and the state of the button row.
struct TWizardState
{
    int Page = tabInfo; // TWizardPage
    bool PrintVisible = false;
    bool PreviousVisible = false;
    bool NextVisible = true;
    bool FinishVisible = false;
    bool CancelVisible = true;
    bool PreviousEnabled = true;
    bool NextEnabled = true;
    bool FinishEnabled = true;
    bool CancelEnabled = true;
    const char* NextCaption = kNextCaption;
    const char* PreviousCaption = kPreviousCaption;
    bool SpaceTimer = false; // the free space measured again every second
};

// What the pages show from the description, fixed at start.
struct TPageSetup
{
    std::string Title;          // both windows' captions, the background's big title
    std::string Welcome;        // lblInfo
    bool HasLicense = false;
    std::string License;        // the licence document: RTF or plain text
    std::string LicenseAgree;   // lblLicenseAgree; empty without a licence
    std::string WhereToInstall; // lblWhereToInstall
    std::string Location;       // edtLocation
    std::string SpaceRequired;  // lblSpaceRequired, "<n> kb"
    bool BrowseEnabled = true;
    bool DesktopIcon = false;   // chkDesktopIcon visible and checked
    bool LaunchNow = false;     // chkLaunchNow visible and checked
    bool Readme = false;        // btnReadme visible
    std::string Complete;       // lblComplete
    std::string Image;          // the bitmap file's bytes when usable, else empty
};

// The installing page's labels and bars as the copy last set them.
struct TProgressState
{
    std::string InstallingFile = kInstallingFilesText;
    std::string TotalLabel = kInstallingFilesText;
    int32_t FilePosition = 0, FileMaximum = 1;
    int32_t TotalPosition = 0, TotalMaximum = 1;
};

// How often the copy draws its progress and looks at the message queue. Drawing is
// dear under Wine (a themed bar repaints synchronously), so progress is shown at most
// every 100 ms, and otherwise only after nine times what showing it last cost (so
// drawing stays under a tenth of the time), capped at 500 ms; the queue is looked at
// every 10 ms, at once for a click.
class TProgressThrottle
{
public:
    // Milliseconds, wrapping as GetTickCount does.
    using TClock = uint32_t (*)();
    enum class TTick
    {
        Nothing,
        Pump,        // look at the message queue
        ShowAndPump, // draw the progress, then look at the queue
    };

    static constexpr uint32_t kMinShowIntervalMs = 100;
    static constexpr uint32_t kMaxShowIntervalMs = 500;
    static constexpr uint32_t kMessageIntervalMs = 10;

    explicit TProgressThrottle(TClock clock) : FClock(clock) {}
    // What a pump should do now.
    TTick Begin();
    // Once that is done: what it cost sets the next pause.
    void End(TTick tick);
    // A new page shows its state at the next pump.
    void Restart() { FShownOnce = false; }
    uint32_t ShowInterval() const { return FShowInterval; }

private:
    TClock FClock;
    uint32_t FStart = 0;
    uint32_t FShowInterval = kMinShowIntervalMs;
    uint32_t FLastShown = 0;
    uint32_t FLastPumped = 0;
    bool FShownOnce = false;
};

// The questions the wizard asks (Yes/No, question icon) and what it tells (OK only).
enum class TQuestion
{
    RefuseLicense, // "Cancel Installation": the licence refusal
    AbortInstall,  // "Cancel Installation": cancel during the copy (task-modal)
    CloseProgram,  // "Cancel Installation": closing before the copy (task-modal)
};
enum class TNotice
{
    InsufficientSpace, // "Insufficient Disk Space", information icon
    InstallError,      // "Error", exclamation icon
    LogError,          // the system's message, the title as caption, error icon
};

// The labels of the installing pages, as the installing sets them.
enum class TLabel
{
    InstallingFile, // lblInstallingFile: the file being extracted, or removed in a roll-back
    Total,          // lblTotalProgress
    Completing,     // lblCompleting: the group step, then each program the setup waits for
};

// How a run ended. Every outcome has one exit code (ExitCodeOf).
enum class TRunOutcome
{
    Running,   // not ended yet
    Installed, // Finish, or closed on the complete page
    Cancelled, // the licence refused, closed before the copy, or cancelled during it (rolled back)
    Failed,    // a file could not be installed; rolled back
    RolledBackPartly, // failed or cancelled, and the roll-back could not undo everything
    NoSpace,   // unattended: too little space at the location
    NoLog,     // unattended: the uninstall log could not be created there; nothing copied
};

// kExitSuccess, kExitCancelled or kExitFailed; kExitCancelled for a run that never ended
// (its message loop stopped under it).
int ExitCodeOf(TRunOutcome outcome);

// How the run shows itself. The wizard renders every call; the silent driver answers
// every question with its default, writes labels and notices to its log and shows
// nothing.
class IWizardView
{
public:
    virtual ~IWizardView() = default;
    virtual void Render(const TWizardState& state) = 0;
    virtual void ShowSpace(const std::string& available, bool insufficient) = 0;
    // Paced (TProgressThrottle): the installing page's bars and labels.
    virtual void ShowProgress(const TProgressState& progress) = 0;
    // At once, on every change: the wizard shows the completing label now (it names a
    // program the setup is about to wait for) and the others paced, by ShowProgress.
    virtual void ShowLabel(TLabel label, const std::string& text) = 0;
    virtual bool Ask(TQuestion question, const std::string& text) = 0;
    virtual void Tell(TNotice notice, const std::string& text) = 0;
    // A file that could not be installed, with the system's reason: a log names it beside
    // the text, a box shows the text alone.
    virtual void TellFailure(const std::string& text, const std::string& reason)
    {
        (void)reason;
        Tell(TNotice::InstallError, text);
    }
    // Let waiting window messages through; events may come back into the model.
    virtual void PumpMessages() = 0;
    virtual void BringToFront() = 0;
    // The run has ended (Outcome): hide the windows and end the message loop.
    virtual void EndProgram(int exitCode) = 0;
};

class TInstallerModel : private IInstallView
{
public:
    TInstallerModel(TInstaller& installer, IInstallSystem& system, TProgressThrottle::TClock clock);

    // Reads the run's state from the description: the location (chosen, from /D=, when
    // not empty; else where DefaultLocation puts it), the space it needs, the options.
    // Touches no window and no system.
    void SetUp(const TBaseDirectories& dirs, const std::string& chosen = std::string());
    // What the pages show (the wizard only: it reads the licence and the bitmap).
    TPageSetup Pages();
    // The run begins in view: the first step is rendered and the free space measured.
    // Every event below waits for it.
    void Start(IWizardView& view);
    // The whole run with no one to ask (/S): Start, then Next on every step and Finish
    // with the defaults (the desktop icon as its box's, no launch); where the wizard
    // would keep the user on a page (too little space, no log) the run fails. Returns
    // the exit code.
    int RunUnattended(IWizardView& view);

    // Events of the wizard; each one that is not possible now is ignored.
    void Next();
    void Previous();
    // Finish with the two check boxes as they are.
    void Finish(bool desktopIcon, bool launchNow);
    void Cancel();
    // Any request to close: the wizard's or the background's caption, Alt+F4, the task bar.
    void Close();
    // Browse chose a path.
    void Browsed(const std::string& path);
    void SpaceTimer() { UpdateSpace(); }

    bool CanBrowse() const;
    bool CanPrint() const;
    bool CanViewReadme() const;
    // The readme extracted into folder (which ends in a separator) under its own file
    // name, or "" when there is none or it cannot be written.
    std::string ExtractReadme(const std::string& folder);

    const TWizardState& State() const { return FState; }
    TStep Step() const { return FStep; }
    const std::string& Location() const { return FLocation; }
    const std::string& Title() const { return FInstaller.Title; }
    int64_t SpaceRequired() const { return FSpaceRequired; }
    int64_t FreeSpace() const { return FFreeSpace; } // as last measured; -1 when unknown
    const TProgressState& Progress() const { return FProgress; }
    // The copy (with its roll-back) or the group step is running.
    bool Busy() const { return FPhase != TPhase::Idle; }
    bool CancelRequested() const { return FCancelRequested; }
    bool Ended() const { return FOutcome != TRunOutcome::Running; }
    TRunOutcome Outcome() const { return FOutcome; }
    int ExitCode() const { return ExitCodeOf(FOutcome); }

private:
    enum class TPhase
    {
        Idle,
        Copying, // the copy and, after a cancel or a failed file, its roll-back
        GroupStep,
    };

    const TStepRow& Row() const { return StepRow(FStep); }
    // Events wait: before Start, while a question is open, and once the run has ended.
    bool Deaf() const { return !FView || FAsking || Ended(); }
    void NextStep();
    // Shows step; the space timer runs there when spaceTimer.
    void Enter(TStep step, bool spaceTimer = false);
    void Render();
    void RunCopy();
    void CopyEnded(TCopyResult result);
    void RunGroupStep();
    void UpdateSpace();
    void AskAbort();
    bool Ask(TQuestion question, const std::string& text);
    void End(TRunOutcome outcome);

    // IInstallView: the installing reports here.
    bool Pump() override;
    void CopyStarted() override;
    void GroupStepStarted() override;
    void SetInstallingFile(const std::string& text) override;
    void SetTotalLabel(const std::string& text) override;
    void SetCompleting(const std::string& text) override { FView->ShowLabel(TLabel::Completing, text); }
    void SetFileProgress(int32_t position, int32_t maximum) override;
    void SetTotalProgress(int32_t position, int32_t maximum) override;
    void ShowInstallError(const std::string& text) override;
    void ShowInstallFailure(const std::string& text, const std::string& reason) override;
    void ShowLogError(const std::string& text) override { FView->Tell(TNotice::LogError, text); }
    void BringToFront() override { FView->BringToFront(); }

    TInstaller& FInstaller;
    IInstallSystem& FSystem;
    IWizardView* FView = nullptr; // from Start on
    TProgressThrottle FThrottle;
    TStep FStep = TStep::Welcome;
    TWizardState FState;
    TProgressState FProgress;
    std::string FLocation;
    int64_t FSpaceRequired = 0;
    int64_t FFreeSpace = 0;
    TPhase FPhase = TPhase::Idle;
    TRunOutcome FOutcome = TRunOutcome::Running;
    bool FUnattended = false;
    bool FSpaceTimer = false;
    bool FHasLicense = false;
    bool FBrowseEnabled = true;
    bool FReadme = false;
    bool FDesktopIcon = false;
    bool FLaunchNow = false;
    bool FCancelRequested = false; // confirmed: the copy rolls back at its next pump
    bool FAsking = false;          // a question is open: its own message loop runs
};

} // namespace installer
} // namespace kf
