#include "runtime/common/RemovalScope.h"

#include "platform/Text.h"

namespace kf {

const char* const kOutsideText = "Not part of the installation, left alone: ";
const char* const kThroughLinkText = "Reached through a link, left alone: ";
const char* const kForeignKeyText = "Not the installation's registry key, left alone: ";

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows strips a trailing dot or blank from a level and reads "." and ".." as moves;
// a colon names a stream or a device, the other characters are no part of a name.
bool IsPlainLevel(const std::string& level)
{
    if (level.empty() || level.back() == '.' || level.back() == ' ')
        return false;
    for (unsigned char c : level)
        if (c < 32 || std::string(":*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return false;
    return true;
}

// A path taken apart as Windows reads it: "/" is a separator too and runs of
// separators count as one. Top is "X:", "\\SERVER\SHARE" or "" for a path from the
// drive's root ("\Apps"); the levels below it are upper-cased, and Ends holds where
// each ends in the path as written, so the levels can be asked about in its spelling.
struct TParsedPath
{
    std::string Top;
    std::vector<std::string> Levels;
    std::vector<size_t> Ends;
};

bool Parse(const std::string& path, TParsedPath& parsed)
{
    size_t at = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
    {
        // "\\server\share"; "\\?\..." and "\\.\..." are device forms, not servers.
        std::string names[2];
        at = 2;
        for (std::string& name : names)
        {
            size_t end = at;
            while (end < path.size() && !IsSeparator(path[end]))
                ++end;
            name = path.substr(at, end - at);
            if (!IsPlainLevel(name))
                return false;
            at = end;
            if (&name == &names[0] && ++at >= path.size())
                return false;
        }
        parsed.Top = "\\\\" + UpperCaseAscii(names[0]) + "\\" + UpperCaseAscii(names[1]);
    }
    else if (path.size() >= 2 && path[1] == ':' && (path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z')
    {
        // "C:file" is relative to the drive's current folder.
        if (path.size() > 2 && !IsSeparator(path[2]))
            return false;
        parsed.Top = UpperCaseAscii(path.substr(0, 2));
        at = 2;
    }
    else if (path.empty() || !IsSeparator(path[0]))
        return false; // relative to the current folder
    while (at < path.size())
    {
        while (at < path.size() && IsSeparator(path[at]))
            ++at;
        if (at == path.size())
            break;
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        std::string level = path.substr(at, end - at);
        if (!IsPlainLevel(level))
            return false;
        parsed.Levels.push_back(UpperCaseAscii(level));
        parsed.Ends.push_back(end);
        at = end;
    }
    return true;
}

bool HasShortcutExtension(const std::string& level)
{
    return level.size() > 4 && (level.compare(level.size() - 4, 4, ".LNK") == 0 ||
                                level.compare(level.size() - 4, 4, ".URL") == 0);
}

// True when path's levels begin with all of root's.
bool StartsWith(const TParsedPath& path, const TParsedPath& root)
{
    if (path.Top != root.Top || path.Levels.size() < root.Levels.size())
        return false;
    for (size_t i = 0; i < root.Levels.size(); ++i)
        if (path.Levels[i] != root.Levels[i])
            return false;
    return true;
}

} // namespace

std::string OwnableFolder(const std::string& folder)
{
    TParsedPath parsed;
    if (!Parse(folder, parsed) || parsed.Levels.empty())
        return std::string();
    std::string canonical = parsed.Top;
    for (const std::string& level : parsed.Levels)
        canonical += "\\" + level;
    return canonical;
}

void TRemovalScope::Add(TKind kind, const std::string& folder)
{
    TParsedPath parsed;
    if (Parse(folder, parsed) && !parsed.Levels.empty())
        FRoots.push_back({kind, folder.substr(0, parsed.Ends.back())});
}

void TRemovalScope::AddTree(const std::string& folder) { Add(TKind::Tree, folder); }
void TRemovalScope::AddShortcutFolder(const std::string& folder) { Add(TKind::Shortcuts, folder); }
void TRemovalScope::AddLevel(const std::string& folder) { Add(TKind::Level, folder); }

TScopeVerdict TRemovalScope::Check(const std::string& path, const TIsReparsePoint& isReparsePoint) const
{
    TParsedPath parsed;
    if (!Parse(path, parsed) || parsed.Levels.empty())
        return TScopeVerdict::Outside;
    size_t depth = parsed.Levels.size();
    for (const TRoot& root : FRoots)
    {
        TParsedPath folder;
        Parse(root.Folder, folder);
        if (!StartsWith(parsed, folder))
            continue;
        size_t levels = folder.Levels.size();
        // The first level to ask about: the root's own for a tree; the folders the
        // system names (desktop, programs) are its business, the files in them are not.
        size_t first;
        if (root.Kind == TKind::Tree)
            first = levels - 1;
        else if (root.Kind == TKind::Level && depth == levels)
            first = depth - 1;
        else if (root.Kind == TKind::Shortcuts && depth == levels + 1 && HasShortcutExtension(parsed.Levels.back()))
            first = depth - 1;
        else
            continue;
        for (size_t i = first; i < depth; ++i)
            if (isReparsePoint(path.substr(0, parsed.Ends[i])))
                return TScopeVerdict::ThroughLink;
        return TScopeVerdict::Inside;
    }
    return TScopeVerdict::Outside;
}

bool IsOwnRegistryKey(const std::string& key)
{
    std::vector<std::string> levels;
    for (size_t from = 0;;)
    {
        size_t cut = key.find('\\', from);
        levels.push_back(UpperCaseAscii(TrimText(key.substr(from, cut == std::string::npos ? cut : cut - from))));
        if (levels.back().empty())
            return false;
        if (cut == std::string::npos)
            break;
        from = cut + 1;
    }
    if (levels.size() < 2 || levels[0] != "SOFTWARE")
        return false;
    for (const char* windows : {"MICROSOFT", "CLASSES", "POLICIES", "WOW6432NODE"})
        if (levels[1] == windows)
            return false;
    return true;
}

} // namespace kf
