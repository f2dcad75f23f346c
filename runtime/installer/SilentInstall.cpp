#include "runtime/installer/SilentInstall.h"

#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/installer/InstallerTexts.h"

namespace kf {
namespace installer {

namespace {

// The wizard's texts become log lines; a message box becomes a line and a failure.
class TSilentView : public IInstallView
{
public:
    explicit TSilentView(TSetupLog& log) : FLog(log) {}
    bool Failed = false;

    bool Pump() override { return false; }
    void CopyStarted() override {}
    void GroupStepStarted() override { FLog.Line(kCreatingGroupsText); }
    void SetInstallingFile(const std::string& text) override { FLog.Line(text); }
    void SetTotalLabel(const std::string& text) override
    {
        if (text != FLastTotal)
            FLog.Line(FLastTotal = text);
    }
    void SetCompleting(const std::string& text) override { FLog.Line(text); }
    void SetFileProgress(int32_t, int32_t) override {}
    void SetTotalProgress(int32_t, int32_t) override {}
    void ShowInstallError(const std::string& text) override { Fail(text); }
    void ShowInstallFailure(const std::string& text, const std::string& reason) override { Fail(text + " " + reason); }
    void ShowLogError(const std::string& text) override { Fail(text); }
    void BringToFront() override {}

private:
    void Fail(const std::string& text)
    {
        Failed = true;
        FLog.Line("Error: " + text);
    }

    TSetupLog& FLog;
    std::string FLastTotal;
};

} // namespace

int RunSilentInstall(TInstaller& installer, const std::string& location, int64_t freeSpace, IInstallSystem& system,
                     TSetupLog& log)
{
    log.Line("Installing " + installer.Title + " into " + location);
    installer.SpaceRequired = EstimateSpace(installer.Description(), installer.Package());
    installer.FreeSpace = freeSpace;
    if (installer.SpaceRequired > installer.FreeSpace)
    {
        log.Line("Error: " + std::string(kInsufficientLabelText) + " (" + KilobytesText(installer.SpaceRequired) +
                 " required, " + KilobytesText(installer.FreeSpace) + " available)");
        return kExitFailed;
    }
    TSilentView view(log);
    TCopyResult result = installer.Copy(location, system, view);
    if (result != TCopyResult::Completed)
    {
        log.Line(result == TCopyResult::RolledBackPartly ? "The installation could not be completely rolled back."
                                                         : "The installation was rolled back.");
        return kExitFailed;
    }
    installer.GroupStep(system, view);
    installer.Finish(installer.HasSection(inf::kDesktopIcons), false, system);
    log.Line("Installation of " + installer.Title + " has successfully completed.");
    return kExitSuccess;
}

} // namespace installer
} // namespace kf
