#include "win32ui/PrivateFolder.h"

#include "platform/FileSystem.h"

#include <ntsecapi.h>
#include <sddl.h>

#include <vector>

namespace kf::ui {

namespace {

// The current user's SID as text ("S-1-5-21-..."); "" when the token cannot be read.
std::string UserSid()
{
    THandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return std::string();
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    char* text = nullptr;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::string();
    std::string sid = text;
    LocalFree(text);
    return sid;
}

// Enumerates the plain files of folder (with a trailing backslash).
template <class F> void ForEachFile(const std::string& folder, F&& function)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            function(folder + data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
}

std::string WithoutBackslash(const std::string& folder)
{
    return !folder.empty() && folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.nFileSizeLow == b.nFileSizeLow;
}

} // namespace

bool TPrivateFolder::Create(const std::string& parent)
{
    std::string sid = UserSid();
    uint64_t random = 0;
    if (sid.empty() || !RtlGenRandom(&random, sizeof(random)))
        return false;
    // Protected (no inherited entries), full control for SYSTEM, Administrators and the
    // user; what is made inside inherits the same.
    std::string sddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + sid + ")";
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr))
        return false;
    std::string path = parent + PrivateFolderName(random);
    BOOL made = CreateDirectoryA(path.c_str(), &attributes);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (!made)
    {
        SetLastError(error);
        return false;
    }
    FPath = path + "\\";
    return true;
}

TFileHandle TPrivateFolder::WriteCopy(const std::string& source, const std::string& name) const
{
    std::string target = FPath + name;
    BY_HANDLE_FILE_INFORMATION written = {}, opened = {};
    {
        TFileHandle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in || FPath.empty())
            return TFileHandle();
        TFileHandle out(
            CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return TFileHandle();
        std::vector<char> buffer(64 * 1024);
        for (;;)
        {
            DWORD got = 0, put = 0;
            if (!ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
                return TFileHandle();
            if (got == 0)
                break;
            if (!WriteFile(out.Get(), buffer.data(), got, &put, nullptr) || put != got)
                return TFileHandle();
        }
        if (!FlushFileBuffers(out.Get()) || !GetFileInformationByHandle(out.Get(), &written))
            return TFileHandle();
    }
    // CreateProcess opens the image without write sharing, so the writing handle has to
    // go; the one that replaces it lets nobody write, rename or delete.
    TFileHandle held(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (held && (!GetFileInformationByHandle(held.Get(), &opened) || !SameFile(written, opened)))
    {
        SetLastError(ERROR_FILE_INVALID);
        held.Reset();
    }
    return held;
}

void TPrivateFolder::Remove(const std::string& folder)
{
    ForEachFile(folder, [](const std::string& file) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(file.c_str()))
            MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    });
    std::string self = WithoutBackslash(folder);
    if (!RemoveDirectoryA(self.c_str()))
        MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void TPrivateFolder::RemoveAtRestart(const std::string& folder)
{
    ForEachFile(folder,
                [](const std::string& file) { MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); });
    MoveFileExA(WithoutBackslash(folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace kf::ui
