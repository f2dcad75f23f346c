// kftool: looks inside Kitforge files (scripts, packages, setup executables), edits
// scripts and builds setup executables from the command line.
#include "tools/kftool/Help.h"
#include "tools/kftool/HostText.h"
#include "tools/kftool/KfTool.h"

#include "tools/kftool/BuildCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string textProblem = kftool::TakeTextOptions(args);
    if (!textProblem.empty())
    {
        std::fprintf(stderr, "kftool: %s\n", textProblem.c_str());
        return kftool::kExitUsage;
    }
    textProblem = kftool::CommandLineToCodePage(args);
    if (!textProblem.empty())
    {
        std::fprintf(stderr, "kftool: %s\n", textProblem.c_str());
        return kftool::kExitFailure;
    }
    if (args.empty())
    {
        std::fputs(kftool::kGeneralUsage, stderr);
        return kftool::kExitUsage;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help")
    {
        // "kftool help build" as "kftool build --help"
        const char* help = args.empty() ? nullptr : kftool::CommandHelp(args[0]);
        std::fputs(help ? help : kftool::kGeneralUsage, stdout);
        return kftool::kExitOk;
    }
    if (command == "--version")
    {
        std::puts("kftool (Kitforge) 1.0.5");
        return kftool::kExitOk;
    }
    if (const char* help = kftool::CommandHelp(command); help && kftool::AsksForHelp(args))
    {
        std::fputs(help, stdout);
        return kftool::kExitOk;
    }
    if (command == "list")
        return kftool::RunList(args);
    if (command == "cat")
        return kftool::RunCat(args);
    if (command == "extract")
        return kftool::RunExtract(args);
    if (command == "verify")
        return kftool::RunVerify(args);
    if (command == "script")
        return kftool::RunScript(args);
    if (command == "build")
        return kftool::RunBuildCommand(args);
    std::fprintf(stderr, "kftool: unknown command '%s'\n%s", command.c_str(), kftool::kGeneralUsage);
    return kftool::kExitUsage;
}
