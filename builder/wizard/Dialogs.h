// The file dialogs and the folder browser of the wizard, described as data so that the
// window shows the platform dialogs from them and tests can replace the dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

enum class TDialogId : int32_t
{
    KFSOpen,       // FKFSOpenDialog
    KFSSave,       // FKFSSaveDialog
    ExecSave,      // FExecSaveDialog
    EXEOpen,       // FEXEOpenDialog
    FilesAddOpen,  // FFilesAddOpenDialog
    LicOpen,       // FLicOpenDialog
    ReadmeOpen,    // FReadmeOpenDialog
    ImageOpen,     // FImageOpenDialog
};
constexpr int32_t kDialogCount = 8;

struct TFileDialogSetup
{
    TDialogId Id;
    const char* Name;         // the component's name, for messages and tests
    bool Save;                // save dialog (else open)
    const char* Filter;       // "Description|pattern|Description|pattern..."
    const char* DefaultExt;   // "" for none
    bool MustExist;           // the chosen file must exist
    bool OverwritePrompt;     // ask before replacing an existing file
};
// Every dialog is sizeable, hides the read-only box and uses the platform's own title.

const TFileDialogSetup& DialogSetup(TDialogId id);

// The filter in the platform's form: pairs of NUL-terminated strings, ending in a
// second NUL ("A|*.a" gives "A\0*.a\0\0").
std::string PlatformFilter(const char* filter);

// The folder browser of "Use Directory Image".
constexpr const char* kSelectDirectoryTitle = "Select directory to install";

} // namespace kf
