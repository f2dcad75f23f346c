// The values of an application's entry under Windows' Uninstall key, as Add/Remove
// Programs, winget, Chocolatey and fleet tools read them. Plain code: the installer
// writes the list (RegisterUninstall in ShellInstallLib), the tests read it natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

struct TRegistryValue
{
    std::string Name;
    bool IsNumber = false; // REG_DWORD, else REG_SZ
    std::string Text;
    uint32_t Number = 0;
};

struct TRegistration
{
    std::string Title;
    std::string InstallDir;     // the location as the user chose it
    std::string MainExecutable; // relative to InstallDir; empty when none is installed
    std::string Website;        // empty when the setup names none
    std::string Version;        // empty: no "DisplayVersion"
    std::string Publisher;      // empty: no "Publisher"
    int64_t InstalledBytes = 0; // the installed files, for "EstimatedSize"
    std::string Date;           // YYYYMMDD, for "InstallDate"
};

// In this order: "DisplayName" (the trimmed title + " (remove only)"), "UninstallString" (the
// uninstaller, quoted so that a path with blanks cannot start C:\Program.exe),
// "QuietUninstallString" (the same with /S), "InstallLocation", "DisplayIcon" (the main
// executable, else the uninstaller), "EstimatedSize" (KB, rounded up), "InstallDate",
// "NoModify" and "NoRepair" (1), then "URLInfoAbout", "DisplayVersion" and "Publisher"
// when known. The uninstaller's path is InstallDir + "\uninstall.exe", joined as is.
std::vector<TRegistryValue> UninstallRegistrationValues(const TRegistration& registration);

// "YYYYMMDD".
std::string InstallDateText(int year, int month, int day);

} // namespace kf
