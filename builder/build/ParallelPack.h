// Packing many files into a package archive on several threads, for command-line
// builds (the builder program itself stays on one thread and uses AddFile).
#pragma once

#include "archive/CompressionManager.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

struct TPackItem
{
    std::string SourcePath;
    std::string EntryName;
};

// What the packing tells its caller, always on the caller's thread.
class TPackEvents
{
public:
    virtual ~TPackEvents() = default;
    // The entry about to be written; an error from here on is about this file.
    virtual void Starting(const TPackItem& item) { (void)item; }
    // Source bytes read so far by all threads together (only grows).
    virtual void Progress(int64_t bytesRead) { (void)bytesRead; }
    // The entry is complete in the archive.
    virtual void Packed(const TPackItem& item, int64_t size) { (void)item, (void)size; }
};

// Compressed output waiting to be written, at most (one piece more for the item being
// written). Each thread adds zlib's state, its buffers and one piece in hand (about
// 0.6 MiB), so a build on N threads uses at most about 32 MiB + N x 0.6 MiB more than
// AddFile does, whatever the file sizes.
constexpr int64_t kPackBufferLimit = 32 << 20;

// Appends one entry per item to archive (create mode), in order, compressing up to jobs
// files at once; the archive gets the bytes AddFile would write, item after item. The
// first item that fails, in order, ends the packing with its error (TIOError of its
// open or read, or the archive's own): the archive then holds the items before it,
// complete, and possibly a part of that one. Threads are stopped before this returns.
void PackFiles(TCompressionManager& archive, const std::vector<TPackItem>& items, int32_t jobs,
               TPackEvents& events, int64_t bufferLimit = kPackBufferLimit);

} // namespace kf
