// One setup or uninstaller per application at a time: two of them would interleave their
// writes into one uninstall.log and overwrite each other's registration. A named mutex
// per title, held by the process that does the work, tells them apart. An elevated run
// makes it in a private namespace bound to the Administrators group, which a standard
// user cannot create: a global name any user could have taken first would otherwise
// make every setup of the title end with 1618.
#pragma once

#include <string>

namespace kf {

// The mutex's name for a title: trimmed, so that " Demo" and "Demo" meet, and with
// backslashes (which would name a namespace) made "/".
std::string TitleLockName(const std::string& title);

// "Setup or removal of " Title " is already running." CR CR "Please wait until it has
// finished, then try again." and its caption "Already Running".
std::string AlreadyRunningText(const std::string& title);
extern const char* const kAlreadyRunningCaption;

#ifdef _WIN32
// Holds the title's mutex for its lifetime.
class TTitleLock
{
public:
    TTitleLock() = default;
    ~TTitleLock();
    TTitleLock(const TTitleLock&) = delete;
    TTitleLock& operator=(const TTitleLock&) = delete;
    // False when another process holds it. A mutex that cannot be made at all does not
    // stop the run: true.
    bool Acquire(const std::string& title);

private:
    void* FMutex = nullptr;
    void* FNamespace = nullptr; // the private namespace, while elevated
    void* FBoundary = nullptr;  // its boundary descriptor
};
#endif

} // namespace kf
