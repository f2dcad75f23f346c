// A child window that leaves its drawing to a callback: on WM_PAINT into the window and
// on WM_PRINTCLIENT into the DC it is given.
#pragma once

#include "win32ui/Window.h"

#include <functional>

namespace kf::ui {

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
