// kftool list / cat / extract / verify: looking inside package archives, installation
// scripts and setup executables.
#include "tools/kftool/KfTool.h"

#include "tools/kftool/HostText.h"

#include "platform/Error.h"
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
        std::string problem = InflateEntry(*opened.Archive, opened.Archive->Entries()[index],
                                           [out](const char* data, size_t size) { std::fwrite(data, 1, size, out); });
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
            std::string path = root;
            for (size_t i = 0; i < parts.size(); ++i)
            {
                if (path.back() != kPathDelim)
                    path += kPathDelim;
                path += parts[i];
                if (i + 1 < parts.size() && !ForceDirectories(path))
                    break;
            }
            try
            {
                opened.Archive->ExtractFile(name, path);
            }
            catch (const std::exception& error)
            {
                PrintError(args[0], name + ": " + error.what());
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
        std::string structure = CheckStructure(*opened.Archive, opened.UsesTrailer);
        if (!structure.empty())
        {
            std::printf("%s: %s\n", ForTerminal(args[0]).c_str(), ForTerminal(structure).c_str());
            ++bad;
        }
        for (const TArchiveEntryHeader& header : opened.Archive->Entries())
        {
            std::string problem;
            try
            {
                problem = InflateEntry(*opened.Archive, header, nullptr);
            }
            catch (const std::exception& error)
            {
                problem = error.what();
            }
            if (!problem.empty())
            {
                std::printf("%s: %s\n", ForTerminal(header.NameString()).c_str(), problem.c_str());
                ++bad;
            }
        }
        if (bad)
            return kExitFailure;
        std::printf("%s: %zu entries, all sound\n", ForTerminal(args[0]).c_str(), opened.Archive->Entries().size());
        return kExitOk;
    });
}

} // namespace kftool
