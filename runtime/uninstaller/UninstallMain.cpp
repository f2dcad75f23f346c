// Entry of the uninstaller stub. Started without arguments (from the registration or
// the Start menu) it copies itself to the temporary directory and restarts from
// there, so the installed uninstall.exe is free to be deleted; the copy, started with
// the log's path, shows the dialog. With /S neither run shows a window: the first waits
// for the copy and returns its exit code, so a package manager knows when it is done.
#include "platform/FileSystem.h"
#include "runtime/common/SetupLog.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/TitleLock.h"
#include "runtime/uninstaller/RemovalSystemWin32.h"
#include "runtime/uninstaller/UninstallCore.h"
#include "runtime/uninstaller/UninstallMainForm.h"
#include "runtime/uninstaller/UninstallModel.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/Handle.h"
#include "win32ui/PrivateFolder.h"
#include "win32ui/SystemLibrary.h"

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kf::uninstall;

// A /LOG= path the caller gave relative to its own current directory; the temporary
// copy runs elsewhere.
std::string FullPath(const std::string& path)
{
    char buffer[MAX_PATH * 2];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
    return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : path;
}

// Starts the copy just written, still held against writes, and lets go of it once the
// process runs. Silent: the caller's process is the one a package manager waits for, so
// it waits for the copy and hands on its exit code.
int StartupCopy(const kf::TSwitches& switches, kf::TSetupLog& log)
{
    std::string program = kf::ModuleFileName();
    std::string programDir = kf::DirectoryPart(program);
    std::string tempDir = TempCopyDirectory(kf::TempDirectoryRaw(), programDir);
    kf::ForceDirectories(tempDir);
    // A folder of its own, never a fixed name in a folder others can write: a failed
    // copy starts nothing.
    kf::ui::TPrivateFolder folder;
    kf::ui::TFileHandle held;
    if (folder.Create(tempDir))
        held = folder.WriteCopy(program, kTempCopyName);
    if (!held)
    {
        DWORD error = GetLastError();
        if (!folder.Path().empty())
            kf::ui::TPrivateFolder::Remove(folder.Path());
        if (switches.Silent)
            log.Line(std::string(kInitFailedText) + " " + kf::SystemErrorMessage(error));
        else
            MessageBoxA(nullptr, kInitFailedText, kInitFailedCaption, MB_OK | MB_ICONEXCLAMATION);
        return kf::kExitFailed;
    }
    std::string copy = folder.Path() + kTempCopyName;
    std::string commandLine = "\"" + copy + "\" " + RestartParameter(programDir);
    if (switches.Silent)
    {
        commandLine += " /S";
        if (!switches.LogPath.empty())
            commandLine += " \"/LOG=" + FullPath(switches.LogPath) + "\"";
        log.Close(); // the copy writes the log from now on
    }
    // A process's current directory cannot be removed: often the target folder itself.
    SetCurrentDirectoryA(folder.Path().c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
                        &startup, &process))
    {
        DWORD error = GetLastError();
        held.Reset();
        kf::ui::TPrivateFolder::Remove(folder.Path());
        if (!switches.Silent)
            kf::ui::ShowErrorBox(nullptr, "Cannot start " + copy + ": " + kf::SystemErrorMessage(error),
                                 kInitFailedCaption);
        else if (!switches.LogPath.empty() && log.Open(switches.LogPath))
            log.Line("Cannot start " + copy + ": " + kf::SystemErrorMessage(error));
        return kf::kExitFailed;
    }
    held.Reset();
    kf::ui::THandle processHandle(process.hProcess), thread(process.hThread);
    if (!switches.Silent)
        return 0;
    WaitForSingleObject(processHandle.Get(), INFINITE);
    DWORD code = kf::kExitFailed;
    GetExitCodeProcess(processHandle.Get(), &code);
    // The copy has ended: its folder goes now, but for this program's own image when
    // the removal parked it there (it goes at the next restart).
    kf::ui::TPrivateFolder::Remove(folder.Path());
    return static_cast<int>(code);
}

// The temporary copy, run from the private folder its first run made, leaves the folder
// to the next restart: it cannot delete its own image. Anywhere else nothing is touched.
void LeavePrivateFolder()
{
    std::string folder = kf::DirectoryPart(kf::ModuleFileName());
    std::string name = folder.substr(0, folder.size() - 1);
    name = name.substr(name.find_last_of('\\') + 1);
    if (kf::IsPrivateFolderName(name))
        kf::ui::TPrivateFolder::RemoveAtRestart(folder);
}

