#include "builder/build/InstallSettings.h"

#include "runtime/common/InstallDescriptionFormat.h"

#include <string>

namespace kf {

const std::array<TSettingInfo, kSettingCount> kSettingTable = {{
    {TSettingKey::Title, "TITLE", TSettingType::Text},
    {TSettingKey::Dir, "DIR", TSettingType::Text},
    {TSettingKey::URL, "URL", TSettingType::Text},
    {TSettingKey::Main, "MAIN", TSettingType::Text},
    {TSettingKey::Launch, "LAUNCH", TSettingType::Flag},
    {TSettingKey::AddFiles, "ADDFILES", TSettingType::Flag},
    {TSettingKey::AddDir, "ADDDIR", TSettingType::Flag},
    {TSettingKey::AddFilesList, "ADDFILESLIST", TSettingType::PathList},
    {TSettingKey::AddDirText, "ADDDIRTEXT", TSettingType::Text},
    {TSettingKey::StartMenu, "STARTMENU", TSettingType::Text},
    {TSettingKey::IconUninstall, "ICONUNINSTALL", TSettingType::Flag},
    {TSettingKey::IconWebsite, "ICONWEBSITE", TSettingType::Flag},
    {TSettingKey::IconUninstallText, "ICONUNINSTALLTEXT", TSettingType::Text},
    {TSettingKey::IconWebsiteText, "ICONWEBSITETEXT", TSettingType::Text},
    {TSettingKey::Desktop, "DESKTOP", TSettingType::Flag},
    {TSettingKey::IconAppText, "ICONAPPTEXT", TSettingType::Text},
    {TSettingKey::License, "LICENSE", TSettingType::Text},
    {TSettingKey::Image, "IMAGE", TSettingType::Text},
    {TSettingKey::ColorTop, "COLORTOP", TSettingType::ColorIndex},
    {TSettingKey::ColorBottom, "COLORBOTTOM", TSettingType::ColorIndex},
    {TSettingKey::BrowseDisable, "BROWSEDISABLE", TSettingType::Flag},
    {TSettingKey::IncludeMainExe, "INCLUDEMAINEXE", TSettingType::Flag},
    {TSettingKey::Readme, "README", TSettingType::Text},
    {TSettingKey::BaseDir, "BASEDIR", TSettingType::BaseDirIndex},
}};

const std::array<const char*, kBaseDirCount> kBaseDirItems = {
    inf::kProgramFilesDir, inf::kWindowsDir, inf::kSystemDir, inf::kCRootDir,
    inf::kDesktopDir,      inf::kFontsDir,   inf::kCustomDir};

const TSettingInfo* FindSettingByName(const std::string& name)
{
    for (const TSettingInfo& info : kSettingTable)
        if (name == info.Name)
            return &info;
    return nullptr;
}

namespace {

// Templates so one accessor serves both the const and the mutable record.
template <class Settings> auto TextField(Settings& s, TSettingKey key) -> decltype(&s.Title)
{
    switch (key)
    {
    case TSettingKey::Title: return &s.Title;
    case TSettingKey::Dir: return &s.Dir;
    case TSettingKey::URL: return &s.URL;
    case TSettingKey::Main: return &s.Main;
    case TSettingKey::AddDirText: return &s.AddDirText;
    case TSettingKey::StartMenu: return &s.StartMenu;
    case TSettingKey::IconUninstallText: return &s.IconUninstallText;
    case TSettingKey::IconWebsiteText: return &s.IconWebsiteText;
    case TSettingKey::IconAppText: return &s.IconAppText;
    case TSettingKey::License: return &s.License;
    case TSettingKey::Image: return &s.Image;
    case TSettingKey::Readme: return &s.Readme;
    default: return nullptr;
    }
}

template <class Settings> auto FlagField(Settings& s, TSettingKey key) -> decltype(&s.Launch)
{
    switch (key)
    {
    case TSettingKey::Launch: return &s.Launch;
    case TSettingKey::AddFiles: return &s.AddFiles;
    case TSettingKey::AddDir: return &s.AddDir;
    case TSettingKey::IconUninstall: return &s.IconUninstall;
    case TSettingKey::IconWebsite: return &s.IconWebsite;
    case TSettingKey::Desktop: return &s.Desktop;
    case TSettingKey::BrowseDisable: return &s.BrowseDisable;
    case TSettingKey::IncludeMainExe: return &s.IncludeMainExe;
    default: return nullptr;
    }
}

template <class Settings> auto IndexField(Settings& s, TSettingKey key) -> decltype(&s.ColorTop)
{
    switch (key)
    {
    case TSettingKey::ColorTop: return &s.ColorTop;
    case TSettingKey::ColorBottom: return &s.ColorBottom;
    case TSettingKey::BaseDir: return &s.BaseDir;
    default: return nullptr;
    }
}

} // namespace

std::string EncodeSetting(const TInstallSettings& settings, TSettingKey key)
{
    const TInstallSettings& s = settings;
    if (const std::string* text = TextField(s, key))
        return *text;
    if (const bool* flag = FlagField(s, key))
        return *flag ? "1" : "0";
    if (const int32_t* index = IndexField(s, key))
        return std::to_string(*index);
    std::string list;
    for (const std::string& path : settings.AddFilesList)
        list += path + "\r\n";
    return list;
}

void TSettingsRecord::AssignText(TSettingKey key, const std::string& value)
{
    if (std::string* field = TextField(FSettings, key))
        *field = value;
}

void TSettingsRecord::AssignFlag(TSettingKey key, bool value)
{
    if (bool* field = FlagField(FSettings, key))
        *field = value;
}

void TSettingsRecord::AssignList(TSettingKey key, const std::vector<std::string>& value)
{
    if (key == TSettingKey::AddFilesList)
        FSettings.AddFilesList = value;
}

void TSettingsRecord::AssignIndex(TSettingKey key, int32_t value)
{
    if (int32_t* field = IndexField(FSettings, key))
        *field = value;
}

} // namespace kf
