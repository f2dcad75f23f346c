// End to end under Wine and Xvfb: a setup executable built with kftool build from a
// fixture tree, run as a user would run it and driven through its wizard; then the
// machine is checked, and the installed uninstaller is run to put it back as it was.
// Also the roads that end early: cancel during the copy, a file that cannot be
// written, too little space on the drive, and damaged setup files.
#include "E2ESupport.h"
#include "archive/ArchiveFormat.h"
#include "platform/FileSystem.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/UninstallLog.h"
#include "win32ui/Com.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerTexts.h"
#include "tests/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace kf;
using namespace kf::ui;
using namespace kf::installer;
using namespace kfe2e;
using kfdriver::StartWithTemp;
using kfdriver::TProcess;
using kftest::ReadFileBytes;
using kftest::WriteFileBytes;

namespace {

constexpr const char* kWizardClass = "KitforgeSetupWizard";

// An item of a list or combo box in another process. Across processes the text comes
// back in UTF-16 whichever call asks, so the wide call asks.
std::string ItemText(HWND box, UINT getText, UINT getLength, LRESULT index)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(box, getLength, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 5000, &length) ||
        length > 1024)
        return "<unreadable>";
    std::vector<wchar_t> wide(length + 1, L'\0');
    SendMessageTimeoutW(box, getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    char text[4096] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

std::vector<std::string> ListLines(HWND list)
{
    std::vector<std::string> lines;
    LRESULT count = Ask(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i)
        lines.push_back(ItemText(list, LB_GETTEXT, LB_GETTEXTLEN, i));
    return lines;
}

// A 24-bit bitmap file of the wizard's picture size.
std::string WizardBitmap()
{
    const int32_t width = 153, height = 259, stride = (width * 3 + 3) & ~3;
    std::string bytes(54 + size_t(stride) * height, '\0');
    auto put = [&bytes](size_t at, uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, static_cast<uint32_t>(bytes.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            size_t at = 54 + size_t(y) * stride + size_t(x) * 3;
            bytes[at] = static_cast<char>(128 + y / 3); // blue rising towards the top
            bytes[at + 1] = static_cast<char>(x);
        }
    return bytes;
}

std::string RegistryString(const std::string& key, const std::string& value)
{
    return ReadRegistryString(TRegRoot::LocalMachine, key, value);
}

// The fixture tree, its setup executable, and the names the tests check.
struct TFixture
{
    std::string Title, Group, Root, Stage, Setup, TargetParent, Target, Temp;
    std::map<std::string, std::string> Files; // installed name -> source bytes
};

TFixture* Fixture = nullptr;

class Install : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static kftest::TTempDir root;
        static TFixture fixture;
        Fixture = &fixture;
        TFixture& f = fixture;
        std::string id = std::to_string(GetCurrentProcessId());
        f.Title = "Kitforge Install E2E " + id;
        f.Group = "KF Install E2E " + id;
        f.Root = root.Path();
        f.Stage = f.Root + "\\stage";
        f.Temp = f.Root + "\\tmp";
        f.TargetParent = "C:\\kf-e2e-" + id;
        f.Target = f.TargetParent + "\\Vendor\\Demo";
        f.Setup = f.Root + "\\Setup.exe";
        ForceDirectories(f.Temp);
        ForceDirectories(f.Stage + "\\app\\docs\\deep");
        // The directory image: nested folders, a hidden file, a file big enough to
        // cancel in the middle of (the archive writes it in 64 KB chunks).
        f.Files["demo.exe"] = ReadFileBytes(Bin("kfdriver.exe"));
        f.Files["aaa-big.bin"] = kftest::NoiseBytes(12 << 20, 7);
        f.Files["Help.txt"] = "Help for the demo\r\n";
        f.Files["docs\\guide.txt"] = "guide";
        f.Files["docs\\deep\\notes.txt"] = std::string(70000, 'n');
        f.Files["docs\\.hidden"] = "hidden";
        for (const auto& [name, bytes] : f.Files)
            WriteFileBytes(f.Stage + "\\" + (name == "demo.exe" ? name : "app\\" + name), bytes);
        SetFileAttributesA((f.Stage + "\\app\\docs\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        WriteFileBytes(f.Stage + "\\licence.rtf",
                       "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Licence} of the demo.\\par Use it.}");
        WriteFileBytes(f.Stage + "\\readme.txt", "Read me first.\r\n");
        WriteFileBytes(f.Stage + "\\wizard.bmp", WizardBitmap());
        f.Files["uninstall.exe"] = ReadFileBytes(Bin("uninstall.exe"));

        std::string script = f.Root + "\\e2e.kfs";
        std::string kftool = "\"" + Bin("kftool.exe") + "\"";
        std::string set = kftool + " script set \"" + script + "\" \"TITLE=" + f.Title + "\" BASEDIR=3 \"DIR=kf-e2e-" +
                          id + "\\Vendor\\Demo\" URL=www.example.com/demo MAIN=demo.exe INCLUDEMAINEXE=1 LAUNCH=0 " +
                          "DESKTOP=1 ADDFILES=0 ADDDIR=1 ADDDIRTEXT=app \"STARTMENU=" + f.Group +
                          "\" \"ICONAPPTEXT=Demo Tool\" ICONUNINSTALL=1 \"ICONUNINSTALLTEXT=Uninstall Demo\" " +
                          "ICONWEBSITE=1 \"ICONWEBSITETEXT=Demo Web Site\" LICENSE=licence.rtf README=readme.txt " +
                          "IMAGE=wizard.bmp COLORTOP=12 COLORBOTTOM=0";
        ASSERT_EQ(RunToEnd(set, f.Temp), 0) << set;
        std::string build = kftool + " build -C \"" + f.Stage + "\" \"" + script + "\" \"" + f.Setup + "\"";
        ASSERT_EQ(RunToEnd(build, f.Temp), 0) << build;
        ASSERT_TRUE(FileExists(f.Setup));
    }

    void SetUp() override
    {
        ASSERT_TRUE(Fixture && FileExists(Fixture->Setup));
        f = *Fixture;
        // The parent exists before the installation; the installation adds two levels.
        ASSERT_TRUE(ForceDirectories(f.TargetParent));
        WriteFileBytes(f.TargetParent + "\\keep.txt", "not installed");
    }

    void TearDown() override
    {
        FSetup.Kill();
        kftest::RemoveTree(f.TargetParent);
        kftest::RemoveTree(GetProgramsDir(0) + "\\" + f.Group);
        DeleteFileA((GetDesktopDir(0) + "\\Demo Tool.LNK").c_str());
        UnregisterUninstall(f.Title);
    }

    // Starts the setup and waits for its wizard.
    HWND StartSetup(const std::string& setup = "")
    {
        if (!StartWithTemp("\"" + (setup.empty() ? f.Setup : setup) + "\"", f.Temp, FSetup))
        {
            ADD_FAILURE() << "the setup did not start";
            return nullptr;
        }
        HWND wizard = kfdriver::WaitForTopWindow(f.Title, kStartMs, false, kWizardClass);
        EXPECT_TRUE(wizard) << "no wizard";
        return wizard;
    }

    HWND Button(HWND wizard, const std::string& text) { return kfdriver::FindControl(wizard, text, "Button"); }

    bool WaitForText(HWND wizard, const std::string& prefix, int timeoutMs = kActionMs)
    {
        return kfdriver::WaitUntil([&] { return Visible(kfdriver::FindControlByPrefix(wizard, prefix)); }, timeoutMs);
    }

    // Welcome, licence accepted, the location page shown.
    void ToLocationPage(HWND wizard)
    {
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
        ASSERT_TRUE(WaitForText(wizard, "If you agree"));
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Yes")));
        ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
    }

    void ExpectNothingInstalled()
    {
        EXPECT_FALSE(DirectoryExists(f.TargetParent + "\\Vendor"));
        EXPECT_TRUE(FileExists(f.TargetParent + "\\keep.txt"));
        EXPECT_FALSE(DirectoryExists(GetProgramsDir(0) + "\\" + f.Group));
        EXPECT_EQ(RegistryString(std::string(kUninstallKeyPath) + f.Title, "DisplayName"), "");
    }

    // A setup of stage\app into the test's target, with no icons but the group.
    void BuildStagedSetup(const std::string& stage, const std::string& title, const std::string& setup)
    {
        std::string script = setup + ".kfs";
        std::string kftool = "\"" + Bin("kftool.exe") + "\"";
        ASSERT_EQ(RunToEnd(kftool + " script set \"" + script + "\" \"TITLE=" + title + "\" BASEDIR=3 \"DIR=" +
                               f.Target.substr(3) + "\" ADDDIR=1 ADDDIRTEXT=app INCLUDEMAINEXE=0 ICONUNINSTALL=0 " +
                               "ICONWEBSITE=0 \"STARTMENU=" + f.Group + "\"",
                           f.Temp),
                  0);
        ASSERT_EQ(RunToEnd(kftool + " build -C \"" + stage + "\" \"" + script + "\" \"" + setup + "\"", f.Temp), 0);
    }

    TFixture f;
    TProcess FSetup;
};

} // namespace

