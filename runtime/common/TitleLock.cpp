#include "runtime/common/TitleLock.h"

#include "platform/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kf {

const char* const kAlreadyRunningCaption = "Already Running";

std::string TitleLockName(const std::string& title)
{
    std::string name = "KitforgeSetup:" + TrimText(title);
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

std::string AlreadyRunningText(const std::string& title)
{
    return "Setup or removal of " + title + " is already running.\r\rPlease wait until it has finished, then try again.";
}

#ifdef _WIN32
namespace {

const wchar_t* const kNamespaceName = L"KitforgeSetup";

bool Elevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                    elevation.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

// The namespace functions, looked up at run time: Wine exports some of them as stubs
// that abort, so only the wide ones, which it implements as failing, are named.
struct TNamespaceApi
{
    HANDLE(WINAPI* CreateBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* AddSid)(HANDLE*, PSID) = nullptr;
    HANDLE(WINAPI* Create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* Open)(LPVOID, LPCWSTR) = nullptr;
    BOOLEAN(WINAPI* Close)(HANDLE, ULONG) = nullptr;
    VOID(WINAPI* DeleteBoundary)(HANDLE) = nullptr;

    TNamespaceApi()
    {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        Get(kernel, CreateBoundary, "CreateBoundaryDescriptorW");
        Get(kernel, AddSid, "AddSIDToBoundaryDescriptor");
        Get(kernel, Create, "CreatePrivateNamespaceW");
        Get(kernel, Open, "OpenPrivateNamespaceW");
        Get(kernel, Close, "ClosePrivateNamespace");
        Get(kernel, DeleteBoundary, "DeleteBoundaryDescriptor");
    }
    bool Complete() const { return CreateBoundary && AddSid && Create && Open && Close && DeleteBoundary; }

private:
    template <class F> static void Get(HMODULE module, F& function, const char* name)
    {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

} // namespace

TTitleLock::~TTitleLock()
{
    if (FMutex)
    {
        ReleaseMutex(FMutex);
        CloseHandle(FMutex);
    }
    TNamespaceApi api;
    if (FNamespace && api.Complete())
        api.Close(FNamespace, 0);
    if (FBoundary && api.Complete())
        api.DeleteBoundary(FBoundary);
}

bool TTitleLock::Acquire(const std::string& title)
{
    std::string name = TitleLockName(title);
    HANDLE mutex = nullptr;
    if (Elevated())
    {
        // Only a token with the Administrators group enabled can create a namespace of
        // that boundary, and its default DACL lets only administrators and SYSTEM in.
        TNamespaceApi api;
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof(sid);
        if (api.Complete() && CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize))
        {
            FBoundary = api.CreateBoundary(kNamespaceName, 0);
            if (FBoundary && api.AddSid(&FBoundary, sid))
            {
                // Created by whichever elevated run came first; the others open it.
                for (int attempt = 0; attempt < 3 && !FNamespace; ++attempt)
                {
                    FNamespace = api.Create(nullptr, FBoundary, kNamespaceName);
                    if (!FNamespace && GetLastError() == ERROR_ALREADY_EXISTS)
                        FNamespace = api.Open(FBoundary, kNamespaceName);
                }
            }
        }
        if (FNamespace)
            mutex = CreateMutexA(nullptr, TRUE, ("KitforgeSetup\\" + name).c_str());
        else
            // Where the system has no private namespaces (Wine): a name of the elevated
            // runs' own, still apart from the one a standard user's process may hold.
            mutex = CreateMutexA(nullptr, TRUE,
                                 ("Global\\KitforgeElevatedSetup:" + name.substr(name.find(':') + 1)).c_str());
    }
    // Global: a setup in another session (another user, a service) counts too. Creating a
    // global object needs a privilege that elevated setups have; otherwise this session's.
    if (!mutex && !FNamespace)
        mutex = CreateMutexA(nullptr, TRUE, ("Global\\" + name).c_str());
    if (!mutex && !FNamespace)
        mutex = CreateMutexA(nullptr, TRUE, ("Local\\" + name).c_str());
    if (!mutex)
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS)
    {
        CloseHandle(mutex);
        return false;
    }
    FMutex = mutex;
    return true;
}
#endif

} // namespace kf
