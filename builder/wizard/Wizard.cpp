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
    case TFilesMode::AddFiles: return TCtl::FAddFilesRadio;
    case TFilesMode::DirImage: return TCtl::FDirImageRadio;
    default: return TCtl::FNoFilesRadio;
    }
}

TFilesMode CurrentFilesMode(const TWizardView& view)
{
    if (view.Checked(TCtl::FAddFilesRadio))
        return TFilesMode::AddFiles;
    if (view.Checked(TCtl::FDirImageRadio))
        return TFilesMode::DirImage;
    return TFilesMode::NoFiles;
}

// The edit field of a text setting.
TCtl TextControlFor(TSettingKey key)
{
    switch (key)
    {
    case TSettingKey::Title: return TCtl::FAppTitleEdit;
    case TSettingKey::Dir: return TCtl::FDirEdit;
    case TSettingKey::URL: return TCtl::FURLEdit;
    case TSettingKey::Main: return TCtl::FMainEXEEdit;
    case TSettingKey::AddDirText: return TCtl::FFilesDirEdit;
    case TSettingKey::StartMenu: return TCtl::FStartMenuEdit;
    case TSettingKey::IconUninstallText: return TCtl::FIconUninstallEdit;
    case TSettingKey::IconWebsiteText: return TCtl::FIconWebsiteEdit;
    case TSettingKey::IconAppText: return TCtl::FIconAppEdit;
    case TSettingKey::License: return TCtl::FLicenseEdit;
    case TSettingKey::Image: return TCtl::FBitmapEdit;
    case TSettingKey::Readme: return TCtl::FReadmeEdit;
    default: return TCtl::Count;
    }
}

