#include "runtime/common/UninstallLog.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>

namespace kf {

namespace {

std::string Boxed(const std::string& content)
{
    std::string line = "# " + content;
    line.resize(kLogHeaderWidth - 1, ' ');
    return line + '#';
}

std::string EntryLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

} // namespace

const std::vector<std::string>& LogHeader()
{
    static const std::vector<std::string> header = {
        std::string(kLogHeaderWidth, '#'),
        Boxed("Kitforge Uninstall Log File"),
        Boxed("Kitforge, the small installer builder"),
        Boxed("https://kitforge.example/"),
        std::string(kLogHeaderWidth, '#'),
        "# This is an automatically generated file.            #",
        "#" + std::string(kLogHeaderWidth - 2, ' ') + "#",
        "# IT IS VERY IMPORTANT THAT THIS FILE NOT BE EDITED   #",
        "# OR OTHERWISE MODIFIED.                              #",
        "#" + std::string(kLogHeaderWidth - 2, ' ') + "#",
        "# Editing this file could cause the uninstall process #",
        "# to malfunction or fail.                             #",
        std::string(kLogHeaderWidth, '#'),
    };
    return header;
}

bool ParseLogLine(const std::string& line, std::string& kind, std::string& value)
{
    std::string trimmed = TrimText(line);
    if (trimmed.empty() || trimmed[0] == '#')
        return false;
    size_t colon = trimmed.find(':');
    if (colon == std::string::npos)
    {
        kind = trimmed;
        value.clear();
    }
    else
    {
        kind = TrimText(trimmed.substr(0, colon));
        value = TrimText(trimmed.substr(colon + 1));
    }
    return true;
}

TLogFile::TLogFile(const std::string& fileName, bool writer, const std::vector<std::string>* entries,
                   IFileSystem* files)
    : FFileName(fileName), FFiles(files ? *files : DiskFileSystem()), FWriter(writer), FUnique(entries != nullptr)
{
    if (writer)
    {
        std::string text;
        for (const std::string& line : LogHeader())
            text += line + "\r\n";
        if (entries)
            for (const std::string& entry : *entries)
            {
                FLines.push_back(EntryLine(entry));
                text += FLines.back() + "\r\n";
            }
        FCursor = Count() - 1;
        FFile = FFiles.Create(fileName);
        FFile->Write(text.data(), static_cast<int32_t>(text.size()));
        return;
    }
    if (!FileExists(fileName))
        throw TError("Uninstall log file not found.");
    Load();
}

void TLogFile::Load()
{
    std::string bytes = ReadWholeFile(FFileName);

    // CR LF, a lone CR and a lone LF each end a line, as text editors see it; a final
    // line without a line end still counts.
    FLines = SplitLines(bytes);

    FCursor = Count() - 1;
    std::string kind, value;
    for (const std::string& entry : FLines)
    {
        if (!ParseLogLine(entry, kind, value))
            continue;
        if (kind == "Title")
            FTitle = value;
        else if (kind == "Source")
            FSource = value;
    }
}

void TLogFile::WriteLine(const std::string& text)
{
    if (!FWriter)
        throw TError("Log file reader not writer.");
    std::string line = EntryLine(text);
    if (FUnique && std::find(FLines.begin(), FLines.end(), line) != FLines.end())
        return;
    FLines.push_back(line);
    FCursor = Count() - 1;
    Append(line + "\r\n");
}

void TLogFile::Append(const std::string& bytes)
{
    try
    {
        if (!FFile)
            FFile = FFiles.OpenAppend(FFileName);
        FFile->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    catch (const TError&)
    {
        // Disk full, file removed meanwhile: the in-memory entry still serves the
        // roll-back of this run. The next entry opens the file afresh.
        FFile.reset();
    }
}

void TLogFile::Close()
{
    // A failing close loses nothing the system has not taken already.
    FFile.reset();
}

void TLogFile::Renamed(const std::string& fileName)
{
    Close();
    FFileName = fileName;
}

void TLogFile::AddTitleEntry(const std::string& title)
{
    WriteLine("Title: " + title);
    FTitle = title;
}

void TLogFile::AddFileEntry(const std::string& path) { WriteLine("File: " + path); }

void TLogFile::AddDirectoryEntry(const std::string& fullPath, const std::string& relativePart)
{
    WriteLine("Directory: " + relativePart + ";" + fullPath);
}

void TLogFile::AddBackupEntry(const TKeptCopy& copy)
{
    WriteLine(std::string(kBackupKind) + ": " + KeptCopyValue(copy));
}

std::string KeptCopyValue(const TKeptCopy& copy)
{
    // The 64-bit overload: the stubs carry it already.
    return copy.Original + "|" + copy.Kept + "|" + std::to_string(int64_t(copy.Attributes));
}

bool ParseKeptCopy(const std::string& value, TKeptCopy& copy)
{
    size_t first = value.find('|');
    size_t second = first == std::string::npos ? first : value.find('|', first + 1);
    if (second == std::string::npos || first == 0 || second == first + 1 || second + 1 == value.size())
        return false;
    uint64_t attributes = 0;
    for (size_t i = second + 1; i < value.size(); ++i)
    {
        if (value[i] < '0' || value[i] > '9')
            return false;
        attributes = attributes * 10 + uint64_t(value[i] - '0');
        if (attributes > UINT32_MAX)
            return false;
    }
    copy.Original = value.substr(0, first);
    copy.Kept = value.substr(first + 1, second - first - 1);
    copy.Attributes = static_cast<uint32_t>(attributes);
    return true;
}

bool TLogFile::ReadPrevious(std::string& kind, std::string& value)
{
    while (FCursor >= 0)
    {
        const std::string& line = FLines[static_cast<size_t>(FCursor)];
        --FCursor;
        if (ParseLogLine(line, kind, value))
            return true;
    }
    return false;
}

} // namespace kf
