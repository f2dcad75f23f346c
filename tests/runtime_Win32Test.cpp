// The Windows side of the runtime helpers, run under Wine: registry reads and the
// uninstall registration (against private stand-ins for HKLM and HKCU), shortcut
// files through the shell link object, RunAndWait, and the uninstaller stub's
// resources and size.
#include "runtime/common/FolderSecurity.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "win32ui/Com.h"
#include "runtime/installer/RunAndWaitUnit.h"
#include "runtime/uninstaller/RemovalSystemWin32.h"
#include "win32ui/PrivateFolder.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

using namespace kf;
using namespace kf::ui;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using ::testing::HasSubstr;

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string PrivateKeyPath()
{
    return "Software\\Kitforge Tests\\runtime_win32_" + std::to_string(GetCurrentProcessId());
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    TRegKey handle;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(handle.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const std::string& key)
{
    TRegKey handle;
    return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, handle.Receive()) == ERROR_SUCCESS;
}

std::string RawString(HKEY root, const std::string& key, const char* name)
{
    char buffer[1024] = {};
    DWORD size = sizeof(buffer) - 1;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<missing>";
    return buffer;
}

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER redirected, for this process only, to two
// empty keys, so the tests neither see nor change the prefix's real folders and
// registrations (other test programs may run meanwhile).
class PrivateRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FBase = PrivateKeyPath();
        RegDeleteTreeA(HKEY_CURRENT_USER, FBase.c_str());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (FBase + "\\HKLM").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, FMachine.Receive(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (FBase + "\\HKCU").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, FUser.Receive(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, FMachine.Get()), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, FUser.Get()), ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        FMachine.Reset();
        FUser.Reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, FBase.c_str());
    }

    std::string FBase;
    TRegKey FMachine, FUser;
};

} // namespace

TEST_F(PrivateRegistry, MissingKeysValuesAndOtherTypesReadEmpty)
{
    EXPECT_EQ(GetProgramFilesDir(), "");
    EXPECT_EQ(GetProgramsDir(0), "");
    EXPECT_EQ(GetProgramsDir(1), "");
    EXPECT_EQ(GetDesktopDir(0), "");
    EXPECT_EQ(GetFontsDir(), "");
    EXPECT_EQ(ReadRegistryString(TRegRoot::CurrentUser, "Software\\Nowhere", "x"), "");

    SetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Desk");
    EXPECT_EQ(ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Missing"), "");
    TRegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, key.Receive()), ERROR_SUCCESS);
    DWORD number = 7;
    RegSetValueExA(key.Get(), "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    EXPECT_EQ(ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Number"), "");
    // Data stored without its terminating NUL still reads correctly.
    RegSetValueExA(key.Get(), "Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\abc"), 6);
    EXPECT_EQ(ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Unterminated"), "C:\\abc");
}

TEST_F(PrivateRegistry, SpecialFoldersComeFromTheirRoots)
{
    SetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
              "C:\\Program Files");
    SetString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", "C:\\Users\\Public\\Desktop");
    SetString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", "C:\\ProgramData\\Programs");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Users\\ann\\Desktop");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Programs", "C:\\Users\\ann\\Programs");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Fonts", "C:\\Windows\\Fonts");
    EXPECT_EQ(GetProgramFilesDir(), "C:\\Program Files");
    EXPECT_EQ(GetDesktopDir(0), "C:\\Users\\Public\\Desktop");
    EXPECT_EQ(GetDesktopDir(1), "C:\\Users\\ann\\Desktop");
    EXPECT_EQ(GetDesktopDir(2), "");
    EXPECT_EQ(GetDesktopDir(-1), "");
    EXPECT_EQ(GetProgramsDir(0), "C:\\ProgramData\\Programs");
    EXPECT_EQ(GetProgramsDir(1), "C:\\Users\\ann\\Programs");
    EXPECT_EQ(GetProgramsDir(2), "");
    EXPECT_EQ(GetFontsDir(), "C:\\Windows\\Fonts");
}

TEST_F(PrivateRegistry, AllUsersProgramsFallBackButTheDesktopDoesNot)
{
    SetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Users\\ann\\Desktop");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Programs", "C:\\Users\\ann\\Programs");
    EXPECT_EQ(GetProgramsDir(0), "C:\\Users\\ann\\Programs");
    EXPECT_EQ(GetDesktopDir(0), "");
    // An all-users value that is present but empty falls back too.
    SetString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", "");
    EXPECT_EQ(GetProgramsDir(0), "C:\\Users\\ann\\Programs");
}

