// The wizard's behaviour over a window-less view: navigation, the title and URL rules,
// the reset, the page checks and the moves between the controls and a script.
#include "TestSupport.h"
#include "builder/build/Script.h"
#include "platform/Error.h"
#include "builder/wizard/Navigation.h"
#include "wizard_FakeView.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace kf;
using kftest::TFakeView;

class WizardFlow : public ::testing::Test
{
protected:
    WizardFlow() : Wizard(View)
    {
        View.Wizard = &Wizard;
        Wizard.FormCreate();
    }
    // Start page, "Create New Installation", Next.
    void StartNew()
    {
        View.StartChoice = kCreateNewInstallation;
        Wizard.NextClicked();
    }
    void GoTo(int32_t page) { Wizard.ShowPage(page); }
    bool NextOn() const { return View.Enabled(TCtl::FNextButton); }

    TFakeView View;
    TWizard Wizard;
};

TEST_F(WizardFlow, StartsOnTheStartPageWithOnlyNextAndCancel)
{
    EXPECT_EQ(View.Page, kStartPage);
    EXPECT_TRUE(View.Visible(TCtl::FNextButton));
    EXPECT_TRUE(NextOn());
    EXPECT_TRUE(View.Visible(TCtl::FCancelButton));
    for (TCtl hidden : {TCtl::FBackButton, TCtl::FSaveButton, TCtl::FFinishButton, TCtl::FOKButton})
        EXPECT_FALSE(View.Visible(hidden));
}

TEST_F(WizardFlow, CancelClosesOnTheStartPageAndReturnsToItElsewhereKeepingFields)
{
    StartNew();
    View.Type(TCtl::FURLEdit, "example.org");
    for (int32_t page = kInfoPage; page <= kFinishPage; ++page)
    {
        GoTo(page);
        Wizard.CancelClicked();
        EXPECT_EQ(View.Page, kStartPage) << page;
        EXPECT_FALSE(View.Closed);
    }
    EXPECT_EQ(View.Text(TCtl::FURLEdit), "example.org");
    Wizard.CancelClicked();
    EXPECT_TRUE(View.Closed);
}

TEST_F(WizardFlow, NextBackAndShowPageOutOfRange)
{
    StartNew();
    EXPECT_EQ(View.Page, kInfoPage);
    EXPECT_FALSE(View.Visible(TCtl::FBackButton));
    EXPECT_EQ(View.Log.back(), "focus");
    Wizard.NextClicked();
    EXPECT_EQ(View.Page, kAppearancePage);
    Wizard.BackClicked();
    EXPECT_EQ(View.Page, kInfoPage);
    GoTo(kLicensePage);
    View.SetVisible(TCtl::FNextButton, true);
    Wizard.ShowPage(9); // keeps the page, still updates the buttons
    EXPECT_EQ(View.Page, kLicensePage);
    EXPECT_FALSE(View.Visible(TCtl::FNextButton));
    EXPECT_TRUE(View.Visible(TCtl::FFinishButton));
}

TEST_F(WizardFlow, TitleRuleFollowsUntilAFieldIsTypedInto)
{
    StartNew();
    View.Type(TCtl::FAppTitleEdit, "Foo");
    EXPECT_EQ(View.Text(TCtl::FDirEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::FStartMenuEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::FIconAppEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::FIconUninstallEdit), "Uninstall Foo");
    EXPECT_EQ(View.Text(TCtl::FIconWebsiteEdit), "Foo Website");
    EXPECT_EQ(View.Text(TCtl::FFullDirLabel), "%PROGRAM FILES%\\Foo\\");
    // One character key in the Start-menu field, even one that changes nothing.
    Wizard.CharacterKey(TCtl::FStartMenuEdit);
    View.Type(TCtl::FAppTitleEdit, " Bar ");
    EXPECT_EQ(View.Text(TCtl::FStartMenuEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::FDirEdit), " Bar "); // as typed, not trimmed
    EXPECT_EQ(View.Text(TCtl::FIconWebsiteEdit), " Bar  Website");
    // Text set by the program sets no mark.
    View.SetText(TCtl::FIconAppEdit, "set");
    View.Type(TCtl::FAppTitleEdit, "Baz");
    EXPECT_EQ(View.Text(TCtl::FIconAppEdit), "Baz");
    EXPECT_TRUE(Wizard.Mark(TCtl::FStartMenuEdit));
    EXPECT_FALSE(Wizard.Mark(TCtl::FIconAppEdit));
    Wizard.CharacterKey(TCtl::FAppTitleEdit); // the title has no mark
    EXPECT_FALSE(Wizard.Mark(TCtl::FDirEdit));
}

