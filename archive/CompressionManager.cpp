#include "archive/CompressionManager.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kf {

namespace {

// The largest expansion deflate can encode: 258 bytes from a 2-bit match, so at most
// 1032 output bytes per input byte. A header claiming more is damaged.
constexpr int64_t kMaxDeflateRatio = 1032;

// Frees zlib's state on every path out, exceptions included.
struct TDeflateGuard
{
    z_stream* Stream = nullptr;
    ~TDeflateGuard()
    {
        if (Stream)
            deflateEnd(Stream);
    }
};

struct TInflateGuard
{
    z_stream* Stream = nullptr;
    ~TInflateGuard()
    {
        if (Stream)
            inflateEnd(Stream);
    }
};

int DeflateInitLevel9(z_stream& stream)
{
    return deflateInit2(&stream, 9, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
}

[[noreturn]] void RaiseDamaged() { throw TIOError(kErrInvalidData); }

void CheckBelowLimit(int64_t value)
{
    if (value >= kArchiveSizeLimit)
        throw TError("The package would reach the 2 GiB limit of the archive format");
}

} // namespace

struct TCompressionManager::TInflateState
{
    z_stream Stream{};
    bool Ready = false; // Stream holds an initialised state
    std::vector<Bytef> Input = std::vector<Bytef>(kChunkSize);
    std::vector<Bytef> Output = std::vector<Bytef>(kOutputBufferSize);

    ~TInflateState()
    {
        if (Ready)
            inflateEnd(&Stream);
    }
};

TCompressionManager::TCompressionManager(const std::string& fileName, bool createNew, bool readOnly,
                                         bool readTrailer)
    : FFileName(fileName), FReadOnly(readOnly), FCreateNew(createNew)
{
    if (createNew)
    {
        FArchiveFile.Open(fileName, TFileMode::Create);
        return;
    }
    FArchiveFile.Open(fileName, readOnly ? TFileMode::OpenRead : TFileMode::OpenReadWrite);
    int64_t walkEnd = FArchiveFile.Size();
    FArchiveEnd = walkEnd;
    if (readTrailer)
    {
        FLocation = LocatePackage(FArchiveFile);
        if (FLocation.Problem)
            throw TError(std::string("damaged setup: ") + FLocation.Problem);
        FBaseOffset = FLocation.BaseOffset;
        FArchiveEnd = FLocation.TrailerOffset;
        walkEnd = FArchiveEnd + kTrailerSize; // an unsigned file's own end, as always
    }
    FWalkEnd = walkEnd;
    WalkHeaders(walkEnd);
}

TCompressionManager::~TCompressionManager() = default;

void TCompressionManager::WalkHeaders(int64_t size)
{
    int64_t position = FBaseOffset;
    FArchiveFile.Seek(position);
    uint8_t raw[kEntryHeaderSize];
    while (size - position >= kEntryHeaderSize)
    {
        FArchiveFile.Seek(position);
        FArchiveFile.ReadExact(raw, kEntryHeaderSize);
        TArchiveEntryHeader header = DecodeEntryHeader(raw);
        // A negative size would move the walk backwards, possibly forever: the archive
        // ends here.
        if (header.PackedSize < 0)
            break;
        FEntries.push_back(header);
        IndexEntry(static_cast<int32_t>(FEntries.size() - 1));
        position += kEntryHeaderSize + int64_t(header.PackedSize);
    }
}

void TCompressionManager::IndexEntry(int32_t index)
{
    FIndex[UpperCaseAscii(FEntries[index].NameString())] = index;
}

void TCompressionManager::WriteHeader(int32_t index)
{
    uint8_t raw[kEntryHeaderSize];
    EncodeEntryHeader(FEntries[index], raw);
    FArchiveFile.WriteExact(raw, kEntryHeaderSize);
}

int32_t TCompressionManager::AddEntry(const std::string& name, int32_t dataOffset, int32_t originalSize,
                                      int32_t packedSize)
{
    TArchiveEntryHeader header;
    header.SetName(name);
    header.DataOffset = dataOffset;
    header.OriginalSize = originalSize;
    header.PackedSize = packedSize;
    FEntries.push_back(header);
    int32_t index = static_cast<int32_t>(FEntries.size() - 1);
    IndexEntry(index);
    if (FCreateNew)
    {
        int64_t end = FArchiveFile.Size();
        CheckBelowLimit(end + kEntryHeaderSize);
        FArchiveFile.Seek(end);
        FEntries[index].DataOffset = static_cast<int32_t>(end + kEntryHeaderSize - FBaseOffset);
        WriteHeader(index);
    }
    return index;
}

int32_t TCompressionManager::FindEntry(const std::string& name) const
{
    if (name.size() > static_cast<size_t>(kMaxEntryNameLength))
        return -1; // stored names are at most 255 bytes, so a longer query never matches
    auto found = FIndex.find(UpperCaseAscii(name));
    return found == FIndex.end() ? -1 : found->second;
}

std::string TCompressionManager::ReadEntryString(const std::string& name)
{
    int32_t index = FindEntry(name);
    if (index < 0)
        return std::string();
    const TArchiveEntryHeader& header = FEntries[index];
    int64_t start = int64_t(FBaseOffset) + header.DataOffset;
    FArchiveFile.Seek(start);
    if (header.PackedSize < 0 || header.OriginalSize < 0 ||
        int64_t(header.OriginalSize) > int64_t(header.PackedSize) * kMaxDeflateRatio)
        RaiseDamaged();
    if (header.PackedSize > FWalkEnd - start)
        throw TIOError(kErrReadBeyondEnd);

    std::string packed(static_cast<size_t>(header.PackedSize), '\0');
    FArchiveFile.ReadExact(&packed[0], header.PackedSize);
    std::string result(static_cast<size_t>(header.OriginalSize), '\0');

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return result;
    TInflateGuard guard{&stream};
    stream.next_in = reinterpret_cast<Bytef*>(&packed[0]);
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(&result[0]);
    stream.avail_out = static_cast<uInt>(result.size());
    inflate(&stream, Z_FINISH); // damage is not reported: the result keeps its length
    return result;
}

void TCompressionManager::WriteEntryString(const std::string& name, const std::string& data)
{
    int64_t length = static_cast<int64_t>(data.size());
    CheckBelowLimit(length);
    // deflateBound would be tighter; this size has always been enough for level 9.
    std::string packed(static_cast<size_t>(length + length / 5 + 12), '\0');
    int32_t index = AddEntry(name, 0, 0, 0);

    z_stream stream{};
    if (DeflateInitLevel9(stream) != Z_OK)
        throw TError("Cannot initialise the compressor");
    TDeflateGuard guard{&stream};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&packed[0]);
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    int64_t packedLength = static_cast<int64_t>(stream.total_out);

