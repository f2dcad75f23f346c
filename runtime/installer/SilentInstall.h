// The installation with no window at all (/S), for package managers and fleet tools:
// every question takes its default (the licence accepted, the location of the setup
// or /D=, the desktop icon as its box's default, no launch, no readme), and the result
// is an exit code and, with /LOG=, a plain-text record.
#pragma once

#include "runtime/common/SetupLog.h"
#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerSteps.h"

#include <cstdint>
#include <string>

namespace kf {
namespace installer {

// Installs into location. freeSpace is what the location's drive has (-1 when unknown,
// which fails the space check as the wizard would). Returns kExitSuccess, or
// kExitFailed after the roll-back (too little space, a location that cannot be made, a
// file that cannot be written); the reason goes to log.
int RunSilentInstall(TInstaller& installer, const std::string& location, int64_t freeSpace, IInstallSystem& system,
                     TSetupLog& log);

} // namespace installer
} // namespace kf
