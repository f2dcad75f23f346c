// The installer's decisions without a window: the description reader, the base
// directories, the space estimate, the step table, the gradient, the package check,
// the bitmap check and the roll-back, against a recording fake of the system.
#include "FaultyFileSystem.h"
#include "installer_Fakes.h"
#include "platform/Text.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/installer/InstallerAppearance.h"
#include "runtime/installer/InstallerModel.h"
#include "runtime/installer/SilentInstall.h"
#include "runtime/installer/UninstallEntry.h"
#include "runtime/installer/infreader.h"
#include "runtime/common/ShellInstallLib.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

using namespace kf;
using namespace kf::installer;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using kftest::TFakeSystem;
using kftest::TFakeView;

namespace {

TINFReader Reader(const std::string& text)
{
    TINFReader reader;
    reader.LoadText(text);
    return reader;
}

} // namespace

TEST(InfReader, SplitsLinesAtCrLfCrAndLf)
{
    TINFReader reader = Reader("[a]\r\none\rtwo\nthree\r\n\r\n[b]\nlast");
    EXPECT_THAT(reader.Lines(), ElementsAre("[a]", "one", "two", "three", "", "[b]", "last"));
    EXPECT_THAT(reader.ReadSection("a"), ElementsAre("one", "two", "three"));
    EXPECT_EQ(reader.ReadValue("b"), "last");
    // A stream is read from its position.
    TMemoryStream stream(std::string("xx[t]\r\nv\r\n"));
    stream.Seek(2);
    reader.LoadText(stream);
    EXPECT_EQ(reader.ReadValue("T"), "v");
}

TEST(InfReader, HeadersMatchAsWholeLinesInAnyCase)
{
    TINFReader reader = Reader("[TITLE]\r\nDemo\r\n\r\n [basedir]\r\n%WINDOWS%\r\n\r\n[defaultdir] \r\nX\r\n\r\n"
                               "[title]\r\nSecond\r\n");
    EXPECT_TRUE(reader.SectionExists("title"));
    EXPECT_EQ(reader.ReadValue("Title"), "Demo"); // the first header wins
    EXPECT_FALSE(reader.SectionExists("basedir"));
    EXPECT_EQ(reader.ReadValue("basedir"), "");
    EXPECT_FALSE(reader.SectionExists("defaultdir"));
    EXPECT_THAT(reader.ReadSection("defaultdir"), IsEmpty());
}

TEST(InfReader, HeaderOnTheLastLineCountsAsAbsent)
{
    EXPECT_FALSE(Reader("[title]\r\nDemo\r\n\r\n[launch]").SectionExists("launch"));
    EXPECT_FALSE(Reader("[title]\r\nDemo\r\n\r\n[launch]\r\n").SectionExists("launch"));
    // An empty line after it is a line: the section exists, with an empty value.
    TINFReader reader = Reader("[launch]\r\n\r\n");
    EXPECT_TRUE(reader.SectionExists("launch"));
    EXPECT_EQ(reader.ReadValue("launch"), "");
    EXPECT_THAT(reader.ReadSection("launch"), IsEmpty());
}

TEST(InfReader, ValuesRunToTheFirstBlankLineUntrimmedWithHashAsEmpty)
{
    TINFReader reader = Reader("[files]\r\n  data\\a.txt;a.txt \r\n#\r\n  #  \r\nb;c\r\n   \t\r\nafter\r\n");
    EXPECT_THAT(reader.ReadSection("files"), ElementsAre("  data\\a.txt;a.txt ", "", "", "b;c"));
    // ReadValue hands out the first line as it is, even a blank or "#" one.
    EXPECT_EQ(Reader("[x]\r\n#\r\n").ReadValue("x"), "#");
    EXPECT_EQ(Reader("[x]\r\n   \r\nv\r\n").ReadValue("x"), "   ");
}

TEST(InfReader, SplitValueAtTheFirstSemicolon)
{
    EXPECT_EQ(SplitValue("data\\a;b;c"), std::make_pair(std::string("data\\a"), std::string("b;c")));
    EXPECT_EQ(SplitValue("no separator"), std::make_pair(std::string(), std::string("no separator")));
    EXPECT_EQ(SplitValue(";x"), std::make_pair(std::string(), std::string("x")));
    EXPECT_EQ(SplitValue("x;"), std::make_pair(std::string("x"), std::string()));
}

TEST(BaseDirectory, ExactPlaceholdersOnly)
{
    TBaseDirectories dirs{"C:\\Program Files", "C:\\windows\\", "C:\\users\\me\\Desktop", "C:\\windows\\Fonts"};
    EXPECT_EQ(ResolveBaseDir("%PROGRAM FILES%", dirs), "C:\\Program Files\\");
    EXPECT_EQ(ResolveBaseDir("%WINDOWS%", dirs), "C:\\windows\\");
    EXPECT_EQ(ResolveBaseDir("%SYSTEM%", dirs), "C:\\windows\\SYSTEM32\\");
    EXPECT_EQ(ResolveBaseDir("%C ROOT%", dirs), "C:\\");
    EXPECT_EQ(ResolveBaseDir("%DESKTOP%", dirs), "C:\\users\\me\\Desktop\\");
    EXPECT_EQ(ResolveBaseDir("%FONTS%", dirs), "C:\\windows\\Fonts\\");
    for (const char* other : {"Custom", "%program files%", " %WINDOWS%", "", "%SYSTEM32%"})
        EXPECT_EQ(ResolveBaseDir(other, dirs), "") << other;
    // A missing registry value gives no stray "\".
    EXPECT_EQ(ResolveBaseDir("%FONTS%", TBaseDirectories{}), "");
}

TEST(BaseDirectory, AnUpgradeProposesTheRegisteredLocation)
{
    TINFReader description = Reader("[basedir]\r\n%PROGRAM FILES%\r\n[defaultdir]\r\nDemo\r\n");
    TBaseDirectories dirs{"C:\\Program Files", "C:\\windows", "", ""};
    EXPECT_EQ(DefaultLocation(description, dirs), "C:\\Program Files\\Demo");
    for (const char* registered : {"D:\\Apps\\Demo 1", " d:\\Apps\\Demo 1 ", "\\\\server\\share\\Demo", "E:\\"})
    {
        dirs.Registered = registered;
        EXPECT_EQ(DefaultLocation(description, dirs), TrimText(registered)) << registered;
    }
    // Blank, relative or cut-short values are no location to write into.
    for (const char* damaged : {"   ", "Demo", "\\Demo", "D:Demo", "1:\\Demo", "\\\\server", "\\\\server\\"})
    {
        dirs.Registered = damaged;
        EXPECT_EQ(DefaultLocation(description, dirs), "C:\\Program Files\\Demo") << damaged;
    }
}

TEST(Space, EstimateIsTenPercentOverSizesPlusABlockPerFile)
{
    kftest::TTempDir dir;
    std::string path = dir / "package.dat";
    {
        TCompressionManager package(path, true, false, false);
        package.WriteEntryString("data\\a.bin", std::string(100000, 'a'));
        package.WriteEntryString("DATA\\B.BIN", "");
    }
    TCompressionManager package(path, false, true, false);
    // 1.1 * ((100000 + 4096) + (0 + 4096) + (-1 + 4096)) = 1.1 * 112287 = 123515.7
    TINFReader reader = Reader("[files]\r\ndata\\a.bin;a.bin\r\ndata\\b.bin;b.bin\r\ndata\\gone;gone\r\n\r\n");
    EXPECT_EQ(EstimateSpace(reader, package), 123515);
    EXPECT_EQ(KilobytesText(123515), "120 kb");
    EXPECT_EQ(EstimateSpace(Reader("[title]\r\nx\r\n"), package), 0);
    EXPECT_EQ(KilobytesText(-1), "0 kb"); // a drive that cannot be asked
    EXPECT_EQ(KilobytesText(int64_t(5) << 40), "5368709120 kb");
}

