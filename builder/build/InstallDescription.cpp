#include "builder/build/InstallDescription.h"

#include "builder/build/FileSet.h"
#include "builder/build/PathRules.h"

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

    out.Section("title");
    out.Line(s.Title);
    out.End();
    out.Section("basedir");
    out.Line(BaseDirItemText(s.BaseDir));
    out.End();
    out.Section("defaultdir");
    out.Line(s.Dir);
    out.End();
    if (!IsBlank(s.License))
    {
        out.Section("license");
        out.Line("lic\\" + FileNameOf(s.License));
        out.End();
    }
    if (!IsBlank(s.Readme))
    {
        out.Section("readme");
        out.Line("readme\\" + FileNameOf(s.Readme));
        out.End();
    }

    out.Section("files");
    for (const std::string& path : fileSet)
    {
        std::string name = ArchiveNameFor(s, path);
        out.Line("data\\" + name + ";" + name);
    }
    out.Line("uninstall.exe;uninstall.exe");
    out.End();

    out.Section("program group");
    out.Line(s.StartMenu);
    out.End();
    out.Section("group icons");
    if (s.IncludeMainExe)
        out.Line(s.IconAppText + ";" + mainName);
    if (s.IconUninstall)
        out.Line(s.IconUninstallText + ";uninstall.exe");
    if (s.IconWebsite)
        out.Line(s.IconWebsiteText + ";http://" + s.URL);
    out.End();
    if (s.IncludeMainExe && s.Desktop)
    {
        out.Section("desktop icons");
        out.Line(s.IconAppText + ";" + mainName);
        out.End();
    }
    if (s.IncludeMainExe && s.Launch)
    {
        out.Section("launch");
        out.Line(mainName);
        out.End();
    }
    if (!IsBlank(s.Image))
    {
        out.Section("image");
        out.Line(FileNameOf(s.Image));
        out.End();
    }

    out.Section("background start color");
    out.Line(std::to_string(GridColorValue(s.ColorTop, 4)));
    out.End();
    out.Section("background end color");
    out.Line(std::to_string(GridColorValue(s.ColorBottom, 0)));
    out.End();
    if (s.BrowseDisable)
    {
        out.Section("browse button");
        out.Line("DISABLE");
        out.End();
    }
    if (!s.DisplayVersion.empty())
    {
        out.Section("display version");
        out.Line(s.DisplayVersion);
        out.End();
    }
    if (!s.Publisher.empty())
    {
        out.Section("publisher");
        out.Line(s.Publisher);
        out.End();
    }
    return std::move(out.Text());
}

} // namespace kf