TEST_F(Install, TheWholeRoadAndBackByTheUninstaller)
{
    kfe2e::TMachineState before = kfe2e::MachineState(f.Root);

    HWND wizard = StartSetup();
    ASSERT_TRUE(wizard);
    EXPECT_EQ(TextStarting(wizard, "Welcome to"), WelcomeText(f.Title));
    EXPECT_FALSE(Visible(Button(wizard, "<< &Previous ")));
    EXPECT_FALSE(Visible(Button(wizard, "&Finish")));
    HWND picture = kfdriver::FindControlOfClass(wizard, "Static", 1);
    EXPECT_TRUE(Visible(picture) && SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);

    // The keyboard: Alt+N is Next; on the licence page Previous is "&No" and Print shows.
    HWND next = Button(wizard, "&Next >>");
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::FocusedControl(wizard) == next; }, kActionMs));
    ASSERT_TRUE(kfdriver::PressAltKey(wizard, 'n'));
    ASSERT_TRUE(WaitForText(wizard, "If you agree"));
    EXPECT_TRUE(Visible(Button(wizard, "&No")));
    EXPECT_TRUE(Visible(Button(wizard, "&Print")));
    HWND licence = kfdriver::FindControlOfClass(wizard, "RichEdit20A");
    EXPECT_EQ(kfdriver::TextOf(licence).substr(0, 19), "Licence of the demo"); // RTF shown formatted
    // Print without a printer offers the Add Printer wizard; No leaves the page as it was.
    char printer[256];
    DWORD printerLength = sizeof(printer);
    if (!GetDefaultPrinterA(printer, &printerLength))
    {
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Print")));
        EXPECT_EQ(AnswerBox(kNoPrinterCaption, "&No"), kNoPrinterText);
        EXPECT_TRUE(WaitForText(wizard, "If you agree"));
    }
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Yes")));

    ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
    HWND location = kfdriver::FindControlOfClass(wizard, "Edit");
    EXPECT_EQ(kfdriver::TextOf(location), f.Target); // "%C ROOT%" + "[defaultdir]"
    EXPECT_FALSE(IsWindowEnabled(location));
    EXPECT_FALSE(Visible(kfdriver::FindControl(wizard, kInsufficientLabelText)));
    EXPECT_EQ(kfdriver::TextOf(Button(wizard, "<< &Previous ")), "<< &Previous ");
    ASSERT_TRUE(kfdriver::PressKey(wizard, VK_RETURN)); // Enter: the default button, Next

    ASSERT_TRUE(WaitForText(wizard, "Installation of"));
    EXPECT_EQ(TextStarting(wizard, "Installation of"), CompleteText(f.Title, false, true));
    HWND desktop = Button(wizard, "Create &Desktop Icon");
    EXPECT_TRUE(Visible(desktop) && SendMessageA(desktop, BM_GETCHECK, 0, 0) == BST_CHECKED);
    EXPECT_FALSE(Visible(Button(wizard, "&Launch Program Now")));
    EXPECT_FALSE(Visible(Button(wizard, "&Cancel")));
    EXPECT_FALSE(Visible(Button(wizard, "&Next >>")));
    // The readme: copied under its own name into a private folder below TEMP and opened
    // by the shell.
    // This Wine prefix maps no program to ".txt" (Windows does): lend it Notepad's.
    bool lentAssociation = false;
    {
        TRegKey existing;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, existing.Receive()) != ERROR_SUCCESS)
            lentAssociation =
                RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", REG_SZ, "txtfile", 7) == ERROR_SUCCESS;
    }
    std::vector<HWND> viewersBefore = kfdriver::FindTopWindows("readme", true);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&View Readme")));
    std::string readme;
    EXPECT_TRUE(kfdriver::WaitUntil(
        [&] {
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA((f.Temp + "\\kf-*").c_str(), &found);
            if (find == INVALID_HANDLE_VALUE)
                return false;
            do
                if (IsPrivateFolderName(found.cFileName))
                    readme = f.Temp + "\\" + found.cFileName + "\\readme.txt";
            while (FindNextFileA(find, &found));
            FindClose(find);
            return FileExists(readme) && ReadFileBytes(readme) == "Read me first.\r\n";
        },
        kActionMs));
    EXPECT_FALSE(FileExists(f.Temp + "\\readme.txt"));
    HWND viewer = nullptr;
    EXPECT_TRUE(kfdriver::WaitUntil(
        [&] {
            for (HWND window : kfdriver::FindTopWindows("readme", true))
                if (std::find(viewersBefore.begin(), viewersBefore.end(), window) == viewersBefore.end())
                    viewer = window;
            return viewer != nullptr;
        },
        kStartMs));
    if (viewer)
    {
        // Started by the desktop's shell as the user, not by the elevated setup (Wine's
        // explorer offers the desktop's shell window too).
        DWORD viewerId = 0;
        GetWindowThreadProcessId(viewer, &viewerId);
        EXPECT_NE(kfe2e::ParentProcess(viewerId), GetProcessId(FSetup.Handle()));
        EXPECT_NE(kfe2e::ParentProcess(viewerId), 0u);
        TProcess viewerProcess;
        viewerProcess.AttachToWindow(viewer);
    }
    if (lentAssociation)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt");
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Finish")));
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 0);
    // The viewer may still read it: it and its folder go at the next restart.
    EXPECT_NE(kfe2e::PendingRenames().find(kfe2e::Lower(readme) + "|"), std::string::npos);

    // Every file, byte for byte.
    for (const auto& [name, bytes] : f.Files)
    {
        ASSERT_TRUE(FileExists(f.Target + "\\" + name)) << name;
        EXPECT_TRUE(ReadFileBytes(f.Target + "\\" + name) == bytes) << name;
    }
    // The log: header, title, the two created levels, itself, then files and folders in
    // the order they were made, the group and its shortcuts, the desktop shortcut last.
    std::string groupDir = GetProgramsDir(0) + "\\" + f.Group;
    std::string desktopLink = GetDesktopDir(0) + "\\Demo Tool.LNK";
    std::string t = f.Target + "\\";
    std::vector<std::string> expected = LogHeader();
    for (const std::string& line :
         {"Title: " + f.Title, "Directory: Vendor\\Demo;" + f.Target, "File: " + t + "uninstall.log",
          "File: " + t + "aaa-big.bin", "File: " + t + "Help.txt", "Directory: docs\\;" + t + "docs\\",
          "File: " + t + "docs\\.hidden", "File: " + t + "docs\\guide.txt", "Directory: deep\\;" + t + "docs\\deep\\",
          "File: " + t + "docs\\deep\\notes.txt", "File: " + t + "demo.exe", "File: " + t + "uninstall.exe",
          "Directory: " + f.Group + ";" + groupDir, "File: " + groupDir + "\\Demo Tool.LNK",
          "File: " + groupDir + "\\Uninstall Demo.LNK", "File: " + groupDir + "\\Demo Web Site.URL",
          "File: " + desktopLink})
        expected.push_back(line);
    std::string log;
    for (const std::string& line : expected)
        log += line + "\r\n";
    EXPECT_EQ(ReadFileBytes(t + "uninstall.log"), log);
    EXPECT_EQ(ReadFileBytes(groupDir + "\\Demo Web Site.URL"),
              "[InternetShortcut]\r\nURL=http://www.example.com/demo\r\n");
    EXPECT_TRUE(FileExists(groupDir + "\\Demo Tool.LNK"));
    EXPECT_TRUE(FileExists(desktopLink));
    std::string key = std::string(kUninstallKeyPath) + f.Title;
    EXPECT_EQ(RegistryString(key, "DisplayName"), f.Title + " (remove only)");
    EXPECT_EQ(RegistryString(key, "UninstallString"), "\"" + f.Target + "\\uninstall.exe\"");

    std::set<std::string> during = kfe2e::MachineState(f.Root).Files;
    EXPECT_EQ(during.count(f.Target + "\\Help.txt " + std::to_string(f.Files["Help.txt"].size())), 1u);
    EXPECT_EQ(during.count(groupDir + "\\"), 1u);

    // The uninstaller, as the registration starts it.
    TProcess first, dialog;
    ASSERT_TRUE(StartWithTemp("\"" + f.Target + "\\uninstall.exe\"", f.Temp, first));
    EXPECT_EQ(first.WaitForExit(kStartMs), 0);
    HWND uninstall = kfdriver::WaitForTopWindow("Uninstall " + f.Title, kStartMs);
    ASSERT_TRUE(uninstall);
    dialog.AttachToWindow(uninstall);
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(uninstall, "&Next >>", "Button")));
    HWND finish = nullptr;
    ASSERT_TRUE(kfdriver::WaitUntil(
        [&] { return kfdriver::IsUsable(finish = kfdriver::FindControl(uninstall, "Finish", "Button")); }, kActionMs));
    EXPECT_FALSE(Visible(kfdriver::FindControl(uninstall, "More Information >>"))); // nothing failed
    ASSERT_TRUE(kfdriver::Click(finish));
    EXPECT_EQ(dialog.WaitForExit(kActionMs), 0);

    // Back as before, but for the uninstaller's own temporary copy, which goes at the
    // next restart.
    kfe2e::TMachineState after = kfe2e::MachineState(f.Root);
    EXPECT_EQ(after.Files, before.Files);
    EXPECT_EQ(after.Registrations, before.Registrations);
    EXPECT_FALSE(FileExists(f.Temp + "\\uninst.exe"));
}

