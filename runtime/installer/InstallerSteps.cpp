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

namespace {

constexpr bool kShown = true, kHidden = false;

} // namespace

const TStepRow kSteps[6] = {
    // step, page, licence only; Previous, Print, Next, Finish, Cancel; Next enabled; captions;
    // starts the space timer; Next, Previous; installed when closed
    {TStep::Welcome, tabInfo, false, kHidden, kHidden, kShown, kHidden, kShown, true, kNextCaption, kPreviousCaption,
     false, TStepAction::Advance, TBackAction::None, false},
    {TStep::Licence, tabLicense, true, kShown, kShown, kShown, kHidden, kShown, true, kYesCaption, kNoCaption, true,
     TStepAction::Advance, TBackAction::ConfirmRefusal, false},
    {TStep::Location, tabLocation, false, kShown, kHidden, kShown, kHidden, kShown, true, kNextCaption,
     kPreviousCaption, false, TStepAction::SpaceCheckAndCopy, TBackAction::Back, false},
    {TStep::Installing, tabInstalling, false, kHidden, kHidden, kShown, kHidden, kShown, false, kNextCaption,
     kPreviousCaption, false, TStepAction::ByItself, TBackAction::None, false},
    {TStep::Completing, tabCompleting, false, kHidden, kHidden, kShown, kHidden, kShown, false, kNextCaption,
     kPreviousCaption, false, TStepAction::ByItself, TBackAction::None, false},
    {TStep::Complete, tabComplete, false, kHidden, kHidden, kHidden, kShown, kHidden, false, kNextCaption,
     kPreviousCaption, false, TStepAction::Finish, TBackAction::None, true},
};

const TStepRow& StepRow(TStep step)
{
    return kSteps[static_cast<int>(step)];
}

namespace {

TStep Neighbour(TStep step, int direction, bool hasLicense)
{
    constexpr int count = sizeof(kSteps) / sizeof(kSteps[0]);
    for (int i = static_cast<int>(step) + direction; i >= 0 && i < count; i += direction)
        if (!kSteps[i].LicenceOnly || hasLicense)
            return kSteps[i].Step;
    return step;
}

} // namespace

TStep StepAfter(TStep step, bool hasLicense)
{
    return Neighbour(step, 1, hasLicense);
}

TStep StepBefore(TStep step, bool hasLicense)
{
    return Neighbour(step, -1, hasLicense);
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
