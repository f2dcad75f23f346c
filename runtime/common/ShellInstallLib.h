// Path helpers, special folders and the Windows uninstall registration, shared by the
// installer and the uninstaller.
//
// The path helpers are plain string functions (backslash paths on every host) so the
// native tests drive them. The rest talks to the Windows registry and exists only in
// the Windows build; registry reads never fail loudly: a missing key or value reads as
// the empty string, and registry writes and deletions ignore their errors.
#pragma once

#include "runtime/common/Registration.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

// path + "\" unless path is empty or already ends in "\".
std::string AddBackslash(const std::string& path);

// The top of a network path: "\\server\share" of "\\server\share\App" (no "\" after
// it); the whole path when it names no share yet ("\\server"); "" for a path that does
// not begin with "\\" and a server name.
std::string UncRoot(const std::string& path);

// Every "\\" reduced to "\", repeatedly, so no run of backslashes survives; the "\\"
// that begins a network path stays.
std::string RemoveDoubleBackslash(const std::string& path);

// The path less one trailing "\", then less its last component and the "\" before it:
// "C:\Program Files\Demo\" gives "C:\Program Files", "C:\Program Files" gives "C:".
// Empty when no other "\" is left ("Demo", "C:", "") and for the share of a network
// path ("\\server\share", whose parent is no folder). Always shorter than its input
// (or empty), so loops that climb with it end.
std::string ParentDir(const std::string& path);

// Where GetDiskFreeSpaceExA asks about a location: "X:\" for a path on drive X,
// "\\server\share\" for one on a network share, "" (the current drive) otherwise.
std::string FreeSpaceRoot(const std::string& path);

// False for a key name that would name the Uninstall key itself (empty, or nothing but
// backslashes): registering or unregistering under it must be refused.
bool IsUsableUninstallKeyName(const std::string& keyName);

// The registry key below which all registrations live (under HKEY_LOCAL_MACHINE).
constexpr const char* kUninstallKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The registration key of a title, below HKEY_LOCAL_MACHINE: kUninstallKeyPath + the
// trimmed title. One rule for the installer that registers and the uninstaller that
// unregisters (whose log reader trims the title). "" for a title that would name the
// Uninstall key itself.
std::string UninstallKeyPath(const std::string& title);

enum class TRegRoot
{
    CurrentUser,
    LocalMachine,
};

#ifdef _WIN32

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded) read with KEY_READ access;
// empty when the key or value is missing or holds another type.
std::string ReadRegistryString(TRegRoot root, const std::string& key, const std::string& value);

// Deletes root\key with all its subkeys and values. Returns 0 or the Win32 error code.
// A key that is empty or only backslashes would name the root itself and is refused
// with ERROR_INVALID_PARAMETER: a log line must never wipe a whole hive.
uint32_t DeleteRegistryTree(TRegRoot root, const std::string& key);

// "ProgramFilesDir" of HKLM\Software\Microsoft\Windows\CurrentVersion.
std::string GetProgramFilesDir();
// GetWindowsDirectoryA.
std::string GetWindowsDir();
// Scope 0: "Common Desktop" (all users, no fallback); 1: "Desktop"; otherwise empty.
std::string GetDesktopDir(int scope);
// Scope 0: "Common Programs", or the scope-1 value when that reads empty; 1: "Programs";
// otherwise empty.
std::string GetProgramsDir(int scope);
// "Fonts" of the current user.
std::string GetFontsDir();
// GetProgramsDir(scope) + "\" + group, after creating that one level. A folder that
// exists already or cannot be created is no error; the path is returned either way.
std::string GetGroupDir(const std::string& group, int scope);

// Writes HKLM\UninstallKeyPath(keyName) with the values (see Registration.h). Errors
// are ignored; an unusable key name (see above) writes nothing.
void RegisterUninstall(const std::string& keyName, const std::vector<TRegistryValue>& values);
// The same with "DisplayName" and "UninstallString" only, as written.
void RegisterUninstall(const std::string& keyName, const std::string& displayName,
                       const std::string& uninstallCommand);
// Deletes HKLM\UninstallKeyPath(keyName) with its subkeys. Errors are ignored; an
// unusable key name deletes nothing, so the Uninstall key itself always survives.
void UnregisterUninstall(const std::string& keyName);

// The full path of the running program (never cut short at MAX_PATH).
std::string ModuleFileName();

#endif

} // namespace kf
