#include "platform/Error.h"

namespace kf {

std::string IOErrorMessage(int32_t code)
{
    switch (code)
    {
    case kErrFileNotFound: return "File not found";
    case kErrInvalidFilename: return "Invalid filename";
    case kErrTooManyOpenFiles: return "Too many open files";
    case kErrAccessDenied: return "File access denied";
    case kErrReadBeyondEnd: return "Read beyond end of file";
    case kErrDiskFull: return "Disk full";
    case kErrInvalidNumericInput: return "Invalid numeric input";
    default:
    {
        // Formatted by hand: printf would add about 25 KB to every runtime stub.
        char digits[12];
        int length = 0;
        uint32_t magnitude = code < 0 ? 0u - static_cast<uint32_t>(code) : static_cast<uint32_t>(code);
        do
            digits[length++] = static_cast<char>('0' + magnitude % 10);
        while (magnitude /= 10);
        std::string text = code < 0 ? "I/O error -" : "I/O error ";
        while (length)
            text += digits[--length];
        return text;
    }
    }
}

} // namespace kf