TEST(Space, DriveOrShareOfTheLocation)
{
    EXPECT_EQ(FreeSpaceRoot("C:\\Program Files"), "C:\\");
    EXPECT_EQ(FreeSpaceRoot("a:\\x"), "A:\\");
    EXPECT_EQ(FreeSpaceRoot("z:x"), "Z:\\");
    EXPECT_EQ(FreeSpaceRoot("C:"), ""); // not longer than two characters: the current drive
    EXPECT_EQ(FreeSpaceRoot("Demo Tool"), "");
    EXPECT_EQ(FreeSpaceRoot("1:\\x"), "");
    // A share's own free space, not the current drive's.
    EXPECT_EQ(FreeSpaceRoot("\\\\server\\share"), "\\\\server\\share\\");
    EXPECT_EQ(FreeSpaceRoot("\\\\server\\share\\Apps\\Demo"), "\\\\server\\share\\");
}

TEST(Background, BlendAndBands)
{
    EXPECT_EQ(BlendColors(0x123456, 0xABCDEF, 1.0), 0x123456u);
    EXPECT_EQ(BlendColors(0x123456, 0xABCDEF, 0.0), 0xABCDEFu);
    // Each channel truncated on its own: 255 * 0.5 = 127.5 -> 127, twice.
    EXPECT_EQ(BlendColors(0xFFFFFF, 0xFFFFFF, 0.5), 0xFEFEFEu);
    // Bits above the three channels are ignored.
    EXPECT_EQ(BlendColors(0xFF000080, 0, 1.0), 0x80u);

    std::vector<TBand> bands = GradientBands(8347213, 2365465, 255, 1000);
    ASSERT_EQ(bands.size(), 255u);
    EXPECT_EQ(bands.front().Top, 0);
    EXPECT_EQ(bands.back().Bottom, 1000);
    EXPECT_EQ(bands.front().Color, 8347213u);
    EXPECT_EQ(bands.back().Color, 2365465u);
    for (size_t i = 1; i < bands.size(); ++i)
        EXPECT_EQ(bands[i].Top, bands[i - 1].Bottom) << i; // no gap, no overlap
    // A client area shorter than the band count still covers every row.
    std::vector<TBand> thin = GradientBands(0, 0xFFFFFF, 255, 10);
    EXPECT_EQ(thin.back().Bottom, 10);
    ASSERT_EQ(GradientBands(0xFF, 0, 1, 50).size(), 1u);
    EXPECT_EQ(GradientBands(0xFF, 0, 1, 50)[0].Color, 0xFFu);
}

TEST(Background, ColourTextKeepsTheStartValueWhenInvalid)
{
    EXPECT_EQ(ParseColor("8388608", 7), 8388608);
    EXPECT_EQ(ParseColor("-1", 7), -1);
    EXPECT_EQ(ParseColor("+12", 7), 12);
    for (const char* bad : {"", " 12", "12 ", "0x10", "red", "-", "99999999999", "2147483648"})
        EXPECT_EQ(ParseColor(bad, 7), 7) << bad;
    EXPECT_EQ(ParseColor("-2147483648", 7), INT32_MIN);
}

TEST(Texts, MessagesWithTheTitle)
{
    EXPECT_EQ(InstallErrorText("C:\\Apps\\a.txt"),
              "An error occurred while installing the file: \"C:\\Apps\\a.txt\".\r\rThe installation cannot proceed.");
    EXPECT_EQ(CompleteText("Demo", false, false), "Installation of Demo has successfully completed.\r\r");
    EXPECT_EQ(CompleteText("Demo", true, true), "Installation of Demo has successfully completed.\r\r"
                                                "You may now run Demo.\r\r"
                                                "Please choose if you want a desktop shortcut created.");
    EXPECT_EQ(WelcomeText("D").substr(0, 22), "Welcome to D setup!\r\rT");
    EXPECT_EQ(LicenseRefusalQuestion("D"), "If you do not agree to the license and disclaimer, you may not install "
                                           "D.\r\rAre you sure you wish to cancel installing D?");
}

TEST(Paths, ExistingAncestorEndsAtAnExistingFolderOrTheEmptyPath)
{
    TFakeSystem system;
    system.Existing = {"C:\\Apps", "C:"};
    TAncestor nested = FindExistingAncestor("C:\\Apps\\Vendor\\Demo", system);
    EXPECT_EQ(nested.Existing, "C:\\Apps");
    EXPECT_EQ(nested.Relative, "Vendor\\Demo");
    EXPECT_EQ(FindExistingAncestor("C:\\Apps\\New\\", system).Relative, "New");
    EXPECT_EQ(FindExistingAncestor("C:\\Apps", system).Relative, "");
    // No existing ancestor (a drive that is not there, a relative location): every
    // level counts as created, and the climb ends.
    TAncestor missing = FindExistingAncestor("Q:\\Demo\\Sub", system);
    EXPECT_EQ(missing.Existing, "");
    EXPECT_EQ(missing.Relative, "Q:\\Demo\\Sub");
    EXPECT_EQ(FindExistingAncestor("Demo Tool", system).Relative, "Demo Tool");

    EXPECT_EQ(BrowseStartFolder("C:\\Apps\\Vendor\\Demo", system), "");
    system.Existing.insert("C:\\Apps\\");
    EXPECT_EQ(BrowseStartFolder("C:\\Apps\\Vendor\\Demo", system), "C:\\Apps\\");
    EXPECT_EQ(BrowseStartFolder("relative", system), "");
}

TEST(Undo, DirectoryEntriesClimbOncePerCreatedLevel)
{
    auto paths = [](const std::vector<TUndoAction>& actions) {
        std::vector<std::string> result;
        for (const TUndoAction& action : actions)
            result.push_back((action.IsFile ? "file " : "dir ") + action.Path);
        return result;
    };
    EXPECT_THAT(paths(UndoActions("Directory", "Vendor\\Demo;C:\\Program Files\\Vendor\\Demo")),
                ElementsAre("dir C:\\Program Files\\Vendor\\Demo", "dir C:\\Program Files\\Vendor"));
    EXPECT_THAT(paths(UndoActions("Directory", "lang\\;C:\\Program Files\\Demo\\lang\\")),
                ElementsAre("dir C:\\Program Files\\Demo\\lang\\"));
    EXPECT_THAT(paths(UndoActions("File", "C:\\a;b.txt")), ElementsAre("file C:\\a;b.txt"));
    EXPECT_THAT(UndoActions("Title", "Demo"), IsEmpty());
    EXPECT_THAT(UndoActions("file", "C:\\x"), IsEmpty()); // kinds are case-sensitive
    EXPECT_THAT(UndoActions("Directory", "C:\\no relative part"), IsEmpty());
}

// v1 made C:\A and C:\A\old; v2 ships a.txt again, drops old\o.txt, adds new\n.txt.
TEST(Reinstall, AReinstallTakesOverTheEarlierEntriesOnceAndUndoesItsOwnFirst)
{
    std::vector<std::string> earlier = LogHeader();
    for (const char* line : {"Title: Demo", "Directory: A;C:\\A", "File: C:\\A\\uninstall.log", "File: C:\\A\\a.txt",
                             "Directory: old\\;C:\\A\\old\\", "File: C:\\A\\old\\o.txt", "", "Title: Demo 1"})
        earlier.push_back(line);
    std::vector<std::string> current = {"Title: Demo", "Backup: C:\\A\\uninstall.log|C:\\A\\uninstall.log.~kfkept|32",
                                        "File: C:\\A\\uninstall.log", "Backup: C:\\A\\a.txt|C:\\A\\a.txt.~kfkept|32",
                                        "File:  C:\\A\\a.txt", "Directory: new\\;C:\\A\\new\\", "File: C:\\A\\new\\n.txt"};
    std::vector<std::string> merged = MergeLogEntries(earlier, current);
    EXPECT_EQ(merged, (std::vector<std::string>{"Title: Demo", "Directory: A;C:\\A", "File: C:\\A\\uninstall.log",
                                                "File: C:\\A\\a.txt", "Directory: old\\;C:\\A\\old\\",
                                                "File: C:\\A\\old\\o.txt", "Directory: new\\;C:\\A\\new\\",
                                                "File: C:\\A\\new\\n.txt"}));

}

