#include "builder/build/PathRules.h"

#include "archive/ArchiveFormat.h"

namespace kf {

bool IsPathSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

std::string FileNameOf(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return path.substr(i);
    return path;
}

std::string ToPackageName(const std::string& hostPath)
{
#ifdef _WIN32
    return hostPath;
#else
    std::string name = hostPath;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
#endif
}

bool IsBlank(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

bool SamePathText(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    return UpperCaseAscii(a) == UpperCaseAscii(b);
#else
    return a == b;
#endif
}

} // namespace kf