// /S: the removal shows nothing; its report goes to the log afterwards.
class TSilentView : public IUninstallView
{
public:
    void ShowPage(TPage, const TButtonState&) override {}
    void EntryStarting(const std::string&) override {}
    void EntryDone() override {}
    void EndProgram(int) override {}
};

// Every entry undone with no window; 0 when everything went, 3010 when what stayed goes
// at the next restart, 2 when something stays for good (each failure in the log, in the
// words of the "More Information" list).
int SilentRemoval(TUninstallModel& run, kf::TSetupLog& log)
{
    TSilentView view;
    int code = run.RunUnattended(view);
    for (const std::string& line : run.Report().Lines)
        log.Line(line);
    if (code == kf::kExitSuccess)
        log.Line("Everything was removed.");
    else if (code == kf::kExitRebootRequired)
        log.Line("Some components are in use and will be removed when Windows restarts.");
    else
        log.Line("Some components could not be removed.");
    return code;
}

// The temporary copy: the removal of the log at logPath, in the dialog or with /S.
int Remove(const std::string& logPath, bool silent, kf::TSetupLog& log)
{
    // The restart inherits the first run's current directory, often the target folder
    // itself; a process's current directory cannot be removed, so move out of it.
    SetCurrentDirectoryA(kf::DirectoryPart(kf::ModuleFileName()).c_str());
    std::unique_ptr<kf::TLogFile> uninstallLog;
    std::string openError;
    try
    {
        uninstallLog = std::make_unique<kf::TLogFile>(logPath, false);
    }
    catch (const std::exception& error)
    {
        openError = error.what();
    }
    if (silent && !uninstallLog)
    {
        log.Line(CannotOpenLogMessage(logPath) + " (" + openError + ")");
        return kf::kExitFailed;
    }
    // A log that cannot be read is the dialog's to report, after the lock.
    std::string title = uninstallLog ? uninstallLog->Title() : std::string();
    kf::TTitleLock lock;
    if (!lock.Acquire(title))
    {
        if (silent)
            log.Line("Error: " + kf::AlreadyRunningText(title));
        else
            MessageBoxA(nullptr, kf::AlreadyRunningText(title).c_str(), kf::kAlreadyRunningCaption,
                        MB_OK | MB_ICONEXCLAMATION);
        return kf::kExitAlreadyRunning;
    }
    if (!silent)
    {
        kf::ui::InitCommonControls(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
        if (!uninstallLog)
        {
            MessageBoxA(nullptr, CannotOpenLogMessage(logPath).c_str(), kOpenErrorCaption, MB_OK | MB_ICONEXCLAMATION);
            return 1;
        }
    }
    TWin32RemovalSystem system;
    TUninstallModel run(*uninstallLog, ScopeForLog(*uninstallLog, ReadRemovalRoots(logPath)), system);
    if (silent)
    {
        log.Line("Removing " + uninstallLog->Title() + " as recorded in " + logPath);
        std::string program = kf::ModuleFileName();
        system.SetLauncher(kf::DirectoryPart(logPath) + "uninstall.exe", kf::DirectoryPart(program) + "uninst.old");
        return SilentRemoval(run, log);
    }
    TMainForm form(run);
    form.FormCreate();
    run.Start(form);
    form.Run();
    return run.ExitCode();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    kf::ui::RestrictDllSearch();
    kf::TSwitches switches = kf::ParseUninstallSwitches(kf::CommandTail(GetCommandLineA()));
    kf::TSetupLog log;
    if (!switches.LogPath.empty())
        log.Open(switches.LogPath);
    kf::ui::SetErrorCaption(kApplicationTitle);
    try
    {
        if (!switches.Error.empty())
        {
            log.Line(switches.Error);
            if (!switches.Silent)
                MessageBoxA(nullptr, (switches.Error + "\r\n\r\n" + kf::UninstallSwitchesHelp()).c_str(),
                            kApplicationTitle, MB_OK | MB_ICONERROR);
            return kf::kExitFailed;
        }
        if (switches.Help)
        {
            MessageBoxA(nullptr, kf::UninstallSwitchesHelp().c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
            return kf::kExitSuccess;
        }
        if (switches.Plain.empty())
            return StartupCopy(switches, log);
        int code = Remove(switches.Plain[0], switches.Silent, log);
        LeavePrivateFolder();
        return code;
    }
    catch (const std::exception& error)
    {
        log.Line(error.what());
        if (!switches.Silent)
            kf::ui::ShowErrorBox(nullptr, error.what(), kApplicationTitle);
        return kf::kExitFailed;
    }
}
