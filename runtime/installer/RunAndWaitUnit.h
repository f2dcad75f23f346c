// Starting a program and waiting for it: the installer's "run and wait" lines.
#pragma once

#include <cstdint>
#include <string>

namespace kf {

// Exit code reported when the program could not be started at all. It is Windows'
// STILL_ACTIVE, a value a finished program cannot normally report.
constexpr int32_t kRunAndWaitNotStarted = 259;

// Starts commandLine with CreateProcessA (no application name, the command line as
// given, normal priority, the caller's environment, current directory and start-up
// information), waits without a time limit for it to end and returns its exit code.
// Blocks the calling thread without pumping messages. kRunAndWaitNotStarted when the
// program cannot be started; nothing is waited for then.
int32_t RunAndWait(const std::string& commandLine);

} // namespace kf
