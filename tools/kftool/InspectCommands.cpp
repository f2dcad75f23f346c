// kftool list / cat / extract / verify: looking inside package archives, installation
// scripts and setup executables.
#include "tools/kftool/KfTool.h"

#include "tools/kftool/HostText.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <set>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kftool {

using namespace kf;

namespace {

// Runs body, turning any error into the one-line message and exit status 1.
template <class Body> int Guarded(const std::string& subject, Body body)
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        PrintError(subject, "out of memory");
    }
    catch (const std::exception& error)
    {
        PrintError(subject, error.what());
    }
    return kExitFailure;
}

bool TakeOnlyArguments(std::vector<std::string>& args, size_t count, const char* usage)
{
    for (const std::string& arg : args)
        if (arg.size() > 1 && arg[0] == '-')
        {
            PrintError("", "unknown option '" + arg + "'\nusage: " + usage);
            return false;
        }
    if (args.size() != count)
    {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    return true;
}

// Inflates entry index to sink and returns "" or what is wrong with it: the system's
// I/O error in its own words ("Read beyond end of file" for a truncated entry), else
// the archive's finding (Adler-32 mismatch, data after the end of the stream...).
std::string InflateProblem(TCompressionManager& archive, int32_t index, const TInflateSink& sink)
{
    try
    {
        return archive.InflateEntry(index, sink).Text();
    }
    catch (const TIOError& error)
    {
        return error.what();
    }
}

const auto kDiscard = [](const uint8_t*, int32_t) {};

// Why extract must not write at path ("" when it may): it never follows a link already
// in the target folder nor writes over anything there, so an archive can neither reach
// out of the folder nor change what is in it. A folder on the way (isFolder) is made
// when missing.
std::string ExtractionRefusal(const std::string& path, bool isFolder)
{
    if (IsLinkAt(path))
        return path + " is a symbolic link";
    if (isFolder)
    {
        if (DirectoryExists(path))
            return std::string();
        if (FileExists(path))
            return path + " is a file, not a folder";
        return MakeDirectory(path) ? std::string() : "cannot create the folder " + path;
    }
    if (FileExists(path) || DirectoryExists(path))
        return path + " exists already";
    return std::string();
}

} // namespace

int RunList(const std::vector<std::string>& input)
{
    std::vector<std::string> args = input;
    TTrailerMode mode = TakeTrailerOption(args);
    if (!TakeOnlyArguments(args, 1, "kftool list [--trailer|--no-trailer] FILE"))
        return kExitUsage;
    return Guarded(args[0], [&] {
        TOpenedArchive opened = OpenArchive(args[0], mode);
        for (const TArchiveEntryHeader& header : opened.Archive->Entries())
            std::printf("%s\t%d\t%d\t%d\n", ForTerminal(header.NameString()).c_str(), header.OriginalSize, header.PackedSize,
                        header.DataOffset);
        // What was listed is no archive, or not all of one: never a silent success.
        std::string chain = opened.Archive->CheckChain();
        if (!chain.empty())
        {
            PrintError(args[0], chain);
            return kExitFailure;
        }
        return kExitOk;
    });
}

int RunCat(const std::vector<std::string>& input, std::FILE* out)
{
    std::vector<std::string> args = input;
    TTrailerMode mode = TakeTrailerOption(args);
    if (!TakeOnlyArguments(args, 2, "kftool cat [--trailer|--no-trailer] FILE NAME"))
        return kExitUsage;
    return Guarded(args[0], [&] {
        TOpenedArchive opened = OpenArchive(args[0], mode);
        int32_t index = opened.Archive->FindEntry(args[1]);
        if (index < 0)
        {
            PrintError(args[0], "no entry named \"" + args[1] + "\"");
            return kExitFailure;
        }
#ifdef _WIN32
        _setmode(_fileno(out), _O_BINARY); // bytes out exactly as stored
#endif
        std::string problem = InflateProblem(*opened.Archive, index, [out](const uint8_t* data, int32_t size) {
            std::fwrite(data, 1, static_cast<size_t>(size), out);
        });
        std::fflush(out);
        if (!problem.empty())
        {
            PrintError(args[0], args[1] + ": " + problem);
            return kExitFailure;
        }
        return kExitOk;
    });
}

