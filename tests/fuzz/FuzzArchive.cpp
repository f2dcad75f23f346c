// Hostile archives and setup executables: the header walk, whole-entry reads, chunked
// extraction and the chain and checksum checks must end without crashing, hanging or leaking.
#include "archive/CompressionManager.h"
#include "FuzzSupport.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const std::string input = FuzzScratchPath("archive");
    static const std::string output = FuzzScratchPath("archive-out");
    bool trailer = data[0] & 1;
    WriteFuzzInput(input, data + 1, size - 1);
    try
    {
        kf::TCompressionManager archive(input, false, true, trailer);
        int seen = 0;
        for (const kf::TArchiveEntryHeader& header : archive.Entries())
        {
            if (++seen > 64)
                break;
            std::string name = header.NameString();
            try
            {
                archive.ReadEntryString(name);
            }
            catch (const std::exception&)
            {
            }
            try
            {
                archive.ExtractFile(name, output);
            }
            catch (const std::exception&)
            {
            }
            try
            {
                archive.InflateEntry(seen - 1, [](const uint8_t*, int32_t) {}).Text();
            }
            catch (const std::exception&)
            {
            }
        }
        archive.CheckChain();
        archive.SignedChecksumHolds();
    }
    catch (const std::exception&)
    {
    }
    std::remove(output.c_str());
    return 0;
}
