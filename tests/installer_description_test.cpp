// The description's two sides against each other: what the builder writes from the
// settings, the stub reads back, value for value.
#include "builder/build/FileSet.h"
#include "builder/build/InstallDescription.h"
#include "build_Support.h"
#include "installer_Fakes.h"
#include "runtime/installer/InstallerModel.h"
#include "runtime/installer/UninstallEntry.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kf;
using namespace kf::installer;
using ::testing::ElementsAre;

namespace {

struct TReadBack
{
    TPageSetup Pages;
    std::unique_ptr<TInstaller> Installer;
};

// The stub's reading of a description: the run-time state and the pages.
TReadBack ReadBack(const std::string& description, const kftest::TTempDir& dir)
{
    std::string path = dir / "package.dat";
    {
        TCompressionManager archive(path, true, false, false);
        archive.WriteEntryString("install.inf", description);
    }
    TReadBack result;
    result.Installer = std::make_unique<TInstaller>(std::make_unique<TCompressionManager>(path, false, true, false));
    kftest::TFakeSystem system;
    TInstallerModel model(*result.Installer, system, [] { return 0u; });
    model.SetUp(TBaseDirectories{"C:\\Program Files", "C:\\Windows", "C:\\Desk", "C:\\Fonts"});
    result.Pages = model.Pages();
    return result;
}

} // namespace

TEST(DescriptionRoundTrip, EverySettingComesBackAsTheStubReadsIt)
{
    kftest::TTempDir dir;
    TInstallSettings s;
    s.Title = "Demo; Tool";
    s.BaseDir = 1;
    s.Dir = "Vendor\\Demo";
    s.IncludeMainExe = true;
    std::string build = kftest::HostPath(dir.Path(), "Build");
    s.Main = kftest::HostPath(build, "demo.exe");
    s.Launch = true;
    s.Desktop = true;
    s.StartMenu = "Demo Group";
    s.IconAppText = "Demo";
    s.IconUninstall = true;
    s.IconUninstallText = "Remove Demo";
    s.IconWebsite = true;
    s.IconWebsiteText = "Web";
    s.URL = "example.com/demo";
    s.License = kftest::HostPath(dir.Path(), "Docs/licence.rtf");
    s.Readme = kftest::HostPath(dir.Path(), "readme.txt");
    s.Image = kftest::HostPath(dir.Path(), "Art/wizard.bmp");
    s.ColorTop = 12;
    s.ColorBottom = 15;
    s.BrowseDisable = true;
    s.AddDir = true;
    s.AddDirText = build;
    std::vector<std::string> files = {s.Main, kftest::HostPath(build, "lang/de.ini")};

    TReadBack back = ReadBack(BuildInstallDescription(s, files), dir);
    const TInstaller& installer = *back.Installer;
    const TINFReader& description = installer.Description();
    EXPECT_EQ(installer.Title, s.Title);
    EXPECT_EQ(back.Pages.Title, s.Title);
    EXPECT_EQ(back.Pages.Location, "C:\\Windows\\" + s.Dir);
    EXPECT_TRUE(back.Pages.HasLicense);
    EXPECT_EQ(description.ReadValue("license"), "lic\\licence.rtf");
    EXPECT_TRUE(back.Pages.Readme);
    EXPECT_EQ(description.ReadValue("readme"), "readme\\readme.txt");
    std::vector<std::pair<std::string, std::string>> lines;
    for (const std::string& line : description.ReadSection("files"))
        lines.push_back(SplitValue(line));
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < files.size(); ++i)
    {
        std::string name = ArchiveNameFor(s, files[i]);
        EXPECT_EQ(lines[i], std::make_pair("data\\" + name, name)) << i;
    }
    EXPECT_EQ(lines[2], std::make_pair(std::string("uninstall.exe"), std::string("uninstall.exe")));
    EXPECT_EQ(description.ReadValue("program group"), s.StartMenu);
    EXPECT_THAT(description.ReadSection("group icons"),
                ElementsAre("Demo;demo.exe", "Remove Demo;uninstall.exe", "Web;http://example.com/demo"));
    EXPECT_TRUE(back.Pages.DesktopIcon);
    EXPECT_THAT(description.ReadSection("desktop icons"), ElementsAre("Demo;demo.exe"));
    EXPECT_TRUE(back.Pages.LaunchNow);
    EXPECT_EQ(description.ReadValue("launch"), "demo.exe");
    EXPECT_EQ(installer.ImageName, "wizard.bmp");
    EXPECT_EQ(installer.StartColor, 16711680u); // index 12: blue
    EXPECT_EQ(installer.EndColor, 16777215u);   // index 15: white
    EXPECT_FALSE(back.Pages.BrowseEnabled);
    TRegistration registration = RegistrationFor(installer.Title, "C:\\Apps", description, nullptr);
    EXPECT_EQ(registration.Version, s.DisplayVersion);
    EXPECT_EQ(registration.Publisher, s.Publisher);
    EXPECT_EQ(registration.MainExecutable, "demo.exe");
    EXPECT_EQ(registration.Website, "http://example.com/demo");
}

TEST(DescriptionRoundTrip, WhatIsLeftOutReadsAsAbsent)
{
    kftest::TTempDir dir;
    TInstallSettings s;
    s.BaseDir = 6; // Custom: the directory is the whole location
    s.Dir = "C:\\Own";
    s.IncludeMainExe = false;
    s.IconUninstall = false;
    s.License = "   ";
    TReadBack back = ReadBack(BuildInstallDescription(s, {}), dir);
    EXPECT_EQ(back.Pages.Location, "C:\\Own");
    EXPECT_FALSE(back.Pages.HasLicense);
    EXPECT_FALSE(back.Pages.Readme || back.Pages.DesktopIcon || back.Pages.LaunchNow);
    EXPECT_TRUE(back.Pages.BrowseEnabled);
    EXPECT_TRUE(back.Installer->HasSection("group icons")); // present, without a line
    EXPECT_TRUE(back.Installer->Description().ReadSection("group icons").empty());
    EXPECT_EQ(back.Installer->ImageName, "");
    EXPECT_EQ(back.Installer->StartColor, 8388608u); // the defaults, indices 4 and 0
    EXPECT_EQ(back.Installer->EndColor, 0u);
}
