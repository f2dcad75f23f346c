#include "archive/ArchiveFormat.h"

#include <algorithm>
#include <cstring>

namespace kf {

void TArchiveEntryHeader::SetName(const std::string& name)
{
    size_t length = std::min<size_t>(name.size(), kMaxEntryNameLength);
    std::memset(Name, 0, sizeof Name);
    std::memcpy(Name, name.data(), length);
    NameLength = static_cast<uint8_t>(length);
}

void EncodeEntryHeader(const TArchiveEntryHeader& header, uint8_t out[kEntryHeaderSize])
{
    out[0] = header.NameLength;
    std::memcpy(out + 1, header.Name, kMaxEntryNameLength);
    EncodeLE32(header.DataOffset, out + 256);
    EncodeLE32(header.OriginalSize, out + 260);
    EncodeLE32(header.PackedSize, out + 264);
}

TArchiveEntryHeader DecodeEntryHeader(const uint8_t in[kEntryHeaderSize])
{
    TArchiveEntryHeader header;
    header.NameLength = in[0];
    std::memcpy(header.Name, in + 1, kMaxEntryNameLength);
    header.DataOffset = DecodeLE32(in + 256);
    header.OriginalSize = DecodeLE32(in + 260);
    header.PackedSize = DecodeLE32(in + 264);
    return header;
}

} // namespace kf
