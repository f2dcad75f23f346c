// A plain container: background in one colour, children laid out by anchors, and the
// notifications of its children (commands, colour requests) passed to a target window,
// the form that owns the controls. Tab and arrow keys step into it (WS_EX_CONTROLPARENT).
#pragma once

#include "win32ui/AnchorLayout.h"
#include "win32ui/Gdi.h"
#include "win32ui/Window.h"

namespace kf::ui {

class TPanel : public TWindow
{
public:
    // color: a COLORREF, or kFaceColor for the system's button-face colour.
    static constexpr COLORREF kFaceColor = 0xFFFFFFFF;
    void Create(HWND parent, HWND target, int x, int y, int width, int height, COLORREF color = kFaceColor,
                DWORD exStyle = 0, bool visible = true);
    TAnchorLayout& Layout() { return FLayout; }
    HBRUSH Background() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND FTarget = nullptr;
    COLORREF FColor = kFaceColor;
    TBrush FBrush; // only for a colour other than the face colour
    TAnchorLayout FLayout;
};

} // namespace kf::ui
