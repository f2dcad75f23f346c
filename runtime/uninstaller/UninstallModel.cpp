#include "runtime/uninstaller/UninstallModel.h"

#include "runtime/common/SetupSwitches.h"
#include "runtime/common/UninstallLog.h"

#include <utility>

namespace kf {
namespace uninstall {

TUninstallModel::TUninstallModel(TLogFile& log, TRemovalScope scope, IRemovalSystem& system)
    : FLog(log), FScope(std::move(scope)), FSystem(system)
{}

void TUninstallModel::Start(IUninstallView& view)
{
    FView = &view;
    Show(TPage::Intro);
}

int TUninstallModel::RunUnattended(IUninstallView& view)
{
    FUnattended = true;
    Start(view);
    Next();
    Next();
    return ExitCode();
}

void TUninstallModel::Next()
{
    if (!FView || FEnded || FRemoving || !ButtonsForPage(FPage).NextEnabled)
        return;
    switch (FPage)
    {
    case TPage::Intro:
        FRemoving = true;
        Show(TPage::Uninstalling);
        RunUninstall(FLog, FScope, FSystem, *this, FReport);
        FRemoving = false;
        Show(TPage::Complete);
        return;
    case TPage::Uninstalling:
        return;
    case TPage::Complete:
        End();
        return;
    }
}

void TUninstallModel::Cancel()
{
    if (FView && !FEnded && !FRemoving && ButtonsForPage(FPage).CancelEnabled)
        End();
}

void TUninstallModel::Close()
{
    if (FView && !FEnded && !FRemoving && CanClose(FPage))
        End();
}

int TUninstallModel::ExitCode() const
{
    return FUnattended ? RemovalExitCode(FReport) : kExitSuccess;
}

void TUninstallModel::Show(TPage page)
{
    FPage = page;
    TButtonState buttons = ButtonsForPage(page);
    if (buttons.ResetErrors)
        FReport = TRemovalReport();
    FView->ShowPage(page, buttons);
}

void TUninstallModel::End()
{
    FEnded = true;
    FView->EndProgram(ExitCode());
}

} // namespace uninstall
} // namespace kf
