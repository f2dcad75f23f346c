// The text of the application's standard error box.
#pragma once

#include <string>

namespace kf::ui {

// The error's message, with a full stop appended when its last character has a code
// above that of "." (46): "Disk full" and "Why?" get one, "Done." and "Failed!" do not.
inline std::string StandardErrorText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace kf::ui
