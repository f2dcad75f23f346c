#include "builder/build/FileSet.h"
#include "builder/build/InstallDescription.h"
#include "build_Support.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace kf;
using kftest::HostPath;
using kftest::MakeTree;
using kftest::TTempDir;

namespace {

// The description as readable lines; every "\n" becomes the CR LF the format uses.
std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// Everything off: the smallest description there is.
TInstallSettings Bare()
{
    TInstallSettings s;
    s.Title = "T";
    s.Dir = "D";
    s.StartMenu = "G";
    s.IncludeMainExe = false;
    s.IconUninstall = false;
    return s;
}

TEST(InstallDescription, WorkedExampleComesOutByteForByte)
{
    TTempDir temp;
    std::string image = temp / "Build";
    MakeTree(image, {"demo.exe", "help.txt", "lang/de.ini", "lang/fr.ini"});
    TInstallSettings s;
    s.Title = "Demo Tool";
    s.BaseDir = 0;
    s.Dir = "Demo Tool";
    s.URL = "";
    s.IncludeMainExe = true;
    s.Main = HostPath(image, "demo.exe");
    s.Launch = true;
    s.AddDir = true;
    s.AddDirText = image;
    s.StartMenu = "Demo Tool";
    s.IconAppText = "Demo Tool";
    s.IconUninstall = true;
    s.IconUninstallText = "Uninstall Demo Tool";
    s.IconWebsite = false;
    s.Desktop = true;
    s.License = HostPath(temp.Path(), "Docs/licence.rtf");
    s.Readme = "";
    s.Image = HostPath(temp.Path(), "Art/wizard.bmp");
    s.ColorTop = 4;
    s.ColorBottom = 0;
    s.BrowseDisable = true;

    EXPECT_EQ(BuildInstallDescription(s), Crlf("[title]\nDemo Tool\n\n"
                                               "[basedir]\n%PROGRAM FILES%\n\n"
                                               "[defaultdir]\nDemo Tool\n\n"
                                               "[license]\nlic\\licence.rtf\n\n"
                                               "[files]\n"
                                               "data\\demo.exe;demo.exe\n"
                                               "data\\help.txt;help.txt\n"
                                               "data\\lang\\de.ini;lang\\de.ini\n"
                                               "data\\lang\\fr.ini;lang\\fr.ini\n"
                                               "uninstall.exe;uninstall.exe\n\n"
                                               "[program group]\nDemo Tool\n\n"
                                               "[group icons]\nDemo Tool;demo.exe\nUninstall Demo Tool;uninstall.exe\n\n"
                                               "[desktop icons]\nDemo Tool;demo.exe\n\n"
                                               "[launch]\ndemo.exe\n\n"
                                               "[image]\nwizard.bmp\n\n"
                                               "[background start color]\n8388608\n\n"
                                               "[background end color]\n0\n\n"
                                               "[browse button]\nDISABLE\n\n"));
}

TEST(InstallDescription, BareSettingsWriteOnlyTheFixedSections)
{
    EXPECT_EQ(BuildInstallDescription(Bare()), Crlf("[title]\nT\n\n[basedir]\n%PROGRAM FILES%\n\n[defaultdir]\nD\n\n"
                                                    "[files]\nuninstall.exe;uninstall.exe\n\n"
                                                    "[program group]\nG\n\n[group icons]\n\n"
                                                    "[background start color]\n8388608\n\n"
                                                    "[background end color]\n0\n\n"));
}

TEST(InstallDescription, MainExecutableOffDropsItsIconsAndLaunchWhateverTheFlagsSay)
{
    TInstallSettings s = Bare();
    s.Main = HostPath("C:", "app.exe");
    s.Desktop = true;
    s.Launch = true;
    s.IconAppText = "App";
    std::string text = BuildInstallDescription(s);
    EXPECT_EQ(text.find("App;"), std::string::npos);
    EXPECT_EQ(text.find("[desktop icons]"), std::string::npos);
    EXPECT_EQ(text.find("[launch]"), std::string::npos);

    s.IncludeMainExe = true;
    s.Desktop = false;
    text = BuildInstallDescription(s);
    EXPECT_NE(text.find(Crlf("[group icons]\nApp;app.exe\n\n")), std::string::npos);
    EXPECT_EQ(text.find("[desktop icons]"), std::string::npos);
    EXPECT_NE(text.find(Crlf("[launch]\napp.exe\n\n[background")), std::string::npos);
}

TEST(InstallDescription, WebsiteLineTakesTheUrlUnchanged)
{
    TInstallSettings s = Bare();
    s.IconWebsite = true;
    s.IconWebsiteText = "Site";
    EXPECT_NE(BuildInstallDescription(s).find(Crlf("[group icons]\nSite;http://\n\n")), std::string::npos);
    s.URL = "https://example.org";
    EXPECT_NE(BuildInstallDescription(s).find(Crlf("Site;http://https://example.org\n")), std::string::npos);
}

TEST(InstallDescription, BlankDocumentsAreLeftOutAndGivenOnesNamedByFileName)
{
    TInstallSettings s = Bare();
    s.License = "   ";
    s.Readme = " \t";
    s.Image = "";
    std::string text = BuildInstallDescription(s);
    for (const char* section : {"[license]", "[readme]", "[image]"})
        EXPECT_EQ(text.find(section), std::string::npos) << section;

    s.Readme = HostPath(HostPath("C:", "Docs"), "read me.txt");
    EXPECT_NE(BuildInstallDescription(s).find(Crlf("[defaultdir]\nD\n\n[readme]\nreadme\\read me.txt\n\n[files]")),
              std::string::npos);
}

TEST(InstallDescription, BaseDirectoryItemsAndGridColours)
{
    TInstallSettings s = Bare();
    s.BaseDir = 6;
    EXPECT_NE(BuildInstallDescription(s).find(Crlf("[basedir]\nCustom\n\n")), std::string::npos);
    s.BaseDir = -1;
    EXPECT_NE(BuildInstallDescription(s).find(Crlf("[basedir]\n\n\n[defaultdir]")), std::string::npos);

    const int32_t expected[kColorCount] = {0,       128,      32768,    32896,    8388608,  8388736,
                                           8421376, 12632256, 8421504,  255,      65280,    65535,
                                           16711680, 16711935, 16776960, 16777215};
    for (int32_t i = 0; i < kColorCount; ++i)
    {
        s.ColorTop = i;
        s.ColorBottom = kColorCount - 1 - i;
        std::string text = BuildInstallDescription(s);
        EXPECT_NE(text.find(Crlf("[background start color]\n" + std::to_string(expected[i]) + "\n\n[background end color]\n" +
                                 std::to_string(expected[kColorCount - 1 - i]) + "\n\n")),
                  std::string::npos)
            << "index " << i;
    }
    // An index no grid offers falls back to the key's default colour.
    EXPECT_EQ(GridColorValue(16, 4), 8388608);
    EXPECT_EQ(GridColorValue(-1, 0), 0);
}

TEST(InstallDescription, BlankImageDirectoryInImageModeFails)
{
    TInstallSettings s = Bare();
    s.AddDir = true;
    s.AddDirText = "  ";
    EXPECT_THROW(BuildInstallDescription(s), TError);
}

} // namespace
