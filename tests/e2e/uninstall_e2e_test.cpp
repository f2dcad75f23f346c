// End to end under Wine and Xvfb: an installation set up by hand (folders, files, a
// registry key, the registration and a log written by TLogFile), the real
// uninstall.exe started from the target folder without arguments, its restart from
// the temporary folder followed, and the dialog driven as a user would.
#include "E2ESupport.h"
#include "platform/FileSystem.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "runtime/common/UninstallLog.h"
#include "win32ui/Com.h"
#include "runtime/uninstaller/UninstallCore.h"
#include "tests/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kf;
using namespace kf::ui;
using namespace kfe2e;
using kfdriver::StartWithTemp;
using kfdriver::TProcess;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

std::string StubPath()
{
    return std::string(KF_BINARY_DIR) + "\\bin\\uninstall.exe";
}

bool KeyExists(HKEY root, const std::string& key)
{
    TRegKey handle;
    return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, handle.Receive()) == ERROR_SUCCESS;
}

void CreateKey(HKEY root, const std::string& key)
{
    TRegKey handle;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle.Get(), "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
}

// Starts program without arguments, from its own folder, with TMP/TEMP set.
bool StartProgram(const std::string& program, const std::string& temp, TProcess& process)
{
    return StartWithTemp("\"" + program + "\"", temp, process, DirectoryPart(program));
}

