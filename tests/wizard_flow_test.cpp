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
    bool NextOn() const { return View.Enabled(TCtl::NextButton); }

    TFakeView View;
    TWizard Wizard;
};

TEST_F(WizardFlow, StartsOnTheStartPageWithOnlyNextAndCancel)
{
    EXPECT_EQ(View.Page, kStartPage);
    EXPECT_TRUE(View.Visible(TCtl::NextButton));
    EXPECT_TRUE(NextOn());
    EXPECT_TRUE(View.Visible(TCtl::CancelButton));
    for (TCtl hidden : {TCtl::BackButton, TCtl::SaveButton, TCtl::FinishButton, TCtl::OKButton})
        EXPECT_FALSE(View.Visible(hidden));
}

TEST_F(WizardFlow, CancelClosesOnTheStartPageAndReturnsToItElsewhereKeepingFields)
{
    StartNew();
    View.Type(TCtl::URLEdit, "example.org");
    for (int32_t page = kInfoPage; page <= kFinishPage; ++page)
    {
        GoTo(page);
        Wizard.CancelClicked();
        EXPECT_EQ(View.Page, kStartPage) << page;
        EXPECT_FALSE(View.Closed);
    }
    EXPECT_EQ(View.Text(TCtl::URLEdit), "example.org");
    Wizard.CancelClicked();
    EXPECT_TRUE(View.Closed);
}

TEST_F(WizardFlow, NextBackAndShowPageOutOfRange)
{
    StartNew();
    EXPECT_EQ(View.Page, kInfoPage);
    EXPECT_FALSE(View.Visible(TCtl::BackButton));
    EXPECT_EQ(View.Log.back(), "focus");
    Wizard.NextClicked();
    EXPECT_EQ(View.Page, kAppearancePage);
    Wizard.BackClicked();
    EXPECT_EQ(View.Page, kInfoPage);
    GoTo(kLicensePage);
    View.SetVisible(TCtl::NextButton, true);
    Wizard.ShowPage(9); // keeps the page, still updates the buttons
    EXPECT_EQ(View.Page, kLicensePage);
    EXPECT_FALSE(View.Visible(TCtl::NextButton));
    EXPECT_TRUE(View.Visible(TCtl::FinishButton));
}

TEST_F(WizardFlow, TitleRuleFollowsUntilAFieldIsTypedInto)
{
    StartNew();
    View.Type(TCtl::AppTitleEdit, "Foo");
    EXPECT_EQ(View.Text(TCtl::DirEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::StartMenuEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::IconAppEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::IconUninstallEdit), "Uninstall Foo");
    EXPECT_EQ(View.Text(TCtl::IconWebsiteEdit), "Foo Website");
    EXPECT_EQ(View.Text(TCtl::FullDirLabel), "%PROGRAM FILES%\\Foo\\");
    // One character key in the Start-menu field, even one that changes nothing.
    Wizard.CharacterKey(TCtl::StartMenuEdit);
    View.Type(TCtl::AppTitleEdit, " Bar ");
    EXPECT_EQ(View.Text(TCtl::StartMenuEdit), "Foo");
    EXPECT_EQ(View.Text(TCtl::DirEdit), " Bar "); // as typed, not trimmed
    EXPECT_EQ(View.Text(TCtl::IconWebsiteEdit), " Bar  Website");
    // Text set by the program sets no mark.
    View.SetText(TCtl::IconAppEdit, "set");
    View.Type(TCtl::AppTitleEdit, "Baz");
    EXPECT_EQ(View.Text(TCtl::IconAppEdit), "Baz");
    EXPECT_TRUE(Wizard.Mark(TCtl::StartMenuEdit));
    EXPECT_FALSE(Wizard.Mark(TCtl::IconAppEdit));
    Wizard.CharacterKey(TCtl::AppTitleEdit); // the title has no mark
    EXPECT_FALSE(Wizard.Mark(TCtl::DirEdit));
}

