// GDI objects and device contexts: owners of fonts, brushes, pens and bitmaps, and
// scopes for a DC and for what is selected into it.
#pragma once

#include "win32ui/Handle.h"

namespace kf::ui {

// Anything DeleteObject frees.
template <class T> struct TGdiKind
{
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Release(Type object) { DeleteObject(object); }
};

template <class T> using TGdiObject = TOwned<TGdiKind<T>>;
using TFont = TGdiObject<HFONT>;
using TBrush = TGdiObject<HBRUSH>;
using TPen = TGdiObject<HPEN>;
using TBitmap = TGdiObject<HBITMAP>;

// A window's device context for the length of one drawing (GetDC/ReleaseDC); a null
// window gives the screen's.
class TWindowDC
{
public:
    explicit TWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
    ~TWindowDC()
    {
        if (FDC)
            ReleaseDC(FWindow, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// BeginPaint/EndPaint around a WM_PAINT.
class TPaintDC
{
public:
    explicit TPaintDC(HWND window) : FWindow(window) { FDC = BeginPaint(window, &FPaint); }
    ~TPaintDC() { EndPaint(FWindow, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC = nullptr;
};

// A memory device context (CreateCompatibleDC/DeleteDC).
class TMemoryDC
{
public:
    explicit TMemoryDC(HDC compatible = nullptr) : FDC(CreateCompatibleDC(compatible)) {}
    ~TMemoryDC()
    {
        if (FDC)
            DeleteDC(FDC);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HDC FDC;
};

// Selects an object into a DC and puts the previous one back: a DC must not be released
// or an object deleted while it is still selected.
class TSelection
{
public:
    TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelection()
    {
        if (FOld)
            SelectObject(FDC, FOld);
    }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

} // namespace kf::ui
