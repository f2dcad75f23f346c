// Entry of the uninstaller stub. Started without arguments (from the registration or
// the Start menu) it copies itself to the temporary directory and restarts from
// there, so the installed uninstall.exe is free to be deleted; the copy, started with
// the log's path, shows the dialog.
#include "platform/FileSystem.h"
#include "runtime/uninstaller/UninstallCore.h"
#include "runtime/uninstaller/UninstallMainForm.h"
#include "win32ui/ErrorBox.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

namespace {

using namespace kf::uninstall;

int StartupCopy()
{
    std::string program = kf::ModuleFileName();
    std::string programDir = ExtractFileDir(program);
    std::string tempDir = TempCopyDirectory(kf::TempDirectoryRaw(), programDir);
    kf::ForceDirectories(tempDir);
    std::string copy = tempDir + kTempCopyName;
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE))
        MessageBoxA(nullptr, kInitFailedText, kInitFailedCaption, MB_OK | MB_ICONEXCLAMATION);
    HINSTANCE started = ShellExecuteA(nullptr, "open", copy.c_str(), RestartParameter(programDir).c_str(), nullptr,
                                      SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32 ? 0 : 1;
}

int ShowDialog(const std::string& logPath)
{
    // The restart inherits the first run's current directory, often the target folder
    // itself; a process's current directory cannot be removed, so move out of it.
    SetCurrentDirectoryA(ExtractFileDir(kf::ModuleFileName()).c_str());
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    TMainForm form;
    if (!form.FormCreate(logPath))
        return 1;
    return form.Run();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    kf::ui::SetErrorCaption(kApplicationTitle);
    try
    {
        std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
        if (arguments.size() < 2)
            return StartupCopy();
        return ShowDialog(arguments[1]);
    }
    catch (const std::exception& error)
    {
        kf::ui::ShowErrorBox(nullptr, error.what(), kApplicationTitle);
        return 1;
    }
}
