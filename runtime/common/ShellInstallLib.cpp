// The portable half of ShellInstallLib: path helpers on backslash paths.
#include "runtime/common/ShellInstallLib.h"

#include "platform/Text.h"

namespace kf {

std::string AddBackslash(const std::string& path)
{
    if (path.empty() || path.back() == '\\')
        return path;
    return path + '\\';
}

std::string UncRoot(const std::string& path)
{
    // A third "\" names no server: such a path keeps the rules of any other.
    if (path.size() < 3 || path[0] != '\\' || path[1] != '\\' || path[2] == '\\')
        return std::string();
    size_t server = path.find('\\', 2);
    size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return share == std::string::npos ? path : path.substr(0, share);
}

std::string RemoveDoubleBackslash(const std::string& path)
{
    bool network = !UncRoot(path).empty();
    std::string result = network ? "\\\\" : "";
    result.reserve(path.size());
    for (size_t i = network ? 2 : 0; i < path.size(); ++i)
        if (!(path[i] == '\\' && !result.empty() && result.back() == '\\'))
            result += path[i];
    return result;
}

std::string ParentDir(const std::string& path)
{
    std::string result = path;
    if (!result.empty() && result.back() == '\\')
        result.pop_back();
    if (result.size() <= UncRoot(path).size())
        return std::string();
    size_t cut = result.rfind('\\');
    if (cut == std::string::npos)
        return std::string();
    result.resize(cut);
    return result;
}

std::string FreeSpaceRoot(const std::string& path)
{
    std::string share = UncRoot(path);
    if (!share.empty())
        return AddBackslash(share);
    char letter = path.size() > 2 && path[1] == ':' ? UpperCaseAscii(path.substr(0, 1))[0] : '\0';
    if (letter >= 'A' && letter <= 'Z')
        return std::string(1, letter) + ":\\";
    return std::string();
}

bool IsUsableUninstallKeyName(const std::string& keyName)
{
    return keyName.find_first_not_of('\\') != std::string::npos;
}

std::string UninstallKeyPath(const std::string& title)
{
    std::string keyName = TrimText(title);
    return IsUsableUninstallKeyName(keyName) ? kUninstallKeyPath + keyName : std::string();
}

} // namespace kf
