#include "runtime/installer/UninstallEntry.h"

#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/common/ShortcutsLib.h"

#include <set>

namespace kf {
namespace installer {

namespace {

bool IsExecutable(const std::string& path)
{
    return path.size() > 4 && UpperCaseAscii(path.substr(path.size() - 4)) == ".EXE";
}

} // namespace

TRegistration RegistrationFor(const std::string& title, const std::string& installDir,
                              const TINFReader& description, const TCompressionManager* package)
{
    TRegistration r;
    r.Title = title;
    r.InstallDir = installDir;
    if (description.SectionExists(inf::kDisplayVersion))
        r.Version = description.ReadValue(inf::kDisplayVersion);
    if (description.SectionExists(inf::kPublisher))
        r.Publisher = description.ReadValue(inf::kPublisher);

    std::set<std::string> installed;
    for (const std::string& line : description.ReadSection(inf::kFiles))
    {
        auto [entry, target] = SplitValue(line);
        installed.insert(UpperCaseAscii(target));
        int64_t size = package ? package->GetEntrySize(entry) : 0;
        if (size > 0)
            r.InstalledBytes += size;
    }

    std::vector<std::string> candidates;
    if (description.SectionExists(inf::kLaunch))
        candidates.push_back(description.ReadValue(inf::kLaunch));
    for (const char* section : {inf::kDesktopIcons, inf::kGroupIcons})
        for (const std::string& line : description.ReadSection(section))
        {
            std::string target = SplitValue(line).second;
            if (IsURL(target))
            {
                if (r.Website.empty())
                    r.Website = target;
            }
            else if (UpperCaseAscii(target) != UpperCaseAscii(inf::kUninstallerName))
                candidates.push_back(target);
        }
    for (const std::string& candidate : candidates)
        if (IsExecutable(candidate) && installed.count(UpperCaseAscii(candidate)))
        {
            r.MainExecutable = candidate;
            break;
        }
    return r;
}

} // namespace installer
} // namespace kf