// One installation, made by hand the way the installer would leave it.
class Installation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FileExists(StubPath())) << StubPath();
        FTitle = "Kitforge E2E Demo " + std::to_string(GetCurrentProcessId());
        FRegistryBase = "Software\\Kitforge Tests\\uninstall_e2e_" + std::to_string(GetCurrentProcessId());
        FBase = FRoot.Path();
        FTemp = FBase + "\\tmp";
        FApps = FBase + "\\Apps";
        FTarget = FApps + "\\Vendor\\Demo";
        // Below the all-users Start menu: the uninstaller removes a group only there.
        FPrograms = GetProgramsDir(0) + "\\KF Uninstall E2E " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(ForceDirectories(FTemp));
        // Folders and files that were there before the installation.
        ASSERT_TRUE(ForceDirectories(FApps + "\\Other"));
        WriteFileBytes(FApps + "\\keep.txt", "not installed");
        WriteFileBytes(FApps + "\\Other\\other.txt", "not installed");
        ASSERT_TRUE(ForceDirectories(FPrograms));
        CreateKey(HKEY_CURRENT_USER, FRegistryBase + "\\Keep");
        RegisterUninstall(FTitle + " Other", "Another application", "C:\\other\\uninstall.exe");
    }

    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, FRegistryBase.c_str());
        kftest::RemoveTree(FPrograms);
        UnregisterUninstall(FTitle);
        UnregisterUninstall(FTitle + " Other");
    }

    // The installer's work, logged in its order: the target levels it created, the
    // log itself, the files, sub-folders as CreatePath makes them, a registry key and
    // the Start-menu group with its shortcuts.
    void Install()
    {
        ASSERT_TRUE(ForceDirectories(FTarget));
        TLogFile log(FTarget + "\\uninstall.log", true);
        log.AddTitleEntry(FTitle);
        log.AddDirectoryEntry(FTarget, "Vendor\\Demo");
        log.AddFileEntry(FTarget + "\\uninstall.log");
        AddFile(log, FTarget + "\\uninstall.exe", ReadStub());
        AddFile(log, FTarget + "\\demo.exe", "MZ demo");
        AddDirectory(log, FTarget + "\\lang\\", "lang\\");
        AddFile(log, FTarget + "\\lang\\en.txt", "english");
        AddDirectory(log, FTarget + "\\docs\\", "docs\\");
        AddDirectory(log, FTarget + "\\docs\\deep\\", "deep\\");
        AddFile(log, FTarget + "\\docs\\deep\\manual.txt", "manual");
        CreateKey(HKEY_CURRENT_USER, FRegistryBase + "\\Demo\\Settings\\Window");
        log.WriteLine("Registry Key: HKCU\\" + FRegistryBase + "\\Demo");
        std::string group = FPrograms + "\\Demo Group";
        ASSERT_TRUE(MakeDirectory(group));
        log.AddDirectoryEntry(group, "Demo Group");
        for (const char* target : {"demo.exe", "http://www.example.com/demo"})
        {
            std::string link = CreateShortcut(group + "\\" + (IsURL(target) ? "Web Site" : "Demo"),
                                              IsURL(target) ? target : FTarget + "\\" + target, FTarget, "", 1);
            ASSERT_NE(link, "");
            log.AddFileEntry(link);
        }
        RegisterUninstall(FTitle, FTitle + " (remove only)", FTarget + "\\uninstall.exe");
        FEntries = log.Count();
    }

    static std::string ReadStub() { return kftest::ReadFileBytes(StubPath()); }
    static void AddFile(TLogFile& log, const std::string& path, const std::string& bytes)
    {
        log.AddFileEntry(path);
        WriteFileBytes(path, bytes);
    }
    static void AddDirectory(TLogFile& log, const std::string& path, const std::string& relative)
    {
        log.AddDirectoryEntry(path, relative);
        ASSERT_TRUE(MakeDirectory(path));
    }

    // Starts the installed uninstall.exe and follows its restart to the dialog.
    HWND StartUninstall()
    {
        TProcess first;
        if (!StartProgram(FTarget + "\\uninstall.exe", FTemp, first))
        {
            ADD_FAILURE() << "uninstall.exe did not start";
            return nullptr;
        }
        // The first run only copies itself and restarts, without a window of its own.
        EXPECT_EQ(first.WaitForExit(kStartMs), 0);
        HWND window = kfdriver::WaitForTopWindow(uninstall::WindowCaption(FTitle), kStartMs);
        if (!window)
        {
            ADD_FAILURE() << "no window \"" << uninstall::WindowCaption(FTitle) << "\"";
            return nullptr;
        }
        FDialog.AttachToWindow(window);
        // The copy runs from a folder of its own, never from a fixed name in the shared one.
        FCopy = kfdriver::ProcessImage(kfdriver::ProcessOf(window));
        EXPECT_TRUE(IsPrivateCopy(FCopy, FTemp)) << FCopy;
        return window;
    }

    void ExpectIntroPage(HWND window)
    {
        EXPECT_EQ(TextStarting(window, "Welcome"), uninstall::ReplaceTitle(uninstall::kIntroTemplate, FTitle));
        HWND previous = kfdriver::FindControl(window, "<< &Previous", "Button");
        HWND next = kfdriver::FindControl(window, "&Next >>", "Button");
        HWND cancel = kfdriver::FindControl(window, "&Cancel", "Button");
        ASSERT_TRUE(previous && next && cancel);
        EXPECT_TRUE(Visible(previous) && !IsWindowEnabled(previous));
        EXPECT_TRUE(kfdriver::IsUsable(next));
        EXPECT_TRUE(kfdriver::IsUsable(cancel));
        EXPECT_FALSE(Visible(kfdriver::FindControl(window, uninstall::kErrorText)));
        EXPECT_FALSE(Visible(kfdriver::FindControl(window, "More Information >>")));
        EXPECT_FALSE(Visible(kfdriver::FindControlOfClass(window, "Edit")));
        EXPECT_FALSE(Visible(kfdriver::FindControlByPrefix(window, "Removing ")));
    }

    // Waits for the complete page; the window must stay open until Finish.
    void WaitForCompletePage(HWND window)
    {
        std::string complete = uninstall::ReplaceTitle(uninstall::kCompleteTemplate, FTitle);
        ASSERT_TRUE(kfdriver::WaitUntil([&] { return Visible(kfdriver::FindControl(window, complete)); }, kActionMs));
        HWND finish = kfdriver::FindControl(window, "Finish", "Button");
        ASSERT_TRUE(finish);
        EXPECT_TRUE(kfdriver::IsUsable(finish));
        EXPECT_FALSE(IsWindowEnabled(kfdriver::FindControl(window, "&Cancel", "Button")));
        EXPECT_FALSE(IsWindowEnabled(kfdriver::FindControl(window, "<< &Previous", "Button")));
        // The last entry undone is the first line, the title.
        EXPECT_EQ(TextStarting(window, "Removing title"), "Removing title \"" + FTitle + "\"");
        HWND bar = kfdriver::FindControlOfClass(window, PROGRESS_CLASSA);
        DWORD_PTR position = 0, maximum = 0;
        SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
        SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &maximum);
        EXPECT_EQ(position, static_cast<DWORD_PTR>(FEntries));
        EXPECT_EQ(maximum, static_cast<DWORD_PTR>(FEntries + kLogHeaderLines));

        // Closing is refused once the removal has run.
        kfdriver::RequestClose(window);
        Sleep(300);
        EXPECT_TRUE(IsWindow(window));
    }

    void Finish(HWND window)
    {
        ASSERT_TRUE(kfdriver::PressKey(window, VK_RETURN)); // Enter: the default button, Finish
        EXPECT_TRUE(kfdriver::WaitForWindowGone(window, kActionMs));
        EXPECT_EQ(FDialog.WaitForExit(kActionMs), 0);
    }

    void ExpectUntouchedSurroundings()
    {
        EXPECT_TRUE(FileExists(FApps + "\\keep.txt"));
        EXPECT_TRUE(FileExists(FApps + "\\Other\\other.txt"));
        EXPECT_TRUE(DirectoryExists(FPrograms));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, FRegistryBase + "\\Keep"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + FTitle + " Other"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
    }

    TTempDir FRoot;
    std::string FTitle, FRegistryBase, FBase, FTemp, FApps, FTarget, FPrograms;
    int FEntries = 0;
    TProcess FDialog; // after FRoot: ended before the folders are cleaned up
    std::string FCopy; // the image of the temporary copy StartUninstall saw
};

} // namespace