TEST_F(WizardFlow, ResetRunsInItsOrderAndKeepsWhatItDoesNotList)
{
    StartNew();
    View.Type(TCtl::FAppTitleEdit, "Old");
    View.Type(TCtl::FURLEdit, "old.example");
    View.Click(TCtl::FDisableBrowseCheckbox);
    View.Click(TCtl::FMainEXECheckbox);
    View.Click(TCtl::FLaunchCheckbox);
    View.Click(TCtl::FDirImageRadio);
    View.Click(TCtl::FIconUninstallCheckbox);
    View.Type(TCtl::FBitmapEdit, "w.bmp");
    View.Type(TCtl::FLicenseEdit, "l.txt");
    View.SetColorIndex(TCtl::FColorGridTop, 9);
    View.BaseDir = 6;
    View.List = {"a", "b"};
    View.FinishChoice = kQuit;
    Wizard.CharacterKey(TCtl::FDirEdit);
    kftest::TTempDir dir;
    View.DialogAnswers = {{dir / "old.kfs"}};
    Wizard.SaveClicked();
    Wizard.BaseDirChanged(); // shows "Full path, including drive letter:"
    View.Log.clear();
    Wizard.ResetToDefaults();

    std::vector<std::string> expected = {
        "text FAppTitleEdit=My Application", // then the title rule fills the five fields
        "text FDirEdit=My Application", "text FStartMenuEdit=My Application", "text FIconAppEdit=My Application",
        "text FIconUninstallEdit=Uninstall My Application", "text FIconWebsiteEdit=My Application Website",
        "text FURLEdit=",
        "check FIconWebsiteCheckbox=0", // by the URL rule
        "check FMainEXECheckbox=1", "check FLaunchCheckbox=1", "check FNoFilesRadio=1",
        "visible FFilesPageControl=0", "check FIconUninstallCheckbox=1", "basedir=0",
        "visible FEnterFullPathLabel=0", "items=0"};
    std::vector<std::string> changes;
    for (const std::string& line : View.Log)
        if (line.rfind("text FProgramFilesLabel=", 0) != 0 && line.rfind("text FFullDirLabel=", 0) != 0)
            changes.push_back(line);
    EXPECT_EQ(changes, expected);
    EXPECT_FALSE(Wizard.Mark(TCtl::FDirEdit));
    EXPECT_TRUE(View.Checked(TCtl::FDisableBrowseCheckbox));
    EXPECT_EQ(View.Text(TCtl::FBitmapEdit), "w.bmp");
    EXPECT_EQ(View.Text(TCtl::FLicenseEdit), "l.txt");
    EXPECT_EQ(View.ColorTop, 9);
    EXPECT_EQ(View.FinishChoice, kQuit);
    EXPECT_EQ(Wizard.DialogFileName(TDialogId::KFSSave), "");
    EXPECT_TRUE(View.Enabled(TCtl::FMainEXEEdit));
}

TEST_F(WizardFlow, ResetWithTheTitleAlreadyDefaultKeepsTypedDependents)
{
    StartNew();
    View.Type(TCtl::FDirEdit, "Typed");
    Wizard.CharacterKey(TCtl::FDirEdit);
    Wizard.CancelClicked();
    StartNew();
    EXPECT_EQ(View.Text(TCtl::FDirEdit), "Typed"); // no title change, so no title rule
    EXPECT_FALSE(Wizard.Mark(TCtl::FDirEdit));
    View.Type(TCtl::FAppTitleEdit, "New");
    EXPECT_EQ(View.Text(TCtl::FDirEdit), "New");
}