int RunExtract(const std::vector<std::string>& input)
{
    std::vector<std::string> args = input;
    TTrailerMode mode = TakeTrailerOption(args);
    if (!TakeOnlyArguments(args, 2, "kftool extract [--trailer|--no-trailer] FILE DIR"))
        return kExitUsage;
    return Guarded(args[0], [&] {
        TOpenedArchive opened = OpenArchive(args[0], mode);
        std::string root = args[1];
        if (!ForceDirectories(root))
        {
            PrintError(root, "cannot create the directory");
            return kExitFailure;
        }
        int status = kExitOk;
        std::set<std::string> done; // duplicates: the last entry of a name wins, once
        for (const TArchiveEntryHeader& header : opened.Archive->Entries())
        {
            std::string name = header.NameString();
            std::vector<std::string> parts = SafeRelativeComponents(name);
            if (parts.empty())
            {
                PrintError(args[0], "refusing \"" + name + "\": it would land outside " + root);
                status = kExitFailure;
                continue;
            }
            if (!done.insert(UpperCaseAscii(name)).second)
                continue;
            std::string path = root, refusal;
            for (size_t i = 0; i < parts.size() && refusal.empty(); ++i)
            {
                if (path.back() != kPathDelim)
                    path += kPathDelim;
                path += parts[i];
                refusal = ExtractionRefusal(path, i + 1 < parts.size());
            }
            if (!refusal.empty())
            {
                PrintError(args[0], "refusing \"" + name + "\": " + refusal);
                status = kExitFailure;
                continue;
            }
            std::string problem;
            try
            {
                TFile file(path, TFileMode::CreateNew); // raced by a link or a file: refused too
                problem = InflateProblem(*opened.Archive, opened.Archive->FindEntry(name),
                                         [&file](const uint8_t* data, int32_t size) { file.WriteExact(data, size); });
                file.Close();
            }
            catch (const TIOError& error)
            {
                problem = error.what();
            }
            if (!problem.empty())
            {
                PrintError(args[0], name + ": " + problem);
                status = kExitFailure;
            }
        }
        return status;
    });
}

int RunVerify(const std::vector<std::string>& input)
{
    std::vector<std::string> args = input;
    TTrailerMode mode = TakeTrailerOption(args);
    if (!TakeOnlyArguments(args, 1, "kftool verify [--trailer|--no-trailer] FILE"))
        return kExitUsage;
    return Guarded(args[0], [&] {
        TOpenedArchive opened = OpenArchive(args[0], mode);
        int bad = 0;
        TCompressionManager& archive = *opened.Archive;
        std::string checksum =
            archive.SignedChecksumHolds() ? "" : "the PE checksum does not match: the file changed after it was signed";
        for (const std::string& problem : {archive.CheckChain(), checksum})
            if (!problem.empty())
            {
                std::printf("%s: %s\n", ForTerminal(args[0]).c_str(), ForTerminal(problem).c_str());
                ++bad;
            }
        for (int32_t i = 0; i < static_cast<int32_t>(archive.Entries().size()); ++i)
        {
            std::string problem = InflateProblem(archive, i, kDiscard);
            if (!problem.empty())
            {
                std::printf("%s: %s\n", ForTerminal(archive.Entries()[i].NameString()).c_str(), problem.c_str());
                ++bad;
            }
        }
        if (bad)
            return kExitFailure;
        std::printf("%s: %zu entries, all sound%s\n", ForTerminal(args[0]).c_str(), archive.Entries().size(),
                    archive.Location().Signed ? " (signed)" : "");
        return kExitOk;
    });
}

} // namespace kftool
