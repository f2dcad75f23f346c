// The authoring wizard without its window: which page comes next, what the button bar
// shows, the page checks with their red labels, the fields that follow the title, the
// reset of a new installation and the moves between the controls and a script.
//
// TWizard holds the decisions; TWizardView is the window as TWizard sees it. The main
// window implements the view over its controls and calls TWizard's handlers from its
// notifications; tests implement it over plain values.
#pragma once

#include "builder/build/InstallSettings.h"
#include "builder/wizard/Dialogs.h"
#include "builder/wizard/FieldCheck.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kf {

// The controls TWizard addresses, by their names in the window.
enum class TCtl : int32_t
{
    // Info page
    FAppTitleLabel, FAppTitleEdit, FDirLabel, FBaseDirectoryCombo, FEnterFullPathLabel, FProgramFilesLabel,
    FDirEdit, FFullDirLabel, FDisableBrowseCheckbox, FURLEdit,
    // Appearance page
    FBitmapLabel, FBitmapEdit, FBrowseBitmapButton, FColorGridTop, FColorGridBottom,
    // Files page
    FMainEXECheckbox, FMainEXELabel, FMainEXEEdit, FMainEXEButton, FLaunchCheckbox, FNoFilesRadio, FAddFilesRadio,
    FDirImageRadio, FFilesPageControl, FFilesAddListbox, FFilesAddButton, FFilesRemButton, FFilesDirLabel,
    FFilesDirEdit, FFilesDirButton,
    // Icons page
    FStartMenuLabel, FStartMenuEdit, FIconAppLabel, FIconAppEdit, FIconUninstallCheckbox, FIconUninstallEdit,
    FIconWebsiteCheckbox, FIconWebsiteEdit, FIconDesktopCheckbox,
    // Licence page
    FLicLabel, FLicenseEdit, FLicButton, FReadmeLabel, FReadmeEdit, FReadmeButton,
    // Button bar
    FBackButton, FNextButton, FFinishButton, FCancelButton, FSaveButton, FOKButton,
    // Radio groups of the start and finish pages
    FStartRadioGroup, FFinishRadioGroup,
    Count
};

// What the five hand-edit marks and the title rule are about.
constexpr std::array<TCtl, 5> kMarkedFields = {TCtl::FDirEdit, TCtl::FStartMenuEdit, TCtl::FIconAppEdit,
                                               TCtl::FIconUninstallEdit, TCtl::FIconWebsiteEdit};

// The file choice of the Files page.
enum class TFilesMode : int32_t
{
    NoFiles,  // FNoFilesRadio
    AddFiles, // FAddFilesRadio
    DirImage, // FDirImageRadio
};

class TWizardView
{
public:
    virtual ~TWizardView() = default;

    // Edit texts and label captions. Setting the text a control already holds is no
    // change; a real change of an edit's text notifies TWizard::TextChanged.
    virtual std::string Text(TCtl ctl) const = 0;
    virtual void SetText(TCtl ctl, const std::string& text) = 0;
    // Check boxes and radio buttons. A change of state set here runs the control's click
    // handler (TWizard::Clicked); selecting a radio button unselects the others of its
    // group without running theirs.
    virtual bool Checked(TCtl ctl) const = 0;
    virtual void SetChecked(TCtl ctl, bool checked) = 0;
    virtual bool Enabled(TCtl ctl) const = 0;
    virtual void SetEnabled(TCtl ctl, bool enabled) = 0;
    virtual void SetVisible(TCtl ctl, bool visible) = 0;
    virtual void SetLabelRed(TCtl label, bool red) = 0;

    virtual int32_t ActivePage() const = 0;
    virtual void SetActivePage(int32_t page) = 0;
    virtual void SetFilesPage(int32_t page) = 0; // 0 the list, 1 the directory
    // The item index of a radio group (start or finish page).
    virtual int32_t RadioGroupIndex(TCtl group) const = 0;

    // The base-directory combo; selecting from here sends no change notification.
    virtual int32_t BaseDirIndex() const = 0;
    virtual void SelectBaseDir(int32_t index) = 0;
    // The colour grids' selected cells; a change notifies TWizard::ColorChanged.
    virtual int32_t ColorIndex(TCtl grid) const = 0;
    virtual void SetColorIndex(TCtl grid, int32_t index) = 0;

    // The added-files list.
    virtual std::vector<std::string> Items() const = 0;
    virtual void SetItems(const std::vector<std::string>& items) = 0;
    virtual void AppendItem(const std::string& item) = 0;
    virtual std::vector<bool> ItemSelection() const = 0;
    virtual void DeleteItem(int32_t index) = 0;

