#include "runtime/installer/InstallerCore.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "runtime/installer/InstallerAppearance.h"
#include "runtime/installer/InstallerTexts.h"
#include "runtime/installer/UninstallEntry.h"

#include <exception>

namespace kf {
namespace installer {

TAncestor FindExistingAncestor(const std::string& installDir, IInstallSystem& system)
{
    std::string existing = installDir;
    // ParentDir always shortens, and the empty path ends the climb: a location on a
    // missing drive or a relative one has no existing ancestor.
    while (!existing.empty() && !system.DirectoryExists(existing))
        existing = ParentDir(existing);
    std::string relative = installDir.substr(existing.size());
    if (!relative.empty() && relative.front() == '\\')
        relative.erase(0, 1);
    if (!relative.empty() && relative.back() == '\\')
        relative.pop_back();
    return {existing, relative};
}

bool CheckSetupPackage(const std::string& path)
{
    return IsSoundSetupFile(path, "install.inf");
}

std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value)
{
    std::vector<TUndoAction> actions;
    if (kind == "File")
        actions.push_back({true, value});
    else if (kind == "Directory")
        ForEachDirectoryUndoLevel(value, [&actions](const std::string& level) { actions.push_back({false, level}); });
    return actions;
}

TInstaller::TInstaller(const std::string& setupPath)
    : TInstaller(std::make_unique<TCompressionManager>(setupPath, false, true, true))
{}

TInstaller::TInstaller(std::unique_ptr<TCompressionManager> package) : FPackage(std::move(package))
{
    if (FPackage)
        FDescription.LoadText(*FPackage->ReadEntryStream(inf::kEntryName));
}

void TInstaller::ReadSettings()
{
    if (HasSection(inf::kTitle))
        Title = FDescription.ReadValue(inf::kTitle);
    if (HasSection(inf::kStartColor))
        StartColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue(inf::kStartColor), static_cast<int32_t>(StartColor)));
    if (HasSection(inf::kEndColor))
        EndColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue(inf::kEndColor), static_cast<int32_t>(EndColor)));
    if (HasSection(inf::kImage))
        ImageName = FDescription.ReadValue(inf::kImage);
}

void TInstaller::StartLog(const std::string& relative)
{
    std::string logPath = AddBackslash(InstallDir) + kLogName;
    FLog = std::make_unique<TLogFile>(logPath, true);
    FLog->AddTitleEntry(Title);
    if (!relative.empty())
        FLog->AddDirectoryEntry(InstallDir, relative);
    FLog->AddFileEntry(logPath);
}

void TInstaller::CreatePath(const std::string& directory, IInstallSystem& system)
{
    std::string rest = RemoveDoubleBackslash(directory);
    // A network share is no folder to make or log: the levels start below it.
    std::string built = AddBackslash(UncRoot(rest));
    rest.erase(0, built.size());
    while (!rest.empty())
    {
        size_t cut = rest.find('\\');
        std::string component = cut == std::string::npos ? rest : rest.substr(0, cut + 1);
        rest.erase(0, component.size());
        built += component;
        if (!system.DirectoryExists(built))
        {
            system.ForceDirectories(built);
            if (FLog)
                FLog->AddDirectoryEntry(built, component);
        }
    }
}

