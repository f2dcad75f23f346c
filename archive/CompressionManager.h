// TCompressionManager: creates, opens, lists, reads and appends to package archives
// (format: ArchiveFormat.h). One manager serves one operation and one thread; it owns
// its file from construction to destruction.
//
// Open modes as the system uses them:
//   script load        CreateNew=false ReadOnly=true  ReadTrailer=false
//   script save        CreateNew=true  ReadOnly=false ReadTrailer=false
//   package build      CreateNew=true  ReadOnly=false ReadTrailer=false
//   installer stub     CreateNew=false ReadOnly=true  ReadTrailer=true (its own .exe)
//
// Errors: every failed file operation raises TIOError (platform/Error.h) and aborts the
// operation; no partial work is undone. A name that is not in the archive is no error.
#pragma once

#include "archive/ArchiveFormat.h"
#include "archive/MemoryStream.h"
#include "platform/File.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kf {

class TCompressionManager;

// A level-9 deflate state and its buffers, kept from one DeflateChunks to the next by a
// caller that compresses many files: zlib's deflateReset gives the bytes a fresh state
// would, without allocating and clearing about 450 KB for every file.
class TDeflater
{
public:
    TDeflater();
    ~TDeflater();
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

private:
    friend class TCompressionManager;
    struct TState;
    std::unique_ptr<TState> FState;
};

// Called after every chunk of CompressFile (Position: bytes read from the source, Size:
// source size) and DecompressFile (Position: bytes written, Size: OriginalSize).
using TProgressEvent = std::function<void(TCompressionManager& sender, int32_t position, int32_t size)>;

class TCompressionManager
{
public:
    static constexpr int32_t kChunkSize = 65535;       // input chunk of the streaming paths
    static constexpr int32_t kOutputBufferSize = 131070;

    // CreateNew: create (truncate) the file for reading and writing; nothing else is read.
    // Otherwise open the existing file (read only when readOnly) and walk its headers from
    // the base offset, which comes from the file's last 4 bytes when readTrailer is set.
    // The walk ends when fewer than 268 bytes remain or a header's PackedSize is negative.
    // Raises the open's TIOError (a missing file: "File not found").
    TCompressionManager(const std::string& fileName, bool createNew, bool readOnly, bool readTrailer);
    ~TCompressionManager();
    TCompressionManager(const TCompressionManager&) = delete;
    TCompressionManager& operator=(const TCompressionManager&) = delete;

    // Appends a header to Entries (name cut to 255 bytes). In create mode it is also
    // written at the end of the file with DataOffset set to where its data begins; the
    // file is then positioned there. Returns the new entry index.
    int32_t AddEntry(const std::string& name, int32_t dataOffset, int32_t originalSize, int32_t packedSize);

    // Index of the last entry whose name equals name with a-z folded to A-Z, or -1.
    // Answered from an index kept with Entries, so look-ups do not scan.
    int32_t FindEntry(const std::string& name) const;

    // The whole content of an entry ("" when missing), inflated in one pass into exactly
    // OriginalSize bytes; damage inside the stream is not reported. Raises TIOError when
    // the header is impossible (negative sizes, data past the end of the file, or an
    // OriginalSize that deflate could not produce from PackedSize bytes), so that a
    // damaged file cannot make it allocate without bound.
    std::string ReadEntryString(const std::string& name);

    // Stores data as a new entry compressed in one pass (create mode).
    void WriteEntryString(const std::string& name, const std::string& data);

    // Streams a disk file into a new entry in 65,535-byte chunks (create mode). Raises
    // TError when the entry or the archive would reach 2 GiB.
    void AddFile(const std::string& sourcePath, const std::string& name);

    // AddFile in two halves around data compressed elsewhere (DeflateChunks) and written
    // to ArchiveFile in between. BeginFileEntry checks the source size and writes the
    // placeholder header, leaving the file positioned for the data; EndFileEntry records
    // the sizes and rewrites the header. Same bytes as AddFile, same TError at 2 GiB.
    int32_t BeginFileEntry(const std::string& name, int64_t sourceSize);
    void EndFileEntry(int32_t index, int64_t sourceSize);

    // Receives each piece of compressed output in order, at most kOutputBufferSize bytes.
    using TDeflateSink = std::function<void(const uint8_t* data, int32_t count)>;
    // After each chunk: bytes read from the source so far and its size. False stops the
    // compression; output not yet handed to the sink is then dropped.
    using TDeflateStep = std::function<bool(int64_t position, int64_t size)>;

    // The one way a file becomes an entry's zlib stream: source read from its current
    // position in 65,535-byte chunks (exactly, else TIOError), deflate at level 9 with
    // Z_PARTIAL_FLUSH after each chunk but the last and Z_FINISH with the last (one pass
    // for an empty file). Returns -1 when deflate cannot be initialised, else 0. Needs
    // no manager, so builds can run it on several threads at once, each with a deflater
    // of its own (none: a fresh state for this file).
    static int32_t DeflateChunks(TFile& source, const TDeflateSink& sink, const TDeflateStep& step,
                                 TDeflater* deflater = nullptr);

    // OriginalSize of the entry, or -1.
    int32_t GetEntrySize(const std::string& name) const;

    // The entry's content as a new stream positioned at 0; empty when missing.
    std::unique_ptr<TMemoryStream> ReadEntryStream(const std::string& name);

    // The chunked paths. CompressFile returns -1 when deflate cannot be initialised,
    // DecompressFile -1 when inflate cannot; otherwise 0. Both clear CancelRequested at
    // the start and return early (without error) once it is set. DecompressFile ends
    // with TIOError on damaged data: an inflate error, a stream that stops before
    // OriginalSize bytes or yields more.
    int32_t CompressFile(TFile& dest, TFile& source);
    int32_t DecompressFile(TFile& dest, TFile& source, int32_t packedSize, int32_t originalSize);

    // Writes the entry to destPath, replacing any file there; a missing name creates
    // nothing. Any failure of the decompression raises TError("Cannot extract file.").
    void ExtractFile(const std::string& name, const std::string& destPath);

    // Extracts the entry under its last name component into the temporary directory and
    // sets path to the file, or to "" when the extraction failed.
    void ExtractToTemp(const std::string& name, std::string& path);

    void SetCancel(bool value) { FCancelRequested = value; }

    TProgressEvent OnProgress;

    const std::vector<TArchiveEntryHeader>& Entries() const { return FEntries; }
    const std::string& FileName() const { return FFileName; }
    bool ReadOnly() const { return FReadOnly; }
    bool CreateNew() const { return FCreateNew; }
    int32_t BaseOffset() const { return FBaseOffset; }
    bool CancelRequested() const { return FCancelRequested; }
    TFile& ArchiveFile() { return FArchiveFile; }

private:
    void WalkHeaders();
    void WriteHeader(int32_t index);
    void IndexEntry(int32_t index);

    std::vector<TArchiveEntryHeader> FEntries;
    std::string FFileName;
    TFile FArchiveFile;
    bool FReadOnly;
    bool FCreateNew;
    int32_t FBaseOffset = 0;
    bool FCancelRequested = false;
    std::unordered_map<std::string, int32_t> FIndex; // upper-cased name -> last index
};

} // namespace kf
