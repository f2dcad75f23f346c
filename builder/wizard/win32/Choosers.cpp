#include "builder/wizard/win32/Choosers.h"

#include "win32ui/SystemLibrary.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace kf {

DWORD FileDialogFlags(const TFileDialogSetup& setup)
{
    DWORD flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (setup.MustExist)
        flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (setup.OverwritePrompt)
        flags |= OFN_OVERWRITEPROMPT;
    return flags;
}

std::vector<std::string> TSystemChooser::RunFileDialog(HWND owner, const TFileDialogSetup& setup,
                                                       const std::string& initialName)
{
    std::string filter = PlatformFilter(setup.Filter);
    std::vector<char> buffer(32768, '\0');
    initialName.copy(buffer.data(), std::min(initialName.size(), buffer.size() - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = *setup.DefaultExt ? setup.DefaultExt : nullptr;
    ofn.Flags = FileDialogFlags(setup);
    // comdlg32 from System32 at run time: the builder imports no DLL its folder could plant.
    using TFileDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    ui::TSystemLibrary comdlg("comdlg32.dll");
    auto dialog = comdlg.Proc<TFileDialog>(setup.Save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    BOOL chosen = dialog && dialog(&ofn);
    if (!chosen)
        return {};
    return {std::string(buffer.data())};
}

std::optional<std::string> TSystemChooser::BrowseForFolder(HWND owner, const std::string& title)
{
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr; // the desktop
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (!list)
        return std::nullopt;
    char path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    if (!ok)
        return std::nullopt;
    return std::string(path);
}

} // namespace kf

namespace kf {

void TSystemChooser::OpenWithShell(HWND owner, const std::string& fileName)
{
    ShellExecuteA(owner, "open", fileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace kf