TEST_F(WizardFlow, ResetRunsInItsOrderAndKeepsWhatItDoesNotList)
{
    StartNew();
    View.Type(TCtl::AppTitleEdit, "Old");
    View.Type(TCtl::URLEdit, "old.example");
    View.Click(TCtl::DisableBrowseCheckbox);
    View.Click(TCtl::MainEXECheckbox);
    View.Click(TCtl::LaunchCheckbox);
    View.Click(TCtl::DirImageRadio);
    View.Click(TCtl::IconUninstallCheckbox);
    View.Type(TCtl::BitmapEdit, "w.bmp");
    View.Type(TCtl::LicenseEdit, "l.txt");
    View.SetColorIndex(TCtl::ColorGridTop, 9);
    View.BaseDir = 6;
    View.List = {"a", "b"};
    View.FinishChoice = kQuit;
    Wizard.CharacterKey(TCtl::DirEdit);
    kftest::TTempDir dir;
    View.DialogAnswers = {{dir / "old.kfs"}};
    Wizard.SaveClicked();
    Wizard.BaseDirChanged(); // shows "Full path, including drive letter:"
    View.Log.clear();
    Wizard.ResetToDefaults();

    std::vector<std::string> expected = {
        "text AppTitleEdit=My Application", // then the title rule fills the five fields
        "text DirEdit=My Application", "text StartMenuEdit=My Application", "text IconAppEdit=My Application",
        "text IconUninstallEdit=Uninstall My Application", "text IconWebsiteEdit=My Application Website",
        "text URLEdit=",
        "check IconWebsiteCheckbox=0", // by the URL rule
        "check MainEXECheckbox=1", "check LaunchCheckbox=1", "check NoFilesRadio=1",
        "visible FilesPageControl=0", "check IconUninstallCheckbox=1", "basedir=0",
        "visible EnterFullPathLabel=0", "items=0"};
    std::vector<std::string> changes;
    for (const std::string& line : View.Log)
        if (line.rfind("text ProgramFilesLabel=", 0) != 0 && line.rfind("text FullDirLabel=", 0) != 0)
            changes.push_back(line);
    EXPECT_EQ(changes, expected);
    EXPECT_FALSE(Wizard.Mark(TCtl::DirEdit));
    EXPECT_TRUE(View.Checked(TCtl::DisableBrowseCheckbox));
    EXPECT_EQ(View.Text(TCtl::BitmapEdit), "w.bmp");
    EXPECT_EQ(View.Text(TCtl::LicenseEdit), "l.txt");
    EXPECT_EQ(View.ColorTop, 9);
    EXPECT_EQ(View.FinishChoice, kQuit);
    EXPECT_EQ(Wizard.DialogFileName(TDialogId::KFSSave), "");
    EXPECT_TRUE(View.Enabled(TCtl::MainEXEEdit));
}

TEST_F(WizardFlow, ResetWithTheTitleAlreadyDefaultKeepsTypedDependents)
{
    StartNew();
    View.Type(TCtl::DirEdit, "Typed");
    Wizard.CharacterKey(TCtl::DirEdit);
    Wizard.CancelClicked();
    StartNew();
    EXPECT_EQ(View.Text(TCtl::DirEdit), "Typed"); // no title change, so no title rule
    EXPECT_FALSE(Wizard.Mark(TCtl::DirEdit));
    View.Type(TCtl::AppTitleEdit, "New");
    EXPECT_EQ(View.Text(TCtl::DirEdit), "New");
}

