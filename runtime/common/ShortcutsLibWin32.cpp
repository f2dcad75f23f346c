// The Windows half of ShortcutsLib: ".LNK" files through the shell link object.
#include "runtime/common/ShortcutsLib.h"
#include "win32ui/Com.h"

#include <shlobj.h>

#include <vector>

namespace kf {

TShortcut::TShortcut()
{
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&FLink))))
    {
        FLink = nullptr;
        return;
    }
    if (FAILED(FLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&FFile))))
        FFile = nullptr;
}

TShortcut::~TShortcut()
{
    if (FFile)
        FFile->Release();
    if (FLink)
        FLink->Release();
}

void TShortcut::SetPath(const std::string& target)
{
    if (FLink)
        FLink->SetPath(target.c_str());
}

void TShortcut::SetWorkingDirectory(const std::string& directory)
{
    if (FLink)
        FLink->SetWorkingDirectory(directory.c_str());
}

void TShortcut::SetDescription(const std::string& description)
{
    if (FLink)
        FLink->SetDescription(description.c_str());
}

void TShortcut::SetShowCmd(int showCommand)
{
    if (FLink)
        FLink->SetShowCmd(showCommand);
}

bool TShortcut::Save(const std::string& fileName)
{
    if (!Valid())
        return false;
    // IPersistFile only speaks UTF-16; the path is in the ANSI code page.
    int length = MultiByteToWideChar(CP_ACP, 0, fileName.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, fileName.c_str(), -1, wide.data(), length);
    return SUCCEEDED(FFile->Save(wide.data(), TRUE));
}

std::string CreateShortcut(const std::string& linkBase, const std::string& target,
                           const std::string& workingDirectory, const std::string& description,
                           int showCommand)
{
    if (IsURL(target))
    {
        std::string path = linkBase + ".URL";
        return WriteURLFile(path, target) ? path : std::string();
    }
    ui::TComApartment com;
    TShortcut shortcut;
    shortcut.SetPath(target);
    shortcut.SetWorkingDirectory(workingDirectory);
    shortcut.SetDescription(description);
    shortcut.SetShowCmd(showCommand);
    std::string path = linkBase + ".LNK";
    return shortcut.Save(path) ? path : std::string();
}

} // namespace kf
