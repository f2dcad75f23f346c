// Silent installs and uninstalls under Wine, as package managers run them: /S with /D=
// and /LOG=, the exit codes, no window at any time, and the registration they read.
#include "Driver.h"
#include "E2ESupport.h"
#include "Process.h"
#include "platform/FileSystem.h"
#include "runtime/common/ShellInstallLib.h"
#include "tests/TestSupport.h"

#include <aclapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace kf;
using kfdriver::StartWithTemp;
using kfdriver::TProcess;
using kftest::ReadFileBytes;
using kftest::WriteFileBytes;

namespace {

using kfe2e::Bin;

struct TWindowSearch
{
    DWORD Process;
    std::string Found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->Process && IsWindowVisible(window))
    {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof(text));
        search->Found = text[0] ? text : "<untitled>";
        return FALSE;
    }
    return TRUE;
}

// Runs a command to its end and looks at the display every few milliseconds meanwhile;
// the exit code (-1: it hung), and the caption of any window it showed.
long RunWatched(const std::string& commandLine, const std::string& temp, std::string& window,
                const std::string& directory = "")
{
    TProcess process;
    if (!StartWithTemp(commandLine, temp, process, directory))
        return -1;
    DWORD id = GetProcessId(process.Handle());
    for (int waited = 0; waited < 120000; waited += 5)
    {
        TWindowSearch search = {id, ""};
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (window.empty())
            window = search.Found;
        if (WaitForSingleObject(process.Handle(), 5) == WAIT_OBJECT_0)
            return process.WaitForExit(0);
    }
    return -1;
}

std::string Value(const std::string& key, const std::string& name)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "<no key>";
    char data[1024] = {};
    DWORD size = sizeof(data) - 1, type = 0;
    LONG got = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    if (got != ERROR_SUCCESS)
        return "<missing>";
    if (type == REG_DWORD)
        return "dword:" + std::to_string(*reinterpret_cast<DWORD*>(data));
    return data;
}

class Silent : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static kftest::TTempDir root;
        FRoot = root.Path();
        std::string id = std::to_string(GetCurrentProcessId());
        FTitle = "Kitforge Silent E2E " + id;
        FGroup = "KF Silent E2E " + id;
        FTemp = FRoot + "\\tmp";
        std::string stage = FRoot + "\\stage";
        ForceDirectories(FTemp);
        ForceDirectories(stage + "\\app\\docs");
        FFiles["demo.exe"] = ReadFileBytes(Bin("kfdriver.exe"));
        FFiles["Help.txt"] = "Help for the demo\r\n";
        FFiles["docs\\guide.txt"] = kftest::NoiseBytes(200000, 3);
        for (const auto& [name, bytes] : FFiles)
            WriteFileBytes(stage + (name == "demo.exe" ? "\\" : "\\app\\") + name, bytes);
        std::string script = FRoot + "\\silent.kfs";
        std::string kftool = "\"" + Bin("kftool.exe") + "\"";
        std::string set = kftool + " script set \"" + script + "\" \"TITLE=" + FTitle + "\" BASEDIR=3 \"DIR=kf-silent-" +
                          id + "\" URL=www.example.com MAIN=demo.exe INCLUDEMAINEXE=1 DESKTOP=1 LAUNCH=1 " +
                          "ADDFILES=0 ADDDIR=1 ADDDIRTEXT=app \"STARTMENU=" + FGroup + "\" ICONAPPTEXT=Demo " +
                          "ICONUNINSTALL=1 ICONUNINSTALLTEXT=Uninstall ICONWEBSITE=1 ICONWEBSITETEXT=Site";
        FSetup = FRoot + "\\Setup.exe";
        std::string none;
        ASSERT_EQ(RunWatched(set, FTemp, none), 0) << set;
        std::string build = kftool + " build -C \"" + stage + "\" --version 1.2.3 --publisher \"Kitforge Tests\" \"" +
                            script + "\" \"" + FSetup + "\"";
        ASSERT_EQ(RunWatched(build, FTemp, none), 0) << build;
    }

    void TearDown() override
    {
        kftest::RemoveTree(FPlace);
        kftest::RemoveTree(GetProgramsDir(0) + "\\" + FGroup);
        DeleteFileA((GetDesktopDir(0) + "\\Demo.LNK").c_str());
        UnregisterUninstall(FTitle);
    }

    void ExpectNothingInstalled()
    {
        EXPECT_FALSE(DirectoryExists(FPlace + "\\App"));
        EXPECT_FALSE(DirectoryExists(GetProgramsDir(0) + "\\" + FGroup));
        EXPECT_FALSE(FileExists(GetDesktopDir(0) + "\\Demo.LNK"));
        EXPECT_EQ(Value(std::string(kUninstallKeyPath) + FTitle, "DisplayName"), "<no key>");
    }

    static std::string FRoot, FTitle, FGroup, FTemp, FSetup;
    static std::map<std::string, std::string> FFiles;
    // A location with blanks, as /D= gets it from a package manager.
    std::string FPlace = "C:\\Some Place " + std::to_string(GetCurrentProcessId());
};

std::string Silent::FRoot, Silent::FTitle, Silent::FGroup, Silent::FTemp, Silent::FSetup;
std::map<std::string, std::string> Silent::FFiles;

} // namespace

