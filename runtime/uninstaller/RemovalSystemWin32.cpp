#include "runtime/uninstaller/RemovalSystemWin32.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <windows.h>

namespace kf {
namespace uninstall {

void TWin32RemovalSystem::Delete(const std::string& path)
{
    if (DeleteFileA(path.c_str()))
        return;
    uint32_t error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && !FLauncher.empty() && lstrcmpiA(path.c_str(), FLauncher.c_str()) == 0 &&
        MoveFileExA(path.c_str(), FParking.c_str(), MOVEFILE_REPLACE_EXISTING))
        return;
    throw TIOError(static_cast<int32_t>(error));
}

static_assert(kNoAttributes == INVALID_FILE_ATTRIBUTES && kAttrReadOnly == FILE_ATTRIBUTE_READONLY &&
                  kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY,
              "the portable attribute bits are the system's");

uint32_t TWin32RemovalSystem::AttributesAt(const std::string& path) { return GetFileAttributesA(path.c_str()); }


bool TWin32RemovalSystem::IsRunningImage(const std::string& path)
{
    // Opening for deletion is what permissions decide; a running image passes it and is
    // refused only at the deletion itself.
    HANDLE file = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}


bool TWin32RemovalSystem::IsReparsePointAt(const std::string& path)
{
    // GetFileAttributesA reports the link itself, never what it points to.
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

uint32_t TWin32RemovalSystem::DeleteRegistryKeyAt(TRegRoot root, const std::string& key)
{
    return DeleteRegistryTree(root, key);
}


std::string TWin32RemovalSystem::ErrorMessage(uint32_t code) { return SystemErrorMessage(code); }

void TWin32RemovalSystem::UnregisterUninstall(const std::string& keyName) { kf::UnregisterUninstall(keyName); }

TRemovalRoots ReadRemovalRoots(const std::string& logPath)
{
    char buffer[MAX_PATH * 2];
    DWORD length = GetFullPathNameA(logPath.c_str(), sizeof(buffer), buffer, nullptr);
    TRemovalRoots roots;
    if (length > 0 && length < sizeof(buffer))
        roots.InstallDir = DirectoryPart(std::string(buffer, length));
    // HKEY_LOCAL_MACHINE's "Shell Folders" only: the current user's values are theirs.
    static const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    roots.Programs = ReadRegistryString(TRegRoot::LocalMachine, kShellFolders, "Common Programs");
    roots.Desktop = ReadRegistryString(TRegRoot::LocalMachine, kShellFolders, "Common Desktop");
    return roots;
}

} // namespace uninstall
} // namespace kf
