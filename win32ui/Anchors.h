// Which edges of its parent a control keeps its distance to when the parent is resized.
// Portable arithmetic, so it needs no window to test.
#pragma once

#include <cstdint>

namespace kf::ui {

enum TAnchor : uint32_t
{
    akLeft = 1,
    akTop = 2,
    akRight = 4,
    akBottom = 8,
};
constexpr uint32_t kAnchorDefault = akLeft | akTop;

struct TBounds
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The bounds of a control laid out at `designed` in a parent of designedWidth x
// designedHeight, once the parent is width x height. Anchored to both sides of an axis
// it stretches; to the far side only it moves; to neither it keeps its centre's share.
inline TBounds AnchoredBounds(TBounds designed, uint32_t anchors, int32_t designedWidth, int32_t designedHeight,
                              int32_t width, int32_t height)
{
    auto axis = [](int32_t& pos, int32_t& size, bool nearSide, bool farSide, int32_t oldExtent, int32_t newExtent) {
        int32_t delta = newExtent - oldExtent;
        if (nearSide && farSide)
            size += delta;
        else if (farSide)
            pos += delta;
        else if (!nearSide && oldExtent > 0)
            pos = (pos + size / 2) * newExtent / oldExtent - size / 2;
    };
    TBounds b = designed;
    axis(b.Left, b.Width, anchors & akLeft, anchors & akRight, designedWidth, width);
    axis(b.Top, b.Height, anchors & akTop, anchors & akBottom, designedHeight, height);
    return b;
}

} // namespace kf::ui
