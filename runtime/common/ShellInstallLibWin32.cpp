// The Windows half of ShellInstallLib: special folders from the registry and the
// uninstall registration.
#include "runtime/common/ShellInstallLib.h"
#include "win32ui/Handle.h"

#include <vector>

namespace kf {

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

HKEY RootKey(TRegRoot root)
{
    return root == TRegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

std::string ReadRegistryString(TRegRoot root, const std::string& key, const std::string& value)
{
    ui::TRegKey handle;
    if (RegOpenKeyExA(RootKey(root), key.c_str(), 0, KEY_READ, handle.Receive()) != ERROR_SUCCESS)
        return std::string();
    // Ask for the size first: a value may change between the two calls, so retry on
    // ERROR_MORE_DATA instead of trusting the first answer.
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(handle.Get(), value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::string();
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        LONG result = RegQueryValueExA(handle.Get(), value.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return std::string();
        // The stored data need not end in a NUL; the spare byte guarantees one.
        return std::string(buffer.data());
    }
    return std::string();
}

uint32_t DeleteRegistryTree(TRegRoot root, const std::string& key)
{
    if (key.find_first_not_of('\\') == std::string::npos)
        return ERROR_INVALID_PARAMETER;
    return static_cast<uint32_t>(RegDeleteTreeA(RootKey(root), key.c_str()));
}

std::string GetProgramFilesDir()
{
    return ReadRegistryString(TRegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                              "ProgramFilesDir");
}

std::string GetWindowsDir()
{
    char buffer[MAX_PATH + 1] = {};
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string GetDesktopDir(int scope)
{
    if (scope == 0)
        return ReadRegistryString(TRegRoot::LocalMachine, kShellFolders, "Common Desktop");
    if (scope == 1)
        return ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Desktop");
    return std::string();
}

std::string GetProgramsDir(int scope)
{
    if (scope == 0)
    {
        std::string common = ReadRegistryString(TRegRoot::LocalMachine, kShellFolders, "Common Programs");
        return common.empty() ? GetProgramsDir(1) : common;
    }
    if (scope == 1)
        return ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Programs");
    return std::string();
}

std::string GetFontsDir()
{
    return ReadRegistryString(TRegRoot::CurrentUser, kShellFolders, "Fonts");
}

std::string GetGroupDir(const std::string& group, int scope)
{
    std::string path = GetProgramsDir(scope) + "\\" + group;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void RegisterUninstall(const std::string& keyName, const std::vector<TRegistryValue>& values)
{
    std::string path = UninstallKeyPath(keyName);
    if (path.empty())
        return;
    ui::TRegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    for (const TRegistryValue& value : values)
    {
        if (value.IsNumber)
        {
            DWORD number = value.Number;
            RegSetValueExA(key.Get(), value.Name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                           sizeof(number));
        }
        else
            RegSetValueExA(key.Get(), value.Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.Text.c_str()),
                           static_cast<DWORD>(value.Text.size() + 1));
    }
}

void RegisterUninstall(const std::string& keyName, const std::string& displayName,
                       const std::string& uninstallCommand)
{
    TRegistryValue name, command;
    name.Name = "DisplayName";
    name.Text = displayName;
    command.Name = "UninstallString";
    command.Text = uninstallCommand;
    RegisterUninstall(keyName, {name, command});
}

void UnregisterUninstall(const std::string& keyName)
{
    std::string path = UninstallKeyPath(keyName);
    if (!path.empty())
        DeleteRegistryTree(TRegRoot::LocalMachine, path);
}

std::string ModuleFileName()
{
    // GetModuleFileNameA truncates silently; grow until the name fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;)
    {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace kf
