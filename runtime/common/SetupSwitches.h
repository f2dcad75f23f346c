// The command-line switches that package managers and deployment tools give the
// installer and the uninstaller, and the exit codes both report. Plain string code:
// the native tests drive it.
//
// Installer:   setup.exe [/S] [/LOG=file] [/?] [/D=folder]
// Uninstaller: uninstall.exe [/S] [/LOG=file] [/?]          (first run)
//              uninst.exe "log" [/S] [/LOG=file]            (its temporary copy)
//
// Switch names are matched without regard to letter case. /D= follows NSIS's rule: it
// is the last thing on the line and everything after "=" is the folder, blanks
// included, so it needs no quotation marks; a fully quoted "/D=C:\Some Place" works too.
// Nothing is guessed: an unknown switch is an error.
#pragma once

#include <string>
#include <vector>

namespace kf {

enum TExitCode : int
{
    kExitSuccess = 0,          // installed, or everything removed
    kExitCancelled = 1,        // the user cancelled (or refused the licence)
    kExitFailed = 2,           // damaged setup, bad switch, a location or file that failed
    kExitAlreadyRunning = 1618, // another installation of the same title is running
    kExitRebootRequired = 3010, // removed, but some files go at the next restart
};

struct TSwitches
{
    bool Silent = false;       // /S
    bool Help = false;         // /?
    bool HasDirectory = false; // /D= was given
    std::string Directory;     // its folder, trimmed
    std::string LogPath;       // /LOG=file
    // Arguments that are no switch, in order (the uninstaller's log path).
    std::vector<std::string> Plain;
    // Not empty when the line holds an unknown or malformed switch: one line for the
    // user, naming it.
    std::string Error;
};

// ParamStr-style split: blanks separate arguments, quotation marks group and are
// removed. Element 0 is the program.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The command line less the program's own name (quoted or not) and the blanks after it.
std::string CommandTail(const std::string& commandLine);

// The installer's switches from the command tail. Plain arguments are an error here.
TSwitches ParseInstallSwitches(const std::string& tail);
// The uninstaller's: /S, /LOG= and /? and at most one plain argument (the log path).
TSwitches ParseUninstallSwitches(const std::string& tail);

// The text of the /? message box of each program.
std::string InstallSwitchesHelp();
std::string UninstallSwitchesHelp();

} // namespace kf
