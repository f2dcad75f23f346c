#include "win32ui/Font.h"

namespace kf::ui {

TFont CreateMessageFont()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return TFont(CreateFontIndirectA(&metrics.lfMessageFont));
    return TFont();
}

} // namespace kf::ui