    TArchiveEntryHeader& header = FEntries[index];
    int64_t headerPosition = int64_t(FBaseOffset) + header.DataOffset - kEntryHeaderSize;
    CheckBelowLimit(headerPosition + kEntryHeaderSize + packedLength);
    header.OriginalSize = static_cast<int32_t>(length);
    header.PackedSize = static_cast<int32_t>(packedLength);
    FArchiveFile.Seek(headerPosition);
    WriteHeader(index);
    FArchiveFile.WriteExact(packed.data(), static_cast<int32_t>(packedLength));
}

void TCompressionManager::AddFile(const std::string& sourcePath, const std::string& name)
{
    TFile source(sourcePath, TFileMode::OpenRead);
    int64_t sourceSize = source.Size();
    int32_t index = BeginFileEntry(name, sourceSize);
    CompressFile(FArchiveFile, source);
    EndFileEntry(index, sourceSize);
    source.Close();
}

int32_t TCompressionManager::BeginFileEntry(const std::string& name, int64_t sourceSize)
{
    CheckBelowLimit(sourceSize);
    return AddEntry(name, 0, 0, 0);
}

void TCompressionManager::EndFileEntry(int32_t index, int64_t sourceSize)
{
    TArchiveEntryHeader& header = FEntries[index];
    int64_t dataStart = int64_t(FBaseOffset) + header.DataOffset;
    int64_t packedSize = FArchiveFile.Position() - dataStart;
    CheckBelowLimit(FArchiveFile.Position());
    header.OriginalSize = static_cast<int32_t>(sourceSize);
    header.PackedSize = static_cast<int32_t>(packedSize);
    FArchiveFile.Seek(dataStart - kEntryHeaderSize);
    WriteHeader(index);
}

