// Hostile signed setups: the rule that finds the package in front of a certificate
// table. Whatever the bytes, a file read as signed has its trailer in front of the
// table and only zeros between, and the same file with bytes appended is never read
// as signed (or as anything): it is damaged.
#include "archive/ArchiveFormat.h"
#include "archive/HostFile.h"
#include "FuzzSupport.h"

#include <cstdlib>
#include <vector>

namespace {

kf::TPackageLocation Locate(const std::string& path)
{
    kf::TFile file(path, kf::TFileMode::OpenRead);
    return kf::LocatePackage(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = FuzzScratchPath("certificate-table");
    WriteFuzzInput(input, data, size);
    try
    {
        kf::TPackageLocation location = Locate(input);
        if (location.Problem && location.Signed)
            std::abort();
        if (!location.Signed)
            return 0;
        int64_t trailerEnd = location.TrailerOffset + kf::kTrailerSize;
        if (location.LogicalEnd % 8 != 0 || location.LogicalEnd >= int64_t(size) || trailerEnd > location.LogicalEnd ||
            location.LogicalEnd - trailerEnd > 7 || location.BaseOffset < 0 ||
            location.BaseOffset > location.TrailerOffset)
            std::abort();
        for (int64_t i = trailerEnd; i < location.LogicalEnd; ++i)
            if (data[i] != 0)
                std::abort();
        // Bytes behind a sound table: what an attacker appends keeps the signature valid.
        std::vector<uint8_t> longer(data, data + size);
        longer.insert(longer.end(), data + location.TrailerOffset, data + trailerEnd);
        WriteFuzzInput(input, longer.data(), longer.size());
        if (!Locate(input).Problem)
            std::abort();
    }
    catch (const std::exception&)
    {
    }
    return 0;
}
