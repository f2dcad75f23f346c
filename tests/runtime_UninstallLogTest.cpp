// The uninstall log: the writer's header and entries, the reader's parsing and its
// newest-first walk.
#include "runtime/common/UninstallLog.h"
#include "platform/Error.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace kf;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text does not end in CR LF";
    return lines;
}

std::vector<std::pair<std::string, std::string>> ReadAllBackwards(TLogFile& log)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::string kind, value;
    while (log.ReadPrevious(kind, value))
        entries.emplace_back(kind, value);
    return entries;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(UninstallLogWriter, NewLogHoldsExactlyTheBoxedHeader)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    TLogFile log(path, true);
    EXPECT_EQ(log.Count(), 0);

    std::vector<std::string> lines = SplitCrLf(ReadFileBytes(path));
    ASSERT_EQ(lines.size(), 13u);
    for (const std::string& line : lines)
    {
        EXPECT_EQ(line.size(), 55u) << "'" << line << "'";
        EXPECT_EQ(line.front(), '#');
        EXPECT_EQ(line.back(), '#');
    }
    for (int full : {0, 4, 12})
        EXPECT_EQ(lines[full], std::string(55, '#'));
    EXPECT_EQ(lines[1].substr(0, 29), "# Kitforge Uninstall Log File");
    EXPECT_EQ(lines[1].find_first_not_of(' ', 29), 54u);
    EXPECT_EQ(lines[5], "# This is an automatically generated file.            #");
    EXPECT_EQ(lines[6], "#" + std::string(53, ' ') + "#");
    EXPECT_EQ(lines[7], "# IT IS VERY IMPORTANT THAT THIS FILE NOT BE EDITED   #");
    EXPECT_EQ(lines[8], "# OR OTHERWISE MODIFIED.                              #");
    EXPECT_EQ(lines[9], lines[6]);
    EXPECT_EQ(lines[10], "# Editing this file could cause the uninstall process #");
    EXPECT_EQ(lines[11], "# to malfunction or fail.                             #");
}

TEST(UninstallLogWriter, EntriesAreAppendedInOrder)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    TLogFile log(path, true);
    log.AddTitleEntry("Demo Tool");
    log.AddDirectoryEntry("C:\\Program Files\\Vendor\\Demo Tool", "Vendor\\Demo Tool");
    log.AddFileEntry("C:\\Program Files\\Demo Tool\\demo.exe");
    EXPECT_EQ(log.Count(), 3);
    EXPECT_EQ(log.Title(), "Demo Tool");

    std::vector<std::string> lines = SplitCrLf(ReadFileBytes(path));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[13], "Title: Demo Tool");
    EXPECT_EQ(lines[14], "Directory: Vendor\\Demo Tool;C:\\Program Files\\Vendor\\Demo Tool");
    EXPECT_EQ(lines[15], "File: C:\\Program Files\\Demo Tool\\demo.exe");

    // The writer walks back over this run's entries only, as the roll-back needs.
    EXPECT_EQ(ReadAllBackwards(log), (Entries{{"File", "C:\\Program Files\\Demo Tool\\demo.exe"},
                                              {"Directory", "Vendor\\Demo Tool;C:\\Program Files\\Vendor\\Demo Tool"},
                                              {"Title", "Demo Tool"}}));
}

TEST(UninstallLogWriter, FileIsCompleteAfterEveryEntryAndLetGoWhenClosed)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    TLogFile log(path, true);
    log.AddTitleEntry("Demo");
    // A reader sees the entry at once, while the writer holds the file open.
    EXPECT_EQ(TLogFile(path, false).Title(), "Demo");
    // Closed, the next entry opens it again and goes to its end.
    log.Close();
    log.AddFileEntry("C:\\Demo\\first.txt");
    EXPECT_EQ(SplitCrLf(ReadFileBytes(path)).back(), "File: C:\\Demo\\first.txt");
    // Closed, the file can be deleted (on Windows a handle held would prevent that).
    log.Close();
    ASSERT_TRUE(RemoveFile(path));

    // Appending to a file that vanished fails quietly; the entry is still held.
    log.AddFileEntry("C:\\Demo\\a.txt");
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(log.Count(), 3);
    std::string kind, value;
    ASSERT_TRUE(log.ReadPrevious(kind, value));
    EXPECT_EQ(kind, "File");
    EXPECT_EQ(value, "C:\\Demo\\a.txt");
}

TEST(UninstallLogWriter, LineBreaksInsideAValueCannotAddEntries)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    {
        TLogFile log(path, true);
        log.AddTitleEntry("Demo\r\nFile: C:\\Windows\\important.dll");
        log.AddFileEntry("C:\\a\nb.txt");
    }
    TLogFile reader(path, false);
    EXPECT_EQ(reader.Count(), 15);
    EXPECT_EQ(ReadAllBackwards(reader),
              (Entries{{"File", "C:\\a b.txt"}, {"Title", "Demo  File: C:\\Windows\\important.dll"}}));
}

TEST(UninstallLogWriter, CreateFailureIsRaised)
{
    TTempDir dir;
    EXPECT_THROW(TLogFile(kftest::Join(dir / "missing", "uninstall.log"), true), TIOError);
}

