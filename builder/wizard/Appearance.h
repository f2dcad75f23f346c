// The Appearance page's logic: the 16-colour grid palette, the colour grid's selection
// and keyboard model, and the background gradient of the preview.
#pragma once

#include <array>
#include <cstdint>

namespace kf {

struct TRGB
{
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    friend bool operator==(TRGB a, TRGB b) { return a.R == b.R && a.G == b.G && a.B == b.B; }
    friend bool operator!=(TRGB a, TRGB b) { return !(a == b); }
};

constexpr int32_t kGridCells = 16;
constexpr int32_t kSystemPaletteSize = 20;

// The grid palette from the system's 20-colour default palette: cells 0-7 show entries
// 0-7 and cells 8-15 entries 12-19 (8 to 11 are skipped).
std::array<TRGB, kGridCells> GridPaletteFrom(const std::array<TRGB, kSystemPaletteSize>& defaultPalette);

// Per channel: trunc(c1 * f) + trunc(c2 * (1 - f)), kept in 8 bits. The two truncations
// are separate, so the result is the exact mix rounded down or one less; f = 0 gives c2,
// f = 1 gives c1. Evaluated in long double (x87 extended precision on the 32-bit build).
TRGB BlendColors(TRGB c1, TRGB c2, double f);

// The colour of row `row` of a preview `height` rows high: BlendColors(bottom, top,
// row / (height - 1)), so row 0 is the top colour and the last row the bottom colour. A
// preview one row high would divide 0 by 0; it shows the top colour.
TRGB PreviewRowColor(TRGB top, TRGB bottom, int32_t row, int32_t height);

// The colour of the "FG" mark on a cell: per channel 0 where the cell's is 128 or more,
// 255 otherwise.
TRGB ContrastColor(TRGB cell);

// Keys the colour grid understands.
enum class TGridKey
{
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    Space,
    SelectForeground, // the F key
    Other,
};

// The selection state of one 16 x 1 colour grid. ForegroundIndex is the selected cell
// and FocusIndex the keyboard's focus frame.
class TColorGridModel
{
public:
    explicit TColorGridModel(int32_t foreground = 0) : FForeground(foreground), FFocus(foreground) {}

    int32_t ForegroundIndex() const { return FForeground; }
    int32_t FocusIndex() const { return FFocus; }

    // Selects a cell. An index outside 0..15 (as from a damaged script) is refused and
    // leaves the selection alone. True only when the selection changed: the grid raises
    // its change event exactly then.
    bool SetForegroundIndex(int32_t index);

    // The cell under a point of a grid whose cells are cellWidth x cellHeight, or -1
    // outside the cells (the control is rounded down to whole cells).
    static int32_t CellAt(int32_t x, int32_t y, int32_t cellWidth, int32_t cellHeight);

    // A mouse press or a drag with the left button held: selects the cell under the
    // point (nothing outside the cells) and moves the focus frame there. True when the
    // selection changed.
    bool MouseAt(int32_t x, int32_t y, int32_t cellWidth, int32_t cellHeight);

    // Arrow keys, Home and End move the focus frame (stopping at the ends), Space brings
    // it back to the selected cell, F selects the focused cell. True when the selection
    // changed; the caller repaints in any case.
    bool Key(TGridKey key);

private:
    int32_t FForeground;
    int32_t FFocus;
};

} // namespace kf
