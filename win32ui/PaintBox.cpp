#include "win32ui/PaintBox.h"

#include "win32ui/Gdi.h"

namespace kf::ui {

void TPaintBox::Create(HWND parent, int x, int y, int width, int height, TPaintHandler onPaint)
{
    RegisterWindowClass("KitforgePaintBox", nullptr);
    FOnPaint = std::move(onPaint);
    CreateHandle("KitforgePaintBox", 0, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent);
}

void TPaintBox::PaintNow()
{
    if (!Handle() || !FOnPaint)
        return;
    RECT client{};
    GetClientRect(Handle(), &client);
    TWindowDC dc(Handle());
    FOnPaint(dc.Get(), client.right, client.bottom);
}

LRESULT TPaintBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ERASEBKGND: return 1; // the handler covers every pixel
    case WM_PAINT:
    {
        TPaintDC dc(Handle());
        RECT client{};
        GetClientRect(Handle(), &client);
        if (FOnPaint)
            FOnPaint(dc.Get(), client.right, client.bottom);
        return 0;
    }
    case WM_PRINTCLIENT:
    {
        RECT client{};
        GetClientRect(Handle(), &client);
        if (FOnPaint)
            FOnPaint(reinterpret_cast<HDC>(wParam), client.right, client.bottom);
        return 0;
    }
    default: break;
    }
    return Default(message, wParam, lParam);
}

} // namespace kf::ui
