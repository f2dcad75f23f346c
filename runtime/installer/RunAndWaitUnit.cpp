#include "runtime/installer/RunAndWaitUnit.h"

#include "win32ui/Handle.h"

#include <vector>

namespace kf {

int32_t RunAndWait(const std::string& commandLine)
{
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.cb = sizeof(startup);
    // CreateProcessA may write into the command line, so it gets a private copy.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info))
        return kRunAndWaitNotStarted;
    ui::THandle process(info.hProcess);
    ui::THandle thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = kRunAndWaitNotStarted;
    if (!GetExitCodeProcess(process.Get(), &code))
        code = kRunAndWaitNotStarted;
    return static_cast<int32_t>(code);
}

} // namespace kf
