// TMainForm: the installer's full-screen background window (the banded gradient and
// the shadowed title) and the wizard in front of it: the two windows of one run
// (TInstallerModel), which WinMain composes with the package and the system.
#pragma once

#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerModel.h"
#include "runtime/installer/WizardFormUnit.h"
#include "win32ui/Gdi.h"
#include "win32ui/PrivateFolder.h"
#include "win32ui/Window.h"

#include <memory>
#include <string>

namespace kf {
namespace installer {

class TMainForm : public ui::TWindow
{
public:
    // The windows of run; installer gives the background's colours and title, system the
    // Browse dialog's folders.
    TMainForm(TInstallerModel& run, const TInstaller& installer, IInstallSystem& system);
    ~TMainForm() override;

    // FormCreate: the background and the wizard, its pages set up from the run.
    void FormCreate();
    // Shows the background maximised and the wizard in front of it.
    void Show();
    // Runs the message loop until the run ends.
    void Run();

    void ViewReadme();
    // Ends the program: no question, the windows go and the message loop ends.
    void EndProgram(int exitCode);

    // Dispatches waiting messages with the dialog keys of the window they are for.
    void Pump();
    TInstallerModel& Model() { return FRun; }
    IInstallSystem& System() { return FSystem; }
    TWizardForm& Wizard() { return *FWizard; }
    const std::string& Title() const { return FInstaller.Title; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormPaint(HDC dc);

    TInstallerModel& FRun;
    const TInstaller& FInstaller;
    IInstallSystem& FSystem;
    std::unique_ptr<TWizardForm> FWizard;
    ui::TFont FTitleFont;
    ui::TPrivateFolder FReadmeFolder; // made when the readme is first shown
    bool FEnded = false;
};

} // namespace installer
} // namespace kf
