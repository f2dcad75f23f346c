// The uninstall log: "uninstall.log" in the target directory, the record of everything
// one installation created. The installer writes it (a writer TLogFile), the
// uninstaller reads it back newest first (a reader TLogFile).
//
// File format: single-byte text, CR LF line ends. 13 header lines, each exactly 55
// characters with "#" in the first and last column, then one entry line per recorded
// action: kind, ":", one blank, value. Kinds: "Title" (the application title),
// "File" (full path), "Directory" (relative part ";" full path: the levels created and
// the deepest of them), "Registry Key" (root "HKCU"/"HKLM" "\" key path), "Source",
// "Backup" (a file kept aside before the installation wrote over it; see TKeptCopy).
// Readers skip lines that are empty after trimming or that begin with "#", anywhere.
#pragma once

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Text.h" // TrimText, for the readers of log lines
#include "runtime/common/ShellInstallLib.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

// The log's file name in the target directory; the uninstaller finds it there too.
constexpr const char* kLogName = "uninstall.log";

constexpr int kLogHeaderLines = 13;
constexpr size_t kLogHeaderWidth = 55;

// The 13 header lines a writer starts the file with.
const std::vector<std::string>& LogHeader();

// Calls remove(directory) for each directory that undoing a "Directory" entry removes,
// in order: the value is the relative part, ";", the full path; the full path goes
// first, then one parent per further level of the relative part. Without ";" no level
// was recorded and nothing is called.
template <class TRemove>
void ForEachDirectoryUndoLevel(const std::string& value, TRemove remove)
{
    size_t split = value.find(';');
    if (split == std::string::npos)
        return;
    std::string relative = value.substr(0, split);
    std::string full = value.substr(split + 1);
    // ParentDir always shortens, so this ends after at most one pass per character.
    while (!relative.empty())
    {
        remove(full);
        relative = ParentDir(relative);
        full = ParentDir(full);
    }
}

// Splits one log line. Returns false for a line that is empty after trimming or begins
// with "#". Otherwise kind is the trimmed text before the first ":" and value the
// trimmed text after it (a value keeps any further ":", so "C:\x" survives); a line
// without ":" is all kind and an empty value.
bool ParseLogLine(const std::string& line, std::string& kind, std::string& value);

// A file that stood where the installation writes one, renamed in its folder and hidden
// until the installation completes; a roll-back puts it back. Its "Backup" entry is
// written before the new file's "File" entry, so undoing newest first removes the new
// file and then restores the old one. Value: original path "|" kept path "|" the
// original's attributes in decimal ("|" never occurs in a Windows path). Uninstallers
// ignore the kind: once the installation completed, the kept copy is gone. A run that
// was killed leaves them for the next run of its setup, which follows the one of the
// log itself back to the earlier log and deletes the copies when it completes.
constexpr const char* kBackupKind = "Backup";

struct TKeptCopy
{
    std::string Original;
    std::string Kept;
    uint32_t Attributes = 0;
};

std::string KeptCopyValue(const TKeptCopy& copy);
// False, and copy untouched, unless the value has the three fields with both paths set
// and a decimal number last.
bool ParseKeptCopy(const std::string& value, TKeptCopy& copy);

class TLogFile
{
public:
    // Writer: creates or truncates fileName and writes the header and the entries
    // given (a new log has none) in one write, then keeps the file open for the entries
    // to come (others may read it meanwhile); a failure raises the I/O error. A writer
    // given entries skips a later entry that is one of its lines already: undone twice,
    // it would fail the second time. Reader: raises TError("Uninstall log file not
    // found.") when the file is missing, the I/O error when it cannot be read, and
    // otherwise holds every line of the file, with Title and Source taken from the last
    // "Title" and "Source" entries (letter case of the kind counts).
    // A writer writes through files (the disk when none is given).
    TLogFile(const std::string& fileName, bool writer, const std::vector<std::string>* entries = nullptr,
             IFileSystem* files = nullptr);

    // Writers only (a reader raises TError("Log file reader not writer.")). Keeps the
    // text in memory and appends it with a line end to the file in one write, so the
    // file on disk is complete up to the last action even if the installer dies: the
    // system holds what was written, whatever becomes of the program. An error while
    // appending is ignored: the entry stays in memory, so a roll-back of this run still
    // undoes it. CR and LF inside the text become blanks: a value must never smuggle in
    // an extra entry line.
    void WriteLine(const std::string& text);
    // Lets go of the file, so that it can be deleted or replaced; the next entry opens
    // it again and appends. Renamed: the file now goes by fileName (closed first).
    void Close();
    void Renamed(const std::string& fileName);
    // "Title: " + title; also becomes Title().
    void AddTitleEntry(const std::string& title);
    // "File: " + path.
    void AddFileEntry(const std::string& path);
    // "Directory: " + relative part + ";" + full path.
    void AddDirectoryEntry(const std::string& fullPath, const std::string& relativePart);
    // "Backup: " + KeptCopyValue(copy).
    void AddBackupEntry(const TKeptCopy& copy);

    // Moves backwards over the lines held (for a reader the whole file, for a writer
    // the entries of this run) and parses the next entry line with ParseLogLine,
    // skipping empty and "#" lines. False when no line is left.
    bool ReadPrevious(std::string& kind, std::string& value);

    // Lines held: a reader's whole file, header included; a writer's entries so far.
    int32_t Count() const { return static_cast<int32_t>(FLines.size()); }
    const std::vector<std::string>& Lines() const { return FLines; }
    const std::string& Title() const { return FTitle; }
    const std::string& Source() const { return FSource; }
    const std::string& FileName() const { return FFileName; }

private:
    void Load();
    void Append(const std::string& bytes);

    std::string FFileName;
    IFileSystem& FFiles;
    std::unique_ptr<IFileWriter> FFile; // a writer's file while open
    std::vector<std::string> FLines;
    bool FWriter;
    bool FUnique; // a writer that skips the lines it holds
    int32_t FCursor = -1; // next line to read backwards, or the last line written
    std::string FTitle;
    std::string FSource;
};

} // namespace kf
