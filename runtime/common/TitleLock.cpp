#include "runtime/common/TitleLock.h"

#include "platform/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kf {

const char* const kAlreadyRunningCaption = "Already Running";

std::string TitleLockName(const std::string& title)
{
    std::string name = "KitforgeSetup:" + TrimText(title);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

std::string AlreadyRunningText(const std::string& title)
{
    return "Setup or removal of " + title + " is already running.\r\rPlease wait until it has finished, then try again.";
}

#ifdef _WIN32
TTitleLock::~TTitleLock()
{
    if (FMutex)
    {
        ReleaseMutex(FMutex);
        CloseHandle(FMutex);
    }
}

bool TTitleLock::Acquire(const std::string& title)
{
    std::string name = TitleLockName(title);
    // Global: a setup in another session (another user, a service) counts too. Creating a
    // global object needs a privilege that elevated setups have; otherwise this session's.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, ("Global\\" + name).c_str());
    if (!mutex)
        mutex = CreateMutexA(nullptr, TRUE, ("Local\\" + name).c_str());
    if (!mutex)
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
    {
        CloseHandle(mutex);
        return false;
    }
    FMutex = mutex;
    return true;
}
#endif

} // namespace kf
