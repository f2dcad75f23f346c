// Hostile wizard bitmaps: the picture comes out of the package, and a damaged or
// crafted one must not make the display read past its bytes. When FindBitmapLayout
// accepts one, everything the display reads (the headers, the palette and every pixel
// row) is read here from a buffer of exactly the input's size, where the address
// sanitizer catches a byte too far.
#include "runtime/installer/InstallerAppearance.h"

#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t info = 0, bits = 0;
    if (!kf::installer::FindBitmapLayout(bytes, info, bits))
        return 0;
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
    std::copy(data, data + size, exact.get());
    auto le32 = [&](size_t at) {
        return uint32_t(exact[at]) | uint32_t(exact[at + 1]) << 8 | uint32_t(exact[at + 2]) << 16 |
               uint32_t(exact[at + 3]) << 24;
    };
    int64_t width = int32_t(le32(info + 4)), height = int32_t(le32(info + 8));
    uint32_t bitCount = exact[info + 14] | exact[info + 15] << 8;
    uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    uint64_t rows = uint64_t(height < 0 ? -height : height);
    if (bits < info + le32(info) || stride * rows > size - bits)
        std::abort();
    volatile uint8_t sink = 0;
    for (size_t i = info; i < bits; ++i)
        sink ^= exact[i];
    for (uint64_t i = 0; i < stride * rows; ++i)
        sink ^= exact[bits + i];
    (void)sink;
    return 0;
}
