#include "win32ui/Application.h"

#include "platform/Error.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/ErrorText.h"
#include "win32ui/MessageLoop.h"
#include "win32ui/SystemLibrary.h"

#include <commctrl.h>
#include <objbase.h>

namespace kf::ui {

TApplication& Application()
{
    static TApplication application;
    return application;
}

void TApplication::Initialize()
{
    if (FInitialized)
        return;
    FInitialized = true;
    InitCommonControls(ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES);
    // S_FALSE (already initialised on this thread) is fine.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetExceptionReporter([](HWND, const std::exception* error) {
        if (error)
            Application().ShowException(*error);
        else
            Application().ShowException(TError("Unknown error"));
    });
}

int TApplication::Run() { return RunMessageLoop(); }

bool TApplication::ProcessMessages() { return PumpMessages(); }

void TApplication::ShowException(const std::exception& error)
{
    MessageBox(GetActiveWindow(), StandardErrorText(error.what()), FTitle, MB_ICONERROR | MB_OK);
}

int TApplication::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    if (FMessageBoxHook)
        return FMessageBoxHook(owner, text, caption, flags);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

} // namespace kf::ui
