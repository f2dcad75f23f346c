#include "win32ui/PageControls.h"

#include "platform/Error.h"

namespace kf::ui {

void TPageControls::Add(HWND control, int page)
{
    if (FCount == kCapacity)
        throw TError("Too many controls on the pages");
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
        if (Shown(FItems[i]))
            ShowWindow(FItems[i].Control, SW_SHOWNA);
    for (int i = 0; i < FCount; ++i)
        if (!Shown(FItems[i]))
            ShowWindow(FItems[i].Control, SW_HIDE);
}

} // namespace kf::ui
