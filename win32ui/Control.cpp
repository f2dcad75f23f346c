#include "win32ui/Control.h"

#include "platform/Error.h"
#include "win32ui/Gdi.h"

namespace kf::ui {

HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int x,
                   int y, int width, int height, int id, HFONT font)
{
    HWND control =
        CreateWindowExA(exStyle, className, text, WS_CHILD | style, x, y, width, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!control)
        throw TError(std::string("Cannot create a control of class ") + className);
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))), FALSE);
    return control;
}

int TextWidth(HWND window, const std::string& text)
{
    TWindowDC dc(window);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    TSelection select(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace kf::ui
