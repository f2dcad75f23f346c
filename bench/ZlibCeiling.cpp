// The archive format's one-core ceiling: every listed file deflated as one zlib stream at
// level 9 exactly as the format makes an entry (65,535-byte input chunks, Z_PARTIAL_FLUSH
// after each but the last, Z_FINISH with the last, a 131,070-byte output buffer), with a
// fresh deflate state per file, written one after the other to OUTPUT; then OUTPUT read back
// and every stream inflated in 65,535-byte chunks with Z_SYNC_FLUSH, its Adler-32 and size
// checked, the output discarded. Each phase is timed over several runs; the median run is
// the last line, "RESULT ... out_bytes= ... deflate_wall_s= deflate_cpu_s= inflate_wall_s=",
// which the bench scripts read. Not a test: bench/build-bench.sh and install-bench.sh run it.
//
//   zlib_ceiling [-r RUNS] [-d DEFLATE_RUNS] LIST OUTPUT
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kChunk = 65535;
constexpr size_t kOutBuffer = 131070;

struct TEntry
{
    std::string Path;
    uint64_t Size = 0;
    uint64_t PackedSize = 0;
};

struct TTimes
{
    double Wall = 0;
    double Cpu = 0;
};

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "zlib_ceiling: %s\n", what.c_str());
    std::exit(2);
}

double Cpu()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

template <class Body> TTimes Timed(Body body)
{
    auto wall = std::chrono::steady_clock::now();
    double cpu = Cpu();
    body();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(), Cpu() - cpu};
}

TTimes Median(std::vector<TTimes> runs)
{
    std::sort(runs.begin(), runs.end(), [](const TTimes& a, const TTimes& b) { return a.Wall < b.Wall; });
    return runs[runs.size() / 2];
}

void Deflate(std::vector<TEntry>& entries, const std::string& output)
{
    std::FILE* out = std::fopen(output.c_str(), "wb");
    if (!out)
        Fail("cannot create " + output);
    std::vector<unsigned char> in(kChunk), buffer(kOutBuffer);
    for (TEntry& entry : entries)
    {
        std::FILE* file = std::fopen(entry.Path.c_str(), "rb");
        if (!file)
            Fail("cannot open " + entry.Path);
        z_stream zs{};
        if (deflateInit2(&zs, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            Fail("deflateInit2");
        uint64_t left = entry.Size;
        entry.PackedSize = 0;
        // An empty file is one Z_FINISH on no input.
        do
        {
            size_t want = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
            if (std::fread(in.data(), 1, want, file) != want)
                Fail("short read of " + entry.Path);
            left -= want;
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(want);
            int flush = left ? Z_PARTIAL_FLUSH : Z_FINISH;
            int rc;
            do
            {
                zs.next_out = buffer.data();
                zs.avail_out = static_cast<uInt>(buffer.size());
                rc = deflate(&zs, flush);
                if (rc == Z_STREAM_ERROR)
                    Fail("deflate failed on " + entry.Path);
                size_t have = buffer.size() - zs.avail_out;
                if (have && std::fwrite(buffer.data(), 1, have, out) != have)
                    Fail("cannot write " + output);
                entry.PackedSize += have;
            } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
        } while (left);
        deflateEnd(&zs);
        std::fclose(file);
    }
    if (std::fclose(out) != 0)
        Fail("cannot write " + output);
}

void Inflate(const std::vector<TEntry>& entries, const std::string& output)
{
    std::FILE* packed = std::fopen(output.c_str(), "rb");
    if (!packed)
        Fail("cannot open " + output);
    std::vector<unsigned char> in(kChunk), buffer(kOutBuffer);
    for (const TEntry& entry : entries)
    {
        z_stream zs{};
        if (inflateInit2(&zs, 15) != Z_OK)
            Fail("inflateInit2");
        uint64_t left = entry.PackedSize, size = 0;
        int rc = Z_OK;
        while (left && rc != Z_STREAM_END)
        {
            size_t want = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
            if (std::fread(in.data(), 1, want, packed) != want)
                Fail("short read of " + output);
            left -= want;
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(want);
            do
            {
                zs.next_out = buffer.data();
                zs.avail_out = static_cast<uInt>(buffer.size());
                rc = inflate(&zs, Z_SYNC_FLUSH);
                if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                    Fail("inflate failed on " + entry.Path);
                size += buffer.size() - zs.avail_out;
            } while (zs.avail_out == 0 && rc != Z_STREAM_END);
        }
        if (rc != Z_STREAM_END || left || zs.avail_in || size != entry.Size)
            Fail("bad stream for " + entry.Path);
        inflateEnd(&zs);
    }
    std::fclose(packed);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 3, deflateRuns = -1, opt;
    while ((opt = getopt(argc, argv, "r:d:")) != -1)
    {
        if (opt == 'r')
            runs = std::max(1, std::atoi(optarg));
        else if (opt == 'd')
            deflateRuns = std::atoi(optarg);
        else
            optind = argc + 1;
    }
    if (optind != argc - 2)
    {
        std::fprintf(stderr, "usage: zlib_ceiling [-r RUNS] [-d DEFLATE_RUNS] LIST OUTPUT\n");
        return 2;
    }
    if (deflateRuns < 1 || deflateRuns > runs)
        deflateRuns = runs;
    std::vector<TEntry> entries;
    std::ifstream list(argv[optind]);
    if (!list)
        Fail(std::string("cannot open ") + argv[optind]);
    uint64_t total = 0;
    for (std::string line; std::getline(list, line);)
    {
        if (line.empty())
            continue;
        std::ifstream file(line, std::ios::binary | std::ios::ate);
        if (!file)
            Fail("cannot open " + line);
        entries.push_back({line, static_cast<uint64_t>(file.tellg())});
        total += entries.back().Size;
    }
    const std::string output = argv[optind + 1];
    std::printf("files=%zu in_bytes=%llu level=9 chunk=%zu out_buffer=%zu\n", entries.size(),
                static_cast<unsigned long long>(total), kChunk, kOutBuffer);

    std::vector<TTimes> deflates, inflates;
    for (int r = 0; r < deflateRuns; ++r)
    {
        deflates.push_back(Timed([&] { Deflate(entries, output); }));
        std::printf("deflate run %d: wall=%.3fs cpu=%.3fs %.2f MB/s\n", r + 1, deflates.back().Wall,
                    deflates.back().Cpu, total / 1e6 / deflates.back().Wall);
    }
    uint64_t packed = 0;
    for (const TEntry& entry : entries)
        packed += entry.PackedSize;
    for (int r = 0; r < runs; ++r)
    {
        inflates.push_back(Timed([&] { Inflate(entries, output); }));
        std::printf("inflate run %d: wall=%.3fs cpu=%.3fs %.2f MB/s\n", r + 1, inflates.back().Wall,
                    inflates.back().Cpu, total / 1e6 / inflates.back().Wall);
    }
    TTimes d = Median(deflates), i = Median(inflates);
    std::printf("RESULT files=%zu in_bytes=%llu out_bytes=%llu ratio=%.4f deflate_wall_s=%.3f deflate_cpu_s=%.3f "
                "inflate_wall_s=%.3f inflate_cpu_s=%.3f\n",
                entries.size(), static_cast<unsigned long long>(total), static_cast<unsigned long long>(packed),
                total ? static_cast<double>(packed) / total : 0.0, d.Wall, d.Cpu, i.Wall, i.Cpu);
    return 0;
}