namespace {

std::string LogText(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::vector<std::string>* lines : {&LogHeader(), &entries})
        for (const std::string& line : *lines)
            text += line + "\r\n";
    return text;
}

} // namespace

// A rerun after v2 over v1 was killed: the rerun moved v2's part log aside as ~kfkept2,
// which leads back to v1's as ~kfkept (whose own stale entry leads round again). A kept
// log of the title no entry leads to (its run died before it wrote one) counts as older;
// one of another title is another installation's.
TEST(Reinstall, ARerunFollowsTheKeptLogsBackAndTakesInTheStrays)
{
    const std::string log = "C:\\A\\uninstall.log";
    TFakeSystem system;
    system.Files[log + ".~kfkept"] = {kAttrHidden, LogText({"Title: Demo", "Backup: " + log + "|" + log + ".~kfkept2|32",
                                                            "File: " + log, "File: C:\\A\\a.txt", "File: C:\\A\\old.txt"})};
    system.Files[log + ".~kfkept2"] = {
        kAttrHidden, LogText({"Title: Demo", "Backup: " + log + "|" + log + ".~kfkept|32", "File: " + log,
                              "Backup: C:\\A\\a.txt|C:\\A\\a.txt.~kfkept|32", "File: C:\\A\\a.txt",
                              "Backup: C:\\A\\b.txt|C:\\Windows\\win.ini|32", "File: C:\\A\\b.txt"})};
    system.Files[log + ".~kfkept4"] = {kAttrHidden, LogText({"Title: Demo", "File: C:\\A\\s.txt"})};
    system.Files[log + ".~kfkept5"] = {kAttrHidden, LogText({"Title: Other", "File: C:\\A\\o.txt"})};

    TEarlierLogs earlier = TraceEarlierLogs(log, log + ".~kfkept2", "Demo", system);
    EXPECT_EQ(MergeLogEntries(earlier.Entries, {"Title: Demo", "File: C:\\A\\new.txt"}),
              (std::vector<std::string>{"Title: Demo", "File: C:\\A\\s.txt", "File: " + log, "File: C:\\A\\a.txt",
                                        "File: C:\\A\\old.txt", "File: C:\\A\\b.txt", "File: C:\\A\\new.txt"}));
    // Only a name KeptCopyPath gives is ever deleted on a log's word.
    EXPECT_THAT(earlier.Files, ElementsAre("C:\\A\\a.txt.~kfkept"));
    EXPECT_THAT(earlier.Logs, ElementsAre(log + ".~kfkept2", log + ".~kfkept", log + ".~kfkept4"));
    EXPECT_TRUE(IsKeptCopyName("C:\\a", "C:\\a.~kfkept100"));
    for (const char* kept : {"C:\\a.~kfkept1", "C:\\a.~kfkept02", "C:\\a.~kfkept101", "C:\\a.~kfkeptx", "C:\\b.~kfkept"})
        EXPECT_FALSE(IsKeptCopyName("C:\\a", kept)) << kept;

    // Killed before it logged where it kept the earlier log: no log leads there, the
    // stray is found all the same. Nothing of the title: nothing taken over.
    system.Files.erase(log + ".~kfkept2");
    EXPECT_THAT(TraceEarlierLogs(log, "", "Demo", system).Logs, ElementsAre(log + ".~kfkept", log + ".~kfkept4"));
    TEarlierLogs none = TraceEarlierLogs(log, log + ".~kfkept5", "New", system);
    EXPECT_THAT(none.Entries, IsEmpty());
    EXPECT_THAT(none.Logs, ElementsAre(log + ".~kfkept5")); // its own kept log, as before
}

// The log goes to a real file; on POSIX "<dir>/" + "\uninstall.log" is a file of that
// odd name inside the scratch folder, which is all these checks need.
class Installing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FInstaller.InstallDir = FDir.Path() + kf::kPathDelim;
        App = AddBackslash(FInstaller.InstallDir);
    }
    kftest::TTempDir FDir;
    std::string App; // the files these tests install: in the installation folder, which alone the run owns
    TInstaller FInstaller{std::unique_ptr<TCompressionManager>()};
    TFakeSystem FSystem;
    TFakeView FView;
};

TEST_F(Installing, CreatePathLogsOnlyTheLevelsItMakes)
{
    FInstaller.StartLog("");
    FSystem.Existing = {"C:\\", "C:\\Apps\\"};
    FInstaller.CreatePath("C:\\\\Apps\\new\\deeper\\", FSystem);
    EXPECT_THAT(FSystem.Calls, ElementsAre("mkdir C:\\Apps\\new\\", "mkdir C:\\Apps\\new\\deeper\\"));
    FInstaller.CreatePath("C:\\Apps\\new\\deeper\\", FSystem); // nothing new
    std::string kind, value;
    ASSERT_TRUE(FInstaller.Log()->ReadPrevious(kind, value));
    EXPECT_EQ(kind + ": " + value, "Directory: deeper\\;C:\\Apps\\new\\deeper\\");
    ASSERT_TRUE(FInstaller.Log()->ReadPrevious(kind, value));
    EXPECT_EQ(kind + ": " + value, "Directory: new\\;C:\\Apps\\new\\");
}

TEST_F(Installing, OnAShareOnlyTheFoldersBelowItAreMadeAndLogged)
{
    FInstaller.StartLog("");
    FSystem.Existing = {"\\\\server\\share\\"};
    FInstaller.CreatePath("\\\\server\\share\\\\App\\", FSystem);
    EXPECT_THAT(FSystem.Calls, ElementsAre("mkdir \\\\server\\share\\App\\"));
    std::string kind, value;
    ASSERT_TRUE(FInstaller.Log()->ReadPrevious(kind, value));
    EXPECT_EQ(kind + ": " + value, "Directory: App\\;\\\\server\\share\\App\\");
    ASSERT_TRUE(FInstaller.Log()->ReadPrevious(kind, value));
    EXPECT_NE(kind, "Directory");

    FSystem.Existing = {"\\\\server\\share"};
    TAncestor ancestor = FindExistingAncestor("\\\\server\\share\\Vendor\\Demo", FSystem);
    EXPECT_EQ(ancestor.Existing, "\\\\server\\share");
    EXPECT_EQ(ancestor.Relative, "Vendor\\Demo");
}

TEST_F(Installing, RollBackUndoesNewestFirstWithProgress)
{
    FInstaller.Title = "Demo";
    FInstaller.StartLog("");
    TLogFile& log = *FInstaller.Log();
    log.AddDirectoryEntry(App + "Vendor\\Demo", "Vendor\\Demo");
    log.AddFileEntry(App + "Vendor\\Demo\\a.exe");
    log.AddDirectoryEntry(App + "Vendor\\Demo\\lang\\", "lang\\");
    log.AddFileEntry(App + "Vendor\\Demo\\lang\\de.ini");
    FInstaller.RollBack(FSystem, FView);
    std::string logPath = AddBackslash(FInstaller.InstallDir) + "uninstall.log";
    EXPECT_THAT(FSystem.Calls,
                ElementsAre("delete " + App + "Vendor\\Demo\\lang\\de.ini", "rmdir " + App + "Vendor\\Demo\\lang\\",
                            "delete " + App + "Vendor\\Demo\\a.exe", "rmdir " + App + "Vendor\\Demo",
                            "rmdir " + App + "Vendor", "delete " + logPath));
    EXPECT_EQ(FView.TotalPosition, 0);
    EXPECT_EQ(FView.TotalMaximum, 6);
    EXPECT_EQ(FView.Labels.front(), "total: Cancelling installation...");
    EXPECT_EQ(FView.Labels[1], "Removing " + App + "Vendor\\Demo\\lang\\de.ini...");
    EXPECT_EQ(FView.Labels.back(), "Removing Demo...");
    // A second roll-back finds nothing left to undo.
    FSystem.Calls.clear();
    FInstaller.RollBack(FSystem, FView);
    EXPECT_THAT(FSystem.Calls, IsEmpty());
}

