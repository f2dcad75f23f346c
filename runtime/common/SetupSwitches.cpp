#include "runtime/common/SetupSwitches.h"

namespace kf {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when text at position starts with prefix, letter case aside.
bool StartsWithAt(const std::string& text, size_t position, const char* prefix)
{
    for (size_t i = 0; prefix[i] != '\0'; ++i)
        if (position + i >= text.size() || Upper(text[position + i]) != prefix[i])
            return false;
    return true;
}

std::string TrimBlanks(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Splits off "/D=folder": the folder is everything after it to the end of the line.
// Only an argument that starts with /D= (or "/D=) outside quotation marks counts, so a
// quoted /LOG= path holding " /D=" is left alone.
void TakeDirectory(std::string& tail, TSwitches& switches)
{
    bool quoted = false;
    for (size_t i = 0; i < tail.size(); ++i)
    {
        bool argumentStart = !quoted && (i == 0 || IsBlank(tail[i - 1]));
        if (argumentStart && (StartsWithAt(tail, i, "/D=") || StartsWithAt(tail, i, "\"/D=")))
        {
            bool wholeQuoted = tail[i] == '"';
            std::string folder = TrimBlanks(tail.substr(i + (wholeQuoted ? 4 : 3)));
            if (wholeQuoted && !folder.empty() && folder.back() == '"')
                folder.pop_back();
            else if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
                folder = folder.substr(1, folder.size() - 2);
            switches.HasDirectory = true;
            switches.Directory = TrimBlanks(folder);
            if (switches.Directory.empty())
                switches.Error = "The switch /D= needs a folder.";
            tail.erase(i);
            return;
        }
        if (tail[i] == '"')
            quoted = !quoted;
    }
}

void Parse(const std::string& tail, bool allowDirectory, size_t maxPlain, TSwitches& switches)
{
    std::string rest = tail;
    if (allowDirectory)
        TakeDirectory(rest, switches);
    std::vector<std::string> arguments = SplitCommandLine("x " + rest);
    // Every argument is read, so that /S and /LOG= still count when another is wrong: the
    // error is then reported silently, into the log.
    auto fail = [&switches](const std::string& error) {
        if (switches.Error.empty())
            switches.Error = error;
    };
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        if (argument.empty() || argument[0] != '/')
        {
            if (switches.Plain.size() < maxPlain)
                switches.Plain.push_back(argument);
            else
                fail("Unexpected argument: " + argument);
        }
        else if (argument.size() == 2 && Upper(argument[1]) == 'S')
            switches.Silent = true;
        else if (argument == "/?")
            switches.Help = true;
        else if (StartsWithAt(argument, 0, "/LOG="))
        {
            switches.LogPath = TrimBlanks(argument.substr(5));
            if (switches.LogPath.empty())
                fail("The switch /LOG= needs a file name.");
        }
        else
            fail("Unknown switch: " + argument);
    }
}

const char* const kExitCodesHelp = "Exit codes:\r\n"
                                   "0\tsuccess\r\n"
                                   "1\tcancelled by the user\r\n"
                                   "2\tfailed (the log names the reason)\r\n"
                                   "1618\tanother installation of this application is running";

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    size_t i = 0, n = commandLine.size();
    while (true)
    {
        while (i < n && IsBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        std::string argument;
        bool quoted = false;
        for (; i < n; ++i)
        {
            char c = commandLine[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && IsBlank(c))
                break;
            else
                argument += c;
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string CommandTail(const std::string& commandLine)
{
    size_t i = 0, n = commandLine.size();
    while (i < n && IsBlank(commandLine[i]))
        ++i;
    bool quoted = false;
    for (; i < n; ++i)
    {
        if (commandLine[i] == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(commandLine[i]))
            break;
    }
    while (i < n && IsBlank(commandLine[i]))
        ++i;
    return commandLine.substr(i);
}

TSwitches ParseInstallSwitches(const std::string& tail)
{
    TSwitches switches;
    Parse(tail, true, 0, switches);
    return switches;
}

TSwitches ParseUninstallSwitches(const std::string& tail)
{
    TSwitches switches;
    Parse(tail, false, 1, switches);
    return switches;
}

std::string InstallSwitchesHelp()
{
    return std::string("setup.exe [/S] [/LOG=file] [/D=folder]\r\n\r\n"
                       "/S\tinstall silently: no window, every question takes its default\r\n"
                       "/LOG=file\twrite the steps and any error to file\r\n"
                       "/D=folder\tinstall into folder; must come last, blanks need no quotation marks\r\n"
                       "/?\tshow this help\r\n\r\n") +
           kExitCodesHelp;
}

std::string UninstallSwitchesHelp()
{
    return std::string("uninstall.exe [/S] [/LOG=file]\r\n\r\n"
                       "/S\tremove silently and return when the removal has finished\r\n"
                       "/LOG=file\twrite what could not be removed to file\r\n"
                       "/?\tshow this help\r\n\r\n"
                       "Exit codes:\r\n"
                       "0\teverything removed\r\n"
                       "2\tsomething could not be removed (the log lists it)\r\n"
                       "3010\tsome files are removed at the next restart\r\n"
                       "1618\tan installation of this application is running");
}

} // namespace kf
