#include "runtime/installer/RichTextStream.h"

#include <richedit.h>

#include <cstring>

namespace kf {
namespace installer {

namespace {

// The rich-text box takes its document through EM_STREAMIN, piece by piece.
struct TStreamSource
{
    const std::string* Text;
    size_t Position;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got)
{
    auto* source = reinterpret_cast<TStreamSource*>(cookie);
    size_t left = source->Text->size() - source->Position;
    size_t count = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
    memcpy(buffer, source->Text->data() + source->Position, count);
    source->Position += count;
    *got = static_cast<LONG>(count);
    return 0;
}

} // namespace

void StreamRichText(HWND richEdit, const std::string& text)
{
    TStreamSource source = {&text, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = StreamIn;
    bool rtf = text.compare(0, 5, "{\\rtf") == 0;
    SendMessageA(richEdit, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

} // namespace installer
} // namespace kf
