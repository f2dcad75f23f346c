// kftool's help texts: the general usage, and each command's own options for
// "kftool COMMAND --help".
#pragma once

#include <string>
#include <vector>

namespace kftool {

extern const char kGeneralUsage[];

// The help of a command ("list", "build", "script", ...), or nullptr for an unknown one.
const char* CommandHelp(const std::string& command);

// Whether the arguments after the command ask for its help (-h or --help).
bool AsksForHelp(const std::vector<std::string>& args);

} // namespace kftool
