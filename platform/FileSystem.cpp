// The platform-independent half of the file-system layer.
#include "platform/FileSystem.h"

#include "platform/Error.h"
#include "platform/File.h"

#include <algorithm>

namespace kf {

namespace {

bool IsDelim(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

unsigned char FoldAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

} // namespace

bool DirectoryOrderLess(const std::string& a, const std::string& b)
{
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
    {
        unsigned char x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // names differing only in case (possible on POSIX): keep a fixed order
}

bool ForceDirectories(const std::string& path)
{
    std::string target = path;
    while (target.size() > 1 && IsDelim(target.back()))
        target.pop_back();
    if (target.empty())
        return false;
    if (DirectoryExists(target))
        return true;
    // Create from the deepest existing ancestor downwards; no recursion, so deep paths
    // cannot exhaust the stack.
    std::vector<std::string> missing;
    std::string current = target;
    while (!current.empty() && !DirectoryExists(current))
    {
        missing.push_back(current);
        size_t cut = current.size();
        while (cut > 0 && !IsDelim(current[cut - 1]))
            --cut;
        while (cut > 1 && IsDelim(current[cut - 1]))
            --cut;
        if (cut == 0 || cut == current.size())
            break;
        current.resize(cut);
        if (current.size() == 1 && IsDelim(current[0]))
            break; // the root
#ifdef _WIN32
        if (current.size() == 2 && current[1] == ':')
            break; // a drive
#endif
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        MakeDirectory(*it);
    return DirectoryExists(target);
}

std::string ReadWholeFile(const std::string& path)
{
    TFile file(path, TFileMode::OpenRead);
    int64_t size = file.Size();
    if (size > INT32_MAX)
        throw TIOError(kErrReadBeyondEnd);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0)
        file.ReadExact(&bytes[0], static_cast<int32_t>(size));
    file.Close();
    return bytes;
}

std::string PrivateFolderName(uint64_t random)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string name = "kf-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += kDigits[(random >> shift) & 15];
    return name;
}

namespace {

class TDiskWriter : public IFileWriter
{
public:
    TDiskWriter(const std::string& path, bool append)
        : FFile(path, append ? TFileMode::OpenReadWrite : TFileMode::Create)
    {
        if (append)
            FFile.Seek(FFile.Size());
    }
    void Write(const void* buffer, int32_t count) override { FFile.WriteExact(buffer, count); }
    void Close() override { FFile.Close(); }

private:
    TFile FFile;
};

void Check(bool done)
{
    if (!done)
        throw TIOError(LastSystemErrorCode());
}

class TDiskFileSystem : public IFileSystem
{
public:
    std::unique_ptr<IFileWriter> Create(const std::string& path) override
    {
        return std::make_unique<TDiskWriter>(path, false);
    }
    std::unique_ptr<IFileWriter> OpenAppend(const std::string& path) override
    {
        return std::make_unique<TDiskWriter>(path, true);
    }
    void Rename(const std::string& path, const std::string& newPath) override { Check(RenameFile(path, newPath)); }
    void Replace(const std::string& path, const std::string& newPath) override { Check(ReplaceFileOver(path, newPath)); }
    void Delete(const std::string& path) override { Check(RemoveFile(path)); }
    void DeleteAtRestart(const std::string& path) override { Check(RemoveAtRestart(path)); }
    void RemoveFolder(const std::string& path) override { Check(RemoveEmptyDirectory(path)); }
    void MakeDirectories(const std::string& path) override
    {
        if (!ForceDirectories(path))
            throw TIOError(DirectoryExists(path) ? kErrAccessDenied : LastSystemErrorCode());
    }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        Check(SetAttributesAt(path, attributes));
    }
};

} // namespace

IFileSystem& DiskFileSystem()
{
    static TDiskFileSystem disk;
    return disk;
}

bool IsPrivateFolderName(const std::string& name)
{
    return name.size() == 19 && name.compare(0, 3, "kf-") == 0 &&
           std::all_of(name.begin() + 3, name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace kf