TEST_F(Install, TheAddPrinterWizardIsNeverAProgramBesideTheSetup)
{
    char printer[256];
    DWORD printerLength = sizeof(printer);
    if (GetDefaultPrinterA(printer, &printerLength))
        GTEST_SKIP() << "a printer is set up: no Add Printer offer";
    // A "Rundll32.exe" in the download folder, which a search by name finds first.
    std::string downloads = f.Root + "\\printer-downloads", setup = downloads + "\\Setup.exe";
    std::string planted = downloads + "\\Rundll32.exe";
    ASSERT_TRUE(ForceDirectories(downloads));
    ASSERT_TRUE(CopyFileA(f.Setup.c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Bin("kfcanaryprobe.exe").c_str(), planted.c_str(), FALSE));
    HWND wizard = StartSetup(setup);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(WaitForText(wizard, "If you agree"));
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Print")));
    EXPECT_EQ(AnswerBox(kNoPrinterCaption, "&Yes"), kNoPrinterText);
    EXPECT_FALSE(kfdriver::WaitUntil([&] { return FileExists(planted + ".started"); }, 3000));
    FSetup.Kill();
}

TEST_F(Install, CancelDuringTheCopyLeavesNothingBehind)
{
    HWND wizard = StartSetup();
    ASSERT_TRUE(wizard);
    ToLocationPage(wizard);
    // Cancel is pressed right behind Next: the press waits in the queue and is seen at
    // the copy's first pump, once the log and the target folders exist.
    HWND cancel = Button(wizard, "&Cancel");
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(kfdriver::Click(cancel));
    EXPECT_EQ(AnswerBox(kCancelCaption, "&Yes"), AbortQuestion(f.Title));
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 1); // cancelled
    ExpectNothingInstalled();
    EXPECT_FALSE(FileExists(GetDesktopDir(0) + "\\Demo Tool.LNK"));
}

