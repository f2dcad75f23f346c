#include "runtime/common/RemovalScope.h"

#include "platform/Text.h"

#include <cstring>

namespace kf {

const char* const kOutsideText = "Not part of the installation, left alone: ";
const char* const kThroughLinkText = "Reached through a link, left alone: ";
const char* const kForeignKeyText = "Not the installation's registry key, left alone: ";

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

// Windows strips a trailing dot or blank from a level and reads "." and ".." as moves;
// a colon names a stream or a device, the other characters are no part of a name.
bool IsPlainLevel(const char* level, size_t size)
{
    if (size == 0 || level[size - 1] == '.' || level[size - 1] == ' ')
        return false;
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(level[i]) < 32 || std::strchr(":*?\"<>|", level[i]))
            return false;
    return true;
}

// A path taken apart as Windows reads it: "/" is a separator too and runs of
// separators count as one. The top is "X:", "\\server\share" or nothing for a path
// from the drive's root ("\Apps"); each level below it is a span of the path as
// written, so it can be compared and asked about in its own spelling.
struct TParsedPath
{
    const std::string* Path = nullptr;
    size_t TopStart = 0, TopEnd = 0; // the drive or share part, separators within it as written
    std::vector<size_t> Spans;       // start, end of each level
    size_t Levels() const { return Spans.size() / 2; }
};

// End of the name starting at at.
size_t NameEnd(const std::string& path, size_t at)
{
    while (at < path.size() && !IsSeparator(path[at]))
        ++at;
    return at;
}

bool Parse(const std::string& path, TParsedPath& parsed)
{
    parsed.Path = &path;
    size_t at = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
    {
        // "\\server\share"; "\\?\..." and "\\.\..." are device forms, not servers.
        size_t server = NameEnd(path, 2);
        size_t share = server < path.size() ? NameEnd(path, server + 1) : server;
        if (!IsPlainLevel(&path[2], server - 2) || server == path.size() ||
            !IsPlainLevel(&path[server + 1], share - server - 1))
            return false;
        parsed.TopStart = 2;
        at = share;
    }
    else if (path.size() >= 2 && path[1] == ':' && Upper(path[0]) >= 'A' && Upper(path[0]) <= 'Z')
    {
        // "C:file" is relative to the drive's current folder.
        if (path.size() > 2 && !IsSeparator(path[2]))
            return false;
        at = 2;
    }
    else if (path.empty() || !IsSeparator(path[0]))
        return false; // relative to the current folder
    parsed.TopEnd = at;
    while (at < path.size())
    {
        while (at < path.size() && IsSeparator(path[at]))
            ++at;
        if (at == path.size())
            break;
        size_t end = NameEnd(path, at);
        if (!IsPlainLevel(&path[at], end - at))
            return false;
        parsed.Spans.push_back(at);
        parsed.Spans.push_back(end);
        at = end;
    }
    return true;
}

bool SameText(const std::string& a, size_t aStart, size_t aEnd, const std::string& b, size_t bStart, size_t bEnd)
{
    if (aEnd - aStart != bEnd - bStart)
        return false;
    for (size_t i = 0; i < aEnd - aStart; ++i)
    {
        char x = a[aStart + i], y = b[bStart + i];
        if (Upper(x) != Upper(y) && !(IsSeparator(x) && IsSeparator(y)))
            return false;
    }
    return true;
}

// True when path's top is root's and its levels begin with all of root's.
bool StartsWith(const TParsedPath& path, const TParsedPath& root)
{
    const std::string &p = *path.Path, &r = *root.Path;
    if (path.Levels() < root.Levels() ||
        (path.TopStart == 0) != (root.TopStart == 0) ||
        !SameText(p, path.TopStart, path.TopEnd, r, root.TopStart, root.TopEnd) ||
        (path.TopEnd == 0) != (root.TopEnd == 0))
        return false;
    for (size_t i = 0; i < root.Spans.size(); i += 2)
        if (!SameText(p, path.Spans[i], path.Spans[i + 1], r, root.Spans[i], root.Spans[i + 1]))
            return false;
    return true;
}