TEST_F(PrivateRegistry, GroupDirIsCreatedOneLevelDeep)
{
    TTempDir dir;
    SetString(HKEY_CURRENT_USER, kShellFolders, "Programs", dir.Path());
    std::string group = GetGroupDir("Demo Tool", 0);
    EXPECT_EQ(group, dir.Path() + "\\Demo Tool");
    EXPECT_TRUE(DirectoryExists(group));
    EXPECT_EQ(GetGroupDir("Demo Tool", 1), group); // already there: no error
    // Two missing levels cannot be made in one step; the path comes back regardless.
    std::string deep = GetGroupDir("Vendor\\Demo", 1);
    EXPECT_EQ(deep, dir.Path() + "\\Vendor\\Demo");
    EXPECT_FALSE(DirectoryExists(deep));
}

TEST_F(PrivateRegistry, RegistrationIsWrittenAndRemovedWithSubkeys)
{
    std::string key = std::string(kUninstallKeyPath) + "Demo Tool";
    // The installer has the title as the description spells it; the uninstaller's log
    // reader trims it. Both name the one key.
    RegisterUninstall(" Demo Tool\t", "Demo Tool (remove only)", "C:\\Apps\\Demo Tool\\uninstall.exe");
    EXPECT_EQ(RawString(HKEY_LOCAL_MACHINE, key, "DisplayName"), "Demo Tool (remove only)");
    EXPECT_EQ(RawString(HKEY_LOCAL_MACHINE, key, "UninstallString"), "C:\\Apps\\Demo Tool\\uninstall.exe");
    SetString(HKEY_LOCAL_MACHINE, key + "\\Extra\\Deeper", "x", "y");
    SetString(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + "Other", "DisplayName", "Other");

    UnregisterUninstall("Demo Tool");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_EQ(RawString(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + "Other", "DisplayName"), "Other");
    UnregisterUninstall("Demo Tool"); // gone already: ignored
    UnregisterUninstall("Never Registered");
}

TEST_F(PrivateRegistry, EmptyKeyNameNeverTouchesTheUninstallKey)
{
    SetString(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + "Other", "DisplayName", "Other");
    for (const char* name : {"", "\\", "\\\\", "  "})
    {
        UnregisterUninstall(name);
        EXPECT_EQ(RawString(HKEY_LOCAL_MACHINE, std::string(kUninstallKeyPath) + "Other", "DisplayName"), "Other")
            << "'" << name << "'";
        RegisterUninstall(name, "Nameless", "C:\\x\\uninstall.exe");
        EXPECT_EQ(RawString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, "DisplayName"), "<missing>");
    }
}