// The check box of a flag setting (the two file-mode flags are radio buttons).
TCtl FlagControlFor(TSettingKey key)
{
    switch (key)
    {
    case TSettingKey::Launch: return TCtl::FLaunchCheckbox;
    case TSettingKey::IconUninstall: return TCtl::FIconUninstallCheckbox;
    case TSettingKey::IconWebsite: return TCtl::FIconWebsiteCheckbox;
    case TSettingKey::Desktop: return TCtl::FIconDesktopCheckbox;
    case TSettingKey::BrowseDisable: return TCtl::FDisableBrowseCheckbox;
    case TSettingKey::IncludeMainExe: return TCtl::FMainEXECheckbox;
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
    s.Title = view.Text(TCtl::FAppTitleEdit);
    s.Dir = view.Text(TCtl::FDirEdit);
    s.URL = view.Text(TCtl::FURLEdit);
    s.Main = view.Text(TCtl::FMainEXEEdit);
    s.Launch = view.Checked(TCtl::FLaunchCheckbox);
    s.AddFiles = view.Checked(TCtl::FAddFilesRadio);
    s.AddDir = view.Checked(TCtl::FDirImageRadio);
    s.AddFilesList = view.Items();
    s.AddDirText = view.Text(TCtl::FFilesDirEdit);
    s.StartMenu = view.Text(TCtl::FStartMenuEdit);
    s.IconUninstall = view.Checked(TCtl::FIconUninstallCheckbox);
    s.IconWebsite = view.Checked(TCtl::FIconWebsiteCheckbox);
    s.IconUninstallText = view.Text(TCtl::FIconUninstallEdit);
    s.IconWebsiteText = view.Text(TCtl::FIconWebsiteEdit);
    s.Desktop = view.Checked(TCtl::FIconDesktopCheckbox);
    s.IconAppText = view.Text(TCtl::FIconAppEdit);
    s.License = view.Text(TCtl::FLicenseEdit);
    s.Image = view.Text(TCtl::FBitmapEdit);
    s.ColorTop = view.ColorIndex(TCtl::FColorGridTop);
    s.ColorBottom = view.ColorIndex(TCtl::FColorGridBottom);
    s.BrowseDisable = view.Checked(TCtl::FDisableBrowseCheckbox);
    s.IncludeMainExe = view.Checked(TCtl::FMainEXECheckbox);
    s.Readme = view.Text(TCtl::FReadmeEdit);
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
        FView.SetColorIndex(TCtl::FColorGridTop, value);
    else if (key == TSettingKey::ColorBottom)
        FView.SetColorIndex(TCtl::FColorGridBottom, value);
    else if (key == TSettingKey::BaseDir)
        FView.SelectBaseDir(value);
}

void TWizard::ShowPage(int32_t index)
{
    int32_t page = PageAfterShow(FView.ActivePage(), index);
    if (page != FView.ActivePage())
        FView.SetActivePage(page);
    TButtonBar bar = ButtonBarFor(page);
    FView.SetVisible(TCtl::FSaveButton, bar.Save);
    FView.SetVisible(TCtl::FBackButton, bar.Back);
    FView.SetVisible(TCtl::FNextButton, bar.Next);
    FView.SetVisible(TCtl::FFinishButton, bar.Finish);
    FView.SetVisible(TCtl::FOKButton, bar.OK);
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
    case kStartPage: FView.SetEnabled(TCtl::FNextButton, true); return;
    case kInfoPage:
    {
        next = CheckField(TCtl::FAppTitleEdit, TCtl::FAppTitleLabel, ckRequired);
        std::string base = BaseDirText(FView.BaseDirIndex());
        std::string dir = FView.Text(TCtl::FDirEdit);
        if (base != kCustomBaseDir)
        {
            std::string prefix = base == kCRootBaseDir ? "C:\\" : base + "\\";
            FView.SetText(TCtl::FProgramFilesLabel, prefix);
            FView.SetText(TCtl::FFullDirLabel, prefix + dir + (dir.empty() ? "" : "\\"));
            FView.SetVisible(TCtl::FEnterFullPathLabel, false);
            next = CheckField(TCtl::FDirEdit, TCtl::FDirLabel, ckRelativePath) && next;
        }
        else
        {
            FView.SetText(TCtl::FProgramFilesLabel, "");
            FView.SetText(TCtl::FFullDirLabel, dir + "\\");
            FView.SetVisible(TCtl::FEnterFullPathLabel, true);
            next = CheckField(TCtl::FDirEdit, TCtl::FDirLabel, ckFullPath) && next;
            Colour(TCtl::FEnterFullPathLabel, LabelRed(TCtl::FDirLabel));
        }
        Colour(TCtl::FFullDirLabel, LabelRed(TCtl::FDirLabel));
        break;
    }
    case kAppearancePage: next = CheckField(TCtl::FBitmapEdit, TCtl::FBitmapLabel, ckOptionalFile); break;
    case kFilesPage:
        // The check runs even while the executable is not installed, so its label shows.
        next = CheckField(TCtl::FMainEXEEdit, TCtl::FMainEXELabel, ckExistingFile) ||
               !FView.Checked(TCtl::FMainEXECheckbox);
        if (FView.Checked(TCtl::FDirImageRadio))
            next = CheckField(TCtl::FFilesDirEdit, TCtl::FFilesDirLabel, ckExistingDirectory) && next;
        break;
    case kIconsPage:
        next = CheckField(TCtl::FStartMenuEdit, TCtl::FStartMenuLabel, ckRequired);
        next = CheckField(TCtl::FIconAppEdit, TCtl::FIconAppLabel, ckRequired) && next;
        if (FView.Checked(TCtl::FIconUninstallCheckbox))
            next = CheckField(TCtl::FIconUninstallEdit, TCtl::FIconUninstallCheckbox, ckRequired) && next;
        if (FView.Enabled(TCtl::FIconWebsiteCheckbox) && FView.Checked(TCtl::FIconWebsiteCheckbox))
            next = CheckField(TCtl::FIconWebsiteEdit, TCtl::FIconWebsiteCheckbox, ckRequired) && next;
        break;
    case kLicensePage:
    {
        bool licence = CheckField(TCtl::FLicenseEdit, TCtl::FLicLabel, ckOptionalFile);
        bool readme = CheckField(TCtl::FReadmeEdit, TCtl::FReadmeLabel, ckOptionalFile);
        FView.SetEnabled(TCtl::FFinishButton, licence && readme);
        return;
    }
    default: return; // the finish page
    }
    FView.SetEnabled(TCtl::FNextButton, next);
}

