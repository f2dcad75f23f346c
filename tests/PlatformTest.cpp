#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include "platform/posix/CodePage.h"

#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kf;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

std::vector<std::string> Names(const std::string& dir)
{
    std::vector<std::string> names;
    for (const TDirEntry& entry : ListDirectory(dir))
        names.push_back(entry.Name);
    return names;
}

} // namespace

TEST(Text, AsciiCaseTrimAndDirectoryPart)
{
    // Only a-z and A-Z change: names compare the same in every code page.
    EXPECT_EQ(UpperCaseAscii("c:\\t\xe4mp\\Install.inf"), "C:\\T\xe4MP\\INSTALL.INF");
    EXPECT_EQ(LowerCaseAscii("File \xC4Z"), "file \xC4z");
    // Every control character and blank goes at both ends, nothing inside.
    EXPECT_EQ(TrimText(std::string("\t\r\n a b \0\x1f", 10)), "a b");
    EXPECT_EQ(TrimText(" \x01 "), "");
    EXPECT_EQ(TrimText("\xA0x\xA0"), "\xA0x\xA0"); // a no-break space is no blank
    EXPECT_EQ(DirectoryPart("C:\\Apps\\lang\\de.ini"), "C:\\Apps\\lang\\");
    EXPECT_EQ(DirectoryPart("C:uninstall.exe"), "C:");
    EXPECT_EQ(DirectoryPart("uninstall.exe"), "");
}

TEST(Platform, ListingOrderIsTheOneWindowsGives)
{
    // The order Wine's FindFirstFileA returned for these names on this machine.
    std::vector<std::string> expected = {".",  "..",    ".hidden", "1num", "A.txt", "a2", "B c",
                                         "b.txt", "sub", "Sub2",   "z1",   "Zed",   "_x", "~tilde"};
    TTempDir dir;
    for (size_t i = expected.size(); i-- > 2;)
    {
        if (expected[i] == "sub" || expected[i] == "Sub2")
            MakeDirectory(dir / expected[i]);
        else
            WriteFileBytes(dir / expected[i], "x");
    }
    EXPECT_EQ(Names(dir.Path()), expected);
    for (const TDirEntry& entry : ListDirectory(dir.Path()))
    {
        bool isDir = entry.Name == "." || entry.Name == ".." || entry.Name == "sub" || entry.Name == "Sub2";
        EXPECT_EQ((entry.Attributes & kAttrDirectory) != 0, isDir) << entry.Name;
    }
    EXPECT_TRUE(ListDirectory(dir / "missing").empty());
    std::vector<std::string> sorted = {"b", "A", "a", "B"};
    std::sort(sorted.begin(), sorted.end(), DirectoryOrderLess);
    EXPECT_EQ(sorted, (std::vector<std::string>{"A", "a", "B", "b"})) << "case ties keep a fixed order";
}

TEST(Platform, PrivateFolderNamesAreTheRandomBitsAndNothingElseTakesTheirForm)
{
    EXPECT_EQ(PrivateFolderName(0x0123456789abcdefULL), "kf-0123456789abcdef");
    EXPECT_EQ(PrivateFolderName(0), "kf-0000000000000000");
    EXPECT_TRUE(IsPrivateFolderName(PrivateFolderName(~0ULL)));
    // A program copied anywhere else never takes its folder for the private one.
    for (const char* other : {"", "kf-", "kf-0123456789abcde", "kf-0123456789abcdef0", "kf-0123456789ABCDEF",
                              "kf_0123456789abcdef", "KF-0123456789abcdef", "kf-0123456789abcdeg", "App"})
        EXPECT_FALSE(IsPrivateFolderName(other)) << other;
}

TEST(Platform, ForceDirectoriesCreatesEveryMissingLevel)
{
    TTempDir dir;
    std::string path = dir.Path();
    for (int i = 0; i < 20; ++i) // deep, but inside the ANSI API's MAX_PATH
        path = kftest::Join(path, "d" + std::to_string(i));
    EXPECT_TRUE(ForceDirectories(path + kPathDelim));
    EXPECT_TRUE(DirectoryExists(path));
    EXPECT_TRUE(ForceDirectories(path)) << "an existing directory is success";
    WriteFileBytes(dir / "file", "x");
    EXPECT_FALSE(ForceDirectories(kftest::Join(dir / "file", "below"))) << "a file stands in the way";
}

TEST(Platform, FileErrorsCarryTheirCodes)
{
    TTempDir dir;
    try
    {
        TFile missing(dir / "none", TFileMode::OpenRead);
        FAIL() << "opened a missing file";
    }
    catch (const TIOError& error)
    {
        EXPECT_EQ(error.Code(), kErrFileNotFound);
    }
    WriteFileBytes(dir / "short", "abc");
    TFile file(dir / "short", TFileMode::OpenRead);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 8), 3);
    file.Seek(0);
    try
    {
        file.ReadExact(buffer, 4);
        FAIL() << "a short read passed";
    }
    catch (const TIOError& error)
    {
        EXPECT_EQ(error.Code(), kErrReadBeyondEnd);
    }
    try
    {
        file.Seek(-1);
        FAIL() << "moved before the start";
    }
    catch (const TIOError& error)
    {
        EXPECT_EQ(error.Code(), kErrNegativeSeek);
    }
    try
    {
        TFile directory(dir.Path(), TFileMode::OpenRead);
        FAIL() << "opened a directory as a file";
    }
    catch (const TIOError& error)
    {
        EXPECT_EQ(error.Code(), kErrAccessDenied);
    }
}

