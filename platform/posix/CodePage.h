// Windows ANSI code pages on a POSIX host. Kitforge's texts and names are single-byte
// strings in a Windows code page; on a POSIX host the names on disk, the command line
// and the terminal use the locale's encoding (UTF-8 in practice; the plain C locale
// counts as UTF-8 too). The conversions go through iconv, which glibc provides.
#pragma once

#include <cstdint>
#include <string>

namespace kf {

class TCodePage
{
public:
    // 874 and 1250 to 1258, the single-byte ANSI code pages of Windows. Raises TError
    // "code page N is not supported ..." for any other number or when iconv lacks it.
    explicit TCodePage(int32_t number);

    int32_t Number() const noexcept { return FNumber; }

    // Host text in the code page. Raises TError "U+4E2D cannot be written in code page
    // 1252" for the first character the code page cannot hold (or "the byte 0xE9 ..."
    // for text that is not valid in the host encoding); nothing is ever replaced.
    std::string FromHost(const std::string& text) const;

    // As FromHost, but every character the code page cannot hold is written as
    // "<U+4E2D>" (a byte invalid in the host encoding as "<0xE9>"): for naming such a
    // text in a message, which travels in the code page. Sets *complete to false when
    // it had to.
    std::string FromHostMarked(const std::string& text, bool* complete = nullptr) const;

    // Code-page text in the host encoding. Never fails: a byte the code page leaves
    // undefined becomes the character of the same number, as Windows reads it.
    std::string ToHost(const std::string& text) const;

private:
    int32_t FNumber;
};

// The code page in which the file layer spells the names the portable code sees: paths
// given to TFile and the FileSystem functions are converted to the host encoding, the
// names ListDirectory reports from it (a name the code page cannot hold makes the
// listing raise TError naming the file and the code page). Null, the default, passes
// names through byte for byte. The object must outlive its use.
void SetNameCodePage(const TCodePage* codePage);
const TCodePage* NameCodePage();

// A path of the portable code as the host spells it (unchanged without a code page).
std::string HostName(const std::string& name);

// A host name as Windows orders it: its characters folded to upper case the Unicode
// way (é after E and before ß, as NTFS and Wine list them). Compare keys with <, then
// the names themselves for a fixed order of names that differ only in case.
std::u32string HostNameOrderKey(const std::string& hostName);

// errno mapped to the Windows code the same failure gives there, so that messages and
// tests agree across platforms.
int32_t HostErrorCode(int error);

} // namespace kf
