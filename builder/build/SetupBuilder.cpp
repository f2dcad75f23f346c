#include "builder/build/SetupBuilder.h"

#include "archive/ArchiveFormat.h"
#include "archive/CompressionManager.h"
#include "builder/build/FileSet.h"
#include "builder/build/InstallDescription.h"
#include "builder/build/ParallelPack.h"
#include "builder/build/PathRules.h"
#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <vector>

namespace kf {

namespace {

constexpr int32_t kCopyBufferSize = 256 * 1024;

// Ends the wait on every path out of BuildSetup, exceptions included.
class TWaitScope
{
public:
    explicit TWaitScope(TBuildObserver* observer) : FObserver(observer)
    {
        if (FObserver)
            FObserver->BeginWait();
    }
    ~TWaitScope()
    {
        if (FObserver)
            FObserver->EndWait();
    }
    TWaitScope(const TWaitScope&) = delete;
    TWaitScope& operator=(const TWaitScope&) = delete;

private:
    TBuildObserver* FObserver;
};

// Runs work; an error is handed to the observer with the subject work was busy with,
// never further. Returns whether work completed.
template <class Work> bool Guarded(TBuildObserver* observer, std::string& subject, Work work)
{
    std::string message;
    try
    {
        work();
        return true;
    }
    catch (const TError& e)
    {
        message = e.Message();
    }
    catch (const std::exception& e)
    {
        message = e.what(); // bad_alloc and the like: still a failed build, not a crash
    }
    catch (...)
    {
        message = "Unknown error";
    }
    if (observer)
        observer->BuildFailed(subject, message);
    return false;
}

bool IsFileNameChar(char c)
{
    return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The licence, readme and bitmap, each when given: source path and entry name.
std::vector<std::pair<std::string, std::string>> Documents(const TInstallSettings& s)
{
    std::vector<std::pair<std::string, std::string>> documents;
    if (!IsBlank(s.License))
        documents.push_back({s.License, "lic\\" + FileNameOf(s.License)});
    if (!IsBlank(s.Readme))
        documents.push_back({s.Readme, "readme\\" + FileNameOf(s.Readme)});
    if (!IsBlank(s.Image))
        documents.push_back({s.Image, FileNameOf(s.Image)});
    return documents;
}

// The parallel packing's events as the build's observer sees them.
class TBuildEvents : public TPackEvents
{
public:
    TBuildEvents(TBuildObserver* observer, std::string& subject, TBuildProgress& progress)
        : FObserver(observer), FSubject(subject), FProgress(progress)
    {
    }
    void Starting(const TPackItem& item) override { FSubject = item.SourcePath; }
    void Progress(int64_t bytesRead) override
    {
        FProgress.BytesDone = bytesRead;
        if (FObserver)
            FObserver->Progress(FProgress);
    }
    void Packed(const TPackItem& item, int64_t size) override
    {
        ++FProgress.FilesDone;
        if (FObserver)
            FObserver->FilePacked(item.SourcePath, item.EntryName, size);
    }

private:
    TBuildObserver* FObserver;
    std::string& FSubject;
    TBuildProgress& FProgress;
};

} // namespace

std::string DefaultSetupFileName(const std::string& title)
{
    std::string name;
    for (char c : title)
        if (IsFileNameChar(c))
            name += c;
    return name + "Setup.exe";
}

std::string PackagePathFor(const std::string& outputPath)
{
    size_t stem = outputPath.size();
    for (size_t i = outputPath.size(); i > 0; --i)
    {
        char c = outputPath[i - 1];
        if (IsPathSeparator(c))
            break;
        if (c == '.')
        {
            stem = i - 1;
            break;
        }
    }
    std::string package = outputPath.substr(0, stem) + ".dat";
    // Otherwise the assembly would truncate its own input and then delete its output.
    if (SamePathText(package, outputPath))
        package = outputPath + ".dat";
    return package;
}

bool BuildPackage(const TInstallSettings& settings, const std::string& packagePath, TStubSource& stubs,
                  TBuildObserver* observer, int32_t jobs)
{
    std::string subject;
    return Guarded(observer, subject, [&] {
        subject = packagePath;
        TCompressionManager archive(packagePath, true, false, false);

        // One walk serves the description and the packing, so both name the same files.
        subject.clear();
        std::vector<std::string> files;
        for (std::string& path : CollectFiles(settings))
            if (!SamePathText(path, packagePath))
                files.push_back(std::move(path));

        subject = "install.inf";
        archive.WriteEntryString("install.inf", BuildInstallDescription(settings, files));
        subject = StubResourceName(TStubKind::Uninstaller);
        std::string_view uninstaller = stubs.Stub(TStubKind::Uninstaller);
        archive.WriteEntryString("uninstall.exe", std::string(uninstaller));

        std::vector<TPackItem> sources;
        for (const std::string& path : files)
            sources.push_back({path, "data\\" + ArchiveNameFor(settings, path)});
        for (auto& document : Documents(settings))
            sources.push_back({std::move(document.first), std::move(document.second)});

        TBuildProgress progress;
        progress.FileCount = static_cast<int32_t>(sources.size());
        if (observer)
            for (const auto& source : sources)
                progress.BytesTotal += std::max<int64_t>(0, FileSizeAt(source.SourcePath));
        if (jobs > 1)
        {
            TBuildEvents events(observer, subject, progress);
            PackFiles(archive, sources, jobs, events);
        }
        else
        {
            if (observer)
                archive.OnProgress = [&](TCompressionManager&, int32_t position, int32_t) {
                    TBuildProgress now = progress;
                    now.BytesDone += position;
                    observer->Progress(now);
                };
            for (const auto& source : sources)
            {
                subject = source.SourcePath;
                archive.AddFile(source.SourcePath, source.EntryName);
                int64_t size = archive.Entries().back().OriginalSize;
                ++progress.FilesDone;
                progress.BytesDone += size;
                if (observer)
                    observer->FilePacked(source.SourcePath, source.EntryName, size);
            }
        }
        subject = packagePath;
        archive.ArchiveFile().Close(); // a close that loses data fails the build
    });
}

void AssembleSetup(std::string_view installerStub, const std::string& packagePath, const std::string& outputPath)
{
    TFile package(packagePath, TFileMode::OpenRead);
    const int64_t packageSize = package.Size();
    const int64_t stubSize = static_cast<int64_t>(installerStub.size());
    // The trailer and every offset the stub reads are signed 32-bit.
    if (stubSize + packageSize + kTrailerSize >= kArchiveSizeLimit)
        throw TError("The setup executable would reach the 2 GiB limit of the package format");

    TFile output(outputPath, TFileMode::Create);
    output.WriteExact(installerStub.data(), static_cast<int32_t>(stubSize));
    std::vector<char> buffer(kCopyBufferSize);
    for (int64_t left = packageSize; left > 0;)
    {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(left, kCopyBufferSize));
        package.ReadExact(buffer.data(), chunk);
        output.WriteExact(buffer.data(), chunk);
        left -= chunk;
    }
    uint8_t trailer[kTrailerSize];
    EncodeLE32(static_cast<int32_t>(stubSize), trailer);
    output.WriteExact(trailer, kTrailerSize);
    output.Close();
    package.Close();
}

bool BuildSetup(const TInstallSettings& settings, const std::string& outputPath, TStubSource& stubs,
                TBuildObserver* observer, int32_t jobs)
{
    TWaitScope wait(observer);
    const std::string packagePath = PackagePathFor(outputPath);
    if (!BuildPackage(settings, packagePath, stubs, observer, jobs))
        return false;

    std::string subject;
    bool written = Guarded(observer, subject, [&] {
        subject = StubResourceName(TStubKind::Installer);
        std::string_view installer = stubs.Stub(TStubKind::Installer);
        subject = outputPath;
        AssembleSetup(installer, packagePath, outputPath);
    });
    RemoveFile(packagePath);
    return written;
}

} // namespace kf
