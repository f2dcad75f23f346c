#include "win32ui/ErrorBox.h"

#include "win32ui/ErrorText.h"

namespace kf::ui {

namespace {

const char* GCaption = "";
TExceptionReporter GReporter = nullptr;

} // namespace

void ShowErrorBox(HWND owner, const std::string& message, const char* caption)
{
    MessageBoxA(owner, StandardErrorText(message).c_str(), caption, MB_OK | MB_ICONERROR);
}

void SetErrorCaption(const char* caption)
{
    GCaption = caption;
}

void SetExceptionReporter(TExceptionReporter reporter)
{
    GReporter = reporter;
}

void ReportException(HWND window, const std::exception* error)
{
    if (GReporter)
        GReporter(window, error);
    else
        ShowErrorBox(window, error ? error->what() : "Unexpected error.", GCaption);
}

} // namespace kf::ui
