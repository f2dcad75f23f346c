// The file set of an installation: which source files it ships, in which order, and the
// name under which each one is stored in the package (below "data\") and installed
// (below the target directory).
#pragma once

#include "builder/build/InstallSettings.h"

#include <string>
#include <vector>

namespace kf {

// The ordered source paths to ship. By file mode: the added-files list as it stands
// ("ADDFILES"; duplicates kept), or the walk of the image directory ("ADDDIR", when
// "ADDFILES" is off), or nothing. Then, with "INCLUDEMAINEXE" on, "MAIN" is appended
// unless an entry already equals it ignoring the case of a-z.
//
// The walk is depth first without recursion: a stack of pending directories, each
// listed in the file system's order with every attribute admitted (hidden and system
// entries included). A directory's files come before those of its subdirectories, and
// the subdirectories are visited in the reverse of the order they were found. A missing
// or unreadable directory contributes nothing.
//
// Raises TError when directory image mode has an image directory that is blank.
std::vector<std::string> CollectFiles(const TInstallSettings& settings);

// The image directory as the walk uses it: "ADDDIRTEXT" trimmed of codes 0..32, ending
// in the host's separator.
std::string ImageDirectory(const TInstallSettings& settings);

// The package name of one path of the file set, with "\" separators: the bare file name
// for the main executable (an exact, case-sensitive match of "MAIN" while it is
// included) and in "Add Files" mode; in directory image mode the path relative to the
// image directory. A path outside the image directory also gets its bare file name.
std::string ArchiveNameFor(const TInstallSettings& settings, const std::string& path);

} // namespace kf
