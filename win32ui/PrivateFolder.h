// A folder of the program's own below the temporary directory. %TEMP% is shared with
// whatever else runs as the user, and C:\Windows\Temp (a service's, SYSTEM's) with every
// user: a fixed name there can be planted, held or replaced before an elevated program
// starts it. The folder has an unpredictable name and lets in only the current user,
// SYSTEM and the Administrators group.
#pragma once

#include "win32ui/Handle.h"

#include <string>

namespace kf::ui {

class TPrivateFolder
{
public:
    TPrivateFolder() = default;
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;

    // Makes a new folder PrivateFolderName(random) in parent (which ends in a backslash),
    // random from the system's generator (RtlGenRandom). False with the system's error
    // code in GetLastError when it cannot be made; a folder of that name that exists
    // already counts as a failure, never as the folder.
    bool Create(const std::string& parent);
    // The folder with a trailing backslash; "" before Create succeeded.
    const std::string& Path() const { return FPath; }

    // Writes source to Path() + name as a new file (CREATE_NEW: never a file that was
    // there) and returns it opened for reading without write or delete sharing, so it
    // cannot change until the handle is closed; invalid, with GetLastError set, when the
    // copy fails or the file opened again is not the one just written.
    TFileHandle WriteCopy(const std::string& source, const std::string& name) const;

    // Deletes the folder's files and the folder now; what cannot go (a running program)
    // is left to the next restart (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT, which
    // needs administrator rights and fails quietly without them).
    static void Remove(const std::string& folder);
    // Everything in the folder, and the folder, go at the next restart.
    static void RemoveAtRestart(const std::string& folder);

private:
    std::string FPath;
};

} // namespace kf::ui
