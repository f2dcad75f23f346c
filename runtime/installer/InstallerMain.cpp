// Entry of the installer stub, the head of every setup executable: checks that the
// package behind it is whole, then shows the background and the wizard.
#include "runtime/common/ShellInstallLib.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/MainFormUnit.h"
#include "win32ui/Com.h"
#include "win32ui/ErrorBox.h"

#include <commctrl.h>

#include <exception>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    using namespace kf::installer;
    std::string title = kApplicationTitle;
    kf::ui::SetErrorCaption(kApplicationTitle);
    try
    {
        std::string setup = kf::ModuleFileName();
        // A truncated download or junk behind the package must not install half of it.
        if (!CheckSetupPackage(setup))
        {
            MessageBoxA(nullptr, kDamagedSetupText, kDamagedSetupCaption, MB_OK | MB_ICONERROR);
            return 2;
        }
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        kf::ui::TComApartment com; // the shell link object of the shortcuts
        TMainForm form;
        form.FormCreate(setup);
        title = form.Title();
        form.Show();
        return form.Run();
    }
    catch (const std::exception& error)
    {
        kf::ui::ShowErrorBox(nullptr, error.what(), title.c_str());
        return 1;
    }
}
