#include "runtime/common/SetupLog.h"

#include <exception>

namespace kf {

bool TSetupLog::Open(const std::string& path)
{
    try
    {
        FFile.Open(path, TFileMode::Create);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

void TSetupLog::Line(const std::string& text)
{
    if (!FFile.IsOpen())
        return;
    // One line per record: the message boxes' texts break with lone CRs.
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    line += "\r\n";
    try
    {
        FFile.WriteExact(line.data(), static_cast<int32_t>(line.size()));
    }
    catch (const std::exception&)
    {
    }
}

} // namespace kf
