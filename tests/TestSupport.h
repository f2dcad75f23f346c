// Small helpers shared by the test suites: a scratch directory that cleans up after
// itself, and whole-file read/write through the platform layer.
#pragma once

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <string>

namespace kftest {

inline std::string Join(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && dir.back() == kf::kPathDelim)
        return dir + name;
    return dir + kf::kPathDelim + name;
}

inline void RemoveTree(const std::string& dir)
{
    for (const kf::TDirEntry& entry : kf::ListDirectory(dir))
    {
        if (entry.Name == "." || entry.Name == "..")
            continue;
        std::string path = Join(dir, entry.Name);
        if (entry.Attributes & kf::kAttrDirectory)
            RemoveTree(path);
        else
            kf::RemoveFile(path);
    }
    kf::RemoveEmptyDirectory(dir);
}

class TTempDir
{
public:
    TTempDir()
    {
        static std::atomic<int> counter{0};
        std::string base = kf::TempDirectoryRaw();
        while (!base.empty() && static_cast<unsigned char>(base.back()) <= ' ')
            base.pop_back();
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        FPath = Join(base, "kftest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        kf::ForceDirectories(FPath);
    }
    ~TTempDir() { RemoveTree(FPath); }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return Join(FPath, name); }

private:
    std::string FPath;
};

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    kf::TFile file(path, kf::TFileMode::Create);
    file.WriteExact(bytes.data(), static_cast<int32_t>(bytes.size()));
    file.Close();
}

inline std::string ReadFileBytes(const std::string& path)
{
    kf::TFile file(path, kf::TFileMode::OpenRead);
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    file.ReadExact(&bytes[0], static_cast<int32_t>(bytes.size()));
    return bytes;
}

// A file of `size` zero bytes, made without writing them (sparse where the file system can).
inline void MakeSparseFile(const std::string& path, int64_t size)
{
    kf::TFile file(path, kf::TFileMode::Create);
    file.Seek(size - 1);
    file.WriteExact("", 1);
    file.Close();
}

// Deterministic pseudo-random bytes (incompressible enough for chunking tests).
inline std::string NoiseBytes(size_t count, uint32_t seed = 12345)
{
    std::string bytes(count, '\0');
    for (char& c : bytes)
    {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

} // namespace kftest
