// The chooser seam: the wizard's file dialogs, its folder browser and the shell's "open". The program uses the
// platform's dialogs; tests put answers of their own in.
#pragma once

#include "builder/wizard/Dialogs.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kf {

class TChooser
{
public:
    virtual ~TChooser() = default;
    // The chosen file names (one per choice here), none when cancelled.
    virtual std::vector<std::string> RunFileDialog(HWND owner, const TFileDialogSetup& setup,
                                                   const std::string& initialName) = 0;
    virtual std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title) = 0;
    // The shell's "open" on a file, show state normal; the result is not examined.
    virtual void OpenWithShell(HWND owner, const std::string& fileName) = 0;
};

// GetOpenFileNameA / GetSaveFileNameA (sizeable, read-only box hidden, the platform's
// titles) and SHBrowseForFolderA (file-system folders only, rooted at the desktop).
class TSystemChooser : public TChooser
{
public:
    std::vector<std::string> RunFileDialog(HWND owner, const TFileDialogSetup& setup,
                                           const std::string& initialName) override;
    std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title) override;
    void OpenWithShell(HWND owner, const std::string& fileName) override;
};

// The OPENFILENAMEA flags for a dialog.
DWORD FileDialogFlags(const TFileDialogSetup& setup);

} // namespace kf
