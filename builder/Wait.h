// TWaitForm: the "Please Wait" window shown while a setup executable is built. It has no
// behaviour of its own: no progress, no way to cancel.
#pragma once

#include "win32ui/Gdi.h"
#include "win32ui/Window.h"

namespace kf {

class TWaitForm : public ui::TWindow
{
public:
    ~TWaitForm() override;
    // Creates the window owned by owner, centred on it and always on top, and shows it.
    void Create(HWND owner);
    HWND WaitImage() const { return FWaitImage; }
    HWND Wait1Label() const { return FWait1Label; }
    HWND Wait2Label() const { return FWait2Label; }

private:
    ui::TFont FFont;
    ui::TFont FBoldFont;
    ui::TBitmap FPicture;
    HWND FWaitPanel = nullptr;
    HWND FWaitImage = nullptr;
    HWND FWait1Label = nullptr;
    HWND FWait2Label = nullptr;
};

} // namespace kf
