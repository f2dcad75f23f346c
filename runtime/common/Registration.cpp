#include "runtime/common/Registration.h"

#include "platform/Text.h"
#include "runtime/common/ShellInstallLib.h"

namespace kf {

namespace {

TRegistryValue Text(const char* name, const std::string& text)
{
    TRegistryValue value;
    value.Name = name;
    value.Text = text;
    return value;
}

TRegistryValue Number(const char* name, uint32_t number)
{
    TRegistryValue value;
    value.Name = name;
    value.IsNumber = true;
    value.Number = number;
    return value;
}

std::string Digits(int number, int width)
{
    std::string text = std::to_string(number < 0 ? 0 : number);
    while (static_cast<int>(text.size()) < width)
        text.insert(text.begin(), '0');
    return text;
}

} // namespace

std::vector<TRegistryValue> UninstallRegistrationValues(const TRegistration& r)
{
    std::string uninstaller = r.InstallDir + "\\uninstall.exe";
    std::string quoted = "\"" + uninstaller + "\"";
    std::string icon = r.MainExecutable.empty() ? uninstaller : AddBackslash(r.InstallDir) + r.MainExecutable;
    int64_t kilobytes = r.InstalledBytes <= 0 ? 0 : (r.InstalledBytes + 1023) / 1024;
    if (kilobytes > 0xFFFFFFFFll)
        kilobytes = 0xFFFFFFFFll;

    std::vector<TRegistryValue> values;
    values.push_back(Text("DisplayName", TrimText(r.Title) + " (remove only)"));
    values.push_back(Text("UninstallString", quoted));
    values.push_back(Text("QuietUninstallString", quoted + " /S"));
    values.push_back(Text("InstallLocation", r.InstallDir));
    values.push_back(Text("DisplayIcon", icon));
    values.push_back(Number("EstimatedSize", static_cast<uint32_t>(kilobytes)));
    values.push_back(Text("InstallDate", r.Date));
    values.push_back(Number("NoModify", 1));
    values.push_back(Number("NoRepair", 1));
    if (!r.Website.empty())
        values.push_back(Text("URLInfoAbout", r.Website));
    if (!r.Version.empty())
        values.push_back(Text("DisplayVersion", r.Version));
    if (!r.Publisher.empty())
        values.push_back(Text("Publisher", r.Publisher));
    return values;
}

std::string InstallDateText(int year, int month, int day)
{
    return Digits(year, 4) + Digits(month, 2) + Digits(day, 2);
}

} // namespace kf