TEST_F(WizardFlow, InfoPageChecksTitleAndDirectory)
{
    StartNew();
    View.Type(TCtl::AppTitleEdit, "   ");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::AppTitleLabel));
    View.Type(TCtl::AppTitleEdit, "Foo");
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.IsRed(TCtl::AppTitleLabel));

    View.BaseDir = 1; // %WINDOWS%
    Wizard.BaseDirChanged();
    EXPECT_EQ(View.Text(TCtl::ProgramFilesLabel), "%WINDOWS%\\");
    EXPECT_EQ(View.Text(TCtl::FullDirLabel), "%WINDOWS%\\Foo\\");
    View.BaseDir = 3; // %C ROOT%
    View.Type(TCtl::DirEdit, "");
    EXPECT_EQ(View.Text(TCtl::ProgramFilesLabel), "C:\\");
    EXPECT_EQ(View.Text(TCtl::FullDirLabel), "C:\\");
    EXPECT_TRUE(NextOn());
    for (const char* bad : {"A:B", "Why?"})
    {
        View.Type(TCtl::DirEdit, bad);
        EXPECT_FALSE(NextOn()) << bad;
        EXPECT_TRUE(View.IsRed(TCtl::DirLabel));
        EXPECT_TRUE(View.IsRed(TCtl::FullDirLabel));
    }
    View.Type(TCtl::DirEdit, "Apps\\Tools");
    EXPECT_TRUE(NextOn());

    View.BaseDir = 6; // Custom
    Wizard.BaseDirChanged();
    EXPECT_TRUE(View.Visible(TCtl::EnterFullPathLabel));
    EXPECT_EQ(View.Text(TCtl::ProgramFilesLabel), "");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::EnterFullPathLabel));
    View.Type(TCtl::DirEdit, "C:\\Apps");
    EXPECT_TRUE(NextOn());
    EXPECT_EQ(View.Text(TCtl::FullDirLabel), "C:\\Apps\\");
    EXPECT_FALSE(View.IsRed(TCtl::EnterFullPathLabel));
    View.Type(TCtl::DirEdit, "");
    EXPECT_EQ(View.Text(TCtl::FullDirLabel), "\\");
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::AppTitleEdit, "Follows"); // the directory follows the title in Custom too
    EXPECT_EQ(View.Text(TCtl::DirEdit), "Follows");
}

TEST_F(WizardFlow, FilesPageChecks)
{
    kftest::TTempDir dir;
    StartNew();
    GoTo(kFilesPage);
    EXPECT_FALSE(NextOn()); // empty executable while it is installed
    EXPECT_TRUE(View.IsRed(TCtl::MainEXELabel));
    View.Click(TCtl::MainEXECheckbox);
    EXPECT_TRUE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::MainEXELabel)); // still checked, shown on the disabled label
    for (TCtl c : {TCtl::MainEXELabel, TCtl::MainEXEEdit, TCtl::MainEXEButton, TCtl::LaunchCheckbox,
                   TCtl::IconAppLabel, TCtl::IconAppEdit, TCtl::IconDesktopCheckbox})
        EXPECT_FALSE(View.Enabled(c));
    View.Click(TCtl::MainEXECheckbox);
    std::string exe = dir / "app.exe";
    kftest::WriteFileBytes(exe, "MZ");
    View.Type(TCtl::MainEXEEdit, exe);
    EXPECT_TRUE(NextOn());

    View.Click(TCtl::AddFilesRadio); // an empty list is valid
    EXPECT_TRUE(View.Visible(TCtl::FilesPageControl));
    EXPECT_EQ(View.FilesPage, 0);
    EXPECT_TRUE(NextOn());
    View.Click(TCtl::DirImageRadio);
    EXPECT_EQ(View.FilesPage, 1);
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::FilesDirEdit, dir / "nowhere");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::FilesDirLabel));
    View.Type(TCtl::FilesDirEdit, dir.Path());
    EXPECT_TRUE(NextOn());
    View.Type(TCtl::FilesDirEdit, "");
    View.Click(TCtl::NoFilesRadio); // the choice not selected is not checked
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.Visible(TCtl::FilesPageControl));
    EXPECT_TRUE(View.IsRed(TCtl::FilesDirLabel)); // a skipped check keeps its colour
}

TEST_F(WizardFlow, IconsPageChecks)
{
    StartNew();
    GoTo(kIconsPage);
    EXPECT_TRUE(NextOn());
    View.Click(TCtl::MainEXECheckbox);
    View.Type(TCtl::IconAppEdit, "");
    EXPECT_FALSE(NextOn()); // checked even while the executable is not installed
    EXPECT_TRUE(View.IsRed(TCtl::IconAppLabel));
    View.Type(TCtl::IconAppEdit, "App");
    View.Type(TCtl::IconUninstallEdit, " ");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::IconUninstallCheckbox));
    View.Click(TCtl::IconUninstallCheckbox);
    EXPECT_TRUE(NextOn());
    EXPECT_FALSE(View.Enabled(TCtl::IconUninstallEdit));
    View.Type(TCtl::StartMenuEdit, "");
    EXPECT_FALSE(NextOn());
    View.Type(TCtl::StartMenuEdit, "Group");
    // The website caption counts only while its icon is enabled and checked.
    View.Type(TCtl::IconWebsiteEdit, "");
    EXPECT_TRUE(NextOn());
    View.Type(TCtl::URLEdit, "example.org");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::IconWebsiteCheckbox));
}

