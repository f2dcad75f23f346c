// Hostile command lines: anyone who can start the setup or the uninstaller chooses
// them. Splitting and both parsers must end without crashing, and what they accept
// keeps its promises: the installer takes no plain argument, the uninstaller one at
// most, a folder is trimmed, nothing but a switch line is an error.
#include "runtime/common/SetupSwitches.h"

#include <cstdlib>
#include <string>

namespace {

bool Trimmed(const std::string& text)
{
    return text.empty() || (text.front() != ' ' && text.back() != ' ' && text.front() != '\t' && text.back() != '\t');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    kf::SplitCommandLine(line);
    std::string tail = kf::CommandTail(line);
    if (tail.size() > line.size())
        std::abort();
    kf::TSwitches install = kf::ParseInstallSwitches(tail);
    if (install.Error.empty() && (!install.Plain.empty() || !Trimmed(install.Directory)))
        std::abort();
    if (!install.HasDirectory && !install.Directory.empty())
        std::abort();
    kf::TSwitches uninstall = kf::ParseUninstallSwitches(tail);
    if (uninstall.Error.empty() && (uninstall.Plain.size() > 1 || uninstall.HasDirectory))
        std::abort();
    return 0;
}
