// Setup executable assembly: the package archive of an installation, and the setup
// executable made of the installer stub, that package and a 4-byte trailer.
//
// Setup executable layout, with no gaps:
//   0      N  the installer stub (INSTALLEXE), unchanged
//   N      M  the package archive (base offset 0 as written), unchanged
//   N + M  4  N, little-endian: the package's base offset
#pragma once

#include "builder/build/InstallSettings.h"
#include "builder/build/StubSource.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kf {

// The proposed file name: the title's "-", "0"-"9", "A"-"Z", "a"-"z" and "_" in order,
// then "Setup.exe" ("Demo Tool 2.0" gives DemoTool20Setup.exe, "" gives Setup.exe).
std::string DefaultSetupFileName(const std::string& title);

// The temporary package beside the output: the output path with its extension (from the
// last "." after the last separator) replaced by ".dat", or ".dat" appended when it has
// none. An output that already ends in ".dat" would be its own package, so it gets
// ".dat" appended instead.
std::string PackagePathFor(const std::string& outputPath);

struct TBuildProgress
{
    int32_t FilesDone = 0;  // files packed completely
    int32_t FileCount = 0;  // files to pack: the file set plus licence, readme, bitmap
    int64_t BytesDone = 0;  // source bytes read so far
    int64_t BytesTotal = 0; // source bytes of the files that exist at the start
};

// What a build tells the program around it. Every member does nothing by default: the
// builder fills in the wait window, a command line the progress and the error.
class TBuildObserver
{
public:
    virtual ~TBuildObserver() = default;
    // Around the whole of BuildSetup, failure included. The builder shows its wait
    // window (TWaitForm) here and lets pending messages through once so it is painted.
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // After every chunk compressed from a source file.
    virtual void Progress(const TBuildProgress& progress) { (void)progress; }
    // A source file has been packed under entryName.
    virtual void FilePacked(const std::string& sourcePath, const std::string& entryName, int64_t size)
    {
        (void)sourcePath, (void)entryName, (void)size;
    }
    // The error that ended the build; subject is the file or resource being worked on
    // ("" when none). Called once, before the failing operation returns false.
    virtual void BuildFailed(const std::string& subject, const std::string& message)
    {
        (void)subject, (void)message;
    }
};

// Writes the package archive to packagePath (created anew) with, in order:
// "install.inf", "uninstall.exe", "data\" + ArchiveNameFor of each file-set path,
// "lic\" + licence file name, "readme\" + readme file name, the bitmap's file name (the
// last three only when given). A file-set path that is the package file itself (the
// output lies in the image directory) is left out of the package and of the
// description. True when everything was written; on any error false, the error goes
// to the observer and the package file keeps what was written so far. jobs above 1
// compresses that many files at once (PackFiles) for the same bytes; the builder
// program packs on its one thread.
bool BuildPackage(const TInstallSettings& settings, const std::string& packagePath, TStubSource& stubs,
                  TBuildObserver* observer = nullptr, int32_t jobs = 1);

// Builds the package beside the output (PackagePathFor), then writes the setup
// executable, replacing any file there, and deletes the package. True when the setup
// executable was written completely. When packaging fails the package file is left
// behind and no output is written; when the assembly fails the package is still
// deleted and an output already created keeps what was written. A setup executable
// that would reach 2 GiB (offsets are signed 32-bit) is refused before the output is
// touched. Errors reach only the observer. jobs: as for BuildPackage.
bool BuildSetup(const TInstallSettings& settings, const std::string& outputPath, TStubSource& stubs,
                TBuildObserver* observer = nullptr, int32_t jobs = 1);

// The assembly on its own: installer stub, the whole package file, trailer. Raises
// TIOError on a failed open, read or write, and TError when the result would reach
// 2 GiB (checked before the output is created).
void AssembleSetup(std::string_view installerStub, const std::string& packagePath, const std::string& outputPath);

} // namespace kf
