#include "builder/wizard/win32/ColorGrid.h"

#include "win32ui/Gdi.h"

#include <windowsx.h>

namespace kf {

std::array<TRGB, kGridCells> SystemGridPalette()
{
    PALETTEENTRY entries[kSystemPaletteSize]{};
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, kSystemPaletteSize, entries);
    std::array<TRGB, kSystemPaletteSize> system{};
    for (int32_t i = 0; i < kSystemPaletteSize; ++i)
        system[static_cast<size_t>(i)] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
    return GridPaletteFrom(system);
}

void TColorGrid::Create(HWND parent, int id, int x, int y, int width, int height, int32_t foregroundIndex)
{
    RegisterWindowClass("KitforgeColorGrid", nullptr);
    FPalette = SystemGridPalette();
    FModel = TColorGridModel(foregroundIndex);
    FId = id;
    FCellWidth = width / kGridCells > 0 ? width / kGridCells : 1;
    FCellHeight = height > 0 ? height : 1;
    CreateHandle("KitforgeColorGrid", 0, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, x, y,
                 FCellWidth * kGridCells, FCellHeight, parent, id);
}

void TColorGrid::SetForegroundIndex(int32_t index)
{
    if (FModel.SetForegroundIndex(index))
    {
        // The focus frame follows a selection made from outside.
        FModel = TColorGridModel(index);
        Changed();
    }
}

void TColorGrid::Changed()
{
    InvalidateRect(Handle(), nullptr, FALSE);
    SendMessageA(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(FId, kColorGridChange),
                 reinterpret_cast<LPARAM>(Handle()));
}

void TColorGrid::Paint(HDC dc)
{
    ui::TSelection selectFont(dc, FFont ? static_cast<HGDIOBJ>(FFont) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (int32_t cell = 0; cell < kGridCells; ++cell)
    {
        RECT r{cell * FCellWidth, 0, (cell + 1) * FCellWidth, FCellHeight};
        ui::TBrush brush(CreateSolidBrush(ToColorRef(FPalette[static_cast<size_t>(cell)])));
        FillRect(dc, &r, brush.Get());
        if (cell == FModel.ForegroundIndex())
        {
            SetTextColor(dc, ToColorRef(ContrastColor(FPalette[static_cast<size_t>(cell)])));
            DrawTextA(dc, "FG", 2, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if (cell == FModel.FocusIndex() && GetFocus() == Handle())
        {
            RECT frame = r;
            InflateRect(&frame, -2, -2);
            DrawFocusRect(dc, &frame);
        }
    }
}

void TColorGrid::Mouse(LPARAM lParam)
{
    if (FModel.MouseAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), FCellWidth, FCellHeight))
        Changed();
    else
        InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT TColorGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT: FFont = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(FFont);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    {
        ui::TPaintDC dc(Handle());
        Paint(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(Handle(), nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
        SetFocus(Handle());
        SetCapture(Handle());
        Mouse(lParam);
        return 0;
    case WM_MOUSEMOVE:
        if ((wParam & MK_LBUTTON) && GetCapture() == Handle())
            Mouse(lParam);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == Handle())
            ReleaseCapture();
        return 0;
    case WM_KEYDOWN:
    {
        TGridKey key = TGridKey::Other;
        switch (wParam)
        {
        case VK_LEFT: key = TGridKey::Left; break;
        case VK_RIGHT: key = TGridKey::Right; break;
        case VK_UP: key = TGridKey::Up; break;
        case VK_DOWN: key = TGridKey::Down; break;
        case VK_HOME: key = TGridKey::Home; break;
        case VK_END: key = TGridKey::End; break;
        case VK_SPACE: key = TGridKey::Space; break;
        case 'F': key = TGridKey::SelectForeground; break;
        default: return Default(message, wParam, lParam);
        }
        if (FModel.Key(key))
            Changed();
        else
            InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    }
    default: break;
    }
    return Default(message, wParam, lParam);
}

} // namespace kf