    virtual void FocusFirstControl() = 0;
    // When the focused control was hidden by a page change, the focus goes to the first
    // control; otherwise it stays where it is.
    virtual void KeepFocusOnScreen() = 0;
    virtual void RedrawPreview() = 0;
    virtual void CloseWindow() = 0;

    // The choosers; an empty result is a cancelled dialog. initialName is the name the
    // dialog starts with (its remembered one).
    virtual std::vector<std::string> RunFileDialog(const TFileDialogSetup& setup, const std::string& initialName) = 0;
    virtual std::optional<std::string> BrowseForFolder(const std::string& title) = 0;
    // An error message box: error icon, OK button.
    virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;
    // The shell's "open" on a file; the result is not examined.
    virtual void OpenWithShell(const std::string& fileName) = 0;
    // Writes the setup executable, showing the wait window meanwhile; true on success.
    virtual bool BuildSetup(const TInstallSettings& settings, const std::string& outputPath) = 0;
};

// The installation settings as the controls hold them.
TInstallSettings SettingsFromView(const TWizardView& view);

// The file choice after a script's "ADDFILES" or "ADDDIR" flag: on selects that choice
// ("ADDFILES" keeps precedence when a script has both on, as in the build's file set);
// off returns to "No Additional Files" when that choice was the selected one.
TFilesMode FilesModeAfterFlag(TFilesMode current, TSettingKey key, bool on);

// The indices to delete for a multi-selection, in deletion order: last to first, so
// earlier indices stay valid while deleting.
std::vector<int32_t> RemovalOrder(const std::vector<bool>& selected);

// Loaded script values go into the controls through here, so that they take effect as
// if typed: text changes notify, changed check states run click handlers.
class TControlsTarget : public TSettingsTarget
{
public:
    explicit TControlsTarget(TWizardView& view) : FView(view) {}
    void AssignText(TSettingKey key, const std::string& value) override;
    void AssignFlag(TSettingKey key, bool value) override;
    void AssignList(TSettingKey key, const std::vector<std::string>& value) override;
    void AssignIndex(TSettingKey key, int32_t value) override;

private:
    TWizardView& FView;
};

class TWizard
{
public:
    explicit TWizard(TWizardView& view) : FView(view) {}

    // The window's creation: the start page.
    void FormCreate() { ShowPage(kStartPageIndex); }

    void ShowPage(int32_t index);
    void ValidatePage();
    void ResetToDefaults();
    // Checks one edit field and colours label; true when valid.
    bool CheckField(TCtl edit, TCtl label, int32_t rule);

    // Button bar.
    void NextClicked();
    void BackClicked();
    void CancelClicked();
    void SaveClicked();
    void FinishClicked();
    void OKClicked();

    // Notifications of the window.
    void TextChanged(TCtl ctl);   // an edit's text changed
    void CharacterKey(TCtl ctl);  // a key press that produced a character in an edit
    void Clicked(TCtl ctl);       // check box, radio button or page button
    void BaseDirChanged() { ValidatePage(); }
    void ColorChanged() { FView.RedrawPreview(); }

    // Moves every setting between the controls and a script. LoadScript returns true in
    // every case; SaveScript raises the file error that stopped it.
    bool LoadScript(const std::string& fileName);
    void SaveScript(const std::string& fileName);

    bool Mark(TCtl field) const;
    void SetAllMarks(bool value);
    bool LabelRed(TCtl label) const { return FRed[static_cast<size_t>(label)]; }
    // The name each dialog starts with next time; for ExecSave the last output file.
    const std::string& DialogFileName(TDialogId id) const { return FFileNames[static_cast<size_t>(id)]; }

private:
    static constexpr int32_t kStartPageIndex = 0;

    void TitleChanged();
    void URLChanged();
    void SetFilesMode(TFilesMode mode);
    // Runs a chooser dialog; the chosen names, none when cancelled. Remembers the last.
    std::vector<std::string> Choose(TDialogId id);
    void ChooseInto(TDialogId id, TCtl edit);
    void Colour(TCtl label, bool red);

    TWizardView& FView;
    std::array<bool, kMarkedFields.size()> FMarks{};
    std::array<bool, static_cast<size_t>(TCtl::Count)> FRed{};
    std::array<std::string, kDialogCount> FFileNames;
};

} // namespace kf
