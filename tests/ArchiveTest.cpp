#include "archive/CompressionManager.h"
#include "platform/Error.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <set>
#include <vector>

using namespace kf;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

std::string Header(const std::string& name, int32_t dataOffset, int32_t original, int32_t packed)
{
    TArchiveEntryHeader header;
    header.SetName(name);
    header.DataOffset = dataOffset;
    header.OriginalSize = original;
    header.PackedSize = packed;
    uint8_t raw[kEntryHeaderSize];
    EncodeEntryHeader(header, raw);
    return std::string(reinterpret_cast<char*>(raw), kEntryHeaderSize);
}

std::string Trailer(int32_t value)
{
    uint8_t raw[4];
    EncodeLE32(value, raw);
    return std::string(reinterpret_cast<char*>(raw), 4);
}

int32_t IOCodeOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const TIOError& error)
    {
        return error.Code();
    }
    return 0;
}

} // namespace

TEST(ArchiveFormat, HeaderIsLittleEndianFieldByField)
{
    std::string raw = Header("AB", 0x01020304, -2, 8);
    ASSERT_EQ(raw.size(), 268u);
    EXPECT_EQ(raw[0], 2);
    EXPECT_EQ(raw.substr(1, 2), "AB");
    EXPECT_EQ(raw[3], 0) << "bytes past the name are zero";
    EXPECT_EQ(raw.substr(256, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(raw.substr(260, 4), std::string("\xFE\xFF\xFF\xFF", 4));
    TArchiveEntryHeader back = DecodeEntryHeader(reinterpret_cast<const uint8_t*>(raw.data()));
    EXPECT_EQ(back.NameString(), "AB");
    EXPECT_EQ(back.DataOffset, 0x01020304);
    EXPECT_EQ(back.OriginalSize, -2);
    EXPECT_EQ(back.PackedSize, 8);
}

TEST(IOErrorMessages, CodesDecideTheText)
{
    EXPECT_STREQ(TIOError(2).what(), "File not found");
    EXPECT_STREQ(TIOError(3).what(), "Invalid filename");
    EXPECT_STREQ(TIOError(4).what(), "Too many open files");
    EXPECT_STREQ(TIOError(5).what(), "File access denied");
    EXPECT_STREQ(TIOError(100).what(), "Read beyond end of file");
    EXPECT_STREQ(TIOError(101).what(), "Disk full");
    EXPECT_STREQ(TIOError(106).what(), "Invalid numeric input");
    EXPECT_STREQ(TIOError(131).what(), "I/O error 131");
    EXPECT_STREQ(TIOError(0).what(), "I/O error 0");
    EXPECT_STREQ(TIOError(-2147483647 - 1).what(), "I/O error -2147483648");
}

TEST(Archive, NewArchiveIsEmptyFileAndOpensWithoutEntries)
{
    TTempDir dir;
    {
        TCompressionManager archive(dir / "a.kfs", true, false, false);
    }
    EXPECT_EQ(FileSizeAt(dir / "a.kfs"), 0);
    TCompressionManager reopened(dir / "a.kfs", false, true, false);
    EXPECT_TRUE(reopened.Entries().empty());
}

TEST(Archive, EmptyStringIsTheEightByteStream)
{
    TTempDir dir;
    {
        TCompressionManager archive(dir / "a.kfs", true, false, false);
        archive.WriteEntryString("URL", "");
    }
    std::string bytes = ReadFileBytes(dir / "a.kfs");
    ASSERT_EQ(bytes.size(), 268u + 8u);
    EXPECT_EQ(bytes.substr(268), std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
    TCompressionManager archive(dir / "a.kfs", false, true, false);
    ASSERT_EQ(archive.Entries().size(), 1u);
    EXPECT_EQ(archive.Entries()[0].PackedSize, 8);
    EXPECT_EQ(archive.Entries()[0].OriginalSize, 0);
    EXPECT_EQ(archive.ReadEntryString("URL"), "");
    EXPECT_EQ(archive.GetEntrySize("URL"), 0);
}

TEST(Archive, DataOffsetsChainAndContentsRoundTrip)
{
    TTempDir dir;
    std::vector<std::string> contents = {"first", std::string(100000, 'x'), kftest::NoiseBytes(5000), ""};
    {
        TCompressionManager archive(dir / "a.kfs", true, false, false);
        for (size_t i = 0; i < contents.size(); ++i)
            archive.WriteEntryString("E" + std::to_string(i), contents[i]);
    }
    TCompressionManager archive(dir / "a.kfs", false, true, false);
    ASSERT_EQ(archive.Entries().size(), contents.size());
    int32_t expected = 268;
    for (size_t i = 0; i < contents.size(); ++i)
    {
        const TArchiveEntryHeader& header = archive.Entries()[i];
        EXPECT_EQ(header.DataOffset, expected);
        EXPECT_EQ(header.OriginalSize, static_cast<int32_t>(contents[i].size()));
        expected = header.DataOffset + header.PackedSize + 268;
        EXPECT_EQ(archive.ReadEntryString("E" + std::to_string(i)), contents[i]);
        auto stream = archive.ReadEntryStream("e" + std::to_string(i));
        EXPECT_EQ(stream->Position(), 0);
        EXPECT_EQ(stream->Data(), contents[i]);
    }
    EXPECT_EQ(FileSizeAt(dir / "a.kfs"), expected - 268);
}

TEST(Archive, LookupRules)
{
    TTempDir dir;
    std::string longName(300, 'n');
    {
        TCompressionManager archive(dir / "a.kfs", true, false, false);
        archive.WriteEntryString("TITLE", "upper");
        archive.WriteEntryString(longName, "long");
        archive.WriteEntryString("dup", "old");
        archive.WriteEntryString("DUP", "new");
        archive.WriteEntryString("\xC9t\xE9", "accented"); // "Été" in Windows-1252
    }
    TCompressionManager archive(dir / "a.kfs", false, true, false);
    EXPECT_EQ(archive.ReadEntryString("Title"), "upper");
    EXPECT_EQ(archive.ReadEntryString(longName.substr(0, 255)), "long");
    EXPECT_EQ(archive.FindEntry(longName), -1);
    EXPECT_EQ(archive.Entries()[1].NameLength, 255);
    EXPECT_EQ(archive.ReadEntryString("Dup"), "new") << "the later duplicate wins";
    EXPECT_EQ(archive.FindEntry("dup"), 3);
    EXPECT_EQ(archive.ReadEntryString("\xC9T\xE9"), "accented");
    EXPECT_EQ(archive.FindEntry("\xE9T\xE9"), -1) << "non-ASCII letters match exactly";
    EXPECT_EQ(archive.FindEntry("missing"), -1);
    EXPECT_EQ(archive.GetEntrySize("missing"), -1);
    EXPECT_EQ(archive.ReadEntryString("missing"), "");
    EXPECT_EQ(archive.ReadEntryStream("missing")->Size(), 0);
}

TEST(Archive, IndexedLookupsMatchLinearRuleAtScale)
{
    // 100,000 entries and 100,000 look-ups: a linear scan would take minutes and trip
    // the test timeout; the index answers at once with the same results.
    TTempDir dir;
    WriteFileBytes(dir / "empty", "");
    TCompressionManager archive(dir / "empty", false, true, false);
    const int count = 100000;
    for (int i = 0; i < count; ++i)
        archive.AddEntry("data\\file" + std::to_string(i % 50000) + ".txt", 0, i, 0);
    for (int i = 0; i < count; ++i)
    {
        int32_t found = archive.FindEntry("DATA\\FILE" + std::to_string(i % 50000) + ".TXT");
        ASSERT_EQ(found, i % 50000 + 50000) << "last duplicate wins";
    }
}

TEST(Archive, TrailerModeSeesTheSameArchiveBehindAHost)
{
    TTempDir dir;
    {
        TCompressionManager archive(dir / "pkg.dat", true, false, false);
        archive.WriteEntryString("install.inf", "[title]\r\nDemo\r\n\r\n");
        archive.WriteEntryString("data\\a.txt", kftest::NoiseBytes(70000));
    }
    std::string package = ReadFileBytes(dir / "pkg.dat");
    std::string host = "MZ" + std::string(998, 'h');
    WriteFileBytes(dir / "setup.exe", host + package + Trailer(static_cast<int32_t>(host.size())));

    TCompressionManager standalone(dir / "pkg.dat", false, true, false);
    TCompressionManager carried(dir / "setup.exe", false, true, true);
    EXPECT_EQ(carried.BaseOffset(), 1000);
    ASSERT_EQ(carried.Entries().size(), standalone.Entries().size());
    for (size_t i = 0; i < standalone.Entries().size(); ++i)
    {
        std::string name = standalone.Entries()[i].NameString();
        EXPECT_EQ(carried.Entries()[i].NameString(), name);
        EXPECT_EQ(carried.ReadEntryString(name), standalone.ReadEntryString(name));
    }
    carried.ExtractFile("data\\a.txt", dir / "a.txt");
    EXPECT_EQ(ReadFileBytes(dir / "a.txt"), kftest::NoiseBytes(70000));
}

TEST(Archive, ShortAndDamagedFiles)
{
    TTempDir dir;
    WriteFileBytes(dir / "short", std::string(267, 'x'));
    EXPECT_TRUE(TCompressionManager(dir / "short", false, true, false).Entries().empty());

    // The last header claims more data than remains: listed, but reading it fails.
    WriteFileBytes(dir / "cut", Header("big", 268, 10, 1000) + "\x78\xDA");
    TCompressionManager cut(dir / "cut", false, true, false);
    ASSERT_EQ(cut.Entries().size(), 1u);
    EXPECT_EQ(IOCodeOf([&] { cut.ReadEntryString("big"); }), kErrReadBeyondEnd);

    EXPECT_EQ(IOCodeOf([&] { TCompressionManager(dir / "nothing-here", false, true, false); }),
              kErrFileNotFound);
    WriteFileBytes(dir / "tiny", "ab");
    EXPECT_NE(IOCodeOf([&] { TCompressionManager(dir / "tiny", false, true, true); }), 0)
        << "the trailer of a 2-byte file lies before its start";
}

TEST(Archive, NegativePackedSizeEndsTheWalk)
{
    TTempDir dir;
    // Without the guard this header would send the walk back to offset 0, forever.
    std::string first = Header("a", 268, 0, 8) + std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8);
    WriteFileBytes(dir / "loop", first + Header("back", 0, 0, -(268 + 276)) + std::string(300, '\0'));
    TCompressionManager archive(dir / "loop", false, true, false);
    ASSERT_EQ(archive.Entries().size(), 1u);
    EXPECT_EQ(archive.Entries()[0].NameString(), "a");
}

TEST(Archive, ImpossibleSizesAreRefusedBeforeAllocating)
{
    TTempDir dir;
    std::string stream("\x78\xDA\x03\x00\x00\x00\x00\x01", 8);
    WriteFileBytes(dir / "huge", Header("huge", 268, 2000000000, 8) + stream);
    WriteFileBytes(dir / "neg", Header("neg", 268, -5, 8) + stream);
    TCompressionManager huge(dir / "huge", false, true, false);
    EXPECT_EQ(IOCodeOf([&] { huge.ReadEntryString("huge"); }), kErrInvalidData);
    TCompressionManager negative(dir / "neg", false, true, false);
    EXPECT_EQ(IOCodeOf([&] { negative.ReadEntryString("neg"); }), kErrInvalidData);
}

TEST(Archive, DamagedDataKeepsOriginalSizeWhenReadWhole)
{
    TTempDir dir;
    WriteFileBytes(dir / "bad", Header("x", 268, 50, 8) + std::string(8, '\x55'));
    TCompressionManager archive(dir / "bad", false, true, false);
    EXPECT_EQ(archive.ReadEntryString("x").size(), 50u);
}

// ---- Chunked compression and extraction ----

namespace {

struct TPackedFile
{
    TArchiveEntryHeader Header;
    std::string Stored;
    std::vector<std::pair<int32_t, int32_t>> Progress;
};

TPackedFile PackFile(const TTempDir& dir, const std::string& content)
{
    WriteFileBytes(dir / "source.bin", content);
    TPackedFile result;
    {
        TCompressionManager archive(dir / "a.dat", true, false, false);
        archive.OnProgress = [&](TCompressionManager&, int32_t position, int32_t size) {
            result.Progress.push_back({position, size});
        };
        archive.AddFile(dir / "source.bin", "data\\source.bin");
        result.Header = archive.Entries()[0];
    }
    result.Stored = ReadFileBytes(dir / "a.dat").substr(268);
    return result;
}

std::string Inflate(const std::string& stored, size_t size)
{
    std::string out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    int result = uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                            reinterpret_cast<const Bytef*>(stored.data()), static_cast<uLong>(stored.size()));
    EXPECT_EQ(result, Z_OK);
    out.resize(length);
    return out;
}

} // namespace

TEST(ChunkedCompression, EmptyFileIsOnePassOfEightBytes)
{
    TTempDir dir;
    TPackedFile packed = PackFile(dir, "");
    EXPECT_EQ(packed.Header.OriginalSize, 0);
    EXPECT_EQ(packed.Header.PackedSize, 8);
    ASSERT_EQ(packed.Progress.size(), 1u);
    EXPECT_EQ(packed.Progress[0], std::make_pair(0, 0));
    TCompressionManager archive(dir / "a.dat", false, true, false);
    archive.ExtractFile("data\\source.bin", dir / "out.bin");
    EXPECT_EQ(FileSizeAt(dir / "out.bin"), 0);
}

TEST(ChunkedCompression, PassesFollowTheChunkSize)
{
    TTempDir dir;
    TPackedFile exact = PackFile(dir, kftest::NoiseBytes(65535));
    ASSERT_EQ(exact.Progress.size(), 1u);
    EXPECT_EQ(exact.Progress[0], std::make_pair(65535, 65535));

    std::string content = kftest::NoiseBytes(65536);
    TPackedFile twoPasses = PackFile(dir, content);
    ASSERT_EQ(twoPasses.Progress.size(), 2u);
    EXPECT_EQ(twoPasses.Progress[0], std::make_pair(65535, 65536));
    EXPECT_EQ(twoPasses.Progress[1], std::make_pair(65536, 65536));
    // A partial flush ends the first chunk's output with an empty fixed block, which the
    // single-pass writer never emits; any inflater still decodes the stream.
    EXPECT_EQ(Inflate(twoPasses.Stored, content.size()), content);
    EXPECT_EQ(twoPasses.Header.PackedSize, static_cast<int32_t>(twoPasses.Stored.size()));
    TCompressionManager archive(dir / "a.dat", false, true, false);
    EXPECT_EQ(archive.ReadEntryString("DATA\\SOURCE.BIN"), content);
}

TEST(ChunkedCompression, LargeCompressibleContentExtractsExactly)
{
    TTempDir dir;
    std::string content;
    for (int i = 0; i < 40000; ++i)
        content += "line " + std::to_string(i % 7) + " of a very repetitive text file\r\n";
    ASSERT_GT(content.size(), 131070u * 4);
    PackFile(dir, content);
    TCompressionManager archive(dir / "a.dat", false, true, false);
    std::vector<std::pair<int32_t, int32_t>> progress;
    archive.OnProgress = [&](TCompressionManager&, int32_t position, int32_t size) {
        progress.push_back({position, size});
    };
    archive.ExtractFile("data\\source.bin", dir / "out.bin");
    EXPECT_EQ(ReadFileBytes(dir / "out.bin"), content);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(static_cast<int32_t>(content.size()),
                                              static_cast<int32_t>(content.size())));
}

