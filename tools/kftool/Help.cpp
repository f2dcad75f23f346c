#include "tools/kftool/Help.h"

#include <cstring>

namespace kftool {

namespace {

#define KF_TRAILER_OPTIONS                                                                                             \
    "  --trailer             read FILE through its trailer, as a setup executable\n"                                   \
    "  --no-trailer          read FILE as a bare package\n"                                                            \
    "                        (without either, a setup executable's trailer is found)\n"

// Only the POSIX kftool converts texts; kftool.exe uses the system's code page.
#ifndef _WIN32
#define KF_TEXT_OPTIONS                                                                                                \
    "  --codepage N          the Windows code page of names and texts (874, 1250 to 1258;\n"                           \
    "                        default 1252)\n"                                                                          \
    "  --raw                 keep every byte of names and texts as it is\n"
#else
#define KF_TEXT_OPTIONS ""
#endif

#define KF_HELP_OPTION "  -h, --help            this help\n"

struct TCommandHelp
{
    const char* Command;
    const char* Text;
};

const TCommandHelp kCommandHelp[] = {
    {"list", "usage: kftool list [--trailer|--no-trailer] FILE\n"
             "One line per entry: name, OriginalSize, PackedSize, DataOffset.\n"
             "\n"
             "Options:\n" KF_TRAILER_OPTIONS KF_TEXT_OPTIONS KF_HELP_OPTION},
    {"cat", "usage: kftool cat [--trailer|--no-trailer] FILE NAME\n"
            "Writes the content of entry NAME to standard output, byte for byte.\n"
            "\n"
            "Options:\n" KF_TRAILER_OPTIONS KF_TEXT_OPTIONS KF_HELP_OPTION},
    {"extract", "usage: kftool extract [--trailer|--no-trailer] FILE DIR\n"
                "Writes every entry below DIR (backslashes become folders); never over anything\n"
                "there, nor through a link, nor outside DIR.\n"
                "\n"
                "Options:\n" KF_TRAILER_OPTIONS KF_TEXT_OPTIONS KF_HELP_OPTION},
    {"verify", "usage: kftool verify [--trailer|--no-trailer] FILE\n"
               "Inflates every entry and checks it (complete stream, Adler-32, size); the status\n"
               "is non-zero when any is bad.\n"
               "\n"
               "Options:\n" KF_TRAILER_OPTIONS KF_TEXT_OPTIONS KF_HELP_OPTION},
    {"script", "usage: kftool script show FILE.kfs\n"
               "       kftool script set FILE.kfs KEY=VALUE...\n"
               "show prints the 24 settings of a script as KEY=value lines; set changes them,\n"
               "creating the script with the defaults. ADDFILESLIST values join paths with '|'.\n"
               "\n"
               "Options:\n" KF_TEXT_OPTIONS KF_HELP_OPTION},
    {"build", "usage: kftool build [OPTIONS] SCRIPT.kfs [OUTPUT.exe]\n"
              "Builds a setup executable from a script, as the builder's Finish button does.\n"
              "Without OUTPUT the file is the title's proposed name in the current folder.\n"
              "\n"
              "Options:\n"
              "  -C DIR                resolve the script's relative paths from DIR\n"
              "                        (default: the current folder)\n"
              "  -j N                  compress N files at once (default: one per core);\n"
              "                        the output is the same for every N\n"
              "  --version X           register X as the setup's DisplayVersion\n"
              "  --publisher Y         register Y as the setup's Publisher\n"
              "  --sign \"COMMAND\"      sign the uninstaller and the setup with COMMAND, {}\n"
              "                        naming the file (quoted by kftool: never inside\n"
              "                        quotation marks)\n" KF_TEXT_OPTIONS KF_HELP_OPTION},
};

} // namespace

const char kGeneralUsage[] =
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
    "  build [-C DIR] [-j N] [--version X] [--publisher Y] [--sign \"COMMAND\"]\n"
    "        SCRIPT.kfs [OUTPUT.exe]\n"
    "                         build a setup executable from a script\n"
    "\n"
    "kftool COMMAND --help shows a command's options.\n"
    "list, cat, extract and verify find a setup executable's trailer by themselves;\n"
    "--trailer or --no-trailer force the mode. ADDFILESLIST values join paths with '|'.\n"
#ifndef _WIN32
    "\n"
    "Names and texts are written in a Windows code page and shown in the terminal's\n"
    "encoding: --codepage N picks it (874, 1250 to 1258; default 1252), --raw keeps\n"
    "every byte as it is.\n"
#endif
    ;

const char* CommandHelp(const std::string& command)
{
    for (const TCommandHelp& help : kCommandHelp)
        if (command == help.Command)
            return help.Text;
    return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;
    return false;
}

} // namespace kftool