TEST_F(WizardFlow, InfoPageChecksTitleAndDirectory)
{
    StartNew();
    View.Type(TCtl::FAppTitleEdit, "   ");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FAppTitleLabel));
    View.Type(TCtl::FAppTitleEdit, "Foo");
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.IsRed(TCtl::FAppTitleLabel));

    View.BaseDir = 1; // %WINDOWS%
    Wizard.BaseDirChanged();
    EXPECT_EQ(View.Text(TCtl::FProgramFilesLabel), "%WINDOWS%\\");
    EXPECT_EQ(View.Text(TCtl::FFullDirLabel), "%WINDOWS%\\Foo\\");
    View.BaseDir = 3; // %C ROOT%
    View.Type(TCtl::FDirEdit, "");
    EXPECT_EQ(View.Text(TCtl::FProgramFilesLabel), "C:\\");
    EXPECT_EQ(View.Text(TCtl::FFullDirLabel), "C:\\");
    EXPECT_TRUE(NextOn());
    for (const char* bad : {"A:B", "Why?"})
    {
        View.Type(TCtl::FDirEdit, bad);
        EXPECT_FALSE(NextOn()) << bad;
        EXPECT_TRUE(View.IsRed(TCtl::FDirLabel));
        EXPECT_TRUE(View.IsRed(TCtl::FFullDirLabel));
    }
    View.Type(TCtl::FDirEdit, "Apps\\Tools");
    EXPECT_TRUE(NextOn());

    View.BaseDir = 6; // Custom
    Wizard.BaseDirChanged();
    EXPECT_TRUE(View.Visible(TCtl::FEnterFullPathLabel));
    EXPECT_EQ(View.Text(TCtl::FProgramFilesLabel), "");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FEnterFullPathLabel));
    View.Type(TCtl::FDirEdit, "C:\\Apps");
    EXPECT_TRUE(NextOn());
    EXPECT_EQ(View.Text(TCtl::FFullDirLabel), "C:\\Apps\\");
    EXPECT_FALSE(View.IsRed(TCtl::FEnterFullPathLabel));
    View.Type(TCtl::FDirEdit, "");
    EXPECT_EQ(View.Text(TCtl::FFullDirLabel), "\\");
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::FAppTitleEdit, "Follows"); // the directory follows the title in Custom too
    EXPECT_EQ(View.Text(TCtl::FDirEdit), "Follows");
}

TEST_F(WizardFlow, FilesPageChecks)
{
    kftest::TTempDir dir;
    StartNew();
    GoTo(kFilesPage);
    EXPECT_FALSE(NextOn()); // empty executable while it is installed
    EXPECT_TRUE(View.IsRed(TCtl::FMainEXELabel));
    View.Click(TCtl::FMainEXECheckbox);
    EXPECT_TRUE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FMainEXELabel)); // still checked, shown on the disabled label
    for (TCtl c : {TCtl::FMainEXELabel, TCtl::FMainEXEEdit, TCtl::FMainEXEButton, TCtl::FLaunchCheckbox,
                   TCtl::FIconAppLabel, TCtl::FIconAppEdit, TCtl::FIconDesktopCheckbox})
        EXPECT_FALSE(View.Enabled(c));
    View.Click(TCtl::FMainEXECheckbox);
    std::string exe = dir / "app.exe";
    kftest::WriteFileBytes(exe, "MZ");
    View.Type(TCtl::FMainEXEEdit, exe);
    EXPECT_TRUE(NextOn());

    View.Click(TCtl::FAddFilesRadio); // an empty list is valid
    EXPECT_TRUE(View.Visible(TCtl::FFilesPageControl));
    EXPECT_EQ(View.FilesPage, 0);
    EXPECT_TRUE(NextOn());
    View.Click(TCtl::FDirImageRadio);
    EXPECT_EQ(View.FilesPage, 1);
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::FFilesDirEdit, dir / "nowhere");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FFilesDirLabel));
    View.Type(TCtl::FFilesDirEdit, dir.Path());
    EXPECT_TRUE(NextOn());
    View.Type(TCtl::FFilesDirEdit, "");
    View.Click(TCtl::FNoFilesRadio); // the choice not selected is not checked
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.Visible(TCtl::FFilesPageControl));
    EXPECT_TRUE(View.IsRed(TCtl::FFilesDirLabel)); // a skipped check keeps its colour
}