TEST_F(Silent, InstallAndUninstallWithNoWindow)
{
    kfe2e::TMachineState before = kfe2e::MachineState(FRoot);
    std::string target = FPlace + "\\App";
    std::string log = FRoot + "\\install.log";
    std::string window;
    // /D= unquoted with blanks, last on the line, as NSIS takes it.
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S \"/LOG=" + log + "\" /D=" + target, FTemp, window), 0)
        << ReadFileBytes(log);
    EXPECT_EQ(window, "");
    for (const auto& [name, bytes] : FFiles)
        EXPECT_EQ(ReadFileBytes(target + "\\" + name), bytes) << name;
    EXPECT_TRUE(FileExists(GetDesktopDir(0) + "\\Demo.LNK")); // the box's default: checked
    std::string uninstallLog = ReadFileBytes(target + "\\uninstall.log");
    EXPECT_NE(uninstallLog.find("Title: " + FTitle + "\r\nDirectory: Some Place " +
                                std::to_string(GetCurrentProcessId()) + "\\App;" + target + "\r\nFile: " + target +
                                "\\uninstall.log\r\n"),
              std::string::npos)
        << uninstallLog;
    EXPECT_NE(ReadFileBytes(log).find("successfully completed"), std::string::npos);

    std::string key = std::string(kUninstallKeyPath) + FTitle;
    std::string quoted = "\"" + target + "\\uninstall.exe\"";
    EXPECT_EQ(Value(key, "DisplayName"), FTitle + " (remove only)");
    EXPECT_EQ(Value(key, "UninstallString"), quoted);
    EXPECT_EQ(Value(key, "QuietUninstallString"), quoted + " /S");
    EXPECT_EQ(Value(key, "InstallLocation"), target);
    EXPECT_EQ(Value(key, "DisplayIcon"), target + "\\demo.exe");
    EXPECT_EQ(Value(key, "EstimatedSize"),
              "dword:" + std::to_string((FFiles["demo.exe"].size() + 19 + 200000 +
                                         ReadFileBytes(target + "\\uninstall.exe").size() + 1023) / 1024));
    EXPECT_EQ(Value(key, "InstallDate").size(), 8u);
    EXPECT_EQ(Value(key, "NoModify"), "dword:1");
    EXPECT_EQ(Value(key, "NoRepair"), "dword:1");
    EXPECT_EQ(Value(key, "URLInfoAbout"), "http://www.example.com");
    EXPECT_EQ(Value(key, "DisplayVersion"), "1.2.3");
    EXPECT_EQ(Value(key, "Publisher"), "Kitforge Tests");

    // The quiet uninstall string as a package manager runs it: the process returns
    // only when everything is gone.
    window.clear();
    std::string removal = FRoot + "\\uninstall.log.txt";
    EXPECT_EQ(RunWatched(quoted + " /S /LOG=" + removal, FTemp, window, target), 0) << ReadFileBytes(removal);
    EXPECT_EQ(window, "");
    ExpectNothingInstalled();
    EXPECT_FALSE(DirectoryExists(FPlace));
    kfe2e::TMachineState after = kfe2e::MachineState(FRoot);
    EXPECT_EQ(after.Files, before.Files);
    EXPECT_EQ(after.Registrations, before.Registrations);
}

TEST_F(Silent, FailuresExitTwoShowNothingAndLeaveNothing)
{
    std::string log = FRoot + "\\fail.log";
    std::string window;
    // A location blocked by a file.
    ASSERT_TRUE(ForceDirectories(FPlace));
    WriteFileBytes(FPlace + "\\App", "a file where the folder should be");
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + FPlace + "\\App\\Sub", FTemp, window), 2);
    EXPECT_EQ(window, "");
    EXPECT_NE(ReadFileBytes(log).find("Error: "), std::string::npos) << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(FPlace + "\\App"), "a file where the folder should be");
    EXPECT_FALSE(DirectoryExists(GetProgramsDir(0) + "\\" + FGroup));

    // A damaged setup: the package cut short.
    std::string damaged = FRoot + "\\Damaged.exe";
    std::string bytes = ReadFileBytes(FSetup);
    WriteFileBytes(damaged, bytes.substr(0, bytes.size() - 5000));
    EXPECT_EQ(RunWatched("\"" + damaged + "\" /S /LOG=" + log + " /D=" + FPlace + "\\Other", FTemp, window), 2);
    EXPECT_EQ(window, "");
    EXPECT_NE(ReadFileBytes(log).find("damaged or incomplete"), std::string::npos) << ReadFileBytes(log);
    EXPECT_FALSE(DirectoryExists(FPlace + "\\Other"));

    // An unknown switch is never guessed at.
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /VERYSILENT /LOG=" + log, FTemp, window), 2);
    EXPECT_EQ(window, "");
    EXPECT_NE(ReadFileBytes(log).find("Unknown switch: /VERYSILENT"), std::string::npos);
    ExpectNothingInstalled();
}

