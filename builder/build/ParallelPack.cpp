#include "builder/build/ParallelPack.h"

#include "platform/File.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace kf {

namespace {

// One item's way from its worker to the writer.
struct TSlot
{
    // Compressed output; the writer has taken those before Taken. A vector rather than
    // a deque: an empty deque already holds half a kilobyte, times every file.
    std::vector<std::vector<uint8_t>> Pieces;
    size_t Taken = 0;
    bool Waiting() const { return Taken < Pieces.size(); }
    bool Opened = false;                     // Size is known
    bool Done = false;                       // no more pieces will come
    int64_t Size = 0;
    std::exception_ptr Error;
};

// Thrown inside a worker to leave DeflateChunks once the packing stops.
struct TStopped
{
};

// Workers take the items in order and compress each into its slot; the calling thread
// writes the slots in order. Every item before the writer's has been written, and every
// item a worker holds comes after it, so the writer's item always has a worker or is
// done: whatever the budget, someone can always move.
class TPacker
{
public:
    TPacker(const std::vector<TPackItem>& items, int64_t bufferLimit)
        : FItems(items), FSlots(items.size()), FBufferLimit(bufferLimit)
    {
    }

    ~TPacker()
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FStop = true;
        }
        FChanged.notify_all();
        for (std::thread& worker : FWorkers)
            worker.join();
    }

    void Start(int32_t jobs)
    {
        for (int32_t i = 0; i < jobs; ++i)
            FWorkers.emplace_back([this] { Work(); });
    }

    void Write(TCompressionManager& archive, TPackEvents& events)
    {
        int64_t reported = 0;
        for (size_t i = 0; i < FItems.size(); ++i)
        {
            TSlot& slot = FSlots[i];
            events.Starting(FItems[i]);
            std::unique_lock<std::mutex> lock(FLock);
            FChanged.wait(lock, [&] { return slot.Opened || slot.Done; });
            if (!slot.Opened)
                std::rethrow_exception(slot.Error); // as AddFile: no header for a file that did not open
            const int64_t size = slot.Size;
            lock.unlock();
            int32_t index = archive.BeginFileEntry(FItems[i].EntryName, size);
            for (;;)
            {
                lock.lock();
                FChanged.wait(lock, [&] { return slot.Waiting() || slot.Done || FBytesRead != reported; });
                std::vector<uint8_t> piece;
                const bool have = slot.Waiting();
                if (have)
                {
                    piece = std::move(slot.Pieces[slot.Taken++]);
                    FBuffered -= static_cast<int64_t>(piece.size());
                    if (!slot.Waiting())
                    {
                        slot.Pieces.clear();
                        slot.Taken = 0;
                    }
                }
                const bool done = slot.Done && !slot.Waiting();
                const int64_t bytesRead = FBytesRead;
                lock.unlock();
                if (have)
                {
                    FChanged.notify_all(); // room in the budget
                    archive.ArchiveFile().WriteExact(piece.data(), static_cast<int32_t>(piece.size()));
                }
                if (bytesRead != reported)
                {
                    reported = bytesRead;
                    events.Progress(reported);
                }
                if (done)
                    break;
            }
            if (slot.Error)
                std::rethrow_exception(slot.Error);
            archive.EndFileEntry(index, size);
            events.Packed(FItems[i], size);
            lock.lock();
            FHead = i + 1;
            lock.unlock();
            FChanged.notify_all(); // the next item may now pass the budget
        }
    }

private:
    void Work()
    {
        TDeflater deflater;
        for (;;)
        {
            size_t i;
            {
                std::lock_guard<std::mutex> lock(FLock);
                if (FStop || FNextItem >= FItems.size())
                    return;
                i = FNextItem++;
            }
            try
            {
                Compress(i, deflater);
            }
            catch (const TStopped&)
            {
                return;
            }
            catch (...)
            {
                std::lock_guard<std::mutex> lock(FLock);
                FSlots[i].Error = std::current_exception();
                FSlots[i].Done = true;
            }
            FChanged.notify_all();
        }
    }

    void Compress(size_t i, TDeflater& deflater)
    {
        TSlot& slot = FSlots[i];
        TFile source(FItems[i].SourcePath, TFileMode::OpenRead);
        {
            std::lock_guard<std::mutex> lock(FLock);
            slot.Size = source.Size();
            slot.Opened = true;
        }
        FChanged.notify_all();
        int64_t counted = 0;
        TCompressionManager::DeflateChunks(
            source,
            [&](const uint8_t* data, int32_t count) {
                std::vector<uint8_t> piece(data, data + count);
                std::unique_lock<std::mutex> lock(FLock);
                // The writer's own item may always hand over a piece when it has none
                // waiting, so the item being written never waits for the others.
                FChanged.wait(lock, [&] {
                    return FStop || FBuffered + count <= FBufferLimit || (i == FHead && !slot.Waiting());
                });
                if (FStop)
                    throw TStopped();
                FBuffered += count;
                slot.Pieces.push_back(std::move(piece));
                lock.unlock();
                FChanged.notify_all();
            },
            [&](int64_t position, int64_t) {
                std::unique_lock<std::mutex> lock(FLock);
                if (FStop)
                    throw TStopped();
                FBytesRead += position - counted;
                counted = position;
                lock.unlock();
                FChanged.notify_all();
                return true;
            },
            &deflater);
        // A deflate that cannot start leaves the entry empty, as AddFile does.
        source.Close();
        {
            std::lock_guard<std::mutex> lock(FLock);
            slot.Done = true;
        }
    }

    const std::vector<TPackItem>& FItems;
    std::vector<TSlot> FSlots;
    const int64_t FBufferLimit;
    std::vector<std::thread> FWorkers;

    std::mutex FLock; // guards everything below and the slots' fields
    std::condition_variable FChanged;
    size_t FNextItem = 0;
    size_t FHead = 0; // the item the writer is on
    int64_t FBuffered = 0;
    int64_t FBytesRead = 0;
    bool FStop = false;
};

} // namespace

void PackFiles(TCompressionManager& archive, const std::vector<TPackItem>& items, int32_t jobs,
               TPackEvents& events, int64_t bufferLimit)
{
    TPacker packer(items, bufferLimit);
    packer.Start(std::max<int32_t>(1, std::min<int32_t>(jobs, static_cast<int32_t>(items.size()))));
    packer.Write(archive, events);
}

} // namespace kf