TEST_F(Install, CancelInsideAFileHoldsTheCopyUntilAnsweredThenGoesOnOrRollsBack)
{
    // One file that takes a while to write: zeros pack to almost nothing. No licence, so
    // Next leads straight to the location page.
    const int64_t hugeSize = int64_t(512) << 20;
    std::string title = f.Title + " Huge";
    std::string setup = f.Root + "\\HugeSetup.exe";
    if (!FileExists(setup))
    {
        std::string stage = f.Root + "\\huge-stage";
        ASSERT_TRUE(ForceDirectories(stage + "\\app"));
        kftest::MakeSparseFile(stage + "\\app\\huge.bin", hugeSize);
        ASSERT_NO_FATAL_FAILURE(BuildStagedSetup(stage, title, setup));
        kftest::RemoveTree(stage);
    }
    std::string huge = f.Target + "\\huge.bin";
    for (bool abort : {false, true})
    {
        ASSERT_TRUE(StartWithTemp("\"" + setup + "\"", f.Temp, FSetup));
        HWND wizard = kfdriver::WaitForTopWindow(title, kStartMs, false, kWizardClass);
        ASSERT_TRUE(wizard);
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
        ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
        // Found while the wizard is idle: during the copy every question to another
        // program's window waits for its next look at the queue.
        HWND fileLabel = kfdriver::FindControl(wizard, kInstallingFilesText);
        HWND fileBar = kfdriver::FindControlOfClass(wizard, PROGRESS_CLASSA);
        HWND cancel = Button(wizard, "&Cancel");
        ASSERT_TRUE(fileLabel && fileBar && cancel);
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
        ASSERT_TRUE(kfdriver::WaitUntil(
            [&] { return kfdriver::TextOf(fileLabel) == ExtractingText("huge.bin") && Ask(fileBar, PBM_GETPOS) > 0; },
            kActionMs));
        ASSERT_TRUE(kfdriver::Click(cancel));
        HWND box = kfdriver::WaitForTopWindow(kCancelCaption, kActionMs, false, "#32770");
        ASSERT_TRUE(box);
        // The question came inside the file, and the copy waits for the answer.
        int64_t written = FileSizeAt(huge);
        EXPECT_GT(written, 0) << abort;
        EXPECT_LT(written, hugeSize) << abort;
        Sleep(300);
        EXPECT_EQ(FileSizeAt(huge), written) << abort;
        EXPECT_EQ(AnswerBox(kCancelCaption, abort ? "&Yes" : "&No"), AbortQuestion(title));
        if (abort)
        {
            EXPECT_EQ(FSetup.WaitForExit(120000), 1); // cancelled
            ExpectNothingInstalled();
            EXPECT_EQ(RegistryString(std::string(kUninstallKeyPath) + title, "DisplayName"), "");
        }
        else
        {
            // No: the same file goes on to its end and the installation completes.
            ASSERT_TRUE(WaitForText(wizard, "Installation of", 120000));
            EXPECT_EQ(FileSizeAt(huge), hugeSize);
            EXPECT_EQ(RegistryString(std::string(kUninstallKeyPath) + title, "DisplayName"), title + " (remove only)");
            ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Finish")));
            EXPECT_EQ(FSetup.WaitForExit(kActionMs), 0);
            UnregisterUninstall(title);
            kftest::RemoveTree(f.TargetParent + "\\Vendor");
            kftest::RemoveTree(GetProgramsDir(0) + "\\" + f.Group);
        }
    }
}

