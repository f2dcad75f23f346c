// Entry of the installer stub, the head of every setup executable: checks that the
// package behind it is whole, then shows the background and the wizard, or with /S
// installs with no window at all.
#include "platform/Text.h"
#include "runtime/common/SetupLog.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/TitleLock.h"
#include "runtime/installer/InstallSystemWin32.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerModel.h"
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

uint32_t TickCount() { return static_cast<uint32_t>(GetTickCount()); }

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
        // The run, and the one or the other view of it.
        kf::ui::TComApartment com; // the shell link object of the shortcuts
        TWin32InstallSystem system;
        TInstallerModel run(*installer, system, TickCount);
        run.SetUp(ReadBaseDirectories(installer->Title), switches.HasDirectory ? switches.Directory : std::string());
        if (switches.Silent)
            return RunSilentInstall(run, log);
        kf::ui::InitCommonControls(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
        TMainForm form(run, *installer, system);
        form.FormCreate();
        title = form.Title();
        run.Start(form.Wizard());
        form.Show();
        form.Run();
        return run.ExitCode();
    }
    catch (const std::exception& error)
    {
        log.Line(kf::Concat({"Error: ", error.what()}));
        if (!switches.Silent)
            kf::ui::ShowErrorBox(nullptr, error.what(), title.c_str());
        return kf::kExitFailed;
    }
}
