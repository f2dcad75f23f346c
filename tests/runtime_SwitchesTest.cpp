// Switches and registration values for deployment tools: what winget, Chocolatey and
// Intune pass on the command line, and what they read back from the registry.
#include "runtime/common/Registration.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/TitleLock.h"

#include <gtest/gtest.h>

namespace kf {
namespace {

TEST(SetupSwitches, DirectoryIsTheRestOfTheLineQuotedOrNot)
{
    for (const char* tail : {"/S /D=C:\\Some Place\\App", "/s \"/D=C:\\Some Place\\App\"", "/S /D=\"C:\\Some Place\\App\" ",
                             "/S /d=C:\\Some Place\\App  "})
    {
        TSwitches s = ParseInstallSwitches(tail);
        EXPECT_EQ(s.Error, "") << tail;
        EXPECT_TRUE(s.Silent) << tail;
        EXPECT_TRUE(s.HasDirectory) << tail;
        EXPECT_EQ(s.Directory, "C:\\Some Place\\App") << tail;
    }
    // Everything after /D= belongs to the folder, switch-like text included.
    TSwitches last = ParseInstallSwitches("/D=C:\\a /S");
    EXPECT_FALSE(last.Silent);
    EXPECT_EQ(last.Directory, "C:\\a /S");
    // A quoted log path holding " /D=" is not taken for the folder.
    TSwitches log = ParseInstallSwitches("\"/LOG=C:\\x /D=y.log\" /S");
    EXPECT_EQ(log.Error, "");
    EXPECT_FALSE(log.HasDirectory);
    EXPECT_EQ(log.LogPath, "C:\\x /D=y.log");
    EXPECT_TRUE(log.Silent);
    EXPECT_EQ(ParseInstallSwitches("/LOG=C:\\Temp\\My Setup.log").Error, "Unexpected argument: Setup.log");
}

TEST(SetupSwitches, NothingIsGuessed)
{
    EXPECT_EQ(ParseInstallSwitches("").Error, "");
    EXPECT_EQ(ParseInstallSwitches("/SILENT").Error, "Unknown switch: /SILENT");
    EXPECT_EQ(ParseInstallSwitches("/S extra").Error, "Unexpected argument: extra");
    EXPECT_EQ(ParseInstallSwitches("/D=  ").Error, "The switch /D= needs a folder.");
    EXPECT_EQ(ParseInstallSwitches("/LOG=").Error, "The switch /LOG= needs a file name.");
    EXPECT_TRUE(ParseInstallSwitches("/?").Help);

    TSwitches copy = ParseUninstallSwitches("\"C:\\Program Files\\Demo\\uninstall.log\" /S \"/LOG=C:\\t\\u.log\"");
    EXPECT_EQ(copy.Error, "");
    ASSERT_EQ(copy.Plain.size(), 1u);
    EXPECT_EQ(copy.Plain[0], "C:\\Program Files\\Demo\\uninstall.log");
    EXPECT_TRUE(copy.Silent);
    EXPECT_EQ(copy.LogPath, "C:\\t\\u.log");
    EXPECT_EQ(ParseUninstallSwitches("a b").Error, "Unexpected argument: b");
    EXPECT_EQ(ParseUninstallSwitches("/D=C:\\x").Error, "Unknown switch: /D=C:\\x");
}

TEST(SetupSwitches, CommandTailSkipsTheProgram)
{
    EXPECT_EQ(CommandTail("\"C:\\Program Files\\Demo\\setup.exe\"  /S /D=C:\\x y"), "/S /D=C:\\x y");
    EXPECT_EQ(CommandTail("setup.exe"), "");
    EXPECT_EQ(CommandTail("  setup.exe /S"), "/S");
}

TEST(TitleLock, TrimmedTitlesMeetAndBackslashesNameNoNamespace)
{
    EXPECT_EQ(TitleLockName(" Demo Tool\t"), TitleLockName("Demo Tool"));
    EXPECT_EQ(TitleLockName("Vendor\\Demo"), "KitforgeSetup:Vendor/Demo");
}

TEST(Registration, ValuesPackageManagersRead)
{
    TRegistration r;
    r.Title = "Demo Tool";
    r.InstallDir = "C:\\Program Files\\Demo Tool";
    r.MainExecutable = "DemoTool.exe";
    r.InstalledBytes = 1025;
    r.Date = InstallDateText(2026, 3, 7);
    std::vector<TRegistryValue> values = UninstallRegistrationValues(r);
    std::string names;
    for (const TRegistryValue& v : values)
        names += v.Name + (v.IsNumber ? "=" + std::to_string(v.Number) : "=" + v.Text) + "\n";
    EXPECT_EQ(names, "DisplayName=Demo Tool (remove only)\n"
                     "UninstallString=\"C:\\Program Files\\Demo Tool\\uninstall.exe\"\n"
                     "QuietUninstallString=\"C:\\Program Files\\Demo Tool\\uninstall.exe\" /S\n"
                     "InstallLocation=C:\\Program Files\\Demo Tool\n"
                     "DisplayIcon=C:\\Program Files\\Demo Tool\\DemoTool.exe\n"
                     "EstimatedSize=2\n"
                     "InstallDate=20260307\n"
                     "NoModify=1\n"
                     "NoRepair=1\n");

    r.MainExecutable.clear();
    r.Website = "http://example.com";
    r.Version = "1.2";
    r.Publisher = "Example Ltd";
    r.InstalledBytes = int64_t(1) << 45; // more KB than a DWORD holds
    values = UninstallRegistrationValues(r);
    ASSERT_EQ(values.size(), 12u);
    EXPECT_EQ(values[4].Text, "C:\\Program Files\\Demo Tool\\uninstall.exe");
    EXPECT_EQ(values[5].Number, 0xFFFFFFFFu);
    EXPECT_EQ(values[9].Name + values[10].Name + values[11].Name, "URLInfoAboutDisplayVersionPublisher");

    r.Title = " Demo Tool  ";
    EXPECT_EQ(UninstallRegistrationValues(r)[0].Text, "Demo Tool (remove only)");
}

} // namespace
} // namespace kf
