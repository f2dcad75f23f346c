#include "builder/build/InstallDescription.h"

#include "builder/build/FileSet.h"
#include "builder/build/PathRules.h"
#include "runtime/common/InstallDescriptionFormat.h"

#include <array>

namespace kf {

namespace {

constexpr int32_t Rgb(int32_t red, int32_t green, int32_t blue) { return red + 256 * green + 65536 * blue; }

constexpr std::array<int32_t, kColorCount> kGridPalette = {
    Rgb(0, 0, 0),     Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
    Rgb(0, 0, 128),   Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(255, 0, 0), Rgb(0, 255, 0),   Rgb(255, 255, 0),
    Rgb(0, 0, 255),   Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255),
};

class TDescriptionWriter
{
public:
    void Section(const char* header) { Line(std::string("[") + header + "]"); }
    void Line(const std::string& text)
    {
        FText += text;
        FText += "\r\n";
    }
    void End() { FText += "\r\n"; }
    std::string& Text() { return FText; }

private:
    std::string FText;
};

} // namespace

int32_t GridColorValue(int32_t index, int32_t fallback)
{
    if (index < 0 || index >= kColorCount)
        index = fallback >= 0 && fallback < kColorCount ? fallback : 0;
    return kGridPalette[static_cast<size_t>(index)];
}

std::string BaseDirItemText(int32_t index)
{
    if (index < 0 || index >= kBaseDirCount)
        return std::string();
    return kBaseDirItems[static_cast<size_t>(index)];
}

std::string BuildInstallDescription(const TInstallSettings& settings)
{
    return BuildInstallDescription(settings, CollectFiles(settings));
}

std::string BuildInstallDescription(const TInstallSettings& s, const std::vector<std::string>& fileSet)
{
    TDescriptionWriter out;
    const std::string mainName = FileNameOf(s.Main);

    out.Section(inf::kTitle);
    out.Line(s.Title);
    out.End();
    out.Section(inf::kBaseDir);
    out.Line(BaseDirItemText(s.BaseDir));
    out.End();
    out.Section(inf::kDefaultDir);
    out.Line(s.Dir);
    out.End();
    if (!IsBlank(s.License))
    {
        out.Section(inf::kLicense);
        out.Line(inf::kLicensePrefix + FileNameOf(s.License));
        out.End();
    }
    if (!IsBlank(s.Readme))
    {
        out.Section(inf::kReadme);
        out.Line(inf::kReadmePrefix + FileNameOf(s.Readme));
        out.End();
    }

    out.Section(inf::kFiles);
    for (const std::string& path : fileSet)
    {
        std::string name = ArchiveNameFor(s, path);
        out.Line(inf::kDataPrefix + name + inf::kFieldSeparator + name);
    }
    out.Line(std::string(inf::kUninstallerName) + inf::kFieldSeparator + inf::kUninstallerName);
    out.End();

    out.Section(inf::kProgramGroup);
    out.Line(s.StartMenu);
    out.End();
    out.Section(inf::kGroupIcons);
    if (s.IncludeMainExe)
        out.Line(s.IconAppText + inf::kFieldSeparator + mainName);
    if (s.IconUninstall)
        out.Line(s.IconUninstallText + inf::kFieldSeparator + inf::kUninstallerName);
    if (s.IconWebsite)
        out.Line(s.IconWebsiteText + inf::kFieldSeparator + inf::kWebPrefix + s.URL);
    out.End();
    if (s.IncludeMainExe && s.Desktop)
    {
        out.Section(inf::kDesktopIcons);
        out.Line(s.IconAppText + inf::kFieldSeparator + mainName);
        out.End();
    }
    if (s.IncludeMainExe && s.Launch)
    {
        out.Section(inf::kLaunch);
        out.Line(mainName);
        out.End();
    }
    if (!IsBlank(s.Image))
    {
        out.Section(inf::kImage);
        out.Line(FileNameOf(s.Image));
        out.End();
    }

    out.Section(inf::kStartColor);
    out.Line(std::to_string(GridColorValue(s.ColorTop, 4)));
    out.End();
    out.Section(inf::kEndColor);
    out.Line(std::to_string(GridColorValue(s.ColorBottom, 0)));
    out.End();
    if (s.BrowseDisable)
    {
        out.Section(inf::kBrowseButton);
        out.Line(inf::kBrowseDisabled);
        out.End();
    }
    if (!s.DisplayVersion.empty())
    {
        out.Section(inf::kDisplayVersion);
        out.Line(s.DisplayVersion);
        out.End();
    }
    if (!s.Publisher.empty())
    {
        out.Section(inf::kPublisher);
        out.Line(s.Publisher);
        out.End();
    }
    return std::move(out.Text());
}

} // namespace kf