TEST_F(Installation, RemovesEverythingLoggedAndNothingElse)
{
    Install();
    HWND window = StartUninstall();
    ASSERT_TRUE(window);
    ExpectIntroPage(window);

    // Keyboard: focus starts on Next, Tab goes to Cancel and back (Previous is disabled).
    HWND next = kfdriver::FindControl(window, "&Next >>", "Button");
    HWND cancel = kfdriver::FindControl(window, "&Cancel", "Button");
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::FocusedControl(window) == next; }, kActionMs));
    kfdriver::PressKey(window, VK_TAB);
    EXPECT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::FocusedControl(window) == cancel; }, kActionMs));
    kfdriver::PressKey(window, VK_TAB);
    EXPECT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::FocusedControl(window) == next; }, kActionMs));

    ASSERT_TRUE(kfdriver::PressAltKey(window, 'n')); // the access key of "&Next >>"
    WaitForCompletePage(window);
    EXPECT_FALSE(Visible(kfdriver::FindControl(window, uninstall::kErrorText)));
    EXPECT_FALSE(Visible(kfdriver::FindControl(window, "More Information >>")));
    EXPECT_EQ(kfdriver::TextOf(kfdriver::FindControlOfClass(window, "Edit")), "");
    Finish(window);

    EXPECT_FALSE(DirectoryExists(FApps + "\\Vendor"));
    EXPECT_FALSE(DirectoryExists(FPrograms + "\\Demo Group"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FRegistryBase + "\\Demo"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + FTitle));
    ExpectUntouchedSurroundings();
    // The copy cannot delete itself: it and its folder go at the next restart.
    std::string pending = PendingRenames();
    EXPECT_NE(pending.find(Lower(FCopy) + "|"), std::string::npos) << pending;
    std::string folder = DirectoryPart(FCopy);
    EXPECT_NE(pending.find(Lower(folder.substr(0, folder.size() - 1)) + "|"), std::string::npos) << pending;
}

