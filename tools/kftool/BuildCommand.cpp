#include "tools/kftool/BuildCommand.h"

#include "builder/build/PathRules.h"
#include "builder/build/Script.h"
#include "builder/build/SetupBuilder.h"
#include "platform/FileSystem.h"
#include "resources/EmbeddedStubs.h"
#include "tools/kftool/HostText.h"
#include "tools/kftool/KfTool.h"
#include "tools/kftool/Signing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define KF_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define KF_ISATTY(f) isatty(fileno(f))
#endif

namespace kftool {

using namespace kf;

namespace {

using TClock = std::chrono::steady_clock;

const char kBuildUsage[] = "usage: kftool build [-C DIR] [-j N] [--version X] [--publisher Y] [--sign \"COMMAND\"]\n"
                           "                    SCRIPT.kfs [OUTPUT.exe]\n";

bool IsAbsolute(const std::string& path)
{
#ifdef _WIN32
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() >= 2 && path[1] == ':');
#else
    return !path.empty() && path[0] == '/';
#endif
}

void Resolve(std::string& path, const std::string& base)
{
    if (IsBlank(path) || IsAbsolute(path))
        return;
    path = base.back() == kPathDelim ? base + path : base + kPathDelim + path;
}

// Every path setting relative to base. MAIN and the paths of the list or the walk are
// changed alike, so the build's equality tests between them still hold.
void ResolvePaths(TInstallSettings& s, const std::string& base)
{
    Resolve(s.Main, base);
    for (std::string& path : s.AddFilesList)
        Resolve(path, base);
    s.AddDirText = TrimText(s.AddDirText);
    Resolve(s.AddDirText, base);
    Resolve(s.License, base);
    Resolve(s.Readme, base);
    Resolve(s.Image, base);
}

double Seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }

// Counts for the summary, the reason of a failure, and a progress line on a terminal
// once a build has run for a moment.
class TCommandObserver : public TBuildObserver
{
public:
    explicit TCommandObserver(bool terminal) : FTerminal(terminal), FStart(TClock::now()) {}

    void Progress(const TBuildProgress& progress) override
    {
        if (!FTerminal)
            return;
        TClock::time_point now = TClock::now();
        if (now - FStart < std::chrono::milliseconds(500) || now - FLastShown < std::chrono::milliseconds(100))
            return;
        FLastShown = now;
        std::fprintf(stderr, "\r  %d/%d files, %.1f/%.1f MB ", progress.FilesDone, progress.FileCount,
                     progress.BytesDone / 1e6, progress.BytesTotal / 1e6);
        std::fflush(stderr);
        FShown = true;
    }
    void FilePacked(const std::string&, const std::string&, int64_t size) override
    {
        ++FFiles;
        FBytesIn += size;
    }
    void BuildFailed(const std::string& subject, const std::string& message) override
    {
        FSubject = subject;
        FMessage = message;
    }
    void ClearProgress()
    {
        if (FShown)
            std::fputs("\r\033[K", stderr);
        FShown = false;
    }

    int32_t FFiles = 0;
    int64_t FBytesIn = 0;
    std::string FSubject;
    std::string FMessage;

private:
    bool FTerminal;
    bool FShown = false;
    TClock::time_point FStart;
    TClock::time_point FLastShown;
};

} // namespace

