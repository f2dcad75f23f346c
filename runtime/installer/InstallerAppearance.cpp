#include "runtime/installer/InstallerAppearance.h"

#include <cmath>

namespace kf {
namespace installer {

int32_t ParseColor(const std::string& text, int32_t fallback)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return fallback;
    int64_t value = 0;
    for (; i < text.size(); ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return fallback;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(2147483648))
            return fallback;
    }
    if (negative)
        value = -value;
    if (value > 2147483647 || value < -int64_t(2147483648))
        return fallback;
    return static_cast<int32_t>(value);
}

uint32_t BlendColors(uint32_t c1, uint32_t c2, double f)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        uint32_t a = (c1 >> shift) & 0xFF, b = (c2 >> shift) & 0xFF;
        uint32_t channel = static_cast<uint32_t>(std::trunc(a * f)) + static_cast<uint32_t>(std::trunc(b * (1 - f)));
        result |= (channel & 0xFF) << shift;
    }
    return result;
}

std::vector<TBand> GradientBands(uint32_t startColor, uint32_t endColor, int steps, int height)
{
    std::vector<TBand> bands;
    if (steps <= 0)
        return bands;
    for (int i = 0; i < steps; ++i)
    {
        // One band is all start colour; the formula would divide by zero.
        double f = steps > 1 ? 1.0 - static_cast<double>(i) / (steps - 1) : 1.0;
        int top = static_cast<int>(int64_t(height) * i / steps);
        int bottom = static_cast<int>(int64_t(height) * (i + 1) / steps);
        bands.push_back({top, bottom, BlendColors(startColor, endColor, f)});
    }
    return bands;
}

bool FindBitmapLayout(const std::string& bytes, size_t& infoOffset, size_t& bitsOffset)
{
    // BITMAPFILEHEADER (14 bytes) then a BITMAPINFOHEADER of at least 40 bytes.
    auto le32 = [&bytes](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    uint32_t headerSize = le32(14);
    uint32_t bits = le32(10);
    if (headerSize < 40 || headerSize > bytes.size() - 14 || bits < 14 + headerSize || bits >= bytes.size())
        return false;
    int32_t width = static_cast<int32_t>(le32(18));
    int32_t height = static_cast<int32_t>(le32(22));
    uint16_t bitCount = static_cast<uint16_t>(static_cast<uint8_t>(bytes[28]) | static_cast<uint8_t>(bytes[29]) << 8);
    uint32_t compression = le32(30);
    if (width <= 0 || height == 0 || height == INT32_MIN || width > 16384 || bitCount == 0 || bitCount > 32)
        return false;
    uint32_t colors = le32(46);
    uint64_t palette = bitCount <= 8 ? uint64_t(colors ? colors : (1u << bitCount)) * 4 : 0;
    if (compression == 3) // BI_BITFIELDS: three masks after a 40-byte header
        palette = headerSize == 40 ? 12 : 0;
    else if (compression != 0)
        return false; // only uncompressed bitmaps: their size can be checked here
    if (14 + uint64_t(headerSize) + palette > bits)
        return false;
    uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    if (stride * rows > bytes.size() - bits)
        return false;
    infoOffset = 14;
    bitsOffset = bits;
    return true;
}

} // namespace installer
} // namespace kf
