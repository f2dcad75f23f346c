#include "runtime/installer/UninstallEntry.h"

#include "runtime/common/ShortcutsLib.h"

#include <set>

namespace kf {
namespace installer {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsExecutable(const std::string& path)
{
    return path.size() > 4 && Upper(path.substr(path.size() - 4)) == ".EXE";
}

} // namespace

TRegistration RegistrationFor(const std::string& title, const std::string& installDir,
                              const TINFReader& description, const TCompressionManager* package)
{
    TRegistration r;
    r.Title = title;
    r.InstallDir = installDir;
    if (description.SectionExists("display version"))
        r.Version = description.ReadValue("display version");
    if (description.SectionExists("publisher"))
        r.Publisher = description.ReadValue("publisher");

    std::set<std::string> installed;
    for (const std::string& line : description.ReadSection("files"))
    {
        auto [entry, target] = SplitValue(line);
        installed.insert(Upper(target));
        int64_t size = package ? package->GetEntrySize(entry) : 0;
        if (size > 0)
            r.InstalledBytes += size;
    }

    std::vector<std::string> candidates;
    if (description.SectionExists("launch"))
        candidates.push_back(description.ReadValue("launch"));
    for (const char* section : {"desktop icons", "group icons"})
        for (const std::string& line : description.ReadSection(section))
        {
            std::string target = SplitValue(line).second;
            if (IsURL(target))
            {
                if (r.Website.empty())
                    r.Website = target;
            }
            else if (Upper(target) != "UNINSTALL.EXE")
                candidates.push_back(target);
        }
    for (const std::string& candidate : candidates)
        if (IsExecutable(candidate) && installed.count(Upper(candidate)))
        {
            r.MainExecutable = candidate;
            break;
        }
    return r;
}

} // namespace installer
} // namespace kf
