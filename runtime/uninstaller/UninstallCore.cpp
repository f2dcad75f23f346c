#include "runtime/uninstaller/UninstallCore.h"

#include "runtime/common/UninstallLog.h"

namespace kf {
namespace uninstall {

const char* const kApplicationTitle = "Uninstall";
const char* const kInitFailedText =
    "Uninstall failed to initialize. An error occurred writing to the temporary directory.";
const char* const kInitFailedCaption = "Uninstall Failed";
const char* const kOpenErrorCaption = "Uninstall Error";
const char* const kIntroTemplate =
    "Welcome to Uninstall for %TITLE%.\r\r"
    "This program will remove %TITLE% and associated files from your computer.\r\r"
    "Press \"Next\" to continue, or \"Cancel\" to quit.";
const char* const kUninstallingTemplate = "Removing %TITLE% files and directories....";
const char* const kCompleteTemplate = "This program has completed the removal of %TITLE% from your computer.";
const char* const kErrorText = "Some components could not be automatically removed. "
                               "Click the \"More Information\" button below for details.";
const char* const kTempCopyName = "uninst.exe";
const char* const kFallbackTempDir = "C:\\TEMP\\";

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The second memErrors line of a failure: the system's reason, indented.
std::string ReasonLine(IRemovalSystem& system, uint32_t code) { return "       " + system.ErrorMessage(code); }

void RemoveDirectoryLevels(const std::string& value, IRemovalSystem& system, std::vector<std::string>& errors)
{
    ForEachDirectoryUndoLevel(value, [&](const std::string& level) {
        if (uint32_t code = system.RemoveDirectoryAt(level))
        {
            errors.push_back("Cannot remove directory: " + Quoted(level));
            errors.push_back(ReasonLine(system, code));
        }
    });
}

void RemoveRegistryKey(const std::string& value, IRemovalSystem& system, std::vector<std::string>& errors)
{
    size_t split = value.find('\\');
    std::string root = split == std::string::npos ? value : value.substr(0, split);
    std::string key = split == std::string::npos ? std::string() : value.substr(split + 1);
    TRegRoot rootKey;
    if (root == "HKCU")
        rootKey = TRegRoot::CurrentUser;
    else if (root == "HKLM")
        rootKey = TRegRoot::LocalMachine;
    else
    {
        errors.push_back("Unrecognized rootkey: " + Quoted(root));
        return;
    }
    if (system.DeleteRegistryKeyAt(rootKey, key) != 0)
        errors.push_back("Cannot remove registry key: " + Quoted(key));
}

} // namespace

std::string ReplaceTitle(const std::string& text, const std::string& title)
{
    static const std::string placeholder = "%TITLE%";
    std::string result;
    size_t from = 0;
    for (size_t at; (at = text.find(placeholder, from)) != std::string::npos; from = at + placeholder.size())
        result += text.substr(from, at - from) + title;
    return result + text.substr(from);
}

std::string WindowCaption(const std::string& title) { return "Uninstall " + title; }

std::string CannotOpenLogMessage(const std::string& logPath)
{
    return "Cannot open file: " + Quoted(logPath) + ".\r\rThis software cannot be automatically removed from your computer.";
}

std::string ProgressText(const std::string& kind, const std::string& value)
{
    return "Removing " + LowerCaseAscii(kind) + " " + Quoted(value);
}

std::string TempCopyDirectory(const std::string& rawTempDir, const std::string& programDir)
{
    std::string temp = AddBackslash(TrimText(UpperCaseAscii(rawTempDir)));
    if (temp.empty() || temp == AddBackslash(UpperCaseAscii(programDir)))
        return kFallbackTempDir;
    return temp;
}

std::string RestartParameter(const std::string& programDir)
{
    return Quoted(AddBackslash(programDir) + kLogName);
}

TButtonState ButtonsForPage(TPage page)
{
    switch (page)
    {
    case TPage::Intro:
        return {false, true, true, false, true};
    case TPage::Uninstalling:
        return {false, false, false, false, false};
    case TPage::Complete:
        return {false, true, false, true, false};
    }
    return {false, false, false, false, false};
}

bool CanClose(TPage page) { return page == TPage::Intro; }

void RemoveEntry(const std::string& kind, const std::string& value, IRemovalSystem& system,
                 std::vector<std::string>& errors)
{
    if (kind == "File")
    {
        if (uint32_t code = system.DeleteFileAt(value))
        {
            errors.push_back("Cannot remove file: " + Quoted(value));
            errors.push_back(ReasonLine(system, code));
        }
    }
    else if (kind == "Directory")
        RemoveDirectoryLevels(value, system, errors);
    else if (kind == "Registry Key")
        RemoveRegistryKey(value, system, errors);
}

void RunUninstall(TLogFile& log, IRemovalSystem& system, IRemovalProgress& progress,
                  std::vector<std::string>& errors)
{
    std::string kind, value;
    while (log.ReadPrevious(kind, value))
    {
        progress.EntryStarting(ProgressText(kind, value));
        RemoveEntry(kind, value, system, errors);
        progress.EntryDone();
    }
    system.UnregisterUninstall(log.Title());
}

} // namespace uninstall
} // namespace kf
