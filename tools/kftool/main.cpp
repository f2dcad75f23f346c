// kftool: looks inside Kitforge files (scripts, packages, setup executables), edits
// scripts and builds setup executables from the command line.
#include "tools/kftool/HostText.h"
#include "tools/kftool/KfTool.h"

#include "tools/kftool/BuildCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: kftool COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  list FILE              one line per entry: name, OriginalSize, PackedSize, DataOffset\n"
    "  cat FILE NAME          write an entry's content to standard output\n"
    "  extract FILE DIR       write every entry below DIR (backslashes become folders);\n"
    "                         never over anything there nor through a link\n"
    "  verify FILE            inflate every entry and check it; non-zero status when any is bad\n"
    "  script show FILE.kfs   print the 24 settings of a script as KEY=value lines\n"
    "  script set FILE.kfs KEY=VALUE...\n"
    "                         change settings (creating the script with the defaults)\n"
    "  build [-C DIR] [-j N] [--sign \"COMMAND\"] SCRIPT.kfs [OUTPUT.exe]\n"
    "                         build a setup executable from a script, compressing\n"
    "                         N files at once (default: one per core); COMMAND signs\n"
    "                         the uninstaller and the setup, {} naming the file\n"
    "                         (quoted by kftool: never inside quotation marks)\n"
    "\n"
    "list, cat, extract and verify find a setup executable's trailer by themselves;\n"
    "--trailer or --no-trailer force the mode. ADDFILESLIST values join paths with '|'.\n"
#ifndef _WIN32
    "\n"
    "Names and texts are written in a Windows code page and shown in the terminal's\n"
    "encoding: --codepage N picks it (874, 1250 to 1258; default 1252), --raw keeps\n"
    "every byte as it is.\n"
#endif
    ;

} // namespace

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
        std::fputs(kUsage, stderr);
        return kftool::kExitUsage;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help")
    {
        std::fputs(kUsage, stdout);
        return kftool::kExitOk;
    }
    if (command == "--version")
    {
        std::puts("kftool (Kitforge) 1.0.5");
        return kftool::kExitOk;
    }
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h")
        {
            std::fputs(kUsage, stdout);
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
    std::fprintf(stderr, "kftool: unknown command '%s'\n%s", command.c_str(), kUsage);
    return kftool::kExitUsage;
}
