#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
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
#endif