// A file standing where the installation writes goes aside, hidden, and a roll-back
// puts it back with its attributes once the new file is gone; a completed copy deletes
// what it kept.
TEST_F(Installing, WhatItWritesOverIsKeptAsideAndRestoredOrDiscarded)
{
    const std::string mine = App + "notes.txt";
    const std::string kept = mine + ".~kfkept";
    FSystem.Existing = {App, App + "docs"};
    FSystem.Files[mine] = {kAttrReadOnly | kAttrArchive, "mine"};
    FSystem.Files[kept] = {kAttrArchive, "a copy an earlier run left"};
    FInstaller.StartLog("");
    ASSERT_TRUE(FInstaller.KeepAside(mine, FSystem));
    FInstaller.Log()->AddFileEntry(mine);
    FSystem.Files[mine] = {kAttrArchive, "new"}; // the copy writes the new file
    EXPECT_TRUE(FInstaller.KeepAside(App + "docs", FSystem)); // a folder is never moved
    EXPECT_TRUE(FInstaller.KeepAside(App + "new.txt", FSystem)); // nothing there
    EXPECT_THAT(FSystem.Calls, ElementsAre("move " + mine + " -> " + kept + "2",
                                           "attrib " + kept + "2 " + std::to_string(kAttrReadOnly | kAttrHidden | kAttrArchive)));

    FSystem.Calls.clear();
    FInstaller.RollBack(FSystem, FView);
    EXPECT_EQ(FSystem.Calls[0], "delete " + mine);
    EXPECT_EQ(FSystem.Files[mine].Bytes, "mine");
    EXPECT_EQ(FSystem.Files[mine].Attributes, kAttrReadOnly | kAttrArchive);
    EXPECT_EQ(FSystem.Files.count(kept + "2"), 0u);
    EXPECT_EQ(FSystem.Files[kept].Bytes, "a copy an earlier run left"); // not this run's
    // The restore shows the file's path, as its removal just before did.
    EXPECT_EQ(std::count(FView.Labels.begin(), FView.Labels.end(), "Removing " + mine + "..."), 2);

    // Completed: the kept copy goes, read-only or not; the original's place is the new file's.
    FSystem.Files.erase(kept);
    TInstaller completed{std::unique_ptr<TCompressionManager>()};
    completed.InstallDir = FInstaller.InstallDir;
    completed.StartLog("");
    ASSERT_TRUE(completed.KeepAside(mine, FSystem));
    FSystem.Files[mine] = {kAttrArchive, "new"};
    completed.CompleteCopy(FSystem);
    EXPECT_THAT(FSystem.Files, ::testing::SizeIs(1));
    EXPECT_EQ(FSystem.Files[mine].Bytes, "new");
}

// The order that makes every kill point recoverable: the kept copies of files go while
// the log on disk still names them, the merged log replaces it in one step, the kept
// log goes last. The group step then adds only what the merged log lacks.
TEST_F(Installing, CompletionReplacesTheLogBeforeTheKeptLogGoes)
{
    FInstaller.Title = "Demo";
    const std::string log = AddBackslash(FInstaller.InstallDir) + "uninstall.log", kept = log + ".~kfkept";
    FSystem.Files[kept] = {kAttrHidden, LogText({"Title: Demo", "File: " + log, "Directory: Demo Group;C:\\Programs\\Demo Group",
                                                 "File: " + App + "old.txt", "File: " + App + "run.exe"})};
    FSystem.Files[App + "run.exe"] = {kAttrArchive, "v1, running"};
    FSystem.Running = {App + "run.exe.~kfkept"};
    TKeptCopy earlier{log, kept, kAttrArchive};
    FInstaller.StartLog("", &earlier);
    FInstaller.TakeOverEarlierLogs(kept, FSystem);
    ASSERT_TRUE(FInstaller.KeepAside(App + "run.exe", FSystem));
    FInstaller.Log()->AddFileEntry(App + "run.exe");
    FSystem.Calls.clear();
    FInstaller.CompleteCopy(FSystem);
    EXPECT_THAT(FSystem.Calls, ElementsAre("attrib " + App + "run.exe.~kfkept 128", "delete " + App + "run.exe.~kfkept",
                                           "at restart delete " + App + "run.exe.~kfkept",
                                           "replace " + log + ".~kfnew -> " + log, "attrib " + kept + " 128",
                                           "delete " + kept));
    EXPECT_EQ(FSystem.Files.count(kept), 0u);

    FInstaller.LoadDescription("[program group]\r\nDemo Group\r\n\r\n[group icons]\r\nDemo;run.exe\r\n\r\n");
    FInstaller.GroupStep(FSystem, FView);
    FInstaller.FreeLog();
    EXPECT_EQ(kftest::ReadFileBytes(log),
              LogText({"Title: Demo", "File: " + log, "Directory: Demo Group;C:\\Programs\\Demo Group",
                       "File: " + App + "old.txt", "File: " + App + "run.exe", "File: C:\\Programs\\Demo Group\\Demo.LNK"}));
    EXPECT_FALSE(FileExists(log + ".~kfnew"));
}

// (A rename that fails is one of the faults of Faults.EveryChangeFailing... below.)
TEST_F(Installing, AFileWithEveryKeptNameTakenIsNotOverwritten)
{
    const std::string mine = App + "notes.txt";
    FSystem.Files[mine] = {kAttrArchive, "mine"};
    FInstaller.StartLog("");
    for (int attempt = 1; attempt <= 100; ++attempt)
        FSystem.Files[KeptCopyPath(mine, attempt)] = {kAttrArchive, ""};
    EXPECT_FALSE(FInstaller.KeepAside(mine, FSystem));
    EXPECT_EQ(FSystem.Files[mine].Bytes, "mine");
}

TEST_F(Installing, AbortRollsBackAndEndsTheProgram)
{
    FInstaller.StartLog("");
    EXPECT_EQ(FInstaller.AbortInstall(FSystem, FView), TCopyResult::EndProgram);
    EXPECT_TRUE(FInstaller.Cancelled);
    EXPECT_THAT(FSystem.Calls, ElementsAre("delete " + AddBackslash(FInstaller.InstallDir) + "uninstall.log"));
}

// Nothing is kept aside, written, restored or deleted through a link below the folder
// or outside it; a kept copy an earlier log names outside the folder stays; and in a
// folder standard users can write, no kept log is taken over at all.
TEST_F(Installing, NothingThroughALinkOrOutsideTheFolderAndNoKeptLogFromAnOpenFolder)
{
    FInstaller.Title = "Demo";
    FSystem.Links = {App + "bin"};
    FSystem.Files[App + "bin\\tool.exe"] = {kAttrArchive, "System32's"};
    FSystem.Files["C:\\Windows\\win.ini"] = {kAttrArchive, "Windows'"};
    FInstaller.StartLog("");
    EXPECT_FALSE(FInstaller.KeepAside(App + "bin\\tool.exe", FSystem));
    EXPECT_FALSE(FInstaller.KeepAside(App + "bin\\new.dll", FSystem)); // would be written through the link
    EXPECT_FALSE(FInstaller.KeepAside("C:\\Windows\\win.ini", FSystem));
    EXPECT_FALSE(FInstaller.KeepAside(App + "..\\win.ini", FSystem));
    FInstaller.Log()->AddFileEntry(App + "bin\\tool.exe");
    FInstaller.Log()->AddBackupEntry({App + "bin\\tool.exe", App + "bin\\tool.exe.~kfkept", kAttrArchive});
    FInstaller.Log()->AddDirectoryEntry(App + "bin\\", "bin\\");
    FInstaller.RollBack(FSystem, FView);
    EXPECT_THAT(FSystem.Calls, ElementsAre("delete " + AddBackslash(FInstaller.InstallDir) + "uninstall.log"));
    EXPECT_EQ(FSystem.Files[App + "bin\\tool.exe"].Bytes, "System32's");

    // An earlier log of this title in a folder only administrators can change: its own
    // kept copies go, one it names elsewhere stays.
    const std::string log = AddBackslash(FInstaller.InstallDir) + "uninstall.log", kept = log + ".~kfkept";
    const std::string earlier = LogText({"Title: Demo", "Backup: C:\\Windows\\win.ini|C:\\Windows\\win.ini.~kfkept|32",
                                         "Backup: " + App + "a.txt|" + App + "a.txt.~kfkept|32"});
    for (bool open : {false, true})
    {
        FSystem.Calls.clear();
        FSystem.Files[kept] = {kAttrHidden, earlier};
        FSystem.Files["C:\\Windows\\win.ini.~kfkept"] = {kAttrArchive, "Windows' own"};
        FSystem.Files[App + "a.txt.~kfkept"] = {kAttrArchive, "kept"};
        if (open)
            FSystem.Unprotected = {FInstaller.InstallDir};
        TInstaller run{std::unique_ptr<TCompressionManager>()};
        run.Title = "Demo";
        run.InstallDir = FInstaller.InstallDir;
        TKeptCopy earlierLog{log, kept, kAttrArchive};
        run.StartLog("", &earlierLog);
        run.TakeOverEarlierLogs(kept, FSystem);
        run.CompleteCopy(FSystem);
        run.FreeLog();
        EXPECT_EQ(FSystem.Files.count("C:\\Windows\\win.ini.~kfkept"), 1u);
        EXPECT_EQ(FSystem.Files.count(App + "a.txt.~kfkept"), open ? 1u : 0u) << open;
        EXPECT_EQ(FSystem.Files.count(kept), open ? 1u : 0u) << open;
        if (open)
        {
            EXPECT_THAT(FSystem.Calls, IsEmpty());
        }
    }
}

