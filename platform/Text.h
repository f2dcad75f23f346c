// Text helpers shared by the builder, the archive, the stubs and kftool: lines the way
// text editors see them, ASCII-only letter case (names compare the same in every code
// page), trimming, and the directory part of a Windows path.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kf {

// Splits at CR LF, a lone CR and a lone LF; a final line without a line end still
// counts, and a break at the very end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

// a-z become A-Z (or the reverse); every other byte, accented letters included, stays.
std::string UpperCaseAscii(std::string text);
std::string LowerCaseAscii(std::string text);

// Text with every character up to and including blank (code 32) removed from both ends.
std::string TrimText(const std::string& text);

// Up to and including the last "\" or ":" of path; "" when it has neither.
std::string DirectoryPart(const std::string& path);

// The parts one after another. One call where a chain of "+" makes a temporary string,
// and with it a clean-up on the unwind path, for every part; the stubs carry each one.
std::string Concat(std::initializer_list<std::string_view> parts);

} // namespace kf
