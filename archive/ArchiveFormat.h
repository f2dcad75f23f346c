// The package archive's on-disk format, written down once for the builder, the stubs
// and the tools. An archive is entries back to back, with no file header, directory or
// end marker: each entry is a 268-byte header followed by PackedSize bytes holding one
// complete zlib stream. A host file that carries an archive (a setup executable) ends
// with a 4-byte trailer holding the archive's base offset.
//
// Header layout, integers little-endian two's complement:
//   0   1    name length (0..255)
//   1   255  name bytes; bytes past the length are zero when written, ignored when read
//   256 4    DataOffset: offset of the data from the archive base (header offset + 268)
//   260 4    OriginalSize: uncompressed size
//   264 4    PackedSize: stored bytes that follow the header
#pragma once

#include "platform/Text.h" // UpperCaseAscii: every entry-name comparison

#include <cstddef>
#include <cstdint>
#include <string>

namespace kf {

constexpr int32_t kEntryHeaderSize = 268;
constexpr int32_t kMaxEntryNameLength = 255;
constexpr int32_t kTrailerSize = 4;
// Offsets and sizes are signed 32-bit: archives, entries and host files stay below this.
constexpr int64_t kArchiveSizeLimit = int64_t(1) << 31;

struct TArchiveEntryHeader
{
    uint8_t NameLength = 0;
    char Name[kMaxEntryNameLength] = {};
    int32_t DataOffset = 0;
    int32_t OriginalSize = 0;
    int32_t PackedSize = 0;

    std::string NameString() const { return std::string(Name, NameLength); }
    // Stores the name cut to 255 bytes, zero-filling the rest.
    void SetName(const std::string& name);
};

static_assert(offsetof(TArchiveEntryHeader, Name) == 1, "name follows its length byte");
static_assert(offsetof(TArchiveEntryHeader, DataOffset) == 256, "DataOffset at 256");
static_assert(offsetof(TArchiveEntryHeader, OriginalSize) == 260, "OriginalSize at 260");
static_assert(offsetof(TArchiveEntryHeader, PackedSize) == 264, "PackedSize at 264");
static_assert(sizeof(TArchiveEntryHeader) == kEntryHeaderSize, "header is 268 bytes");

// Field-by-field little-endian coding, independent of the host's byte order.
void EncodeEntryHeader(const TArchiveEntryHeader& header, uint8_t out[kEntryHeaderSize]);
TArchiveEntryHeader DecodeEntryHeader(const uint8_t in[kEntryHeaderSize]);

inline void EncodeLE32(int32_t value, uint8_t out[4])
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline int32_t DecodeLE32(const uint8_t in[4])
{
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = bits << 8 | in[i];
    return static_cast<int32_t>(bits);
}

} // namespace kf
