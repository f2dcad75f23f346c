#include "runtime/common/FolderSecurity.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace kf {

namespace {

// What lets someone change a folder's contents, its place or its permissions.
constexpr DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE | MAXIMUM_ALLOWED;

class TLocal
{
public:
    TLocal() = default;
    TLocal(const TLocal&) = delete;
    TLocal& operator=(const TLocal&) = delete;
    ~TLocal() { LocalFree(Memory); }
    void* Memory = nullptr;
};

// The running token's user and default owner: the elevated administrator, whose own
// folders Windows gives to that account rather than to the Administrators group.
bool IsTokenSid(PSID sid)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    bool found = false;
    for (TOKEN_INFORMATION_CLASS what : {TokenUser, TokenOwner})
    {
        union
        {
            TOKEN_USER User;
            TOKEN_OWNER Owner;
            BYTE Space[256];
        } info;
        DWORD size = 0;
        if (GetTokenInformation(token, what, &info, sizeof(info), &size))
            found = found || EqualSid(sid, what == TokenUser ? info.User.User.Sid : info.Owner.Owner);
    }
    CloseHandle(token);
    return found;
}

bool IsTrustedSid(PSID sid)
{
    if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
        return true;
    TLocal installer;
    if (ConvertStringSidToSidA("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer.Memory) &&
        EqualSid(sid, installer.Memory))
        return true;
    return IsTokenSid(sid);
}

} // namespace

bool IsProtectedFolder(const std::string& path)
{
    // The folder itself, never what a link there points to.
    HANDLE folder = CreateFileA(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    TLocal descriptor;
    bool read = GetFileInformationByHandle(folder, &info) &&
                (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
                    FILE_ATTRIBUTE_DIRECTORY &&
                GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor.Memory) == ERROR_SUCCESS;
    CloseHandle(folder);
    // No DACL at all grants everyone everything.
    if (!read || !owner || !dacl || !IsTrustedSid(owner))
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i)
    {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
            return false;
        if (ace->AceType == ACCESS_DENIED_ACE_TYPE || (ace->AceFlags & INHERIT_ONLY_ACE))
            continue;
        // Object and callback forms have no place on a file system: not understood, not trusted.
        if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & kChangingRights) && !IsTrustedSid(&allowed->SidStart))
            return false;
    }
    return true;
}

bool ProtectFolder(const std::string& path)
{
    // Program Files' own: SYSTEM and Administrators full control, Users read and
    // execute, each to the folder, its subfolders and files; protected from the parent.
    TLocal descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1, &descriptor.Memory,
            nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.Memory, &present, &dacl, &defaulted) ||
        !GetSecurityDescriptorOwner(descriptor.Memory, &owner, &defaulted))
        return false;
    std::string name = path; // SetNamedSecurityInfoA takes a non-const string
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT, what | OWNER_SECURITY_INFORMATION, owner, nullptr, dacl,
                              nullptr) == ERROR_SUCCESS)
        return true;
    // A token that may not hand the folder to Administrators still protects it.
    return SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
}

} // namespace kf
