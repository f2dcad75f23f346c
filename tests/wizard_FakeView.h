// A window-less TWizardView for the wizard's native tests: plain values, with the
// notification rules of the real window (a real text change notifies, a changed check
// state runs the click handler, selecting a radio button runs only its own handler).
#pragma once

#include "builder/wizard/Wizard.h"

#include <map>
#include <string>
#include <vector>

namespace kftest {

class TFakeView : public kf::TWizardView
{
public:
    using TCtl = kf::TCtl;

    kf::TWizard* Wizard = nullptr;
    std::vector<std::string> Log;     // one line per change the wizard made
    std::map<TCtl, std::string> Texts;
    std::map<TCtl, bool> Checks;
    std::map<TCtl, bool> Disabled;    // absent: enabled
    std::map<TCtl, bool> Hidden;      // absent: visible
    std::map<TCtl, bool> Red;
    int32_t Page = 0;
    int32_t FilesPage = 0;
    int32_t StartChoice = 0;
    int32_t FinishChoice = 0;
    int32_t BaseDir = 0;
    int32_t ColorTop = 4;
    int32_t ColorBottom = 0;
    int32_t Redraws = 0;
    std::vector<std::string> List;
    std::vector<bool> Selection;
    bool Closed = false;

    // Scripted answers of the dialogs, taken in order; an empty answer cancels.
    std::vector<std::vector<std::string>> DialogAnswers;
    std::vector<std::string> DialogLog; // "<name>:<initial name>"
    std::optional<std::string> FolderAnswer;
    std::vector<std::string> ErrorBoxes;
    std::vector<std::string> Opened;
    bool BuildResult = true;
    std::vector<std::pair<kf::TInstallSettings, std::string>> Builds;

    TFakeView()
    {
        // The window's initial state.
        for (TCtl c : {TCtl::FAppTitleEdit, TCtl::FDirEdit, TCtl::FStartMenuEdit, TCtl::FIconAppEdit})
            Texts[c] = "My Application";
        Texts[TCtl::FIconUninstallEdit] = "Uninstall My Application";
        Texts[TCtl::FIconWebsiteEdit] = "My Application Website";
        for (TCtl c : {TCtl::FMainEXECheckbox, TCtl::FLaunchCheckbox, TCtl::FNoFilesRadio, TCtl::FIconUninstallCheckbox,
                       TCtl::FIconDesktopCheckbox})
            Checks[c] = true;
        Disabled[TCtl::FIconWebsiteCheckbox] = true;
        Disabled[TCtl::FIconWebsiteEdit] = true;
        Hidden[TCtl::FFilesPageControl] = true;
        Hidden[TCtl::FEnterFullPathLabel] = true;
    }

    static std::string Name(TCtl c)
    {
        static const char* const kNames[] = {"FAppTitleLabel", "FAppTitleEdit", "FDirLabel", "FBaseDirectoryCombo", "FEnterFullPathLabel", "FProgramFilesLabel", "FDirEdit", "FFullDirLabel", "FDisableBrowseCheckbox", "FURLEdit", "FBitmapLabel", "FBitmapEdit", "FBrowseBitmapButton", "FColorGridTop", "FColorGridBottom", "FMainEXECheckbox", "FMainEXELabel", "FMainEXEEdit", "FMainEXEButton", "FLaunchCheckbox", "FNoFilesRadio", "FAddFilesRadio", "FDirImageRadio", "FFilesPageControl", "FFilesAddListbox", "FFilesAddButton", "FFilesRemButton", "FFilesDirLabel", "FFilesDirEdit", "FFilesDirButton", "FStartMenuLabel", "FStartMenuEdit", "FIconAppLabel", "FIconAppEdit", "FIconUninstallCheckbox", "FIconUninstallEdit", "FIconWebsiteCheckbox", "FIconWebsiteEdit", "FIconDesktopCheckbox", "FLicLabel", "FLicenseEdit", "FLicButton", "FReadmeLabel", "FReadmeEdit", "FReadmeButton", "FBackButton", "FNextButton", "FFinishButton", "FCancelButton", "FSaveButton", "FOKButton", "FStartRadioGroup", "FFinishRadioGroup"};
        static_assert(sizeof(kNames) / sizeof(kNames[0]) == size_t(TCtl::Count), "one name per control");
        return kNames[int(c)];
    }

    static bool IsEdit(TCtl c)
    {
        switch (c)
        {
        case TCtl::FAppTitleEdit: case TCtl::FDirEdit: case TCtl::FURLEdit: case TCtl::FBitmapEdit:
        case TCtl::FMainEXEEdit: case TCtl::FFilesDirEdit: case TCtl::FStartMenuEdit: case TCtl::FIconAppEdit:
        case TCtl::FIconUninstallEdit: case TCtl::FIconWebsiteEdit: case TCtl::FLicenseEdit: case TCtl::FReadmeEdit:
            return true;
        default: return false;
        }
    }
    static bool IsRadio(TCtl c)
    {
        return c == TCtl::FNoFilesRadio || c == TCtl::FAddFilesRadio || c == TCtl::FDirImageRadio;
    }

