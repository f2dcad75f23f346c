// Owners and borrowers of Win32 handles. An owner is non-copyable, frees its handle in
// its destructor and can Attach/Detach; a borrower (plain HWND) frees nothing.
#pragma once

#include <windows.h>

#include <utility>

namespace kf::ui {

template <class T> class TGdiObject
{
public:
    TGdiObject() = default;
    explicit TGdiObject(T handle) : FHandle(handle) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    TGdiObject(TGdiObject&& other) noexcept : FHandle(other.Detach()) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    T Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    void Attach(T handle)
    {
        Reset();
        FHandle = handle;
    }
    T Detach() { return std::exchange(FHandle, nullptr); }
    void Reset()
    {
        if (FHandle)
            DeleteObject(FHandle);
        FHandle = nullptr;
    }

private:
    T FHandle = nullptr;
};

using TFont = TGdiObject<HFONT>;
using TBrush = TGdiObject<HBRUSH>;
using TPen = TGdiObject<HPEN>;
using TBitmap = TGdiObject<HBITMAP>;

// A window's device context for the length of one drawing (GetDC/ReleaseDC).
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