TEST_F(Silent, TooLittleSpaceOnTheDrive)
{
    // A small drive the test script mounts (tests/e2e/install_small_drive.sh).
    const char* drive = getenv("KF_E2E_SMALL_DRIVE");
    if (!drive || !*drive)
        GTEST_SKIP() << "no small drive (KF_E2E_SMALL_DRIVE)";
    std::string log = FRoot + "\\space.log";
    std::string big = FRoot + "\\Big.exe";
    std::string window;
    // The fixture is small; a setup with 8 MB of noise needs more than the 4 MB drive.
    std::string stage = FRoot + "\\bigstage";
    ForceDirectories(stage);
    ForceDirectories(stage + "\\data");
    WriteFileBytes(stage + "\\data\\big.bin", kftest::NoiseBytes(8 << 20, 5));
    std::string script = FRoot + "\\big.kfs";
    std::string kftool = "\"" + Bin("kftool.exe") + "\"";
    ASSERT_EQ(RunWatched(kftool + " script set \"" + script + "\" TITLE=KfBig BASEDIR=3 DIR=Big ADDFILES=0 ADDDIR=1 " +
                             "ADDDIRTEXT=data INCLUDEMAINEXE=0",
                         FTemp, window),
              0);
    ASSERT_EQ(RunWatched(kftool + " build -C \"" + stage + "\" \"" + script + "\" \"" + big + "\"", FTemp, window), 0);
    EXPECT_EQ(RunWatched("\"" + big + "\" /S /LOG=" + log + " /D=" + drive + "\\Big", FTemp, window), 2);
    EXPECT_EQ(window, "");
    EXPECT_NE(ReadFileBytes(log).find("There is insufficient disk space on this drive."), std::string::npos)
        << ReadFileBytes(log);
    EXPECT_FALSE(DirectoryExists(std::string(drive) + "\\Big"));
}

TEST_F(Silent, OneSetupPerTitleAtATime)
{
    // An interactive setup of the title waits at its welcome page.
    TProcess first;
    ASSERT_TRUE(StartWithTemp("\"" + FSetup + "\"", FTemp, first));
    ASSERT_TRUE(kfdriver::WaitForTopWindow(FTitle, 30000, false, "KitforgeSetupWizard"));
    std::string log = FRoot + "\\second.log";
    std::string window;
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + FPlace + "\\App", FTemp, window), 1618);
    EXPECT_EQ(window, "");
    EXPECT_NE(ReadFileBytes(log).find("is already running"), std::string::npos) << ReadFileBytes(log);
    first.Kill();
    ExpectNothingInstalled();
}

TEST_F(Silent, ALockOfTheTitleThatAUserTookFirstBlocksNothing)
{
    // The lock's old global name, which any user's process can create before the setup.
    HANDLE squatted = CreateMutexA(nullptr, TRUE, ("Global\\KitforgeSetup:" + FTitle).c_str());
    ASSERT_NE(squatted, nullptr);
    std::string target = FPlace + "\\App", log = FRoot + "\\squat.log", window;
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + target, FTemp, window), 0) << ReadFileBytes(log);
    EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + log, FTemp, window, target), 0)
        << ReadFileBytes(log);
    CloseHandle(squatted);
    ExpectNothingInstalled();
}

namespace {

// Names of system DLLs that are no KnownDLLs: what the stubs imported or load, and what
// the system DLLs load on their own. Not version.dll: Wine's own user32 imports it, so
// under Wine every program that imports user32 takes a version.dll from its folder
// before its first statement (Windows' user32 imports no version.dll, and no Kitforge
// program imports or loads it: program_imports checks the imports).
const char* const kPlanted[] = {"winspool.drv", "riched20.dll", "comdlg32.dll", "uxtheme.dll",
                                "comctl32.dll", "dwmapi.dll",   "userenv.dll"};

void PlantCanaries(const std::string& folder)
{
    std::string canary = ReadFileBytes(Bin("canary.dll"));
    for (const char* name : kPlanted)
        WriteFileBytes(folder + "\\" + name, canary);
}

// The canaries of folder some process loaded, one blank after each.
std::string LoadedCanaries(const std::string& folder)
{
    std::string loaded;
    for (const char* name : kPlanted)
        if (FileExists(folder + "\\" + name + ".loaded") && DeleteFileA((folder + "\\" + name + ".loaded").c_str()))
            loaded += std::string(name) + " ";
    return loaded;
}

// Wine prefers a native DLL of those names, found beside the program, to its own, for
// the programs of these names while the object lives. (The registry, not
// WINEDLLOVERRIDES: Wine reads that from the Unix environment of its first process.)
class TPreferPlanted
{
public:
    TPreferPlanted()
    {
        for (const char* program : kPrograms)
        {
            HKEY key;
            if (RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + program + "\\DllOverrides").c_str(), 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
                continue;
            for (const char* name : kPlanted)
                for (std::string module : {std::string(name), std::string(name).substr(0, std::string(name).find('.'))})
                    RegSetValueExA(key, module.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
            RegCloseKey(key);
        }
    }
    ~TPreferPlanted()
    {
        for (const char* program : kPrograms)
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kAppDefaults) + program).c_str());
    }
    TPreferPlanted(const TPreferPlanted&) = delete;
    TPreferPlanted& operator=(const TPreferPlanted&) = delete;

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\";
    static constexpr const char* kPrograms[] = {"probe.exe", "Setup.exe", "uninstall.exe", "uninst.exe"};
};

} // namespace

