#include "win32ui/Controls.h"

#include "platform/Error.h"

namespace kf::ui {

HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle, int x,
                   int y, int width, int height, int id, HFONT font)
{
    HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control)
        throw TError(std::string("Cannot create control ") + className);
    if (font)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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

TFont CreatePointFont(const char* face, int points, bool bold, bool italic)
{
    int dpi = 96;
    {
        TWindowDC screen(nullptr);
        dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    // A negative height asks for the character height (8 points at 96 dpi: 11 pixels).
    return TFont(CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face));
}

namespace {

TBounds BoundsInParent(HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

} // namespace

void TAnchorLayout::Add(HWND child, uint32_t anchors)
{
    if (FDesignedWidth < 0)
    {
        RECT client{};
        GetClientRect(GetParent(child), &client);
        FDesignedWidth = client.right;
        FDesignedHeight = client.bottom;
    }
    FItems.push_back({child, anchors, BoundsInParent(child)});
}

void TAnchorLayout::Resize(int width, int height)
{
    if (FDesignedWidth < 0)
        return;
    for (const TItem& item : FItems)
    {
        TBounds b = AnchoredBounds(item.Designed, item.Anchors, FDesignedWidth, FDesignedHeight, width, height);
        SetWindowPos(item.Child, nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

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
