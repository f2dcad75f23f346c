// How the installer looks, checked before anything is drawn: the background's colours
// and gradient bands, and the layout of the wizard bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kf {
namespace installer {

// A colour section's text as a decimal integer, or fallback when it is not a valid one
// (blanks, signs only, trailing junk, out of the 32-bit range).
int32_t ParseColor(const std::string& text, int32_t fallback);

// Each 8-bit channel: trunc(c1 * f) + trunc(c2 * (1 - f)), modulo 256.
uint32_t BlendColors(uint32_t c1, uint32_t c2, double f);

// Band i of steps across a client area of the given height: its top and bottom row and
// its colour.
struct TBand
{
    int Top;
    int Bottom;
    uint32_t Color;
};
std::vector<TBand> GradientBands(uint32_t startColor, uint32_t endColor, int steps, int height);

// Where a Windows bitmap file's BITMAPINFO and pixel bits begin. False unless it is an
// uncompressed bitmap whose headers, palette and pixel rows all lie inside bytes, so a
// damaged picture cannot make the display read past its end.
bool FindBitmapLayout(const std::string& bytes, size_t& infoOffset, size_t& bitsOffset);

} // namespace installer
} // namespace kf