TEST_F(Install, ClosingEveryWindowDuringTheRollBackNeitherCrashesNorStopsIt)
{
    // Many small files before one large one: after a cancel inside the large file the
    // roll-back has the small ones to remove, long enough to ask every window to close
    // while it runs. Zeros pack to almost nothing, so the large one costs no space here.
    const int smallCount = 3000;
    const int64_t hugeSize = int64_t(400) << 20;
    std::string title = f.Title + " Many";
    std::string setup = f.Root + "\\ManySetup.exe";
    if (!FileExists(setup))
    {
        std::string stage = f.Root + "\\many-stage";
        ASSERT_TRUE(ForceDirectories(stage + "\\app"));
        for (int i = 0; i < smallCount; ++i)
            WriteFileBytes(stage + "\\app\\a" + std::to_string(10000 + i) + ".txt", "small");
        kftest::MakeSparseFile(stage + "\\app\\zz-huge.bin", hugeSize);
        ASSERT_NO_FATAL_FAILURE(BuildStagedSetup(stage, title, setup));
        kftest::RemoveTree(stage);
    }
    ASSERT_TRUE(StartWithTemp("\"" + setup + "\"", f.Temp, FSetup));
    HWND wizard = kfdriver::WaitForTopWindow(title, kStartMs, false, kWizardClass);
    ASSERT_TRUE(wizard);
    HWND background = kfdriver::WaitForTopWindow(title, kStartMs, false, "KitforgeSetupBackground");
    ASSERT_TRUE(background);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
    HWND fileLabel = kfdriver::FindControl(wizard, kInstallingFilesText);
    HWND totalLabel = kfdriver::FindControl(wizard, kInstallingFilesText);
    for (HWND control = fileLabel; control; control = GetWindow(control, GW_HWNDNEXT))
        if (control != fileLabel && kfdriver::TextOf(control) == kInstallingFilesText)
        {
            totalLabel = control;
            break;
        }
    HWND fileBar = kfdriver::FindControlOfClass(wizard, PROGRESS_CLASSA);
    HWND cancel = Button(wizard, "&Cancel");
    ASSERT_TRUE(fileLabel && totalLabel != fileLabel && fileBar && cancel);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(kfdriver::WaitUntil(
        [&] { return kfdriver::TextOf(fileLabel) == ExtractingText("zz-huge.bin") && Ask(fileBar, PBM_GETPOS) > 0; },
        120000));
    ASSERT_TRUE(kfdriver::Click(cancel));
    EXPECT_EQ(AnswerBox(kCancelCaption, "&Yes"), AbortQuestion(title));

    // The roll-back runs: every way a user has to close a window, on both windows.
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::TextOf(totalLabel) == kCancellingText; }, kActionMs));
    std::string firstSmall = f.Target + "\\a10000.txt"; // the roll-back goes newest first
    // Still there: the requests below reach the roll-back's own pumps.
    EXPECT_TRUE(FileExists(firstSmall)) << "the roll-back ended before the close requests";
    for (HWND window : {wizard, background})
    {
        kfdriver::RequestClose(window); // the caption's button, the task bar's close
        PostMessageA(window, WM_SYSKEYDOWN, VK_F4, 1 << 29); // Alt+F4
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    // No page fault, no question, and the roll-back runs to its end.
    EXPECT_EQ(FSetup.WaitForExit(120000), 1); // cancelled, not a page fault
    EXPECT_FALSE(kfdriver::FindTopWindow(kCancelCaption, false, "#32770"));
    ExpectNothingInstalled();
}

TEST_F(Install, CancellingAnUpgradePutsTheEarlierInstallationBackAsItWas)
{
    // v1 installed silently into a folder of its own; v2 of the same title writes over
    // its Help.txt, then takes a while over one large new file (zeros pack to almost
    // nothing), inside which the cancel comes.
    const int64_t hugeSize = int64_t(256) << 20;
    std::string title = f.Title + " Upgrade";
    std::string v1 = f.Root + "\\UpgradeV1.exe", v2 = f.Root + "\\UpgradeV2.exe";
    if (!FileExists(v2))
    {
        std::string stage1 = f.Root + "\\upgrade-v1", stage2 = f.Root + "\\upgrade-v2";
        ASSERT_TRUE(ForceDirectories(stage1 + "\\app\\data") && ForceDirectories(stage2 + "\\app"));
        WriteFileBytes(stage1 + "\\app\\Help.txt", "Help for version 1\r\n");
        WriteFileBytes(stage1 + "\\app\\data\\table.dat", kftest::NoiseBytes(70000, 11));
        WriteFileBytes(stage2 + "\\app\\Help.txt", "Help for version 2\r\n");
        kftest::MakeSparseFile(stage2 + "\\app\\zz-huge.bin", hugeSize);
        ASSERT_NO_FATAL_FAILURE(BuildStagedSetup(stage1, title, v1));
        ASSERT_NO_FATAL_FAILURE(BuildStagedSetup(stage2, title, v2));
        kftest::RemoveTree(stage1);
        kftest::RemoveTree(stage2);
    }
    struct TCleanUp
    {
        std::string Title;
        ~TCleanUp() { UnregisterUninstall(Title); }
    } cleanUp{title};
    kfe2e::TMachineState before = kfe2e::MachineState(f.Root);
    std::string earlier = f.TargetParent + "\\Vendor\\Earlier";
    ASSERT_EQ(RunToEnd("\"" + v1 + "\" /S /D=" + earlier, f.Temp), 0);
    std::map<std::string, std::string> v1Files = kfe2e::FolderContents(earlier);
    std::map<std::string, std::string> v1Values = kfe2e::RegistrationValues(title);
    ASSERT_EQ(v1Files.count("uninstall.log"), 1u);
    ASSERT_EQ(v1Values.count("InstallLocation"), 1u);

    ASSERT_TRUE(StartWithTemp("\"" + v2 + "\"", f.Temp, FSetup));
    HWND wizard = kfdriver::WaitForTopWindow(title, kStartMs, false, kWizardClass);
    ASSERT_TRUE(wizard);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
    EXPECT_EQ(kfdriver::TextOf(kfdriver::FindControlOfClass(wizard, "Edit")), earlier); // not f.Target
    // Found while the wizard is idle: during the copy every question to another
    // program's window waits for its next look at the queue.
    HWND fileLabel = kfdriver::FindControl(wizard, kInstallingFilesText);
    HWND fileBar = kfdriver::FindControlOfClass(wizard, PROGRESS_CLASSA);
    HWND cancel = Button(wizard, "&Cancel");
    ASSERT_TRUE(fileLabel && fileBar && cancel);
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(kfdriver::WaitUntil(
        [&] { return kfdriver::TextOf(fileLabel) == ExtractingText("zz-huge.bin") && Ask(fileBar, PBM_GETPOS) > 0; },
        120000));
    ASSERT_TRUE(kfdriver::Click(cancel));
    HWND box = kfdriver::WaitForTopWindow(kCancelCaption, kActionMs, false, "#32770");
    ASSERT_TRUE(box);
    // The copy waits for the answer with v1's files written over.
    EXPECT_EQ(ReadFileBytes(earlier + "\\Help.txt"), "Help for version 2\r\n");
    EXPECT_EQ(AnswerBox(kCancelCaption, "&Yes"), AbortQuestion(title));
    EXPECT_EQ(FSetup.WaitForExit(120000), 1); // cancelled

    // v1 as it was, byte for byte, its log too, and no kept copy left beside it.
    EXPECT_EQ(kfe2e::FolderContents(earlier), v1Files);
    EXPECT_EQ(kfe2e::RegistrationValues(title), v1Values);
    // And it still uninstalls to the machine before it.
    EXPECT_EQ(RunToEnd("\"" + earlier + "\\uninstall.exe\" /S", f.Temp), 0);
    kfe2e::TMachineState after = kfe2e::MachineState(f.Root);
    EXPECT_EQ(after.Files, before.Files);
    EXPECT_EQ(after.Registrations, before.Registrations);
}