int32_t TCompressionManager::GetEntrySize(const std::string& name) const
{
    int32_t index = FindEntry(name);
    return index < 0 ? -1 : FEntries[index].OriginalSize;
}

std::unique_ptr<TMemoryStream> TCompressionManager::ReadEntryStream(const std::string& name)
{
    return std::make_unique<TMemoryStream>(ReadEntryString(name));
}

int32_t TCompressionManager::CompressFile(TFile& dest, TFile& source)
{
    FCancelRequested = false;
    return DeflateChunks(
        source, [&](const uint8_t* data, int32_t count) { dest.WriteExact(data, count); },
        [&](int64_t position, int64_t size) {
            if (OnProgress)
                OnProgress(*this, static_cast<int32_t>(position), static_cast<int32_t>(size));
            return !FCancelRequested; // pending output is dropped: the entry is left short
        });
}

struct TDeflater::TState
{
    z_stream Stream{};
    bool Ready = false; // Stream holds an initialised state
    std::vector<Bytef> Input = std::vector<Bytef>(TCompressionManager::kChunkSize);
    std::vector<Bytef> Output = std::vector<Bytef>(TCompressionManager::kOutputBufferSize);

    ~TState()
    {
        if (Ready)
            deflateEnd(&Stream);
    }
};

TDeflater::TDeflater() : FState(std::make_unique<TState>()) {}
TDeflater::~TDeflater() = default;

int32_t TCompressionManager::DeflateChunks(TFile& source, const TDeflateSink& sink, const TDeflateStep& step,
                                           TDeflater* deflater)
{
    std::unique_ptr<TDeflater> fresh;
    if (!deflater)
    {
        fresh = std::make_unique<TDeflater>();
        deflater = fresh.get();
    }
    TDeflater::TState& state = *deflater->FState;
    std::vector<Bytef>& output = state.Output;
    std::vector<Bytef>& input = state.Input;
    z_stream& stream = state.Stream;
    const int64_t sourceSize = source.Size();
    int64_t remaining = sourceSize;
    bool started = false;

    for (;;)
    {
        if (!started || (stream.avail_in == 0 && remaining > 0))
        {
            int32_t chunk = static_cast<int32_t>(std::min<int64_t>(remaining, kChunkSize));
            source.ReadExact(input.data(), chunk);
            remaining -= chunk;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(chunk);
        }
        if (!started || stream.avail_out < static_cast<uInt>(kOutputBufferSize))
        {
            if (started)
                sink(output.data(), kOutputBufferSize - static_cast<int32_t>(stream.avail_out));
            stream.next_out = output.data();
            stream.avail_out = kOutputBufferSize;
        }
        if (!started)
        {
            started = true;
            // A state left mid-stream by an error or a stop is reset all the same.
            if ((state.Ready ? deflateReset(&stream) : DeflateInitLevel9(stream)) != Z_OK)
                return -1;
            state.Ready = true;
        }
        int result = deflate(&stream, remaining == 0 ? Z_FINISH : Z_PARTIAL_FLUSH);
        if (result == Z_STREAM_ERROR)
            throw TError("Compression failed");
        if (!step(sourceSize - remaining, sourceSize))
            return 0;
        if (result == Z_STREAM_END)
            break;
    }
    if (stream.avail_out < static_cast<uInt>(kOutputBufferSize))
        sink(output.data(), kOutputBufferSize - static_cast<int32_t>(stream.avail_out));
    return 0;
}

int32_t TCompressionManager::DecompressFile(IFileWriter& dest, TFile& source, int32_t packedSize,
                                            int32_t originalSize)
{
    TInflateOutcome outcome = InflateData(source, packedSize, originalSize,
                                          [&dest](const uint8_t* data, int32_t size) { dest.Write(data, size); });
    if (outcome.Fault == TInflateFault::NoInflater)
        return -1;
    if (!outcome.Sound())
        RaiseDamaged();
    return 0;
}

