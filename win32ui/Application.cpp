#include "win32ui/Application.h"

#include "win32ui/ErrorText.h"

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
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // S_FALSE (already initialised on this thread) is fine.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

bool TApplication::PreTranslate(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd)
        return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    return root && IsDialogMessageA(root, &message);
}

void TApplication::DispatchOne(MSG& message)
{
    if (!PreTranslate(message))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int TApplication::Run()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0)
    {
        if (got == -1)
            return 1;
        DispatchOne(message);
    }
    return static_cast<int>(message.wParam);
}

bool TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchOne(message);
    }
    return true;
}

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