TEST_F(WizardFlow, URLRuleEnablesAndRechecksTheWebsiteIcon)
{
    StartNew();
    View.Type(TCtl::URLEdit, "  ");
    EXPECT_FALSE(View.Enabled(TCtl::IconWebsiteCheckbox));
    View.Type(TCtl::URLEdit, "example.org");
    EXPECT_TRUE(View.Enabled(TCtl::IconWebsiteCheckbox));
    EXPECT_TRUE(View.Checked(TCtl::IconWebsiteCheckbox));
    EXPECT_TRUE(View.Enabled(TCtl::IconWebsiteEdit)); // the click handler ran
    View.Click(TCtl::IconWebsiteCheckbox);
    EXPECT_FALSE(View.Enabled(TCtl::IconWebsiteEdit));
    View.Type(TCtl::URLEdit, "example.org/x");
    EXPECT_TRUE(View.Checked(TCtl::IconWebsiteCheckbox));
    View.Type(TCtl::URLEdit, "");
    EXPECT_FALSE(View.Checked(TCtl::IconWebsiteCheckbox));
    EXPECT_FALSE(View.Enabled(TCtl::IconWebsiteCheckbox));
    EXPECT_FALSE(View.Enabled(TCtl::IconWebsiteEdit));
}

TEST_F(WizardFlow, LicencePageAndAppearancePageCheckOptionalFiles)
{
    kftest::TTempDir dir;
    std::string file = dir / "l.txt";
    kftest::WriteFileBytes(file, "x");
    StartNew();
    GoTo(kLicensePage);
    EXPECT_TRUE(View.Enabled(TCtl::FinishButton));
    View.Type(TCtl::ReadmeEdit, dir / "missing.txt");
    View.Type(TCtl::LicenseEdit, dir / "missing.txt");
    EXPECT_FALSE(View.Enabled(TCtl::FinishButton));
    EXPECT_TRUE(View.IsRed(TCtl::LicLabel));
    EXPECT_TRUE(View.IsRed(TCtl::ReadmeLabel)); // both checks always run
    View.Type(TCtl::LicenseEdit, file);
    EXPECT_FALSE(View.Enabled(TCtl::FinishButton));
    View.Type(TCtl::ReadmeEdit, file);
    EXPECT_TRUE(View.Enabled(TCtl::FinishButton));

    GoTo(kAppearancePage);
    View.Type(TCtl::BitmapEdit, dir / "w.bmp");
    EXPECT_FALSE(NextOn());
    EXPECT_TRUE(View.IsRed(TCtl::BitmapLabel));
    View.Type(TCtl::BitmapEdit, "");
    EXPECT_TRUE(NextOn());
}

