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

TInstallerModel::TInstallerModel(TInstaller& installer, IInstallSystem& system, IWizardView& view,
                                 TProgressThrottle::TClock clock)
    : FInstaller(installer), FSystem(system), FView(view), FThrottle(clock)
{}

TPageSetup TInstallerModel::SetUp(const TBaseDirectories& dirs)
{
    TInstaller& installer = FInstaller;
    installer.ReadSettings();
    const TINFReader& description = installer.Description();
    const std::string& title = installer.Title;
    TPageSetup setup;
    setup.Title = title;
    setup.Welcome = WelcomeText(title);
    FHasLicense = setup.HasLicense = installer.HasSection(inf::kLicense);
    if (FHasLicense)
    {
        setup.License = installer.Package().ReadEntryString(description.ReadValue(inf::kLicense));
        setup.LicenseAgree = kLicenseAgreeText;
    }
    setup.WhereToInstall = WhereToInstallText(title);
    FLocation = setup.Location = DefaultLocation(description, dirs);
    installer.SpaceRequired = EstimateSpace(description, installer.Package());
    setup.SpaceRequired = KilobytesText(installer.SpaceRequired);
    FBrowseEnabled = setup.BrowseEnabled = !(installer.HasSection(inf::kBrowseButton) &&
                                             UpperCaseAscii(description.ReadValue(inf::kBrowseButton)) ==
                                                 inf::kBrowseDisabled);
    FDesktopIcon = setup.DesktopIcon = installer.HasSection(inf::kDesktopIcons);
    FLaunchNow = setup.LaunchNow = installer.HasSection(inf::kLaunch);
    FReadme = setup.Readme = installer.HasSection(inf::kReadme);
    setup.Complete = CompleteText(title, setup.LaunchNow, setup.DesktopIcon);
    if (installer.HasSection(inf::kImage))
    {
        std::string image = installer.Package().ReadEntryString(installer.ImageName);
        size_t infoOffset, bitsOffset;
        if (FindBitmapLayout(image, infoOffset, bitsOffset))
            setup.Image = std::move(image);
    }
    return setup;
}

void TInstallerModel::Start()
{
    FStep = 0;
    FState = TWizardState();
    FView.Render(FState);
    UpdateSpace();
}

void TInstallerModel::Next()
{
    // Steps 3 and 4 move on by themselves at the end of the copy and the group step.
    if (FAsking || FEnded || Busy() || !FState.NextVisible || !FState.NextEnabled || FStep == 3 || FStep == 4)
        return;
    NextStep();
}

void TInstallerModel::Finish(bool desktopIcon, bool launchNow)
{
    if (FAsking || FEnded || Busy() || !FState.FinishVisible || !FState.FinishEnabled || FStep != 5)
        return;
    FDesktopIcon = desktopIcon;
    FLaunchNow = launchNow;
    NextStep();
}

void TInstallerModel::Previous()
{
    if (FAsking || FEnded || Busy() || !FState.PreviousVisible || !FState.PreviousEnabled)
        return;
    TStepChange change = PreviousStepChange(FStep, FHasLicense);
    if (change.Action == TStepAction::ConfirmRefusal)
    {
        if (Ask(TQuestion::RefuseLicense, LicenseRefusalQuestion(Title())))
        {
            FInstaller.Finished = true;
            End(kExitCancelled);
        }
        return;
    }
    Apply(change);
}

void TInstallerModel::Cancel()
{
    if (FAsking || FEnded || !FState.CancelVisible || !FState.CancelEnabled)
        return;
    switch (FPhase)
    {
    case TPhase::Copying:
        AskAbort();
        return;
    case TPhase::GroupStep:
        return; // it ends by itself
    case TPhase::Idle:
        if (CloseQuery())
            End(ClosedExitCode());
        return;
    }
}

void TInstallerModel::Close()
{
    if (FAsking || FEnded)
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
        if (CloseQuery())
            End(ClosedExitCode());
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
    return !FEnded && !Busy() && FBrowseEnabled && FState.Page == tabLocation;
}

bool TInstallerModel::CanPrint() const
{
    return !FEnded && FState.PrintVisible && FState.Page == tabLicense;
}

bool TInstallerModel::CanViewReadme() const
{
    return !FEnded && FReadme && FState.Page == tabComplete;
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
    TStepChange change = NextStepChange(FStep, FHasLicense);
    Apply(change);
    switch (change.Action)
    {
    case TStepAction::SpaceCheckAndCopy:
        if (FInstaller.SpaceRequired > FInstaller.FreeSpace)
        {
            FView.Tell(TNotice::InsufficientSpace, InsufficientSpaceText(Title()));
            return;
        }
        RunCopy();
        break;
    case TStepAction::GroupStep:
        RunGroupStep();
        break;
    case TStepAction::Finish:
        FInstaller.Finish(FDesktopIcon, FLaunchNow, FSystem);
        End(kExitSuccess);
        break;
    default:
        break;
    }
}

