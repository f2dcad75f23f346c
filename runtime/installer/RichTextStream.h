// Loading a document into a rich-text box: RTF shown formatted, anything else as plain
// text, streamed in with EM_STREAMIN (WM_SETTEXT would not parse the RTF).
#pragma once

#include <windows.h>

#include <string>

namespace kf {
namespace installer {

// The box's document becomes text: formatted when it begins "{\rtf", else plain.
void StreamRichText(HWND richEdit, const std::string& text);

} // namespace installer
} // namespace kf