TEST_F(WizardFlow, IconsPageChecks)
{
    StartNew();
    GoTo(kIconsPage);
    EXPECT_TRUE(NextOn());
    View.Click(TCtl::FMainEXECheckbox);
    View.Type(TCtl::FIconAppEdit, "");
    EXPECT_FALSE(NextOn()); // checked even while the executable is not installed
    EXPECT_TRUE(View.IsRed(TCtl::FIconAppLabel));
    View.Type(TCtl::FIconAppEdit, "App");
    View.Type(TCtl::FIconUninstallEdit, " ");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FIconUninstallCheckbox));
    View.Click(TCtl::FIconUninstallCheckbox);
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.Enabled(TCtl::FIconUninstallEdit));
    View.Type(TCtl::FStartMenuEdit, "");
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::FStartMenuEdit, "Group");
    // The website caption counts only while its icon is enabled and checked.
    View.Type(TCtl::FIconWebsiteEdit, "");
    EXPECT_TRUE(NextOn());
    View.Type(TCtl::FURLEdit, "example.org");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FIconWebsiteCheckbox));
}

TEST_F(WizardFlow, URLRuleEnablesAndRechecksTheWebsiteIcon)
{
    StartNew();
    View.Type(TCtl::FURLEdit, "  ");
    EXPECT_FALSE(View.Enabled(TCtl::FIconWebsiteCheckbox));
    View.Type(TCtl::FURLEdit, "example.org");
    EXPECT_TRUE(View.Enabled(TCtl::FIconWebsiteCheckbox));
    EXPECT_TRUE(View.Checked(TCtl::FIconWebsiteCheckbox));
    EXPECT_TRUE(View.Enabled(TCtl::FIconWebsiteEdit)); // the click handler ran
    View.Click(TCtl::FIconWebsiteCheckbox);
    EXPECT_FALSE(View.Enabled(TCtl::FIconWebsiteEdit));
    View.Type(TCtl::FURLEdit, "example.org/x");
    EXPECT_TRUE(View.Checked(TCtl::FIconWebsiteCheckbox));
    View.Type(TCtl::FURLEdit, "");
    EXPECT_FALSE(View.Checked(TCtl::FIconWebsiteCheckbox));
    EXPECT_FALSE(View.Enabled(TCtl::FIconWebsiteCheckbox));
    EXPECT_FALSE(View.Enabled(TCtl::FIconWebsiteEdit));
}

TEST_F(WizardFlow, LicencePageAndAppearancePageCheckOptionalFiles)
{
    kftest::TTempDir dir;
    std::string file = dir / "l.txt";
    kftest::WriteFileBytes(file, "x");
    StartNew();
    GoTo(kLicensePage);
    EXPECT_TRUE(View.Enabled(TCtl::FFinishButton));
    View.Type(TCtl::FReadmeEdit, dir / "missing.txt");
    View.Type(TCtl::FLicenseEdit, dir / "missing.txt");
    EXPECT_FALSE(View.Enabled(TCtl::FFinishButton));
    EXPECT_TRUE(View.IsRed(TCtl::FLicLabel));
    EXPECT_TRUE(View.IsRed(TCtl::FReadmeLabel)); // both checks always run
    View.Type(TCtl::FLicenseEdit, file);
    EXPECT_FALSE(View.Enabled(TCtl::FFinishButton));
    View.Type(TCtl::FReadmeEdit, file);
    EXPECT_TRUE(View.Enabled(TCtl::FFinishButton));

    GoTo(kAppearancePage);
    View.Type(TCtl::FBitmapEdit, dir / "w.bmp");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FBitmapLabel));
    View.Type(TCtl::FBitmapEdit, "");
    EXPECT_TRUE(NextOn());
}

