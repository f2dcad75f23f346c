// kftool build --sign: a signing command of the author's (osslsigncode, signtool...) run
// on the uninstaller before it is packed and on the finished setup executable.
#pragma once

#include "builder/build/StubSource.h"

#include <string>

namespace kftool {

// path quoted for the system's shell: "path" for cmd.exe, 'path' for /bin/sh.
std::string QuoteForShell(const std::string& path);

// "" when command may be run, else why not: a {} inside quotation marks ("{}", '{}',
// "--file={}") or after a backslash would have the path's own quoting undone, and a
// file name could then end the quote and run commands of its own.
std::string SignTemplateProblem(const std::string& command);

// command with every "{}" replaced by QuoteForShell(path), run by the system's shell.
// "" when it exits with status 0, else why not ("... exited with status 3").
std::string RunSignCommand(const std::string& command, const std::string& path);

// The stubs of base with the uninstaller signed by command: written to a file of its
// own in the temporary directory, signed there and read back. Raises kf::TError with
// the reason when the command fails; the file is removed either way.
class TSignedStubSource : public kf::TStubSource
{
public:
    TSignedStubSource(kf::TStubSource& base, const std::string& command);
    std::string_view Stub(kf::TStubKind kind) override;

private:
    kf::TStubSource& FBase;
    std::string FUninstaller;
};

} // namespace kftool
