// The standard error box, and what happens to an exception that reaches a window
// procedure: it must not unwind through user32.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace kf::ui {

// Error icon, OK button, caption, and the message with the full-stop rule.
void ShowErrorBox(HWND owner, const std::string& message, const char* caption);

// The program's name on the error box of an exception caught at a window procedure.
void SetErrorCaption(const char* caption);

// Shows an exception caught at a window procedure; error is null for one that is no
// std::exception. By default the standard error box owned by window ("Unexpected
// error." for the null case); a program with its own error box installs a reporter.
using TExceptionReporter = void (*)(HWND window, const std::exception* error);
void SetExceptionReporter(TExceptionReporter reporter);
void ReportException(HWND window, const std::exception* error);

} // namespace kf::ui