TCopyResult TInstaller::Copy(const std::string& location, IInstallSystem& system, IInstallView& view)
{
    InstallDir = location;
    TAncestor ancestor = FindExistingAncestor(InstallDir, system);
    system.ForceDirectories(InstallDir);
    try
    {
        StartLog(ancestor.Relative);
    }
    catch (const std::exception& error)
    {
        FLog.reset();
        // What this step made for the log is taken away again; nothing else exists yet.
        if (!ancestor.Relative.empty())
            UndoEntry("Directory", ancestor.Relative + ";" + InstallDir, system);
        view.ShowLogError(error.what());
        return TCopyResult::LogFailed;
    }

    for (const std::string& line : FDescription.ReadSection(inf::kDirectories))
    {
        auto [left, right] = SplitValue(line);
        std::string directory = AddBackslash(InstallDir) + AddBackslash(left) + right;
        system.ForceDirectories(directory);
        FLog->AddDirectoryEntry(directory, right);
    }

    view.CopyStarted();
    struct TProgressGuard
    {
        TCompressionManager& Package;
        ~TProgressGuard() { Package.OnProgress = nullptr; }
    } progressGuard{*FPackage};
    bool cancelInFile = false;
    FPackage->OnProgress = [&view, &cancelInFile](TCompressionManager& package, int32_t position, int32_t size) {
        view.SetFileProgress(position, size);
        // Only a stop request here: the roll-back comes once the file is closed.
        if (view.Pump())
        {
            cancelInFile = true;
            package.SetCancel(true);
        }
    };

    std::vector<std::string> files = FDescription.ReadSection(inf::kFiles);
    int32_t count = static_cast<int32_t>(files.size());
    view.SetTotalProgress(0, count - 1);
    if (view.Pump())
        return AbortInstall(system, view);
    // Files come folder by folder: a folder made or found for one file is there for the next,
    // and asking again for every level of it cost more than writing a small file.
    std::string preparedDirectory;
    for (int32_t i = 0; i < count; ++i)
    {
        auto [entry, target] = SplitValue(files[i]);
        std::string destination = AddBackslash(InstallDir) + target;
        view.SetInstallingFile(ExtractingText(target));
        // A Cancel confirmed while the label repainted: nothing of this file exists yet.
        if (view.Pump())
            return AbortInstall(system, view);
        std::string directory = DirectoryPart(RemoveDoubleBackslash(destination));
        if (directory != preparedDirectory)
        {
            CreatePath(directory, system);
            preparedDirectory = directory;
        }
        FLog->AddFileEntry(destination); // before writing, so a roll-back gets a partial file too

        bool failed = false;
        InProgress = true;
        try
        {
            FPackage->ExtractFile(entry, destination);
        }
        catch (const std::exception&)
        {
            failed = true;
        }
        InProgress = false;
        if (failed)
        {
            view.ShowInstallError(InstallErrorText(destination));
            Failed = true;
            return AbortInstall(system, view);
        }
        if (cancelInFile)
            return AbortInstall(system, view);
        view.SetTotalProgress(i + 1, count - 1);
        if (view.Pump())
            return AbortInstall(system, view);
    }
    return TCopyResult::Completed;
}

void TInstaller::CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system)
{
    for (const std::string& line : lines)
    {
        auto [caption, target] = SplitValue(line);
        std::string base = AddBackslash(folder) + caption;
        std::string created =
            IsURL(target) ? system.CreateShortcut(base, target, std::string())
                          : system.CreateShortcut(base, AddBackslash(InstallDir) + target, AddBackslash(InstallDir));
        if (!created.empty() && FLog)
            FLog->AddFileEntry(created);
    }
}

void TInstaller::GroupStep(IInstallSystem& system, IInstallView& view)
{
    view.GroupStepStarted();
    std::string group = FDescription.ReadValue(inf::kProgramGroup);
    std::string groupDir = system.GroupDir(group);
    if (FLog)
        FLog->AddDirectoryEntry(groupDir, group);
    CreateIcons(FDescription.ReadSection(inf::kGroupIcons), groupDir, system);
    system.RegisterUninstall(Title, RegistrationFor(Title, InstallDir, FDescription, FPackage.get()));
    for (const std::string& line : FDescription.ReadSection(inf::kRunAndWait))
    {
        view.SetCompleting(RunningText(line));
        view.Pump();
        system.RunAndWait(AddBackslash(InstallDir) + line);
    }
    view.BringToFront();
}

void TInstaller::Finish(bool desktopIcons, bool launchNow, IInstallSystem& system)
{
    if (desktopIcons)
    {
        std::string desktop = system.CommonDesktopDir();
        // Without an all-users desktop the shortcut would land in the current folder.
        if (!desktop.empty())
            CreateIcons(FDescription.ReadSection(inf::kDesktopIcons), desktop, system);
    }
    Finished = true;
    if (launchNow)
        system.Launch(AddBackslash(InstallDir) + FDescription.ReadValue(inf::kLaunch), InstallDir);
}

TCopyResult TInstaller::AbortInstall(IInstallSystem& system, IInstallView& view)
{
    Cancelled = true;
    try
    {
        RollBack(system, view);
    }
    catch (const std::exception&)
    {}
    return TCopyResult::EndProgram;
}

void TInstaller::RollBack(IInstallSystem& system, IInstallView& view)
{
    if (!FLog)
        return;
    int32_t count = FLog->Count();
    view.SetTotalProgress(count, count);
    view.SetFileProgress(1, 1);
    view.Pump();
    std::string kind, value;
    int32_t left = count;
    while (FLog->ReadPrevious(kind, value))
    {
        view.SetTotalLabel(kCancellingText);
        view.SetInstallingFile(RemovingText(value));
        view.SetFileProgress(1, 1);
        view.Pump();
        UndoEntry(kind, value, system);
        view.SetFileProgress(0, 1);
        view.SetTotalProgress(--left, count);
        view.Pump();
    }
}

void TInstaller::UndoEntry(const std::string& kind, const std::string& value, IInstallSystem& system)
{
    for (const TUndoAction& action : UndoActions(kind, value))
    {
        if (action.IsFile)
            system.DeleteFileAt(action.Path);
        else
            system.RemoveDirectoryAt(action.Path);
    }
}

} // namespace installer
} // namespace kf