#include "platform/Text.h"

namespace kf {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    bool pending = false; // text after the last line break
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '\r' || c == '\n')
        {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        }
        else
        {
            line += c;
            pending = true;
        }
    }
    if (pending)
        lines.push_back(line);
    return lines;
}

std::string UpperCaseAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string LowerCaseAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string TrimText(const std::string& text)
{
    size_t first = 0, end = text.size();
    while (first < end && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (end > first && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(first, end - first);
}

std::string DirectoryPart(const std::string& path)
{
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string Concat(std::initializer_list<std::string_view> parts)
{
    size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts)
        text.append(part);
    return text;
}

} // namespace kf