TEST_F(Installation, FileHeldOpenIsReportedWithTheSystemsReasonAndGoesAtRestart)
{
    Install();
    std::string held = FTarget + "\\lang\\en.txt";
    TFileHandle handle(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(handle.Valid());

    HWND window = StartUninstall();
    ASSERT_TRUE(window);
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(window, "&Next >>", "Button")));
    WaitForCompletePage(window);

    EXPECT_TRUE(Visible(kfdriver::FindControl(window, uninstall::kErrorText)));
    HWND moreInfo = kfdriver::FindControl(window, "More Information >>", "Button");
    HWND errors = kfdriver::FindControlOfClass(window, "Edit");
    ASSERT_TRUE(kfdriver::IsUsable(moreInfo));
    EXPECT_FALSE(Visible(errors));
    ASSERT_TRUE(kfdriver::Click(moreInfo));
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return Visible(errors); }, kActionMs));
    EXPECT_FALSE(IsWindowEnabled(moreInfo));

    std::string reason = "       " + SystemErrorMessage(ERROR_SHARING_VIOLATION);
    std::string notEmpty = "       " + SystemErrorMessage(ERROR_DIR_NOT_EMPTY);
    // Each goes at the next restart: the file, then the folders that hold it.
    std::string atRestart = std::string("\r\n") + uninstall::kAtRestartLine;
    std::string expected = "Cannot remove file: \"" + held + "\"\r\n" + reason + atRestart + "\r\n" +
                           "Cannot remove directory: \"" + FTarget + "\\lang\\\"\r\n" + notEmpty + atRestart + "\r\n" +
                           "Cannot remove directory: \"" + FTarget + "\"\r\n" + notEmpty + atRestart + "\r\n" +
                           "Cannot remove directory: \"" + FApps + "\\Vendor\"\r\n" + notEmpty + atRestart;
    EXPECT_EQ(kfdriver::TextOf(errors), expected);
    Finish(window);

    // Only the held file and the folders holding it are left.
    handle.Reset();
    EXPECT_TRUE(FileExists(held));
    EXPECT_FALSE(FileExists(FTarget + "\\demo.exe"));
    EXPECT_FALSE(FileExists(FTarget + "\\uninstall.exe"));
    EXPECT_FALSE(FileExists(FTarget + "\\uninstall.log"));
    EXPECT_FALSE(DirectoryExists(FTarget + "\\docs"));
    EXPECT_FALSE(DirectoryExists(FPrograms + "\\Demo Group"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, FRegistryBase + "\\Demo"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + FTitle));
    ExpectUntouchedSurroundings();
}

TEST_F(Installation, CancelOnTheWelcomePageChangesNothing)
{
    Install();
    HWND window = StartUninstall();
    ASSERT_TRUE(window);
    ExpectIntroPage(window);
    ASSERT_TRUE(kfdriver::PressKey(window, VK_ESCAPE)); // Esc: Cancel
    EXPECT_TRUE(kfdriver::WaitForWindowGone(window, kActionMs));
    EXPECT_EQ(FDialog.WaitForExit(kActionMs), 0);

    for (const char* file : {"uninstall.log", "uninstall.exe", "demo.exe", "lang\\en.txt", "docs\\deep\\manual.txt"})
        EXPECT_TRUE(FileExists(FTarget + "\\" + file)) << file;
    EXPECT_TRUE(FileExists(FPrograms + "\\Demo Group\\Demo.LNK"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, FRegistryBase + "\\Demo\\Settings\\Window"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + FTitle));
    ExpectUntouchedSurroundings();
}

