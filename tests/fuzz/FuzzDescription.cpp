// Hostile installation descriptions: a setup's install.inf is a file anyone can edit.
// Reading it, every section the installer asks for and the values it parses must end
// without crashing, and the lines handed out never hold a line end.
#include "runtime/common/InstallDescriptionFormat.h"
#include "runtime/installer/InstallerAppearance.h"
#include "runtime/installer/InstallerSteps.h"
#include "runtime/installer/infreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    kf::TINFReader reader;
    reader.LoadText(text);
    kf::TMemoryStream stream(text);
    kf::TINFReader streamed;
    streamed.LoadText(stream);
    if (streamed.Lines() != reader.Lines())
        std::abort(); // both ways in must read the same
    for (const std::string& line : reader.Lines())
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();

    namespace inf = kf::inf;
    std::vector<std::string> names = {inf::kTitle,        inf::kBaseDir,      inf::kDefaultDir,     inf::kLicense,
                                      inf::kReadme,       inf::kFiles,        inf::kProgramGroup,   inf::kGroupIcons,
                                      inf::kDesktopIcons, inf::kLaunch,       inf::kImage,          inf::kStartColor,
                                      inf::kEndColor,     inf::kBrowseButton, inf::kDisplayVersion, inf::kPublisher,
                                      inf::kDirectories,  inf::kRunAndWait};
    for (const std::string& line : reader.Lines()) // and whatever the input names itself
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']' && names.size() < 64)
            names.push_back(line.substr(1, line.size() - 2));
    const kf::installer::TBaseDirectories dirs = {"C:\\Program Files", "C:\\Windows", "C:\\Desktop", "C:\\Fonts"};
    for (const std::string& name : names)
    {
        std::string value = reader.ReadValue(name);
        if (!reader.SectionExists(name) && !value.empty())
            std::abort(); // an absent section has no value
        kf::installer::ParseColor(value, 0);
        kf::installer::ResolveBaseDir(value, dirs);
        std::vector<std::string> lines = reader.ReadSection(name);
        if (lines.size() > reader.Lines().size())
            std::abort();
        for (const std::string& line : lines)
        {
            std::pair<std::string, std::string> parts = kf::SplitValue(line);
            if (parts.first.size() + parts.second.size() > line.size())
                std::abort();
            kf::IsEmptyValueMarker(line);
        }
    }
    return 0;
}
