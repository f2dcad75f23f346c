// The uninstaller's decisions: texts, start-up paths, page rules and the removal of
// each kind of log entry, against a recording fake of the system.
#include "runtime/uninstaller/UninstallCore.h"
#include "platform/FileSystem.h"
#include "runtime/common/UninstallLog.h"
#include "runtime/common/SetupSwitches.h"
#include "FaultyFileSystem.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kf;
using namespace kf::uninstall;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Records every call; paths listed in Failing fail with their code. A file read-only in
// Attributes refuses deletion as Windows does; access denied comes from a running
// program unless the file is Protected (by its permissions).
class TFakeSystem : public IRemovalSystem, public IFileSystem
{
public:
    IFileSystem& FileSystem() override { return *this; }
    std::vector<std::string> Calls;
    std::map<std::string, uint32_t> Failing;
    std::map<std::string, uint32_t> Attributes;
    std::set<std::string> Protected;
    bool RefusesSchedule = false;

    void Delete(const std::string& path) override
    {
        uint32_t code = Record("file " + path, path);
        auto found = Attributes.find(path);
        Raise(code == 0 && found != Attributes.end() && (found->second & kAttrReadOnly) ? 5 : code);
    }
    uint32_t AttributesAt(const std::string& path) override
    {
        auto found = Attributes.find(path);
        return found == Attributes.end() ? uint32_t(kAttrArchive) : found->second;
    }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        Calls.push_back("attrib " + path + " " + std::to_string(attributes));
        Attributes[path] = attributes;
    }
    bool IsRunningImage(const std::string& path) override { return Protected.count(path) == 0; }
    void RemoveFolder(const std::string& path) override { Raise(Record("dir " + path, path)); }
    std::set<std::string> Links;
    bool IsReparsePointAt(const std::string& path) override { return Links.count(path) > 0; }
    uint32_t DeleteRegistryKeyAt(TRegRoot root, const std::string& key) override
    {
        return Record(std::string(root == TRegRoot::CurrentUser ? "key HKCU " : "key HKLM ") + key, key);
    }
    void DeleteAtRestart(const std::string& path) override
    {
        Calls.push_back("at restart " + path);
        Raise(RefusesSchedule ? 5 : 0);
    }
    // The removal never writes, renames or makes anything.
    std::unique_ptr<IFileWriter> Create(const std::string&) override { throw TIOError(kErrAccessDenied); }
    std::unique_ptr<IFileWriter> OpenAppend(const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Rename(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Replace(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void MakeDirectories(const std::string&) override { throw TIOError(kErrAccessDenied); }
    std::string ErrorMessage(uint32_t code) override { return "reason " + std::to_string(code); }
    void UnregisterUninstall(const std::string& keyName) override { Calls.push_back("unregister " + keyName); }

private:
    static void Raise(uint32_t code)
    {
        if (code != 0)
            throw TIOError(static_cast<int32_t>(code));
    }
    uint32_t Record(const std::string& call, const std::string& path)
    {
        Calls.push_back(call);
        auto failure = Failing.find(path);
        return failure == Failing.end() ? 0 : failure->second;
    }
};

class TRecordingProgress : public IRemovalProgress
{
public:
    std::vector<std::string> Events;
    void EntryStarting(const std::string& text) override { Events.push_back(text); }
    void EntryDone() override { Events.push_back("done"); }
};

} // namespace

TEST(UninstallTexts, ReplaceTitleScansOnce)
{
    EXPECT_EQ(ReplaceTitle("Welcome to %TITLE%, %TITLE%!", "Demo"), "Welcome to Demo, Demo!");
    EXPECT_EQ(ReplaceTitle("%TITLE%%TITLE%", "ab"), "abab");
    EXPECT_EQ(ReplaceTitle("%TITLE%", "%TITLE% x"), "%TITLE% x");
    EXPECT_EQ(ReplaceTitle("%TITLE", "Demo"), "%TITLE");
    EXPECT_EQ(ReplaceTitle("%%TITLE%%", "D"), "%D%");
    EXPECT_EQ(ReplaceTitle("Removal of %TITLE%.", ""), "Removal of .");
    EXPECT_EQ(ReplaceTitle("", "Demo"), "");
}

TEST(UninstallTexts, MessagesReadAsSpecified)
{
    EXPECT_EQ(ReplaceTitle(kIntroTemplate, "Demo Tool"),
              "Welcome to Uninstall for Demo Tool.\r\r"
              "This program will remove Demo Tool and associated files from your computer.\r\r"
              "Press \"Next\" to continue, or \"Cancel\" to quit.");
    EXPECT_EQ(ReplaceTitle(kUninstallingTemplate, "Demo"), "Removing Demo files and directories....");
    EXPECT_EQ(ReplaceTitle(kCompleteTemplate, "Demo"),
              "This program has completed the removal of Demo from your computer.");
    EXPECT_EQ(CannotOpenLogMessage("C:\\Apps\\Demo\\uninstall.log"),
              "Cannot open file: \"C:\\Apps\\Demo\\uninstall.log\".\r\r"
              "This software cannot be automatically removed from your computer.");
    EXPECT_EQ(WindowCaption("Demo"), "Uninstall Demo");
    EXPECT_EQ(WindowCaption(""), "Uninstall ");
    EXPECT_EQ(ProgressText("File", "C:\\Demo\\a.txt"), "Removing file \"C:\\Demo\\a.txt\"");
    EXPECT_EQ(ProgressText("Registry Key", "HKCU\\Software\\Demo"), "Removing registry key \"HKCU\\Software\\Demo\"");
    EXPECT_EQ(ProgressText("Title", "Demo"), "Removing title \"Demo\"");
    // A kept copy's record is bookkeeping and shows nothing.
    EXPECT_EQ(ProgressText("Backup", "C:\\Demo\\a.txt|C:\\Demo\\a.txt.~kfkept|32"), "");
}

TEST(UninstallStartup, CommandLineSplitsLikeParamStr)
{
    EXPECT_THAT(SplitCommandLine("\"C:\\Temp Dir\\uninst.exe\" \"C:\\Program Files\\Demo\\uninstall.log\""),
                ElementsAre("C:\\Temp Dir\\uninst.exe", "C:\\Program Files\\Demo\\uninstall.log"));
    EXPECT_THAT(SplitCommandLine("uninstall.exe"), ElementsAre("uninstall.exe"));
    EXPECT_THAT(SplitCommandLine("  a.exe   b  c\t"), ElementsAre("a.exe", "b", "c"));
    // A backslash before the closing quotation mark is a path, not an escape.
    EXPECT_THAT(SplitCommandLine("a.exe \"C:\\Demo\\\""), ElementsAre("a.exe", "C:\\Demo\\"));
    EXPECT_THAT(SplitCommandLine("a.exe x\"y z\"w"), ElementsAre("a.exe", "xy zw"));
    EXPECT_THAT(SplitCommandLine(""), IsEmpty());
}

TEST(UninstallStartup, CopyGoesToTheTemporaryDirectoryUnlessRunningFromIt)
{
    using std::string;
    EXPECT_EQ(TempCopyDirectory(string("C:\\Users\\ann\\AppData\\Local\\Temp\\") + string(2, '\0'), "C:\\Apps\\Demo\\"),
              "C:\\USERS\\ANN\\APPDATA\\LOCAL\\TEMP\\");
    EXPECT_EQ(TempCopyDirectory("  c:\\tmp  ", "C:\\Apps\\Demo\\"), "C:\\TMP\\");
    // Already running from there: the copy would overwrite the running program.
    EXPECT_EQ(TempCopyDirectory("C:\\Temp\\", "c:\\temp\\"), "C:\\TEMP\\");
    EXPECT_EQ(TempCopyDirectory("D:\\Scratch\\", "d:\\scratch\\"), "C:\\TEMP\\");
    EXPECT_EQ(TempCopyDirectory("D:\\Scratch", "D:\\Scratch"), "C:\\TEMP\\");
    EXPECT_EQ(TempCopyDirectory("", "C:\\Apps\\"), "C:\\TEMP\\");
    EXPECT_EQ(TempCopyDirectory(string(" \0\0", 3), "C:\\Apps\\"), "C:\\TEMP\\");
    // Only a-z are upper-cased, so a name with other letters still compares bytewise.
    EXPECT_EQ(UpperCaseAscii("c:\\t\xe4mp"), "C:\\T\xe4MP");

    EXPECT_EQ(RestartParameter("C:\\Program Files\\Demo\\"), "\"C:\\Program Files\\Demo\\uninstall.log\"");
    EXPECT_EQ(RestartParameter("C:\\Demo"), "\"C:\\Demo\\uninstall.log\"");
}

// A file in use goes at the next restart, and so do the folders it keeps: files first,
// folders deepest first, and only folders that hold something scheduled.
TEST(UninstallRemoval, FilesInUseAndTheirFoldersGoAtRestart)
{
    kftest::TTempDir dir;
    std::string path = dir / "uninstall.log";
    {
        TLogFile log(path, true);
        log.AddTitleEntry("Demo");
        log.AddDirectoryEntry("C:\\Apps\\Vendor\\Demo", "Vendor\\Demo");
        log.AddFileEntry("C:\\Apps\\Vendor\\Demo\\demo.exe");
        log.AddDirectoryEntry("C:\\Apps\\Vendor\\Demo\\bin\\", "bin\\");
        log.AddFileEntry("C:\\Apps\\Vendor\\Demo\\bin\\shell.dll");
        log.AddDirectoryEntry("C:\\Apps\\Vendor\\Demo\\BinData", "BinData");
    }
    TLogFile log(path, false);
    TFakeSystem system;
    system.Failing["C:\\Apps\\Vendor\\Demo\\bin\\shell.dll"] = 32; // loaded by Explorer
    system.Failing["C:\\Apps\\Vendor\\Demo\\BinData"] = 145;      // the user's own file: stays
    system.Failing["C:\\Apps\\Vendor\\Demo\\bin\\"] = 145;
    system.Failing["C:\\Apps\\Vendor\\Demo"] = 145;
    system.Failing["C:\\Apps\\Vendor"] = 145;
    TRecordingProgress progress;
    TRemovalReport report;
    RunUninstall(log, ScopeForLog(log, {"C:\\Apps\\Vendor\\Demo\\", "", ""}), system, progress, report);
    EXPECT_THAT(report.Scheduled,
                ElementsAre("C:\\Apps\\Vendor\\Demo\\bin\\shell.dll", "C:\\Apps\\Vendor\\Demo\\bin\\",
                            "C:\\Apps\\Vendor\\Demo", "C:\\Apps\\Vendor"));
    EXPECT_THAT(report.Lines,
                ElementsAre("Cannot remove directory: \"C:\\Apps\\Vendor\\Demo\\BinData\"", "       reason 145",
                            "Cannot remove file: \"C:\\Apps\\Vendor\\Demo\\bin\\shell.dll\"", "       reason 32",
                            kAtRestartLine, "Cannot remove directory: \"C:\\Apps\\Vendor\\Demo\\bin\\\"",
                            "       reason 145", kAtRestartLine,
                            "Cannot remove directory: \"C:\\Apps\\Vendor\\Demo\"", "       reason 145", kAtRestartLine,
                            "Cannot remove directory: \"C:\\Apps\\Vendor\"", "       reason 145", kAtRestartLine));
    // "BinData" is no folder of "bin": it stays for good.
    EXPECT_TRUE(report.LeftForGood);
    EXPECT_EQ(RemovalExitCode(report), 2);

    TRemovalReport restartOnly;
    system.Failing["C:\\Demo\\run.exe"] = 5;
    RemoveEntry("File", "C:\\Demo\\run.exe", system, restartOnly);
    EXPECT_EQ(RemovalExitCode(restartOnly), 3010);
    EXPECT_EQ(RemovalExitCode(TRemovalReport()), 0);

    // A request the system refuses is reported as a plain failure.
    system.RefusesSchedule = true;
    TRemovalReport refused;
    RemoveEntry("File", "C:\\Demo\\run.exe", system, refused);
    EXPECT_THAT(refused.Lines, ElementsAre("Cannot remove file: \"C:\\Demo\\run.exe\"", "       reason 5"));
    EXPECT_EQ(RemovalExitCode(refused), 2);
}

// "Access denied" is a file in use only when a program runs from it: a read-only file
// loses the attribute and goes, a file its permissions protect stays for good.
TEST(UninstallRemoval, ReadOnlyFilesGoAndOnlyRunningOnesWaitForARestart)
{
    TFakeSystem system;
    const uint32_t readOnly = kAttrReadOnly | kAttrArchive;
    for (const char* name : {"ro.txt", "run.exe", "locked.txt"})
        system.Attributes[std::string("C:\\Demo\\") + name] = readOnly;
    for (const char* name : {"run.exe", "locked.txt", "acl.txt"})
        system.Failing[std::string("C:\\Demo\\") + name] = 5;
    system.Protected = {"C:\\Demo\\locked.txt", "C:\\Demo\\acl.txt"};
    TRemovalReport report;
    for (const char* name : {"ro.txt", "run.exe", "locked.txt", "acl.txt"})
        RemoveEntry("File", std::string("C:\\Demo\\") + name, system, report);
    EXPECT_THAT(system.Calls,
                ElementsAre("file C:\\Demo\\ro.txt", "attrib C:\\Demo\\ro.txt 32", "file C:\\Demo\\ro.txt",
                            "file C:\\Demo\\run.exe", "attrib C:\\Demo\\run.exe 32", "file C:\\Demo\\run.exe",
                            "at restart C:\\Demo\\run.exe", "file C:\\Demo\\locked.txt",
                            "attrib C:\\Demo\\locked.txt 32", "file C:\\Demo\\locked.txt",
                            "attrib C:\\Demo\\locked.txt 33", "file C:\\Demo\\acl.txt"));
    EXPECT_THAT(report.Lines, ElementsAre("Cannot remove file: \"C:\\Demo\\run.exe\"", "       reason 5", kAtRestartLine,
                                          "Cannot remove file: \"C:\\Demo\\locked.txt\"", "       reason 5",
                                          "Cannot remove file: \"C:\\Demo\\acl.txt\"", "       reason 5"));
    EXPECT_THAT(report.Scheduled, ElementsAre("C:\\Demo\\run.exe"));
    EXPECT_TRUE(report.LeftForGood);
}

// Another program holding a read-only file open fails its deletion as in use before
// the attribute counts; scheduled still read-only, the restart could not delete it.
TEST(UninstallRemoval, AReadOnlyFileInUseLosesTheAttributeBeforeItWaitsForARestart)
{
    TFakeSystem system;
    std::string file = "C:\\Demo\\open.txt";
    system.Attributes[file] = kAttrReadOnly | kAttrArchive;
    system.Failing[file] = 32;
    TRemovalReport report;
    RemoveEntry("File", file, system, report);
    EXPECT_THAT(system.Calls, ElementsAre("file " + file, "attrib " + file + " 32", "file " + file,
                                          "at restart " + file));
    EXPECT_THAT(report.Scheduled, ElementsAre(file));
    EXPECT_FALSE(report.LeftForGood);
}

TEST(UninstallRemoval, DirectoryRemovesOneLevelPerRelativeComponent)
{
    TFakeSystem system;
    TRemovalReport report;
    RemoveEntry("Directory", "Vendor\\Demo;C:\\Program Files\\Vendor\\Demo", system, report);
    RemoveEntry("Directory", "lang\\;C:\\Program Files\\Demo\\lang\\", system, report);
    RemoveEntry("Directory", "a\\b\\c\\;C:\\x\\a\\b\\c\\", system, report);
    EXPECT_THAT(system.Calls, ElementsAre("dir C:\\Program Files\\Vendor\\Demo", "dir C:\\Program Files\\Vendor",
                                          "dir C:\\Program Files\\Demo\\lang\\", "dir C:\\x\\a\\b\\c\\",
                                          "dir C:\\x\\a\\b", "dir C:\\x\\a"));
    EXPECT_THAT(report.Lines, IsEmpty());
}

TEST(UninstallRemoval, MalformedDirectoryValuesEndSafely)
{
    TFakeSystem system;
    TRemovalReport report;
    RemoveEntry("Directory", "C:\\Apps\\Demo", system, report); // no ";": no relative part
    RemoveEntry("Directory", ";C:\\Apps\\Demo", system, report);
    EXPECT_THAT(system.Calls, IsEmpty());
    // More levels named than the path has: the climb ends with the empty path.
    RemoveEntry("Directory", "a\\b\\c;C:\\x", system, report);
    EXPECT_THAT(system.Calls, ElementsAre("dir C:\\x", "dir C:", "dir "));
}

TEST(UninstallRemoval, RegistryKeysUnderTheirRootOnly)
{
    TFakeSystem system;
    system.Failing["Software\\Gone"] = 2;
    TRemovalReport report;
    RemoveEntry("Registry Key", "HKCU\\Software\\Demo\\Settings", system, report);
    RemoveEntry("Registry Key", "HKLM\\Software\\Demo", system, report);
    RemoveEntry("Registry Key", "HKLM\\Software\\Gone", system, report);
    // An unknown root names a key nobody logged under HKCU: report, delete nothing.
    RemoveEntry("Registry Key", "HKCR\\Software", system, report);
    RemoveEntry("Registry Key", "HKEY_LOCAL_MACHINE\\Software", system, report);
    RemoveEntry("Registry Key", "hkcu\\Software\\Demo", system, report);
    EXPECT_THAT(system.Calls, ElementsAre("key HKCU Software\\Demo\\Settings", "key HKLM Software\\Demo",
                                          "key HKLM Software\\Gone"));
    EXPECT_THAT(report.Lines, ElementsAre("Cannot remove registry key: \"Software\\Gone\"",
                                    "Unrecognized rootkey: \"HKCR\"",
                                    "Unrecognized rootkey: \"HKEY_LOCAL_MACHINE\"",
                                    "Unrecognized rootkey: \"hkcu\""));
}

TEST(UninstallRemoval, OtherKindsChangeNothing)
{
    TFakeSystem system;
    TRemovalReport report;
    // "Backup" too: the kept copy it names is gone once the installation completed.
    for (const char* kind : {"Title", "Source", "Backup", "file", "FILE", "directory", "registry key", "Shortcut", ""})
        RemoveEntry(kind, "C:\\Demo\\a.txt", system, report);
    EXPECT_THAT(system.Calls, IsEmpty());
    EXPECT_THAT(report.Lines, IsEmpty());
}

TEST(UninstallRemoval, RunUndoesTheLogNewestFirstThenUnregisters)
{
    kftest::TTempDir dir;
    std::string path = dir / "uninstall.log";
    {
        TLogFile log(path, true);
        log.AddTitleEntry("Demo Tool");
        log.AddDirectoryEntry("C:\\Apps\\Demo", "Demo");
        log.AddFileEntry("C:\\Apps\\Demo\\uninstall.log");
        log.AddFileEntry("C:\\Apps\\Demo\\demo.exe");
        log.WriteLine("Registry Key: HKCU\\Software\\Demo");
    }
    TLogFile log(path, false);
    TFakeSystem system;
    system.Failing["C:\\Apps\\Demo\\demo.exe"] = 5;
    TRecordingProgress progress;
    TRemovalReport report;
    RunUninstall(log, ScopeForLog(log, {"C:\\Apps\\Demo\\", "", ""}), system, progress, report);

    EXPECT_THAT(system.Calls, ElementsAre("key HKCU Software\\Demo", "file C:\\Apps\\Demo\\demo.exe",
                                          "at restart C:\\Apps\\Demo\\demo.exe", "file C:\\Apps\\Demo\\uninstall.log",
                                          "dir C:\\Apps\\Demo", "unregister Demo Tool"));
    EXPECT_THAT(progress.Events,
                ElementsAre("Removing registry key \"HKCU\\Software\\Demo\"", "done",
                            "Removing file \"C:\\Apps\\Demo\\demo.exe\"", "done",
                            "Removing file \"C:\\Apps\\Demo\\uninstall.log\"", "done",
                            "Removing directory \"Demo;C:\\Apps\\Demo\"", "done",
                            "Removing title \"Demo Tool\"", "done"));
    EXPECT_THAT(report.Lines, ElementsAre("Cannot remove file: \"C:\\Apps\\Demo\\demo.exe\"", "       reason 5",
                                          kAtRestartLine));
}

TEST(UninstallRemoval, LogWithoutTitleUnregistersTheEmptyName)
{
    // The deregistration itself refuses the empty name (tested under Wine); here the
    // point is that nothing but the logged file is touched.
    kftest::TTempDir dir;
    std::string path = dir / "uninstall.log";
    kftest::WriteFileBytes(path, "File: C:\\Demo\\x.txt");
    TLogFile log(path, false);
    TFakeSystem system;
    TRecordingProgress progress;
    TRemovalReport report;
    RunUninstall(log, ScopeForLog(log, {"C:\\Demo\\", "", ""}), system, progress, report);
    EXPECT_THAT(system.Calls, ElementsAre("file C:\\Demo\\x.txt", "unregister "));
}

// A log others could edit: lines for Windows' files and keys, a folder swapped for a
// junction, a group and desktop line that are not the shortcuts. Only the
// installation's own entries are undone; each other line is named in the report.
TEST(UninstallRemoval, AnEditedLogTouchesNothingOutsideTheInstallation)
{
    kftest::TTempDir dir;
    std::string path = dir / "uninstall.log";
    const std::string app = "C:\\Apps\\Vendor\\Demo", programs = "C:\\ProgramData\\Programs",
                      desktop = "C:\\Users\\Public\\Desktop";
    kftest::WriteFileBytes(path, "Title: Demo\r\n"
                                 "Directory: Vendor\\Demo;" + app + "\r\n"
                                 "File: " + app + "\\demo.exe\r\n"
                                 "Directory: data\\;" + app + "\\data\\\r\n"
                                 "File: " + app + "\\data\\db.bin\r\n"
                                 "Directory: Demo;" + programs + "\\Demo\r\n"
                                 "File: " + programs + "\\Demo\\Demo.LNK\r\n"
                                 "File: " + desktop + "\\Demo.LNK\r\n"
                                 "File: " + desktop + "\\notes.txt\r\n"
                                 "Registry Key: HKCU\\Software\\Demo\r\n"
                                 "File: C:\\Windows\\System32\\drivers\\etc\\hosts\r\n"
                                 "File: " + app + "\\..\\..\\..\\Windows\\win.ini\r\n"
                                 "Directory: Windows\\System32;C:\\Windows\\System32\r\n"
                                 "Directory: x\\y\\z;" + app + "\\x\\y\\z\r\n"
                                 "Registry Key: HKLM\\SYSTEM\\CurrentControlSet\\Services\\WinDefend\r\n"
                                 "Registry Key: HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\r\n");
    TLogFile log(path, false);
    TFakeSystem system;
    system.Links = {app + "\\data"}; // a junction to C:\Windows since the installation
    TRecordingProgress progress;
    TRemovalReport report;
    RunUninstall(log, ScopeForLog(log, {app + "\\", programs, desktop}), system, progress, report);
    EXPECT_THAT(system.Calls,
                ElementsAre("dir " + app + "\\x\\y\\z", "dir " + app + "\\x\\y", "dir " + app + "\\x",
                            "key HKCU Software\\Demo", "file " + desktop + "\\Demo.LNK",
                            "file " + programs + "\\Demo\\Demo.LNK", "dir " + programs + "\\Demo",
                            "file " + app + "\\demo.exe", "dir " + app, "dir C:\\Apps\\Vendor", "unregister Demo"));
    EXPECT_THAT(report.Lines,
                ElementsAre(std::string(kForeignKeyText) + "\"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\"",
                            std::string(kForeignKeyText) + "\"HKLM\\SYSTEM\\CurrentControlSet\\Services\\WinDefend\"",
                            std::string(kOutsideText) + "\"C:\\Windows\\System32\"",
                            std::string(kOutsideText) + "\"C:\\Windows\"",
                            std::string(kOutsideText) + "\"" + app + "\\..\\..\\..\\Windows\\win.ini\"",
                            std::string(kOutsideText) + "\"C:\\Windows\\System32\\drivers\\etc\\hosts\"",
                            std::string(kOutsideText) + "\"" + desktop + "\\notes.txt\"",
                            std::string(kThroughLinkText) + "\"" + app + "\\data\\db.bin\"",
                            std::string(kThroughLinkText) + "\"" + app + "\\data\\\""));
    EXPECT_EQ(RemovalExitCode(report), 2);
}

namespace {

// Files and folders in memory, for a removal to fail in.
class TMemoryDisk : public IRemovalSystem, public IFileSystem
{
public:
    std::set<std::string> Present; // files, and folders with a trailing "\\"
    std::set<std::string> ReadOnly;
    kftest::TFaultyFileSystem Faults{*this};
    IFileSystem& FileSystem() override { return Faults; }
    uint32_t AttributesAt(const std::string& path) override
    {
        if (Present.count(path))
            return ReadOnly.count(path) ? kAttrArchive | kAttrReadOnly : uint32_t(kAttrArchive);
        return Present.count(AddBackslash(path)) ? uint32_t(kAttrDirectory) : kNoAttributes;
    }
    bool IsRunningImage(const std::string&) override { return false; }
    bool IsReparsePointAt(const std::string&) override { return false; }
    uint32_t DeleteRegistryKeyAt(TRegRoot, const std::string&) override { return 0; }
    std::string ErrorMessage(uint32_t code) override { return IOErrorMessage(static_cast<int32_t>(code)); }
    void UnregisterUninstall(const std::string&) override {}

    void Delete(const std::string& path) override
    {
        if (ReadOnly.count(path))
            throw TIOError(kErrAccessDenied); // as Windows refuses a read-only file
        if (!Present.erase(path))
            throw TIOError(kErrFileNotFound);
    }
    void RemoveFolder(const std::string& path) override
    {
        std::string folder = AddBackslash(path);
        auto next = Present.upper_bound(folder);
        if (!Present.count(folder))
            throw TIOError(kErrFileNotFound);
        if (next != Present.end() && next->compare(0, folder.size(), folder) == 0)
            throw TIOError(145); // not empty
        Present.erase(folder);
    }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        if (attributes & kAttrReadOnly)
            ReadOnly.insert(path);
        else
            ReadOnly.erase(path);
    }
    void DeleteAtRestart(const std::string&) override {}
    std::unique_ptr<IFileWriter> Create(const std::string&) override { throw TIOError(kErrAccessDenied); }
    std::unique_ptr<IFileWriter> OpenAppend(const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Rename(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void Replace(const std::string&, const std::string&) override { throw TIOError(kErrAccessDenied); }
    void MakeDirectories(const std::string&) override { throw TIOError(kErrAccessDenied); }
};

} // namespace

// Every deletion, folder removal and attribute change failing in turn, once or from then
// on, with each code a user meets: whatever stays is named with the system's reason,
// waits for a restart only when one can remove it, and the exit code says which.
TEST(UninstallRemoval, EveryChangeFailingLeavesAnHonestReport)
{
    kftest::TTempDir dir;
    const std::string app = "C:\\Apps\\Vendor\\Demo", path = dir / "uninstall.log";
    kftest::WriteFileBytes(path, "Title: Demo\r\nDirectory: Vendor\\Demo;" + app + "\r\nFile: " + app +
                                     "\\demo.exe\r\nDirectory: data\\;" + app + "\\data\\\r\nFile: " + app +
                                     "\\data\\db.bin\r\nFile: " + app + "\\data\\ro.txt\r\n");
    const int32_t codes[] = {kErrDiskFull, kErrAccessDenied, kErrSharingViolation};
    const TFileOperation operations[] = {TFileOperation::Delete, TFileOperation::RemoveFolder,
                                         TFileOperation::SetAttributes};
    int runs = 0;
    for (int mode = -1; mode < 3; ++mode) // -1: one call of any operation; else every call of one from then on
        for (int failAt = 1;; ++failAt)
        {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", call " + std::to_string(failAt));
            TMemoryDisk disk;
            disk.Present = {"C:\\Apps\\", "C:\\Apps\\Vendor\\", app + "\\", app + "\\demo.exe",
                            app + "\\data\\", app + "\\data\\db.bin", app + "\\data\\ro.txt"};
            disk.ReadOnly = {app + "\\data\\ro.txt"};
            disk.Faults.FailAt = failAt;
            disk.Faults.Code = codes[failAt % 3];
            disk.Faults.Sticky = mode >= 0;
            disk.Faults.AnyOperation = mode < 0;
            if (mode >= 0)
                disk.Faults.Operation = operations[mode];
            TLogFile log(path, false);
            TRecordingProgress progress;
            TRemovalReport report;
            RunUninstall(log, ScopeForLog(log, {app + "\\", "", ""}), disk, progress, report);
            if (!disk.Faults.Failed)
                break;
            ++runs;
            bool forGood = false;
            for (const std::string& left : disk.Present)
            {
                std::string shown = left.back() == '\\' && left != app + "\\data\\" ? left.substr(0, left.size() - 1) : left;
                if (left == "C:\\Apps\\")
                    continue; // never the installation's
                auto line = std::find(report.Lines.begin(), report.Lines.end(),
                                      (left.back() == '\\' ? "Cannot remove directory: \"" : "Cannot remove file: \"") +
                                          shown + "\"");
                ASSERT_NE(line, report.Lines.end()) << shown << " stays unreported";
                ASSERT_NE(line + 1, report.Lines.end());
                EXPECT_EQ(line[1].substr(0, 7), "       ");
                bool scheduled = std::find(disk.Faults.AtRestart.begin(), disk.Faults.AtRestart.end(), shown) !=
                                 disk.Faults.AtRestart.end();
                forGood = forGood || !scheduled;
            }
            EXPECT_EQ(report.Scheduled, disk.Faults.AtRestart);
            int expected = disk.Present.size() == 1 ? kExitSuccess : forGood ? kExitFailed : kExitRebootRequired;
            EXPECT_EQ(RemovalExitCode(report), expected);
        }
    RecordProperty("runs", runs);
    EXPECT_GT(runs, 10);
}