TInflateOutcome TCompressionManager::InflateData(TFile& source, int32_t packedSize, int32_t originalSize,
                                                 const TInflateSink& sink)
{
    FCancelRequested = false;
    TInflateOutcome outcome;
    outcome.OriginalSize = originalSize;
    auto fault = [&outcome](TInflateFault what) {
        outcome.Fault = what;
        return outcome;
    };
    if (packedSize < 0 || originalSize < 0)
        return fault(TInflateFault::NegativeSize);
    if (!FInflater)
        FInflater = std::make_unique<TInflateState>();
    TInflateState& state = *FInflater;
    std::vector<Bytef>& input = state.Input;
    std::vector<Bytef>& output = state.Output;
    z_stream& stream = state.Stream;
    int64_t inputLeft = packedSize;
    int64_t outputLeft = originalSize;
    bool started = false;
    bool streamEnded = false;

    // Each pass reads a chunk when the last is used up, hands on the previous pass's
    // output and inflates once; completion is decided by the header's byte counts.
    for (;;)
    {
        bool progressed = false;
        if (!started || (stream.avail_in == 0 && inputLeft > 0))
        {
            int32_t chunk = static_cast<int32_t>(std::min<int64_t>(inputLeft, kChunkSize));
            source.ReadExact(input.data(), chunk);
            inputLeft -= chunk;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(chunk);
            progressed = chunk > 0;
        }
        if (!started)
        {
            stream.next_out = output.data();
            stream.avail_out = kOutputBufferSize;
        }
        else if (stream.avail_out < static_cast<uInt>(kOutputBufferSize) && outputLeft > 0)
        {
            int32_t pending = kOutputBufferSize - static_cast<int32_t>(stream.avail_out);
            if (pending > outputLeft)
                return fault(TInflateFault::TooLong);
            sink(output.data(), pending);
            outputLeft -= pending;
            outcome.Produced += pending;
            stream.next_out = output.data();
            stream.avail_out = kOutputBufferSize;
            progressed = true;
        }
        if (!started)
        {
            started = true;
            // A state left mid-stream by a fault, an error or a stop is reset all the same.
            if ((state.Ready ? inflateReset(&stream) : inflateInit(&stream)) != Z_OK)
                return fault(TInflateFault::NoInflater);
            state.Ready = true;
            progressed = true;
        }
        uInt inBefore = stream.avail_in, outBefore = stream.avail_out;
        int result = inflate(&stream, inputLeft == 0 ? Z_FINISH : Z_SYNC_FLUSH);
        if (result == Z_STREAM_END)
            streamEnded = true;
        else if (result == Z_DATA_ERROR && stream.msg && std::strcmp(stream.msg, "incorrect data check") == 0)
            return fault(TInflateFault::ChecksumMismatch);
        else if (result != Z_OK && result != Z_BUF_ERROR)
            return fault(TInflateFault::CorruptData);
        progressed = progressed || stream.avail_in != inBefore || stream.avail_out != outBefore;
        if (OnProgress)
            OnProgress(*this, static_cast<int32_t>(outcome.Produced), originalSize);
        if (FCancelRequested)
            return outcome;
        if (inputLeft == 0 && outputLeft == 0)
            break;
        // A truncated or over-long stream stops moving; without this the loop would spin.
        if (!progressed)
            return fault(!streamEnded ? TInflateFault::Incomplete
                                      : outputLeft > 0 ? TInflateFault::TooShort : TInflateFault::TrailingData);
    }
    if (stream.avail_out != static_cast<uInt>(kOutputBufferSize))
        return fault(TInflateFault::TooLong);
    if (!streamEnded)
        return fault(TInflateFault::Incomplete);
    if (stream.avail_in != 0)
        return fault(TInflateFault::TrailingData);
    return outcome;
}

TInflateOutcome TCompressionManager::InflateEntry(int32_t index, const TInflateSink& sink)
{
    const TArchiveEntryHeader& header = FEntries[index];
    int64_t start = int64_t(FBaseOffset) + header.DataOffset;
    if (header.PackedSize >= 0 && start + header.PackedSize > FArchiveEnd)
        throw TIOError(kErrReadBeyondEnd);
    FArchiveFile.Seek(start);
    return InflateData(FArchiveFile, header.PackedSize, header.OriginalSize, sink);
}

int32_t TCompressionManager::ChainBreak() const
{
    int64_t position = FBaseOffset;
    for (size_t i = 0; i < FEntries.size(); ++i)
    {
        const TArchiveEntryHeader& header = FEntries[i];
        if (int64_t(header.DataOffset) != position - FBaseOffset + kEntryHeaderSize || header.OriginalSize < 0)
            return static_cast<int32_t>(i);
        position += kEntryHeaderSize + int64_t(header.PackedSize);
    }
    return position == FArchiveEnd ? -1 : static_cast<int32_t>(FEntries.size());
}

