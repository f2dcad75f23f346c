#include "Process.h"

#include "Driver.h"

#include <vector>

namespace kfdriver {

namespace {

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text == '\0' || (*text | 0x20) != (*prefix | 0x20))
            return false;
    return true;
}

// This process's environment with TMP and TEMP replaced.
std::vector<char> EnvironmentWithTemp(const std::string& temp)
{
    std::vector<char> block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += lstrlenA(entry) + 1)
    {
        if (StartsWithNoCase(entry, "tmp=") || StartsWithNoCase(entry, "temp="))
            continue;
        block.insert(block.end(), entry, entry + lstrlenA(entry) + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (const std::string& text : {"TMP=" + temp, "TEMP=" + temp})
        block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
    block.push_back('\0');
    return block;
}

} // namespace

TProcess::~TProcess()
{
    Kill();
    Reset(nullptr);
}

void TProcess::Reset(HANDLE process)
{
    if (FHandle)
        CloseHandle(FHandle);
    FHandle = process;
}

void TProcess::AttachToWindow(HWND window)
{
    Reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ProcessOf(window)));
}

void TProcess::Kill()
{
    if (FHandle && WaitForSingleObject(FHandle, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(FHandle, 99);
        WaitForSingleObject(FHandle, 10000);
    }
}

long TProcess::WaitForExit(int timeoutMs)
{
    if (!FHandle || WaitForSingleObject(FHandle, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(FHandle, &code);
    return static_cast<long>(code);
}

bool StartWithTemp(const std::string& commandLine, const std::string& temp, TProcess& process,
                   const std::string& directory)
{
    std::vector<char> environment = EnvironmentWithTemp(temp);
    std::vector<char> line(commandLine.c_str(), commandLine.c_str() + commandLine.size() + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const std::string& folder = directory.empty() ? temp : directory;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, environment.data(), folder.c_str(), &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    return true;
}

} // namespace kfdriver