TEST_F(Installing, GroupStepAndFinish)
{
    FInstaller.Title = "Demo";
    FInstaller.InstallDir = "C:\\Apps\\Demo";
    FInstaller.LoadDescription("[program group]\r\nDemo Group\r\n\r\n[group icons]\r\nDemo;demo.exe\r\n"
                               "Site;HTTP://example.com\r\n\r\n[desktop icons]\r\nDemo;demo.exe\r\n\r\n"
                               "[run and wait]\r\nsetup2.exe /q\r\n\r\n[launch]\r\ndemo.exe\r\n\r\n");
    FInstaller.GroupStep(FSystem, FView);
    EXPECT_THAT(FSystem.Calls,
                ElementsAre("link C:\\Programs\\Demo Group\\Demo -> C:\\Apps\\Demo\\demo.exe in C:\\Apps\\Demo\\",
                            "link C:\\Programs\\Demo Group\\Site -> HTTP://example.com in ",
                            "register Demo|C:\\Apps\\Demo||HTTP://example.com",
                            "run C:\\Apps\\Demo\\setup2.exe /q"));
    EXPECT_THAT(FView.Labels, ElementsAre("group step", "Running external program setup2.exe /q..."));

    FSystem.Calls.clear();
    FInstaller.Finish(true, true, FSystem);
    EXPECT_THAT(FSystem.Calls, ElementsAre("link C:\\Desktop\\Demo -> C:\\Apps\\Demo\\demo.exe in C:\\Apps\\Demo\\",
                                           "launch C:\\Apps\\Demo\\demo.exe in C:\\Apps\\Demo"));
    // Without an all-users desktop no shortcut lands in the current folder instead.
    FSystem.Calls.clear();
    FSystem.Desktop.clear();
    FInstaller.Finish(true, false, FSystem);
    EXPECT_THAT(FSystem.Calls, IsEmpty());
}

TEST(Package, StructureCheckOfASetupExecutable)
{
    kftest::TTempDir dir;
    std::string package = dir / "package.dat";
    {
        TCompressionManager archive(package, true, false, false);
        archive.WriteEntryString("install.inf", "[title]\r\nDemo\r\n\r\n");
        archive.WriteEntryString("data\\big.bin", kftest::NoiseBytes(70000));
    }
    std::string stub = "MZ" + std::string(3000, 's');
    std::string packed = kftest::ReadFileBytes(package);
    uint8_t trailer[4];
    EncodeLE32(static_cast<int32_t>(stub.size()), trailer);
    std::string setup = stub + packed + std::string(reinterpret_cast<char*>(trailer), 4);
    auto check = [&](const std::string& bytes) {
        std::string path = dir / "setup.exe";
        kftest::WriteFileBytes(path, bytes);
        return CheckSetupPackage(path);
    };
    EXPECT_TRUE(check(setup));
    // Truncated downloads, at several points: inside the last entry's data, inside a
    // header, just before the trailer, inside the stub.
    for (size_t cut : {setup.size() - 1, setup.size() - 5, setup.size() - 1000, stub.size() + 300, stub.size() + 10,
                       size_t(100), size_t(3), size_t(0)})
        EXPECT_FALSE(check(setup.substr(0, cut))) << cut;
    EXPECT_FALSE(check(setup + "junk after the package"));
    EXPECT_FALSE(check(setup + std::string(4, '\0')));
    std::string zeroed = setup;
    zeroed.replace(zeroed.size() - 4, 4, std::string(4, '\0'));
    EXPECT_FALSE(check(zeroed));
    EXPECT_FALSE(check(dir / "missing.exe"));

    // Sound structure but no description.
    {
        TCompressionManager archive(package, true, false, false);
        archive.WriteEntryString("other", "x");
    }
    EXPECT_FALSE(check(stub + kftest::ReadFileBytes(package) + std::string(reinterpret_cast<char*>(trailer), 4)));
}

TEST(Picture, BitmapLayoutIsCheckedBeforeUse)
{
    // A 2 x 2, 24-bit bitmap: rows of 6 bytes padded to 8.
    auto bitmap = [](int32_t width, int32_t height, uint16_t bits, size_t pixelBytes) {
        std::string b(54, '\0');
        auto put = [&b](size_t at, uint32_t value, int size) {
            for (int i = 0; i < size; ++i)
                b[at + i] = static_cast<char>(value >> (8 * i));
        };
        b[0] = 'B';
        b[1] = 'M';
        put(10, 54, 4);
        put(14, 40, 4);
        put(18, static_cast<uint32_t>(width), 4);
        put(22, static_cast<uint32_t>(height), 4);
        put(26, 1, 2);
        put(28, bits, 2);
        return b + std::string(pixelBytes, '\x7f');
    };
    size_t info = 0, bits = 0;
    EXPECT_TRUE(FindBitmapLayout(bitmap(2, 2, 24, 16), info, bits));
    EXPECT_EQ(info, 14u);
    EXPECT_EQ(bits, 54u);
    EXPECT_TRUE(FindBitmapLayout(bitmap(2, -2, 24, 16), info, bits)); // top-down
    EXPECT_FALSE(FindBitmapLayout(bitmap(2, 2, 24, 15), info, bits)); // a row cut short
    EXPECT_FALSE(FindBitmapLayout(bitmap(2, 100000, 24, 16), info, bits));
    EXPECT_FALSE(FindBitmapLayout(bitmap(0, 2, 24, 16), info, bits));
    EXPECT_FALSE(FindBitmapLayout(bitmap(2, 2, 8, 16), info, bits)); // its palette is missing
    std::string wrong = bitmap(2, 2, 24, 16);
    wrong[0] = 'X';
    EXPECT_FALSE(FindBitmapLayout(wrong, info, bits));
    EXPECT_FALSE(FindBitmapLayout("BM", info, bits));
    EXPECT_FALSE(FindBitmapLayout("", info, bits));
}


TEST(Registering, MainExecutableWebsiteAndVersionFromTheDescription)
{
    TINFReader description;
    description.LoadText("[files]\r\ndata\\Tool.EXE;Tool.EXE\r\ndata\\readme.txt;readme.txt\r\n"
                         "uninstall.exe;uninstall.exe\r\n\r\n[group icons]\r\nRead me;readme.txt\r\n"
                         "Uninstall;uninstall.exe\r\nTool;tool.exe\r\nSite;http://example.com\r\n\r\n"
                         "[launch]\r\nmissing.exe\r\n\r\n[display version]\r\n2.1\r\n\r\n");
    TRegistration r = RegistrationFor("Demo", "C:\\Apps\\Demo", description, nullptr);
    // Not the launch entry (never installed), not the text file, not the uninstaller.
    EXPECT_EQ(r.MainExecutable, "tool.exe");
    EXPECT_EQ(r.Website, "http://example.com");
    EXPECT_EQ(r.Version, "2.1");
    EXPECT_EQ(r.Publisher, "");
    EXPECT_EQ(r.InstalledBytes, 0);

    description.LoadText("[group icons]\r\nUninstall;uninstall.exe\r\n\r\n");
    EXPECT_EQ(RegistrationFor("Demo", "C:\\Apps\\Demo", description, nullptr).MainExecutable, "");
}

