#include "runtime/installer/infreader.h"

#include "platform/Text.h"
#include "runtime/common/InstallDescriptionFormat.h"

namespace kf {

namespace {

bool BlankAfterTrim(const std::string& line) { return TrimText(line).empty(); }

} // namespace

void TINFReader::LoadText(TMemoryStream& stream)
{
    int64_t left = stream.Size() - stream.Position();
    std::string text(static_cast<size_t>(left > 0 ? left : 0), '\0');
    if (!text.empty())
        stream.Read(&text[0], static_cast<int32_t>(text.size()));
    LoadText(text);
}

void TINFReader::LoadText(const std::string& text)
{
    FLines = SplitLines(text);
}

int TINFReader::FindSection(const std::string& name) const
{
    std::string header = UpperCaseAscii("[" + name + "]");
    for (size_t i = 0; i < FLines.size(); ++i)
        if (FLines[i].size() == header.size() && UpperCaseAscii(FLines[i]) == header)
            return i + 1 < FLines.size() ? static_cast<int>(i) : -1;
    return -1;
}

bool TINFReader::SectionExists(const std::string& name) const { return FindSection(name) >= 0; }

std::string TINFReader::ReadValue(const std::string& name) const
{
    int header = FindSection(name);
    return header < 0 ? std::string() : FLines[header + 1];
}

std::vector<std::string> TINFReader::ReadSection(const std::string& name) const
{
    std::vector<std::string> values;
    int header = FindSection(name);
    if (header < 0)
        return values;
    for (size_t i = header + 1; i < FLines.size() && !BlankAfterTrim(FLines[i]); ++i)
        values.push_back(IsEmptyValueMarker(FLines[i]) ? std::string() : FLines[i]);
    return values;
}

std::pair<std::string, std::string> SplitValue(const std::string& line)
{
    size_t cut = line.find(inf::kFieldSeparator);
    if (cut == std::string::npos)
        return {std::string(), line};
    return {line.substr(0, cut), line.substr(cut + 1)};
}

bool IsEmptyValueMarker(const std::string& line)
{
    return TrimText(line) == inf::kEmptyValue;
}

} // namespace kf
