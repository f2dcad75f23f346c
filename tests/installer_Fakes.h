// Recording fakes of the installer's system and progress interfaces, shared by the
// installing tests and the model tests.
#pragma once

#include "runtime/installer/InstallerCore.h"

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kftest {

// Existing directories are a set, files a map to their attributes and contents; every
// change is recorded in order. The log and the extracted files go to the real disk,
// the rest of the file changes stay in the maps.
class TFakeSystem : public kf::installer::IInstallSystem, public kf::IFileSystem
{
public:
    struct TFakeFile
    {
        uint32_t Attributes;
        std::string Bytes;
    };
    std::set<std::string> Existing;
    std::map<std::string, TFakeFile> Files;
    std::set<std::string> Running;   // Delete fails for these, as for a running program
    std::set<std::string> Unmovable; // Rename fails for these
    std::set<std::string> Links;     // junctions and symbolic links
    std::set<std::string> Unprotected; // folders standard users can write
    std::vector<std::string> Calls;
    std::string Desktop = "C:\\Desktop";
    int64_t Free = int64_t(1) << 30;
    std::vector<std::string> RootsAsked;

    kf::IFileSystem& FileSystem() override { return *this; }
    bool DirectoryExists(const std::string& path) override { return Existing.count(path) > 0; }
    std::unique_ptr<kf::IFileWriter> Create(const std::string& path) override { return kf::DiskFileSystem().Create(path); }
    std::unique_ptr<kf::IFileWriter> OpenAppend(const std::string& path) override
    {
        return kf::DiskFileSystem().OpenAppend(path);
    }
    void MakeDirectories(const std::string& path) override
    {
        Calls.push_back("mkdir " + path);
        Existing.insert(path);
    }
    void Delete(const std::string& path) override
    {
        Record("delete " + path);
        auto file = Files.find(path);
        if (file != Files.end() && ((file->second.Attributes & kf::kAttrReadOnly) || Running.count(path)))
            throw kf::TIOError(kf::kErrAccessDenied);
        if (file != Files.end())
            Files.erase(file);
    }
    uint32_t AttributesAt(const std::string& path) override
    {
        auto file = Files.find(path);
        if (file != Files.end())
            return file->second.Attributes;
        return Existing.count(path) ? kf::kAttrDirectory : kf::installer::kNoFile;
    }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        Record("attrib " + path + " " + std::to_string(attributes));
        auto file = Files.find(path);
        if (file == Files.end())
            throw kf::TIOError(kf::kErrFileNotFound);
        file->second.Attributes = attributes;
    }
    void Rename(const std::string& path, const std::string& newPath) override
    {
        Record("move " + path + " -> " + newPath);
        auto file = Files.find(path);
        if (file == Files.end() || AttributesAt(newPath) != kf::installer::kNoFile || Unmovable.count(path))
            throw kf::TIOError(kf::kErrAccessDenied);
        Files[newPath] = file->second;
        Files.erase(path);
    }
    // The log files the installing writes are real; a replacement renames them on disk
    // too when they are there.
    void Replace(const std::string& path, const std::string& newPath) override
    {
        Record("replace " + path + " -> " + newPath);
        auto file = Files.find(path);
        if (file == Files.end())
        {
            kf::DiskFileSystem().Replace(path, newPath);
            return;
        }
        Files[newPath] = file->second;
        Files.erase(path);
    }
    void DeleteAtRestart(const std::string& path) override { Record("at restart delete " + path); }
    bool ReadFileAt(const std::string& path, std::string& bytes) override
    {
        auto file = Files.find(path);
        if (file == Files.end())
            return false;
        bytes = file->second.Bytes;
        return true;
    }
    void RemoveFolder(const std::string& path) override { Record("rmdir " + path); }
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
    std::vector<std::string> Reasons; // what a log would name beside each install error
    void ShowInstallFailure(const std::string& text, const std::string& reason) override
    {
        Reasons.push_back(reason);
        ShowInstallError(text);
    }
    void ShowLogError(const std::string& text) override { Labels.push_back("log error: " + text); }
    void BringToFront() override {}
};

} // namespace kftest