#ifdef _WIN32
#include <windows.h>

// The copy on a real file system, with a real package: only under Windows (Wine), where
// the backslash paths of the installing are the file system's own.
namespace {

class TRealSystem : public TFakeSystem
{
public:
    bool DirectoryExists(const std::string& path) override { return kf::DirectoryExists(path); }
    kf::IFileSystem& FileSystem() override { return kf::DiskFileSystem(); }
    uint32_t AttributesAt(const std::string& path) override { return GetFileAttributesA(path.c_str()); }
    bool ReadFileAt(const std::string& path, std::string& bytes) override
    {
        if (!kf::FileExists(path))
            return false;
        bytes = kftest::ReadFileBytes(path);
        return true;
    }
};

uint64_t WriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

// A file written an hour ago, so a copy made now could not pass for it.
void WriteOldFile(const std::string& path, const std::string& bytes, uint32_t attributes)
{
    kftest::WriteFileBytes(path, bytes);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart -= 36000000000ull;
    time = {value.LowPart, value.HighPart};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    SetFileAttributesA(path.c_str(), attributes);
}

// Confirms Cancel the first time a file is part written: from then on every pump
// reports the request, as the wizard's does.
class TCancellingView : public TFakeView
{
public:
    TInstaller* Installer = nullptr;
    int ProgressAfterCancel = 0;
    int32_t CancelledAt = -1;
    bool Pump() override { return CancelledAt >= 0; }
    void SetFileProgress(int32_t position, int32_t maximum) override
    {
        if (CancelledAt >= 0)
            ProgressAfterCancel += Installer->InProgress; // the roll-back reports progress too
        else if (Installer && Installer->InProgress && position > 0 && position < maximum)
            CancelledAt = position;
    }
};

std::unique_ptr<TCompressionManager> MakePackage(const std::string& path, const std::string& big, bool damage)
{
    {
        TCompressionManager archive(path, true, false, false);
        archive.WriteEntryString("install.inf", "[title]\r\nDemo\r\n\r\n[files]\r\ndata\\small.txt;lang\\small.txt\r\n"
                                                "data\\big.bin;big.bin\r\n\r\n");
        archive.WriteEntryString("data\\small.txt", "small");
        std::string source = path + ".src";
        kftest::WriteFileBytes(source, big);
        archive.AddFile(source, "data\\big.bin");
        kf::RemoveFile(source);
    }
    if (damage)
    {
        std::string bytes = kftest::ReadFileBytes(path);
        for (size_t i = bytes.size() - 200000; i < bytes.size() - 100000; ++i)
            bytes[i] = static_cast<char>(~bytes[i]);
        kftest::WriteFileBytes(path, bytes);
    }
    return std::make_unique<TCompressionManager>(path, false, true, false);
}

} // namespace

TEST(Copy, CancelInsideAFileStopsAtTheNextChunkAndRollsBack)
{
    kftest::TTempDir dir;
    ASSERT_TRUE(ForceDirectories(dir / "Apps\\Other"));
    TInstaller installer(MakePackage(dir / "package.dat", kftest::NoiseBytes(1 << 20), false));
    installer.ReadSettings();
    TRealSystem system;
    TCancellingView view;
    view.Installer = &installer;
    EXPECT_EQ(installer.Copy(dir / "Apps\\Vendor\\Demo", system, view), TCopyResult::EndProgram);
    EXPECT_TRUE(installer.Cancelled);
    EXPECT_GT(view.CancelledAt, 0);
    EXPECT_LT(view.CancelledAt, 1 << 20);
    EXPECT_EQ(view.ProgressAfterCancel, 0); // not one chunk more
    // The part-written file, the earlier file, its folder, the log and both created
    // levels are gone; what was there before stays.
    EXPECT_FALSE(DirectoryExists(dir / "Apps\\Vendor"));
    EXPECT_TRUE(DirectoryExists(dir / "Apps\\Other"));
}