TEST_F(PrivateRegistry, TreeDeletionRefusesToWipeARoot)
{
    SetString(HKEY_CURRENT_USER, "Software\\Demo\\Settings", "a", "1");
    SetString(HKEY_CURRENT_USER, "Software\\Keep", "b", "2");
    EXPECT_EQ(DeleteRegistryTree(TRegRoot::CurrentUser, ""), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(DeleteRegistryTree(TRegRoot::CurrentUser, "\\"), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Demo\\Settings"));

    EXPECT_EQ(DeleteRegistryTree(TRegRoot::CurrentUser, "Software\\Demo"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Demo"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Keep"));
    EXPECT_NE(DeleteRegistryTree(TRegRoot::CurrentUser, "Software\\Demo"), 0u);
}

TEST(PrivateFolder, OnlyTheUserSystemAndAdministratorsGetInAndTheCopyIsNewAndHeld)
{
    TTempDir temp;
    std::string parent = temp.Path() + "\\";
    TPrivateFolder folder, other;
    ASSERT_TRUE(folder.Create(parent));
    ASSERT_TRUE(other.Create(parent));
    EXPECT_NE(folder.Path(), other.Path());
    std::string name = folder.Path().substr(parent.size(), folder.Path().size() - parent.size() - 1);
    EXPECT_TRUE(IsPrivateFolderName(name)) << name;

    // Read back: a protected DACL with exactly SYSTEM, Administrators and the user.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(folder.Path().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, &dacl, nullptr, &descriptor),
              ERROR_SUCCESS);
    char* sddl = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                     DACL_SECURITY_INFORMATION, &sddl, nullptr));
    std::string text = sddl;
    LocalFree(sddl);
    LocalFree(descriptor);
    // (Wine keeps no DACL of its own for a file: it shows the Unix mode the DACL gave,
    // the owner's and SYSTEM's entries, and Everyone's for a folder made without one.)
    EXPECT_THAT(text, HasSubstr(";;;SY)"));
    for (const char* stranger : {";;;WD)", ";;;AU)", ";;;BU)"})
        EXPECT_EQ(text.find(stranger), std::string::npos) << text;

    // The copy: a new file only, and nobody writes it while it is held.
    std::string source = temp.Path() + "\\source.bin";
    kftest::WriteFileBytes(source, "the program");
    {
        TFileHandle held = folder.WriteCopy(source, "copy.exe");
        ASSERT_TRUE(held.Valid());
        EXPECT_EQ(ReadFileBytes(folder.Path() + "copy.exe"), "the program");
        TFileHandle writer(CreateFileA((folder.Path() + "copy.exe").c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
        EXPECT_FALSE(writer.Valid());
        EXPECT_FALSE(MoveFileA((folder.Path() + "copy.exe").c_str(), (folder.Path() + "moved.exe").c_str()));
        EXPECT_FALSE(folder.WriteCopy(source, "copy.exe").Valid());
    }
    TPrivateFolder::Remove(folder.Path());
    EXPECT_EQ(GetFileAttributesA(folder.Path().c_str()), INVALID_FILE_ATTRIBUTES);
    TPrivateFolder::Remove(other.Path());
}

TEST(ShellFolders, PrefixFoldersAreFound)
{
    // The real prefix: the installer relies on these being there.
    EXPECT_NE(GetProgramsDir(0), "");
    EXPECT_NE(GetProgramFilesDir(), "");
    std::string windows = GetWindowsDir();
    EXPECT_TRUE(DirectoryExists(windows)) << windows;
}

TEST(Shortcuts, LinkLoadsBackWithTargetAndWorkingDirectory)
{
    TTempDir dir;
    std::string target = dir / "demo.exe";
    kftest::WriteFileBytes(target, "MZ");
    std::string created = CreateShortcut(dir / "Demo Tool", target, dir.Path() + "\\", "Starts the demo", SW_SHOWMINNOACTIVE);
    ASSERT_EQ(created, dir / "Demo Tool.LNK");
    ASSERT_TRUE(FileExists(created));

    TComApartment com;
    TComPtr<IShellLinkA> link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           link.ReceiveVoid())));
    TComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())));
    std::wstring wide(created.begin(), created.end());
    ASSERT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
    char buffer[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)));
    EXPECT_STRCASEEQ(buffer, target.c_str());
    ASSERT_TRUE(SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH)));
    EXPECT_STRCASEEQ(buffer, (dir.Path() + "\\").c_str());
    ASSERT_TRUE(SUCCEEDED(link->GetDescription(buffer, MAX_PATH)));
    EXPECT_STREQ(buffer, "Starts the demo");
    // The show command sits in the link header at offset 60 (Wine's Load does not
    // hand it back through GetShowCmd, so read the file).
    std::string bytes = ReadFileBytes(created);
    ASSERT_GE(bytes.size(), 64u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x4c\0\0\0", 4));
    EXPECT_EQ(static_cast<unsigned char>(bytes[60]), SW_SHOWMINNOACTIVE);
    EXPECT_EQ(bytes.substr(61, 3), std::string(3, '\0'));
}

TEST(Shortcuts, WebTargetsBecomeURLFiles)
{
    TTempDir dir;
    std::string created = CreateShortcut(dir / "Home Page", "HTTPS://www.example.com/", "C:\\ignored", "x", 1);
    ASSERT_EQ(created, dir / "Home Page.URL");
    EXPECT_EQ(ReadFileBytes(created), "[InternetShortcut]\r\nURL=HTTPS://www.example.com/\r\n");
    EXPECT_FALSE(FileExists(dir / "Home Page.LNK"));
}

TEST(Shortcuts, UnwritableFolderGivesAnEmptyResult)
{
    TTempDir dir;
    std::string base = dir.Path() + "\\missing\\Demo";
    EXPECT_EQ(CreateShortcut(base, "C:\\windows\\notepad.exe", "C:\\windows", "", 1), "");
    EXPECT_EQ(CreateShortcut(base, "http://www.example.com", "", "", 1), "");
    EXPECT_FALSE(DirectoryExists(dir.Path() + "\\missing"));
}

TEST(RunAndWait, ReturnsTheExitCodeAfterTheProgramEnded)
{
    TTempDir dir;
    std::string marker = dir / "done.txt";
    EXPECT_EQ(RunAndWait("cmd.exe /c echo done> \"" + marker + "\" & exit 7"), 7);
    EXPECT_TRUE(FileExists(marker)); // the program had finished when RunAndWait returned
    EXPECT_EQ(RunAndWait("cmd.exe /c exit 0"), 0);
}

