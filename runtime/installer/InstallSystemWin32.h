// The installer's system interface on Windows: files and folders through the platform
// layer's disk (DiskFileSystem),
// the Start menu, shortcuts and registration through runtime/common, programs through
// RunAndWaitUnit and the shell.
#pragma once

#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerSteps.h"

namespace kf {
namespace installer {

class TWin32InstallSystem : public IInstallSystem
{
public:
    bool DirectoryExists(const std::string& path) override;
    IFileSystem& FileSystem() override { return DiskFileSystem(); }
    bool IsReparsePointAt(const std::string& path) override;
    bool IsProtectedFolder(const std::string& path) override;
    bool ProtectFolder(const std::string& path) override;
    uint32_t AttributesAt(const std::string& path) override;
    bool ReadFileAt(const std::string& path, std::string& bytes) override;
    int64_t FreeSpace(const std::string& root) override;
    std::string GroupDir(const std::string& group) override;
    std::string CommonDesktopDir() override;
    std::string CreateShortcut(const std::string& linkBase, const std::string& target,
                               const std::string& workingDirectory) override;
    void RegisterUninstall(const std::string& keyName, const TRegistration& registration) override;
    int32_t RunAndWait(const std::string& commandLine) override;
    void Launch(const std::string& file, const std::string& directory) override;
};

// The base directories of the placeholders, read from the registry and the system, and
// the location the title's uninstall registration names.
TBaseDirectories ReadBaseDirectories(const std::string& title);

} // namespace installer
} // namespace kf
