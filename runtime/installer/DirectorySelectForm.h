// TDirectorySelect: the Browse dialog ("Select Install Directory"). A drive box above a
// folder list, the path in edtPath, OK and Cancel. OK creates the chosen path with all
// missing levels; a folder made here exists before the copy and is not logged.
#pragma once

#include "runtime/installer/InstallerCore.h"
#include "runtime/installer/InstallerSteps.h"
#include "runtime/installer/InstallerTexts.h"
#include "win32ui/Window.h"

#include <string>
#include <vector>

namespace kf {
namespace installer {

class TDirectorySelect : public ui::TWindow
{
public:
    explicit TDirectorySelect(IInstallSystem& system) : FSystem(system) {}

    // Shows the dialog modally in front of owner, opened at path; true on OK.
    bool Execute(HWND owner, const std::string& path, HFONT font);
    const std::string& ChosenPath() const { return FChosenPath; }

    // The chosen path and edtPath take path; the folder list opens at its deepest
    // existing folder.
    void SetPath(const std::string& path);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls(HWND owner, HFONT font);
    // The folder list shows folder's ancestors and its subfolders.
    void OpenFolder(const std::string& folder);
    void FillDrives();
    void btnOKClick();
    void btnCancelClick();
    void DirectoryListBoxChange();
    void DriveComboBoxChange();
    void EndDialog(bool ok);

    IInstallSystem& FSystem;
    std::string FChosenPath;
    std::string FFolder;              // the folder the list is open at
    std::vector<std::string> FPaths;  // full path of each list line
    bool FDone = false;
    bool FOk = false;
    HWND DriveComboBox = nullptr, DirectoryListBox = nullptr, edtPath = nullptr, btnOK = nullptr,
         btnCancel = nullptr;
};

} // namespace installer
} // namespace kf