TEST(ChunkedCompression, ExtractionOfMissingNamesCreatesNothing)
{
    TTempDir dir;
    PackFile(dir, "abc");
    TCompressionManager archive(dir / "a.dat", false, true, false);
    archive.ExtractFile("data\\nope", dir / "nope");
    EXPECT_FALSE(FileExists(dir / "nope"));

    std::string path;
    archive.ExtractToTemp("data\\missing-kf-entry.txt", path);
    EXPECT_FALSE(path.empty());
    EXPECT_FALSE(FileExists(path));

    archive.ExtractToTemp("data\\source.bin", path);
    std::string base = TempDirectoryRaw();
    while (!base.empty() && static_cast<unsigned char>(base.back()) <= ' ')
        base.pop_back();
    if (base.back() != kPathDelim)
        base += kPathDelim;
    EXPECT_EQ(path, base + "source.bin") << "no subfolder in the temporary directory";
    EXPECT_EQ(ReadFileBytes(path), "abc");
    RemoveFile(path);
}

TEST(ChunkedCompression, CancelFromProgressStopsAfterTheCurrentStep)
{
    TTempDir dir;
    std::string content = kftest::NoiseBytes(65535 * 5);
    WriteFileBytes(dir / "source.bin", content);
    {
        TCompressionManager archive(dir / "a.dat", true, false, false);
        int calls = 0;
        archive.OnProgress = [&](TCompressionManager& sender, int32_t, int32_t) {
            if (++calls == 2)
                sender.SetCancel(true);
        };
        archive.AddFile(dir / "source.bin", "cut");
        EXPECT_EQ(calls, 2);
        EXPECT_LT(archive.Entries()[0].PackedSize, static_cast<int32_t>(content.size()));
        calls = 10; // the next operation starts with the flag cleared
        archive.AddFile(dir / "source.bin", "whole");
        EXPECT_EQ(calls, 15);
    }
    TCompressionManager archive(dir / "a.dat", false, true, false);
    EXPECT_EQ(archive.ReadEntryString("whole"), content);
    int calls = 0;
    archive.OnProgress = [&](TCompressionManager& sender, int32_t, int32_t) {
        if (++calls == 2)
            sender.SetCancel(true);
    };
    archive.ExtractFile("whole", dir / "partial.bin");
    EXPECT_EQ(calls, 2);
    EXPECT_LT(FileSizeAt(dir / "partial.bin"), static_cast<int64_t>(content.size()));
    // So is a stopped one.
    archive.OnProgress = nullptr;
    archive.ExtractFile("whole", dir / "again.bin");
    EXPECT_TRUE(ReadFileBytes(dir / "again.bin") == content);
}