TEST_F(Silent, NoDllIsLoadedFromTheFolderOfTheSetupOrTheUninstaller)
{
    std::string downloads = FRoot + "\\downloads", setup = downloads + "\\Setup.exe", target = FPlace + "\\App";
    ASSERT_TRUE(ForceDirectories(downloads));
    PlantCanaries(downloads);
    ASSERT_TRUE(CopyFileA(FSetup.c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Bin("kfcanaryprobe.exe").c_str(), (downloads + "\\probe.exe").c_str(), FALSE));
    TPreferPlanted prefer;
    std::string window;
    // The control: loaded by its bare name, the planted DLL wins.
    EXPECT_EQ(RunWatched("\"" + downloads + "\\probe.exe\" uxtheme.dll", FTemp, window, downloads), 0);
    EXPECT_EQ(LoadedCanaries(downloads), "uxtheme.dll ");

    {
        TProcess wizard;
        ASSERT_TRUE(StartWithTemp("\"" + setup + "\"", FTemp, wizard, downloads));
        EXPECT_TRUE(kfdriver::WaitForTopWindow(FTitle, 30000, false, "KitforgeSetupWizard"));
        wizard.Kill();
    }
    EXPECT_EQ(LoadedCanaries(downloads), "") << "interactive setup";
    EXPECT_EQ(RunWatched("\"" + setup + "\" /S /D=" + target, FTemp, window, downloads), 0);
    EXPECT_EQ(LoadedCanaries(downloads), "") << "silent setup";

    PlantCanaries(target);
    std::string uninstaller = "\"" + target + "\\uninstall.exe\"";
    {
        TProcess first;
        ASSERT_TRUE(StartWithTemp(uninstaller, FTemp, first, target));
        EXPECT_EQ(first.WaitForExit(30000), 0);
        HWND dialog = kfdriver::WaitForTopWindow("Uninstall " + FTitle, 30000);
        EXPECT_TRUE(dialog);
        TProcess copy;
        if (dialog)
            copy.AttachToWindow(dialog);
    }
    EXPECT_EQ(LoadedCanaries(target), "") << "interactive uninstaller";
    RunWatched(uninstaller + " /S", FTemp, window, target);
    EXPECT_EQ(LoadedCanaries(target), "") << "silent uninstaller";
    EXPECT_FALSE(FileExists(target + "\\demo.exe"));
}

