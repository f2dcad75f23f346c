// TINFReader: reads the installation description ("install.inf") the builder writes.
//
// The text is held as lines, split at CR LF, CR or LF. A section is the first line that
// equals "[" + name + "]" as a whole, letter case aside (no blanks tolerated around it);
// its value lines run from the line after the header up to, not including, the first
// line that is empty after trimming blanks, or to the end of the text. Value lines are
// handed out untrimmed. A header on the last line of the text counts as absent.
#pragma once

#include "archive/MemoryStream.h"

#include <string>
#include <utility>
#include <vector>

namespace kf {

class TINFReader
{
public:
    // Replaces the lines with the text of the stream, read from its current position.
    void LoadText(TMemoryStream& stream);
    void LoadText(const std::string& text);

    // True when the header is found and is not the last line.
    bool SectionExists(const std::string& name) const;
    // The first line after the header, unchanged (an empty or blank line included), or
    // "" when the section is absent.
    std::string ReadValue(const std::string& name) const;
    // The value lines of the section, a "#" line (after trimming) given as the empty
    // value, since an empty line would end the section; empty when absent.
    std::vector<std::string> ReadSection(const std::string& name) const;

    const std::vector<std::string>& Lines() const { return FLines; }

private:
    // Index of the header line of a present section, or -1.
    int FindSection(const std::string& name) const;

    std::vector<std::string> FLines;
};

// Splits a "left;right" line at its first ";". Without ";", left is empty and right is
// the whole line.
std::pair<std::string, std::string> SplitValue(const std::string& line);

// True for a list line that stands for an empty value: "#" after trimming.
bool IsEmptyValueMarker(const std::string& line);

} // namespace kf
