#include "tools/kftool/Signing.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <cstdlib>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace kftool {

using namespace kf;

std::string QuoteForShell(const std::string& path)
{
#ifdef _WIN32
    return "\"" + path + "\""; // a Windows path holds no double quote
#else
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

std::string SignTemplateProblem(const std::string& command)
{
    char quote = 0; // the quotation mark whose text we are in
    for (size_t i = 0; i < command.size(); ++i)
    {
        char c = command[i];
        if (command.compare(i, 2, "{}") == 0)
        {
            // The replacement is textual: a quote or a backslash around it changes what
            // the path's own quotation marks mean.
            if (quote != 0 || (i > 0 && command[i - 1] == '\\'))
                return "{} stands inside quotation marks or after a backslash; write it bare: kftool quotes "
                       "the path itself";
            ++i;
        }
#ifndef _WIN32
        // /bin/sh: a backslash outside '...' takes a quotation mark literally.
        else if (c == '\\' && quote != '\'' && i + 1 < command.size() &&
                 (command[i + 1] == '"' || command[i + 1] == '\'' || command[i + 1] == '\\'))
            ++i;
#endif
        else if (quote == 0 && (c == '"' || c == '\''))
            quote = c;
        else if (c == quote)
            quote = 0;
    }
    return std::string();
}

std::string RunSignCommand(const std::string& command, const std::string& path)
{
    std::string line;
    for (size_t i = 0; i < command.size(); ++i)
        if (command.compare(i, 2, "{}") == 0)
        {
            line += QuoteForShell(path);
            ++i;
        }
        else
            line += command[i];
#ifdef _WIN32
    // cmd /c drops the first and the last quote of a line that starts with one; the
    // outer pair keeps "C:\Program Files\...\signtool.exe" ... "{}" whole.
    int status = std::system(("\"" + line + "\"").c_str());
#else
    int raw = std::system(line.c_str());
    int status = raw == -1 ? -1 : WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
    if (status == 0)
        return std::string();
    return "the signing command exited with status " + std::to_string(status) + ": " + line;
}

TSignedStubSource::TSignedStubSource(TStubSource& base, const std::string& command) : FBase(base)
{
    std::string temp = TempDirectoryRaw().c_str(); // the Windows form ends in zero bytes
    if (temp.empty() || temp.back() != kPathDelim)
        temp += kPathDelim;
    std::string dir =
        temp + "kftool-sign-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string path = dir + kPathDelim + "uninstall.exe";
    std::string problem;
    try
    {
        if (!ForceDirectories(dir))
            throw TError("cannot create " + dir);
        std::string_view stub = base.Stub(TStubKind::Uninstaller);
        {
            TFile file(path, TFileMode::Create);
            file.WriteExact(stub.data(), static_cast<int32_t>(stub.size()));
            file.Close();
        }
        problem = RunSignCommand(command, path);
        if (problem.empty())
        {
            TFile file(path, TFileMode::OpenRead);
            FUninstaller.resize(static_cast<size_t>(file.Size()));
            file.ReadExact(&FUninstaller[0], static_cast<int32_t>(FUninstaller.size()));
        }
    }
    catch (const std::exception& error)
    {
        problem = error.what();
    }
    RemoveFile(path);
    RemoveEmptyDirectory(dir);
    if (!problem.empty())
        throw TError("signing uninstall.exe failed: " + problem);
}

std::string_view TSignedStubSource::Stub(TStubKind kind)
{
    return kind == TStubKind::Uninstaller ? std::string_view(FUninstaller) : FBase.Stub(kind);
}

} // namespace kftool