TEST(RunAndWait, ProgramThatCannotStartGives259)
{
    TTempDir dir;
    EXPECT_EQ(RunAndWait("\"" + dir.Path() + "\\no such program.exe\""), 259);
    EXPECT_EQ(RunAndWait(""), 259);
}

// The uninstaller's removal system: a read-only file the installation wrote goes without
// a report; only a program running from a file makes "access denied" wait for a restart.
TEST(RemovalSystem, ReadOnlyFileGoesAndARunningImageIsRecognised)
{
    TTempDir dir;
    std::string file = dir / "read-only.txt";
    kftest::WriteFileBytes(file, "installed");
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    uninstall::TWin32RemovalSystem system;
    uninstall::TRemovalReport report;
    uninstall::RemoveEntry("File", file, system, report);
    EXPECT_FALSE(FileExists(file));
    EXPECT_THAT(report.Lines, ::testing::IsEmpty());
    EXPECT_THAT(report.Scheduled, ::testing::IsEmpty());
    EXPECT_EQ(system.AttributesAt(file), uninstall::kNoAttributes);
    EXPECT_FALSE(system.IsRunningImage(file));
    EXPECT_TRUE(system.IsRunningImage(ModuleFileName())); // this test program
}

namespace {

std::string ProgramPath(const char* name) { return std::string(KF_BINARY_DIR) + "\\bin\\" + name; }

std::string StubPath() { return ProgramPath("uninstall.exe"); }

std::string ResourceOf(const std::string& program, const char* type, const char* name)
{
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return std::string();
    std::string bytes;
    if (HRSRC resource = FindResourceA(module, name, type))
        if (HGLOBAL data = LoadResource(module, resource))
            bytes.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, resource));
    FreeLibrary(module);
    return bytes;
}

std::string StubResource(const char* type, const char* name) { return ResourceOf(StubPath(), type, name); }

} // namespace

TEST(UninstallerStub, CarriesManifestAndVersion)
{
    std::string manifest = StubResource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_NE(manifest, "") << StubPath();
    EXPECT_THAT(manifest, HasSubstr("level=\"requireAdministrator\""));
    EXPECT_THAT(manifest, HasSubstr("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_THAT(manifest, HasSubstr("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(StubPath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(StubPath().c_str(), 0, size, info.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\OriginalFilename",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "uninstall.exe");
}

// Icon group 1 is what the shell shows for the file and what the window classes load:
// the 16 and 32 pixel pictures.
TEST(ProgramIcon, BothStubsAndTheBuilderCarryIt)
{
    for (const char* program : {"uninstall.exe", "installer.exe", "Kitforge.exe"})
    {
        std::string group = ResourceOf(ProgramPath(program), MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(1));
        ASSERT_GE(group.size(), 6u + 2 * 14) << program;
        EXPECT_EQ(static_cast<unsigned char>(group[4]), 2) << program;
        EXPECT_EQ(static_cast<unsigned char>(group[6]), 16) << program;
        EXPECT_EQ(static_cast<unsigned char>(group[6 + 14]), 32) << program;
    }
}

TEST(UninstallerStub, StaysWithinItsSizeBudget)
{
    // Every setup executable carries this stub; the budget catches a dependency that
    // sneaks in (the C++ demangler alone is 46 KB).
    int64_t size = FileSizeAt(StubPath());
    ASSERT_GT(size, 0);
    EXPECT_LE(size, 256 * 1024) << "uninstall.exe is " << size << " bytes";
}

// A folder that grants Everyone write access is no place to trust a kept log; the
// permissions ProtectFolder gives it make it one again. (Under Wine the permissions are
// the Unix mode's: Everyone's write access is the mode's "other" bits.)
TEST(FolderSecurity, WritableByEveryoneIsNotProtectedUntilProtected)
{
    TTempDir dir;
    std::string folder = dir / "open";
    ASSERT_TRUE(ForceDirectories(folder));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)(A;OICI;FA;;;SY)",
                                                                      SDDL_REVISION_1, &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    ASSERT_EQ(SetNamedSecurityInfoA(&folder[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                    nullptr),
              DWORD(ERROR_SUCCESS));
    LocalFree(descriptor);
    EXPECT_FALSE(IsProtectedFolder(folder));
    ASSERT_TRUE(ProtectFolder(folder));
    EXPECT_TRUE(IsProtectedFolder(folder));
    EXPECT_FALSE(IsProtectedFolder(dir / "missing"));
    kftest::WriteFileBytes(dir / "file", "not a folder");
    EXPECT_FALSE(IsProtectedFolder(dir / "file"));
}