namespace {

// The files left in the private folders below temp ("kf-" and 16 hex digits), as
// "folder\\name" lines.
std::string PrivateFolderFiles(const std::string& temp)
{
    std::string found;
    WIN32_FIND_DATAA folder, file;
    HANDLE folders = FindFirstFileA((temp + "\\kf-*").c_str(), &folder);
    if (folders == INVALID_HANDLE_VALUE)
        return found;
    do
    {
        if (!(folder.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPrivateFolderName(folder.cFileName))
            continue;
        HANDLE files = FindFirstFileA((temp + "\\" + folder.cFileName + "\\*").c_str(), &file);
        if (files == INVALID_HANDLE_VALUE)
            continue;
        do
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                found += std::string(folder.cFileName) + "\\" + file.cFileName + "\n";
        while (FindNextFileA(files, &file));
        FindClose(files);
    } while (FindNextFileA(folders, &folder));
    FindClose(folders);
    return found;
}

size_t Copies(const std::string& files)
{
    size_t count = 0;
    for (size_t at = files.find("\\uninst.exe\n"); at != std::string::npos; at = files.find("\\uninst.exe\n", at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(Silent, AProgramPlantedAtTheOldTemporaryCopyIsNeverStarted)
{
    std::string target = FPlace + "\\App", planted = FTemp + "\\uninst.exe", log = FRoot + "\\planted.log";
    std::string before = PrivateFolderFiles(FTemp);
    for (const char* variant : {"plain", "held open", "read-only"})
    {
        SCOPED_TRACE(variant);
        std::string window;
        ASSERT_EQ(RunWatched("\"" + FSetup + "\" /S /D=" + target, FTemp, window), 0);
        ASSERT_TRUE(CopyFileA(Bin("kfcanaryprobe.exe").c_str(), planted.c_str(), FALSE));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (std::string(variant) == "held open")
            held = CreateFileA(planted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (std::string(variant) == "read-only")
            SetFileAttributesA(planted.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + log, FTemp, window, target), 0)
            << ReadFileBytes(log);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        SetFileAttributesA(planted.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_FALSE(FileExists(planted + ".started"));
        EXPECT_EQ(ReadFileBytes(planted), ReadFileBytes(Bin("kfcanaryprobe.exe")));
        ExpectNothingInstalled();
        // The copy is gone with its folder; at most the parked first run waits for the restart.
        std::string left = PrivateFolderFiles(FTemp);
        EXPECT_EQ(Copies(left), Copies(before)) << left;
        DeleteFileA(planted.c_str());
        DeleteFileA((planted + ".started").c_str());
    }
}

namespace {

// A REG_MULTI_SZ of HKLM, its strings joined by "|".
std::string MultiString(const std::string& key, const std::string& name)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "";
    DWORD size = 0, type = 0;
    std::string data;
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0)
    {
        data.resize(size);
        if (RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
            ERROR_SUCCESS)
            data.clear();
        data.resize(size);
    }
    RegCloseKey(handle);
    for (char& c : data)
        if (c == '\0')
            c = '|';
    return data;
}

const char* const kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kRestartPlace = "C:\\Kitforge Restart Test";

} // namespace

// e2e/uninstall_restart.sh runs this twice, around `wineboot -r`: KF_E2E_RESTART=before
// holds a file open through a silent uninstall, =after looks at the machine after the
// restart.
TEST_F(Silent, FileInUseGoesAtTheNextRestart)
{
    const char* phase = getenv("KF_E2E_RESTART");
    if (!phase)
        GTEST_SKIP() << "needs a restart in between (e2e/uninstall_restart.sh)";
    std::string place = kRestartPlace, target = place + "\\App", held = target + "\\docs\\guide.txt";
    if (std::string(phase) == "after")
    {
        EXPECT_FALSE(DirectoryExists(place));
        EXPECT_EQ(MultiString(kSessionManager, "PendingFileRenameOperations").find("Kitforge Restart Test"),
                  std::string::npos);
        return;
    }
    kftest::RemoveTree(place);
    std::string window;
    ASSERT_EQ(RunWatched("\"" + FSetup + "\" /S /D=" + target, FTemp, window), 0);
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string removal = FRoot + "\\restart.log";
    EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + removal, FTemp, window, target), 3010)
        << ReadFileBytes(removal);
    CloseHandle(file);
    std::string report = ReadFileBytes(removal);
    EXPECT_NE(report.find("Cannot remove file: \"" + held + "\""), std::string::npos) << report;
    EXPECT_NE(report.find("will be removed when Windows restarts"), std::string::npos) << report;
    EXPECT_EQ(window, "");
    EXPECT_FALSE(FileExists(target + "\\demo.exe"));
    EXPECT_TRUE(FileExists(held));
    EXPECT_EQ(Value(std::string(kUninstallKeyPath) + FTitle, "DisplayName"), "<no key>");
    // The file before its folders, the folders deepest first.
    std::string pending = MultiString(kSessionManager, "PendingFileRenameOperations");
    size_t fileAt = pending.find(held + "|"), docsAt = pending.find(target + "\\docs\\|"),
           appAt = pending.find(target + "|"), placeAt = pending.find(place + "|");
    ASSERT_NE(fileAt, std::string::npos) << pending;
    ASSERT_NE(docsAt, std::string::npos) << pending;
    ASSERT_NE(appAt, std::string::npos) << pending;
    ASSERT_NE(placeAt, std::string::npos) << pending;
    EXPECT_LT(fileAt, docsAt);
    EXPECT_LT(docsAt, appAt);
    EXPECT_LT(appAt, placeAt);
}

// e2e/install_on_share.sh makes a share for this (KF_E2E_SHARE, \\server\share): an
// installation there stays there, and its free space is the share's.
TEST_F(Silent, InstallOnANetworkShare)
{
    const char* share = getenv("KF_E2E_SHARE");
    if (!share)
        GTEST_SKIP() << "no share (e2e/install_on_share.sh)";
    std::string target = std::string(share) + "\\Apps\\Demo " + std::to_string(GetCurrentProcessId());
    std::string log = FRoot + "\\share.log", window;
    ASSERT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + target, FTemp, window), 0)
        << ReadFileBytes(log);
    for (const auto& [name, bytes] : FFiles)
        EXPECT_EQ(ReadFileBytes(target + "\\" + name), bytes) << name;
    EXPECT_EQ(Value(std::string(kUninstallKeyPath) + FTitle, "InstallLocation"), target);
    std::string uninstallLog = ReadFileBytes(target + "\\uninstall.log");
    EXPECT_NE(uninstallLog.find("Directory: Apps\\Demo " + std::to_string(GetCurrentProcessId()) + ";" + target),
              std::string::npos)
        << uninstallLog;
    // Nothing at the root of the current drive, where "\server\share\..." would land.
    EXPECT_FALSE(DirectoryExists(std::string("C:") + (share + 1)));
    // Wine names a program started from a share "UNC\server\..." (GetModuleFileNameA), a
    // path its start-up copy cannot find; Windows gives "\\server\...". So start the
    // removal as the start-up copy does.
    std::string copy = FTemp + "\\uninst-share.exe", removal = FRoot + "\\share-removal.log";
    ASSERT_TRUE(CopyFileA((target + "\\uninstall.exe").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(RunWatched("\"" + copy + "\" \"" + target + "\\uninstall.log\" /S /LOG=" + removal, FTemp, window), 0)
        << ReadFileBytes(removal);
    EXPECT_FALSE(DirectoryExists(std::string(share) + "\\Apps"));
    EXPECT_TRUE(DirectoryExists(share));
    ExpectNothingInstalled();
}

namespace {

// Every name under folder, folders included, as relative paths.
void CollectNames(const std::string& folder, const std::string& prefix, std::vector<std::string>& names)
{
    for (const TDirEntry& entry : ListDirectory(folder))
    {
        if (entry.Name == "." || entry.Name == "..")
            continue;
        names.push_back(prefix + entry.Name);
        if (entry.Attributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectNames(folder + "\\" + entry.Name, prefix + entry.Name + "\\", names);
    }
}

FILETIME WriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

} // namespace

TEST_F(Silent, AFailedInstallationPutsBackWhatItWroteOver)
{
    std::string target = FPlace + "\\App";
    std::string mine = target + "\\Help.txt";
    std::string log = FRoot + "\\kept.log";
    std::string window;
    // The user's own file where the package writes one, and a folder where the last file
    // (uninstall.exe) must go: the copy fails after it wrote over the user's file.
    ASSERT_TRUE(ForceDirectories(target + "\\uninstall.exe"));
    WriteFileBytes(mine, "the user's own notes");
    FILETIME old = {0xEEB60000, 0x01CF461B}; // a whole second in 2014: any file system keeps it exactly
    HANDLE file = CreateFileA(mine.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);
    SetFileAttributesA(mine.c_str(), FILE_ATTRIBUTE_READONLY);
    DWORD attributes = GetFileAttributesA(mine.c_str());

    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + target, FTemp, window), 2) << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(mine), "the user's own notes");
    FILETIME time = WriteTime(mine);
    EXPECT_EQ(time.dwLowDateTime, old.dwLowDateTime);
    EXPECT_EQ(time.dwHighDateTime, old.dwHighDateTime);
    EXPECT_EQ(GetFileAttributesA(mine.c_str()), attributes);
    std::vector<std::string> names;
    CollectNames(target, "", names);
    EXPECT_THAT(names, ::testing::UnorderedElementsAre("Help.txt", "uninstall.exe")); // nothing kept aside
    EXPECT_EQ(Value(std::string(kUninstallKeyPath) + FTitle, "DisplayName"), "<no key>");