TEST_F(WizardFlow, ChoosersFillTheirFieldsAndRemoveFromLastToFirst)
{
    StartNew();
    View.DialogAnswers = {{"C:\\a.exe"}, {}, {"C:\\x"}, {"C:\\x"}, {"C:\\lic.rtf"}, {"C:\\w.bmp"}};
    View.Click(TCtl::MainEXEButton);
    View.Click(TCtl::MainEXEButton); // cancelled: unchanged, the name is remembered
    View.Click(TCtl::FilesAddButton);
    View.Click(TCtl::FilesAddButton);
    View.Click(TCtl::LicButton);
    View.Click(TCtl::BrowseBitmapButton);
    EXPECT_EQ(View.Text(TCtl::MainEXEEdit), "C:\\a.exe");
    EXPECT_EQ(View.List, (std::vector<std::string>{"C:\\x", "C:\\x"}));
    EXPECT_EQ(View.Text(TCtl::LicenseEdit), "C:\\lic.rtf");
    EXPECT_EQ(View.Text(TCtl::BitmapEdit), "C:\\w.bmp");
    EXPECT_EQ(View.DialogLog[1], "FEXEOpenDialog:C:\\a.exe");
    View.FolderAnswer = "C:\\Tree";
    View.Click(TCtl::FilesDirButton);
    EXPECT_EQ(View.Text(TCtl::FilesDirEdit), "C:\\Tree");
    EXPECT_EQ(View.DialogLog.back(), "folder:Select directory to install");

    View.List = {"0", "1", "2", "3", "4"};
    View.Selection = {false, true, false, true, false};
    View.Log.clear();
    View.Click(TCtl::FilesRemButton);
    EXPECT_EQ(View.List, (std::vector<std::string>{"0", "2", "4"}));
    EXPECT_EQ(View.Log, (std::vector<std::string>{"delete 3", "delete 1"}));
    View.Click(TCtl::FilesRemButton); // nothing selected: nothing happens
    EXPECT_EQ(View.List.size(), 3u);
    EXPECT_EQ(RemovalOrder({true, false, true, true}), (std::vector<int32_t>{3, 2, 0}));
}

TEST_F(WizardFlow, FinishBuildsWithTheProposedNameAndOKActs)
{
    StartNew();
    View.Type(TCtl::AppTitleEdit, " Demo Tool 2.0 ");
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
    EXPECT_EQ(View.Text(TCtl::AppTitleEdit), " Demo Tool 2.0 ");
    GoTo(kFinishPage);
    View.FinishChoice = kNewInstallation;
    Wizard.OKClicked();
    EXPECT_EQ(View.Page, kStartPage);
    EXPECT_EQ(View.Text(TCtl::AppTitleEdit), " Demo Tool 2.0 "); // no reset yet
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
    View.Type(TCtl::AppTitleEdit, "Demo");
    View.Type(TCtl::DirEdit, "Demo Dir");
    View.Type(TCtl::URLEdit, "demo.example");
    View.Click(TCtl::AddFilesRadio);
    View.List = {"C:\\a.txt", "C:\\b.txt"};
    View.SetColorIndex(TCtl::ColorGridBottom, 15);
    View.BaseDir = 4;
    View.Click(TCtl::LaunchCheckbox);
    View.DialogAnswers = {{script}};
    Wizard.SaveClicked();
    TInstallSettings saved = SettingsFromView(View);

    // A second window, with other values, opens the script.
    TFakeView other;
    TWizard second(other);
    other.Wizard = &second;
    second.FormCreate();
    other.Type(TCtl::AppTitleEdit, "Other");
    other.Click(TCtl::DirImageRadio);
    other.StartChoice = kOpenExistingInstallation;
    second.NextClicked(); // cancelled open dialog
    EXPECT_EQ(other.Page, kStartPage);
    other.DialogAnswers = {{script}};
    second.NextClicked();
    EXPECT_EQ(other.Page, kInfoPage);
    TInstallSettings loaded = SettingsFromView(other);
    for (const TSettingInfo& info : kSettingTable)
        EXPECT_EQ(EncodeSetting(loaded, info.Key), EncodeSetting(saved, info.Key)) << info.Name;
    EXPECT_TRUE(other.Visible(TCtl::FilesPageControl));
    EXPECT_EQ(other.FilesPage, 0);
    for (TCtl field : kMarkedFields)
        EXPECT_TRUE(second.Mark(field));
    other.Type(TCtl::AppTitleEdit, "Changed");
    EXPECT_EQ(other.Text(TCtl::DirEdit), "Demo Dir");
    EXPECT_EQ(other.Text(TCtl::StartMenuEdit), "Demo");
    EXPECT_EQ(other.Text(TCtl::IconWebsiteEdit), "Demo Website");
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
    EXPECT_TRUE(Wizard.Mark(TCtl::DirEdit));
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
    view.Click(TCtl::AddFilesRadio);
    wizard.LoadScript(script);
    EXPECT_TRUE(view.Checked(TCtl::NoFilesRadio));
    EXPECT_FALSE(view.Checked(TCtl::AddFilesRadio));
    EXPECT_FALSE(view.Visible(TCtl::FilesPageControl));
}

} // namespace
