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
// In trailer mode the package is found by LocatePackage (HostFile.h), which also reads
// signed setups and refuses a signed file that is not as its signer left it; the
// archive then ends at the trailer.
//
// Errors: every failed file operation raises TIOError (platform/Error.h) and aborts the
// operation; no partial work is undone. A name that is not in the archive is no error.
#pragma once

#include "archive/ArchiveFormat.h"
#include "archive/HostFile.h"
#include "archive/MemoryStream.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
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

// Receives each inflated chunk in order; may raise (a failed write ends the inflate).
// Borrows any callable taking (const uint8_t* data, int32_t size) for the length of
// the call it is passed to: lighter than std::function in the stubs.
class TInflateSink
{
public:
    template <class F>
    TInflateSink(const F& write)
        : FContext(&write),
          FCall([](const void* context, const uint8_t* data, int32_t size) {
              (*static_cast<const F*>(context))(data, size);
          })
    {}
    void operator()(const uint8_t* data, int32_t size) const { FCall(FContext, data, size); }

private:
    const void* FContext;
    void (*FCall)(const void* context, const uint8_t* data, int32_t size);
};

// What an inflate of one entry's data found. Sound: a complete zlib stream that ends
// exactly at PackedSize, matches its Adler-32 and yields exactly OriginalSize bytes.
enum class TInflateFault
{
    None,             // sound, or stopped by a cancel request
    NoInflater,       // inflateInit failed
    NegativeSize,     // the header holds a negative size
    CorruptData,      // inflate refused the data
    ChecksumMismatch, // the content does not match the stream's Adler-32
    Incomplete,       // the stored data stops before the stream's end
    TooLong,          // the stream yields more than OriginalSize bytes
    TooShort,         // the stream ends before OriginalSize bytes
    TrailingData,     // stored bytes follow the end of the stream
};

struct TInflateOutcome
{
    TInflateFault Fault = TInflateFault::None;
    int64_t Produced = 0;     // bytes handed to the sink
    int32_t OriginalSize = 0; // what the header promised
    bool Sound() const { return Fault == TInflateFault::None; }
    // One line for a person: "" when sound, else e.g. "Adler-32 mismatch",
    // "yields 17 bytes, OriginalSize is 18".
    std::string Text() const;
};

class TCompressionManager
{
public:
    static constexpr int32_t kChunkSize = 65535;       // input chunk of the streaming paths
    static constexpr int32_t kOutputBufferSize = 131070;

    // CreateNew: create (truncate) the file for reading and writing; nothing else is read.
    // Otherwise open the existing file (read only when readOnly) and walk its headers from
    // the base offset, which comes from the trailer when readTrailer is set (for an
    // unsigned file its last 4 bytes). The walk ends when fewer than 268 bytes remain
    // before the trailer's end (the file's end without trailer) or a header's
    // PackedSize is negative.
    // Raises the open's TIOError (a missing file: "File not found"), and in trailer mode
    // TError("damaged setup: " + the Problem) for a file LocatePackage refuses.
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
    // with TIOError(kErrInvalidData) on every fault InflateData finds.
    int32_t CompressFile(TFile& dest, TFile& source);
    int32_t DecompressFile(IFileWriter& dest, TFile& source, int32_t packedSize, int32_t originalSize);

    // The one chunked inflate every extraction goes through: reads packedSize bytes from
    // source (positioned at the data) in 65,535-byte chunks and hands the output to
    // sink in pieces of at most 131,070 bytes. Clears CancelRequested at the start,
    // calls OnProgress after every inflate step (Position: bytes handed over, Size:
    // originalSize) and stops without a fault once CancelRequested is set. Output past
    // originalSize never reaches the sink. Raises the I/O error of a read (a source
    // that ends early: "Read beyond end of file") or whatever sink raises.
    TInflateOutcome InflateData(TFile& source, int32_t packedSize, int32_t originalSize, const TInflateSink& sink);

    // InflateData over entry index (0 <= index < Entries().size()). Raises TIOError
    // "Read beyond end of file" before reading when the data would run past the
    // archive's end, so a truncated entry is told in the system's words.
    TInflateOutcome InflateEntry(int32_t index, const TInflateSink& sink);

    // The chain check: -1 when the headers follow each other exactly from the base
    // offset to the archive's end (the trailer in trailer mode, else the end of the
    // file): every DataOffset where its header ends, no negative size, no bytes left over
    // and none missing. Otherwise the index of the first entry whose header is wrong, or
    // Entries().size() when the entries end elsewhere than the archive. Only the headers
    // are read, so damage inside an entry's data is left to InflateEntry.
    int32_t ChainBreak() const;
    // ChainBreak for a person: "" when sound, else e.g. "entry "x": DataOffset 9 does
    // not follow its header", "the entries end at 700, the archive at 704".
    std::string CheckChain() const;

    // False only for a signed setup (trailer mode, Location().Signed) whose PE checksum,
    // which the signer wrote over the finished file, no longer matches its bytes. Signing
    // covers the package, so a package changed afterwards is damaged, and this tells it
    // without verifying the signature. Reads the whole file of a signed setup.
    bool SignedChecksumHolds();

    // Writes the entry to destPath, replacing any file there; a missing name creates
    // nothing. Any failure of the decompression raises TError("Cannot extract file.")
    // with the cause as its Reason ("Disk full"). The file is written through files (the
    // disk when none is given).
    void ExtractFile(const std::string& name, const std::string& destPath, IFileSystem* files = nullptr);

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
    // Where the archive ends: the trailer in trailer mode, else the end of the file.
    int64_t ArchiveEnd() const { return FArchiveEnd; }
    // Trailer mode only: where LocatePackage found the package.
    const TPackageLocation& Location() const { return FLocation; }
    bool CancelRequested() const { return FCancelRequested; }
    TFile& ArchiveFile() { return FArchiveFile; }

private:
    void WalkHeaders(int64_t walkEnd);
    void WriteHeader(int32_t index);
    void IndexEntry(int32_t index);

    // The inflate state and buffers InflateData keeps from one entry to the next: an
    // installation of many small files would otherwise allocate and free about 230 KB
    // for each, which the Windows heap hands back to the system and maps again.
    struct TInflateState;
    std::unique_ptr<TInflateState> FInflater;

    std::vector<TArchiveEntryHeader> FEntries;
    std::string FFileName;
    TFile FArchiveFile;
    bool FReadOnly;
    bool FCreateNew;
    int32_t FBaseOffset = 0;
    int64_t FArchiveEnd = 0;
    int64_t FWalkEnd = 0; // the file's end, or the trailer's end in trailer mode
    TPackageLocation FLocation;
    bool FCancelRequested = false;
    // Upper-cased name -> last index. A tree rather than a hash table: the installer
    // stub carries this code, and the tree code is there for its other maps anyway.
    std::map<std::string, int32_t> FIndex;
};

// The damaged-setup check of a setup executable, before anything is shown: true when
// it can be installed whole. False for a truncated download, junk behind the package, a
// zeroed trailer and, in a signed setup, a package changed after signing: it needs the
// trailer found as LocatePackage says, headers that chain exactly from the base to the
// trailer (ChainBreak), an entry named requiredEntry, and for a signed file the checksum
// (SignedChecksumHolds). Damage inside an entry's data of an unsigned setup shows only
// when that entry is extracted. Never raises: an I/O error makes it false.
bool IsSoundSetupFile(const std::string& path, const std::string& requiredEntry);

} // namespace kf