TEST(ChunkedCompression, DamagedEntriesEndWithCannotExtract)
{
    TTempDir dir;
    std::string content = kftest::NoiseBytes(200000);
    TPackedFile packed = PackFile(dir, content);
    const int32_t size = static_cast<int32_t>(content.size());
    std::string garbage = packed.Stored;
    for (size_t i = 100; i < garbage.size(); i += 977)
        garbage[i] = static_cast<char>(garbage[i] ^ 0x5A);

    std::string adler = packed.Stored;
    adler.back() = static_cast<char>(adler.back() ^ 1);

    struct TCase
    {
        const char* What;
        std::string Archive;
        TInflateFault Fault;
    };
    std::vector<TCase> cases = {
        {"flipped bytes", Header("x", 268, size, static_cast<int32_t>(garbage.size())) + garbage,
         TInflateFault::CorruptData},
        {"stream cut short", Header("x", 268, size, 1000) + packed.Stored.substr(0, 1000), TInflateFault::Incomplete},
        {"claims more output", Header("x", 268, size + 10, packed.Header.PackedSize) + packed.Stored,
         TInflateFault::TooShort},
        {"claims less output", Header("x", 268, size - 10, packed.Header.PackedSize) + packed.Stored,
         TInflateFault::TooLong},
        {"junk after the stream", Header("x", 268, size, packed.Header.PackedSize + 3) + packed.Stored + "abc",
         TInflateFault::TrailingData},
        {"not zlib at all", Header("x", 268, 10, 4) + "abcd", TInflateFault::CorruptData},
        {"Adler-32 changed", Header("x", 268, size, packed.Header.PackedSize) + adler,
         TInflateFault::ChecksumMismatch},
    };
    for (const TCase& c : cases)
    {
        // A sound entry behind the damaged one.
        WriteFileBytes(dir / "bad.dat", c.Archive +
                                            Header("y", static_cast<int32_t>(c.Archive.size()) + 268, size,
                                                   packed.Header.PackedSize) +
                                            packed.Stored);
        TCompressionManager archive(dir / "bad.dat", false, true, false);
        try
        {
            archive.ExtractFile("x", dir / "out.bin");
            ADD_FAILURE() << c.What << ": no error";
        }
        catch (const TIOError& error)
        {
            ADD_FAILURE() << c.What << ": raw I/O error " << error.what();
        }
        catch (const TError& error)
        {
            EXPECT_STREQ(error.what(), "Cannot extract file.") << c.What;
        }
        // What the one inflate tells: the fault, and never more than OriginalSize bytes.
        int64_t handed = 0;
        TInflateOutcome outcome = archive.InflateEntry(0, [&](const uint8_t*, int32_t n) { handed += n; });
        EXPECT_EQ(outcome.Fault, c.Fault) << c.What << ": " << outcome.Text();
        EXPECT_EQ(outcome.Produced, handed) << c.What;
        EXPECT_LE(handed, archive.Entries()[0].OriginalSize) << c.What;
        // The inflate state the fault left behind is reset for the next entry.
        archive.ExtractFile("y", dir / "next.bin");
        EXPECT_TRUE(ReadFileBytes(dir / "next.bin") == content) << c.What;
    }
    // A sound entry inflates whole; one whose data runs past the end is told in the
    // system's words before anything is read.
    WriteFileBytes(dir / "good.dat", Header("x", 268, size, packed.Header.PackedSize) + packed.Stored);
    TCompressionManager good(dir / "good.dat", false, true, false);
    std::string out;
    EXPECT_TRUE(good.InflateEntry(0, [&](const uint8_t* d, int32_t n) { out.append(reinterpret_cast<const char*>(d), n); })
                    .Sound());
    EXPECT_TRUE(out == content);
    WriteFileBytes(dir / "cut.dat", Header("x", 268, size, packed.Header.PackedSize) + packed.Stored.substr(0, 5000));
    TCompressionManager cut(dir / "cut.dat", false, true, false);
    EXPECT_EQ(IOCodeOf([&] { cut.InflateEntry(0, [](const uint8_t*, int32_t) {}); }), kErrReadBeyondEnd);
}