TEST(Copy, ADamagedEntryIsReportedAndRolledBack)
{
    kftest::TTempDir dir;
    TInstaller installer(MakePackage(dir / "package.dat", kftest::NoiseBytes(1 << 20), true));
    installer.ReadSettings();
    TRealSystem system;
    TFakeView view;
    std::string target = dir / "Demo";
    EXPECT_EQ(installer.Copy(target, system, view), TCopyResult::EndProgram);
    EXPECT_TRUE(installer.Cancelled);
    std::string error = "error: " + InstallErrorText(target + "\\big.bin");
    EXPECT_NE(std::find(view.Labels.begin(), view.Labels.end(), error), view.Labels.end());
    EXPECT_FALSE(DirectoryExists(target));

    // Into a folder that holds the user's own files where the package writes, and an
    // earlier log: all of it comes back as it was, and nothing kept aside is left.
    ASSERT_TRUE(ForceDirectories(target + "\\lang"));
    WriteOldFile(target + "\\lang\\small.txt", "the user's own", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    WriteOldFile(target + "\\uninstall.log", "an earlier log", FILE_ATTRIBUTE_ARCHIVE);
    uint64_t time = WriteTime(target + "\\lang\\small.txt");
    TInstaller again(MakePackage(dir / "package2.dat", kftest::NoiseBytes(1 << 20), true));
    again.ReadSettings();
    EXPECT_EQ(again.Copy(target, system, view), TCopyResult::EndProgram);
    EXPECT_EQ(kftest::ReadFileBytes(target + "\\lang\\small.txt"), "the user's own");
    EXPECT_EQ(GetFileAttributesA((target + "\\lang\\small.txt").c_str()),
              DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(WriteTime(target + "\\lang\\small.txt"), time);
    EXPECT_EQ(kftest::ReadFileBytes(target + "\\uninstall.log"), "an earlier log");
    std::vector<std::string> names;
    for (const std::string& folder : {target, target + "\\lang"})
        for (const TDirEntry& entry : ListDirectory(folder))
            if (entry.Name != "." && entry.Name != "..")
                names.push_back(entry.Name);
    EXPECT_THAT(names, ::testing::UnorderedElementsAre("lang", "uninstall.log", "small.txt"));
    SetFileAttributesA((target + "\\lang\\small.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Copy, EveryFileInPlaceAndTheLogInOrder)
{
    kftest::TTempDir dir;
    std::string big = kftest::NoiseBytes(300000);
    TInstaller installer(MakePackage(dir / "package.dat", big, false));
    installer.ReadSettings();
    TRealSystem system;
    TFakeView view;
    std::string target = dir / "Demo";
    // Over a file of that name: replaced, and no kept copy stays behind.
    ASSERT_TRUE(ForceDirectories(target));
    WriteOldFile(target + "\\big.bin", "older", FILE_ATTRIBUTE_READONLY);
    std::string attributes = std::to_string(GetFileAttributesA((target + "\\big.bin").c_str())); // Wine adds ARCHIVE
    EXPECT_EQ(installer.Copy(target, system, view), TCopyResult::Completed);
    EXPECT_EQ(kftest::ReadFileBytes(target + "\\big.bin"), big);
    EXPECT_FALSE(FileExists(KeptCopyPath(target + "\\big.bin", 1)));
    EXPECT_EQ(kftest::ReadFileBytes(target + "\\lang\\small.txt"), "small");
    std::string log = kftest::ReadFileBytes(target + "\\uninstall.log");
    EXPECT_EQ(log.substr(log.find("Title:")), "Title: Demo\r\nFile: " + target +
                                                  "\\uninstall.log\r\nDirectory: lang\\;" + target +
                                                  "\\lang\\\r\nFile: " + target + "\\lang\\small.txt\r\nBackup: " +
                                                  target + "\\big.bin|" + target + "\\big.bin.~kfkept|" + attributes + "\r\nFile: " +
                                                  target + "\\big.bin\r\n");
    EXPECT_EQ(view.TotalPosition, 2);
    EXPECT_EQ(view.TotalMaximum, 1);
}
// The top folder the copy makes gets Program Files' permissions when users could write
// it; one the copy finds, or one that is protected already, stays as it is.
TEST(Copy, AFolderItMakesWhereUsersMayWriteIsProtected)
{
    kftest::TTempDir dir;
    TRealSystem system;
    TFakeView view;
    system.Unprotected = {dir / "Kit", dir / "Open"};
    ASSERT_TRUE(ForceDirectories(dir / "Open"));
    for (const char* place : {"Kit\\Vendor\\Demo", "Kit\\Vendor\\Demo", "Open\\Demo"})
    {
        TInstaller installer(MakePackage(dir / "package.dat", "big", false));
        installer.ReadSettings();
        EXPECT_EQ(installer.Copy(dir / place, system, view), TCopyResult::Completed) << place;
    }
    EXPECT_THAT(system.Calls, ElementsAre("protect " + dir / "Kit"));
}

// With no window: every question takes its default, the result is an exit code and the
// log says why.
TEST(Silent, InstallsWithTheDefaultsOrFailsWithTheReasonAndLeavesNothing)
{
    kftest::TTempDir dir;
    std::string big = kftest::NoiseBytes(300000);
    {
        TInstaller installer(MakePackage(dir / "package.dat", big, false));
        installer.ReadSettings();
        installer.LoadDescription(installer.Package().ReadEntryString("install.inf") +
                                  "[desktop icons]\r\nBig;big.bin\r\n\r\n[launch]\r\nbig.bin\r\n\r\n");
        TRealSystem system;
        kf::TSetupLog log;
        ASSERT_TRUE(log.Open(dir / "ok.log"));
        std::string target = dir / "Demo";
        TInstallerModel run(installer, system, [] { return 0u; });
        run.SetUp(TBaseDirectories{}, target);
        EXPECT_EQ(RunSilentInstall(run, log), kf::kExitSuccess);
        EXPECT_EQ(kftest::ReadFileBytes(target + "\\big.bin"), big);
        // The desktop icon as its box's default (checked), no launch.
        EXPECT_NE(std::find(system.Calls.begin(), system.Calls.end(),
                            "link C:\\Desktop\\Big -> " + target + "\\big.bin in " + target + "\\"),
                  system.Calls.end());
        for (const std::string& call : system.Calls)
            EXPECT_EQ(call.find("launch"), std::string::npos) << call;
        EXPECT_NE(kftest::ReadFileBytes(dir / "ok.log").find("Installation of Demo has successfully completed."),
                  std::string::npos);
    }
    {
        TInstaller installer(MakePackage(dir / "damaged.dat", big, true));
        installer.ReadSettings();
        TRealSystem system;
        kf::TSetupLog log;
        ASSERT_TRUE(log.Open(dir / "damaged.log"));
        std::string target = dir / "Damaged";
        TInstallerModel run(installer, system, [] { return 0u; });
        run.SetUp(TBaseDirectories{}, target);
        EXPECT_EQ(RunSilentInstall(run, log), kf::kExitFailed);
        EXPECT_FALSE(DirectoryExists(target));
        std::string text = kftest::ReadFileBytes(dir / "damaged.log");
        EXPECT_NE(text.find("Error: An error occurred while installing the file: \"" + target + "\\big.bin\"."),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("The installation cannot proceed. Cannot extract file. ("), std::string::npos) << text;
        // Too little space: nothing is even started.
        system.Free = 1000;
        TInstallerModel again(installer, system, [] { return 0u; });
        again.SetUp(TBaseDirectories{}, target);
        EXPECT_EQ(RunSilentInstall(again, log), kf::kExitFailed);
        EXPECT_FALSE(DirectoryExists(target));
    }
}
#endif

#ifndef _WIN32
// Every kill point, natively: the installing on the real file system (a backslash path
// is one odd name there, which is all it needs) ends as by a kill when a countdown of
// its system calls runs out, with an exception none of its handlers catches.
namespace {

struct TKilled
{};

// Every change to the disk but the writes inside a file (which the extraction's own
// error handling would take for a failure) is a call that can be the last.
class TMortalFiles : public kf::IFileSystem
{
public:
    std::function<void()> Tick;
    std::unique_ptr<kf::IFileWriter> Create(const std::string& path) override
    {
        return Tick(), kf::DiskFileSystem().Create(path);
    }
    std::unique_ptr<kf::IFileWriter> OpenAppend(const std::string& path) override
    {
        return Tick(), kf::DiskFileSystem().OpenAppend(path);
    }
    void Rename(const std::string& path, const std::string& to) override { Tick(), kf::DiskFileSystem().Rename(path, to); }
    void Replace(const std::string& path, const std::string& to) override { Tick(), kf::DiskFileSystem().Replace(path, to); }
    void Delete(const std::string& path) override { Tick(), kf::DiskFileSystem().Delete(path); }
    void DeleteAtRestart(const std::string&) override { Tick(); }
    void RemoveFolder(const std::string& path) override { Tick(), kf::DiskFileSystem().RemoveFolder(path); }
    void MakeDirectories(const std::string& path) override { Tick(), kf::DiskFileSystem().MakeDirectories(path); }
    void SetAttributes(const std::string& path, uint32_t) override { Tick(), kf::DiskFileSystem().SetAttributes(path, 0); }
};

class TMortalSystem : public TFakeSystem
{
public:
    TMortalSystem() { FFiles.Tick = [this] { Tick(); }; }
    int Countdown = -1; // calls left before the kill; -1: none
    kf::IFileSystem& FileSystem() override { return FFiles; }
    bool DirectoryExists(const std::string& path) override { return Tick(), kf::DirectoryExists(path); }
    uint32_t AttributesAt(const std::string& path) override
    {
        Tick();
        return kf::DirectoryExists(path) ? kAttrDirectory : kf::FileExists(path) ? kAttrArchive : kNoFile;
    }
    bool ReadFileAt(const std::string& path, std::string& bytes) override
    {
        Tick();
        if (!kf::FileExists(path))
            return false;
        bytes = kftest::ReadFileBytes(path);
        return true;
    }

private:
    void Tick()
    {
        if (Countdown >= 0 && Countdown-- == 0)
            throw TKilled();
    }
    TMortalFiles FFiles;
};

// With inFolder, one file lies in a folder of its own.
std::string KillPackage(const kftest::TTempDir& dir, int version, bool inFolder = false)
{
    std::string path = dir / ("v" + std::to_string(version) + (inFolder ? "f" : "")),
                inf = "[title]\r\nDemo\r\n\r\n[files]\r\n";
    std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", version == 1 ? "old.txt" : "new.txt"};
    if (inFolder)
        names.push_back("sub\\d.txt");
    for (const std::string& name : names)
        inf += "data\\" + name + ";" + name + "\r\n";
    TCompressionManager archive(path, true, false, false);
    archive.WriteEntryString("install.inf", inf + "\r\n");
    for (const std::string& name : names)
        archive.WriteEntryString("data\\" + name, name + " of v" + std::to_string(version));
    return path;
}

class TCancelView : public TFakeView
{
public:
    int Pumps = -1;
    bool Pump() override { return Pumps >= 0 && Pumps-- == 0; }
};

// True when the run was killed.
bool RunSetup(const std::string& package, const std::string& place, int killAt, int cancelAt = -1)
{
    TInstaller installer(std::make_unique<TCompressionManager>(package, false, true, false));
    installer.ReadSettings();
    TMortalSystem system;
    TCancelView view;
    view.Pumps = cancelAt;
    system.Countdown = killAt;
    try
    {
        TCopyResult result = installer.Copy(place, system, view);
        if (cancelAt >= 0)
            return false;
        EXPECT_EQ(result, TCopyResult::Completed);
        installer.GroupStep(system, view);
    }
    catch (const TKilled&)
    {
        return true;
    }
    return false;
}

// Name and bytes of everything below dir.
std::vector<std::string> Contents(const std::string& dir)
{
    std::vector<std::string> found;
    for (const TDirEntry& entry : ListDirectory(dir))
    {
        std::string path = kftest::Join(dir, entry.Name);
        if (entry.Name == "." || entry.Name == "..")
            continue;
        if (kf::DirectoryExists(path))
            for (const std::string& inner : Contents(path))
                found.push_back(entry.Name + "/" + inner);
        found.push_back(entry.Name + (kf::DirectoryExists(path) ? "/" : " " + kftest::ReadFileBytes(path)));
    }
    return found;
}

} // namespace

TEST(Recovery, KilledAtAnyCallARerunCompletesAndTheUninstallLeavesTheStateBefore)
{
    kftest::TTempDir packages;
    std::string v1 = KillPackage(packages, 1), v2 = KillPackage(packages, 2);
    for (bool upgrade : {false, true})
        for (int killAt = 0;; ++killAt)
        {
            SCOPED_TRACE((upgrade ? "upgrade, killed at call " : "killed at call ") + std::to_string(killAt));
            kftest::TTempDir dir;
            std::string place = dir / "place";
            ASSERT_TRUE(kf::ForceDirectories(place));
            std::vector<std::string> before = Contents(dir.Path());
            if (upgrade)
            {
                ASSERT_FALSE(RunSetup(v1, place, -1));
            }
            if (!RunSetup(v2, place, killAt))
                break; // past the last call
            RunSetup(v2, place, killAt, 3 + killAt % 5); // cancelled, and killed in the roll-back or before
            RunSetup(v2, place, killAt / 2); // killed once more, or not
            ASSERT_FALSE(RunSetup(v2, place, -1));
            std::vector<std::string> installed = Contents(dir.Path());
            for (const std::string& name : installed)
                EXPECT_EQ(name.find(".~kf"), std::string::npos) << name;
            EXPECT_NE(std::find(installed.begin(), installed.end(), "place\\a.txt a.txt of v2"), installed.end());

            // The uninstaller's work: every File and Directory entry, newest first.
            TLogFile log(place + "\\uninstall.log", false);
            std::string kind, value;
            while (log.ReadPrevious(kind, value))
                for (const TUndoAction& action : UndoActions(kind, value))
                    action.IsFile ? kf::RemoveFile(action.Path) : kf::RemoveEmptyDirectory(action.Path);
            EXPECT_EQ(Contents(dir.Path()), before);
        }
}

// Every change to the disk fails in turn, with each of the codes a user meets: the run
// ends installed, or rolled back to the state before it; and where the roll-back itself
// is refused (from the failing call on, every call of that operation fails) it says so,
// the log on disk names every new thing left, and the same setup run again followed by
// the uninstaller's work leaves the state before the first installation.
namespace {

class TFaultySystem : public TFakeSystem
{
public:
    kftest::TFaultyFileSystem Faults{kf::DiskFileSystem()};
    kf::IFileSystem& FileSystem() override { return Faults; }
    bool DirectoryExists(const std::string& path) override { return kf::DirectoryExists(path); }
    uint32_t AttributesAt(const std::string& path) override
    {
        return kf::DirectoryExists(path) ? kAttrDirectory : kf::FileExists(path) ? kAttrArchive : kNoFile;
    }
    bool ReadFileAt(const std::string& path, std::string& bytes) override
    {
        if (!kf::FileExists(path))
            return false;
        bytes = kftest::ReadFileBytes(path);
        return true;
    }
};

void Uninstall(const std::string& logPath)
{
    TLogFile log(logPath, false);
    std::string kind, value;
    while (log.ReadPrevious(kind, value))
        for (const TUndoAction& action : UndoActions(kind, value))
            action.IsFile ? kf::RemoveFile(action.Path) : kf::RemoveEmptyDirectory(action.Path);
}

} // namespace

TEST(Faults, EveryChangeFailingEndsInstalledRolledBackOrToldAndFinishable)
{
    kftest::TTempDir packages;
    std::string v1 = KillPackage(packages, 1, true), v2 = KillPackage(packages, 2, true);
    const int32_t codes[] = {kf::kErrDiskFull, kf::kErrAccessDenied, kf::kErrSharingViolation};
    const kf::TFileOperation refusable[] = {kf::TFileOperation::Delete, kf::TFileOperation::RemoveFolder,
                                            kf::TFileOperation::Rename, kf::TFileOperation::SetAttributes};
    int runs = 0, partly = 0, extractReasons = 0;
    for (bool upgrade : {false, true})
        for (int mode = -1; mode < 4; ++mode) // -1: one call of any operation fails; else a refused operation
            for (int failAt = 1;; ++failAt)
            {
                SCOPED_TRACE((upgrade ? "upgrade, mode " : "mode ") + std::to_string(mode) + ", call " +
                             std::to_string(failAt));
                kftest::TTempDir dir;
                std::string place = dir / "place", logPath = place + "\\uninstall.log";
                ASSERT_TRUE(kf::ForceDirectories(place));
                std::vector<std::string> empty = Contents(dir.Path());
                if (upgrade)
                {
                    ASSERT_FALSE(RunSetup(v1, place, -1));
                }
                std::vector<std::string> before = Contents(dir.Path());

                TInstaller installer(std::make_unique<TCompressionManager>(v2, false, true, false));
                installer.ReadSettings();
                TFaultySystem system;
                TCancelView view;
                system.Faults.FailAt = failAt;
                system.Faults.Code = codes[failAt % 3];
                if (mode >= 0)
                {
                    // Cancelled once every file is written, so the roll-back meets the refusals.
                    system.Faults.AnyOperation = false;
                    system.Faults.Operation = refusable[mode];
                    system.Faults.Sticky = true;
                    view.Pumps = 12;
                }
                TCopyResult result = installer.Copy(place, system, view);
                if (!system.Faults.Failed)
                    break; // past the last call
                ++runs;
                installer.FreeLog();
                // A failed file names the system's reason ("Cannot extract file. (Disk full)").
                for (const std::string& reason : view.Reasons)
                {
                    EXPECT_NE(reason.find(kf::IOErrorMessage(system.Faults.Code)), std::string::npos) << reason;
                    extractReasons += reason.compare(0, 21, "Cannot extract file. ") == 0;
                }
                std::vector<std::string> after = Contents(dir.Path());
                if (result == TCopyResult::Completed)
                {
                    EXPECT_NE(std::find(after.begin(), after.end(), "place\\new.txt new.txt of v2"), after.end());
                    // A kept copy only where its deletion waits for a restart, or a kept log
                    // the log (not replaced by the merged one) leads the next run to.
                    for (const std::string& name : after)
                        if (name.find(".~kf") != std::string::npos && name.find("uninstall.log.~kfkept") == std::string::npos)
                        {
                            EXPECT_NE(std::find(system.Faults.AtRestart.begin(), system.Faults.AtRestart.end(),
                                                kftest::Join(dir.Path(), name.substr(0, name.find(' ')))),
                                      system.Faults.AtRestart.end())
                                << name;
                        }
                    continue;
                }
                if (result != TCopyResult::RolledBackPartly)
                {
                    EXPECT_EQ(after, before);
                    continue;
                }
                ++partly;
                EXPECT_NE(view.Labels.back().find("error: Some files of the installation could not be removed."),
                          std::string::npos);
                std::string log = kf::FileExists(logPath) ? kftest::ReadFileBytes(logPath) : std::string();
                for (const std::string& name : after)
                    if (std::find(before.begin(), before.end(), name) == before.end())
                    {
                        std::string path = kftest::Join(dir.Path(), name.substr(0, name.find_first_of(" /")));
                        EXPECT_TRUE(log.find(path) != std::string::npos ||
                                    std::find(system.Faults.AtRestart.begin(), system.Faults.AtRestart.end(), path) !=
                                        system.Faults.AtRestart.end())
                            << name << " named nowhere";
                    }
                ASSERT_FALSE(RunSetup(v2, place, -1));
                Uninstall(logPath);
                EXPECT_EQ(Contents(dir.Path()), empty);
            }
    EXPECT_GT(partly, 0);
    EXPECT_GT(extractReasons, 0);
    RecordProperty("runs", runs);
    RecordProperty("rolled back partly", partly);
}
#endif
