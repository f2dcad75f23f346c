#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "platform/posix/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

std::vector<TDirEntry> ListDirectory(const std::string& directory)
{
    std::vector<TDirEntry> entries;
    const TCodePage* codePage = NameCodePage();
    std::string base = directory.empty() ? std::string(".") : HostName(directory);
    DIR* dir = opendir(base.c_str());
    if (!dir)
        return entries;
    if (base.back() != '/')
        base += '/';
    std::vector<TDirEntry> named;
    std::vector<std::u32string> keys; // with a code page: the Windows order of the host names
    while (dirent* item = readdir(dir))
    {
        std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        if (lstat((base + name).c_str(), &info) != 0)
            continue;
        // A link is listed as what it points to, except a link to a directory: following
        // those lets a link loop make a directory walk endless.
        if (S_ISLNK(info.st_mode) && (stat((base + name).c_str(), &info) != 0 || S_ISDIR(info.st_mode)))
            continue;
        uint32_t attributes = S_ISDIR(info.st_mode) ? kAttrDirectory : kAttrArchive;
        if (name[0] == '.')
            attributes |= kAttrHidden;
        if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            attributes |= kAttrReadOnly;
        if (codePage)
        {
            bool complete = true;
            std::string ansi = codePage->FromHostMarked(name, &complete);
            if (!complete)
            {
                // A "?" in its place would ship a name nobody chose, or two files as one.
                closedir(dir);
                std::string where = directory.empty() || directory.back() == '/' ? directory : directory + '/';
                throw TError(where + ansi + ": the name cannot be written in code page " +
                             std::to_string(codePage->Number()));
            }
            keys.push_back(HostNameOrderKey(name));
            name = ansi;
        }
        named.push_back({name, attributes});
    }
    closedir(dir);
    if (codePage)
    {
        std::vector<size_t> order(named.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return keys[a] != keys[b] ? keys[a] < keys[b] : named[a].Name < named[b].Name;
        });
        std::vector<TDirEntry> sorted;
        for (size_t i : order)
            sorted.push_back(std::move(named[i]));
        named.swap(sorted);
    }
    else
        std::sort(named.begin(), named.end(),
                  [](const TDirEntry& a, const TDirEntry& b) { return DirectoryOrderLess(a.Name, b.Name); });
    entries.push_back({".", kAttrDirectory});
    entries.push_back({"..", kAttrDirectory});
    entries.insert(entries.end(), named.begin(), named.end());
    return entries;
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return stat(HostName(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat info;
    return stat(HostName(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsLinkAt(const std::string& path)
{
    struct stat info;
    return lstat(HostName(path).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

int64_t FileSizeAt(const std::string& path)
{
    struct stat info;
    if (stat(HostName(path).c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return info.st_size;
}

bool MakeDirectory(const std::string& path) { return mkdir(HostName(path).c_str(), 0755) == 0; }

bool RemoveFile(const std::string& path) { return unlink(HostName(path).c_str()) == 0; }

bool RemoveEmptyDirectory(const std::string& path) { return rmdir(HostName(path).c_str()) == 0; }

bool RenameFile(const std::string& path, const std::string& newPath)
{
    // link() refuses an existing name, as MoveFileA does; the old name then goes.
    if (link(HostName(path).c_str(), HostName(newPath).c_str()) != 0)
        return false;
    unlink(HostName(path).c_str());
    return true;
}

bool ReplaceFileOver(const std::string& path, const std::string& newPath)
{
    return rename(HostName(path).c_str(), HostName(newPath).c_str()) == 0;
}

bool SetAttributesAt(const std::string& path, uint32_t attributes)
{
    struct stat info;
    if (stat(HostName(path).c_str(), &info) != 0)
        return false;
    mode_t mode = info.st_mode & 07777;
    mode = attributes & kAttrReadOnly ? mode & ~mode_t(0222) : mode | S_IWUSR;
    return chmod(HostName(path).c_str(), mode) == 0;
}

bool RemoveAtRestart(const std::string&)
{
    errno = ENOSYS;
    return false;
}

int32_t LastSystemErrorCode() { return HostErrorCode(errno); }

std::string TempDirectoryRaw()
{
    const char* dir = std::getenv("TMPDIR");
    std::string result = dir && *dir ? dir : "/tmp";
    if (const TCodePage* codePage = NameCodePage())
    {
        bool complete = true;
        result = codePage->FromHostMarked(result, &complete);
        if (!complete)
            result = "/tmp";
    }
    if (result.back() != '/')
        result += '/';
    return result;
}

std::string SystemErrorMessage(uint32_t code) { return std::strerror(static_cast<int>(code)); }

} // namespace kf