TEST_F(Installation, MissingLogIsReportedAndNothingChanges)
{
    ASSERT_TRUE(ForceDirectories(FTarget));
    WriteFileBytes(FTarget + "\\uninstall.exe", ReadStub());
    WriteFileBytes(FTarget + "\\demo.exe", "MZ demo");
    RegisterUninstall(FTitle, FTitle + " (remove only)", FTarget + "\\uninstall.exe");

    TProcess first;
    ASSERT_TRUE(StartProgram(FTarget + "\\uninstall.exe", FTemp, first));
    EXPECT_EQ(first.WaitForExit(kStartMs), 0);
    HWND box = kfdriver::WaitForTopWindow(uninstall::kOpenErrorCaption, kStartMs, false, "#32770");
    ASSERT_TRUE(box);
    FDialog.AttachToWindow(box);
    EXPECT_TRUE(IsPrivateCopy(kfdriver::ProcessImage(kfdriver::ProcessOf(box)), FTemp));
    std::string message = uninstall::CannotOpenLogMessage(FTarget + "\\uninstall.log");
    HWND text = kfdriver::FindControl(box, message, "Static");
    EXPECT_TRUE(Visible(text)) << "message box says: " << kfdriver::TextOf(GetDlgItem(box, 0xFFFF));
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(box, "OK", "Button")));
    EXPECT_EQ(FDialog.WaitForExit(kActionMs), 1);
    EXPECT_EQ(kfdriver::FindTopWindow(uninstall::WindowCaption(""), true), nullptr);

    EXPECT_TRUE(FileExists(FTarget + "\\uninstall.exe"));
    EXPECT_TRUE(FileExists(FTarget + "\\demo.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + FTitle));
    ExpectUntouchedSurroundings();
}

TEST_F(Installation, RunningFromTheTemporaryFolderCopiesToCTemp)
{
    Install();
    TProcess first;
    // TMP is the program's own folder: the copy must not overwrite the running program.
    ASSERT_TRUE(StartProgram(FTarget + "\\uninstall.exe", FTarget, first));
    EXPECT_EQ(first.WaitForExit(kStartMs), 0);
    HWND window = kfdriver::WaitForTopWindow(uninstall::WindowCaption(FTitle), kStartMs);
    ASSERT_TRUE(window);
    FDialog.AttachToWindow(window);
    EXPECT_TRUE(IsPrivateCopy(kfdriver::ProcessImage(kfdriver::ProcessOf(window)), "C:\\TEMP"));
    EXPECT_FALSE(FileExists(FTarget + "\\uninst.exe"));

    // The caption's close button works on the welcome page.
    kfdriver::RequestClose(window);
    EXPECT_TRUE(kfdriver::WaitForWindowGone(window, kActionMs));
    EXPECT_EQ(FDialog.WaitForExit(kActionMs), 0);
    EXPECT_TRUE(FileExists(FTarget + "\\uninstall.log"));
    EXPECT_TRUE(FileExists(FTarget + "\\demo.exe"));
}

TEST_F(Installation, AFailedCopyIsReportedAndStartsNothing)
{
    Install();
    // An old copy at the fixed name, held open: neither replaced nor started.
    std::string planted = FTemp + "\\uninst.exe";
    WriteFileBytes(planted, ReadStub());
    TFileHandle held(CreateFileA(planted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    HWND window = StartUninstall();
    ASSERT_TRUE(window);
    ASSERT_TRUE(kfdriver::PressKey(window, VK_ESCAPE));
    EXPECT_EQ(FDialog.WaitForExit(kActionMs), 0);
    held.Reset();
    EXPECT_EQ(kftest::ReadFileBytes(planted), ReadStub());
    DeleteFileA(planted.c_str());

    // A temporary folder that cannot be made (a file in its place): the message, and
    // nothing is started.
    std::string blocked = FTemp + "\\blocked";
    WriteFileBytes(blocked, "a file where the temporary folder should be");
    TProcess first;
    ASSERT_TRUE(StartProgram(FTarget + "\\uninstall.exe", blocked, first));
    HWND box =
        kfdriver::WaitForTopWindowOf(FTarget + "\\uninstall.exe", uninstall::kInitFailedCaption, kStartMs, "#32770");
    ASSERT_TRUE(box);
    EXPECT_TRUE(Visible(kfdriver::FindControl(box, uninstall::kInitFailedText, "Static")));
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(box, "OK", "Button")));
    EXPECT_EQ(first.WaitForExit(kStartMs), 2);
    EXPECT_EQ(kfdriver::FindTopWindow(uninstall::WindowCaption(FTitle)), nullptr);
    EXPECT_TRUE(FileExists(FTarget + "\\uninstall.log"));
}
