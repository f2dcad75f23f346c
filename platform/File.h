// A disk file with the error model Kitforge relies on: every failed open, read, write,
// move or close raises TIOError. Other openers may read and write the file meanwhile.
#pragma once

#include <cstdint>
#include <string>

namespace kf {

enum class TFileMode
{
    OpenRead,      // existing file, read only
    OpenReadWrite, // existing file, read and write
    Create,        // create or truncate, read and write
    CreateNew,     // create, read and write; fails when anything has the name, a link too
};

class TFile
{
public:
    TFile() = default;
    TFile(const std::string& path, TFileMode mode) { Open(path, mode); }
    ~TFile(); // closes when open; a failing close is ignored here
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;

    void Open(const std::string& path, TFileMode mode);
    bool IsOpen() const noexcept { return FHandle != kNoHandle; }
    // Raises the system's error when the close fails (unflushed data lost, for example).
    void Close();

    // Reads up to count bytes and returns how many arrived (fewer only at the end).
    int32_t Read(void* buffer, int32_t count);
    // Reads exactly count bytes, else raises "Read beyond end of file".
    void ReadExact(void* buffer, int32_t count);
    // Writes exactly count bytes, else raises "Disk full".
    void WriteExact(const void* buffer, int32_t count);
    // Moves to an absolute position; a negative one fails with the system's code.
    void Seek(int64_t position);
    int64_t Position() const;
    int64_t Size() const;

private:
    static constexpr intptr_t kNoHandle = -1;
    intptr_t FHandle = kNoHandle; // HANDLE on Windows, descriptor on POSIX
};

} // namespace kf
