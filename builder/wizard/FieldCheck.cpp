#include "builder/wizard/FieldCheck.h"

#include "platform/FileSystem.h"

#include <cstring>

namespace kf {

namespace {

constexpr const char* kRelativeForbidden = "\"*/:<>?|";
constexpr const char* kFullPathForbidden = "\"*/<>?|";

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

} // namespace

std::string CheckedText(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsControlOrBlank(text[first]))
        ++first;
    while (last > first && IsControlOrBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool HasForbiddenCharacter(const std::string& text, int32_t rule)
{
    const char* forbidden = rule == ckRelativePath ? kRelativeForbidden : rule == ckFullPath ? kFullPathForbidden : "";
    for (char c : text)
    {
        unsigned char code = static_cast<unsigned char>(c);
        // strchr would also match the terminating NUL.
        if (code >= 32 && code <= 127 && c != '\0' && std::strchr(forbidden, c))
            return true;
    }
    return false;
}

bool CheckFieldText(const std::string& text, int32_t rule)
{
    std::string value = CheckedText(text);
    if (value.empty())
        return rule == ckOptionalFile || rule == ckRelativePath;
    switch (rule)
    {
    case ckRequired: return true;
    case ckExistingDirectory: return DirectoryExists(value);
    case ckExistingFile:
    case ckOptionalFile: return FileExists(value);
    // The drive letter itself is not tested; ":\" must start at the second character.
    case ckFullPath: return !HasForbiddenCharacter(value, rule) && value.find(":\\") == 1;
    case ckRelativePath: return !HasForbiddenCharacter(value, rule);
    default: return false;
    }
}

} // namespace kf
