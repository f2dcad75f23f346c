// What both end-to-end suites (the installer's and the uninstaller's) need beside the
// test driver: time limits, the built programs, and small questions to another
// program's windows.
#pragma once

#include "Driver.h"
#include "Process.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include "platform/FileSystem.h"
#include "runtime/common/ShellInstallLib.h"
#include "tests/TestSupport.h"
#include "win32ui/Handle.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kfe2e {

constexpr int kStartMs = 30000; // a Wine process start can be slow on a cold server
constexpr int kActionMs = 30000;

// A program of this build, beside the test.
inline std::string Bin(const std::string& name)
{
    return std::string(KF_BINARY_DIR) + "\\bin\\" + name;
}

inline std::string Lower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

inline bool Visible(HWND control)
{
    return control && IsWindowVisible(control);
}

// The text of the first control of top whose text begins with prefix.
inline std::string TextStarting(HWND top, const std::string& prefix)
{
    HWND control = kfdriver::FindControlByPrefix(top, prefix);
    return control ? kfdriver::TextOf(control) : "<none>";
}

// A message to a control of another process, with a time limit; -1 when it hung.
inline LRESULT Ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// A message box of the program under test: its text, then a click on one of its buttons.
inline std::string AnswerBox(const std::string& caption, const std::string& button)
{
    HWND box = kfdriver::WaitForTopWindow(caption, kActionMs, false, "#32770");
    if (!box)
        return "<no box \"" + caption + "\">";
    std::string text;
    for (const kfdriver::TControl& control : kfdriver::Controls(box))
        if (control.ClassName == "Static" && control.Text.size() > text.size())
            text = control.Text;
    EXPECT_TRUE(kfdriver::Click(kfdriver::FindControl(box, button, "Button"))) << button;
    return text;
}

// Runs a command to its end with TMP and TEMP of its own; its exit code, or -1.
inline long RunToEnd(const std::string& commandLine, const std::string& temp)
{
    kfdriver::TProcess process;
    if (!kfdriver::StartWithTemp(commandLine, temp, process))
        return -1;
    return process.WaitForExit(120000);
}

// Everything below a folder, as "path size" lines (folders end in "\"), but for the
// folders in skip (lower case).
inline void Walk(const std::string& dir, std::set<std::string>& out, const std::set<std::string>& skip)
{
    for (const kf::TDirEntry& entry : kf::ListDirectory(dir))
    {
        if (entry.Name == "." || entry.Name == "..")
            continue;
        std::string path = kf::AddBackslash(dir) + entry.Name;
        if (skip.count(Lower(path)))
            continue;
        // A folder that is a link (Wine links some user folders into the Linux home)
        // leads out of the drive.
        if ((entry.Attributes & kf::kAttrDirectory) &&
            !(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
        {
            out.insert(path + "\\");
            Walk(path, out, skip);
        }
        else
            out.insert(path + " " + std::to_string(kf::FileSizeAt(path)));
    }
}

inline std::vector<std::string> SubKeys(HKEY root, const std::string& key)
{
    std::vector<std::string> names;
    kf::ui::TRegKey handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, handle.Receive()) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(handle.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

// Every file and folder below folder, hidden ones too, by relative name: a file's
// visible attributes, size and a 64-bit FNV-1a of its bytes (short enough to print on a
// mismatch), "<folder>" for a folder. Equal maps mean nothing was added, lost or
// changed, kept copies ("*.~kfkept*") included.
inline void FolderContents(const std::string& folder, std::map<std::string, std::string>& out,
                           const std::string& prefix = "")
{
    for (const kf::TDirEntry& entry : kf::ListDirectory(folder))
    {
        if (entry.Name == "." || entry.Name == "..")
            continue;
        std::string path = folder + "\\" + entry.Name;
        if (entry.Attributes & kf::kAttrDirectory)
        {
            out[prefix + entry.Name] = "<folder>";
            FolderContents(path, out, prefix + entry.Name + "\\");
            continue;
        }
        DWORD shown = GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        std::string bytes = kftest::ReadFileBytes(path);
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : bytes)
            hash = (hash ^ c) * 1099511628211ull;
        out[prefix + entry.Name] =
            std::to_string(shown) + " " + std::to_string(bytes.size()) + " " + std::to_string(hash);
    }
}

inline std::map<std::string, std::string> FolderContents(const std::string& folder)
{
    std::map<std::string, std::string> contents;
    FolderContents(folder, contents);
    return contents;
}

// Every value of a title's uninstall registration as "name" -> "type:data" ("dword:N").
inline std::map<std::string, std::string> RegistrationValues(const std::string& title)
{
    std::map<std::string, std::string> values;
    kf::ui::TRegKey handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kf::UninstallKeyPath(title).c_str(), 0, KEY_READ, handle.Receive()) !=
        ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i)
    {
        char name[256], data[2048];
        DWORD nameLength = sizeof(name), dataLength = sizeof(data), type = 0;
        if (RegEnumValueA(handle.Get(), i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataLength) != ERROR_SUCCESS)
            break;
        DWORD number = 0;
        if (type == REG_DWORD && dataLength == sizeof(number))
            CopyMemory(&number, data, sizeof(number));
        values[std::string(name, nameLength)] = type == REG_DWORD ? "dword:" + std::to_string(number)
                                                                  : std::to_string(type) + ":" + std::string(data, dataLength);
    }
    return values;
}

// What an installation and its removal may change: the Wine drive (but for the system
// folder, the temporary folder, the shell's templates and the test's scratch folder) and
// the uninstall registrations.
// True when image is the uninstaller's copy in a private folder directly below temp:
// temp\kf-<16 hex digits>\uninst.exe.
inline bool IsPrivateCopy(const std::string& image, const std::string& temp)
{
    std::string prefix = Lower(temp) + "\\", path = Lower(image), tail = "\\uninst.exe";
    if (path.size() != prefix.size() + 19 + tail.size() || path.compare(0, prefix.size(), prefix) != 0 ||
        path.compare(path.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    return kf::IsPrivateFolderName(image.substr(prefix.size(), 19));
}

// The process that started process (0 when it is not found).
inline DWORD ParentProcess(DWORD process)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == process)
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

// What waits for the next restart (PendingFileRenameOperations), lower case, each
// string followed by "|".
inline std::string PendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return std::string();
    DWORD size = 0, type = 0;
    std::string data;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        size > 0)
    {
        data.resize(size);
        if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                             &size) != ERROR_SUCCESS)
            size = 0;
        data.resize(size);
    }
    RegCloseKey(key);
    for (char& c : data)
        if (c == '\0')
            c = '|';
    return Lower(data);
}

struct TMachineState
{
    std::set<std::string> Files;
    std::vector<std::string> Registrations;
};

inline TMachineState MachineState(const std::string& scratch)
{
    std::string temp = kf::TempDirectoryRaw();
    while (!temp.empty() && (static_cast<unsigned char>(temp.back()) <= ' ' || temp.back() == '\\'))
        temp.pop_back();
    char profile[MAX_PATH] = {};
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    std::set<std::string> skip = {Lower(temp), Lower(scratch), "c:\\windows",
                                  Lower(std::string(profile) + "\\AppData\\Roaming\\Microsoft\\Windows\\Templates")};
    TMachineState state;
    Walk("C:\\", state.Files, skip);
    state.Registrations = SubKeys(HKEY_LOCAL_MACHINE, kf::kUninstallKeyPath);
    return state;
}

} // namespace kfe2e
