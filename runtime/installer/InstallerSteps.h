// The wizard's steps without a window: where the location starts (base directories),
// how much space it needs, which drive it is on, where Browse opens, and the step table
// of Next and Previous.
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

enum class TStepAction
{
    None,
    ConfirmRefusal, // ask the licence refusal question
    SpaceCheckAndCopy,
    GroupStep,
    Finish,
};

// What a Next or Previous press changes; -1 and nullptr mean "left as it is".
struct TStepChange
{
    int NewStep = -1;
    int Page = -1;
    int PreviousVisible = -1;
    int PrintVisible = -1;
    int NextVisible = -1;
    int FinishVisible = -1;
    int CancelVisible = -1;
    int SpaceTimer = -1; // 1 enabled, 0 disabled
    const char* NextCaption = nullptr;
    const char* PreviousCaption = nullptr;
    TStepAction Action = TStepAction::None;
};

TStepChange NextStepChange(int stepIndex, bool hasLicense);
TStepChange PreviousStepChange(int stepIndex, bool hasLicense);

} // namespace installer
} // namespace kf