// ---- Setup executables, signed or not ----

namespace {

void PutLE(std::string& bytes, size_t at, uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A 1,024-byte PE32 stub: headers up to 512, one section's raw data from 512 to 1024.
std::string PeStub()
{
    std::string stub(1024, '\0');
    stub[0] = 'M';
    stub[1] = 'Z';
    PutLE(stub, 0x3C, 64, 4);
    stub.replace(64, 4, std::string("PE\0\0", 4));
    PutLE(stub, 64 + 6, 1, 2);     // sections
    PutLE(stub, 64 + 20, 224, 2);  // optional header with 16 directories
    PutLE(stub, 88, 0x10B, 2);     // PE32
    PutLE(stub, 88 + 60, 512, 4);  // SizeOfHeaders
    PutLE(stub, 88 + 92, 16, 4);   // directory count
    PutLE(stub, 312 + 16, 512, 4); // raw size
    PutLE(stub, 312 + 20, 512, 4); // raw start
    return stub;
}

constexpr size_t kSecurityDirectoryAt = 88 + 96 + 8 * 4;

// What a signer does: zero padding to 8, a certificate table of `records` records,
// the security directory pointing at it.
std::string Sign(std::string setup, int records = 1)
{
    setup.resize((setup.size() + 7) / 8 * 8, '\0');
    std::string table;
    for (int i = 0; i < records; ++i)
    {
        std::string record(8, '\0');
        PutLE(record, 4, 0x0200, 2); // WIN_CERT_REVISION_2_0
        PutLE(record, 6, 0x0002, 2); // PKCS signed data
        record += std::string(37 + i, '\x30');
        PutLE(record, 0, static_cast<uint32_t>(record.size()), 4);
        record.resize((record.size() + 7) / 8 * 8, '\0');
        table += record;
    }
    PutLE(setup, kSecurityDirectoryAt, static_cast<uint32_t>(setup.size()), 4);
    PutLE(setup, kSecurityDirectoryAt + 4, static_cast<uint32_t>(table.size()), 4);
    return setup + table;
}

// What removing the signature leaves: the padding, a cleared directory.
std::string Unsign(std::string setup)
{
    uint32_t start = static_cast<uint8_t>(setup[kSecurityDirectoryAt]) |
                     static_cast<uint8_t>(setup[kSecurityDirectoryAt + 1]) << 8 |
                     static_cast<uint8_t>(setup[kSecurityDirectoryAt + 2]) << 16;
    setup.resize(start);
    PutLE(setup, kSecurityDirectoryAt, 0, 8);
    return setup;
}

std::string PeSetup(const TTempDir& dir, const std::string& content)
{
    {
        TCompressionManager archive(dir / "pkg.dat", true, false, false);
        archive.WriteEntryString("install.inf", "[title]\r\nDemo\r\n\r\n");
        archive.WriteEntryString("data\\x.bin", content);
    }
    return PeStub() + ReadFileBytes(dir / "pkg.dat") + Trailer(1024);
}

} // namespace

TEST(SetupFile, SignedAndUnsignedSetupsShowTheSamePackageWhateverThePadding)
{
    TTempDir dir;
    std::set<size_t> paddings;
    for (size_t n = 0; n < 24; ++n)
    {
        std::string setup = PeSetup(dir, kftest::NoiseBytes(n, 3));
        const int64_t trailerAt = static_cast<int64_t>(setup.size()) - 4;
        paddings.insert((8 - setup.size() % 8) % 8);
        struct TCase
        {
            const char* What;
            std::string Bytes;
            bool Signed;
        } cases[] = {{"unsigned", setup, false},
                     {"signed", Sign(setup), true},
                     {"dual", Sign(setup, 2), true},
                     {"removed", Unsign(Sign(setup)), false}};
        for (const TCase& c : cases)
        {
            WriteFileBytes(dir / "setup.exe", c.Bytes);
            TCompressionManager archive(dir / "setup.exe", false, true, true);
            EXPECT_EQ(archive.BaseOffset(), 1024) << c.What << n;
            EXPECT_EQ(archive.ArchiveEnd(), trailerAt) << c.What << n;
            EXPECT_EQ(archive.Location().Signed, c.Signed) << c.What << n;
            ASSERT_EQ(archive.Entries().size(), 2u) << c.What << n;
            EXPECT_EQ(archive.CheckChain(), "") << c.What << n;
            EXPECT_EQ(archive.ReadEntryString("data\\x.bin"), kftest::NoiseBytes(n, 3)) << c.What << n;
        }
    }
    EXPECT_EQ(paddings.size(), 8u) << "every padding from 0 to 7 was tried";
}

TEST(SetupFile, DamageIsToldSignedOrNot)
{
    TTempDir dir;
    std::string setup = PeSetup(dir, kftest::NoiseBytes(5000, 4));
    auto check = [&](const std::string& bytes) {
        WriteFileBytes(dir / "setup.exe", bytes);
        return IsSoundSetupFile(dir / "setup.exe", "install.inf");
    };
    EXPECT_TRUE(check(setup));
    std::string zeroed = setup;
    zeroed.replace(zeroed.size() - 4, 4, std::string(4, '\0'));
    std::string shifted = setup; // the package moved by a byte: the trailer no longer fits
    shifted.insert(2000, "j");
    std::string unsignedCases[] = {setup.substr(0, setup.size() - 1), setup.substr(0, 3000), setup + "junk",
                                   setup + std::string(8, '\0'), zeroed, shifted};
    for (const std::string& bad : unsignedCases)
    {
        EXPECT_FALSE(check(bad)) << bad.size();
        // Signing keeps damage where it was: the package is read up to the trailer only.
        EXPECT_FALSE(check(Sign(bad))) << bad.size();
    }
    // Zeros past an 8-byte boundary are no signer's padding.
    EXPECT_FALSE(check(setup + std::string((8 - setup.size() % 8) % 8 + 1, '\0')));

    // A signed file whose table is damaged, or followed by bytes, is damaged.
    std::string signedSetup = Sign(setup);
    std::string badRecord = signedSetup;
    PutLE(badRecord, badRecord.size() - 48, 3, 4);
    EXPECT_FALSE(check(badRecord));
    EXPECT_FALSE(check(signedSetup + std::string(8, '\0')));

    // A sound signed package whose checksum is not the signer's: changed after signing.
    EXPECT_FALSE(check(signedSetup));
    {
        TCompressionManager archive(dir / "setup.exe", false, true, true);
        EXPECT_EQ(archive.ChainBreak(), -1);
        EXPECT_FALSE(archive.SignedChecksumHolds());
    }
    EXPECT_TRUE(check(Unsign(signedSetup)));

    WriteFileBytes(dir / "other.exe", setup);
    EXPECT_FALSE(IsSoundSetupFile(dir / "other.exe", "readme.txt"));
    EXPECT_FALSE(IsSoundSetupFile(dir / "missing.exe", "install.inf"));
}

// A signed setup is read only in front of its certificate table, and only when the
// table is exactly what a signer writes: every other security directory makes the file
// damaged, whatever package and trailer it leads to. The mutations are those that keep
// an Authenticode signature valid (it skips the directory and the table), each with a
// second package and a trailer that the rule of old would have installed.
TEST(SetupFile, ASignedSetupIsReadOnlyAsItsSignerLeftIt)
{
    TTempDir dir;
    const std::string setup = PeSetup(dir, kftest::NoiseBytes(3000, 5));
    const std::string signedSetup = Sign(setup), dual = Sign(setup, 2);
    const std::string evil = PeSetup(dir, "pwned");
    const std::string evilPackage = evil.substr(1024, evil.size() - 1024 - 4);
    const uint32_t tableAt = static_cast<uint32_t>(Unsign(signedSetup).size());
    const std::string table = signedSetup.substr(tableAt);
    auto directory = [](std::string bytes, uint64_t offset, uint64_t size) {
        PutLE(bytes, kSecurityDirectoryAt, offset, 4);
        PutLE(bytes, kSecurityDirectoryAt + 4, size, 4);
        return bytes;
    };
    // evilPackage and a trailer pointing at it, appended to bytes.
    auto withEvil = [&](std::string bytes) {
        int32_t base = static_cast<int32_t>(bytes.size());
        return bytes + evilPackage + Trailer(base);
    };
    std::string grown = withEvil(signedSetup + Trailer(4)); // a bogus 4-byte record
    grown = directory(grown, tableAt, grown.size() - tableAt);
    std::string second = withEvil(signedSetup);
    second.resize((second.size() + 7) / 8 * 8, '\0');
    second = directory(second + table, second.size(), table.size());
    std::string dirtyPadding = signedSetup; // the first record is 45 bytes, padded to 48
    dirtyPadding[tableAt + 46] = 1;
    std::string badRevision = signedSetup;
    PutLE(badRevision, tableAt + 4, 0x0300, 2);
    std::string longRecord = signedSetup;
    PutLE(longRecord, tableAt, table.size() + 8, 4);
    const uint64_t fileSize = signedSetup.size();
    struct TCase
    {
        const char* What;
        std::string Bytes;
        const char* Problem; // a part of it
    } cases[] = {
        {"directory grown over a second package", grown, "malformed"},
        {"a second table behind a second package", second, "no trailer"},
        {"a second package behind a sound table", withEvil(signedSetup), "does not end the file"},
        {"zeros behind a sound table", signedSetup + std::string(8, '\0'), "does not end the file"},
        {"a table reaching past the end", directory(signedSetup, tableAt, table.size() + 8), "does not end the file"},
        {"a table inside the image", directory(signedSetup, 512, fileSize - 512), "overlaps the image"},
        {"offset 0, a size", directory(signedSetup, 0, fileSize), "overlaps the image"},
        {"an offset, size 0", directory(signedSetup, tableAt, 0), "does not describe"},
        {"an offset off the 8-byte grid", directory(signedSetup, tableAt + 4, table.size() - 4), "does not describe"},
        {"a record's padding not zero", dirtyPadding, "other than zeros"},
        {"an unknown revision", badRevision, "malformed"},
        {"a record longer than the table", longRecord, "malformed"},
        {"the trailer zeroed", Sign(setup.substr(0, setup.size() - 4) + Trailer(0)), "no trailer"},
    };
    for (const TCase& c : cases)
    {
        WriteFileBytes(dir / "setup.exe", c.Bytes);
        {
            TFile file(dir / "setup.exe", TFileMode::OpenRead);
            TPackageLocation location = LocatePackage(file);
            ASSERT_NE(location.Problem, nullptr) << c.What;
            EXPECT_NE(std::string(location.Problem).find(c.Problem), std::string::npos) << c.What << ": " << location.Problem;
            EXPECT_FALSE(location.Signed) << c.What;
        }
        try
        {
            TCompressionManager archive(dir / "setup.exe", false, true, true);
            ADD_FAILURE() << c.What << ": opened, " << archive.Entries().size() << " entries";
        }
        catch (const TError& error)
        {
            EXPECT_EQ(std::string(error.what()).rfind("damaged setup: ", 0), 0u) << c.What << ": " << error.what();
        }
        EXPECT_FALSE(IsSoundSetupFile(dir / "setup.exe", "install.inf")) << c.What;
    }
    // What a signer leaves stays readable, and the file without its directory is an
    // unsigned setup of old: the appended package is what it shows.
    for (const std::string& sound : {signedSetup, dual})
    {
        WriteFileBytes(dir / "setup.exe", sound);
        TFile file(dir / "setup.exe", TFileMode::OpenRead);
        TPackageLocation location = LocatePackage(file);
        EXPECT_EQ(location.Problem, nullptr);
        EXPECT_TRUE(location.Signed);
        EXPECT_EQ(location.BaseOffset, 1024);
    }
    WriteFileBytes(dir / "setup.exe", directory(withEvil(setup), 0, 0));
    TCompressionManager plain(dir / "setup.exe", false, true, true);
    EXPECT_EQ(plain.BaseOffset(), static_cast<int32_t>(setup.size()));
    EXPECT_EQ(plain.ReadEntryString("data\\x.bin"), "pwned");
}
