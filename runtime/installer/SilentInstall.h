// The installation with no window at all (/S), for package managers and fleet tools:
// the run model unattended (every question takes its default: the licence accepted, the
// location of the setup or /D=, the desktop icon as its box's default, no launch, no
// readme), and what it shows written to the /LOG file as plain-text lines. The result is
// the run's exit code.
#pragma once

#include "runtime/common/SetupLog.h"
#include "runtime/installer/InstallerModel.h"

namespace kf {
namespace installer {

// Runs the whole installation of a model that is set up (SetUp) and not started.
// Returns kExitSuccess, or kExitFailed after the roll-back (too little space, a location
// where no log can be made, a file that cannot be written); the reason goes to log.
int RunSilentInstall(TInstallerModel& run, TSetupLog& log);

} // namespace installer
} // namespace kf
