// What an elevated removal may touch. The uninstall log lies in the installation
// folder, and a folder others can write makes the log theirs too: its lines are
// requests, not orders. A removal (the uninstaller, the installer's roll-back and its
// clean-up of kept copies) touches a path only when it lies below a root the
// installation owns and no level from that root down is a reparse point (a junction or
// a symbolic link would carry the deletion somewhere else), and a registry key only
// when it is an application's own key below "Software\".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kf {

enum class TScopeVerdict
{
    Inside,      // below a root, no link on the way: may be touched
    Outside,     // not the installation's: left alone
    ThroughLink, // below a root, but a level from the root down is a reparse point
};

// Asked for each level from a root down to the path itself: true for a reparse point.
// (An interface rather than std::function: the stubs' size is a budget.)
class IReparsePoints
{
public:
    virtual bool IsReparsePoint(const std::string& path) = 0;

protected:
    ~IReparsePoints() = default;
};

// Asks another IReparsePoints and remembers the levels of the last path that were no
// link: Check asks from the root down, so the files of one folder cost one question
// each, not one for every level above them (a system call each, and many thousand
// files). A level swapped for a link between two questions gets through, as it would
// between the question and the deletion anyway.
class TReparseCache : public IReparsePoints
{
public:
    TReparseCache() = default;
    explicit TReparseCache(IReparsePoints& system) : FSystem(&system) {}
    // The system to ask from now on; forget drops what was learnt.
    void Use(IReparsePoints& system) { FSystem = &system; }
    void Forget() { FClean.clear(); }
    bool IsReparsePoint(const std::string& path) override;

private:
    IReparsePoints* FSystem = nullptr;
    std::vector<std::string> FClean; // from a root down, each below the one before
};

// The paths an installation owns. Letter case does not count, as on Windows.
class TRemovalScope
{
public:
    // The folder and everything below it (the installation folder, its program group).
    void AddTree(const std::string& folder);
    // Only shortcut files (".lnk", ".url") directly in the folder (the desktop, the
    // Start menu's programs folder when the group is that folder itself).
    void AddShortcutFolder(const std::string& folder);
    // One folder by itself: a level above the installation folder that the setup made
    // for it (C:\Apps\Vendor for C:\Apps\Vendor\Demo). Never a drive or share root.
    void AddLevel(const std::string& folder);

    // Whether path may be deleted, renamed or kept aside. A path that is not plain (a
    // "." or ".." level, a level ending in a dot or a blank, which Windows strips, a
    // "/", a "\\?\" or device form, an empty level) is Outside: it could name another
    // place than it reads.
    TScopeVerdict Check(const std::string& path, IReparsePoints& links) const;

    bool Empty() const { return FRoots.empty(); }

private:
    enum class TKind
    {
        Tree,
        Shortcuts,
        Level,
    };
    struct TRoot
    {
        TKind Kind;
        std::string Folder; // without a trailing "\"
    };
    void Add(TKind kind, const std::string& folder);
    std::vector<TRoot> FRoots;
};

// The folder in one spelling for comparisons (upper case, single backslashes, none at
// the end) when it is one a removal may own: from a drive ("X:\..."), a share
// ("\\server\share\...") or a drive's root ("\..."), plain, and below that root; "" for
// anything else (a root itself, a relative path).
std::string OwnableFolder(const std::string& folder);

// A "Registry Key" line's key (below HKCU or HKLM) that a removal may delete: below
// "Software\" with a vendor level of its own, not Windows' own keys (Microsoft,
// Classes, Policies, Wow6432Node), and no empty level.
bool IsOwnRegistryKey(const std::string& key);

// The memErrors lines of what a removal leaves alone, with the value in quotation marks.
extern const char* const kOutsideText;     // "Not part of the installation, left alone: "
extern const char* const kThroughLinkText; // "Reached through a link, left alone: "
extern const char* const kForeignKeyText;  // "Not the installation's registry key, left alone: "

} // namespace kf