bool HasShortcutExtension(const std::string& path)
{
    if (path.size() <= 4)
        return false;
    std::string tail = UpperCaseAscii(path.substr(path.size() - 4));
    return tail == ".LNK" || tail == ".URL";
}

} // namespace

std::string OwnableFolder(const std::string& folder)
{
    TParsedPath parsed;
    if (!Parse(folder, parsed) || parsed.Levels() == 0)
        return std::string();
    std::string canonical = parsed.TopStart ? "\\\\" : "";
    for (size_t i = parsed.TopStart; i < parsed.TopEnd; ++i)
        canonical += IsSeparator(folder[i]) ? '\\' : folder[i];
    for (size_t i = 0; i < parsed.Spans.size(); i += 2)
        canonical += "\\" + folder.substr(parsed.Spans[i], parsed.Spans[i + 1] - parsed.Spans[i]);
    return UpperCaseAscii(canonical);
}

void TRemovalScope::Add(TKind kind, const std::string& folder)
{
    TParsedPath parsed;
    if (Parse(folder, parsed) && parsed.Levels() > 0)
        FRoots.push_back({kind, folder.substr(0, parsed.Spans.back())});
}

void TRemovalScope::AddTree(const std::string& folder) { Add(TKind::Tree, folder); }
void TRemovalScope::AddShortcutFolder(const std::string& folder) { Add(TKind::Shortcuts, folder); }
void TRemovalScope::AddLevel(const std::string& folder) { Add(TKind::Level, folder); }

TScopeVerdict TRemovalScope::Check(const std::string& path, IReparsePoints& links) const
{
    TParsedPath parsed;
    if (!Parse(path, parsed) || parsed.Levels() == 0)
        return TScopeVerdict::Outside;
    size_t depth = parsed.Levels();
    for (const TRoot& root : FRoots)
    {
        TParsedPath folder;
        Parse(root.Folder, folder);
        if (!StartsWith(parsed, folder))
            continue;
        size_t levels = folder.Levels();
        // The first level to ask about: the root's own for a tree; the folders the
        // system names (desktop, programs) are its business, the files in them are not.
        size_t first;
        if (root.Kind == TKind::Tree)
            first = levels - 1;
        else if (root.Kind == TKind::Level && depth == levels)
            first = depth - 1;
        else if (root.Kind == TKind::Shortcuts && depth == levels + 1 && HasShortcutExtension(path.substr(0, parsed.Spans.back())))
            first = depth - 1;
        else
            continue;
        for (size_t i = first; i < depth; ++i)
            if (links.IsReparsePoint(path.substr(0, parsed.Spans[2 * i + 1])))
                return TScopeVerdict::ThroughLink;
        return TScopeVerdict::Inside;
    }
    return TScopeVerdict::Outside;
}

bool TReparseCache::IsReparsePoint(const std::string& path)
{
    for (const std::string& level : FClean)
        if (level == path)
            return false;
    if (FSystem->IsReparsePoint(path))
        return true;
    // Only the levels above path stay: the chain leads to it.
    while (!FClean.empty() && !(path.size() > FClean.back().size() &&
                                path.compare(0, FClean.back().size(), FClean.back()) == 0 &&
                                IsSeparator(path[FClean.back().size()])))
        FClean.pop_back();
    FClean.push_back(path);
    return false;
}

bool IsOwnRegistryKey(const std::string& key)
{
    // Levels compared as Windows compares them, in any case; one of blanks only, or
    // an empty one, is refused rather than guessed at.
    std::string upper = UpperCaseAscii(key) + "\\";
    if (upper.compare(0, 9, "SOFTWARE\\") != 0)
        return false;
    for (size_t from = 0, cut; (cut = upper.find('\\', from)) != std::string::npos; from = cut + 1)
        if (TrimText(upper.substr(from, cut - from)).empty())
            return false;
    std::string vendor = TrimText(upper.substr(9, upper.find('\\', 9) - 9));
    for (const char* windows : {"MICROSOFT", "CLASSES", "POLICIES", "WOW6432NODE"})
        if (vendor == windows)
            return false;
    return upper.size() > 10;
}

} // namespace kf
