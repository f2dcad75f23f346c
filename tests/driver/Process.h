// Programs a test starts or finds: ended when the test ends, whatever happened, and
// started with TMP and TEMP of the test's own, so their temporary copies (a readme, the
// uninstaller's uninst.exe) are private to it and easy to check.
#pragma once

#include <windows.h>

#include <string>

namespace kfdriver {

class TProcess
{
public:
    TProcess() = default;
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;
    ~TProcess();

    // Takes the handle over; a process held before is let go, not ended.
    void Reset(HANDLE process);
    // The process behind a window, to wait for its end (and end it if need be).
    void AttachToWindow(HWND window);
    // Ends it if it still runs.
    void Kill();
    // The exit code, or -1 when it did not end in time.
    long WaitForExit(int timeoutMs);
    HANDLE Handle() const { return FHandle; }

private:
    HANDLE FHandle = nullptr;
};

// Starts commandLine with TMP and TEMP set to temp, in directory (temp when empty).
bool StartWithTemp(const std::string& commandLine, const std::string& temp, TProcess& process,
                   const std::string& directory = "");

} // namespace kfdriver