int RunBuildCommand(const std::vector<std::string>& args)
{
    std::string base, version, publisher;
    std::string signCommand;
    std::vector<std::string> positional;
    int32_t jobs = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    for (size_t i = 0; i < args.size(); ++i)
    {
        std::string* value = args[i] == "-C"            ? &base
                             : args[i] == "--version"   ? &version
                             : args[i] == "--publisher" ? &publisher
                                                        : nullptr;
        if (value)
        {
            // A line break would end the description's section early.
            if (i + 1 >= args.size() || args[i + 1].empty() ||
                args[i + 1].find_first_of("\r\n") != std::string::npos)
            {
                std::fputs(kBuildUsage, stderr);
                return kExitUsage;
            }
            *value = args[++i];
        }
        else if (args[i].compare(0, 2, "-j") == 0)
        {
            // "-j N" or "-jN"
            std::string text = args[i].size() > 2 ? args[i].substr(2) : (i + 1 < args.size() ? args[++i] : "");
            char* end = nullptr;
            long count = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || count < 1 || count > 256)
            {
                std::fputs(kBuildUsage, stderr);
                return kExitUsage;
            }
            jobs = static_cast<int32_t>(count);
        }
        else if (args[i] == "--sign")
        {
            if (i + 1 >= args.size() || args[i + 1].find("{}") == std::string::npos)
            {
                std::fputs("kftool build: --sign needs a command that names the file as {}\n", stderr);
                std::fputs(kBuildUsage, stderr);
                return kExitUsage;
            }
            std::string problem = SignTemplateProblem(args[i + 1]);
            if (!problem.empty())
            {
                std::fprintf(stderr, "kftool build: --sign: %s\n", problem.c_str());
                return kExitUsage;
            }
            signCommand = args[++i];
        }
        else if (args[i].size() > 1 && args[i][0] == '-')
        {
            std::fprintf(stderr, "kftool build: unknown option '%s'\n%s", args[i].c_str(), kBuildUsage);
            return kExitUsage;
        }
        else
            positional.push_back(args[i]);
    }
    if (positional.empty() || positional.size() > 2)
    {
        std::fputs(kBuildUsage, stderr);
        return kExitUsage;
    }

    const std::string& script = positional[0];
    if (!FileExists(script))
    {
        PrintError(script, "File not found");
        return kExitFailure;
    }
    TInstallSettings settings;
    TSettingsRecord record(settings);
    TLoadReport report;
    LoadScript(script, record, &report);
    if (!report.Complete)
    {
        // The builder carries on with what it read; a script that does not load whole
        // would build something other than what its author saved.
        PrintError(script, report.StoppedAt.empty() ? report.Reason
                                                    : report.StoppedAt + ": " + report.Reason);
        return kExitFailure;
    }
    if (!base.empty())
        ResolvePaths(settings, base);
    settings.DisplayVersion = version;
    settings.Publisher = publisher;
    std::string output = positional.size() > 1 ? positional[1] : DefaultSetupFileName(settings.Title);

    TCommandObserver observer(KF_ISATTY(stderr) != 0);
    TClock::time_point start = TClock::now();
    std::unique_ptr<TSignedStubSource> signedStubs;
    if (!signCommand.empty())
    {
        try
        {
            signedStubs = std::make_unique<TSignedStubSource>(EmbeddedStubs(), signCommand);
        }
        catch (const std::exception& error)
        {
            std::fputs("Error creating installation.\n", stderr);
            PrintError(output, error.what());
            return kExitFailure;
        }
    }
    bool built = BuildSetup(settings, output, signedStubs ? *signedStubs : EmbeddedStubs(), &observer, jobs);
    observer.ClearProgress();
    if (!built)
    {
        std::fputs("Error creating installation.\n", stderr);
        PrintError(observer.FSubject, observer.FMessage);
        return kExitFailure;
    }
    if (!signCommand.empty())
    {
        std::string problem = RunSignCommand(signCommand, output);
        if (!problem.empty())
        {
            RemoveFile(output); // an unsigned setup must not pass for the signed one
            std::fputs("Error creating installation.\n", stderr);
            PrintError(output, "signing failed: " + problem);
            return kExitFailure;
        }
    }
    double seconds = Seconds(TClock::now() - start);
    std::printf("%s: %d files packed, %lld bytes in, %lld bytes out, %.2f s\n", ForTerminal(output).c_str(),
                observer.FFiles,
                static_cast<long long>(observer.FBytesIn), static_cast<long long>(FileSizeAt(output)), seconds);
    return kExitOk;
}

} // namespace kftool
