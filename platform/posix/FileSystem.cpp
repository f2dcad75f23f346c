#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kf {

std::vector<TDirEntry> ListDirectory(const std::string& directory)
{
    std::vector<TDirEntry> entries;
    std::string base = directory.empty() ? std::string(".") : directory;
    DIR* dir = opendir(base.c_str());
    if (!dir)
        return entries;
    if (base.back() != '/')
        base += '/';
    std::vector<TDirEntry> named;
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
        named.push_back({name, attributes});
    }
    closedir(dir);
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
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int64_t FileSizeAt(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return info.st_size;
}

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveEmptyDirectory(const std::string& path) { return rmdir(path.c_str()) == 0; }

std::string TempDirectoryRaw()
{
    const char* dir = std::getenv("TMPDIR");
    std::string result = dir && *dir ? dir : "/tmp";
    if (result.back() != '/')
        result += '/';
    return result;
}

std::string SystemErrorMessage(uint32_t code) { return std::strerror(static_cast<int>(code)); }

} // namespace kf
