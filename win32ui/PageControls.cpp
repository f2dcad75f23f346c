#include "win32ui/PageControls.h"

namespace kf::ui {

void TPageControls::Add(HWND control, int page)
{
    if (FCount < kCapacity)
        FItems[FCount++] = {control, page, true};
}

void TPageControls::SetOwnVisible(HWND control, bool visible)
{
    for (int i = 0; i < FCount; ++i)
        if (FItems[i].Control == control)
            FItems[i].Visible = visible;
}

bool TPageControls::OwnVisible(HWND control) const
{
    for (int i = 0; i < FCount; ++i)
        if (FItems[i].Control == control)
            return FItems[i].Visible;
    return false;
}

void TPageControls::Apply() const
{
    for (int i = 0; i < FCount; ++i)
        ShowWindow(FItems[i].Control, Shown(FItems[i]) ? SW_SHOWNA : SW_HIDE);
}

} // namespace kf::ui
