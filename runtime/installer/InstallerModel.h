// The installer's wizard as plain code: it owns the step index and decides what Next,
// Previous, Finish, Cancel and every close request mean on each step, with the
// questions they ask; it sets up the pages from the description, runs the copy, the
// group step and the finish, and paces how often the copy's progress is drawn. The
// windows (TWizardForm, the background TMainForm) create controls, render what it says
// and forward events; a silent driver implements IWizardView without any window.
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

enum TWizardPage : int
{
    tabInfo = 0,
    tabLicense,
    tabLocation,
    tabInstalling,
    tabCompleting,
    tabComplete,
};

// The page shown and the state of the button row.
struct TWizardState
{
    int Page = tabInfo;
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

// What the model needs from the windows. A silent driver answers every question with
// its default and shows nothing.
class IWizardView
{
public:
    virtual ~IWizardView() = default;
    virtual void Render(const TWizardState& state) = 0;
    virtual void ShowSpace(const std::string& available, bool insufficient) = 0;
    virtual void ShowProgress(const TProgressState& progress) = 0;
    // At once: the label names a program the setup is about to wait for.
    virtual void ShowCompleting(const std::string& text) = 0;
    virtual bool Ask(TQuestion question, const std::string& text) = 0;
    virtual void Tell(TNotice notice, const std::string& text) = 0;
    // Let waiting window messages through; events may come back into the model.
    virtual void PumpMessages() = 0;
    virtual void BringToFront() = 0;
    // Hide the windows and end the message loop; the program returns exitCode
    // (kExitSuccess, kExitCancelled or kExitFailed).
    virtual void EndProgram(int exitCode) = 0;
};

class TInstallerModel : private IInstallView
{
public:
    TInstallerModel(TInstaller& installer, IInstallSystem& system, IWizardView& view, TProgressThrottle::TClock clock);

    // Reads the description into the run-time state and the pages; touches no window.
    TPageSetup SetUp(const TBaseDirectories& dirs);
    // The first page, once the windows exist: renders it and measures the free space.
    void Start();

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
    int StepIndex() const { return FStep; }
    const std::string& Location() const { return FLocation; }
    const std::string& Title() const { return FInstaller.Title; }
    const TProgressState& Progress() const { return FProgress; }
    // The copy (with its roll-back) or the group step is running.
    bool Busy() const { return FPhase != TPhase::Idle; }
    bool CancelRequested() const { return FCancelRequested; }
    bool Ended() const { return FEnded; }

private:
    enum class TPhase
    {
        Idle,
        Copying, // the copy and, after a cancel or a failed file, its roll-back
        GroupStep,
    };

    void NextStep();
    void Apply(const TStepChange& change);
    void RunCopy();
    void RunGroupStep();
    void UpdateSpace();
    void AskAbort();
    bool CloseQuery();
    int ClosedExitCode() const;
    bool Ask(TQuestion question, const std::string& text);
    void End(int exitCode);

    // IInstallView: the installing reports here.
    bool Pump() override;
    void CopyStarted() override;
    void GroupStepStarted() override;
    void SetInstallingFile(const std::string& text) override { FProgress.InstallingFile = text; }
    void SetTotalLabel(const std::string& text) override { FProgress.TotalLabel = text; }
    void SetCompleting(const std::string& text) override { FView.ShowCompleting(text); }
    void SetFileProgress(int32_t position, int32_t maximum) override;
    void SetTotalProgress(int32_t position, int32_t maximum) override;
    void ShowInstallError(const std::string& text) override;
    void ShowLogError(const std::string& text) override { FView.Tell(TNotice::LogError, text); }
    void BringToFront() override { FView.BringToFront(); }

    TInstaller& FInstaller;
    IInstallSystem& FSystem;
    IWizardView& FView;
    TProgressThrottle FThrottle;
    TWizardState FState;
    TProgressState FProgress;
    std::string FLocation;
    int FStep = 0;
    TPhase FPhase = TPhase::Idle;
    bool FHasLicense = false;
    bool FBrowseEnabled = true;
    bool FReadme = false;
    bool FDesktopIcon = false;
    bool FLaunchNow = false;
    bool FCancelRequested = false;
    bool FAsking = false; // a question is open: its own message loop runs
    bool FEnded = false;
};

} // namespace installer
} // namespace kf
