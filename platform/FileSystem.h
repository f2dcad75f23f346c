// What the portable core needs from the file system beyond TFile: listings, existence
// tests, directory creation, deletion and the temporary directory. Paths use the host's
// separator (kPathDelim); names inside packages always use backslashes.
#pragma once

#include "platform/Error.h"

#include <cstdint>
#include <memory>
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
// A rename that never replaces; one that does, with the bytes and the rename flushed
// to the disk first; the Windows attribute bits (on POSIX only read-only is kept);
// deletion at the next restart (false on POSIX, which has no such thing). False when
// they fail, with LastSystemErrorCode telling why.
bool RenameFile(const std::string& path, const std::string& newPath);
bool ReplaceFileOver(const std::string& path, const std::string& newPath);
bool SetAttributesAt(const std::string& path, uint32_t attributes);
bool RemoveAtRestart(const std::string& path);

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

// The code of the system's last failure, as TIOError carries it (the Windows code; on
// POSIX errno mapped to the code the same failure gives on Windows).
int32_t LastSystemErrorCode();

// What IFileSystem counts and a test can make fail.
enum class TFileOperation
{
    Write,           // creating a file for writing, and every write to it
    Append,          // opening a log to append, and every append
    Rename,          // a rename, and a replacement in one step
    Delete,          // deleting a file, now or at the next restart
    RemoveFolder,
    MakeDirectory,
    SetAttributes,
};

// A file opened for writing through IFileSystem.
class IFileWriter
{
public:
    virtual ~IFileWriter() = default; // closes; a failing close is ignored here
    // Writes exactly count bytes, else raises "Disk full" or the system's error.
    virtual void Write(const void* buffer, int32_t count) = 0;
    // Raises the system's error when the close fails.
    virtual void Close() = 0;
};

// Every change the installer and the uninstaller make to the disk goes through one of
// these, so a test can make any of them fail. Each raises TIOError with the system's
// code when it fails; none returns a code. What only looks (attributes, links,
// listings) stays with the callers' own system interfaces.
class IFileSystem
{
public:
    virtual ~IFileSystem() = default;
    virtual std::unique_ptr<IFileWriter> Create(const std::string& path) = 0; // creates or truncates
    // Opens an existing file to add to its end (the uninstall log).
    virtual std::unique_ptr<IFileWriter> OpenAppend(const std::string& path) = 0;
    // Renames a file, never over another (ERROR_ALREADY_EXISTS then); contents, times
    // and attributes go along.
    virtual void Rename(const std::string& path, const std::string& newPath) = 0;
    // Renames path over the file at newPath in one step, both the bytes and the rename
    // on the disk when it returns: whoever looks finds the one or the other.
    virtual void Replace(const std::string& path, const std::string& newPath) = 0;
    virtual void Delete(const std::string& path) = 0;
    // Has the system delete a file or an empty folder when Windows next starts; the
    // requests are carried out in the order they were made.
    virtual void DeleteAtRestart(const std::string& path) = 0;
    virtual void RemoveFolder(const std::string& path) = 0; // an empty one
    virtual void MakeDirectories(const std::string& path) = 0; // with missing parents
    virtual void SetAttributes(const std::string& path, uint32_t attributes) = 0;
};

// The disk itself.
IFileSystem& DiskFileSystem();

// The code a failed change raised; 0 when it went through.
template <typename TChange>
int32_t Attempt(TChange change)
{
    try
    {
        change();
        return 0;
    }
    catch (const TIOError& error)
    {
        return error.Code();
    }
}

} // namespace kf
