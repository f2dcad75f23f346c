#include "platform/FileSystem.h"

#include "platform/Error.h"

#include <windows.h>

namespace kf {

std::vector<TDirEntry> ListDirectory(const std::string& directory)
{
    std::vector<TDirEntry> entries;
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':')
        pattern += '\\';
    pattern += "*.*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do
        entries.push_back({data.cFileName, data.dwFileAttributes & kAttrAnyFile});
    while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLinkAt(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

int64_t FileSizeAt(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool RemoveEmptyDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

// MoveFileA never replaces an existing file, which is what keeping a copy aside needs.
bool RenameFile(const std::string& path, const std::string& newPath)
{
    return MoveFileA(path.c_str(), newPath.c_str()) != 0;
}

bool ReplaceFileOver(const std::string& path, const std::string& newPath)
{
    // The bytes first: a rename that reached the disk before them would leave an empty
    // or torn file in newPath's place after a power loss.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool flushed = FlushFileBuffers(file) != 0;
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!flushed)
    {
        SetLastError(error);
        return false;
    }
    return MoveFileExA(path.c_str(), newPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool SetAttributesAt(const std::string& path, uint32_t attributes)
{
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool RemoveAtRestart(const std::string& path)
{
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

int32_t LastSystemErrorCode()
{
    DWORD code = GetLastError();
    return code ? static_cast<int32_t>(code) : kErrInvalidParameter;
}

std::string TempDirectoryRaw()
{
    // Two spare characters, zero-filled, as the installer has always asked for.
    DWORD length = GetTempPathA(0, nullptr);
    std::string buffer(length + 2, '\0');
    GetTempPathA(length + 2, &buffer[0]);
    return buffer;
}

std::string SystemErrorMessage(uint32_t code)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : std::string();
    if (text)
        LocalFree(text);
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ')
        message.pop_back();
    return message;
}

} // namespace kf
