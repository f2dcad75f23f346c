// Recording fakes of the installer's system and progress interfaces, shared by the
// installing tests and the model tests.
#pragma once

#include "runtime/installer/InstallerCore.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kftest {

// Existing directories are a set, files a map to their attributes and contents; every
// change is recorded in order.
class TFakeSystem : public kf::installer::IInstallSystem
{
public:
    struct TFakeFile
    {
        uint32_t Attributes;
        std::string Bytes;
    };
    std::set<std::string> Existing;
    std::map<std::string, TFakeFile> Files;
    std::set<std::string> Unmovable; // MoveFileAt and ReplaceFileAt fail for these
    std::set<std::string> Running;   // DeleteFileAt fails for these, as for a running program
    std::set<std::string> Links;     // junctions and symbolic links
    std::set<std::string> Unprotected; // folders standard users can write
    std::vector<std::string> Calls;
    std::string Desktop = "C:\\Desktop";
    int64_t Free = int64_t(1) << 30;
    std::vector<std::string> RootsAsked;

    bool DirectoryExists(const std::string& path) override { return Existing.count(path) > 0; }
    bool ForceDirectories(const std::string& path) override
    {
        Calls.push_back("mkdir " + path);
        Existing.insert(path);
        return true;
    }
    bool DeleteFileAt(const std::string& path) override
    {
        Record("delete " + path);
        auto file = Files.find(path);
        if (file == Files.end() || (file->second.Attributes & kf::kAttrReadOnly) || Running.count(path))
            return file == Files.end();
        Files.erase(file);
        return true;
    }
    uint32_t AttributesAt(const std::string& path) override
    {
        auto file = Files.find(path);
        if (file != Files.end())
            return file->second.Attributes;
        return Existing.count(path) ? kf::kAttrDirectory : kf::installer::kNoFile;
    }
    bool SetAttributesAt(const std::string& path, uint32_t attributes) override
    {
        Record("attrib " + path + " " + std::to_string(attributes));
        auto file = Files.find(path);
        if (file == Files.end())
            return false;
        file->second.Attributes = attributes;
        return true;
    }
    bool MoveFileAt(const std::string& path, const std::string& newPath) override
    {
        Record("move " + path + " -> " + newPath);
        auto file = Files.find(path);
        if (file == Files.end() || Unmovable.count(path) || AttributesAt(newPath) != kf::installer::kNoFile)
            return false;
        Files[newPath] = file->second;
        Files.erase(path);
        return true;
    }
    // The log files the installing writes are real; a replacement renames them on disk
    // too when they are there.
    bool ReplaceFileAt(const std::string& path, const std::string& newPath) override
    {
        Record("replace " + path + " -> " + newPath);
        if (Unmovable.count(path))
            return false;
        auto file = Files.find(path);
        if (file == Files.end())
        {
            // rename() replaces on POSIX only; the product's MoveFileEx replaces on both.
            std::remove(newPath.c_str());
            return std::rename(path.c_str(), newPath.c_str()) == 0;
        }
        Files[newPath] = file->second;
        Files.erase(path);
        return true;
    }
    bool DeleteAtRestart(const std::string& path) override { return Record("at restart delete " + path); }
    bool ReadFileAt(const std::string& path, std::string& bytes) override
    {
        auto file = Files.find(path);
        if (file == Files.end())
            return false;
        bytes = file->second.Bytes;
        return true;
    }
    bool RemoveDirectoryAt(const std::string& path) override { return Record("rmdir " + path); }
    bool IsReparsePointAt(const std::string& path) override { return Links.count(path) > 0; }
    bool IsProtectedFolder(const std::string& path) override { return Unprotected.count(path) == 0; }
    bool ProtectFolder(const std::string& path) override
    {
        Unprotected.erase(path);
        return Record("protect " + path);
    }
    int64_t FreeSpace(const std::string& root) override
    {
        RootsAsked.push_back(root);
        return Free;
    }
    std::string GroupDir(const std::string& group) override { return "C:\\Programs\\" + group; }
    std::string CommonDesktopDir() override { return Desktop; }
    std::string CreateShortcut(const std::string& base, const std::string& target, const std::string& dir) override
    {
        Calls.push_back("link " + base + " -> " + target + " in " + dir);
        return base + ".LNK";
    }
    void RegisterUninstall(const std::string& key, const kf::TRegistration& r) override
    {
        Calls.push_back("register " + key + "|" + r.InstallDir + "|" + r.MainExecutable + "|" + r.Website);
    }
    int32_t RunAndWait(const std::string& commandLine) override { return Record("run " + commandLine), 0; }
    void Launch(const std::string& file, const std::string& dir) override { Record("launch " + file + " in " + dir); }

private:
    bool Record(const std::string& call)
    {
        Calls.push_back(call);
        return true;
    }
};

class TFakeView : public kf::installer::IInstallView
{
public:
    std::vector<std::string> Labels;
    int32_t TotalPosition = -1, TotalMaximum = -1;
    bool Pump() override { return false; }
    void CopyStarted() override { Labels.push_back("copy started"); }
    void GroupStepStarted() override { Labels.push_back("group step"); }
    void SetInstallingFile(const std::string& text) override { Labels.push_back(text); }
    void SetTotalLabel(const std::string& text) override { Labels.push_back("total: " + text); }
    void SetCompleting(const std::string& text) override { Labels.push_back(text); }
    void SetFileProgress(int32_t, int32_t) override {}
    void SetTotalProgress(int32_t position, int32_t maximum) override
    {
        TotalPosition = position;
        TotalMaximum = maximum;
    }
    void ShowInstallError(const std::string& text) override { Labels.push_back("error: " + text); }
    void ShowLogError(const std::string& text) override { Labels.push_back("log error: " + text); }
    void BringToFront() override {}
};

} // namespace kftest
