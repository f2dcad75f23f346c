#include "win32ui/AnchorLayout.h"

namespace kf::ui {

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

} // namespace kf::ui
