#include "runtime/installer/InstallerSteps.h"

#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerTexts.h"

#include <cmath>

namespace kf {
namespace installer {

std::string ResolveBaseDir(const std::string& value, const TBaseDirectories& dirs)
{
    if (value == inf::kProgramFilesDir)
        return AddBackslash(dirs.ProgramFiles);
    if (value == inf::kWindowsDir)
        return AddBackslash(dirs.Windows);
    if (value == inf::kSystemDir)
        return AddBackslash(dirs.Windows) + "SYSTEM32\\";
    if (value == inf::kCRootDir)
        return "C:\\";
    if (value == inf::kDesktopDir)
        return AddBackslash(dirs.Desktop);
    if (value == inf::kFontsDir)
        return AddBackslash(dirs.Fonts);
    return std::string();
}

namespace {

// A damaged or hand-edited value must not send the files somewhere relative to wherever
// the setup happened to start.
bool IsFullPath(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        return (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    // A share's path: "\\server\share", the share named.
    std::string share = UncRoot(path);
    size_t server = share.find('\\', 2);
    return server != std::string::npos && server + 1 < share.size();
}

} // namespace

std::string DefaultLocation(const TINFReader& description, const TBaseDirectories& dirs)
{
    std::string registered = TrimText(dirs.Registered);
    if (IsFullPath(registered))
        return registered;
    return ResolveBaseDir(description.ReadValue(inf::kBaseDir), dirs) + description.ReadValue(inf::kDefaultDir);
}

int64_t EstimateSpace(const TINFReader& description, const TCompressionManager& package)
{
    int64_t sum = 0;
    for (const std::string& line : description.ReadSection(inf::kFiles))
        sum += int64_t(package.GetEntrySize(SplitValue(line).first)) + 4096;
    return static_cast<int64_t>(std::trunc(1.1 * static_cast<double>(sum)));
}

TStepChange NextStepChange(int stepIndex, bool hasLicense)
{
    TStepChange change;
    switch (stepIndex)
    {
    case 0:
        change.PreviousVisible = 1;
        if (hasLicense)
        {
            change.NewStep = 1;
            change.Page = 1;
            change.NextCaption = kYesCaption;
            change.PreviousCaption = kNoCaption;
            change.PrintVisible = 1;
        }
        else
        {
            change.NewStep = 2;
            change.Page = 2;
        }
        break;
    case 1:
        change.NewStep = 2;
        change.Page = 2;
        change.PrintVisible = 0;
        change.NextCaption = kNextCaption;
        change.PreviousCaption = kPreviousCaption;
        change.SpaceTimer = 1;
        break;
    case 2:
        change.SpaceTimer = 0;
        change.Action = TStepAction::SpaceCheckAndCopy;
        break;
    case 3:
        change.Action = TStepAction::GroupStep;
        break;
    case 4:
        change.NewStep = 5;
        change.Page = 5;
        change.FinishVisible = 1;
        change.NextVisible = change.PreviousVisible = change.CancelVisible = 0;
        break;
    case 5:
        change.Action = TStepAction::Finish;
        break;
    }
    return change;
}

TStepChange PreviousStepChange(int stepIndex, bool hasLicense)
{
    TStepChange change;
    switch (stepIndex)
    {
    case 1:
        change.Action = TStepAction::ConfirmRefusal;
        break;
    case 2:
        change.SpaceTimer = 0;
        if (hasLicense)
        {
            change.NewStep = 1;
            change.Page = 1;
            change.PrintVisible = 1;
            change.NextCaption = kYesCaption;
            change.PreviousCaption = kNoCaption;
        }
        else
        {
            change.NewStep = 0;
            change.Page = 0;
            change.PreviousVisible = 0;
        }
        break;
    }
    return change;
}

std::string BrowseStartFolder(const std::string& path, IInstallSystem& system)
{
    std::string folder = path;
    while (!folder.empty() && !(folder.back() == '\\' && system.DirectoryExists(folder)))
        folder.pop_back();
    return folder;
}

} // namespace installer
} // namespace kf
