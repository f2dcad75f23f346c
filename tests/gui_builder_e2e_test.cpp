// The whole authoring road through the window: a new installation over a fixture tree,
// page by page, Finish, the wait window during the build, the setup executable that
// kftool verifies, the finish page's choices, and scripts saved and opened again.
#include "archive/CompressionManager.h"
#include "builder/build/InstallDescription.h"
#include "builder/build/SetupBuilder.h"
#include "gui_builder_Support.h"
#include "resources/EmbeddedStubs.h"

#include <functional>

namespace {

using namespace kftest;
using kf::TCtl;

// The builder's own stubs, with a look at the screen whenever the build takes them.
class TProbeStubs : public kf::TStubSource
{
public:
    std::function<void()> OnStub;
    std::string_view Stub(kf::TStubKind kind) override
    {
        if (OnStub)
            OnStub();
        return kf::EmbeddedStubs().Stub(kind);
    }
};

struct TProbeHolder
{
    TProbeStubs Probe;
};

struct TWaitSnapshot
{
    bool Found = false;
    bool Visible = false;
    bool Topmost = false;
    bool OwnedByMain = false;
    bool MainDisabled = false;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int CentreDx = 99;
    int CentreDy = 99;
    std::vector<std::string> Labels;
};

int RunProgram(const std::string& commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

class GuiAuthoring : private TProbeHolder, public GuiBuilder
{
protected:
    GuiAuthoring() : GuiBuilder(&Probe)
    {
        Probe.OnStub = [this] { Snapshot(); };
        Source = Temp / "src";
        Tree = kftest::Join(Source, "tree");
        kf::ForceDirectories(kftest::Join(Tree, "sub"));
        Exe = kftest::Join(Source, "demo.exe");
        kftest::WriteFileBytes(Exe, "MZ demo program");
        kftest::WriteFileBytes(kftest::Join(Tree, "help.txt"), "help");
        kftest::WriteFileBytes(kftest::Join(kftest::Join(Tree, "sub"), "data.bin"), kftest::NoiseBytes(150000));
        Licence = Temp / "licence.txt";
        kftest::WriteFileBytes(Licence, "licence terms");
        Bitmap = Temp / "wizard.bmp";
        kftest::WriteFileBytes(Bitmap, "BM not really a bitmap");
        Output = Temp / "DemoToolSetup.exe";
    }

    void Snapshot()
    {
        HWND wait = FindWindowA("KitforgeWaitForm", "Please Wait");
        Wait = TWaitSnapshot{}; // the last look counts
        Wait.Found = wait != nullptr;
        if (!wait)
            return;
        Wait.Visible = IsWindowVisible(wait) != FALSE;
        Wait.Topmost = (GetWindowLongA(wait, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        Wait.OwnedByMain = GetWindow(wait, GW_OWNER) == Form.Handle();
        Wait.MainDisabled = !IsWindowEnabled(Form.Handle());
        RECT client{}, frame{}, owner{};
        GetClientRect(wait, &client);
        Wait.ClientWidth = client.right;
        Wait.ClientHeight = client.bottom;
        GetWindowRect(wait, &frame);
        GetWindowRect(Form.Handle(), &owner);
        Wait.CentreDx = (frame.left + frame.right) / 2 - (owner.left + owner.right) / 2;
        Wait.CentreDy = (frame.top + frame.bottom) / 2 - (owner.top + owner.bottom) / 2;
        for (HWND child = GetWindow(wait, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (!kf::ui::WindowText(child).empty())
                Wait.Labels.push_back(kf::ui::WindowText(child));
    }

    // Pages 1 to 5 as an author fills them in, ending on the licence page.
    void AuthorDemoTool()
    {
        ClickStartItem(0);
        Click(TCtl::FNextButton);
        SetText(TCtl::FAppTitleEdit, "");
        TypeChars(TCtl::FAppTitleEdit, "Demo Tool");
        SetText(TCtl::FURLEdit, "demo.example");
        SelectBaseDir(1);
        Click(TCtl::FDisableBrowseCheckbox);
        Click(TCtl::FNextButton);
        Chooser.Answers.push_back({Bitmap});
        Click(TCtl::FBrowseBitmapButton);
        MouseOnGrid(TCtl::FColorGridBottom, WM_LBUTTONDOWN, 15);
        MouseOnGrid(TCtl::FColorGridBottom, WM_LBUTTONUP, 15, 0);
        Click(TCtl::FNextButton);
        Chooser.Answers.push_back({Exe});
        Click(TCtl::FMainEXEButton);
        Click(TCtl::FDirImageRadio);
        Chooser.Folder = Tree;
        Click(TCtl::FFilesDirButton);
        Click(TCtl::FLaunchCheckbox);
        Click(TCtl::FNextButton);
        SetText(TCtl::FStartMenuEdit, "");
        TypeChars(TCtl::FStartMenuEdit, "Demo Group");
        Click(TCtl::FIconDesktopCheckbox);
        Click(TCtl::FNextButton);
        Chooser.Answers.push_back({Licence});
        Click(TCtl::FLicButton);
        ASSERT_EQ(ActivePage(), kf::kLicensePage);
        ASSERT_TRUE(Enabled(TCtl::FFinishButton));
    }

    // What the author entered, written down independently of the window.
    kf::TInstallSettings Entered() const
    {
        kf::TInstallSettings s;
        s.Title = "Demo Tool";
        s.Dir = "Demo Tool";
        s.URL = "demo.example";
        s.Main = Exe;
        s.Launch = false;
        s.AddDir = true;
        s.AddDirText = Tree;
        s.StartMenu = "Demo Group";
        s.IconWebsite = true;
        s.IconUninstallText = "Uninstall Demo Tool";
        s.IconWebsiteText = "Demo Tool Website";
        s.Desktop = false;
        s.IconAppText = "Demo Tool";
        s.License = Licence;
        s.Image = Bitmap;
        s.ColorBottom = 15;
        s.BrowseDisable = true;
        s.BaseDir = 1;
        return s;
    }

    kftest::TTempDir Temp;
    std::string Source, Tree, Exe, Licence, Bitmap, Output;
    TWaitSnapshot Wait;
};

void ExpectSameSettings(const kf::TInstallSettings& a, const kf::TInstallSettings& b)
{
    for (const kf::TSettingInfo& info : kf::kSettingTable)
        EXPECT_EQ(kf::EncodeSetting(a, info.Key), kf::EncodeSetting(b, info.Key)) << info.Name;
}

TEST_F(GuiAuthoring, FromStartToAVerifiedSetupExecutable)
{
    AuthorDemoTool();
    ExpectSameSettings(kf::SettingsFromView(Form), Entered());
    Chooser.Answers.push_back({Output});
    Click(TCtl::FFinishButton);
    EXPECT_EQ(Chooser.Log.back(), "FExecSaveDialog:DemoToolSetup.exe");
    EXPECT_TRUE(Chooser.Setups.back().OverwritePrompt);
    EXPECT_STREQ(Chooser.Setups.back().Filter, "Installation Executable (*.exe)|*.exe");
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text;
    EXPECT_EQ(ActivePage(), kf::kFinishPage);
    EXPECT_TRUE(Shown(TCtl::FOKButton));

    // The wait window while packaging.
    EXPECT_TRUE(Wait.Found);
    EXPECT_TRUE(Wait.Visible);
    EXPECT_TRUE(Wait.Topmost);
    EXPECT_TRUE(Wait.OwnedByMain);
    EXPECT_TRUE(Wait.MainDisabled);
    EXPECT_EQ(Wait.ClientWidth, 395);
    EXPECT_EQ(Wait.ClientHeight, 96);
    EXPECT_LE(std::abs(Wait.CentreDx), 1);
    EXPECT_LE(std::abs(Wait.CentreDy), 1);
    EXPECT_EQ(Wait.Labels, (std::vector<std::string>{"Please Wait", "Kitforge is packaging your installation."}));
    EXPECT_EQ(FindWindowA("KitforgeWaitForm", "Please Wait"), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form.Handle()));

    // The file on disk: kftool accepts it, and its description is what was entered.
    ASSERT_TRUE(kf::FileExists(Output));
    EXPECT_FALSE(kf::FileExists(kf::PackagePathFor(Output)));
    EXPECT_EQ(RunProgram("\"" KF_BINARY_DIR "/bin/kftool.exe\" verify \"" + Output + "\""), 0);
    kf::TCompressionManager setup(Output, false, true, true);
    std::string inf = setup.ReadEntryString("install.inf");
    EXPECT_EQ(inf, kf::BuildInstallDescription(Entered()));
    EXPECT_NE(inf.find("Demo Group"), std::string::npos);
    EXPECT_EQ(setup.ReadEntryString("data\\sub\\data.bin"), kftest::NoiseBytes(150000));
    EXPECT_EQ(setup.ReadEntryString("lic\\licence.txt"), "licence terms");

    // Finish page: run the new file, then save the script from there.
    ClickFinishItem(kf::kRunInstallation);
    Click(TCtl::FOKButton);
    EXPECT_EQ(Chooser.Opened, (std::vector<std::string>{Output}));
    EXPECT_EQ(Chooser.LastOwner, Form.Handle());
    EXPECT_EQ(ActivePage(), kf::kFinishPage);
    std::string script = Temp / "demo.kfs";
    ClickFinishItem(kf::kSaveInstallationScript);
    Chooser.Answers.push_back({script});
    Click(TCtl::FOKButton);
    EXPECT_EQ(ActivePage(), kf::kFinishPage);
    ASSERT_TRUE(kf::FileExists(script));
    ClickFinishItem(kf::kNewInstallation);
    Click(TCtl::FOKButton);
    EXPECT_EQ(ActivePage(), kf::kStartPage);
    EXPECT_EQ(Text(TCtl::FAppTitleEdit), "Demo Tool"); // no reset before Next

    // Another installation in between, then the script opened again: every field
    // comes back, the ones a reset leaves alone included.
    ClickStartItem(kf::kCreateNewInstallation);
    Click(TCtl::FNextButton);
    Click(TCtl::FDisableBrowseCheckbox);
    for (TCtl edit : {TCtl::FBitmapEdit, TCtl::FLicenseEdit})
        SetText(edit, "");
    Form.SetColorIndex(TCtl::FColorGridBottom, 0);
    Click(TCtl::FCancelButton);
    kf::TInstallSettings other = kf::SettingsFromView(Form);
    EXPECT_EQ(other.Title, "My Application");
    EXPECT_FALSE(other.BrowseDisable);
    ClickStartItem(kf::kOpenExistingInstallation);
    Chooser.Answers.push_back({});
    Click(TCtl::FNextButton); // cancelled: still the start page
    EXPECT_EQ(ActivePage(), kf::kStartPage);
    Chooser.Answers.push_back({script});
    Click(TCtl::FNextButton);
    EXPECT_EQ(ActivePage(), kf::kInfoPage);
    EXPECT_TRUE(Chooser.Setups.back().MustExist);
    EXPECT_EQ(Chooser.Log.back(), "FKFSOpenDialog:");
    ExpectSameSettings(kf::SettingsFromView(Form), Entered());
    EXPECT_TRUE(Shown(TCtl::FFilesPageControl));
    EXPECT_TRUE(Enabled(TCtl::FIconWebsiteCheckbox));
    EXPECT_EQ(Form.Grid(TCtl::FColorGridBottom).ForegroundIndex(), 15);
    EXPECT_EQ(Text(TCtl::FFullDirLabel), "%WINDOWS%\\Demo Tool\\");
    // The marks are set: a new title leaves the loaded texts alone.
    SetText(TCtl::FAppTitleEdit, "Other");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "Demo Group");
    EXPECT_EQ(Text(TCtl::FDirEdit), "Demo Tool");
    EXPECT_EQ(Text(TCtl::FIconUninstallEdit), "Uninstall Demo Tool");
}

TEST_F(GuiAuthoring, FailedBuildShowsOneMessageAndStaysOnTheLicencePage)
{
    AuthorDemoTool();
    kf::RemoveFile(Licence); // gone after the page was checked
    Chooser.Answers.push_back({Output});
    Click(TCtl::FFinishButton);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Error creating installation.");
    EXPECT_EQ(Boxes[0].Caption, "Error");
    EXPECT_EQ(Boxes[0].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(ActivePage(), kf::kLicensePage);
    EXPECT_TRUE(Wait.Found);
    EXPECT_EQ(FindWindowA("KitforgeWaitForm", "Please Wait"), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form.Handle()));
    EXPECT_FALSE(kf::FileExists(Output));
    ExpectSameSettings(kf::SettingsFromView(Form), Entered());
}

TEST_F(GuiAuthoring, DamagedScriptStillReachesPageOne)
{
    std::string script = Temp / "damaged.kfs";
    kftest::WriteFileBytes(script, "KFS? no, just forty bytes of something else");
    ClickStartItem(kf::kOpenExistingInstallation);
    Chooser.Answers.push_back({script});
    Click(TCtl::FNextButton);
    EXPECT_EQ(ActivePage(), kf::kInfoPage);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(GetFocus(), H(TCtl::FAppTitleEdit));
}

} // namespace