TEST_F(WizardFlow, ChoosersFillTheirFieldsAndRemoveFromLastToFirst)
{
    StartNew();
    View.DialogAnswers = {{"C:\\a.exe"}, {}, {"C:\\x"}, {"C:\\x"}, {"C:\\lic.rtf"}, {"C:\\w.bmp"}};
    View.Click(TCtl::FMainEXEButton);
    View.Click(TCtl::FMainEXEButton); // cancelled: unchanged, the name is remembered
    View.Click(TCtl::FFilesAddButton);
    View.Click(TCtl::FFilesAddButton);
    View.Click(TCtl::FLicButton);
    View.Click(TCtl::FBrowseBitmapButton);
    EXPECT_EQ(View.Text(TCtl::FMainEXEEdit), "C:\\a.exe");
    EXPECT_EQ(View.List, (std::vector<std::string>{"C:\\x", "C:\\x"}));
    EXPECT_EQ(View.Text(TCtl::FLicenseEdit), "C:\\lic.rtf");
    EXPECT_EQ(View.Text(TCtl::FBitmapEdit), "C:\\w.bmp");
    EXPECT_EQ(View.DialogLog[1], "FEXEOpenDialog:C:\\a.exe");
    View.FolderAnswer = "C:\\Tree";
    View.Click(TCtl::FFilesDirButton);
    EXPECT_EQ(View.Text(TCtl::FFilesDirEdit), "C:\\Tree");
    EXPECT_EQ(View.DialogLog.back(), "folder:Select directory to install");

    View.List = {"0", "1", "2", "3", "4"};
    View.Selection = {false, true, false, true, false};
    View.Log.clear();
    View.Click(TCtl::FFilesRemButton);
    EXPECT_EQ(View.List, (std::vector<std::string>{"0", "2", "4"}));
    EXPECT_EQ(View.Log, (std::vector<std::string>{"delete 3", "delete 1"}));
    View.Click(TCtl::FFilesRemButton); // nothing selected: nothing happens
    EXPECT_EQ(View.List.size(), 3u);
    EXPECT_EQ(RemovalOrder({true, false, true, true}), (std::vector<int32_t>{3, 2, 0}));
}

TEST_F(WizardFlow, FinishBuildsWithTheProposedNameAndOKActs)
{
    StartNew();
    View.Type(TCtl::FAppTitleEdit, " Demo Tool 2.0 ");
    GoTo(kLicensePage);
    Wizard.FinishClicked(); // cancelled
    EXPECT_EQ(View.DialogLog.back(), "FExecSaveDialog:DemoTool20Setup.exe");
    EXPECT_EQ(View.Page, kLicensePage);
    EXPECT_TRUE(View.Builds.empty());

    View.BuildResult = false;
    View.DialogAnswers = {{"C:\\Out\\Setup.exe"}};
    Wizard.FinishClicked();
    EXPECT_EQ(View.Page, kLicensePage);
    EXPECT_EQ(View.ErrorBoxes, (std::vector<std::string>{"Error: Error creating installation."}));

    View.BuildResult = true;
    View.DialogAnswers = {{"C:\\Out\\Demo.exe"}};
    Wizard.FinishClicked();
    EXPECT_EQ(View.Page, kFinishPage);
    ASSERT_EQ(View.Builds.size(), 2u);
    EXPECT_EQ(View.Builds[1].first.Title, " Demo Tool 2.0 ");
    EXPECT_EQ(View.Builds[1].second, "C:\\Out\\Demo.exe");

    View.FinishChoice = kRunInstallation;
    Wizard.OKClicked();
    EXPECT_EQ(View.Opened, (std::vector<std::string>{"C:\\Out\\Demo.exe"}));
    EXPECT_EQ(View.Page, kFinishPage);
    View.FinishChoice = kSaveInstallationScript;
    Wizard.OKClicked(); // cancelled save dialog
    EXPECT_EQ(View.DialogLog.back(), "FKFSSaveDialog:");
    EXPECT_EQ(View.Page, kFinishPage);
    View.FinishChoice = kModifyInstallation;
    Wizard.OKClicked();
    EXPECT_EQ(View.Page, kInfoPage);
    EXPECT_EQ(View.Text(TCtl::FAppTitleEdit), " Demo Tool 2.0 ");
    GoTo(kFinishPage);
    View.FinishChoice = kNewInstallation;
    Wizard.OKClicked();
    EXPECT_EQ(View.Page, kStartPage);
    EXPECT_EQ(View.Text(TCtl::FAppTitleEdit), " Demo Tool 2.0 "); // no reset yet
    GoTo(kFinishPage);
    View.FinishChoice = kQuit;
    Wizard.OKClicked();
    EXPECT_TRUE(View.Closed);
}

