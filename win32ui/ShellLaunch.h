// Opening a program or document as the signed-in user. The setup runs elevated; what
// it starts for the user afterwards ("Launch Program Now", the readme) should not: the
// desktop's shell (Explorer, the user's own unelevated process) is asked to start it,
// which also takes the readme's file association from the user's shell, not from an
// elevated process reading HKCU that any program of the user may have written.
#pragma once

#include <string>

namespace kf::ui {

// IShellDispatch2::ShellExecute ("open", normal window) on the desktop's shell window:
// IShellWindows::FindWindowSW(SWC_DESKTOP), its top-level browser, the active view and
// the view's Application object. False when there is no desktop shell (a service, a
// session without Explorer, Wine without its desktop) or it refuses: the caller then
// starts the file itself. Needs a COM apartment on the calling thread.
bool OpenAsShellUser(const std::string& file, const std::string& directory);

// OpenAsShellUser, and where it returns false ShellExecuteA "open" from this process.
void OpenForUser(const std::string& file, const std::string& directory);

} // namespace kf::ui