    // Completed over it: the package's file replaces it and no kept copy remains.
    ASSERT_TRUE(RemoveEmptyDirectory(target + "\\uninstall.exe"));
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + target, FTemp, window), 0) << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(mine), FFiles["Help.txt"]);
    names.clear();
    CollectNames(target, "", names);
    for (const std::string& name : names)
        EXPECT_EQ(name.find(".~kfkept"), std::string::npos) << name;
    EXPECT_EQ(window, "");
}

TEST_F(Silent, AReinstallCarriesTheEarlierEntriesSoOneUninstallRemovesBoth)
{
    // v2: the same title without demo.exe and docs\, with a file and a folder of its own.
    // Its own default location is elsewhere: an upgrade goes where v1 is registered.
    std::string id = std::to_string(GetCurrentProcessId());
    std::string stage = FRoot + "\\stage2", script = FRoot + "\\v2.kfs", setup = FRoot + "\\Setup2.exe";
    std::string elsewhere = "C:\\kf-silent-v2-" + id;
    ForceDirectories(stage + "\\app\\extra");
    WriteFileBytes(stage + "\\app\\Help.txt", "Help for version 2\r\n");
    WriteFileBytes(stage + "\\app\\new.txt", "new in version 2\r\n");
    WriteFileBytes(stage + "\\app\\extra\\more.txt", "more in version 2\r\n");
    std::string kftool = "\"" + Bin("kftool.exe") + "\"", window;
    ASSERT_EQ(RunWatched(kftool + " script set \"" + script + "\" \"TITLE=" + FTitle + "\" BASEDIR=3 DIR=" +
                             elsewhere.substr(3) + " ADDFILES=0 ADDDIR=1 ADDDIRTEXT=app INCLUDEMAINEXE=0 \"STARTMENU=" +
                             FGroup + "\"",
                         FTemp, window),
              0);
    ASSERT_EQ(RunWatched(kftool + " build -C \"" + stage + "\" \"" + script + "\" \"" + setup + "\"", FTemp, window), 0);
    struct TCleanUp
    {
        std::string Path;
        ~TCleanUp() { kftest::RemoveTree(Path); }
    } cleanUp{elsewhere};

    kfe2e::TMachineState before = kfe2e::MachineState(FRoot);
    std::string target = FPlace + "\\App", log = FRoot + "\\v1.log";
    EXPECT_EQ(RunWatched("\"" + FSetup + "\" /S /LOG=" + log + " /D=" + target, FTemp, window), 0) << ReadFileBytes(log);
    std::map<std::string, std::string> v1Files = kfe2e::FolderContents(target);
    std::map<std::string, std::string> v1Values = kfe2e::RegistrationValues(FTitle);
    ASSERT_EQ(v1Values.count("InstallLocation"), 1u);

    // A folder where v2 writes new.txt, after it wrote over the log and Help.txt: the
    // failed upgrade puts v1 back as it was, its registration untouched.
    log = FRoot + "\\v2-failed.log";
    ASSERT_TRUE(ForceDirectories(target + "\\new.txt"));
    EXPECT_EQ(RunWatched("\"" + setup + "\" /S /LOG=" + log, FTemp, window), 2) << ReadFileBytes(log);
    std::string failed = ReadFileBytes(log);
    size_t overwritten = failed.find("Extracting Help.txt"), blocked = failed.find("Extracting new.txt");
    EXPECT_NE(blocked, std::string::npos) << failed;
    EXPECT_LT(overwritten, blocked) << failed;
    ASSERT_TRUE(RemoveEmptyDirectory(target + "\\new.txt"));
    EXPECT_EQ(kfe2e::FolderContents(target), v1Files);
    EXPECT_EQ(kfe2e::RegistrationValues(FTitle), v1Values);

    // Without /D= it lands in v1's folder.
    log = FRoot + "\\v2.log";
    EXPECT_EQ(RunWatched("\"" + setup + "\" /S /LOG=" + log, FTemp, window), 0) << ReadFileBytes(log);
    EXPECT_FALSE(DirectoryExists(elsewhere));
    EXPECT_EQ(ReadFileBytes(target + "\\Help.txt"), "Help for version 2\r\n");
    EXPECT_EQ(ReadFileBytes(target + "\\extra\\more.txt"), "more in version 2\r\n");
    EXPECT_EQ(ReadFileBytes(target + "\\docs\\guide.txt"), FFiles["docs\\guide.txt"]);
    EXPECT_EQ(Value(std::string(kUninstallKeyPath) + FTitle, "InstallLocation"), target);
    std::string entries = ReadFileBytes(target + "\\uninstall.log");
    EXPECT_EQ(entries.find("Backup:"), std::string::npos) << entries;
    EXPECT_EQ(entries.find("File: " + target + "\\Help.txt"), entries.rfind("File: " + target + "\\Help.txt"));

    std::string removal = FRoot + "\\v2-removal.log";
    EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + removal, FTemp, window, target), 0)
        << ReadFileBytes(removal);
    ExpectNothingInstalled();
    EXPECT_FALSE(DirectoryExists(FPlace));
    kfe2e::TMachineState after = kfe2e::MachineState(FRoot);
    EXPECT_EQ(after.Files, before.Files);
    EXPECT_EQ(after.Registrations, before.Registrations);
}

