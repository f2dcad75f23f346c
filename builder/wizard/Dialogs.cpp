#include "builder/wizard/Dialogs.h"

#include <array>

namespace kf {

namespace {

constexpr const char* kScriptFilter = "Kitforge Script (*.kfs)|*.kfs";
constexpr const char* kDocumentFilter = "All valid formats (*.txt,*.rtf)|*.txt;*.rtf|Rich Text Format (*.rtf)|*.rtf|"
                                        "Plain text file (*.txt)|*.txt|All Files (*.*)|*.*";

const std::array<TFileDialogSetup, kDialogCount> kDialogs = {{
    {TDialogId::KFSOpen, "FKFSOpenDialog", false, kScriptFilter, "", true, false},
    {TDialogId::KFSSave, "FKFSSaveDialog", true, kScriptFilter, "kfs", false, true},
    {TDialogId::ExecSave, "FExecSaveDialog", true, "Installation Executable (*.exe)|*.exe", "exe", false, true},
    {TDialogId::EXEOpen, "FEXEOpenDialog", false, "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*", "", true, false},
    {TDialogId::FilesAddOpen, "FFilesAddOpenDialog", false, "All Files (*.*)|*.*", "", true, false},
    {TDialogId::LicOpen, "FLicOpenDialog", false, kDocumentFilter, "", true, false},
    // The page check, not the dialog, insists that the readme exists.
    {TDialogId::ReadmeOpen, "FReadmeOpenDialog", false, kDocumentFilter, "", false, false},
    {TDialogId::ImageOpen, "FImageOpenDialog", false, "Windows Bitmap Files (*.bmp)|*.BMP", "", true, false},
}};

} // namespace

const TFileDialogSetup& DialogSetup(TDialogId id) { return kDialogs[static_cast<size_t>(id)]; }

std::string PlatformFilter(const char* filter)
{
    std::string result;
    for (const char* p = filter; *p; ++p)
        result += *p == '|' ? '\0' : *p;
    result += '\0';
    result += '\0';
    return result;
}

} // namespace kf