    // What an author does: type a whole new text (a real change notifies).
    void Type(TCtl c, const std::string& text) { SetText(c, text); }
    void Click(TCtl c)
    {
        if (IsRadio(c))
            SetChecked(c, true);
        else if (Checks.count(c) || c == TCtl::FDisableBrowseCheckbox || c == TCtl::FIconWebsiteCheckbox)
            SetChecked(c, !Checked(c));
        else
            Wizard->Clicked(c);
    }

    std::string Text(TCtl c) const override
    {
        auto it = Texts.find(c);
        return it == Texts.end() ? "" : it->second;
    }
    void SetText(TCtl c, const std::string& text) override
    {
        if (Text(c) == text)
            return;
        Texts[c] = text;
        Log.push_back("text " + Name(c) + "=" + text);
        if (IsEdit(c) && Wizard)
            Wizard->TextChanged(c);
    }
    bool Checked(TCtl c) const override
    {
        auto it = Checks.find(c);
        return it != Checks.end() && it->second;
    }
    void SetChecked(TCtl c, bool checked) override
    {
        if (Checked(c) == checked)
            return;
        if (IsRadio(c) && checked)
            for (TCtl other : {TCtl::FNoFilesRadio, TCtl::FAddFilesRadio, TCtl::FDirImageRadio})
                Checks[other] = false;
        Checks[c] = checked;
        Log.push_back("check " + Name(c) + "=" + (checked ? "1" : "0"));
        if (Wizard && (checked || !IsRadio(c)))
            Wizard->Clicked(c);
    }
    bool Enabled(TCtl c) const override { return !Disabled.count(c) || !Disabled.at(c); }
    void SetEnabled(TCtl c, bool enabled) override { Disabled[c] = !enabled; }
    bool Visible(TCtl c) const { return !Hidden.count(c) || !Hidden.at(c); }
    void SetVisible(TCtl c, bool visible) override
    {
        if (Visible(c) != visible)
            Log.push_back("visible " + Name(c) + "=" + (visible ? "1" : "0"));
        Hidden[c] = !visible;
    }
    void SetLabelRed(TCtl c, bool red) override { Red[c] = red; }
    bool IsRed(TCtl c) const { return Red.count(c) && Red.at(c); }

    int32_t ActivePage() const override { return Page; }
    void SetActivePage(int32_t page) override { Page = page; }
    void SetFilesPage(int32_t page) override { FilesPage = page; }
    int32_t RadioGroupIndex(TCtl group) const override
    {
        return group == TCtl::FStartRadioGroup ? StartChoice : FinishChoice;
    }
    int32_t BaseDirIndex() const override { return BaseDir; }
    void SelectBaseDir(int32_t index) override
    {
        if (BaseDir != index)
            Log.push_back("basedir=" + std::to_string(index));
        BaseDir = index;
    }
    int32_t ColorIndex(TCtl grid) const override { return grid == TCtl::FColorGridTop ? ColorTop : ColorBottom; }
    void SetColorIndex(TCtl grid, int32_t index) override
    {
        int32_t& slot = grid == TCtl::FColorGridTop ? ColorTop : ColorBottom;
        if (index < 0 || index > 15 || index == slot)
            return;
        slot = index;
        if (Wizard)
            Wizard->ColorChanged();
    }
    std::vector<std::string> Items() const override { return List; }
    void SetItems(const std::vector<std::string>& items) override
    {
        if (items != List)
            Log.push_back("items=" + std::to_string(items.size()));
        List = items;
        Selection.assign(List.size(), false);
    }
    void AppendItem(const std::string& item) override
    {
        List.push_back(item);
        Selection.push_back(false);
    }
    std::vector<bool> ItemSelection() const override { return Selection; }
    void DeleteItem(int32_t index) override
    {
        Log.push_back("delete " + std::to_string(index));
        List.erase(List.begin() + index);
        Selection.erase(Selection.begin() + index);
    }
    void FocusFirstControl() override { Log.push_back("focus"); }
    void KeepFocusOnScreen() override {}
    void RedrawPreview() override { ++Redraws; }
    void CloseWindow() override { Closed = true; }
    std::vector<std::string> RunFileDialog(const kf::TFileDialogSetup& setup, const std::string& initial) override
    {
        DialogLog.push_back(std::string(setup.Name) + ":" + initial);
        if (DialogAnswers.empty())
            return {};
        std::vector<std::string> answer = DialogAnswers.front();
        DialogAnswers.erase(DialogAnswers.begin());
        return answer;
    }
    std::optional<std::string> BrowseForFolder(const std::string& title) override
    {
        DialogLog.push_back("folder:" + title);
        return FolderAnswer;
    }
    void ShowErrorBox(const std::string& text, const std::string& caption) override
    {
        ErrorBoxes.push_back(caption + ": " + text);
    }
    void OpenWithShell(const std::string& fileName) override { Opened.push_back(fileName); }
    bool BuildSetup(const kf::TInstallSettings& settings, const std::string& output) override
    {
        Builds.push_back({settings, output});
        return BuildResult;
    }
};

} // namespace kftest
