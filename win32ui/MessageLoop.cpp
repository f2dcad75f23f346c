#include "win32ui/MessageLoop.h"

namespace kf::ui {

bool DialogKey(MSG& message)
{
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd)
        return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    return root && IsDialogMessageA(root, &message);
}

void DispatchOne(MSG& message)
{
    if (!DialogKey(message))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunMessageLoop()
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

bool PumpMessages()
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

void PumpWindowMessages(HWND window)
{
    MSG message;
    while (PeekMessageA(&message, window, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

void RunModal(const bool& done)
{
    MSG message;
    while (!done)
    {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
        {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchOne(message);
    }
}

} // namespace kf::ui
