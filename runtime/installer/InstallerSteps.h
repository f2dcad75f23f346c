// The wizard's steps without a window: where the location starts (base directories),
// how much space it needs, which drive it is on, where Browse opens, and the step table
// that says what every step shows and what its buttons do.
#pragma once

#include "runtime/installer/infreader.h"

#include <cstdint>
#include <string>

namespace kf {

class TCompressionManager;

namespace installer {

class IInstallSystem;

// What the system says about where the location starts: the base directories the
// placeholders of "[basedir]" stand for, and where an earlier installation of the same
// title is.
struct TBaseDirectories
{
    std::string ProgramFiles; // GetProgramFilesDir
    std::string Windows;      // GetWindowsDir
    std::string Desktop;      // GetDesktopDir(1), the current user's
    std::string Fonts;        // GetFontsDir
    // "InstallLocation" of the title's uninstall registration; "" when it is not registered.
    // (Initialised here so that the four-path initialisers stay complete.)
    std::string Registered = std::string();
};

// The base directory of a "[basedir]" value, compared exactly (letter case counts):
// "%PROGRAM FILES%", "%WINDOWS%", "%SYSTEM%" (Windows + "SYSTEM32\"), "%C ROOT%" ("C:\"),
// "%DESKTOP%", "%FONTS%", each with a trailing "\"; anything else, "Custom" included,
// gives "".
std::string ResolveBaseDir(const std::string& value, const TBaseDirectories& dirs);

// The location a setup proposes: an upgrade goes where the earlier installation is (the
// registered location, trimmed, when it is a full path: "X:\..." or "\\server\share..."),
// otherwise the base directory of "[basedir]" + "[defaultdir]".
std::string DefaultLocation(const TINFReader& description, const TBaseDirectories& dirs);

// trunc(1.1 * sum over the "[files]" lines of (GetEntrySize(left part) + 4096)); a
// missing entry counts -1. Summed in 64 bits: a package near the 2 GiB limit must not
// wrap into a negative requirement that every drive would satisfy.
int64_t EstimateSpace(const TINFReader& description, const TCompressionManager& package);

// Where the Browse dialog opens its folder list: characters are removed from the end
// of the path until it ends in "\" and names an existing directory; "" when none does.
std::string BrowseStartFolder(const std::string& path, IInstallSystem& system);

// The pages of the wizard, in the order of the form's page control.
enum TWizardPage : int
{
    tabInfo = 0,
    tabLicense,
    tabLocation,
    tabInstalling,
    tabCompleting,
    tabComplete,
};

// The steps of an installation, in order. A new step (a question the run asks, say) is
// one value here and one row of kSteps.
enum class TStep : int
{
    Welcome,
    Licence,
    Location,
    Installing,
    Completing,
    Complete,
};

// What Next (or Finish) does on a step.
enum class TStepAction
{
    Advance,           // on to the next step that applies
    SpaceCheckAndCopy, // the copy, its group step, then the complete page
    ByItself,          // nothing: the step moves on by itself when its work is done
    Finish,            // desktop icons and launch as chosen; the run ends installed
};

// What Previous does on a step.
enum class TBackAction
{
    None,
    Back,           // to the previous step that applies
    ConfirmRefusal, // ask the licence refusal question; Yes ends the run
};

// One step: its page and the button row while it shows, and what its buttons do. An
// unattended run (/S) presses Next on every step and Finish with the defaults.
struct TStepRow
{
    TStep Step;
    int Page;          // TWizardPage
    bool LicenceOnly;  // skipped when the description has no licence
    bool PreviousVisible, PrintVisible, NextVisible, FinishVisible, CancelVisible;
    bool NextEnabled;  // false while the step's work runs: a press must not start a step of its own
    const char* NextCaption;
    const char* PreviousCaption;
    // Next here starts the free-space timer of the step it leads to, which runs until the
    // next press. Only the licence does: without one the timer is never started.
    bool StartsSpaceTimer;
    TStepAction OnNext;
    TBackAction OnPrevious;
    bool Installed;    // closed here, the installation stands (exit code 0)
};

// Every step, in the order of TStep.
extern const TStepRow kSteps[6];

const TStepRow& StepRow(TStep step);
// The step Next and Previous lead to: the neighbour in kSteps, the licence skipped when
// there is none; step itself at either end.
TStep StepAfter(TStep step, bool hasLicense);
TStep StepBefore(TStep step, bool hasLicense);

} // namespace installer
} // namespace kf