namespace {

// The wide name of an ANSI (code page 1252) text: what Explorer and the registry show.
std::wstring Wide(const std::string& ansi)
{
    std::wstring wide(ansi.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                     static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    return wide;
}

bool WideExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

TEST_F(Install, WesternEuropeanNamesAndTitleArriveAsTyped)
{
    // The tree and title of the cross-host build: kftool on Linux writes these names in
    // code page 1252, byte for byte as kftool.exe does here.
    std::string title = "Caf\xE9 " + f.Title;
    std::string group = "Caf\xE9 " + f.Group;
    std::string setup = f.Root + "\\CafeSetup.exe";
    std::map<std::string, std::wstring> names = {{"R\xE9sum\xE9.txt", L"R\u00e9sum\u00e9.txt"},
                                                 {"\xC6" "ble.txt", L"\u00c6ble.txt"},
                                                 {"\xDC" "ber\\Ma\xDF.txt", L"\u00dcber\\Ma\u00df.txt"}};
    std::string stage = f.Root + "\\cafe-stage";
    ASSERT_TRUE(ForceDirectories(stage + "\\app\\\xDC" "ber"));
    for (const auto& [name, wide] : names)
        WriteFileBytes(stage + "\\app\\" + name, name);
    std::string script = f.Root + "\\cafe.kfs";
    std::string kftool = "\"" + Bin("kftool.exe") + "\"";
    ASSERT_EQ(RunToEnd(kftool + " script set \"" + script + "\" \"TITLE=" + title + "\" BASEDIR=3 \"DIR=" +
                           f.Target.substr(3) + "\" ADDDIR=1 ADDDIRTEXT=app INCLUDEMAINEXE=0 ICONUNINSTALL=1 " +
                           "\"ICONUNINSTALLTEXT=Uninstall " + title + "\" ICONWEBSITE=0 DESKTOP=0 LAUNCH=0 " +
                           "\"STARTMENU=" + group + "\"",
                       f.Temp),
              0);
    ASSERT_EQ(RunToEnd(kftool + " build -C \"" + stage + "\" \"" + script + "\" \"" + setup + "\"", f.Temp), 0);
    struct TCleanUp
    {
        std::string Title, Group, Parent;
        ~TCleanUp()
        {
            UnregisterUninstall(Title);
            kftest::RemoveTree(Parent + "\\Vendor");
            kftest::RemoveTree(GetProgramsDir(0) + "\\" + Group);
        }
    } cleanUp{title, group, f.TargetParent};

    ASSERT_TRUE(StartWithTemp("\"" + setup + "\"", f.Temp, FSetup));
    HWND wizard = kfdriver::WaitForTopWindow(title, kStartMs, false, kWizardClass);
    ASSERT_TRUE(wizard) << "no wizard captioned with the title";
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(WaitForText(wizard, "Please select the location"));
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    ASSERT_TRUE(WaitForText(wizard, "Installation of"));
    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Finish")));
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 0);

    std::wstring target = Wide(f.Target) + L"\\";
    for (const auto& [name, wide] : names)
    {
        EXPECT_TRUE(WideExists(target + wide)) << name;
        EXPECT_EQ(ReadFileBytes(f.Target + "\\" + name), name);
    }
    // Wine keeps the names as UTF-8 on the Linux side.
    using TUnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<TUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName)
    {
        char* path = unixName((target + L"R\u00e9sum\u00e9.txt").c_str());
        ASSERT_TRUE(path);
        std::string unix(path);
        HeapFree(GetProcessHeap(), 0, path);
        EXPECT_EQ(unix.substr(unix.size() - 12), "R\xC3\xA9sum\xC3\xA9.txt");
    }

    std::wstring groupDir = Wide(GetProgramsDir(0)) + L"\\Caf\u00e9 " + Wide(f.Group);
    EXPECT_TRUE(WideExists(groupDir)) << "the Start-menu folder";
    EXPECT_TRUE(WideExists(groupDir + L"\\Uninstall Caf\u00e9 " + Wide(f.Title) + L".LNK"));
    HKEY key = nullptr;
    std::wstring keyPath = Wide(kUninstallKeyPath) + L"Caf\u00e9 " + Wide(f.Title);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t shown[512] = {};
    DWORD size = sizeof(shown) - sizeof(wchar_t);
    EXPECT_EQ(RegQueryValueExW(key, L"DisplayName", nullptr, nullptr, reinterpret_cast<BYTE*>(shown), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::wstring(shown), L"Caf\u00e9 " + Wide(f.Title) + L" (remove only)");
    kftest::RemoveTree(stage);
}

TEST_F(Install, BrowseWalksTheFolderListAndCreatesTheChosenPath)
{
    ASSERT_TRUE(ForceDirectories(f.TargetParent + "\\Sub"));
    HWND wizard = StartSetup();
    ASSERT_TRUE(wizard);
    ToLocationPage(wizard);
    HWND location = kfdriver::FindControlOfClass(wizard, "Edit");
    auto openBrowse = [&]() -> HWND {
        if (!kfdriver::Click(Button(wizard, "&Browse...")))
            return nullptr;
        return kfdriver::WaitForTopWindow(kSelectDirCaption, kActionMs);
    };
    std::string parentName = f.TargetParent.substr(3);

    // It opens at the deepest folder that exists, with the location in the path box.
    HWND browse = openBrowse();
    ASSERT_TRUE(browse);
    HWND folders = kfdriver::FindControlOfClass(browse, "ListBox");
    HWND path = kfdriver::FindControlOfClass(browse, "Edit");
    HWND drives = kfdriver::FindControlOfClass(browse, "ComboBox");
    EXPECT_EQ(kfdriver::TextOf(path), f.Target);
    std::vector<std::string> lines = ListLines(folders);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "C:\\");
    EXPECT_EQ(lines[1], "   " + parentName);
    EXPECT_EQ(lines[2], "      Sub");
    EXPECT_EQ(Ask(folders, LB_GETCURSEL), 1);
    LRESULT driveIndex = Ask(drives, CB_GETCURSEL);
    ASSERT_GE(driveIndex, 0);
    EXPECT_EQ(ItemText(drives, CB_GETLBTEXT, CB_GETLBTEXTLEN, driveIndex), "C:");

