#include "tools/kftool/KfTool.h"

#include "tools/kftool/HostText.h"

#include "platform/Error.h"
#include "platform/File.h"

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
    TPackageLocation location = LocatePackage(file);
    // A signed file that is not as its signer left it: opened in trailer mode, which
    // refuses it with the reason, rather than read as a plain archive.
    if (location.Problem)
        return true;
    return SoundHeaderAt(file, location.BaseOffset, location.TrailerOffset);
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
