// Archive benchmark: TCompressionManager's streaming paths against raw zlib doing the
// same work on the same bytes in the same run, peak memory against file size, and
// indexed look-ups. Not a test: run it through bench/run.sh.
//
//   archive_bench [-r RUNS] [-k] WORKDIR
#include "archive/CompressionManager.h"
#include "platform/File.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kf;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Half compressible text, half random bytes, in 4 MiB extents, as the reference
// corpus's big file is made.
void WriteMixedFile(const std::string& path, int64_t size)
{
    TFile file(path, TFileMode::Create);
    std::vector<char> extent(4 << 20);
    uint32_t seed = 20261208;
    const char* words[] = {"install", "archive", "package ", "window", "registry", "shortcut", "folder ", "setup"};
    for (int64_t done = 0, index = 0; done < size; ++index)
    {
        for (size_t i = 0; i < extent.size();)
        {
            seed = seed * 1103515245u + 12345u;
            if (index % 2 == 0)
            {
                const char* word = words[(seed >> 16) % 8];
                size_t n = std::min(strlen(word), extent.size() - i);
                std::memcpy(&extent[i], word, n);
                i += n;
                if (i < extent.size())
                    extent[i++] = (seed >> 8) % 11 == 0 ? '\n' : ' ';
            }
            else
                extent[i++] = static_cast<char>(seed >> 24);
        }
        int32_t n = static_cast<int32_t>(std::min<int64_t>(extent.size(), size - done));
        file.WriteExact(extent.data(), n);
        done += n;
    }
    file.Close();
}

// Raw zlib with the archive's chunking: 65,535-byte reads, Z_PARTIAL_FLUSH between
// chunks, Z_FINISH on the last, a 131,070-byte output buffer written when it has data.
int64_t RawDeflate(const std::string& source, const std::string& dest)
{
    TFile in(source, TFileMode::OpenRead), out(dest, TFileMode::Create);
    std::vector<Bytef> input(65535), output(131070);
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    int64_t left = in.Size(), written = 0;
    do
    {
        int32_t got = static_cast<int32_t>(std::min<int64_t>(left, 65535));
        in.ReadExact(input.data(), got);
        left -= got;
        zs.next_in = input.data();
        zs.avail_in = static_cast<uInt>(got);
        do
        {
            zs.next_out = output.data();
            zs.avail_out = static_cast<uInt>(output.size());
            deflate(&zs, left ? Z_PARTIAL_FLUSH : Z_FINISH);
            int32_t have = static_cast<int32_t>(output.size() - zs.avail_out);
            out.WriteExact(output.data(), have);
            written += have;
        } while (zs.avail_out == 0);
    } while (left);
    deflateEnd(&zs);
    out.Close();
    return written;
}

// Raw inflate of the entry's stream (skipping its header) plus writing the output.
void RawInflate(const std::string& archivePath, int64_t dataOffset, int64_t packedSize, const std::string& dest)
{
    TFile in(archivePath, TFileMode::OpenRead), out(dest, TFileMode::Create);
    in.Seek(dataOffset);
    std::vector<Bytef> input(65535), output(131070);
    z_stream zs{};
    inflateInit(&zs);
    int64_t left = packedSize;
    int result = Z_OK;
    while (result != Z_STREAM_END)
    {
        if (zs.avail_in == 0 && left > 0)
        {
            int32_t got = static_cast<int32_t>(std::min<int64_t>(left, 65535));
            in.ReadExact(input.data(), got);
            left -= got;
            zs.next_in = input.data();
            zs.avail_in = static_cast<uInt>(got);
        }
        zs.next_out = output.data();
        zs.avail_out = static_cast<uInt>(output.size());
        result = inflate(&zs, Z_SYNC_FLUSH);
        out.WriteExact(output.data(), static_cast<int32_t>(output.size() - zs.avail_out));
        if (result != Z_OK && result != Z_STREAM_END)
        {
            std::fprintf(stderr, "raw inflate failed: %d\n", result);
            break;
        }
    }
    inflateEnd(&zs);
    out.Close();
}

