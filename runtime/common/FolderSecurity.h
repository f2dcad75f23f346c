// Folders only administrators can change. A setup runs elevated and later setups and
// the uninstaller trust what lies in the installation folder; a folder standard users
// can write (anything made directly under C:\ inherits "Authenticated Users: Modify")
// would let them edit the log or plant files for those runs. Windows only.
#pragma once

#include <string>

namespace kf {

// True when no one but SYSTEM, Administrators, TrustedInstaller and the running
// account (the elevated administrator) may change what the folder holds: the owner is
// one of them, a DACL is there, and no ACE that applies to the folder itself allows
// anyone else to write, add, delete, or change its permissions or owner. False for a
// junction or symbolic link, and when the folder cannot be opened or read.
bool IsProtectedFolder(const std::string& path);

// Gives the folder Program Files' permissions: Administrators and SYSTEM full control,
// Users read and execute, inherited by everything below it and not from its parent;
// the owner becomes Administrators where the token allows it. False when the system
// refused.
bool ProtectFolder(const std::string& path);

} // namespace kf
