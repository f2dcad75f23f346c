// kftool build: writes a setup executable from an installation script, the way the
// builder's Finish button does, without a window.
#pragma once

#include <string>
#include <vector>

namespace kftool {

// args: [-C DIR] [-j N] [--version X] [--publisher Y] [--sign "COMMAND"] SCRIPT.kfs
// [OUTPUT.exe] (the words after "build"); version and publisher go into the uninstall
// registration. --sign runs COMMAND by the system's shell, "{}" replaced by the quoted
// path of a file: on the uninstaller before it is packed, then on the finished setup;
// a failing command fails the build and removes the output. N files are compressed at
// once (default: the number of cores; every N gives the same bytes). Relative paths in
// the script resolve from DIR (default: the current directory); OUTPUT defaults to the
// title's proposed file name in the current directory. Prints a summary on success;
// on failure "Error creating installation." and the reason, exit status 1; 2 for
// usage errors.
int RunBuildCommand(const std::vector<std::string>& args);

} // namespace kftool
