#include "builder/wizard/Wizard.h"

#include "builder/build/Script.h"
#include "builder/build/SetupBuilder.h"
#include "builder/wizard/Navigation.h"

#include <algorithm>

namespace kf {

namespace {

constexpr const char* kDefaultTitle = "My Application";
constexpr const char* kCustomBaseDir = "Custom";
constexpr const char* kCRootBaseDir = "%C ROOT%";

TCtl RadioFor(TFilesMode mode)
{
    switch (mode)
    {
    case TFilesMode::AddFiles: return TCtl::AddFilesRadio;
    case TFilesMode::DirImage: return TCtl::DirImageRadio;
    default: return TCtl::NoFilesRadio;
    }
}

TFilesMode CurrentFilesMode(const TWizardView& view)
{
    if (view.Checked(TCtl::AddFilesRadio))
        return TFilesMode::AddFiles;
    if (view.Checked(TCtl::DirImageRadio))
        return TFilesMode::DirImage;
    return TFilesMode::NoFiles;
}

// The edit field of a text setting.
TCtl TextControlFor(TSettingKey key)
{
    switch (key)
    {
    case TSettingKey::Title: return TCtl::AppTitleEdit;
    case TSettingKey::Dir: return TCtl::DirEdit;
    case TSettingKey::URL: return TCtl::URLEdit;
    case TSettingKey::Main: return TCtl::MainEXEEdit;
    case TSettingKey::AddDirText: return TCtl::FilesDirEdit;
    case TSettingKey::StartMenu: return TCtl::StartMenuEdit;
    case TSettingKey::IconUninstallText: return TCtl::IconUninstallEdit;
    case TSettingKey::IconWebsiteText: return TCtl::IconWebsiteEdit;
    case TSettingKey::IconAppText: return TCtl::IconAppEdit;
    case TSettingKey::License: return TCtl::LicenseEdit;
    case TSettingKey::Image: return TCtl::BitmapEdit;
    case TSettingKey::Readme: return TCtl::ReadmeEdit;
    default: return TCtl::Count;
    }
}

// The check box of a flag setting (the two file-mode flags are radio buttons).
TCtl FlagControlFor(TSettingKey key)
{
    switch (key)
    {
    case TSettingKey::Launch: return TCtl::LaunchCheckbox;
    case TSettingKey::IconUninstall: return TCtl::IconUninstallCheckbox;
    case TSettingKey::IconWebsite: return TCtl::IconWebsiteCheckbox;
    case TSettingKey::Desktop: return TCtl::IconDesktopCheckbox;
    case TSettingKey::BrowseDisable: return TCtl::DisableBrowseCheckbox;
    case TSettingKey::IncludeMainExe: return TCtl::MainEXECheckbox;
    default: return TCtl::Count;
    }
}

std::string BaseDirText(int32_t index)
{
    return index >= 0 && index < kBaseDirCount ? kBaseDirItems[static_cast<size_t>(index)] : "";
}

int32_t MarkSlot(TCtl field)
{
    auto it = std::find(kMarkedFields.begin(), kMarkedFields.end(), field);
    return it == kMarkedFields.end() ? -1 : static_cast<int32_t>(it - kMarkedFields.begin());
}

} // namespace

TInstallSettings SettingsFromView(const TWizardView& view)
{
    TInstallSettings s;
    s.Title = view.Text(TCtl::AppTitleEdit);
    s.Dir = view.Text(TCtl::DirEdit);
    s.URL = view.Text(TCtl::URLEdit);
    s.Main = view.Text(TCtl::MainEXEEdit);
    s.Launch = view.Checked(TCtl::LaunchCheckbox);
    s.AddFiles = view.Checked(TCtl::AddFilesRadio);
    s.AddDir = view.Checked(TCtl::DirImageRadio);
    s.AddFilesList = view.Items();
    s.AddDirText = view.Text(TCtl::FilesDirEdit);
    s.StartMenu = view.Text(TCtl::StartMenuEdit);
    s.IconUninstall = view.Checked(TCtl::IconUninstallCheckbox);
    s.IconWebsite = view.Checked(TCtl::IconWebsiteCheckbox);
    s.IconUninstallText = view.Text(TCtl::IconUninstallEdit);
    s.IconWebsiteText = view.Text(TCtl::IconWebsiteEdit);
    s.Desktop = view.Checked(TCtl::IconDesktopCheckbox);
    s.IconAppText = view.Text(TCtl::IconAppEdit);
    s.License = view.Text(TCtl::LicenseEdit);
    s.Image = view.Text(TCtl::BitmapEdit);
    s.ColorTop = view.ColorIndex(TCtl::ColorGridTop);
    s.ColorBottom = view.ColorIndex(TCtl::ColorGridBottom);
    s.BrowseDisable = view.Checked(TCtl::DisableBrowseCheckbox);
    s.IncludeMainExe = view.Checked(TCtl::MainEXECheckbox);
    s.Readme = view.Text(TCtl::ReadmeEdit);
    s.BaseDir = view.BaseDirIndex();
    return s;
}

TFilesMode FilesModeAfterFlag(TFilesMode current, TSettingKey key, bool on)
{
    // A script assigns "ADDFILES" before "ADDDIR", so at "ADDDIR" the current choice
    // already reflects the script's "ADDFILES".
    if (key == TSettingKey::AddFiles)
        return on ? TFilesMode::AddFiles : current == TFilesMode::AddFiles ? TFilesMode::NoFiles : current;
    if (key == TSettingKey::AddDir)
    {
        if (on)
            return current == TFilesMode::AddFiles ? TFilesMode::AddFiles : TFilesMode::DirImage;
        return current == TFilesMode::DirImage ? TFilesMode::NoFiles : current;
    }
    return current;
}

std::vector<int32_t> RemovalOrder(const std::vector<bool>& selected)
{
    std::vector<int32_t> order;
    for (int32_t i = static_cast<int32_t>(selected.size()) - 1; i >= 0; --i)
        if (selected[static_cast<size_t>(i)])
            order.push_back(i);
    return order;
}

void TControlsTarget::AssignText(TSettingKey key, const std::string& value)
{
    TCtl ctl = TextControlFor(key);
    if (ctl != TCtl::Count)
        FView.SetText(ctl, value);
}

void TControlsTarget::AssignFlag(TSettingKey key, bool value)
{
    if (key == TSettingKey::AddFiles || key == TSettingKey::AddDir)
    {
        // Radio buttons cannot be switched off one by one; the choice moves instead.
        FView.SetChecked(RadioFor(FilesModeAfterFlag(CurrentFilesMode(FView), key, value)), true);
        return;
    }
    TCtl ctl = FlagControlFor(key);
    if (ctl != TCtl::Count)
        FView.SetChecked(ctl, value);
}

void TControlsTarget::AssignList(TSettingKey key, const std::vector<std::string>& value)
{
    if (key == TSettingKey::AddFilesList)
        FView.SetItems(value);
}

void TControlsTarget::AssignIndex(TSettingKey key, int32_t value)
{
    if (key == TSettingKey::ColorTop)
        FView.SetColorIndex(TCtl::ColorGridTop, value);
    else if (key == TSettingKey::ColorBottom)
        FView.SetColorIndex(TCtl::ColorGridBottom, value);
    else if (key == TSettingKey::BaseDir)
        FView.SelectBaseDir(value);
}

void TWizard::ShowPage(int32_t index)
{
    int32_t page = PageAfterShow(FView.ActivePage(), index);
    if (page != FView.ActivePage())
        FView.SetActivePage(page);
    TButtonBar bar = ButtonBarFor(page);
    FView.SetVisible(TCtl::SaveButton, bar.Save);
    FView.SetVisible(TCtl::BackButton, bar.Back);
    FView.SetVisible(TCtl::NextButton, bar.Next);
    FView.SetVisible(TCtl::FinishButton, bar.Finish);
    FView.SetVisible(TCtl::OKButton, bar.OK);
    ValidatePage();
}

void TWizard::Colour(TCtl label, bool red)
{
    FRed[static_cast<size_t>(label)] = red;
    FView.SetLabelRed(label, red);
}

bool TWizard::CheckField(TCtl edit, TCtl label, int32_t rule)
{
    bool valid = CheckFieldText(FView.Text(edit), rule);
    Colour(label, !valid);
    return valid;
}

void TWizard::ValidatePage()
{
    bool next = true;
    switch (FView.ActivePage())
    {
    case kStartPage: FView.SetEnabled(TCtl::NextButton, true); return;
    case kInfoPage:
    {
        next = CheckField(TCtl::AppTitleEdit, TCtl::AppTitleLabel, ckRequired);
        std::string base = BaseDirText(FView.BaseDirIndex());
        std::string dir = FView.Text(TCtl::DirEdit);
        if (base != kCustomBaseDir)
        {
            std::string prefix = base == kCRootBaseDir ? "C:\\" : base + "\\";
            FView.SetText(TCtl::ProgramFilesLabel, prefix);
            FView.SetText(TCtl::FullDirLabel, prefix + dir + (dir.empty() ? "" : "\\"));
            FView.SetVisible(TCtl::EnterFullPathLabel, false);
            next = CheckField(TCtl::DirEdit, TCtl::DirLabel, ckRelativePath) && next;
        }
        else
        {
            FView.SetText(TCtl::ProgramFilesLabel, "");
            FView.SetText(TCtl::FullDirLabel, dir + "\\");
            FView.SetVisible(TCtl::EnterFullPathLabel, true);
            next = CheckField(TCtl::DirEdit, TCtl::DirLabel, ckFullPath) && next;
            Colour(TCtl::EnterFullPathLabel, LabelRed(TCtl::DirLabel));
        }
        Colour(TCtl::FullDirLabel, LabelRed(TCtl::DirLabel));
        break;
    }
    case kAppearancePage: next = CheckField(TCtl::BitmapEdit, TCtl::BitmapLabel, ckOptionalFile); break;
    case kFilesPage:
        // The check runs even while the executable is not installed, so its label shows.
        next = CheckField(TCtl::MainEXEEdit, TCtl::MainEXELabel, ckExistingFile) ||
               !FView.Checked(TCtl::MainEXECheckbox);
        if (FView.Checked(TCtl::DirImageRadio))
            next = CheckField(TCtl::FilesDirEdit, TCtl::FilesDirLabel, ckExistingDirectory) && next;
        break;
    case kIconsPage:
        next = CheckField(TCtl::StartMenuEdit, TCtl::StartMenuLabel, ckRequired);
        next = CheckField(TCtl::IconAppEdit, TCtl::IconAppLabel, ckRequired) && next;
        if (FView.Checked(TCtl::IconUninstallCheckbox))
            next = CheckField(TCtl::IconUninstallEdit, TCtl::IconUninstallCheckbox, ckRequired) && next;
        if (FView.Enabled(TCtl::IconWebsiteCheckbox) && FView.Checked(TCtl::IconWebsiteCheckbox))
            next = CheckField(TCtl::IconWebsiteEdit, TCtl::IconWebsiteCheckbox, ckRequired) && next;
        break;
    case kLicensePage:
    {
        bool licence = CheckField(TCtl::LicenseEdit, TCtl::LicLabel, ckOptionalFile);
        bool readme = CheckField(TCtl::ReadmeEdit, TCtl::ReadmeLabel, ckOptionalFile);
        FView.SetEnabled(TCtl::FinishButton, licence && readme);
        return;
    }
    default: return; // the finish page
    }
    FView.SetEnabled(TCtl::NextButton, next);
}

void TWizard::ResetToDefaults()
{
    // The marks go first, so that setting the title refills the dependent fields.
    FFileNames[static_cast<size_t>(TDialogId::KFSSave)].clear();
    SetAllMarks(false);
    FView.SetText(TCtl::AppTitleEdit, kDefaultTitle);
    FView.SetText(TCtl::URLEdit, "");
    FView.SetChecked(TCtl::MainEXECheckbox, true);
    FView.SetText(TCtl::MainEXEEdit, "");
    FView.SetChecked(TCtl::LaunchCheckbox, true);
    FView.SetChecked(TCtl::NoFilesRadio, true);
    FView.SetText(TCtl::FilesDirEdit, "");
    FView.SetChecked(TCtl::IconUninstallCheckbox, true);
    FView.SetChecked(TCtl::IconDesktopCheckbox, true);
    FView.SelectBaseDir(0);
    FView.SetVisible(TCtl::EnterFullPathLabel, false);
    FView.SetItems({});
}

void TWizard::NextClicked()
{
    int32_t page = FView.ActivePage();
    if (page == kStartPage)
    {
        int32_t choice = FView.RadioGroupIndex(TCtl::StartRadioGroup);
        if (choice == kCreateNewInstallation)
            ResetToDefaults();
        else if (choice == kOpenExistingInstallation)
        {
            std::vector<std::string> names = Choose(TDialogId::KFSOpen);
            if (names.empty() || !LoadScript(names.front()))
                return;
            // After the values are in, so that later title edits leave them alone.
            SetAllMarks(true);
        }
    }
    ShowPage(page + 1);
    FView.FocusFirstControl();
}

void TWizard::BackClicked() { ShowPage(FView.ActivePage() - 1); }

void TWizard::CancelClicked()
{
    if (FView.ActivePage() == kStartPage)
        FView.CloseWindow();
    else
        ShowPage(kStartPage);
}

void TWizard::SaveClicked()
{
    std::vector<std::string> names = Choose(TDialogId::KFSSave);
    if (!names.empty())
        SaveScript(names.front());
}

void TWizard::FinishClicked()
{
    // The title as typed, not trimmed.
    FFileNames[static_cast<size_t>(TDialogId::ExecSave)] = DefaultSetupFileName(FView.Text(TCtl::AppTitleEdit));
    std::vector<std::string> names = Choose(TDialogId::ExecSave);
    if (names.empty())
        return;
    if (FView.BuildSetup(SettingsFromView(FView), names.front()))
        ShowPage(kFinishPage);
    else
        FView.ShowErrorBox("Error creating installation.", "Error");
}

void TWizard::OKClicked()
{
    switch (FView.RadioGroupIndex(TCtl::FinishRadioGroup))
    {
    case kRunInstallation: FView.OpenWithShell(DialogFileName(TDialogId::ExecSave)); break;
    case kModifyInstallation: ShowPage(kInfoPage); break;
    case kSaveInstallationScript: SaveClicked(); break;
    // The fields are reset only when Next is pressed on the start page.
    case kNewInstallation: ShowPage(kStartPage); break;
    case kQuit: FView.CloseWindow(); break;
    default: break;
    }
}

void TWizard::TextChanged(TCtl ctl)
{
    switch (ctl)
    {
    case TCtl::AppTitleEdit: TitleChanged(); break;
    case TCtl::URLEdit: URLChanged(); break;
    case TCtl::DirEdit:
    case TCtl::BitmapEdit:
    case TCtl::MainEXEEdit:
    case TCtl::FilesDirEdit:
    case TCtl::StartMenuEdit:
    case TCtl::IconAppEdit:
    case TCtl::IconUninstallEdit:
    case TCtl::IconWebsiteEdit:
    case TCtl::LicenseEdit:
    case TCtl::ReadmeEdit: ValidatePage(); break;
    default: break;
    }
}

void TWizard::TitleChanged()
{
    ValidatePage();
    std::string title = FView.Text(TCtl::AppTitleEdit);
    if (!Mark(TCtl::DirEdit))
        FView.SetText(TCtl::DirEdit, title);
    if (!Mark(TCtl::StartMenuEdit))
        FView.SetText(TCtl::StartMenuEdit, title);
    if (!Mark(TCtl::IconAppEdit))
        FView.SetText(TCtl::IconAppEdit, title);
    if (!Mark(TCtl::IconUninstallEdit))
        FView.SetText(TCtl::IconUninstallEdit, "Uninstall " + title);
    if (!Mark(TCtl::IconWebsiteEdit))
        FView.SetText(TCtl::IconWebsiteEdit, title + " Website");
}

void TWizard::URLChanged()
{
    bool given = !CheckedText(FView.Text(TCtl::URLEdit)).empty();
    FView.SetEnabled(TCtl::IconWebsiteCheckbox, given);
    // Every change of a non-empty address checks the website icon again.
    FView.SetChecked(TCtl::IconWebsiteCheckbox, FView.Enabled(TCtl::IconWebsiteCheckbox));
}

void TWizard::CharacterKey(TCtl ctl)
{
    int32_t slot = MarkSlot(ctl);
    if (slot >= 0)
        FMarks[static_cast<size_t>(slot)] = true;
}

void TWizard::SetFilesMode(TFilesMode mode)
{
    FView.SetVisible(TCtl::FilesPageControl, mode != TFilesMode::NoFiles);
    if (mode != TFilesMode::NoFiles)
        FView.SetFilesPage(mode == TFilesMode::AddFiles ? 0 : 1);
    ValidatePage();
}

void TWizard::Clicked(TCtl ctl)
{
    switch (ctl)
    {
    case TCtl::MainEXECheckbox:
    {
        bool on = FView.Checked(TCtl::MainEXECheckbox);
        for (TCtl c : {TCtl::MainEXELabel, TCtl::MainEXEEdit, TCtl::MainEXEButton, TCtl::LaunchCheckbox,
                       TCtl::IconAppLabel, TCtl::IconAppEdit, TCtl::IconDesktopCheckbox})
            FView.SetEnabled(c, on);
        ValidatePage();
        break;
    }
    case TCtl::IconUninstallCheckbox:
        FView.SetEnabled(TCtl::IconUninstallEdit, FView.Checked(TCtl::IconUninstallCheckbox));
        ValidatePage();
        break;
    case TCtl::IconWebsiteCheckbox:
        FView.SetEnabled(TCtl::IconWebsiteEdit, FView.Checked(TCtl::IconWebsiteCheckbox));
        ValidatePage();
        break;
    case TCtl::NoFilesRadio: SetFilesMode(TFilesMode::NoFiles); break;
    case TCtl::AddFilesRadio: SetFilesMode(TFilesMode::AddFiles); break;
    case TCtl::DirImageRadio: SetFilesMode(TFilesMode::DirImage); break;
    case TCtl::MainEXEButton: ChooseInto(TDialogId::EXEOpen, TCtl::MainEXEEdit); break;
    case TCtl::LicButton: ChooseInto(TDialogId::LicOpen, TCtl::LicenseEdit); break;
    case TCtl::ReadmeButton: ChooseInto(TDialogId::ReadmeOpen, TCtl::ReadmeEdit); break;
    case TCtl::BrowseBitmapButton: ChooseInto(TDialogId::ImageOpen, TCtl::BitmapEdit); break;
    case TCtl::FilesAddButton:
        // In the dialog's order, duplicates kept, unsorted.
        for (const std::string& name : Choose(TDialogId::FilesAddOpen))
            FView.AppendItem(name);
        break;
    case TCtl::FilesRemButton:
        for (int32_t index : RemovalOrder(FView.ItemSelection()))
            FView.DeleteItem(index);
        break;
    case TCtl::FilesDirButton:
        if (std::optional<std::string> folder = FView.BrowseForFolder(kSelectDirectoryTitle))
            FView.SetText(TCtl::FilesDirEdit, *folder);
        break;
    case TCtl::NextButton: NextClicked(); break;
    case TCtl::BackButton: BackClicked(); break;
    case TCtl::CancelButton: CancelClicked(); break;
    case TCtl::SaveButton: SaveClicked(); break;
    case TCtl::FinishButton: FinishClicked(); break;
    case TCtl::OKButton: OKClicked(); break;
    default: break; // FLaunchCheckbox, FDisableBrowseCheckbox, FIconDesktopCheckbox: no handler
    }
}

std::vector<std::string> TWizard::Choose(TDialogId id)
{
    std::string& remembered = FFileNames[static_cast<size_t>(id)];
    std::vector<std::string> names = FView.RunFileDialog(DialogSpec(id), remembered);
    if (!names.empty())
        remembered = names.back();
    return names;
}

void TWizard::ChooseInto(TDialogId id, TCtl edit)
{
    std::vector<std::string> names = Choose(id);
    if (!names.empty())
        FView.SetText(edit, names.front());
}

bool TWizard::LoadScript(const std::string& fileName)
{
    TControlsTarget target(FView);
    return kf::LoadScript(fileName, target);
}

void TWizard::SaveScript(const std::string& fileName) { kf::SaveScript(fileName, SettingsFromView(FView)); }

bool TWizard::Mark(TCtl field) const
{
    int32_t slot = MarkSlot(field);
    return slot >= 0 && FMarks[static_cast<size_t>(slot)];
}

void TWizard::SetAllMarks(bool value) { FMarks.fill(value); }

} // namespace kf