TEST_F(WizardFlow, ScriptRoundTripAndOpenSetsTheMarksAfterLoading)
{
    kftest::TTempDir dir;
    std::string script = dir / "demo.kfs";
    StartNew();
    View.Type(TCtl::FAppTitleEdit, "Demo");
    View.Type(TCtl::FDirEdit, "Demo Dir");
    View.Type(TCtl::FURLEdit, "demo.example");
    View.Click(TCtl::FAddFilesRadio);
    View.List = {"C:\\a.txt", "C:\\b.txt"};
    View.SetColorIndex(TCtl::FColorGridBottom, 15);
    View.BaseDir = 4;
    View.Click(TCtl::FLaunchCheckbox);
    View.DialogAnswers = {{script}};
    Wizard.SaveClicked();
    TInstallSettings saved = SettingsFromView(View);

    // A second window, with other values, opens the script.
    TFakeView other;
    TWizard second(other);
    other.Wizard = &second;
    second.FormCreate();
    other.Type(TCtl::FAppTitleEdit, "Other");
    other.Click(TCtl::FDirImageRadio);
    other.StartChoice = kOpenExistingInstallation;
    second.NextClicked(); // cancelled open dialog
    EXPECT_EQ(other.Page, kStartPage);
    other.DialogAnswers = {{script}};
    second.NextClicked();
    EXPECT_EQ(other.Page, kInfoPage);
    TInstallSettings loaded = SettingsFromView(other);
    for (const TSettingInfo& info : kSettingTable)
        EXPECT_EQ(EncodeSetting(loaded, info.Key), EncodeSetting(saved, info.Key)) << info.Name;
    EXPECT_TRUE(other.Visible(TCtl::FFilesPageControl));
    EXPECT_EQ(other.FilesPage, 0);
    for (TCtl field : kMarkedFields)
        EXPECT_TRUE(second.Mark(field));
    other.Type(TCtl::FAppTitleEdit, "Changed");
    EXPECT_EQ(other.Text(TCtl::FDirEdit), "Demo Dir");
    EXPECT_EQ(other.Text(TCtl::FStartMenuEdit), "Demo");
    EXPECT_EQ(other.Text(TCtl::FIconWebsiteEdit), "Demo Website");
}

TEST_F(WizardFlow, DamagedScriptStillReachesPageOne)
{
    kftest::TTempDir dir;
    std::string script = dir / "bad.kfs";
    kftest::WriteFileBytes(script, "this is not a package archive at all, just some text");
    View.StartChoice = kOpenExistingInstallation;
    View.DialogAnswers = {{script}};
    Wizard.NextClicked();
    EXPECT_EQ(View.Page, kInfoPage);
    EXPECT_TRUE(Wizard.Mark(TCtl::FDirEdit));
    EXPECT_EQ(Wizard.DialogFileName(TDialogId::KFSOpen), script);
}

TEST_F(WizardFlow, FailedSaveLetsTheFileErrorThrough)
{
    kftest::TTempDir dir;
    StartNew();
    View.DialogAnswers = {{kftest::Join(dir / "missing", "x.kfs")}};
    EXPECT_THROW(Wizard.SaveClicked(), TIOError);
}

TEST(WizardLoad, FileModeFlagsMoveTheChoice)
{
    using M = TFilesMode;
    EXPECT_EQ(FilesModeAfterFlag(M::NoFiles, TSettingKey::AddFiles, true), M::AddFiles);
    EXPECT_EQ(FilesModeAfterFlag(M::AddFiles, TSettingKey::AddFiles, false), M::NoFiles);
    EXPECT_EQ(FilesModeAfterFlag(M::DirImage, TSettingKey::AddFiles, false), M::DirImage);
    EXPECT_EQ(FilesModeAfterFlag(M::NoFiles, TSettingKey::AddDir, true), M::DirImage);
    EXPECT_EQ(FilesModeAfterFlag(M::AddFiles, TSettingKey::AddDir, true), M::AddFiles);
    EXPECT_EQ(FilesModeAfterFlag(M::DirImage, TSettingKey::AddDir, false), M::NoFiles);
    EXPECT_EQ(FilesModeAfterFlag(M::AddFiles, TSettingKey::AddDir, false), M::AddFiles);
}

TEST(WizardLoad, BothFlagsOffAfterAddFilesSelectsNoFiles)
{
    kftest::TTempDir dir;
    std::string script = dir / "none.kfs";
    SaveScript(script, TInstallSettings{}); // both file flags off
    TFakeView view;
    TWizard wizard(view);
    view.Wizard = &wizard;
    wizard.FormCreate();
    view.Click(TCtl::FAddFilesRadio);
    wizard.LoadScript(script);
    EXPECT_TRUE(view.Checked(TCtl::FNoFilesRadio));
    EXPECT_FALSE(view.Checked(TCtl::FAddFilesRadio));
    EXPECT_FALSE(view.Visible(TCtl::FFilesPageControl));
}

} // namespace
