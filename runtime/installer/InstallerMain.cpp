// Entry of the installer stub, the head of every setup executable: checks that the
// package behind it is whole, then shows the background and the wizard, or with /S
// installs with no window at all.
#include "platform/Text.h"
#include "runtime/common/SetupLog.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/TitleLock.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerTexts.h"
#include "runtime/installer/MainFormUnit.h"
#include "runtime/installer/SilentInstall.h"
#include "win32ui/Com.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/SystemLibrary.h"

#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kf::installer;

int RunSilent(TInstaller& installer, const kf::TSwitches& switches, kf::TSetupLog& log)
{
    std::string location =
        switches.HasDirectory ? switches.Directory
                              : DefaultLocation(installer.Description(), ReadBaseDirectories(installer.Title));
    kf::ui::TComApartment com; // the shell link object of the shortcuts
    TWin32InstallSystem system;
    return RunSilentInstall(installer, location, system.FreeSpace(kf::FreeSpaceRoot(location)), system, log);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    kf::ui::RestrictDllSearch();
    std::string title = kApplicationTitle;
    kf::TSwitches switches = kf::ParseInstallSwitches(kf::CommandTail(GetCommandLineA()));
    kf::TSetupLog log;
    if (!switches.LogPath.empty())
        log.Open(switches.LogPath);
    kf::ui::SetErrorCaption(kApplicationTitle);
    try
    {
        if (!switches.Error.empty())
        {
            log.Line(kf::Concat({"Error: ", switches.Error}));
            if (!switches.Silent)
                MessageBoxA(nullptr, kf::Concat({switches.Error, "\r\n\r\n", kf::InstallSwitchesHelp()}).c_str(), title.c_str(),
                            MB_OK | MB_ICONERROR);
            return kf::kExitFailed;
        }
        if (switches.Help)
        {
            MessageBoxA(nullptr, kf::InstallSwitchesHelp().c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
            return kf::kExitSuccess;
        }
        std::string setup = kf::ModuleFileName();
        // A truncated download or junk behind the package must not install half of it.
        if (!CheckSetupPackage(setup))
        {
            log.Line(kf::Concat({"Error: ", kDamagedSetupText}));
            if (!switches.Silent)
                MessageBoxA(nullptr, kDamagedSetupText, kDamagedSetupCaption, MB_OK | MB_ICONERROR);
            return kf::kExitFailed;
        }
        // The package is opened once, and its title known before any window shows.
        auto installer = std::make_unique<TInstaller>(setup);
        installer->ReadSettings();
        kf::TTitleLock lock;
        if (!lock.Acquire(installer->Title))
        {
            std::string text = kf::AlreadyRunningText(installer->Title);
            log.Line(kf::Concat({"Error: ", text}));
            if (!switches.Silent)
                MessageBoxA(nullptr, text.c_str(), kf::kAlreadyRunningCaption, MB_OK | MB_ICONEXCLAMATION);
            return kf::kExitAlreadyRunning;
        }
        if (switches.Silent)
            return RunSilent(*installer, switches, log);
        kf::ui::InitCommonControls(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
        kf::ui::TComApartment com; // the shell link object of the shortcuts
        TMainForm form;
        form.FormCreate(std::move(installer));
        title = form.Title();
        if (switches.HasDirectory)
            form.SetLocation(switches.Directory);
        form.Show();
        return form.Run();
    }
    catch (const std::exception& error)
    {
        log.Line(kf::Concat({"Error: ", error.what()}));
        if (!switches.Silent)
            kf::ui::ShowErrorBox(nullptr, error.what(), title.c_str());
        return kf::kExitFailed;
    }
}
