// The path rules of a build: how a source path splits into folder and file name, how the
// temporary package is named, and how a host path becomes a package name. On Windows the
// separators are "\" and ":"; on a POSIX host "/" is. Names inside the package and the
// installation description always use "\", whatever the host.
#pragma once

#include "platform/Text.h" // TrimText

#include <string>

namespace kf {

// True for the characters that end a folder part of a path on this host.
bool IsPathSeparator(char c);

// The part after the last separator (C:\Docs\demo.exe gives demo.exe); a path without
// one is its own file name.
std::string FileNameOf(const std::string& path);

// The host path's separators turned into "\" (a no-op on Windows).
std::string ToPackageName(const std::string& hostPath);

// A setting counts as given when it holds a character with a code above 32.
bool IsBlank(const std::string& text);

// Whether two host paths name the same file as far as the text tells: letters a-z
// folded on Windows, whose file systems ignore case; byte for byte on POSIX.
bool SamePathText(const std::string& a, const std::string& b);

} // namespace kf
