// The uninstaller's removal operations on a real Windows system.
#pragma once

#include "runtime/uninstaller/UninstallCore.h"

namespace kf {
namespace uninstall {

// DeleteFileA, file attributes, RemoveDirectoryA, registry tree deletion, MoveFileExA's removal at the
// next restart (the value it writes under HKLM needs the elevation the uninstaller runs
// with) and the uninstall deregistration, each reporting GetLastError (or the
// registry's code) at once.
class TWin32RemovalSystem : public IRemovalSystem
{
public:
    uint32_t DeleteFileAt(const std::string& path) override;
    uint32_t AttributesAt(const std::string& path) override;
    bool SetAttributesAt(const std::string& path, uint32_t attributes) override;
    bool IsRunningImage(const std::string& path) override;
    uint32_t RemoveDirectoryAt(const std::string& path) override;
    bool IsReparsePointAt(const std::string& path) override;
    uint32_t DeleteRegistryKeyAt(TRegRoot root, const std::string& key) override;
    uint32_t ScheduleRemovalAt(const std::string& path) override;
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
    std::string FLauncher;
    std::string FParking;
};

// The roots of the log at logPath (made a full path first): its folder, and the
// all-users programs folder and desktop.
TRemovalRoots ReadRemovalRoots(const std::string& logPath);

} // namespace uninstall
} // namespace kf
