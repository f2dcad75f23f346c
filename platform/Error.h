// Kitforge's two error types. Every failed file operation raises TIOError with the
// operating system's code; the code alone decides the message, so users see the same
// text whichever platform raised it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace kf {

// A general failure with a message of its own ("Cannot extract file.").
class TError : public std::exception
{
public:
    explicit TError(std::string message, std::string reason = std::string())
        : FMessage(std::move(message)), FReason(std::move(reason))
    {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }
    // What lay beneath, for a log ("Disk full" under "Cannot extract file."); the
    // message a user sees stays the same whatever the cause.
    const std::string& Reason() const noexcept { return FReason; }

private:
    std::string FMessage;
    std::string FReason;
};

// Error codes with fixed meanings. The numbers are the Windows codes (and the
// runtime's own 100/101/106), so a Win32 failure needs no translation.
enum : int32_t
{
    kErrFileNotFound = 2,
    kErrInvalidFilename = 3,
    kErrTooManyOpenFiles = 4,
    kErrAccessDenied = 5,
    kErrInvalidData = 13,    // damaged archive data (ERROR_INVALID_DATA)
    kErrSharingViolation = 32,
    kErrInvalidParameter = 87,
    kErrAlreadyExists = 183,
    kErrDiskFullSystem = 112,
    kErrDirNotEmpty = 145,   // ERROR_DIR_NOT_EMPTY
    kErrNegativeSeek = 131,  // ERROR_NEGATIVE_SEEK
    kErrReadBeyondEnd = 100,
    kErrDiskFull = 101,
    kErrInvalidNumericInput = 106,
};

// The message for a code: 2 "File not found", 3 "Invalid filename", 4 "Too many open
// files", 5 "File access denied", 100 "Read beyond end of file", 101 "Disk full",
// 106 "Invalid numeric input", anything else "I/O error %d".
std::string IOErrorMessage(int32_t code);

// A failed open, read, write, move or close. Aborts the operation under way.
class TIOError : public TError
{
public:
    explicit TIOError(int32_t code) : TError(IOErrorMessage(code)), FCode(code) {}
    int32_t Code() const noexcept { return FCode; }

private:
    int32_t FCode;
};

} // namespace kf
