#include "builder/build/FileSet.h"

#include "archive/ArchiveFormat.h"
#include "builder/build/PathRules.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace kf {

namespace {

bool DirectoryImageMode(const TInstallSettings& settings) { return !settings.AddFiles && settings.AddDir; }

void WalkImage(const std::string& root, std::vector<std::string>& files)
{
    // A stack instead of recursion, so a deep tree needs no deep call stack.
    std::vector<std::string> pending{root};
    while (!pending.empty())
    {
        std::string current = std::move(pending.back());
        pending.pop_back();
        for (const TDirEntry& entry : ListDirectory(current))
        {
            if (entry.Name == "." || entry.Name == "..")
                continue;
            if (entry.Attributes & kAttrDirectory)
                pending.push_back(current + entry.Name + kPathDelim);
            else
                files.push_back(current + entry.Name);
        }
    }
}

} // namespace

std::string ImageDirectory(const TInstallSettings& settings)
{
    std::string dir = TrimText(settings.AddDirText);
    if (!dir.empty() && dir.back() != kPathDelim)
        dir += kPathDelim;
    return dir;
}

std::vector<std::string> CollectFiles(const TInstallSettings& settings)
{
    std::vector<std::string> files;
    if (settings.AddFiles)
        files = settings.AddFilesList;
    else if (settings.AddDir)
    {
        std::string root = ImageDirectory(settings);
        if (root.empty())
            throw TError("No image directory is given");
        WalkImage(root, files);
    }

    if (settings.IncludeMainExe)
    {
        std::string main = UpperCaseAscii(settings.Main);
        bool present = false;
        for (const std::string& path : files)
            if (UpperCaseAscii(path) == main)
            {
                present = true;
                break;
            }
        if (!present)
            files.push_back(settings.Main);
    }
    return files;
}

std::string ArchiveNameFor(const TInstallSettings& settings, const std::string& path)
{
    if (settings.IncludeMainExe && path == settings.Main)
        return FileNameOf(path);
    if (DirectoryImageMode(settings))
    {
        // The trimmed directory, as the walk spelled it: counting the characters of the
        // untrimmed text would cut into the names when it has blanks at either end.
        std::string root = ImageDirectory(settings);
        if (!root.empty() && path.size() > root.size() && path.compare(0, root.size(), root) == 0)
            return ToPackageName(path.substr(root.size()));
    }
    return FileNameOf(path);
}

} // namespace kf
