// Shared pieces of the kftool commands: error reporting and archive opening with trailer
// detection. Every read of the format itself is the archive's (CompressionManager.h).
#pragma once

#include "archive/CompressionManager.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kftool {

// Exit statuses: 0 success, 1 failure (bad input, damaged entries), 2 usage error.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// "kftool: SUBJECT: MESSAGE" on standard error.
void PrintError(const std::string& subject, const std::string& message);

enum class TTrailerMode
{
    Detect,
    Force,
    Never,
};

struct TOpenedArchive
{
    std::unique_ptr<kf::TCompressionManager> Archive;
    bool UsesTrailer = false;
};

// Opens an archive read-only. In Detect mode a file whose first header is not a sound
// standalone header, but whose trailer (LocatePackage, signed setups included) points
// at one, is read through its trailer.
TOpenedArchive OpenArchive(const std::string& path, TTrailerMode mode);

// Parses the --trailer / --no-trailer options out of args.
TTrailerMode TakeTrailerOption(std::vector<std::string>& args);

int RunList(const std::vector<std::string>& args);
// Writes to out (standard output by default), switched to binary mode on Windows.
int RunCat(const std::vector<std::string>& args, std::FILE* out = stdout);
int RunExtract(const std::vector<std::string>& args);
int RunVerify(const std::vector<std::string>& args);
int RunScript(const std::vector<std::string>& args);

// A package name as relative path components, or an empty list when it would leave the
// extraction directory (absolute, drive letter, "..", or characters no file name holds).
std::vector<std::string> SafeRelativeComponents(const std::string& entryName);

} // namespace kftool
