// The installation settings: the author's 24 answers, one field per script key, in key
// order. The build reads them as this record; the wizard holds them in its controls and
// receives loaded values through TSettingsTarget.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kf {

enum class TSettingKey : int32_t
{
    Title,
    Dir,
    URL,
    Main,
    Launch,
    AddFiles,
    AddDir,
    AddFilesList,
    AddDirText,
    StartMenu,
    IconUninstall,
    IconWebsite,
    IconUninstallText,
    IconWebsiteText,
    Desktop,
    IconAppText,
    License,
    Image,
    ColorTop,
    ColorBottom,
    BrowseDisable,
    IncludeMainExe,
    Readme,
    BaseDir,
};

constexpr int32_t kSettingCount = 24;

enum class TSettingType
{
    Text,
    Flag,
    PathList,
    ColorIndex,
    BaseDirIndex,
};

struct TSettingInfo
{
    TSettingKey Key;
    const char* Name; // the script key, "TITLE" .. "BASEDIR"
    TSettingType Type;
};

// The keys in key order: the order of a script's entries and of loading.
extern const std::array<TSettingInfo, kSettingCount> kSettingTable;
const TSettingInfo* FindSettingByName(const std::string& name); // exact, upper case

constexpr int32_t kColorCount = 16;
constexpr int32_t kBaseDirCount = 7;
// The base-directory items in combo order; index 6 is "Custom".
extern const std::array<const char*, kBaseDirCount> kBaseDirItems;

struct TInstallSettings
{
    std::string Title = "My Application";
    std::string Dir = "My Application";
    std::string URL;
    std::string Main;
    bool Launch = true;
    bool AddFiles = false;
    bool AddDir = false;
    std::vector<std::string> AddFilesList;
    std::string AddDirText;
    std::string StartMenu = "My Application";
    bool IconUninstall = true;
    bool IconWebsite = false;
    std::string IconUninstallText = "Uninstall My Application";
    std::string IconWebsiteText = "My Application Website";
    bool Desktop = true;
    std::string IconAppText = "My Application";
    std::string License;
    std::string Image;
    int32_t ColorTop = 4;
    int32_t ColorBottom = 0;
    bool BrowseDisable = false;
    bool IncludeMainExe = true;
    std::string Readme;
    int32_t BaseDir = 0; // -1: nothing selected

    // Not settings of a script: given to kftool build for the uninstall registration
    // ("DisplayVersion", "Publisher"); empty writes nothing, so the description of every
    // other build stays as it was.
    std::string DisplayVersion;
    std::string Publisher;
};

// The text a script stores for one setting: texts unchanged, flags "1"/"0", indices in
// decimal, the path list as each path followed by CR LF.
std::string EncodeSetting(const TInstallSettings& settings, TSettingKey key);

// Where loaded values go. The wizard implements it over its controls, so a loaded value
// has the same effects as the author's own edit; TSettingsRecord fills a plain record.
class TSettingsTarget
{
public:
    virtual ~TSettingsTarget() = default;
    virtual void AssignText(TSettingKey key, const std::string& value) = 0;
    virtual void AssignFlag(TSettingKey key, bool value) = 0;
    virtual void AssignList(TSettingKey key, const std::vector<std::string>& value) = 0;
    virtual void AssignIndex(TSettingKey key, int32_t value) = 0;
};

class TSettingsRecord : public TSettingsTarget
{
public:
    explicit TSettingsRecord(TInstallSettings& settings) : FSettings(settings) {}
    void AssignText(TSettingKey key, const std::string& value) override;
    void AssignFlag(TSettingKey key, bool value) override;
    void AssignList(TSettingKey key, const std::vector<std::string>& value) override;
    void AssignIndex(TSettingKey key, int32_t value) override;

private:
    TInstallSettings& FSettings;
};

} // namespace kf