TEST(UninstallLogReader, WalksEntriesNewestFirstSkippingBlankAndCommentLines)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    WriteFileBytes(path, "#####\r\n"
                         "\r\n"
                         "Title: Demo\r\n"
                         "   \t \r\n"
                         "# a comment between entries\r\n"
                         "File: C:\\Demo\\a.txt\r\n"
                         "  #indented comment\r\n"
                         "Directory:lang\\;C:\\Demo\\lang\\\r\n"
                         "  Registry Key  :   HKCU\\Software\\Demo  \r\n"
                         "\r\n"
                         "File: C:\\Demo\\last.txt\r\n"
                         "#\r\n");
    TLogFile log(path, false);
    EXPECT_EQ(log.Count(), 12);
    EXPECT_EQ(log.Title(), "Demo");
    EXPECT_EQ(ReadAllBackwards(log), (Entries{{"File", "C:\\Demo\\last.txt"},
                                              {"Registry Key", "HKCU\\Software\\Demo"},
                                              {"Directory", "lang\\;C:\\Demo\\lang\\"},
                                              {"File", "C:\\Demo\\a.txt"},
                                              {"Title", "Demo"}}));
    std::string kind = "unchanged", value;
    EXPECT_FALSE(log.ReadPrevious(kind, value));
    EXPECT_FALSE(log.ReadPrevious(kind, value));
}

TEST(UninstallLogReader, ValueKeepsEverythingAfterTheFirstColon)
{
    std::string kind, value;
    ASSERT_TRUE(ParseLogLine("File: C:\\Demo\\odd:name.txt", kind, value));
    EXPECT_EQ(kind, "File");
    EXPECT_EQ(value, "C:\\Demo\\odd:name.txt");
    ASSERT_TRUE(ParseLogLine("Title: Demo: The Sequel", kind, value));
    EXPECT_EQ(value, "Demo: The Sequel");
    ASSERT_TRUE(ParseLogLine("Title:", kind, value));
    EXPECT_EQ(kind, "Title");
    EXPECT_EQ(value, "");
    ASSERT_TRUE(ParseLogLine("no colon here", kind, value));
    EXPECT_EQ(kind, "no colon here");
    EXPECT_EQ(value, "");
    EXPECT_FALSE(ParseLogLine(" \t", kind, value));
    EXPECT_FALSE(ParseLogLine("# File: C:\\x", kind, value));
}

TEST(UninstallLogWriter, BackupEntryRoundTripsAndRefusesDamagedValues)
{
    kftest::TTempDir dir;
    TLogFile log(dir / "u.log", true);
    log.AddBackupEntry({"C:\\My Files\\a;b:c.txt", "C:\\My Files\\a;b:c.txt.~kfkept2", 0x23});
    std::string kind, value;
    ASSERT_TRUE(log.ReadPrevious(kind, value));
    EXPECT_EQ(kind, "Backup");
    TKeptCopy copy;
    ASSERT_TRUE(ParseKeptCopy(value, copy));
    EXPECT_EQ(copy.Original, "C:\\My Files\\a;b:c.txt");
    EXPECT_EQ(copy.Kept, "C:\\My Files\\a;b:c.txt.~kfkept2");
    EXPECT_EQ(copy.Attributes, 0x23u);
    for (const char* damaged : {"", "C:\\a", "C:\\a|C:\\b", "C:\\a|C:\\b|", "|C:\\b|1", "C:\\a||1", "C:\\a|C:\\b|1x",
                                "C:\\a|C:\\b|4294967296"})
        EXPECT_FALSE(ParseKeptCopy(damaged, copy)) << damaged;
    EXPECT_EQ(copy.Original, "C:\\My Files\\a;b:c.txt");
}

TEST(UninstallLogReader, LastTitleAndSourceWinAndKindsAreCaseSensitive)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    WriteFileBytes(path, "Title: First\r\nSource: D:\\one\r\ntitle: lower\r\nTITLE: upper\r\n"
                         "Title: Second\r\nSource: D:\\two\r\nsource: x\r\n");
    TLogFile log(path, false);
    EXPECT_EQ(log.Title(), "Second");
    EXPECT_EQ(log.Source(), "D:\\two");
}

TEST(UninstallLogReader, AnyLineEndCountsAndAnInterruptedLastLineIsKept)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    // LF only, a lone CR, and a last entry cut off before its line end.
    WriteFileBytes(path, "Title: Demo\nFile: C:\\a\rFile: C:\\b\r\nFile: C:\\c");
    TLogFile log(path, false);
    EXPECT_EQ(log.Count(), 4);
    EXPECT_EQ(ReadAllBackwards(log),
              (Entries{{"File", "C:\\c"}, {"File", "C:\\b"}, {"File", "C:\\a"}, {"Title", "Demo"}}));
}

TEST(UninstallLogReader, EmptyFileAndLogWithoutTitle)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    WriteFileBytes(path, "");
    TLogFile empty(path, false);
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.Title(), "");
    std::string kind, value;
    EXPECT_FALSE(empty.ReadPrevious(kind, value));

    WriteFileBytes(path, "File: C:\\x\r\n");
    EXPECT_EQ(TLogFile(path, false).Title(), "");
}

TEST(UninstallLogReader, MissingFileAndWritingAreRefused)
{
    TTempDir dir;
    std::string path = dir / "uninstall.log";
    try
    {
        TLogFile log(path, false);
        FAIL() << "a missing log opened";
    }
    catch (const TError& error)
    {
        EXPECT_STREQ(error.what(), "Uninstall log file not found.");
    }

    WriteFileBytes(path, "Title: Demo\r\n");
    TLogFile reader(path, false);
    try
    {
        reader.AddFileEntry("C:\\x");
        FAIL() << "a reader wrote";
    }
    catch (const TError& error)
    {
        EXPECT_STREQ(error.what(), "Log file reader not writer.");
    }
    EXPECT_EQ(ReadFileBytes(path), "Title: Demo\r\n");
    EXPECT_EQ(reader.Count(), 1);
}
