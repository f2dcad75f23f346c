#include "platform/File.h"
#include "platform/Error.h"

#include <windows.h>

namespace kf {

namespace {

HANDLE AsHandle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }

[[noreturn]] void RaiseLastError()
{
    DWORD code = GetLastError();
    throw TIOError(code ? static_cast<int32_t>(code) : kErrInvalidParameter);
}

} // namespace

TFile::~TFile()
{
    if (IsOpen())
        CloseHandle(AsHandle(FHandle));
}

TFile::TFile(TFile&& other) noexcept : FHandle(other.FHandle) { other.FHandle = kNoHandle; }

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other)
    {
        if (IsOpen())
            CloseHandle(AsHandle(FHandle));
        FHandle = other.FHandle;
        other.FHandle = kNoHandle;
    }
    return *this;
}

void TFile::Open(const std::string& path, TFileMode mode)
{
    if (IsOpen())
        Close();
    DWORD access = mode == TFileMode::OpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = mode == TFileMode::Create      ? CREATE_ALWAYS
                        : mode == TFileMode::CreateNew ? CREATE_NEW
                                                       : OPEN_EXISTING;
    HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        RaiseLastError();
    FHandle = reinterpret_cast<intptr_t>(handle);
}

void TFile::Close()
{
    if (!IsOpen())
        return;
    HANDLE handle = AsHandle(FHandle);
    FHandle = kNoHandle;
    if (!CloseHandle(handle))
        RaiseLastError();
}

int32_t TFile::Read(void* buffer, int32_t count)
{
    DWORD done = 0;
    if (!ReadFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr))
        RaiseLastError();
    return static_cast<int32_t>(done);
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
    if (count <= 0)
        return;
    DWORD done = 0;
    if (!WriteFile(AsHandle(FHandle), buffer, static_cast<DWORD>(count), &done, nullptr))
    {
        // A full disk makes WriteFile fail outright; report it as the short write it is.
        DWORD code = GetLastError();
        throw TIOError(code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL
                           ? kErrDiskFull
                           : static_cast<int32_t>(code));
    }
    if (done != static_cast<DWORD>(count))
        throw TIOError(kErrDiskFull);
}

void TFile::Seek(int64_t position)
{
    if (position < 0)
        throw TIOError(kErrNegativeSeek);
    LONG high = static_cast<LONG>(position >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(AsHandle(FHandle), static_cast<LONG>(position & 0xFFFFFFFF), &high,
                               FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        RaiseLastError();
}

int64_t TFile::Position() const
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(AsHandle(FHandle), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        RaiseLastError();
    return (static_cast<int64_t>(high) << 32) | low;
}

int64_t TFile::Size() const
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(AsHandle(FHandle), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        RaiseLastError();
    return (static_cast<int64_t>(high) << 32) | low;
}

} // namespace kf
