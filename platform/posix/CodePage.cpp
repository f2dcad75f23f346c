#include "platform/posix/CodePage.h"

#include "platform/Error.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

namespace kf {

namespace {

std::atomic<const TCodePage*> GNameCodePage{nullptr};

// The locale's encoding, asked without touching the process's own locale (printf and
// the character classes stay in the C locale).
const std::string& HostCharset()
{
    static const std::string charset = [] {
        std::string name = "UTF-8";
        if (locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0)))
        {
            name = nl_langinfo_l(CODESET, locale);
            freelocale(locale);
        }
        // The C locale says ASCII, yet names on disk are UTF-8 in practice.
        if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII")
            name = "UTF-8";
        return name;
    }();
    return charset;
}

bool HostIsUtf8() { return HostCharset() == "UTF-8" || HostCharset() == "utf8"; }

std::string CharsetOf(int32_t number) { return "CP" + std::to_string(number); }

// One conversion descriptor for the length of one call: iconv_t keeps state and is not
// shared between threads.
class TIconv
{
public:
    TIconv(const std::string& to, const std::string& from) : FHandle(iconv_open(to.c_str(), from.c_str())) {}
    ~TIconv()
    {
        if (IsOpen())
            iconv_close(FHandle);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool IsOpen() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return FHandle; }

private:
    iconv_t FHandle;
};

// Converts text; at a character the target cannot take (or input that is not valid in
// the source encoding) invalid is called with the rest of the input, appends what it
// wants to out and returns how many input bytes to skip (at least one).
using TInvalidHandler = std::function<size_t(const char* at, size_t left, std::string& out)>;

std::string Convert(const TIconv& cd, const std::string& text, const TInvalidHandler& invalid)
{
    std::string out;
    char* source = const_cast<char*>(text.data());
    size_t left = text.size();
    bool flushing = false; // stateful decoders (1255, 1258) hold back combining marks
    char buffer[512];
    for (;;)
    {
        char* target = buffer;
        size_t room = sizeof buffer;
        size_t result = flushing ? iconv(cd.Handle(), nullptr, nullptr, &target, &room)
                                 : iconv(cd.Handle(), &source, &left, &target, &room);
        int error = errno;
        out.append(buffer, static_cast<size_t>(target - buffer));
        if (result != static_cast<size_t>(-1))
        {
            if (flushing)
                return out;
            flushing = true;
        }
        else if (error != E2BIG)
        {
            size_t skip = invalid(source, left, out);
            source += skip;
            left -= skip;
        }
    }
}

// The UTF-8 sequence at the start of text: its length, or 0 when it is not valid.
size_t DecodeUtf8(const char* at, size_t left, char32_t& code)
{
    unsigned char lead = static_cast<unsigned char>(at[0]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                                   : lead >= 0xF0 && lead < 0xF5    ? 4
                                                                                                    : 0;
    if (length == 0 || length > left)
        return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i)
    {
        unsigned char next = static_cast<unsigned char>(at[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    return length;
}

// The character at the start of host text, as "U+4E2D" when it is valid UTF-8, or the
// byte as "0xE9"; and its length in bytes.
std::pair<std::string, size_t> DescribeHostChar(const char* at, size_t left)
{
    char text[24];
    char32_t code = 0;
    size_t length = HostIsUtf8() ? DecodeUtf8(at, left, code) : 0;
    if (length > 1)
    {
        std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
        return {text, length};
    }
    std::snprintf(text, sizeof text, "the byte 0x%02X", static_cast<unsigned>(static_cast<unsigned char>(at[0])));
    return {text, 1};
}

std::string FromHostChecked(int32_t number, const std::string& text, bool raise, bool* complete)
{
    if (complete)
        *complete = true;
    TIconv cd(CharsetOf(number), HostCharset());
    if (!cd.IsOpen())
        throw TError("code page " + std::to_string(number) + " is not supported on this host");
    return Convert(cd, text, [&](const char* at, size_t left, std::string& out) {
        std::pair<std::string, size_t> character = DescribeHostChar(at, left);
        if (raise)
            throw TError(character.first + " cannot be written in code page " + std::to_string(number));
        if (complete)
            *complete = false;
        const std::string& name = character.first;
        out += "<" + (name.compare(0, 9, "the byte ") == 0 ? name.substr(9) : name) + ">";
        return character.second;
    });
}

} // namespace

TCodePage::TCodePage(int32_t number) : FNumber(number)
{
    if (number != 874 && (number < 1250 || number > 1258))
        throw TError("code page " + std::to_string(number) + " is not supported (874 and 1250 to 1258 are)");
    if (!TIconv(CharsetOf(number), HostCharset()).IsOpen() || !TIconv(HostCharset(), CharsetOf(number)).IsOpen())
        throw TError("code page " + std::to_string(number) + " is not supported on this host");
}

std::string TCodePage::FromHost(const std::string& text) const { return FromHostChecked(FNumber, text, true, nullptr); }

std::string TCodePage::FromHostMarked(const std::string& text, bool* complete) const
{
    return FromHostChecked(FNumber, text, false, complete);
}

std::string TCodePage::ToHost(const std::string& text) const
{
    TIconv cd(HostCharset(), CharsetOf(FNumber));
    if (!cd.IsOpen())
        return text;
    return Convert(cd, text, [](const char* at, size_t, std::string& out) {
        unsigned char byte = static_cast<unsigned char>(at[0]);
        if (HostIsUtf8())
        {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
        else
            out += static_cast<char>(byte);
        return size_t(1);
    });
}

void SetNameCodePage(const TCodePage* codePage) { GNameCodePage.store(codePage); }

const TCodePage* NameCodePage() { return GNameCodePage.load(); }

std::string HostName(const std::string& name)
{
    const TCodePage* codePage = NameCodePage();
    if (!codePage)
        return name;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return codePage->ToHost(name);
    return name; // ASCII is the same in every code page and the host encoding
}

std::u32string HostNameOrderKey(const std::string& hostName)
{
    // Unicode case mapping whatever the process's own locale; NULL when the host lacks
    // C.UTF-8, and then only a-z fold.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    std::u32string key;
    for (size_t i = 0; i < hostName.size();)
    {
        char32_t code = static_cast<unsigned char>(hostName[i]);
        size_t length = HostIsUtf8() ? DecodeUtf8(hostName.data() + i, hostName.size() - i, code) : 1;
        if (length == 0)
        {
            code = static_cast<unsigned char>(hostName[i]); // not UTF-8: the byte itself
            length = 1;
        }
        if (code >= 'a' && code <= 'z')
            code -= 'a' - 'A';
        else if (code >= 0x80 && unicode)
            code = static_cast<char32_t>(towupper_l(static_cast<wint_t>(code), unicode));
        key += code;
        i += length;
    }
    return key;
}

} // namespace kf
