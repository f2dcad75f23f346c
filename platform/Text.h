// Text helpers shared by the script loader, the installation description reader and the
// uninstall log: all three read lines the way text editors see them.
#pragma once

#include <string>
#include <vector>

namespace kf {

// Splits at CR LF, a lone CR and a lone LF; a final line without a line end still
// counts, and a break at the very end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);

} // namespace kf