    // A double click on a folder opens it and makes it the chosen path.
    auto doubleClick = [&](int index) {
        Ask(folders, LB_SETCURSEL, static_cast<WPARAM>(index));
        PostMessageA(browse, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(folders), LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(folders));
    };
    doubleClick(2);
    std::string sub = f.TargetParent + "\\Sub\\";
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::TextOf(path) == sub; }, kActionMs));
    lines = ListLines(folders);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "      Sub");
    EXPECT_EQ(Ask(folders, LB_GETCURSEL), 2);
    doubleClick(0);
    ASSERT_TRUE(kfdriver::WaitUntil([&] { return kfdriver::TextOf(path) == "C:\\"; }, kActionMs));
    EXPECT_GT(ListLines(folders).size(), 1u);

    // Esc is Cancel: the location stays.
    ASSERT_TRUE(kfdriver::PressKey(browse, VK_ESCAPE));
    ASSERT_TRUE(kfdriver::WaitForWindowGone(browse, kActionMs));
    EXPECT_EQ(kfdriver::TextOf(location), f.Target);

    // A path that cannot be made (a file stands in it) is refused; a new one is made.
    browse = openBrowse();
    ASSERT_TRUE(browse);
    path = kfdriver::FindControlOfClass(browse, "Edit");
    std::string blocked = f.TargetParent + "\\keep.txt\\Demo";
    Ask(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(blocked.c_str()));
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(browse, "OK", "Button")));
    EXPECT_EQ(AnswerBox(kCannotCreateCaption, "OK"), kCannotCreateText);
    // The key goes to the focused control: wait until the box is gone and the focus is
    // back in the dialog, or Enter lands on the closing box.
    ASSERT_TRUE(kfdriver::WaitUntil(
        [&] { return kfdriver::FindTopWindows(kCannotCreateCaption, false, "#32770").empty(); }, kActionMs));
    ASSERT_TRUE(kfdriver::WaitUntil(
        [&] {
            GUITHREADINFO info = {sizeof(info)};
            return GetGUIThreadInfo(GetWindowThreadProcessId(browse, nullptr), &info) && info.hwndFocus &&
                   GetAncestor(info.hwndFocus, GA_ROOT) == browse;
        },
        kActionMs));
    EXPECT_TRUE(IsWindow(browse));
    std::string chosen = f.TargetParent + "\\Sub\\New\\Level";
    Ask(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(("  " + chosen + " ").c_str()));
    ASSERT_TRUE(kfdriver::PressKey(browse, VK_RETURN)); // Enter is OK
    ASSERT_TRUE(kfdriver::WaitForWindowGone(browse, kActionMs));
    EXPECT_EQ(kfdriver::TextOf(location), chosen); // trimmed
    EXPECT_TRUE(DirectoryExists(chosen));

    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Cancel")));
    EXPECT_EQ(AnswerBox(kCancelCaption, "&Yes"), CloseQuestion(f.Title));
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 1); // cancelled
    EXPECT_TRUE(DirectoryExists(chosen)); // made by Browse before any copy: not the setup's to undo
}

TEST_F(Install, AFileThatCannotBeWrittenIsReportedAndRolledBack)
{
    // First a folder standing where a file goes, then a file there that another program
    // holds open. (A read-only file would do on Windows, but Wine lets root write it.)
    for (bool folder : {true, false})
    {
        std::string blocked = f.Target + "\\Help.txt";
        TFileHandle held;
        if (folder)
            ASSERT_TRUE(ForceDirectories(blocked));
        else
        {
            ASSERT_TRUE(ForceDirectories(f.Target));
            WriteFileBytes(blocked, "old");
            held.Reset(CreateFileA(blocked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.Valid());
        }
        HWND wizard = StartSetup();
        ASSERT_TRUE(wizard);
        ToLocationPage(wizard);
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
        EXPECT_EQ(AnswerBox(kErrorCaption, "OK"), InstallErrorText(blocked)) << folder;
        EXPECT_EQ(FSetup.WaitForExit(kActionMs), 2); // failed, after the roll-back
        held.Reset();
        // The target existed before this run: it stays with what blocked the copy.
        EXPECT_TRUE(folder ? DirectoryExists(blocked) : ReadFileBytes(blocked) == "old");
        for (const char* name : {"aaa-big.bin", "uninstall.log", "docs", "demo.exe"})
            EXPECT_FALSE(FileExists(f.Target + "\\" + name) || DirectoryExists(f.Target + "\\" + name)) << name;
        EXPECT_FALSE(DirectoryExists(GetProgramsDir(0) + "\\" + f.Group));
        kftest::RemoveTree(f.TargetParent + "\\Vendor");
    }
}

TEST_F(Install, TooLittleSpaceKeepsTheLocationPage)
{
    // A small drive the test script mounts (tests/e2e/install_small_drive.sh).
    const char* drive = std::getenv("KF_E2E_SMALL_DRIVE");
    if (!drive || !*drive)
        GTEST_SKIP() << "no small drive (KF_E2E_SMALL_DRIVE)";
    HWND wizard = StartSetup();
    ASSERT_TRUE(wizard);
    ToLocationPage(wizard);

    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Browse...")));
    HWND browse = kfdriver::WaitForTopWindow(kSelectDirCaption, kActionMs);
    ASSERT_TRUE(browse);
    HWND path = kfdriver::FindControlOfClass(browse, "Edit");
    // An empty path is refused first.
    SendMessageTimeoutA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("  "), SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(browse, "OK", "Button")));
    EXPECT_EQ(AnswerBox(kNoDirectoryCaption, "OK"), kNoDirectoryText);
    std::string small = std::string(drive) + "\\Demo";
    SendMessageTimeoutA(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(small.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(kfdriver::Click(kfdriver::FindControl(browse, "OK", "Button")));
    ASSERT_TRUE(kfdriver::WaitForWindowGone(browse, kActionMs));
    EXPECT_EQ(kfdriver::TextOf(kfdriver::FindControlOfClass(wizard, "Edit")), small);
    EXPECT_TRUE(DirectoryExists(small)); // Browse made it
    ASSERT_TRUE(
        kfdriver::WaitUntil([&] { return Visible(kfdriver::FindControl(wizard, kInsufficientLabelText)); }, kActionMs));

    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Next >>")));
    EXPECT_EQ(AnswerBox(kInsufficientCaption, "OK"), InsufficientSpaceText(f.Title));
    EXPECT_TRUE(WaitForText(wizard, "Please select the location"));
    EXPECT_TRUE(kfdriver::IsUsable(Button(wizard, "&Next >>")));
    EXPECT_FALSE(FileExists(small + "\\uninstall.log"));

    ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Cancel")));
    EXPECT_EQ(AnswerBox(kCancelCaption, "&Yes"), CloseQuestion(f.Title));
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 1); // cancelled
    RemoveEmptyDirectory(small);
}

