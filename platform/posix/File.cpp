#include "platform/File.h"
#include "platform/Error.h"
#include "platform/posix/CodePage.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

int32_t HostErrorCode(int error)
{
    switch (error)
    {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return kErrInvalidFilename;
    case EMFILE:
    case ENFILE: return kErrTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    case EINVAL: return kErrInvalidParameter;
    case EEXIST: return kErrAlreadyExists;
    case EBUSY: return kErrSharingViolation;
    case ENOTEMPTY: return kErrDirNotEmpty;
    default: return 1000 + error; // no Windows equivalent: still a distinct code
    }
}

namespace {

[[noreturn]] void RaiseErrno() { throw TIOError(HostErrorCode(errno)); }

} // namespace

TFile::~TFile()
{
    if (IsOpen())
        ::close(static_cast<int>(FHandle));
}

TFile::TFile(TFile&& other) noexcept : FHandle(other.FHandle) { other.FHandle = kNoHandle; }

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other)
    {
        if (IsOpen())
            ::close(static_cast<int>(FHandle));
        FHandle = other.FHandle;
        other.FHandle = kNoHandle;
    }
    return *this;
}

void TFile::Open(const std::string& path, TFileMode mode)
{
    if (IsOpen())
        Close();
    int flags = O_CLOEXEC;
    switch (mode)
    {
    case TFileMode::OpenRead: flags |= O_RDONLY; break;
    case TFileMode::OpenReadWrite: flags |= O_RDWR; break;
    case TFileMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TFileMode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break; // O_EXCL never follows a link
    }
    int fd = ::open(HostName(path).c_str(), flags, 0644);
    if (fd < 0)
        RaiseErrno();
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
    {
        ::close(fd);
        throw TIOError(kErrAccessDenied); // as CreateFileA refuses a directory
    }
    FHandle = fd;
}

void TFile::Close()
{
    if (!IsOpen())
        return;
    int fd = static_cast<int>(FHandle);
    FHandle = kNoHandle;
    if (::close(fd) != 0)
        RaiseErrno();
}

int32_t TFile::Read(void* buffer, int32_t count)
{
    int32_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < count)
    {
        ssize_t got = ::read(static_cast<int>(FHandle), out + total, count - total);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            RaiseErrno();
        }
        if (got == 0)
            break;
        total += static_cast<int32_t>(got);
    }
    return total;
}

void TFile::ReadExact(void* buffer, int32_t count)
{
    if (count <= 0)
        return;
    if (Read(buffer, count) != count)
        throw TIOError(kErrReadBeyondEnd);
}

void TFile::WriteExact(const void* buffer, int32_t count)
{
    const char* in = static_cast<const char*>(buffer);
    int32_t total = 0;
    while (total < count)
    {
        ssize_t put = ::write(static_cast<int>(FHandle), in + total, count - total);
        if (put < 0)
        {
            if (errno == EINTR)
                continue;
            if (errno == ENOSPC || errno == EDQUOT)
                throw TIOError(kErrDiskFull);
            RaiseErrno();
        }
        if (put == 0)
            throw TIOError(kErrDiskFull);
        total += static_cast<int32_t>(put);
    }
}

void TFile::Seek(int64_t position)
{
    if (position < 0)
        throw TIOError(kErrNegativeSeek);
    if (::lseek(static_cast<int>(FHandle), static_cast<off_t>(position), SEEK_SET) < 0)
        RaiseErrno();
}

int64_t TFile::Position() const
{
    off_t position = ::lseek(static_cast<int>(FHandle), 0, SEEK_CUR);
    if (position < 0)
        RaiseErrno();
    return position;
}

int64_t TFile::Size() const
{
    struct stat info;
    if (fstat(static_cast<int>(FHandle), &info) != 0)
        RaiseErrno();
    return info.st_size;
}

} // namespace kf
