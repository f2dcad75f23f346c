// Hostile installation scripts: loading must always end, report success and leave only
// in-range indices in the settings.
#include "builder/build/Script.h"
#include "FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = FuzzScratchPath("script");
    WriteFuzzInput(input, data, size);
    kf::TInstallSettings settings;
    kf::TSettingsRecord record(settings);
    if (!kf::LoadScript(input, record))
        std::abort();
    if (settings.ColorTop < 0 || settings.ColorTop >= kf::kColorCount || settings.ColorBottom < 0 ||
        settings.ColorBottom >= kf::kColorCount || settings.BaseDir < 0 || settings.BaseDir >= kf::kBaseDirCount)
        std::abort(); // an index outside the lists would reach the wizard's controls
    return 0;
}
