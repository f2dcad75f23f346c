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
#include "win32ui/ErrorBox.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

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

// Silent: the caller's process is the one a package manager waits for, so it waits for
// the temporary copy and hands on its exit code.
int StartupCopy(const kf::TSwitches& switches, kf::TSetupLog& log)
{
    std::string program = kf::ModuleFileName();
    std::string programDir = kf::DirectoryPart(program);
    std::string tempDir = TempCopyDirectory(kf::TempDirectoryRaw(), programDir);
    kf::ForceDirectories(tempDir);
    std::string copy = tempDir + kTempCopyName;
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE))
    {
        if (switches.Silent)
        {
            log.Line(std::string(kInitFailedText) + " " + kf::SystemErrorMessage(GetLastError()));
            return kf::kExitFailed;
        }
        MessageBoxA(nullptr, kInitFailedText, kInitFailedCaption, MB_OK | MB_ICONEXCLAMATION);
    }
    if (!switches.Silent)
    {
        HINSTANCE started = ShellExecuteA(nullptr, "open", copy.c_str(), RestartParameter(programDir).c_str(),
                                          nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(started) > 32 ? 0 : 1;
    }
    std::string commandLine = "\"" + copy + "\" " + RestartParameter(programDir) + " /S";
    if (!switches.LogPath.empty())
        commandLine += " \"/LOG=" + FullPath(switches.LogPath) + "\"";
    log.Close(); // the copy writes the log from now on
    // A process's current directory cannot be removed: often the target folder itself.
    SetCurrentDirectoryA(tempDir.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, tempDir.c_str(), &startup,
                        &process))
    {
        DWORD error = GetLastError();
        if (!switches.LogPath.empty() && log.Open(switches.LogPath))
            log.Line("Cannot start " + copy + ": " + kf::SystemErrorMessage(error));
        return kf::kExitFailed;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = kf::kExitFailed;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

class TSilentProgress : public IRemovalProgress
{
public:
    void EntryStarting(const std::string&) override {}
    void EntryDone() override {}
};

// Every entry undone with no window; 0 when everything went, 3010 when what stayed goes
// at the next restart, 2 when something stays for good (each failure in the log, in the
// words of the "More Information" list).
int SilentRemoval(const std::string& logPath, kf::TSetupLog& log)
{
    SetCurrentDirectoryA(kf::DirectoryPart(kf::ModuleFileName()).c_str());
    std::unique_ptr<kf::TLogFile> uninstallLog;
    try
    {
        uninstallLog = std::make_unique<kf::TLogFile>(logPath, false);
    }
    catch (const std::exception& error)
    {
        log.Line(CannotOpenLogMessage(logPath) + " (" + error.what() + ")");
        return kf::kExitFailed;
    }
    kf::TTitleLock lock;
    if (!lock.Acquire(uninstallLog->Title()))
    {
        log.Line("Error: " + kf::AlreadyRunningText(uninstallLog->Title()));
        return kf::kExitAlreadyRunning;
    }
    log.Line("Removing " + uninstallLog->Title() + " as recorded in " + logPath);
    TWin32RemovalSystem system;
    std::string program = kf::ModuleFileName();
    system.SetLauncher(kf::DirectoryPart(logPath) + "uninstall.exe", kf::DirectoryPart(program) + "uninst.old");
    TSilentProgress progress;
    TRemovalReport report;
    RunUninstall(*uninstallLog, ScopeForLog(*uninstallLog, ReadRemovalRoots(logPath)), system, progress, report);
    for (const std::string& line : report.Lines)
        log.Line(line);
    int code = RemovalExitCode(report);
    if (code == kf::kExitSuccess)
        log.Line("Everything was removed.");
    else if (code == kf::kExitRebootRequired)
        log.Line("Some components are in use and will be removed when Windows restarts.");
    else
        log.Line("Some components could not be removed.");
    return code;
}

int ShowDialog(const std::string& logPath)
{
    // The restart inherits the first run's current directory, often the target folder
    // itself; a process's current directory cannot be removed, so move out of it.
    SetCurrentDirectoryA(kf::DirectoryPart(kf::ModuleFileName()).c_str());
    // A log that cannot be read is the dialog's to report.
    std::string title;
    try
    {
        title = kf::TLogFile(logPath, false).Title();
    }
    catch (const std::exception&)
    {
    }
    kf::TTitleLock lock;
    if (!lock.Acquire(title))
    {
        MessageBoxA(nullptr, kf::AlreadyRunningText(title).c_str(), kf::kAlreadyRunningCaption,
                    MB_OK | MB_ICONEXCLAMATION);
        return kf::kExitAlreadyRunning;
    }
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
        if (switches.Silent)
            return SilentRemoval(switches.Plain[0], log);
        return ShowDialog(switches.Plain[0]);
    }
    catch (const std::exception& error)
    {
        log.Line(error.what());
        if (!switches.Silent)
            kf::ui::ShowErrorBox(nullptr, error.what(), kApplicationTitle);
        return kf::kExitFailed;
    }
}
