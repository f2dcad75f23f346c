#include "tools/kftool/KfTool.h"

#include "tools/kftool/HostText.h"

#include "platform/Error.h"
#include "platform/File.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace kftool {

using namespace kf;

void PrintError(const std::string& subject, const std::string& message)
{
    if (subject.empty())
        std::fprintf(stderr, "kftool: %s\n", ForTerminal(message).c_str());
    else
        std::fprintf(stderr, "kftool: %s: %s\n", ForTerminal(subject).c_str(), ForTerminal(message).c_str());
}

namespace {

// A first header that a writer of this format could have produced at base.
bool SoundHeaderAt(TFile& file, int64_t base, int64_t end)
{
    if (base < 0 || end - base < kEntryHeaderSize)
        return false;
    uint8_t raw[kEntryHeaderSize];
    file.Seek(base);
    if (file.Read(raw, kEntryHeaderSize) != kEntryHeaderSize)
        return false;
    TArchiveEntryHeader header = DecodeEntryHeader(raw);
    return header.DataOffset == kEntryHeaderSize && header.PackedSize >= 0 &&
           header.OriginalSize >= 0 && base + kEntryHeaderSize + int64_t(header.PackedSize) <= end;
}

bool LooksLikeTrailerFile(const std::string& path)
{
    TFile file(path, TFileMode::OpenRead);
    int64_t size = file.Size();
    if (size < kEntryHeaderSize + kTrailerSize)
        return false;
    if (SoundHeaderAt(file, 0, size))
        return false;
    uint8_t trailer[kTrailerSize];
    file.Seek(size - kTrailerSize);
    file.ReadExact(trailer, kTrailerSize);
    return SoundHeaderAt(file, DecodeLE32(trailer), size - kTrailerSize);
}

} // namespace

TOpenedArchive OpenArchive(const std::string& path, TTrailerMode mode)
{
    TOpenedArchive opened;
    opened.UsesTrailer = mode == TTrailerMode::Force || (mode == TTrailerMode::Detect && LooksLikeTrailerFile(path));
    opened.Archive = std::make_unique<TCompressionManager>(path, false, true, opened.UsesTrailer);
    return opened;
}

TTrailerMode TakeTrailerOption(std::vector<std::string>& args)
{
    TTrailerMode mode = TTrailerMode::Detect;
    for (auto it = args.begin(); it != args.end();)
    {
        if (*it == "--trailer")
            mode = TTrailerMode::Force;
        else if (*it == "--no-trailer")
            mode = TTrailerMode::Never;
        else
        {
            ++it;
            continue;
        }
        it = args.erase(it);
    }
    return mode;
}

std::string InflateEntry(TCompressionManager& archive, const TArchiveEntryHeader& header,
                         const std::function<void(const char*, size_t)>& sink)
{
    if (header.PackedSize < 0 || header.OriginalSize < 0)
        return "negative size in header";
    TFile& file = archive.ArchiveFile();
    int64_t start = int64_t(archive.BaseOffset()) + header.DataOffset;
    if (start < 0 || start + header.PackedSize > file.Size())
        return "data lies outside the file";
    file.Seek(start);

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return "cannot initialise inflate";
    std::vector<char> input(TCompressionManager::kChunkSize);
    std::vector<char> output(TCompressionManager::kOutputBufferSize);
    int64_t inputLeft = header.PackedSize;
    int64_t produced = 0;
    int result = Z_OK;
    std::string problem;
    while (problem.empty() && result != Z_STREAM_END)
    {
        if (stream.avail_in == 0)
        {
            if (inputLeft == 0)
            {
                problem = "zlib stream is incomplete";
                break;
            }
            int32_t chunk = static_cast<int32_t>(std::min<int64_t>(inputLeft, input.size()));
            file.ReadExact(input.data(), chunk);
            inputLeft -= chunk;
            stream.next_in = reinterpret_cast<Bytef*>(input.data());
            stream.avail_in = static_cast<uInt>(chunk);
        }
        stream.next_out = reinterpret_cast<Bytef*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        result = inflate(&stream, Z_NO_FLUSH);
        size_t got = output.size() - stream.avail_out;
        produced += static_cast<int64_t>(got);
        if (produced > header.OriginalSize)
            problem = "yields more than OriginalSize bytes";
        else if (got && sink)
            sink(output.data(), got);
        if (result == Z_DATA_ERROR)
            problem = stream.msg && std::string(stream.msg) == "incorrect data check"
                          ? "Adler-32 mismatch"
                          : std::string("corrupt zlib data") + (stream.msg ? std::string(" (") + stream.msg + ")" : "");
        else if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            problem = "inflate failed";
    }
    inflateEnd(&stream);
    if (problem.empty() && (stream.avail_in != 0 || inputLeft != 0))
        problem = "data continues after the end of the zlib stream";
    if (problem.empty() && produced != header.OriginalSize)
        problem = "yields " + std::to_string(produced) + " bytes, OriginalSize is " +
                  std::to_string(header.OriginalSize);
    return problem;
}

std::string CheckStructure(TCompressionManager& archive, bool hasTrailer)
{
    int64_t position = archive.BaseOffset();
    for (const TArchiveEntryHeader& header : archive.Entries())
    {
        if (int64_t(header.DataOffset) != position - archive.BaseOffset() + kEntryHeaderSize)
            return "entry \"" + header.NameString() + "\": DataOffset " + std::to_string(header.DataOffset) +
                   " does not follow its header";
        position += kEntryHeaderSize + int64_t(header.PackedSize);
    }
    int64_t end = archive.ArchiveFile().Size() - (hasTrailer ? kTrailerSize : 0);
    if (position != end)
        return "the entries end at " + std::to_string(position) + ", the archive at " + std::to_string(end);
    return std::string();
}

std::vector<std::string> SafeRelativeComponents(const std::string& entryName)
{
    std::vector<std::string> components;
    if (entryName.empty() || entryName[0] == '\\' || entryName[0] == '/')
        return {};
    std::string current;
    auto finish = [&]() -> bool {
        if (current == "..")
            return false;
        if (!current.empty() && current != ".")
            components.push_back(current);
        current.clear();
        return true;
    };
    for (char c : entryName)
    {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '/')
        {
            if (!finish())
                return {};
        }
        else if (c == ':' || u < 32 || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            return {}; // drive letters, streams and names Windows cannot hold
        else
            current += c;
    }
    if (!finish() || components.empty())
        return {};
    return components;
}

} // namespace kftool
