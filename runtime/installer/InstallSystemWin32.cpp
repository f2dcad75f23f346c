#include "runtime/installer/InstallSystemWin32.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "runtime/common/FolderSecurity.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"
#include "runtime/installer/RunAndWaitUnit.h"
#include "win32ui/ShellLaunch.h"

#include <windows.h>
#include <shellapi.h>

namespace kf {
namespace installer {

bool TWin32InstallSystem::DirectoryExists(const std::string& path) { return kf::DirectoryExists(path); }
bool TWin32InstallSystem::IsReparsePointAt(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str()); // the link's own, not its target's
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
bool TWin32InstallSystem::IsProtectedFolder(const std::string& path) { return kf::IsProtectedFolder(path); }
bool TWin32InstallSystem::ProtectFolder(const std::string& path) { return kf::ProtectFolder(path); }
static_assert(kAttrReadOnly == FILE_ATTRIBUTE_READONLY && kAttrHidden == FILE_ATTRIBUTE_HIDDEN &&
                  kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY && kAttrNormal == FILE_ATTRIBUTE_NORMAL &&
                  kNoFile == INVALID_FILE_ATTRIBUTES,
              "the portable attribute bits are the system's");

uint32_t TWin32InstallSystem::AttributesAt(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool TWin32InstallSystem::ReadFileAt(const std::string& path, std::string& bytes)
{
    try
    {
        bytes = ReadWholeFile(path);
        return true;
    }
    catch (const TError&)
    {
        return false;
    }
}

std::string TWin32InstallSystem::GroupDir(const std::string& group) { return GetGroupDir(group, 0); }
std::string TWin32InstallSystem::CommonDesktopDir() { return GetDesktopDir(0); }

std::string TWin32InstallSystem::CreateShortcut(const std::string& linkBase, const std::string& target,
                                                const std::string& workingDirectory)
{
    return kf::CreateShortcut(linkBase, target, workingDirectory, std::string(), SW_SHOWNORMAL);
}

void TWin32InstallSystem::RegisterUninstall(const std::string& keyName, const TRegistration& registration)
{
    TRegistration dated = registration;
    SYSTEMTIME now;
    GetLocalTime(&now);
    dated.Date = InstallDateText(now.wYear, now.wMonth, now.wDay);
    kf::RegisterUninstall(keyName, UninstallRegistrationValues(dated));
}

int32_t TWin32InstallSystem::RunAndWait(const std::string& commandLine) { return kf::RunAndWait(commandLine); }

// As the signed-in user, not with the setup's administrator token.
void TWin32InstallSystem::Launch(const std::string& file, const std::string& directory)
{
    ui::OpenForUser(file, directory);
}

TBaseDirectories ReadBaseDirectories(const std::string& title)
{
    TBaseDirectories dirs;
    dirs.ProgramFiles = GetProgramFilesDir();
    dirs.Windows = GetWindowsDir();
    dirs.Desktop = GetDesktopDir(1);
    dirs.Fonts = GetFontsDir();
    std::string key = UninstallKeyPath(title);
    if (!key.empty())
        dirs.Registered = ReadRegistryString(TRegRoot::LocalMachine, key, "InstallLocation");
    return dirs;
}

int64_t TWin32InstallSystem::FreeSpace(const std::string& root)
{
    ULARGE_INTEGER available;
    BOOL ok = GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, nullptr, nullptr);
    return ok ? static_cast<int64_t>(available.QuadPart) : -1;
}

} // namespace installer
} // namespace kf
