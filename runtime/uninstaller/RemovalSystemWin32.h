// The uninstaller's removal operations on a real Windows system.
#pragma once

#include "runtime/uninstaller/UninstallCore.h"

namespace kf {
namespace uninstall {

// The disk (platform/FileSystem.h: DeleteFileA, file attributes, RemoveDirectoryA,
// MoveFileExA's removal at the next restart, whose value under HKLM needs the elevation
// the uninstaller runs with), registry tree deletion and the uninstall deregistration.
class TWin32RemovalSystem : public IRemovalSystem, private IFileSystem
{
public:
    IFileSystem& FileSystem() override { return *this; }
    uint32_t AttributesAt(const std::string& path) override;
    bool IsRunningImage(const std::string& path) override;
    bool IsReparsePointAt(const std::string& path) override;
    uint32_t DeleteRegistryKeyAt(TRegRoot root, const std::string& key) override;
    std::string ErrorMessage(uint32_t code) override;
    void UnregisterUninstall(const std::string& keyName) override;

    // A silent removal: the installed uninstall.exe that started this copy waits for it,
    // so its image is in use and cannot be deleted. Windows lets a running program's
    // file be renamed, though: when deleting `launcher` is refused, it is moved to
    // `parking` (beside the temporary copy, which stays there too) instead.
    void SetLauncher(const std::string& launcher, const std::string& parking)
    {
        FLauncher = launcher;
        FParking = parking;
    }

private:
    // The disk's, but for the launcher's deletion.
    void Delete(const std::string& path) override;
    std::unique_ptr<IFileWriter> Create(const std::string& path) override { return DiskFileSystem().Create(path); }
    std::unique_ptr<IFileWriter> OpenAppend(const std::string& path) override
    {
        return DiskFileSystem().OpenAppend(path);
    }
    void Rename(const std::string& path, const std::string& newPath) override
    {
        DiskFileSystem().Rename(path, newPath);
    }
    void Replace(const std::string& path, const std::string& newPath) override
    {
        DiskFileSystem().Replace(path, newPath);
    }
    void DeleteAtRestart(const std::string& path) override { DiskFileSystem().DeleteAtRestart(path); }
    void RemoveFolder(const std::string& path) override { DiskFileSystem().RemoveFolder(path); }
    void MakeDirectories(const std::string& path) override { DiskFileSystem().MakeDirectories(path); }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        DiskFileSystem().SetAttributes(path, attributes);
    }

    std::string FLauncher;
    std::string FParking;
};

// The roots of the log at logPath (made a full path first): its folder, and the
// all-users programs folder and desktop.
TRemovalRoots ReadRemovalRoots(const std::string& logPath);

} // namespace uninstall
} // namespace kf
