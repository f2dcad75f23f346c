#include "win32ui/Font.h"

namespace kf::ui {

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

} // namespace kf::ui
