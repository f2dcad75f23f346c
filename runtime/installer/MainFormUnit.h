// TMainForm: the installer's full-screen background window (the banded gradient and
// the shadowed title) and the owner of the run: the package and description
// (TInstaller), the installer model, and the wizard that renders it.
#pragma once

#include "runtime/installer/InstallSystemWin32.h"
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
    TMainForm();
    ~TMainForm() override;

    // FormCreate: takes over the run (the package opened on the program's own file, its
    // description read) and sets up the background and the wizard.
    void FormCreate(std::unique_ptr<TInstaller> installer);
    // Shows the background maximised and the wizard in front of it.
    void Show();
    // Runs the message loop until the program ends; the exit code.
    int Run();

    void ViewReadme();
    // Ends the program: no question, the windows go and the message loop ends; Run
    // returns exitCode (kExitSuccess, kExitCancelled or kExitFailed).
    void EndProgram(int exitCode);
    // /D=: the location the wizard proposes.
    void SetLocation(const std::string& location);

    // Dispatches waiting messages with the dialog keys of the window they are for.
    void Pump();
    TInstaller& Installer() { return *FInstaller; }
    TInstallerModel& Model() { return *FModel; }
    TWin32InstallSystem& System() { return FSystem; }
    TWizardForm& Wizard() { return *FWizard; }
    const std::string& Title() const { return FInstaller->Title; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormPaint(HDC dc);

    std::unique_ptr<TInstaller> FInstaller;
    TWin32InstallSystem FSystem;
    std::unique_ptr<TWizardForm> FWizard;
    std::unique_ptr<TInstallerModel> FModel;
    ui::TFont FTitleFont;
    ui::TPrivateFolder FReadmeFolder; // made when the readme is first shown
    bool FEnded = false;
};

} // namespace installer
} // namespace kf
