// Where kftool's command line and terminal meet the texts of Kitforge's files (scripts,
// descriptions, package names), which are single-byte strings in a Windows code page.
// On Windows both sides use the system's code page, as the builder does, and nothing is
// converted. On a POSIX host the command line, file names and terminal use the locale's
// encoding; after UseCodePage every word of the command line is converted into the code
// page, the file layer maps names on disk, and what kftool prints is converted back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kftool {

constexpr int32_t kDefaultCodePage = 1252;

// Takes "--codepage N" (or "--codepage=N") and "--raw" out of args and applies them:
// on POSIX the code page (default 1252) unless --raw keeps every byte as it is; on
// Windows --codepage is refused. Returns "" or the usage error to print.
std::string TakeTextOptions(std::vector<std::string>& args);

// The code page in use (POSIX), or nothing converted after UseRawBytes. Raises TError
// for a code page the host cannot convert.
void UseCodePage(int32_t number);
void UseRawBytes();

// A word of the command line as the files spell it. Raises TError "U+4E2D cannot be
// written in code page 1252" when the code page cannot hold it.
std::string FromCommandLine(const std::string& word);

// Every word of the command line through FromCommandLine. Returns "" or the error line
// (the word as typed, then why).
std::string CommandLineToCodePage(std::vector<std::string>& args);

// A text of the files as the terminal shows it.
std::string ForTerminal(const std::string& text);

} // namespace kftool