namespace {

// Starts a command and ends it by force (as Task Manager or a power cut would) the
// first time ready() holds; false when the command ended by itself before that.
bool KillWhen(const std::string& commandLine, const std::string& temp, const std::function<bool()>& ready)
{
    TProcess process;
    if (!StartWithTemp(commandLine, temp, process))
        return false;
    for (int waited = 0; waited < 120000; ++waited)
    {
        if (ready())
        {
            TerminateProcess(process.Handle(), 9);
            return process.WaitForExit(30000) == 9;
        }
        if (WaitForSingleObject(process.Handle(), 1) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

// The first bytes of a file as they are now; "" when it cannot be read (the setup may be
// moving it). Opened sharing deletion: an open that does not would make the setup's
// rename of the file, as it keeps v1's copy aside, fail with a sharing violation, and
// the setup end by itself before the kill.
std::string Peek(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    char buffer[256];
    DWORD got = 0;
    std::string bytes;
    if (ReadFile(file, buffer, sizeof(buffer), &got, nullptr))
        bytes.assign(buffer, got);
    CloseHandle(file);
    return bytes;
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// Killed among many small files, and again inside a large one, a setup run once more
// completes; nothing kept aside stays, and the uninstall leaves the machine as it was
// before the first run: for a first installation, and for an upgrade over v1, whose
// entries the killed runs must not lose.
TEST_F(Silent, AKilledSetupRunAgainCompletesAndTheUninstallLeavesNoTrace)
{
    const int64_t big = int64_t(200) << 20;
    std::string kftool = "\"" + Bin("kftool.exe") + "\"", window;
    std::map<std::string, std::string> setups;
    for (int version : {1, 2})
    {
        std::string name = "v" + std::to_string(version), stage = FRoot + "\\kill-" + name;
        ForceDirectories(stage + "\\app\\many");
        for (int i = 0; i < 100 * (version + 1); ++i)
            WriteFileBytes(stage + "\\app\\many\\f" + std::to_string(1000 + i) + ".txt",
                           name + " file " + std::to_string(i) + "\r\n");
        WriteFileBytes(stage + "\\app\\Help.txt", "Help for " + name + "\r\n");
        if (version == 1)
            WriteFileBytes(stage + "\\app\\only-v1.txt", "gone in v2\r\n");
        else
            kftest::MakeSparseFile(stage + "\\app\\zz.bin", big);
        std::string script = FRoot + "\\kill-" + name + ".kfs";
        setups[name] = FRoot + "\\Kill-" + name + ".exe";
        ASSERT_EQ(RunWatched(kftool + " script set \"" + script + "\" \"TITLE=" + FTitle + "\" BASEDIR=3 DIR=k " +
                                 "ADDFILES=0 ADDDIR=1 ADDDIRTEXT=app INCLUDEMAINEXE=0 \"STARTMENU=" + FGroup + "\"",
                             FTemp, window),
                  0);
        ASSERT_EQ(RunWatched(kftool + " build -C \"" + stage + "\" \"" + script + "\" \"" + setups[name] + "\"", FTemp,
                             window),
                  0);
    }
    std::string target = FPlace + "\\App", bigFile = target + "\\zz.bin";
    std::string v2 = "\"" + setups["v2"] + "\" /S /D=" + target;

    for (bool upgrade : {false, true})
    {
        SCOPED_TRACE(upgrade ? "upgrade over v1" : "first installation");
        kfe2e::TMachineState before = kfe2e::MachineState(FRoot);
        if (upgrade)
            ASSERT_EQ(RunWatched("\"" + setups["v1"] + "\" /S /D=" + target, FTemp, window), 0);
        // Some way into the small files: v2 wrote the 101st.
        std::string marker = target + "\\many\\f1100.txt";
        ASSERT_TRUE(KillWhen(v2, FTemp, [&]() { return Peek(marker) == "v2 file 100\r\n"; }));
        // Run again, and killed inside the large file.
        ASSERT_TRUE(KillWhen(v2, FTemp, [&]() {
            int64_t size = FileSizeAt(bigFile);
            return size > 0 && size < big;
        }));
        ASSERT_EQ(RunWatched(v2, FTemp, window), 0);
        EXPECT_EQ(ReadFileBytes(target + "\\Help.txt"), "Help for v2\r\n");
        EXPECT_EQ(FileSizeAt(bigFile), big);
        std::vector<std::string> names;
        CollectNames(target, "", names);
        for (const std::string& name : names)
            EXPECT_EQ(name.find(".~kf"), std::string::npos) << name;
        std::string log = ReadFileBytes(target + "\\uninstall.log");
        EXPECT_EQ(log.find("Backup:"), std::string::npos) << log;
        EXPECT_EQ(Occurrences(log, "\r\nFile: " + target + "\\Help.txt\r\n"), 1u) << log;
        EXPECT_EQ(Occurrences(log, "only-v1.txt"), upgrade ? 1u : 0u) << log;

        EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S", FTemp, window, target), 0);
        kfe2e::TMachineState after = kfe2e::MachineState(FRoot);
        EXPECT_EQ(after.Files, before.Files);
        EXPECT_EQ(after.Registrations, before.Registrations);
    }
}

namespace {

// True when an ACE that applies to the object lets Everyone, Users, Authenticated Users
// or Interactive users write to it, add to it, delete it or change its permissions: the
// folder's security read back through a handle, as GetSecurityInfo gives it.
bool WritableByOthers(const std::string& path)
{
    HANDLE folder = CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return true;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD got = GetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                &descriptor);
    CloseHandle(folder);
    if (got != ERROR_SUCCESS || !dacl)
        return true;
    bool writable = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
            (ace->Header.AceFlags & INHERIT_ONLY_ACE))
            continue;
        PSID sid = &ace->SidStart;
        bool others = IsWellKnownSid(sid, WinWorldSid) || IsWellKnownSid(sid, WinBuiltinUsersSid) ||
                      IsWellKnownSid(sid, WinAuthenticatedUserSid) || IsWellKnownSid(sid, WinInteractiveSid);
        if (others && (ace->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                    WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL)))
            writable = true;
    }
    LocalFree(descriptor);
    return writable;
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

// Wine keeps no ACL of its own: it reads a file's permissions from its Unix mode. Run by
// tests/e2e/removal_scope.sh with umask 0, a folder made under C:\ is writable by
// everyone, as one made under C:\ on Windows is by Authenticated Users.
TEST_F(Silent, TheFolderItMakesUnderCIsProtected)
{
    std::string probe = FPlace + " probe";
    ASSERT_TRUE(ForceDirectories(probe));
    bool open = WritableByOthers(probe);
    RemoveEmptyDirectory(probe);
    if (!open)
        GTEST_SKIP() << "a new folder under C:\\ is not writable by others here: nothing to protect";
    std::string target = FPlace + "\\App", log = FRoot + "\\acl.log", window;
    ASSERT_EQ(RunWatched("\"" + FSetup + "\" /S \"/LOG=" + log + "\" /D=" + target, FTemp, window), 0)
        << ReadFileBytes(log);
    EXPECT_FALSE(WritableByOthers(FPlace));
    std::string removal = FRoot + "\\acl-removal.log";
    EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + removal, FTemp, window, target), 0)
        << ReadFileBytes(removal);
    EXPECT_FALSE(DirectoryExists(FPlace));
}

// The log edited after the installation: a file in C:\Windows, a service's key and, run
// by tests/e2e/removal_scope.sh, a link in place of the installed "docs" folder that
// points at a folder with a file of the same name. Wine 8 makes no links itself (and
// renames a link's target, not the link): the script runs this test twice, with
// KF_E2E_PHASE "install" and then "remove", and puts the link in place in between.
TEST_F(Silent, AnEditedLogTouchesNothingOutsideTheInstallation)
{
    std::string phase = Environment("KF_E2E_PHASE");
    std::string id = phase.empty() ? std::to_string(GetCurrentProcessId()) : Environment("KF_E2E_ID");
    std::string place = phase.empty() ? FPlace : Environment("KF_E2E_PLACE");
    std::string target = place + "\\App", log = FRoot + "\\edited.log", window;
    std::string victim = GetWindowsDir() + "\\kf-victim-" + id + ".txt";
    std::string service = "SYSTEM\\CurrentControlSet\\Services\\KfVictim" + id;
    HKEY key;
    if (phase != "remove")
    {
        ASSERT_EQ(RunWatched("\"" + FSetup + "\" /S \"/LOG=" + log + "\" /D=" + target, FTemp, window), 0)
            << ReadFileBytes(log);
        WriteFileBytes(victim, "Windows' own");
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, service.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        std::string uninstallLog = ReadFileBytes(target + "\\uninstall.log");
        WriteFileBytes(target + "\\uninstall.log",
                       uninstallLog + "File: " + victim + "\r\nRegistry Key: HKLM\\" + service + "\r\n");
        if (phase == "install")
            return; // the script swaps "docs" for a link
    }
    bool linked = phase == "remove";
    if (linked)
    {
        ASSERT_TRUE(GetFileAttributesA((target + "\\docs").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    std::string removal = FRoot + "\\edited-removal.log";
    EXPECT_EQ(RunWatched("\"" + target + "\\uninstall.exe\" /S /LOG=" + removal, FTemp, window, target), 2);
    std::string report = ReadFileBytes(removal);
    EXPECT_EQ(ReadFileBytes(victim), "Windows' own");
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, service.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_NE(report.find("Not part of the installation, left alone: \"" + victim + "\""), std::string::npos) << report;
    EXPECT_NE(report.find("Not the installation's registry key, left alone: \"HKLM\\" + service + "\""),
              std::string::npos)
        << report;
    EXPECT_FALSE(FileExists(target + "\\demo.exe")); // the installation's own files went
    if (linked)
    {
        EXPECT_EQ(ReadFileBytes(Environment("KF_E2E_LINK_TARGET") + "\\guide.txt"), "not the installation's");
        EXPECT_NE(report.find("Reached through a link, left alone: \"" + target + "\\docs\\guide.txt\""),
                  std::string::npos)
            << report;
    }
    DeleteFileA(victim.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, service.c_str());
}
