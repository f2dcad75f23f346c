// The portable half of ShellInstallLib: path helpers on backslash paths.
#include "runtime/common/ShellInstallLib.h"

namespace kf {

std::string AddBackslash(const std::string& path)
{
    if (path.empty() || path.back() == '\\')
        return path;
    return path + '\\';
}

std::string RemoveDoubleBackslash(const std::string& path)
{
    std::string result;
    result.reserve(path.size());
    for (char c : path)
        if (!(c == '\\' && !result.empty() && result.back() == '\\'))
            result += c;
    return result;
}

std::string ParentDir(const std::string& path)
{
    std::string result = path;
    if (!result.empty() && result.back() == '\\')
        result.pop_back();
    size_t cut = result.rfind('\\');
    if (cut == std::string::npos)
        return std::string();
    result.resize(cut);
    return result;
}

bool IsUsableUninstallKeyName(const std::string& keyName)
{
    return keyName.find_first_not_of('\\') != std::string::npos;
}

} // namespace kf
