#include "builder/build/FileSet.h"
#include "builder/build/PathRules.h"
#include "build_Support.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace kf;
using kftest::HostPath;
using kftest::MakeTree;
using kftest::TTempDir;
using Paths = std::vector<std::string>;

namespace {

#ifdef _WIN32
const std::string kRoot = "C:\\";
#else
const std::string kRoot = "/";
#endif

std::string Abs(const std::string& relative) { return HostPath(kRoot, relative); }

TInstallSettings ImageSettings(const std::string& image, const std::string& main)
{
    TInstallSettings s;
    s.AddDir = true;
    s.AddDirText = image;
    s.Main = main;
    return s;
}

Paths NamesOf(const TInstallSettings& s, const Paths& files)
{
    Paths names;
    for (const std::string& path : files)
        names.push_back(ArchiveNameFor(s, path));
    return names;
}

TEST(FileSetModes, NoAdditionalFilesShipsOnlyTheMainExecutable)
{
    TInstallSettings s;
    s.Main = Abs("Build/demo.exe");
    EXPECT_EQ(CollectFiles(s), Paths{s.Main});
    EXPECT_EQ(ArchiveNameFor(s, s.Main), "demo.exe");

    s.IncludeMainExe = false;
    EXPECT_TRUE(CollectFiles(s).empty());
}

TEST(FileSetModes, AddedFilesKeepTheirOrderAndLandUnderTheirBareNames)
{
    TInstallSettings s;
    s.AddFiles = true;
    s.AddFilesList = {Abs("a/x.txt"), Abs("b/x.txt"), Abs("a/x.txt")};
    s.Main = Abs("a/app.exe");
    Paths files = CollectFiles(s);
    EXPECT_EQ(files, (Paths{Abs("a/x.txt"), Abs("b/x.txt"), Abs("a/x.txt"), Abs("a/app.exe")}));
    EXPECT_EQ(NamesOf(s, files), (Paths{"x.txt", "x.txt", "x.txt", "app.exe"}));
}

TEST(FileSetModes, MainExecutableAlreadyListedIsNotAppendedWhateverItsCase)
{
    TInstallSettings s;
    s.AddFiles = true;
    s.AddFilesList = {Abs("Build/Demo.EXE"), Abs("Build/readme.txt")};
    s.Main = Abs("build/demo.exe");
    EXPECT_EQ(CollectFiles(s), s.AddFilesList);
    // The naming test respects case: the listed spelling is not MAIN.
    EXPECT_EQ(ArchiveNameFor(s, s.AddFilesList[0]), "Demo.EXE");
}

TEST(FileSetModes, AddedFilesWinOverTheImageWhenBothFlagsAreSet)
{
    // A hand-made script may set both; the list is shipped, so it must be named as a list
    // (stripping the image prefix's length from these paths would cut into them).
    TInstallSettings s = ImageSettings(Abs("Build"), Abs("Other/app.exe"));
    s.AddFiles = true;
    s.AddFilesList = {Abs("Elsewhere/deep/file.txt")};
    Paths files = CollectFiles(s);
    EXPECT_EQ(files, (Paths{Abs("Elsewhere/deep/file.txt"), Abs("Other/app.exe")}));
    EXPECT_EQ(NamesOf(s, files), (Paths{"file.txt", "app.exe"}));
}

TEST(FileSetWalk, WorkedExampleTreeGivesFilesBeforeSubdirectoriesAndRelativeNames)
{
    TTempDir temp;
    std::string image = temp / "Build";
    MakeTree(image, {"demo.exe", "help.txt", "lang/de.ini", "lang/fr.ini"});
    TInstallSettings s = ImageSettings(image, HostPath(image, "demo.exe"));

    Paths files = CollectFiles(s);
    EXPECT_EQ(files, (Paths{HostPath(image, "demo.exe"), HostPath(image, "help.txt"), HostPath(image, "lang/de.ini"),
                            HostPath(image, "lang/fr.ini")}));
    EXPECT_EQ(NamesOf(s, files), (Paths{"demo.exe", "help.txt", "lang\\de.ini", "lang\\fr.ini"}));
}

TEST(FileSetWalk, LaterFoundSubdirectoriesAreVisitedFirstAndEmptyOnesAddNothing)
{
    TTempDir temp;
    std::string image = temp / "img";
    MakeTree(image, {"a/a1.txt", "a/deep/a2.txt", "b/b1.txt", "b/sub/b2.txt", "c/", "c/d/", "root1.txt", "root2.txt"});
    TInstallSettings s = ImageSettings(image, "");
    s.IncludeMainExe = false;

    Paths names = NamesOf(s, CollectFiles(s));
    EXPECT_EQ(names, (Paths{"root1.txt", "root2.txt", "b\\b1.txt", "b\\sub\\b2.txt", "a\\a1.txt", "a\\deep\\a2.txt"}));
}

TEST(FileSetWalk, TrailingSeparatorAndSurroundingBlanksChangeNothing)
{
    TTempDir temp;
    std::string image = temp / "Build";
    MakeTree(image, {"app.exe", "lang/de.ini"});
    TInstallSettings plain = ImageSettings(image, HostPath(image, "app.exe"));
    Paths expectedFiles = CollectFiles(plain);
    Paths expectedNames = NamesOf(plain, expectedFiles);
    ASSERT_EQ(expectedNames, (Paths{"app.exe", "lang\\de.ini"}));

    for (std::string text : {image + kPathDelim, "  " + image + " \t", " " + image + kPathDelim + " "})
    {
        SCOPED_TRACE("ADDDIRTEXT '" + text + "'");
        TInstallSettings s = ImageSettings(text, HostPath(image, "app.exe"));
        Paths files = CollectFiles(s);
        EXPECT_EQ(files, expectedFiles);
        EXPECT_EQ(NamesOf(s, files), expectedNames);
    }
}

TEST(FileSetWalk, MainExecutableInsideTheImageIsInstalledUnderItsBareName)
{
    TTempDir temp;
    std::string image = temp / "Build";
    MakeTree(image, {"bin/demo.exe", "bin/demo.dll"});
    TInstallSettings s = ImageSettings(image, HostPath(image, "bin/demo.exe"));
    Paths files = CollectFiles(s);
    ASSERT_EQ(files.size(), 2u) << "MAIN was found by the walk and not appended again";
    EXPECT_EQ(NamesOf(s, files), (Paths{"bin\\demo.dll", "demo.exe"}));

    // Not shipped as the main executable: the copy in the tree keeps its place.
    s.IncludeMainExe = false;
    EXPECT_EQ(NamesOf(s, CollectFiles(s)), (Paths{"bin\\demo.dll", "bin\\demo.exe"}));
}

TEST(FileSetWalk, MainExecutableFoundInAnotherCaseKeepsTheWalksRelativeName)
{
    TTempDir temp;
    std::string image = temp / "Build";
    MakeTree(image, {"bin/Demo.exe"});
    TInstallSettings s = ImageSettings(image, HostPath(image, "bin/demo.exe"));
    Paths files = CollectFiles(s);
    EXPECT_EQ(files, Paths{HostPath(image, "bin/Demo.exe")});
    EXPECT_EQ(NamesOf(s, files), Paths{"bin\\Demo.exe"});
}

TEST(FileSetWalk, HiddenAndSystemFilesAndDirectoriesAreShipped)
{
    TTempDir temp;
    std::string image = temp / "img";
#ifdef _WIN32
    MakeTree(image, {"hidden.txt", "system.txt", "secret/inner.txt"});
    ASSERT_TRUE(SetFileAttributesA(HostPath(image, "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(HostPath(image, "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(HostPath(image, "secret").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    Paths expected{"hidden.txt", "system.txt", "secret\\inner.txt"};
#else
    MakeTree(image, {".hidden", ".secret/inner.txt", "plain.txt"});
    Paths expected{".hidden", "plain.txt", ".secret\\inner.txt"};
#endif
    TInstallSettings s = ImageSettings(image, "");
    s.IncludeMainExe = false;
    EXPECT_EQ(NamesOf(s, CollectFiles(s)), expected);
#ifdef _WIN32
    SetFileAttributesA(HostPath(image, "system.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST(FileSetWalk, DeepTreeNeedsNoRecursion)
{
    TTempDir temp;
    std::string image = temp / "deep";
    std::string relative;
    for (int i = 0; i < 40; ++i)
        relative += "d/";
    MakeTree(image, {relative + "leaf.txt"});
    TInstallSettings s = ImageSettings(image, "");
    s.IncludeMainExe = false;
    Paths names = NamesOf(s, CollectFiles(s));
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), 40 * 2 + std::string("leaf.txt").size());
}

TEST(FileSetWalk, BlankImageDirectoryFailsAndAMissingOneYieldsOnlyTheMainExecutable)
{
    for (const char* text : {"", "   ", "\t\r\n"})
    {
        TInstallSettings s = ImageSettings(text, Abs("app.exe"));
        EXPECT_THROW(CollectFiles(s), TError) << "ADDDIRTEXT '" << text << "'";
    }
    TTempDir temp;
    TInstallSettings s = ImageSettings(temp / "does-not-exist", temp / "app.exe");
    EXPECT_EQ(CollectFiles(s), Paths{temp / "app.exe"});
}

TEST(PathRules, FileNamesAndPackageNames)
{
    EXPECT_EQ(FileNameOf(Abs("Docs/demo.exe")), "demo.exe");
    EXPECT_EQ(FileNameOf("demo.exe"), "demo.exe");
    EXPECT_EQ(FileNameOf(Abs("Docs/")), "");
#ifdef _WIN32
    EXPECT_EQ(FileNameOf("C:demo.exe"), "demo.exe");
    EXPECT_EQ(ToPackageName("lang\\de.ini"), "lang\\de.ini");
#else
    EXPECT_EQ(FileNameOf("C:demo.exe"), "C:demo.exe") << "a colon is an ordinary character here";
    EXPECT_EQ(ToPackageName("lang/sub/de.ini"), "lang\\sub\\de.ini");
#endif
    EXPECT_TRUE(IsBlank(" \t\r\n"));
    EXPECT_FALSE(IsBlank(" \xE9 ")) << "a code above 32 counts, non-ASCII included";
}

} // namespace
