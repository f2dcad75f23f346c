// Path helpers and web shortcuts: the portable half of ShellInstallLib and ShortcutsLib.
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kf;
using kftest::ReadFileBytes;
using kftest::TTempDir;

TEST(PathHelpers, AddBackslashAddsOnlyWhereMissing)
{
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:\\Apps"), "C:\\Apps\\");
    EXPECT_EQ(AddBackslash("C:\\Apps\\"), "C:\\Apps\\");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("\\"), "\\");
}

TEST(PathHelpers, RemoveDoubleBackslashLeavesNoRun)
{
    EXPECT_EQ(RemoveDoubleBackslash("C:\\\\Apps\\\\\\Tool"), "C:\\Apps\\Tool");
    EXPECT_EQ(RemoveDoubleBackslash("\\\\\\\\"), "\\");
    EXPECT_EQ(RemoveDoubleBackslash("C:\\Apps\\"), "C:\\Apps\\");
    EXPECT_EQ(RemoveDoubleBackslash(""), "");
}

TEST(PathHelpers, ParentDirClimbsOneLevel)
{
    EXPECT_EQ(ParentDir("C:\\Program Files\\Demo\\"), "C:\\Program Files");
    EXPECT_EQ(ParentDir("C:\\Program Files\\Demo"), "C:\\Program Files");
    EXPECT_EQ(ParentDir("C:\\Program Files"), "C:");
    EXPECT_EQ(ParentDir("C:\\"), "");
    EXPECT_EQ(ParentDir("C:"), "");
    EXPECT_EQ(ParentDir("Demo"), "");
    EXPECT_EQ(ParentDir("Vendor\\Demo"), "Vendor");
    EXPECT_EQ(ParentDir(""), "");
    // Only one trailing backslash is dropped; the empty last component counts.
    EXPECT_EQ(ParentDir("C:\\a\\\\"), "C:\\a");
}

// \\server\share\App must not become \server\share\App, a folder at the root of the
// current drive; and the share is the top, as a drive is.
TEST(PathHelpers, NetworkPathsKeepTheirShare)
{
    EXPECT_EQ(UncRoot("\\\\server\\share\\App\\Sub"), "\\\\server\\share");
    EXPECT_EQ(UncRoot("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(UncRoot("\\\\server"), "\\\\server");
    EXPECT_EQ(UncRoot("C:\\Apps"), "");
    EXPECT_EQ(UncRoot("\\Apps"), "");
    EXPECT_EQ(UncRoot("\\\\\\Apps"), "");

    EXPECT_EQ(RemoveDoubleBackslash("\\\\server\\share\\\\App\\"), "\\\\server\\share\\App\\");
    EXPECT_EQ(RemoveDoubleBackslash("\\\\\\server\\share"), "\\server\\share"); // no server name
    EXPECT_EQ(RemoveDoubleBackslash("\\Apps\\\\Tool"), "\\Apps\\Tool");

    EXPECT_EQ(ParentDir("\\\\server\\share\\App\\"), "\\\\server\\share");
    EXPECT_EQ(ParentDir("\\\\server\\share\\"), "");
    EXPECT_EQ(ParentDir("\\\\server\\share"), "");
    EXPECT_EQ(ParentDir("\\\\server"), "");
    EXPECT_EQ(ParentDir("\\Apps\\Tool"), "\\Apps");
}

// The installer registers and the uninstaller unregisters under one name.
TEST(PathHelpers, UninstallKeyOfTheTrimmedTitle)
{
    std::string key = std::string(kUninstallKeyPath) + "Demo Tool";
    EXPECT_EQ(UninstallKeyPath("Demo Tool"), key);
    EXPECT_EQ(UninstallKeyPath("  Demo Tool \t"), key);
    EXPECT_EQ(UninstallKeyPath(""), "");
    EXPECT_EQ(UninstallKeyPath("   "), "");
    EXPECT_EQ(UninstallKeyPath(" \\ "), "");
}

TEST(PathHelpers, ParentDirAlwaysReachesEmpty)
{
    // Loops in the uninstaller and installer climb with ParentDir until it is empty.
    for (std::string path : {"C:\\a\\b\\c\\", "\\\\server\\share\\x", "\\\\\\\\", "a\\\\b\\", "\\"})
    {
        int steps = 0;
        while (!path.empty() && steps < 100)
        {
            std::string parent = ParentDir(path);
            ASSERT_LT(parent.size(), path.size()) << path;
            path = parent;
            ++steps;
        }
        EXPECT_TRUE(path.empty());
    }
}

TEST(Shortcuts, IsURLKnowsThreeSchemesInAnyCase)
{
    for (const char* url : {"http://x.example", "HTTP://X", "Https://secure.example/a", "ftp://files.example",
                            "fTp://x"})
        EXPECT_TRUE(IsURL(url)) << url;
    for (const char* other : {"www.example.com", "example.com/http://", "mailto:a@b.example", "file://C:/x",
                              "http:/one-slash", "http", "", "C:\\Program Files\\demo.exe", "ftps://x"})
        EXPECT_FALSE(IsURL(other)) << other;
}

TEST(Shortcuts, URLFileHasExactlyTwoLines)
{
    TTempDir dir;
    std::string path = dir / "Home Page.URL";
    ASSERT_TRUE(WriteURLFile(path, "http://www.example.com/demo?a=1&b=2"));
    EXPECT_EQ(ReadFileBytes(path), "[InternetShortcut]\r\nURL=http://www.example.com/demo?a=1&b=2\r\n");
}

TEST(Shortcuts, URLFileInMissingFolderFailsWithoutFile)
{
    TTempDir dir;
    std::string path = kftest::Join(dir / "missing", "x.URL");
    EXPECT_FALSE(WriteURLFile(path, "http://x.example"));
    EXPECT_FALSE(FileExists(path));
}