TEST_F(Install, DamagedSetupFilesSayThatAndChangeNothing)
{
    std::string good = ReadFileBytes(f.Setup);
    std::string zeroed = good;
    zeroed.replace(zeroed.size() - 4, 4, std::string(4, '\0'));
    uint8_t raw[4];
    std::memcpy(raw, good.data() + good.size() - 4, 4);
    size_t base = static_cast<size_t>(DecodeLE32(raw));
    std::vector<std::pair<std::string, std::string>> damaged = {
        {"half", good.substr(0, good.size() / 2)},
        {"last-byte", good.substr(0, good.size() - 1)},
        {"in-header", good.substr(0, base + 100)},
        {"junk", good + "appended by a broken download"},
        {"zeroed", zeroed},
    };
    for (const auto& [name, bytes] : damaged)
    {
        std::string setup = f.Root + "\\damaged-" + name + ".exe";
        WriteFileBytes(setup, bytes);
        ASSERT_TRUE(StartWithTemp("\"" + setup + "\"", f.Temp, FSetup)) << name;
        EXPECT_EQ(AnswerBox(kDamagedSetupCaption, "OK"), kDamagedSetupText) << name;
        EXPECT_EQ(FSetup.WaitForExit(kActionMs), 2) << name;
        ExpectNothingInstalled();
        EXPECT_TRUE(kfdriver::FindTopWindows(f.Title).empty()) << name;
    }
}

// Signed setups start, install and keep their signatures: built with the author's
// --sign command (osslsigncode through tests/sign_tool.cmd: KF_SIGN_TOOL), then
// dual-signed and unsigned again. One package byte changed after signing makes the
// setup damaged.
TEST_F(Install, SignedSetupsInstallWithASignedUninstaller)
{
    const char* tool = std::getenv("KF_SIGN_TOOL");
    if (!tool || !*tool)
        GTEST_SKIP() << "no signing tool (KF_SIGN_TOOL)";
    const std::string sign = std::string("cmd /c ") + tool;
    std::string kftool = "\"" + Bin("kftool.exe") + "\"";
    std::string signedSetup = f.Root + "\\Signed.exe", dual = f.Root + "\\Dual.exe", removed = f.Root + "\\Removed.exe";
    std::string build = kftool + " build --sign \"" + tool + " sign {}\" -C \"" + f.Stage + "\" \"" + f.Root +
                        "\\e2e.kfs\" \"" + signedSetup + "\"";
    ASSERT_EQ(RunToEnd(build, f.Temp), 0) << build;
    ASSERT_TRUE(CopyFileA(signedSetup.c_str(), dual.c_str(), FALSE));
    ASSERT_EQ(RunToEnd(sign + " nest \"" + dual + "\"", f.Temp), 0);
    ASSERT_TRUE(CopyFileA(signedSetup.c_str(), removed.c_str(), FALSE));
    ASSERT_EQ(RunToEnd(sign + " remove \"" + removed + "\"", f.Temp), 0);

    for (const std::string& setup : {signedSetup, dual, removed})
    {
        SCOPED_TRACE(setup);
        EXPECT_EQ(RunToEnd(sign + " verify \"" + setup + "\"", f.Temp) == 0, setup != removed);
        EXPECT_EQ(RunToEnd(kftool + " verify \"" + setup + "\"", f.Temp), 0);
        HWND wizard = StartSetup(setup);
        ASSERT_TRUE(wizard);
        ToLocationPage(wizard);
        ASSERT_TRUE(kfdriver::PressKey(wizard, VK_RETURN));
        ASSERT_TRUE(WaitForText(wizard, "Installation of"));
        ASSERT_TRUE(kfdriver::Click(Button(wizard, "&Finish")));
        EXPECT_EQ(FSetup.WaitForExit(kActionMs), 0);
        for (const auto& [name, bytes] : f.Files)
        {
            if (name != "uninstall.exe")
                EXPECT_TRUE(ReadFileBytes(f.Target + "\\" + name) == bytes) << name;
        }
        EXPECT_EQ(RunToEnd(sign + " verify \"" + f.Target + "\\uninstall.exe\"", f.Temp), 0);
        kftest::RemoveTree(f.TargetParent + "\\Vendor");
        kftest::RemoveTree(GetProgramsDir(0) + "\\" + f.Group);
        DeleteFileA((GetDesktopDir(0) + "\\Demo Tool.LNK").c_str());
        UnregisterUninstall(f.Title);
    }

    std::string flipped = ReadFileBytes(signedSetup);
    flipped[flipped.size() / 2] ^= 1; // inside the big file's data
    std::string damaged = f.Root + "\\Flipped.exe";
    WriteFileBytes(damaged, flipped);
    ASSERT_TRUE(StartWithTemp("\"" + damaged + "\"", f.Temp, FSetup));
    EXPECT_EQ(AnswerBox(kDamagedSetupCaption, "OK"), kDamagedSetupText);
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 2);
    ExpectNothingInstalled();

    // A signature kept over a second package and a trailer pointing at it (the grown
    // directory, a second table, bytes behind the table: tests/sign_tool.sh tamper-*)
    // is a damaged setup too, silent or not, never an unsigned one to install.
    for (const char* kind : {"grow", "table", "tail"})
    {
        SCOPED_TRACE(kind);
        std::string tampered = f.Root + "\\Tamper-" + kind + ".exe";
        ASSERT_TRUE(CopyFileA(signedSetup.c_str(), tampered.c_str(), FALSE));
        ASSERT_EQ(RunToEnd(sign + " tamper-" + kind + " \"" + tampered + "\"", f.Temp), 0);
        EXPECT_EQ(RunToEnd(kftool + " verify \"" + tampered + "\"", f.Temp), 1);
        ASSERT_TRUE(StartWithTemp("\"" + tampered + "\" /S", f.Temp, FSetup));
        EXPECT_EQ(FSetup.WaitForExit(kActionMs), 2);
        ExpectNothingInstalled();
    }
    ASSERT_TRUE(StartWithTemp("\"" + f.Root + "\\Tamper-grow.exe\"", f.Temp, FSetup));
    EXPECT_EQ(AnswerBox(kDamagedSetupCaption, "OK"), kDamagedSetupText);
    EXPECT_EQ(FSetup.WaitForExit(kActionMs), 2);
    ExpectNothingInstalled();
}
