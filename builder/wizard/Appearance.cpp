#include "builder/wizard/Appearance.h"

namespace kf {

std::array<TRGB, kGridCells> GridPaletteFrom(const std::array<TRGB, kSystemPaletteSize>& defaultPalette)
{
    std::array<TRGB, kGridCells> grid;
    for (int32_t cell = 0; cell < kGridCells; ++cell)
        grid[cell] = defaultPalette[cell < 8 ? cell : cell + 4];
    return grid;
}

namespace {

uint8_t BlendChannel(uint8_t c1, uint8_t c2, long double f)
{
    long double a = static_cast<long double>(c1) * f;
    long double b = static_cast<long double>(c2) * (1.0L - f);
    // Conversion truncates toward zero; both products are non-negative for f in [0, 1].
    return static_cast<uint8_t>(static_cast<int32_t>(a) + static_cast<int32_t>(b));
}

} // namespace

TRGB BlendColors(TRGB c1, TRGB c2, double f)
{
    long double x = f;
    return {BlendChannel(c1.R, c2.R, x), BlendChannel(c1.G, c2.G, x), BlendChannel(c1.B, c2.B, x)};
}

TRGB PreviewRowColor(TRGB top, TRGB bottom, int32_t row, int32_t height)
{
    if (height <= 1)
        return top;
    double f = static_cast<double>(row) / static_cast<double>(height - 1);
    return BlendColors(bottom, top, f);
}

TRGB ContrastColor(TRGB cell)
{
    auto flip = [](uint8_t c) { return static_cast<uint8_t>(c >= 128 ? 0 : 255); };
    return {flip(cell.R), flip(cell.G), flip(cell.B)};
}

bool TColorGridModel::SetForegroundIndex(int32_t index)
{
    if (index < 0 || index >= kGridCells || index == FForeground)
        return false;
    FForeground = index;
    return true;
}

int32_t TColorGridModel::CellAt(int32_t x, int32_t y, int32_t cellWidth, int32_t cellHeight)
{
    if (cellWidth <= 0 || cellHeight <= 0 || x < 0 || y < 0 || y >= cellHeight)
        return -1;
    int32_t cell = x / cellWidth;
    return cell < kGridCells ? cell : -1;
}

bool TColorGridModel::MouseAt(int32_t x, int32_t y, int32_t cellWidth, int32_t cellHeight)
{
    int32_t cell = CellAt(x, y, cellWidth, cellHeight);
    if (cell < 0)
        return false;
    FFocus = cell;
    return SetForegroundIndex(cell);
}

bool TColorGridModel::Key(TGridKey key)
{
    switch (key)
    {
    case TGridKey::Left:
    case TGridKey::Up:
        if (FFocus > 0)
            --FFocus;
        return false;
    case TGridKey::Right:
    case TGridKey::Down:
        if (FFocus < kGridCells - 1)
            ++FFocus;
        return false;
    case TGridKey::Home: FFocus = 0; return false;
    case TGridKey::End: FFocus = kGridCells - 1; return false;
    case TGridKey::Space: FFocus = FForeground; return false;
    case TGridKey::SelectForeground: return SetForegroundIndex(FFocus);
    case TGridKey::Other: return false;
    }
    return false;
}

} // namespace kf