std::string TCompressionManager::CheckChain() const
{
    int32_t index = ChainBreak();
    if (index < 0)
        return std::string();
    if (static_cast<size_t>(index) == FEntries.size())
    {
        int64_t position = FBaseOffset;
        for (const TArchiveEntryHeader& header : FEntries)
            position += kEntryHeaderSize + int64_t(header.PackedSize);
        return "the entries end at " + std::to_string(position) + ", the archive at " + std::to_string(FArchiveEnd);
    }
    const TArchiveEntryHeader& header = FEntries[index];
    if (header.OriginalSize < 0)
        return "entry \"" + header.NameString() + "\": negative OriginalSize";
    return "entry \"" + header.NameString() + "\": DataOffset " + std::to_string(header.DataOffset) +
           " does not follow its header";
}

bool TCompressionManager::SignedChecksumHolds() { return !FLocation.Signed || PeChecksumMatches(FArchiveFile); }

bool IsSoundSetupFile(const std::string& path, const std::string& requiredEntry)
{
    try
    {
        TCompressionManager archive(path, false, true, true);
        return archive.ChainBreak() < 0 && archive.FindEntry(requiredEntry) >= 0 && archive.SignedChecksumHolds();
    }
    catch (const std::exception&)
    {
        return false;
    }
}

std::string TInflateOutcome::Text() const
{
    switch (Fault)
    {
    case TInflateFault::None:
        return std::string();
    case TInflateFault::NoInflater:
        return "cannot initialise inflate";
    case TInflateFault::NegativeSize:
        return "negative size in header";
    case TInflateFault::CorruptData:
        return "corrupt zlib data";
    case TInflateFault::ChecksumMismatch:
        return "Adler-32 mismatch";
    case TInflateFault::Incomplete:
        return "zlib stream is incomplete";
    case TInflateFault::TooLong:
        return "yields more than OriginalSize bytes";
    case TInflateFault::TooShort:
        return "yields " + std::to_string(Produced) + " bytes, OriginalSize is " + std::to_string(OriginalSize);
    case TInflateFault::TrailingData:
        return "data after the end of the zlib stream";
    }
    return std::string();
}

void TCompressionManager::ExtractFile(const std::string& name, const std::string& destPath, IFileSystem* files)
{
    int32_t index = FindEntry(name);
    if (index < 0)
        return;
    const TArchiveEntryHeader& header = FEntries[index];
    FArchiveFile.Seek(int64_t(FBaseOffset) + header.DataOffset);
    std::unique_ptr<IFileWriter> dest = (files ? *files : DiskFileSystem()).Create(destPath);
    // The user sees one message whatever the cause; a log names the cause beside it.
    std::string reason;
    try
    {
        if (DecompressFile(*dest, FArchiveFile, header.PackedSize, header.OriginalSize) < 0)
            reason = "no inflater";
    }
    catch (const std::exception& error)
    {
        reason = error.what();
    }
    catch (...)
    {
        reason = "unknown error";
    }
    if (!reason.empty())
    {
        try
        {
            dest->Close();
        }
        catch (...)
        {
        }
        throw TError("Cannot extract file.", reason);
    }
    dest->Close();
}

void TCompressionManager::ExtractToTemp(const std::string& name, std::string& path)
{
    std::string last = name;
    for (size_t cut; (cut = last.find('\\')) != std::string::npos;)
        last.erase(0, cut + 1);

    std::string dir = TempDirectoryRaw();
    size_t first = 0, end = dir.size();
    while (first < end && static_cast<unsigned char>(dir[first]) <= ' ')
        ++first;
    while (end > first && static_cast<unsigned char>(dir[end - 1]) <= ' ')
        --end;
    dir = dir.substr(first, end - first);
    if (dir.empty())
        dir = "C:\\TEMP";
    if (dir.back() != kPathDelim)
        dir += kPathDelim;
    ForceDirectories(dir);

    path = dir + last;
    try
    {
        ExtractFile(name, path);
    }
    catch (...)
    {
        path.clear();
    }
}

} // namespace kf
