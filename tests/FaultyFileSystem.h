// A file system that fails on purpose: every change is counted, and the chosen call
// (the Nth of one operation, or of any) raises the chosen I/O error, once or from then
// on. Everything else goes to the system it wraps. Removals at the next restart are
// only recorded: no test machine should carry them out.
#pragma once

#include "platform/Error.h"
#include "platform/FileSystem.h"

#include <memory>
#include <string>
#include <vector>

namespace kftest {

class TFaultyFileSystem : public kf::IFileSystem
{
public:
    explicit TFaultyFileSystem(kf::IFileSystem& inner) : FInner(inner) {}

    // Which call fails: the FailAt-th (from 1; 0 for none) of Operation, or of every
    // operation when AnyOperation; with Sticky every later one of them fails as well.
    kf::TFileOperation Operation = kf::TFileOperation::Write;
    bool AnyOperation = true;
    int FailAt = 0;
    bool Sticky = false;
    int32_t Code = kf::kErrDiskFull;

    int Counted = 0;       // calls of the chosen operation(s) so far
    bool Failed = false;   // the fault struck at least once
    std::vector<std::string> AtRestart;

    std::unique_ptr<kf::IFileWriter> Create(const std::string& path) override
    {
        Strike(kf::TFileOperation::Write);
        return std::make_unique<TWriter>(*this, FInner.Create(path), kf::TFileOperation::Write);
    }
    std::unique_ptr<kf::IFileWriter> OpenAppend(const std::string& path) override
    {
        Strike(kf::TFileOperation::Append);
        return std::make_unique<TWriter>(*this, FInner.OpenAppend(path), kf::TFileOperation::Append);
    }
    void Rename(const std::string& path, const std::string& newPath) override
    {
        Strike(kf::TFileOperation::Rename);
        FInner.Rename(path, newPath);
    }
    void Replace(const std::string& path, const std::string& newPath) override
    {
        Strike(kf::TFileOperation::Rename);
        FInner.Replace(path, newPath);
    }
    void Delete(const std::string& path) override
    {
        Strike(kf::TFileOperation::Delete);
        FInner.Delete(path);
    }
    void DeleteAtRestart(const std::string& path) override
    {
        Strike(kf::TFileOperation::Delete);
        AtRestart.push_back(path);
    }
    void RemoveFolder(const std::string& path) override
    {
        Strike(kf::TFileOperation::RemoveFolder);
        FInner.RemoveFolder(path);
    }
    void MakeDirectories(const std::string& path) override
    {
        Strike(kf::TFileOperation::MakeDirectory);
        FInner.MakeDirectories(path);
    }
    void SetAttributes(const std::string& path, uint32_t attributes) override
    {
        Strike(kf::TFileOperation::SetAttributes);
        FInner.SetAttributes(path, attributes);
    }

private:
    class TWriter : public kf::IFileWriter
    {
    public:
        TWriter(TFaultyFileSystem& owner, std::unique_ptr<kf::IFileWriter> inner, kf::TFileOperation operation)
            : FOwner(owner), FInner(std::move(inner)), FOperation(operation)
        {}
        void Write(const void* buffer, int32_t count) override
        {
            FOwner.Strike(FOperation);
            FInner->Write(buffer, count);
        }
        void Close() override { FInner->Close(); }

    private:
        TFaultyFileSystem& FOwner;
        std::unique_ptr<kf::IFileWriter> FInner;
        kf::TFileOperation FOperation;
    };

    void Strike(kf::TFileOperation operation)
    {
        if (!AnyOperation && operation != Operation)
            return;
        ++Counted;
        if (FailAt > 0 && (Counted == FailAt || (Sticky && Counted > FailAt)))
        {
            Failed = true;
            throw kf::TIOError(Code);
        }
    }

    kf::IFileSystem& FInner;
};

} // namespace kftest
