#include "win32ui/Panel.h"

namespace kf::ui {

void TPanel::Create(HWND parent, HWND target, int x, int y, int width, int height, COLORREF color, DWORD exStyle,
                    bool visible)
{
    RegisterWindowClass("KitforgePanel", nullptr);
    FTarget = target;
    FColor = color;
    if (color != kFaceColor)
        FBrush.Attach(CreateSolidBrush(color));
    CreateHandle("KitforgePanel", WS_EX_CONTROLPARENT | exStyle, "",
                 WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), x, y, width, height, parent);
}

HBRUSH TPanel::Background() const { return FBrush ? FBrush.Get() : GetSysColorBrush(COLOR_BTNFACE); }

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ERASEBKGND:
    {
        RECT client{};
        GetClientRect(Handle(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, Background());
        return 1;
    }
    case WM_SIZE: FLayout.Resize(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
        if (FTarget)
            return SendMessageA(FTarget, message, wParam, lParam);
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    {
        // The target colours the text; the panel's own colour fills behind it.
        if (FTarget)
            SendMessageA(FTarget, message, wParam, lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, FBrush ? FColor : GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(Background());
    }
    default: break;
    }
    return Default(message, wParam, lParam);
}

} // namespace kf::ui
