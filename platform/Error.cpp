#include "platform/Error.h"

#include <cstdio>

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
        char text[32];
        std::snprintf(text, sizeof text, "I/O error %d", static_cast<int>(code));
        return text;
    }
    }
}

} // namespace kf
