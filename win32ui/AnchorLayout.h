// Keeps children at their anchored distances when the parent's client area changes.
#pragma once

#include "win32ui/Anchors.h"

#include <windows.h>

#include <vector>

namespace kf::ui {

class TAnchorLayout
{
public:
    // The child's bounds now are its designed bounds, in the parent's size now.
    void Add(HWND child, uint32_t anchors);
    void Resize(int width, int height);

private:
    struct TItem
    {
        HWND Child;
        uint32_t Anchors;
        TBounds Designed;
    };
    std::vector<TItem> FItems;
    int FDesignedWidth = -1;
    int FDesignedHeight = -1;
};

} // namespace kf::ui
