// The installation description: the "install.inf" text that tells the installer stub
// what to install and how to look. Sections in fixed order, each a "[name]" header, its
// content lines and an empty line; every line ends in CR LF. Values are copied from the
// settings unchanged (a ";" or line break inside one is not protected).
#pragma once

#include "builder/build/InstallSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

// The colour the grid palette shows for an index, as red + 256 * green + 65536 * blue:
// entries 0-7 and 12-19 of the system's 20-colour default palette. An index outside
// 0..15 gives fallback's colour instead, so no build writes a colour the grids lack.
int32_t GridColorValue(int32_t index, int32_t fallback);

// The text of the base-directory item the index selects ("%PROGRAM FILES%" .. "Custom"),
// or "" when nothing (or nothing valid) is selected.
std::string BaseDirItemText(int32_t index);

// The description for the settings, with the file set collected here (one walk).
// Raises TError as CollectFiles does.
std::string BuildInstallDescription(const TInstallSettings& settings);

// The same for a file set already collected, so that the description and the package of
// one build name exactly the same files.
std::string BuildInstallDescription(const TInstallSettings& settings, const std::vector<std::string>& fileSet);

} // namespace kf
