#include "archive/CompressionManager.h"
#include "builder/build/ParallelPack.h"
#include "platform/Error.h"
#include "build_Support.h"

#include <gtest/gtest.h>

using namespace kf;
using kftest::NoiseBytes;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

class TRecordingEvents : public TPackEvents
{
public:
    void Starting(const TPackItem& item) override { Started.push_back(item.EntryName); }
    void Progress(int64_t bytesRead) override
    {
        Monotonic = Monotonic && bytesRead >= LastRead;
        LastRead = bytesRead;
    }
    void Packed(const TPackItem& item, int64_t size) override
    {
        Done.push_back(item.EntryName);
        BytesPacked += size;
    }

    std::vector<std::string> Started, Done;
    int64_t LastRead = 0;
    int64_t BytesPacked = 0;
    bool Monotonic = true;
};

// Files whose streams take one pass, two, many; output pieces of every size; and many
// small ones, so that workers run ahead of the writer and wait for the budget.
class ParallelPack : public testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<std::pair<std::string, std::string>> files = {
            {"empty", ""},
            {"one-chunk", NoiseBytes(65535, 1)},
            {"two-chunks", NoiseBytes(65536, 2)},
            {"noise", NoiseBytes(700000, 3)},
            {"text", std::string(900000, 'k') + NoiseBytes(1000, 4)},
        };
        for (int i = 0; i < 40; ++i)
            files.push_back({"small" + std::to_string(i), NoiseBytes(100 + 997 * i, 10 + i)});
        files.push_back({"last-noise", NoiseBytes(400000, 5)});
        for (const auto& file : files)
        {
            WriteFileBytes(Temp / file.first, file.second);
            Items.push_back({Temp / file.first, "data\\" + file.first});
            Total += static_cast<int64_t>(file.second.size());
        }
    }

    std::string Serial()
    {
        std::string path = Temp / "serial.dat";
        TCompressionManager archive(path, true, false, false);
        for (const TPackItem& item : Items)
            archive.AddFile(item.SourcePath, item.EntryName);
        archive.ArchiveFile().Close();
        return ReadFileBytes(path);
    }

    std::string Parallel(int32_t jobs, int64_t bufferLimit, TRecordingEvents& events)
    {
        std::string path = Temp / ("parallel" + std::to_string(jobs) + ".dat");
        TCompressionManager archive(path, true, false, false);
        PackFiles(archive, Items, jobs, events, bufferLimit);
        archive.ArchiveFile().Close();
        return ReadFileBytes(path);
    }

    TTempDir Temp;
    std::vector<TPackItem> Items;
    int64_t Total = 0;
};

TEST_F(ParallelPack, GivesTheBytesOfAddFileWhateverTheThreadsAndTheBudget)
{
    const std::string serial = Serial();
    for (int32_t jobs : {1, 2, 4, 8})
        for (int64_t limit : {int64_t(1), int64_t(200000), kPackBufferLimit})
        {
            TRecordingEvents events;
            ASSERT_EQ(Parallel(jobs, limit, events), serial) << jobs << " threads, budget " << limit;
            EXPECT_EQ(events.Done.size(), Items.size());
            EXPECT_EQ(events.Started, events.Done) << "in order, one after the other";
            EXPECT_EQ(events.BytesPacked, Total);
            EXPECT_EQ(events.LastRead, Total) << "progress reaches every byte read";
            EXPECT_TRUE(events.Monotonic);
        }
}

TEST_F(ParallelPack, TheFirstFileThatCannotBeOpenedEndsThePackingAfterTheOnesBeforeIt)
{
    Items.insert(Items.begin() + 3, {Temp / "gone", "data\\gone"});
    TRecordingEvents events;
    std::string path = Temp / "failed.dat";
    TCompressionManager archive(path, true, false, false);
    try
    {
        PackFiles(archive, Items, 4, events, 100000);
        FAIL() << "a missing file must end the packing";
    }
    catch (const TIOError& e)
    {
        EXPECT_EQ(e.Message(), "File not found");
    }
    EXPECT_EQ(events.Done, (std::vector<std::string>{"data\\empty", "data\\one-chunk", "data\\two-chunks"}));
    EXPECT_EQ(events.Started.back(), "data\\gone");
    EXPECT_EQ(archive.Entries().size(), 3u) << "no header for a file that did not open, as AddFile";
}

TEST_F(ParallelPack, AFileThatCannotBeReadEndsThePackingWithItsError)
{
    // A folder opens on POSIX and fails at the first read (on Windows already at the
    // open): either way the error comes from a worker, after others ran ahead.
    std::string folder = Temp / "folder";
    kf::ForceDirectories(folder);
    Items.insert(Items.begin() + 4, {folder, "data\\folder"});
    TRecordingEvents events;
    TCompressionManager archive(Temp / "unreadable.dat", true, false, false);
    EXPECT_THROW(PackFiles(archive, Items, 4, events, 1), TIOError);
    EXPECT_EQ(events.Done.size(), 4u);
    EXPECT_EQ(events.Started.back(), "data\\folder");
}

} // namespace