#ifndef _WIN32
TEST(Platform, PosixListingMarksDotFilesHiddenAndSkipsDirectoryLinks)
{
    TTempDir dir;
    WriteFileBytes(dir / ".profile", "x");
    WriteFileBytes(dir / "target.txt", "x");
    MakeDirectory(dir / "real");
    ASSERT_EQ(symlink(dir.Path().c_str(), (dir / "real/loop").c_str()), 0);
    ASSERT_EQ(symlink((dir / "target.txt").c_str(), (dir / "link.txt").c_str()), 0);
    std::vector<TDirEntry> entries = ListDirectory(dir.Path());
    auto find = [&](const std::string& name) {
        return std::find_if(entries.begin(), entries.end(), [&](const TDirEntry& e) { return e.Name == name; });
    };
    ASSERT_NE(find(".profile"), entries.end());
    EXPECT_TRUE(find(".profile")->Attributes & kAttrHidden);
    EXPECT_FALSE(find("target.txt")->Attributes & kAttrHidden);
    ASSERT_NE(find("link.txt"), entries.end()) << "a link to a file is listed as the file";
    EXPECT_EQ(Names(dir / "real"), (std::vector<std::string>{".", ".."})) << "a loop through a link is cut";
    unlink((dir / "real/loop").c_str());
}

TEST(PosixCodePage, ConvertsBothWaysAndNeverReplacesACharacter)
{
    TCodePage western(1252);
    EXPECT_EQ(western.FromHost("R\u00e9sum\u00e9 \u00c6\u00df\u00fc \u20ac"), "R\xE9sum\xE9 \xC6\xDF\xFC \x80");
    EXPECT_EQ(western.ToHost("Caf\xE9 \x80"), "Caf\u00e9 \u20ac");
    EXPECT_EQ(western.ToHost("\x81"), "\u0081") << "an undefined byte reads as Windows reads it";
    EXPECT_EQ(TCodePage(1250).FromHost("\u0141\u00f3d\u017a"), "\xA3\xF3" "d\x9F");
    EXPECT_EQ(TCodePage(1251).FromHost("\u0416"), "\xC6");
    EXPECT_EQ(TCodePage(874).FromHost("\u0e01"), "\xA1");
    try
    {
        western.FromHost("a\u4e2d.txt");
        ADD_FAILURE() << "a character 1252 lacks was written";
    }
    catch (const TError& error)
    {
        EXPECT_STREQ(error.what(), "U+4E2D cannot be written in code page 1252");
    }
    EXPECT_THROW(western.FromHost("\xE9t\xE9"), TError) << "Latin-1 bytes are not UTF-8 text";
    bool complete = true;
    EXPECT_EQ(western.FromHostMarked("\u00e9\u4e2d", &complete), "\xE9<U+4E2D>");
    EXPECT_FALSE(complete);
    EXPECT_THROW(TCodePage(932), TError);
    EXPECT_THROW(TCodePage(65001), TError);
}

TEST(PosixCodePage, FileLayerSpellsNamesInTheCodePageAndListsThemInWindowsOrder)
{
    TTempDir dir; // made and removed without the code page
    std::string unicodeDir = dir / "\u00dcber";
    ASSERT_EQ(mkdir(unicodeDir.c_str(), 0755), 0);
    TCodePage western(1252);
    SetNameCodePage(&western);
    struct TReset
    {
        ~TReset() { SetNameCodePage(nullptr); }
    } reset;

    std::string sub = dir / "\xDC" "ber";
    EXPECT_TRUE(DirectoryExists(sub));
    for (const char* name : {"Zed", "\xDF" "eta", "\xE9" "clair", "Eagle", "\xFC" "ber", "\xC6" "ther"})
        WriteFileBytes(sub + "/" + name, name);
    struct stat info;
    EXPECT_EQ(stat((unicodeDir + "/\u00e9clair").c_str(), &info), 0) << "stored under its UTF-8 name";
    EXPECT_EQ(kftest::ReadFileBytes(sub + "/\xE9" "clair"), "\xE9" "clair");
    // As Wine lists them: letters folded to upper case the Unicode way, so É before ß.
    EXPECT_EQ(Names(sub), (std::vector<std::string>{".", "..", "Eagle", "Zed", "\xC6" "ther", "\xE9" "clair",
                                                    "\xFC" "ber", "\xDF" "eta"}));

    WriteFileBytes(sub + "/x", "");
    ASSERT_EQ(rename((unicodeDir + "/x").c_str(), (unicodeDir + "/\u4e2d.txt").c_str()), 0);
    try
    {
        ListDirectory(sub);
        ADD_FAILURE() << "a name 1252 lacks was listed";
    }
    catch (const TError& error)
    {
        EXPECT_EQ(error.Message(), sub + "/<U+4E2D>.txt: the name cannot be written in code page 1252");
    }
    ASSERT_EQ(unlink((unicodeDir + "/\u4e2d.txt").c_str()), 0);
    for (const std::string& name : Names(sub))
    {
        if (name == "." || name == "..")
            continue;
        EXPECT_TRUE(RemoveFile(sub + "/" + name)) << name;
    }
    EXPECT_TRUE(RemoveEmptyDirectory(sub));
    EXPECT_FALSE(DirectoryExists(unicodeDir));
}
#endif
