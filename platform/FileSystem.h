// What the portable core needs from the file system beyond TFile: listings, existence
// tests, directory creation, deletion and the temporary directory. Paths use the host's
// separator (kPathDelim); names inside packages always use backslashes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

#ifdef _WIN32
constexpr char kPathDelim = '\\';
#else
constexpr char kPathDelim = '/';
#endif

// Windows file attribute bits, reported on both platforms.
enum : uint32_t
{
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrSystem = 4,
    kAttrVolumeId = 8,
    kAttrDirectory = 16,
    kAttrArchive = 32,
    kAttrAnyFile = 63,
};

struct TDirEntry
{
    std::string Name;
    uint32_t Attributes = 0;
};

// Every entry of a directory ("*.*"), "." and ".." first, in the order the file system
// returns them. On POSIX that order is made the one Windows on NTFS and Wine give:
// names compared byte by byte with a-z folded to A-Z. An unreadable or missing
// directory lists nothing; no error is raised. Names starting with "." are hidden on
// POSIX, as Wine shows them; symbolic links to directories are left out there, so that
// a link loop cannot make a walk endless. With a name code page set on POSIX
// (posix/CodePage.h), a name that code page cannot hold raises TError.
std::vector<TDirEntry> ListDirectory(const std::string& directory);

// Orders two names the way ListDirectory sorts them; exposed for tests.
bool DirectoryOrderLess(const std::string& a, const std::string& b);

bool FileExists(const std::string& path);      // a file, not a directory
bool DirectoryExists(const std::string& path); // a directory
int64_t FileSizeAt(const std::string& path);   // -1 when missing
// A symbolic link (dangling too), or on Windows any reparse point: a junction as well.
bool IsLinkAt(const std::string& path);
// Every byte of a file; raises the I/O error when it cannot be opened or read, and for a
// file of 2 GiB or more (kErrReadBeyondEnd), which no caller holds in memory.
std::string ReadWholeFile(const std::string& path);

bool MakeDirectory(const std::string& path);    // one level; false when it fails
bool ForceDirectories(const std::string& path); // with missing parents
bool RemoveFile(const std::string& path);
bool RemoveEmptyDirectory(const std::string& path);

// The temporary directory exactly as the system reports it (may lack a trailing
// separator or carry padding); callers trim it.
std::string TempDirectoryRaw();

// The system's message text for its last error code (FormatMessage / strerror).
std::string SystemErrorMessage(uint32_t code);

// The name of a private folder below the temporary directory: "kf-" and the 64 random
// bits in 16 lower-case hex digits. IsPrivateFolderName is true for exactly such names,
// so a program can tell the folder it was copied into from any other.
std::string PrivateFolderName(uint64_t random);
bool IsPrivateFolderName(const std::string& name);

} // namespace kf
