// Helpers of the setup-build tests: host paths, small file trees, stand-in stubs, an
// observer that records what a build reported, and a look at a package's entries.
#pragma once

#include "TestSupport.h"
#include "archive/CompressionManager.h"
#include "builder/build/SetupBuilder.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace kftest {

// A path below dir from '/'-separated parts, spelled with the host's separator.
inline std::string HostPath(const std::string& dir, const std::string& relative)
{
    std::string path = relative;
    for (char& c : path)
        if (c == '/')
            c = kf::kPathDelim;
    return Join(dir, path);
}

// Files (with their relative path as content unless given) below root; "x/" makes an
// empty directory.
inline void MakeTree(const std::string& root, std::initializer_list<std::string> entries)
{
    kf::ForceDirectories(root);
    for (const std::string& entry : entries)
    {
        std::string path = HostPath(root, entry);
        if (!entry.empty() && entry.back() == '/')
        {
            kf::ForceDirectories(path);
            continue;
        }
        std::string dir = path.substr(0, path.find_last_of(kf::kPathDelim));
        kf::ForceDirectories(dir);
        WriteFileBytes(path, "content of " + entry);
    }
}

// Stand-ins for the runtime programs, distinct and recognisable.
inline kf::TMemoryStubSource FakeStubs()
{
    return kf::TMemoryStubSource("MZ installer stub " + NoiseBytes(3000, 7), "MZ uninstaller stub " + NoiseBytes(2000, 9));
}

class TRecordingObserver : public kf::TBuildObserver
{
public:
    void BeginWait() override { ++WaitsBegun; }
    void EndWait() override { ++WaitsEnded; }
    void Progress(const kf::TBuildProgress& progress) override { Last = progress, ++ProgressCalls; }
    void FilePacked(const std::string& source, const std::string& entry, int64_t) override
    {
        Packed.push_back(source + " -> " + entry);
    }
    void BuildFailed(const std::string& subject, const std::string& message) override
    {
        Failures.push_back(subject + ": " + message);
    }

    int WaitsBegun = 0;
    int WaitsEnded = 0;
    int ProgressCalls = 0;
    kf::TBuildProgress Last;
    std::vector<std::string> Packed;
    std::vector<std::string> Failures;
};

inline std::vector<std::string> EntryNames(const std::string& path, bool trailer)
{
    kf::TCompressionManager archive(path, false, true, trailer);
    std::vector<std::string> names;
    for (const kf::TArchiveEntryHeader& header : archive.Entries())
        names.push_back(header.NameString());
    return names;
}

inline std::string EntryText(const std::string& path, bool trailer, const std::string& name)
{
    kf::TCompressionManager archive(path, false, true, trailer);
    return archive.ReadEntryString(name);
}

// Keeps a copy of a setup executable a test built in $KF_KEEP_SETUPS, so that a later
// step can check it with kftool verify.
inline void KeepSetup(const std::string& path)
{
    const char* keep = std::getenv("KF_KEEP_SETUPS");
    if (!keep || !*keep)
        return;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    static int counter = 0;
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + "." + std::to_string(++counter) + ".exe";
    WriteFileBytes(Join(keep, name), ReadFileBytes(path));
}

} // namespace kftest
