#include "runtime/installer/InstallerModel.h"

#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/installer/InstallerAppearance.h"

namespace kf {
namespace installer {

TProgressThrottle::TTick TProgressThrottle::Begin()
{
    FStart = FClock();
    if (!FShownOnce || FStart - FLastShown >= FShowInterval)
        return TTick::ShowAndPump;
    // Looking at the queue is a server round trip under Wine, dearer than writing a small
    // file; a hundredth of a second is still at once for a click or another program's query.
    if (FStart - FLastPumped >= kMessageIntervalMs)
        return TTick::Pump;
    return TTick::Nothing;
}

void TProgressThrottle::End(TTick tick)
{
    uint32_t now = FClock();
    if (tick == TTick::ShowAndPump)
    {
        FShownOnce = true;
        // Capped: a question answered inside the pump must not freeze the bars for long.
        uint32_t interval = 9 * (now - FStart);
        FShowInterval = interval < kMinShowIntervalMs   ? kMinShowIntervalMs
                        : interval > kMaxShowIntervalMs ? kMaxShowIntervalMs
                                                        : interval;
        FLastShown = now;
    }
    if (tick != TTick::Nothing)
        FLastPumped = now;
}

int ExitCodeOf(TRunOutcome outcome)
{
    switch (outcome)
    {
    case TRunOutcome::Installed:
        return kExitSuccess;
    case TRunOutcome::Running:
    case TRunOutcome::Cancelled:
        return kExitCancelled;
    case TRunOutcome::Failed:
    case TRunOutcome::RolledBackPartly:
    case TRunOutcome::NoSpace:
    case TRunOutcome::NoLog:
        return kExitFailed;
    }
    return kExitFailed;
}

TInstallerModel::TInstallerModel(TInstaller& installer, IInstallSystem& system, TProgressThrottle::TClock clock)
    : FInstaller(installer), FSystem(system), FThrottle(clock)
{}

void TInstallerModel::SetUp(const TBaseDirectories& dirs, const std::string& chosen)
{
    FInstaller.ReadSettings();
    const TINFReader& description = FInstaller.Description();
    FHasLicense = FInstaller.HasSection(inf::kLicense);
    FLocation = chosen.empty() ? DefaultLocation(description, dirs) : chosen;
    FSpaceRequired = EstimateSpace(description, FInstaller.Package());
    FBrowseEnabled = !(FInstaller.HasSection(inf::kBrowseButton) &&
                       UpperCaseAscii(description.ReadValue(inf::kBrowseButton)) == inf::kBrowseDisabled);
    FDesktopIcon = FInstaller.HasSection(inf::kDesktopIcons);
    FLaunchNow = FInstaller.HasSection(inf::kLaunch);
    FReadme = FInstaller.HasSection(inf::kReadme);
}

TPageSetup TInstallerModel::Pages()
{
    const TINFReader& description = FInstaller.Description();
    const std::string& title = FInstaller.Title;
    TPageSetup setup;
    setup.Title = title;
    setup.Welcome = WelcomeText(title);
    setup.HasLicense = FHasLicense;
    if (FHasLicense)
    {
        setup.License = FInstaller.Package().ReadEntryString(description.ReadValue(inf::kLicense));
        setup.LicenseAgree = kLicenseAgreeText;
    }
    setup.WhereToInstall = WhereToInstallText(title);
    setup.Location = FLocation;
    setup.SpaceRequired = KilobytesText(FSpaceRequired);
    setup.BrowseEnabled = FBrowseEnabled;
    setup.DesktopIcon = FDesktopIcon;
    setup.LaunchNow = FLaunchNow;
    setup.Readme = FReadme;
    setup.Complete = CompleteText(title, setup.LaunchNow, setup.DesktopIcon);
    if (FInstaller.HasSection(inf::kImage))
    {
        std::string image = FInstaller.Package().ReadEntryString(FInstaller.ImageName);
        size_t infoOffset, bitsOffset;
        if (FindBitmapLayout(image, infoOffset, bitsOffset))
            setup.Image = std::move(image);
    }
    return setup;
}

void TInstallerModel::Start(IWizardView& view)
{
    FView = &view;
    Enter(TStep::Welcome);
    UpdateSpace();
}

int TInstallerModel::RunUnattended(IWizardView& view)
{
    FUnattended = true;
    Start(view);
    while (!Ended())
    {
        TStep before = FStep;
        if (Row().OnNext == TStepAction::Finish)
            Finish(FDesktopIcon, false);
        else
            Next();
        // A step that waits for someone to choose: nobody will.
        if (!Ended() && FStep == before)
            End(TRunOutcome::Failed);
    }
    return ExitCode();
}

void TInstallerModel::Next()
{
    // The copy and the group step move on by themselves.
    if (Deaf() || Busy() || !FState.NextVisible || !FState.NextEnabled ||
        Row().OnNext == TStepAction::ByItself || Row().OnNext == TStepAction::Finish)
        return;
    NextStep();
}

void TInstallerModel::Finish(bool desktopIcon, bool launchNow)
{
    if (Deaf() || Busy() || !FState.FinishVisible || !FState.FinishEnabled ||
        Row().OnNext != TStepAction::Finish)
        return;
    FDesktopIcon = desktopIcon;
    FLaunchNow = launchNow;
    NextStep();
}

void TInstallerModel::Previous()
{
    if (Deaf() || Busy() || !FState.PreviousVisible || !FState.PreviousEnabled)
        return;
    switch (Row().OnPrevious)
    {
    case TBackAction::None:
        return;
    case TBackAction::ConfirmRefusal:
        if (Ask(TQuestion::RefuseLicense, LicenseRefusalQuestion(Title())))
            End(TRunOutcome::Cancelled);
        return;
    case TBackAction::Back:
        Enter(StepBefore(FStep, FHasLicense));
        return;
    }
}

void TInstallerModel::Cancel()
{
    if (Deaf() || !FState.CancelVisible || !FState.CancelEnabled)
        return;
    switch (FPhase)
    {
    case TPhase::Copying:
        AskAbort();
        return;
    case TPhase::GroupStep:
        return; // it ends by itself
    case TPhase::Idle:
        if (Ask(TQuestion::CloseProgram, CloseQuestion(Title())))
            End(Row().Installed ? TRunOutcome::Installed : TRunOutcome::Cancelled);
        return;
    }
}

void TInstallerModel::Close()
{
    if (Deaf())
        return;
    switch (FPhase)
    {
    case TPhase::Copying:
        // The caption's close button during the copy: the same abort as Cancel. Once the
        // abort is under way (buttons disabled) or the roll-back runs, it is ignored.
        if (FState.CancelEnabled)
            AskAbort();
        return;
    case TPhase::GroupStep:
        return;
    case TPhase::Idle:
        // Closed on the complete page, the installation is in place all the same.
        if (Ask(TQuestion::CloseProgram, CloseQuestion(Title())))
            End(Row().Installed ? TRunOutcome::Installed : TRunOutcome::Cancelled);
        return;
    }
}

void TInstallerModel::Browsed(const std::string& path)
{
    FLocation = path;
    UpdateSpace();
}

bool TInstallerModel::CanBrowse() const
{
    return !Ended() && !Busy() && FBrowseEnabled && FState.Page == tabLocation;
}

bool TInstallerModel::CanPrint() const
{
    return !Ended() && FState.PrintVisible && FState.Page == tabLicense;
}

bool TInstallerModel::CanViewReadme() const
{
    return !Ended() && FReadme && FState.Page == tabComplete;
}

std::string TInstallerModel::ExtractReadme(const std::string& folder)
{
    if (!FReadme)
        return std::string();
    std::string name = FInstaller.Description().ReadValue(inf::kReadme);
    std::string path = folder + name.substr(name.find_last_of('\\') + 1);
    try
    {
        FInstaller.Package().ExtractFile(name, path);
    }
    catch (...)
    {
        return std::string();
    }
    return path;
}

void TInstallerModel::NextStep()
{
    switch (Row().OnNext)
    {
    case TStepAction::Advance:
        Enter(StepAfter(FStep, FHasLicense), Row().StartsSpaceTimer);
        break;
    case TStepAction::SpaceCheckAndCopy:
        FSpaceTimer = false;
        Render();
        if (FSpaceRequired > FFreeSpace)
        {
            FView->Tell(TNotice::InsufficientSpace, InsufficientSpaceText(Title()));
            if (FUnattended)
                End(TRunOutcome::NoSpace);
            return;
        }
        RunCopy();
        break;
    case TStepAction::ByItself:
        break;
    case TStepAction::Finish:
        FInstaller.Finish(FDesktopIcon, FLaunchNow, FSystem);
        End(TRunOutcome::Installed);
        break;
    }
}

void TInstallerModel::Enter(TStep step, bool spaceTimer)
{
    FStep = step;
    FSpaceTimer = spaceTimer;
    Render();
}

void TInstallerModel::Render()
{
    const TStepRow& row = Row();
    FState.Page = row.Page;
    FState.PreviousVisible = row.PreviousVisible;
    FState.PrintVisible = row.PrintVisible;
    FState.NextVisible = row.NextVisible;
    FState.FinishVisible = row.FinishVisible;
    FState.CancelVisible = row.CancelVisible;
    // A confirmed cancel disables the whole row until the program ends.
    bool enabled = !FCancelRequested;
    FState.PreviousEnabled = FState.FinishEnabled = FState.CancelEnabled = enabled;
    FState.NextEnabled = enabled && row.NextEnabled;
    FState.NextCaption = row.NextCaption;
    FState.PreviousCaption = row.PreviousCaption;
    FState.SpaceTimer = FSpaceTimer;
    FView->Render(FState);
}

void TInstallerModel::RunCopy()
{
    FPhase = TPhase::Copying;
    FCancelRequested = false;
    TCopyResult result = FInstaller.Copy(FLocation, FSystem, *this);
    FPhase = TPhase::Idle;
    CopyEnded(result);
}

void TInstallerModel::CopyEnded(TCopyResult result)
{
    // Every result of the copy, and what it means for the run.
    switch (result)
    {
    case TCopyResult::Completed:
        RunGroupStep();
        Enter(StepAfter(FStep, FHasLicense)); // the complete page
        return;
    case TCopyResult::LogFailed:
        // Nothing was copied: the location page stays for another choice.
        if (FUnattended)
            End(TRunOutcome::NoLog);
        return;
    case TCopyResult::EndProgram:
        End(FInstaller.Failed ? TRunOutcome::Failed : TRunOutcome::Cancelled);
        return;
    case TCopyResult::RolledBackPartly:
        End(TRunOutcome::RolledBackPartly);
        return;
    }
}

void TInstallerModel::RunGroupStep()
{
    FPhase = TPhase::GroupStep;
    FInstaller.GroupStep(FSystem, *this);
    FPhase = TPhase::Idle;
}

void TInstallerModel::UpdateSpace()
{
    if (!FView)
        return;
    FFreeSpace = FSystem.FreeSpace(FreeSpaceRoot(FLocation));
    FView->ShowSpace(KilobytesText(FFreeSpace), FSpaceRequired > FFreeSpace);
}

void TInstallerModel::AskAbort()
{
    // Once asked and confirmed, or once the roll-back of a failed file runs, nothing more.
    if (FCancelRequested || FInstaller.Cancelled)
        return;
    if (!Ask(TQuestion::AbortInstall, AbortQuestion(Title())))
        return;
    // The copy reads this at its next pump and rolls back there.
    FCancelRequested = true;
    Render();
}

bool TInstallerModel::Ask(TQuestion question, const std::string& text)
{
    FAsking = true;
    bool yes = FView->Ask(question, text);
    FAsking = false;
    return yes;
}

void TInstallerModel::End(TRunOutcome outcome)
{
    if (Ended())
        return;
    FOutcome = outcome;
    FView->EndProgram(ExitCode());
    // The log goes with the background window; never while the installing still uses it.
    if (!Busy())
        FInstaller.FreeLog();
}

bool TInstallerModel::Pump()
{
    TProgressThrottle::TTick tick = FThrottle.Begin();
    if (tick == TProgressThrottle::TTick::ShowAndPump)
        FView->ShowProgress(FProgress);
    if (tick != TProgressThrottle::TTick::Nothing)
        FView->PumpMessages();
    FThrottle.End(tick);
    return FCancelRequested;
}

void TInstallerModel::CopyStarted()
{
    Enter(TStep::Installing);
    FThrottle.Restart();
}

void TInstallerModel::GroupStepStarted()
{
    FView->ShowProgress(FProgress); // the installing page's last state, before it goes
    Enter(TStep::Completing);
    FView->ShowLabel(TLabel::Completing, kCreatingGroupsText);
    FThrottle.Restart();
}

void TInstallerModel::SetInstallingFile(const std::string& text)
{
    FProgress.InstallingFile = text;
    FView->ShowLabel(TLabel::InstallingFile, text);
}

void TInstallerModel::SetTotalLabel(const std::string& text)
{
    FProgress.TotalLabel = text;
    FView->ShowLabel(TLabel::Total, text);
}

void TInstallerModel::SetFileProgress(int32_t position, int32_t maximum)
{
    FProgress.FilePosition = position;
    FProgress.FileMaximum = maximum;
}

void TInstallerModel::SetTotalProgress(int32_t position, int32_t maximum)
{
    FProgress.TotalPosition = position;
    FProgress.TotalMaximum = maximum;
}

void TInstallerModel::ShowInstallError(const std::string& text)
{
    FView->ShowProgress(FProgress); // the file named under the message is the one that failed
    FView->Tell(TNotice::InstallError, text);
}

void TInstallerModel::ShowInstallFailure(const std::string& text, const std::string& reason)
{
    FView->ShowProgress(FProgress);
    FView->TellFailure(text, reason);
}

} // namespace installer
} // namespace kf