void TWizard::ResetToDefaults()
{
    // The marks go first, so that setting the title refills the dependent fields.
    FFileNames[static_cast<size_t>(TDialogId::KFSSave)].clear();
    SetAllMarks(false);
    FView.SetText(TCtl::FAppTitleEdit, kDefaultTitle);
    FView.SetText(TCtl::FURLEdit, "");
    FView.SetChecked(TCtl::FMainEXECheckbox, true);
    FView.SetText(TCtl::FMainEXEEdit, "");
    FView.SetChecked(TCtl::FLaunchCheckbox, true);
    FView.SetChecked(TCtl::FNoFilesRadio, true);
    FView.SetText(TCtl::FFilesDirEdit, "");
    FView.SetChecked(TCtl::FIconUninstallCheckbox, true);
    FView.SetChecked(TCtl::FIconDesktopCheckbox, true);
    FView.SelectBaseDir(0);
    FView.SetVisible(TCtl::FEnterFullPathLabel, false);
    FView.SetItems({});
}

void TWizard::NextClicked()
{
    int32_t page = FView.ActivePage();
    if (page == kStartPage)
    {
        int32_t choice = FView.RadioGroupIndex(TCtl::FStartRadioGroup);
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

void TWizard::BackClicked()
{
    ShowPage(FView.ActivePage() - 1);
    // Back itself is hidden on the Info page; the focus must not stay on a hidden button.
    FView.KeepFocusOnScreen();
}

void TWizard::CancelClicked()
{
    if (FView.ActivePage() == kStartPage)
        FView.CloseWindow();
    else
    {
        ShowPage(kStartPage);
        FView.KeepFocusOnScreen();
    }
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
    FFileNames[static_cast<size_t>(TDialogId::ExecSave)] = DefaultSetupFileName(FView.Text(TCtl::FAppTitleEdit));
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
    switch (FView.RadioGroupIndex(TCtl::FFinishRadioGroup))
    {
    case kRunInstallation: FView.OpenWithShell(DialogFileName(TDialogId::ExecSave)); break;
    case kModifyInstallation:
        ShowPage(kInfoPage);
        FView.KeepFocusOnScreen();
        break;
    case kSaveInstallationScript: SaveClicked(); break;
    // The fields are reset only when Next is pressed on the start page.
    case kNewInstallation:
        ShowPage(kStartPage);
        FView.KeepFocusOnScreen();
        break;
    case kQuit: FView.CloseWindow(); break;
    default: break;
    }
}

void TWizard::TextChanged(TCtl ctl)
{
    switch (ctl)
    {
    case TCtl::FAppTitleEdit: TitleChanged(); break;
    case TCtl::FURLEdit: URLChanged(); break;
    case TCtl::FDirEdit:
    case TCtl::FBitmapEdit:
    case TCtl::FMainEXEEdit:
    case TCtl::FFilesDirEdit:
    case TCtl::FStartMenuEdit:
    case TCtl::FIconAppEdit:
    case TCtl::FIconUninstallEdit:
    case TCtl::FIconWebsiteEdit:
    case TCtl::FLicenseEdit:
    case TCtl::FReadmeEdit: ValidatePage(); break;
    default: break;
    }
}

void TWizard::TitleChanged()
{
    ValidatePage();
    std::string title = FView.Text(TCtl::FAppTitleEdit);
    if (!Mark(TCtl::FDirEdit))
        FView.SetText(TCtl::FDirEdit, title);
    if (!Mark(TCtl::FStartMenuEdit))
        FView.SetText(TCtl::FStartMenuEdit, title);
    if (!Mark(TCtl::FIconAppEdit))
        FView.SetText(TCtl::FIconAppEdit, title);
    if (!Mark(TCtl::FIconUninstallEdit))
        FView.SetText(TCtl::FIconUninstallEdit, "Uninstall " + title);
    if (!Mark(TCtl::FIconWebsiteEdit))
        FView.SetText(TCtl::FIconWebsiteEdit, title + " Website");
}

void TWizard::URLChanged()
{
    bool given = !CheckedText(FView.Text(TCtl::FURLEdit)).empty();
    FView.SetEnabled(TCtl::FIconWebsiteCheckbox, given);
    // Every change of a non-empty address checks the website icon again.
    FView.SetChecked(TCtl::FIconWebsiteCheckbox, FView.Enabled(TCtl::FIconWebsiteCheckbox));
}

void TWizard::CharacterKey(TCtl ctl)
{
    int32_t slot = MarkSlot(ctl);
    if (slot >= 0)
        FMarks[static_cast<size_t>(slot)] = true;
}

void TWizard::SetFilesMode(TFilesMode mode)
{
    FView.SetVisible(TCtl::FFilesPageControl, mode != TFilesMode::NoFiles);
    if (mode != TFilesMode::NoFiles)
        FView.SetFilesPage(mode == TFilesMode::AddFiles ? 0 : 1);
    ValidatePage();
}

void TWizard::Clicked(TCtl ctl)
{
    switch (ctl)
    {
    case TCtl::FMainEXECheckbox:
    {
        bool on = FView.Checked(TCtl::FMainEXECheckbox);
        for (TCtl c : {TCtl::FMainEXELabel, TCtl::FMainEXEEdit, TCtl::FMainEXEButton, TCtl::FLaunchCheckbox,
                       TCtl::FIconAppLabel, TCtl::FIconAppEdit, TCtl::FIconDesktopCheckbox})
            FView.SetEnabled(c, on);
        ValidatePage();
        break;
    }
    case TCtl::FIconUninstallCheckbox:
        FView.SetEnabled(TCtl::FIconUninstallEdit, FView.Checked(TCtl::FIconUninstallCheckbox));
        ValidatePage();
        break;
    case TCtl::FIconWebsiteCheckbox:
        FView.SetEnabled(TCtl::FIconWebsiteEdit, FView.Checked(TCtl::FIconWebsiteCheckbox));
        ValidatePage();
        break;
    case TCtl::FNoFilesRadio: SetFilesMode(TFilesMode::NoFiles); break;
    case TCtl::FAddFilesRadio: SetFilesMode(TFilesMode::AddFiles); break;
    case TCtl::FDirImageRadio: SetFilesMode(TFilesMode::DirImage); break;
    case TCtl::FMainEXEButton: ChooseInto(TDialogId::EXEOpen, TCtl::FMainEXEEdit); break;
    case TCtl::FLicButton: ChooseInto(TDialogId::LicOpen, TCtl::FLicenseEdit); break;
    case TCtl::FReadmeButton: ChooseInto(TDialogId::ReadmeOpen, TCtl::FReadmeEdit); break;
    case TCtl::FBrowseBitmapButton: ChooseInto(TDialogId::ImageOpen, TCtl::FBitmapEdit); break;
    case TCtl::FFilesAddButton:
        // In the dialog's order, duplicates kept, unsorted.
        for (const std::string& name : Choose(TDialogId::FilesAddOpen))
            FView.AppendItem(name);
        break;
    case TCtl::FFilesRemButton:
        for (int32_t index : RemovalOrder(FView.ItemSelection()))
            FView.DeleteItem(index);
        break;
    case TCtl::FFilesDirButton:
        if (std::optional<std::string> folder = FView.BrowseForFolder(kSelectDirectoryTitle))
            FView.SetText(TCtl::FFilesDirEdit, *folder);
        break;
    case TCtl::FNextButton: NextClicked(); break;
    case TCtl::FBackButton: BackClicked(); break;
    case TCtl::FCancelButton: CancelClicked(); break;
    case TCtl::FSaveButton: SaveClicked(); break;
    case TCtl::FFinishButton: FinishClicked(); break;
    case TCtl::FOKButton: OKClicked(); break;
    default: break; // FLaunchCheckbox, FDisableBrowseCheckbox, FIconDesktopCheckbox: no handler
    }
}

std::vector<std::string> TWizard::Choose(TDialogId id)
{
    std::string& remembered = FFileNames[static_cast<size_t>(id)];
    std::vector<std::string> names = FView.RunFileDialog(DialogSetup(id), remembered);
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
