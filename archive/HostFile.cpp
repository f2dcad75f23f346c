#include "archive/HostFile.h"

#include "archive/ArchiveFormat.h"

#include <algorithm>
#include <vector>

namespace kf {

namespace {

struct TPeLayout
{
    int64_t ImageEnd = 0;
    int64_t ChecksumOffset = 0;
    uint32_t CertOffset = 0;
    uint32_t CertSize = 0;
};

uint32_t Le16(const uint8_t* p)
{
    return p[0] | uint32_t(p[1]) << 8;
}
uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(DecodeLE32(p));
}

// Reads size bytes at position; false when the file ends first.
bool ReadAt(TFile& file, int64_t position, uint8_t* out, int32_t size)
{
    file.Seek(position);
    return file.Read(out, size) == size;
}

// The headers of the PE image at the start of file; false for anything else.
bool ReadPeLayout(TFile& file, TPeLayout& pe)
{
    // Header blocks are small; the caps keep a hostile file from sending the reads far.
    constexpr uint32_t kMaxHeaderOffset = 1 << 16;
    constexpr uint32_t kMaxSections = 96;
    uint8_t dos[64];
    if (!ReadAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    uint32_t peOffset = Le32(&dos[0x3C]);
    // Signature, file header, and the optional header up to PE32+'s security directory.
    uint8_t head[24 + 112 + 40];
    if (peOffset > kMaxHeaderOffset || !ReadAt(file, peOffset, head, 24 + 2) || head[0] != 'P' || head[1] != 'E' ||
        head[2] != 0 || head[3] != 0)
        return false;
    uint32_t sections = Le16(&head[6]);
    uint32_t optionalSize = Le16(&head[20]);
    const uint8_t* optional = head + 24;
    uint32_t directories, countAt;
    if (Le16(optional) == 0x10B) // PE32
        directories = 96, countAt = 92;
    else if (Le16(optional) == 0x20B) // PE32+
        directories = 112, countAt = 108;
    else
        return false;
    if (sections > kMaxSections || optionalSize < directories || !ReadAt(file, peOffset, head, 24 + directories))
        return false;
    pe.ChecksumOffset = int64_t(peOffset) + 24 + 64;
    pe.ImageEnd = Le32(optional + 60); // SizeOfHeaders
    for (uint32_t i = 0; i < sections; ++i)
    {
        uint8_t section[40];
        if (!ReadAt(file, int64_t(peOffset) + 24 + optionalSize + 40 * i, section, sizeof section))
            return false;
        uint32_t rawSize = Le32(section + 16), rawStart = Le32(section + 20);
        if (rawSize > 0)
            pe.ImageEnd = std::max<int64_t>(pe.ImageEnd, int64_t(rawStart) + rawSize);
    }
    constexpr uint32_t kSecurityDirectory = 4;
    uint32_t securityEnd = directories + 8 * (kSecurityDirectory + 1);
    if (Le32(optional + countAt) > kSecurityDirectory && optionalSize >= securityEnd &&
        ReadAt(file, peOffset, head, static_cast<int32_t>(24 + securityEnd)))
    {
        pe.CertOffset = Le32(optional + directories + 8 * kSecurityDirectory);
        pe.CertSize = Le32(optional + directories + 8 * kSecurityDirectory + 4);
    }
    return true;
}

// What is wrong with the certificate table the security directory describes; null
// when it is exactly what a signer writes.
const char* CertificateTableProblem(TFile& file, const TPeLayout& pe, int64_t fileSize)
{
    int64_t start = pe.CertOffset, end = start + pe.CertSize;
    if (pe.CertSize == 0 || start % 8 != 0)
        return "the security directory does not describe a certificate table";
    if (start < pe.ImageEnd)
        return "the certificate table overlaps the image";
    if (end != fileSize)
        return "the certificate table does not end the file";
    for (int64_t position = start; position < end;)
    {
        uint8_t record[8];
        if (!ReadAt(file, position, record, sizeof record))
            return "a certificate record is cut short";
        uint32_t length = Le32(&record[0]);
        uint32_t revision = Le16(&record[4]);
        if (length < 8 || length > end - position || (revision != 0x0100 && revision != 0x0200))
            return "a certificate record is malformed";
        // Up to the next record's boundary, or the end: zeros only.
        int64_t recordEnd = position + length;
        int64_t next = std::min<int64_t>((recordEnd + 7) / 8 * 8, end);
        uint8_t padding[8] = {};
        if (!ReadAt(file, recordEnd, padding, static_cast<int32_t>(next - recordEnd)) ||
            std::any_of(padding, padding + (next - recordEnd), [](uint8_t b) { return b != 0; }))
            return "bytes other than zeros follow a certificate record";
        position = next;
    }
    return nullptr;
}

} // namespace

TPackageLocation LocatePackage(TFile& file)
{
    TPackageLocation location;
    int64_t size = file.Size();
    TPeLayout pe;
    bool isPe = ReadPeLayout(file, pe);
    bool hasDirectory = isPe && (pe.CertOffset != 0 || pe.CertSize != 0);
    if (hasDirectory)
    {
        location.Problem = CertificateTableProblem(file, pe, size);
        if (location.Problem)
            return location;
        location.Signed = true;
    }
    location.LogicalEnd = location.Signed ? int64_t(pe.CertOffset) : size;
    int64_t end = location.LogicalEnd;

    if (isPe)
    {
        constexpr int kMaxPadding = 7;
        uint8_t tail[kMaxPadding + kTrailerSize];
        int64_t tailStart = end - int64_t(sizeof tail);
        bool haveTail = tailStart >= 0 && ReadAt(file, tailStart, tail, sizeof tail);
        for (int padding = 0; haveTail && padding <= kMaxPadding; ++padding)
        {
            int64_t trailer = end - padding - kTrailerSize;
            if (padding > 0 && (end % 8 != 0 || tail[end - padding - tailStart] != 0))
                break;
            int32_t value = DecodeLE32(&tail[trailer - tailStart]);
            if (value >= 0 && value == pe.ImageEnd && value <= trailer)
            {
                location.BaseOffset = value;
                location.TrailerOffset = trailer;
                return location;
            }
        }
    }
    // A signed file's package lies where its signer found it, or nowhere.
    if (location.Signed)
    {
        location.Signed = false;
        location.Problem = "no trailer in front of the certificate table gives the end of the image";
        return location;
    }
    file.Seek(end - kTrailerSize);
    uint8_t raw[kTrailerSize];
    file.ReadExact(raw, kTrailerSize);
    location.BaseOffset = DecodeLE32(raw);
    location.TrailerOffset = end - kTrailerSize;
    return location;
}

bool PeChecksumMatches(TFile& file)
{
    TPeLayout pe;
    if (!ReadPeLayout(file, pe))
        return false;
    uint8_t field[4];
    if (!ReadAt(file, pe.ChecksumOffset, field, sizeof field) || Le32(field) == 0)
        return false;
    uint32_t stored = Le32(field);

    int64_t size = file.Size();
    uint64_t sum = 0;
    std::vector<uint8_t> chunk(1 << 16);
    file.Seek(0);
    for (int64_t position = 0; position < size;)
    {
        int32_t got = static_cast<int32_t>(std::min<int64_t>(size - position, int64_t(chunk.size())));
        file.ReadExact(chunk.data(), got);
        // The field is 4-byte aligned and chunks are even-sized, so it never straddles.
        for (int32_t i = 0; i < got; i += 2)
        {
            int64_t at = position + i;
            if (at >= pe.ChecksumOffset && at < pe.ChecksumOffset + 4)
                continue;
            uint32_t word = chunk[i] | (i + 1 < got ? uint32_t(chunk[i + 1]) << 8 : 0);
            sum += word;
        }
        sum = (sum & 0xFFFFFFFF) + (sum >> 32);
        position += got;
    }
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + size) == stored;
}

} // namespace kf
