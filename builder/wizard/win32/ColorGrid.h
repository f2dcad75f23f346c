// The colour grid control: 16 x 1 cells of the grid palette, "FG" on the selected cell.
// It tells its parent of a new selection with WM_COMMAND(id, kColorGridChange).
#pragma once

#include "builder/wizard/Appearance.h"
#include "win32ui/Window.h"

#include <array>

namespace kf {

constexpr WORD kColorGridChange = 1;

// The stock default palette's 20 colours (GetStockObject, GetPaletteEntries) reduced to
// the 16 of the grid.
std::array<TRGB, kGridCells> SystemGridPalette();

inline COLORREF ToColorRef(TRGB c) { return RGB(c.R, c.G, c.B); }

class TColorGrid : public ui::TWindow
{
public:
    // The control is rounded down to whole cells.
    void Create(HWND parent, int id, int x, int y, int width, int height, int32_t foregroundIndex);
    int32_t ForegroundIndex() const { return FModel.ForegroundIndex(); }
    int32_t FocusIndex() const { return FModel.FocusIndex(); }
    // Selects a cell; an index outside 0..15 is refused. Raises the change event when
    // the selection changes, also when the program sets it.
    void SetForegroundIndex(int32_t index);
    TRGB ForegroundColor() const { return FPalette[static_cast<size_t>(FModel.ForegroundIndex())]; }
    TRGB CellColor(int32_t cell) const { return FPalette[static_cast<size_t>(cell)]; }
    int CellWidth() const { return FCellWidth; }
    int CellHeight() const { return FCellHeight; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Changed();
    void Paint(HDC dc);
    void Mouse(LPARAM lParam);

    TColorGridModel FModel;
    std::array<TRGB, kGridCells> FPalette{};
    int FId = 0;
    HFONT FFont = nullptr; // borrowed from the form (WM_SETFONT)
    int FCellWidth = 1;
    int FCellHeight = 1;
};

} // namespace kf
