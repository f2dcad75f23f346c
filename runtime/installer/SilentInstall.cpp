#include "runtime/installer/SilentInstall.h"

#include "runtime/installer/InstallerTexts.h"

namespace kf {
namespace installer {

namespace {

// The wizard's labels become log lines; a message box becomes an error line.
class TSilentView : public IWizardView
{
public:
    TSilentView(TInstallerModel& run, TSetupLog& log) : FRun(run), FLog(log) {}

    void Render(const TWizardState&) override {}
    void ShowSpace(const std::string&, bool) override {}
    void ShowProgress(const TProgressState&) override {}
    void ShowLabel(TLabel label, const std::string& text) override
    {
        // The total label stays the same for every entry of a roll-back: once is enough.
        if (label == TLabel::Total && text == FLastTotal)
            return;
        if (label == TLabel::Total)
            FLastTotal = text;
        FLog.Line(text);
    }
    bool Ask(TQuestion, const std::string&) override { return false; }
    void Tell(TNotice notice, const std::string& text) override
    {
        if (notice == TNotice::InsufficientSpace)
            FLog.Line("Error: " + std::string(kInsufficientLabelText) + " (" + KilobytesText(FRun.SpaceRequired()) +
                      " required, " + KilobytesText(FRun.FreeSpace()) + " available)");
        else
            FLog.Line("Error: " + text);
    }
    void TellFailure(const std::string& text, const std::string& reason) override
    {
        FLog.Line("Error: " + text + " " + reason);
    }
    void PumpMessages() override {}
    void BringToFront() override {}
    void EndProgram(int) override
    {
        switch (FRun.Outcome())
        {
        case TRunOutcome::Installed:
            FLog.Line("Installation of " + FRun.Title() + " has successfully completed.");
            break;
        case TRunOutcome::Cancelled:
        case TRunOutcome::Failed:
        case TRunOutcome::NoLog:
            FLog.Line("The installation was rolled back.");
            break;
        case TRunOutcome::RolledBackPartly:
            FLog.Line("The installation could not be completely rolled back.");
            break;
        case TRunOutcome::Running:
        case TRunOutcome::NoSpace: // nothing was started
            break;
        }
    }

private:
    TInstallerModel& FRun;
    TSetupLog& FLog;
    std::string FLastTotal;
};

} // namespace

int RunSilentInstall(TInstallerModel& run, TSetupLog& log)
{
    log.Line("Installing " + run.Title() + " into " + run.Location());
    TSilentView view(run, log);
    return run.RunUnattended(view);
}

} // namespace installer
} // namespace kf
