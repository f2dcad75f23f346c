// Child controls: standard control classes created with one font, a panel that holds
// other controls and passes their notifications on, and a paint box.
#pragma once

#include "win32ui/Anchors.h"
#include "win32ui/Handles.h"
#include "win32ui/Window.h"

#include <functional>
#include <string>
#include <vector>

namespace kf::ui {

// A standard control (BUTTON, EDIT, STATIC, COMBOBOX, LISTBOX) as a child of parent.
// Raises TError when it cannot be created.
HWND CreateControl(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle, int x,
                   int y, int width, int height, int id, HFONT font);

// The width text needs in window's font, for labels that size themselves to their text.
int TextWidth(HWND window, const std::string& text);

// The font of the builder's windows: face at points on the screen's resolution.
TFont CreatePointFont(const char* face, int points, bool bold = false, bool italic = false);

// Keeps children at their anchored distances when the parent's client area changes.
class TAnchorLayout
{
public:
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

// A plain container: background in one colour, children laid out by anchors, and the
// notifications of its children (commands, colour requests) passed to a target window,
// the form that owns the controls. Tab and arrow keys step into it (WS_EX_CONTROLPARENT).
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

// A child window that leaves its drawing to a callback: on WM_PAINT into the window and
// on WM_PRINTCLIENT into the DC it is given.
class TPaintBox : public TWindow
{
public:
    using TPaintHandler = std::function<void(HDC dc, int width, int height)>;
    void Create(HWND parent, int x, int y, int width, int height, TPaintHandler onPaint);
    // Paints at once into the window's DC, without waiting for WM_PAINT.
    void PaintNow();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TPaintHandler FOnPaint;
};

} // namespace kf::ui