// Peak resident memory (KiB) of a child process that packs one file into an archive.
long PeakKiBPacking(const std::string& source, const std::string& archive)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    pid_t child = fork();
    if (child == 0)
    {
        close(pipeEnds[0]);
        {
            TCompressionManager manager(archive, true, false, false);
            manager.AddFile(source, "data\\big.bin");
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        long peak = usage.ru_maxrss;
        ssize_t ignored = write(pipeEnds[1], &peak, sizeof peak);
        (void)ignored;
        _exit(0);
    }
    close(pipeEnds[1]);
    long peak = -1;
    if (read(pipeEnds[0], &peak, sizeof peak) != sizeof peak)
        peak = -1;
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return peak;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    bool keep = false;
    int opt;
    while ((opt = getopt(argc, argv, "r:k")) != -1)
    {
        if (opt == 'r')
            runs = std::max(1, atoi(optarg));
        else if (opt == 'k')
            keep = true;
        else
        {
            std::fprintf(stderr, "usage: archive_bench [-r RUNS] [-k] WORKDIR\n");
            return 2;
        }
    }
    if (optind + 1 != argc)
    {
        std::fprintf(stderr, "usage: archive_bench [-r RUNS] [-k] WORKDIR\n");
        return 2;
    }
    std::string work = argv[optind];
    std::string input = work + "/mixed-64MiB.bin", raw = work + "/raw.z", archive = work + "/archive.dat";
    const int64_t size = int64_t(64) << 20;
    WriteMixedFile(input, size);

    std::vector<double> rawTimes, addTimes, inflateTimes, extractTimes;
    int64_t rawBytes = 0, packedBytes = 0;
    for (int run = 0; run < runs; ++run)
    {
        auto start = Clock::now();
        rawBytes = RawDeflate(input, raw);
        rawTimes.push_back(Seconds(start));

        start = Clock::now();
        {
            TCompressionManager manager(archive, true, false, false);
            manager.AddFile(input, "data\\mixed.bin");
            packedBytes = manager.Entries()[0].PackedSize;
        }
        addTimes.push_back(Seconds(start));

        start = Clock::now();
        RawInflate(archive, kEntryHeaderSize, packedBytes, work + "/raw.out");
        inflateTimes.push_back(Seconds(start));

        start = Clock::now();
        {
            TCompressionManager manager(archive, false, true, false);
            manager.ExtractFile("data\\mixed.bin", work + "/extract.out");
        }
        extractTimes.push_back(Seconds(start));
    }
    double rawDeflate = Median(rawTimes), addFile = Median(addTimes);
    double rawInflate = Median(inflateTimes), extract = Median(extractTimes);
    std::printf("input: 64 MiB, half text, half random; %d runs, medians\n", runs);
    std::printf("raw zlib-9 deflate+write: %.3f s (%lld bytes)\n", rawDeflate, static_cast<long long>(rawBytes));
    std::printf("AddFile:                  %.3f s (%lld bytes)\n", addFile, static_cast<long long>(packedBytes));
    std::printf("RESULT AddFile speed ratio (raw / AddFile): %.3f  (target >= 0.95)\n", rawDeflate / addFile);
    std::printf("raw inflate+write:        %.3f s\n", rawInflate);
    std::printf("ExtractFile:              %.3f s\n", extract);
    std::printf("RESULT ExtractFile speed ratio (raw / ExtractFile): %.3f  (target >= 0.90)\n", rawInflate / extract);

    // Memory must not grow with the file. A sparse 1 GiB file of zeros packs quickly and
    // exercises the same buffers as any other content.
    std::string small = work + "/zero-64MiB.bin", large = work + "/zero-1GiB.bin";
    for (auto item : {std::make_pair(small, int64_t(64) << 20), std::make_pair(large, int64_t(1) << 30)})
    {
        FILE* file = std::fopen(item.first.c_str(), "wb");
        if (!file || ftruncate(fileno(file), item.second) != 0)
            return 1;
        std::fclose(file);
    }
    long peakSmall = PeakKiBPacking(small, work + "/zero-small.dat");
    long peakLarge = PeakKiBPacking(large, work + "/zero-large.dat");
    std::printf("peak RSS packing 64 MiB: %ld KiB, 1 GiB: %ld KiB\n", peakSmall, peakLarge);
    std::printf("RESULT peak memory difference: %ld KiB  (target: within 4096 KiB)\n", peakLarge - peakSmall);

    // 100,000 look-ups in a 100,000-entry archive.
    std::string empty = work + "/empty.dat";
    TFile(empty, TFileMode::Create).Close();
    TCompressionManager lookups(empty, false, true, false);
    for (int i = 0; i < 100000; ++i)
        lookups.AddEntry("data\\folder" + std::to_string(i % 97) + "\\file" + std::to_string(i) + ".txt", 0, 0, 0);
    auto start = Clock::now();
    int64_t found = 0;
    for (int i = 0; i < 100000; ++i)
        found += lookups.FindEntry("DATA\\FOLDER" + std::to_string(i % 97) + "\\FILE" + std::to_string(i) + ".TXT") == i;
    std::printf("RESULT 100,000 FindEntry calls in 100,000 entries: %.3f s (%lld found)\n", Seconds(start),
                static_cast<long long>(found));

    if (!keep)
        for (const std::string& path : {input, raw, archive, work + "/raw.out", work + "/extract.out", small, large,
                                        work + "/zero-small.dat", work + "/zero-large.dat", empty})
            std::remove(path.c_str());
    return 0;
}