void TInstallerModel::Apply(const TStepChange& change)
{
    if (change.NewStep >= 0)
        FStep = change.NewStep;
    if (change.Page >= 0)
        FState.Page = change.Page;
    auto set = [](int value, bool& flag) {
        if (value >= 0)
            flag = value != 0;
    };
    set(change.PreviousVisible, FState.PreviousVisible);
    set(change.PrintVisible, FState.PrintVisible);
    set(change.NextVisible, FState.NextVisible);
    set(change.FinishVisible, FState.FinishVisible);
    set(change.CancelVisible, FState.CancelVisible);
    set(change.SpaceTimer, FState.SpaceTimer);
    if (change.NextCaption)
        FState.NextCaption = change.NextCaption;
    if (change.PreviousCaption)
        FState.PreviousCaption = change.PreviousCaption;
    FView.Render(FState);
}

void TInstallerModel::RunCopy()
{
    FPhase = TPhase::Copying;
    FCancelRequested = false;
    TCopyResult result = FInstaller.Copy(FLocation, FSystem, *this);
    FPhase = TPhase::Idle;
    switch (result)
    {
    case TCopyResult::Completed:
        NextStep(); // step 3: the group step
        break;
    case TCopyResult::EndProgram:
        End(FInstaller.Failed ? kExitFailed : kExitCancelled);
        break;
    case TCopyResult::RolledBackPartly:
        End(kExitFailed);
        break;
    case TCopyResult::LogFailed:
        break; // stays on the location page
    }
}

void TInstallerModel::RunGroupStep()
{
    FPhase = TPhase::GroupStep;
    FInstaller.GroupStep(FSystem, *this);
    FPhase = TPhase::Idle;
    NextStep(); // step 4: the complete page
}

void TInstallerModel::UpdateSpace()
{
    FInstaller.FreeSpace = FSystem.FreeSpace(FreeSpaceRoot(FLocation));
    FView.ShowSpace(KilobytesText(FInstaller.FreeSpace), FInstaller.SpaceRequired > FInstaller.FreeSpace);
}

void TInstallerModel::AskAbort()
{
    if (FCancelRequested || FInstaller.Cancelled)
        return;
    if (!Ask(TQuestion::AbortInstall, AbortQuestion(Title())))
        return;
    // The copy reads this at its next pump and rolls back there.
    FCancelRequested = true;
    FState.CancelEnabled = FState.NextEnabled = FState.FinishEnabled = FState.PreviousEnabled = false;
    FView.Render(FState);
}

bool TInstallerModel::CloseQuery()
{
    if (FInstaller.Cancelled || FInstaller.Finished)
        return true;
    return Ask(TQuestion::CloseProgram, CloseQuestion(Title()));
}

bool TInstallerModel::Ask(TQuestion question, const std::string& text)
{
    FAsking = true;
    bool yes = FView.Ask(question, text);
    FAsking = false;
    return yes;
}

int TInstallerModel::ClosedExitCode() const
{
    // Closed on the complete page, the installation is in place all the same.
    return FStep == 5 ? kExitSuccess : kExitCancelled;
}

void TInstallerModel::End(int exitCode)
{
    if (FEnded)
        return;
    FEnded = true;
    FView.EndProgram(exitCode);
    // The log goes with the background window; never while the installing still uses it.
    if (!Busy())
        FInstaller.FreeLog();
}

bool TInstallerModel::Pump()
{
    TProgressThrottle::TTick tick = FThrottle.Begin();
    if (tick == TProgressThrottle::TTick::ShowAndPump)
        FView.ShowProgress(FProgress);
    if (tick != TProgressThrottle::TTick::Nothing)
        FView.PumpMessages();
    FThrottle.End(tick);
    return FCancelRequested;
}

void TInstallerModel::CopyStarted()
{
    FStep = 3;
    FState.Page = tabInstalling;
    FState.PreviousVisible = false;
    FState.NextVisible = true;
    // The copy moves on by itself; a press on Next must not start a step of its own.
    FState.NextEnabled = false;
    FView.Render(FState);
    FThrottle.Restart();
}

void TInstallerModel::GroupStepStarted()
{
    FView.ShowProgress(FProgress); // the installing page's last state, before it goes
    FStep = 4;
    FState.Page = tabCompleting;
    FView.Render(FState);
    FThrottle.Restart();
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
    FView.ShowProgress(FProgress); // the file named under the message is the one that failed
    FView.Tell(TNotice::InstallError, text);
}

} // namespace installer
} // namespace kf
