// The /LOG=file record of a run, for the people who deploy a setup to many machines:
// one plain line per step and per error, in the system's words. Every line goes to the
// file at once, so a run that is killed still leaves what it had said.
#pragma once

#include "platform/File.h"

#include <string>

namespace kf {

class TSetupLog
{
public:
    // Creates (or truncates) the file. A log that cannot be written must not stop the
    // installation it records: false, and the run goes on without it.
    bool Open(const std::string& path);
    bool IsOpen() const { return FFile.IsOpen(); }
    // The text, its line breaks made blanks, and CR LF; nothing when the log is not
    // open; write errors are ignored.
    void Line(const std::string& text);
    // Hands the file over, to another process for example.
    void Close() { FFile = TFile(); }

private:
    TFile FFile;
};

} // namespace kf
