// The installer model without a window: the pages it sets up, what each button and
// close request means on each step, the progress pacing, a whole installation driven
// silently, and a cancel during the copy with close requests during its roll-back.
#include "installer_Fakes.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/installer/InstallerModel.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace kf;
using namespace kf::installer;
using ::testing::ElementsAre;
using kftest::TFakeSystem;

namespace {

// The throttle's clock: a plain function, as GetTickCount is.
uint32_t gNow = 0;
uint32_t FixedClock() { return gNow; }
uint32_t SteppingClock() { return gNow += 20; } // every look costs 20 ms

// Renders nothing, records everything, answers every question with Answer.
class TRecordingWizard : public IWizardView
{
public:
    TInstallerModel* Model = nullptr;
    bool Answer = false;
    std::vector<TQuestion> Questions;
    std::vector<TNotice> Notices;
    std::vector<TWizardState> Renders;
    std::string Space;
    bool Insufficient = false;
    int Shown = 0;
    TProgressState LastShown;
    int EndCalls = 0;
    int ExitCode = -1;
    bool EndedWhileBusy = false;
    std::function<void()> OnPump; // what the user does while the copy pumps

    void Render(const TWizardState& state) override { Renders.push_back(state); }
    void ShowSpace(const std::string& available, bool insufficient) override
    {
        Space = available;
        Insufficient = insufficient;
    }
    void ShowProgress(const TProgressState& progress) override
    {
        ++Shown;
        LastShown = progress;
    }
    void ShowCompleting(const std::string&) override {}
    bool Ask(TQuestion question, const std::string&) override
    {
        Questions.push_back(question);
        return Answer;
    }
    void Tell(TNotice notice, const std::string&) override { Notices.push_back(notice); }
    void PumpMessages() override
    {
        if (OnPump)
            OnPump();
    }
    void BringToFront() override {}
    void EndProgram(int exitCode) override
    {
        ExitCode = exitCode;
        ++EndCalls;
        EndedWhileBusy = EndedWhileBusy || (Model && Model->Busy());
    }
    const TWizardState& Last() const { return Renders.back(); }
};

// A package with a description and its files, in a scratch folder. The locations of
// the installing end in the folder's own separator, so on POSIX a Windows path below
// it is one file of an odd name there, which is all these checks need.
class Model : public ::testing::Test
{
protected:
    void Make(const std::string& description, std::vector<std::pair<std::string, std::string>> entries = {})
    {
        std::string path = FDir / "setup.dat";
        {
            TCompressionManager archive(path, true, false, false);
            archive.WriteEntryString("install.inf", description);
            for (const auto& [name, bytes] : entries)
            {
                std::string source = FDir / "source.bin";
                kftest::WriteFileBytes(source, bytes);
                archive.AddFile(source, name);
            }
        }
        FInstaller = std::make_unique<TInstaller>(std::make_unique<TCompressionManager>(path, false, true, false));
        FModel = std::make_unique<TInstallerModel>(*FInstaller, FSystem, FWizard, SteppingClock);
        FWizard.Model = FModel.get();
    }

    std::string Target() const { return FDir.Path() + kf::kPathDelim; }

    kftest::TTempDir FDir;
    TFakeSystem FSystem;
    TRecordingWizard FWizard;
    std::unique_ptr<TInstaller> FInstaller;
    std::unique_ptr<TInstallerModel> FModel;
};

} // namespace

TEST(ProgressThrottle, ShowsFirstThenPacesByWhatShowingCost)
{
    uint32_t& now = gNow;
    TProgressThrottle throttle(FixedClock);
    using TTick = TProgressThrottle::TTick;
    auto tick = [&](uint32_t at, uint32_t cost) {
        now = at;
        TTick result = throttle.Begin();
        now += cost;
        throttle.End(result);
        return result;
    };
    EXPECT_EQ(tick(1000, 5), TTick::ShowAndPump); // a new page shows at once
    EXPECT_EQ(throttle.ShowInterval(), 100u);     // 9 x 5 ms is under the floor
    EXPECT_EQ(tick(1010, 0), TTick::Nothing);     // 5 ms after the last look
    EXPECT_EQ(tick(1015, 0), TTick::Pump);        // the queue every 10 ms
    EXPECT_EQ(tick(1105, 40), TTick::ShowAndPump);
    EXPECT_EQ(throttle.ShowInterval(), 360u);     // nine times what it cost
    EXPECT_EQ(tick(1400, 0), TTick::Pump);
    EXPECT_EQ(tick(1505, 2000), TTick::ShowAndPump);
    EXPECT_EQ(throttle.ShowInterval(), 500u);     // a question answered inside: capped
    EXPECT_EQ(tick(3516, 0), TTick::Pump);
    throttle.Restart();
    EXPECT_EQ(tick(3512, 0), TTick::ShowAndPump);
    // The tick count wraps after 49.7 days; the differences still hold.
    EXPECT_EQ(tick(0xFFFFFFF0u, 0), TTick::ShowAndPump);
    EXPECT_EQ(tick(0x0000000Au, 0), TTick::Pump);
}

TEST_F(Model, PagesComeFromTheDescription)
{
    Make("[title]\r\nDemo\r\n\r\n[basedir]\r\n%C ROOT%\r\n\r\n[defaultdir]\r\nDemo Tool\r\n\r\n"
         "[license]\r\nlic\\l.txt\r\n\r\n[readme]\r\nreadme\\r.txt\r\n\r\n[files]\r\ndata\\a;a\r\n\r\n"
         "[launch]\r\ndemo.exe\r\n\r\n[image]\r\nnot-a-bitmap\r\n\r\n[browse button]\r\ndisable\r\n\r\n",
         {{"lic\\l.txt", "the licence"}, {"data\\a", std::string(5000, 'a')}, {"not-a-bitmap", "junk"}});
    TPageSetup setup = FModel->SetUp(TBaseDirectories{});
    EXPECT_EQ(setup.Title, "Demo");
    EXPECT_EQ(setup.Welcome, WelcomeText("Demo"));
    EXPECT_TRUE(setup.HasLicense);
    EXPECT_EQ(setup.License, "the licence");
    EXPECT_EQ(setup.LicenseAgree, kLicenseAgreeText);
    EXPECT_EQ(setup.Location, "C:\\Demo Tool");
    EXPECT_EQ(setup.SpaceRequired, "9 kb"); // 1.1 * (5000 + 4096) = 10005
    EXPECT_FALSE(setup.BrowseEnabled);      // "disable" in any letter case
    EXPECT_TRUE(setup.LaunchNow);
    EXPECT_FALSE(setup.DesktopIcon);
    EXPECT_TRUE(setup.Readme);
    EXPECT_EQ(setup.Complete, CompleteText("Demo", true, false));
    EXPECT_EQ(setup.Image, ""); // no usable bitmap: the text panels take the page

    FSystem.Free = 4096;
    FModel->Start();
    EXPECT_EQ(FWizard.Last().Page, tabInfo);
    EXPECT_FALSE(FWizard.Last().PreviousVisible || FWizard.Last().FinishVisible || FWizard.Last().PrintVisible);
    EXPECT_THAT(FSystem.RootsAsked, ElementsAre("C:\\"));
    EXPECT_EQ(FWizard.Space, "4 kb");
    EXPECT_TRUE(FWizard.Insufficient);
}

TEST_F(Model, LicenceRefusalCloseAndCancelAskBeforeEnding)
{
    Make("[title]\r\nDemo\r\n\r\n[license]\r\nlic\\l.txt\r\n\r\n");
    FModel->SetUp(TBaseDirectories{});
    FModel->Start();
    FModel->Next();
    EXPECT_EQ(FModel->StepIndex(), 1);
    EXPECT_STREQ(FWizard.Last().NextCaption, "&Yes");
    EXPECT_STREQ(FWizard.Last().PreviousCaption, "&No");
    EXPECT_TRUE(FModel->CanPrint());
    EXPECT_FALSE(FModel->CanBrowse());

    FModel->Previous(); // "No": the refusal question, answered No
    FModel->Close();
    FModel->Cancel();
    EXPECT_THAT(FWizard.Questions,
                ElementsAre(TQuestion::RefuseLicense, TQuestion::CloseProgram, TQuestion::CloseProgram));
    EXPECT_FALSE(FModel->Ended());
    EXPECT_EQ(FModel->StepIndex(), 1);

    FWizard.Answer = true;
    FModel->Previous();
    EXPECT_TRUE(FModel->Ended());
    EXPECT_TRUE(FInstaller->Finished);
    EXPECT_EQ(FWizard.EndCalls, 1);
    EXPECT_EQ(FWizard.ExitCode, kExitCancelled);
    FModel->Close(); // ended: nothing more is asked
    FModel->Next();
    EXPECT_EQ(FWizard.Questions.size(), 4u);
}

TEST_F(Model, TooLittleSpaceKeepsTheLocationPageAndBrowseMeasuresAgain)
{
    Make("[title]\r\nDemo\r\n\r\n[basedir]\r\nCustom\r\n\r\n[defaultdir]\r\nC:\\Demo\r\n\r\n"
         "[files]\r\ndata\\a;a\r\n\r\n",
         {{"data\\a", "abc"}});
    FModel->SetUp(TBaseDirectories{});
    FSystem.Free = 10;
    FModel->Start();
    FModel->Next();
    EXPECT_EQ(FModel->StepIndex(), 2);
    EXPECT_TRUE(FModel->CanBrowse());
    FModel->Next();
    EXPECT_THAT(FWizard.Notices, ElementsAre(TNotice::InsufficientSpace));
    EXPECT_EQ(FWizard.Last().Page, tabLocation);
    EXPECT_FALSE(FWizard.Last().SpaceTimer);
    EXPECT_THAT(FSystem.Calls, ::testing::IsEmpty()); // nothing copied

    FSystem.Free = 1 << 20;
    FModel->Browsed("d:\\Elsewhere");
    EXPECT_EQ(FModel->Location(), "d:\\Elsewhere");
    EXPECT_EQ(FSystem.RootsAsked.back(), "D:\\");
    EXPECT_FALSE(FWizard.Insufficient);
}

TEST_F(Model, ASilentDriverInstallsWithNoWindow)
{
    Make("[title]\r\nDemo\r\n\r\n[files]\r\ndata\\a.txt;a.txt\r\nuninstall.exe;uninstall.exe\r\n\r\n"
         "[program group]\r\nDemo\r\n\r\n[group icons]\r\nDemo;a.txt\r\n\r\n[desktop icons]\r\nDemo;a.txt\r\n\r\n",
         {{"data\\a.txt", "installed"}, {"uninstall.exe", "MZ"}});
    TPageSetup setup = FModel->SetUp(TBaseDirectories{});
    FModel->Browsed(Target());
    FModel->Start();
    // Every question keeps its default: Next until the complete page, then Finish.
    while (!FModel->Ended() && FModel->StepIndex() != 5)
        FModel->Next();
    ASSERT_EQ(FModel->StepIndex(), 5);
    EXPECT_TRUE(FWizard.Last().FinishVisible);
    EXPECT_FALSE(FWizard.Last().NextVisible || FWizard.Last().CancelVisible || FWizard.Last().PreviousVisible);
    FModel->Finish(setup.DesktopIcon, setup.LaunchNow);
    EXPECT_TRUE(FModel->Ended());
    EXPECT_TRUE(FInstaller->Finished);
    EXPECT_EQ(FWizard.ExitCode, kExitSuccess);
    EXPECT_TRUE(FWizard.Questions.empty());
    EXPECT_EQ(kftest::ReadFileBytes(AddBackslash(Target()) + "a.txt"), "installed");
    EXPECT_THAT(FSystem.Calls, ::testing::Contains("register Demo|" + Target() + "||"));
    EXPECT_THAT(FSystem.Calls, ::testing::Contains("link C:\\Desktop\\Demo -> " + AddBackslash(Target()) + "a.txt in " +
                                                   AddBackslash(Target())));
    // The progress went through the pacing: shown at least once per page, not per chunk.
    EXPECT_GE(FWizard.Shown, 1);
}

TEST_F(Model, CancelDuringTheCopyIsARequestAndClosingDuringTheRollBackIsIgnored)
{
    Make("[title]\r\nDemo\r\n\r\n[files]\r\ndata\\small;small.txt\r\ndata\\big;big.bin\r\n\r\n",
         {{"data\\small", "small"}, {"data\\big", kftest::NoiseBytes(1 << 20)}});
    FModel->SetUp(TBaseDirectories{});
    FModel->Browsed(Target());
    FModel->Start();
    FModel->Next(); // no licence: the location page
    int closesInRollBack = 0;
    bool calledBackInCopy = false;
    FWizard.Answer = true;
    FWizard.OnPump = [&] {
        // The user presses Cancel while the big file is written, then closes every
        // window while the roll-back runs.
        if (FInstaller->InProgress && !FModel->CancelRequested() &&
            FModel->Progress().InstallingFile == ExtractingText("big.bin"))
        {
            FModel->Cancel();
            calledBackInCopy = FInstaller->Cancelled; // the pump must not have rolled back
        }
        else if (FInstaller->Cancelled)
        {
            FModel->Close();
            FModel->Cancel();
            FModel->Next();
            ++closesInRollBack;
            EXPECT_FALSE(FModel->Ended());
        }
    };
    FModel->Next();
    EXPECT_FALSE(calledBackInCopy);
    EXPECT_GT(closesInRollBack, 0);
    EXPECT_THAT(FWizard.Questions, ElementsAre(TQuestion::AbortInstall)); // asked once, only
    EXPECT_TRUE(FModel->Ended());
    EXPECT_EQ(FWizard.EndCalls, 1);
    EXPECT_EQ(FWizard.ExitCode, kExitCancelled);
    EXPECT_FALSE(FWizard.EndedWhileBusy);
    // The roll-back ran to its end: both files and the log are gone.
    std::string dir = AddBackslash(Target());
    for (const char* name : {"big.bin", "small.txt", "uninstall.log"})
        EXPECT_THAT(FSystem.Calls, ::testing::Contains("delete " + dir + name)) << name;
    EXPECT_FALSE(FWizard.Last().CancelEnabled || FWizard.Last().NextEnabled);
}

TEST_F(Model, AbortAnsweredNoLetsTheCopyGoOn)
{
    Make("[title]\r\nDemo\r\n\r\n[files]\r\ndata\\big;big.bin\r\n\r\n", {{"data\\big", kftest::NoiseBytes(300000)}});
    FModel->SetUp(TBaseDirectories{});
    FModel->Browsed(Target());
    FModel->Start();
    FModel->Next();
    FWizard.OnPump = [&] {
        if (FInstaller->InProgress)
            FModel->Close(); // the caption's close button: the abort question
    };
    FModel->Next();
    EXPECT_FALSE(FWizard.Questions.empty());
    EXPECT_FALSE(FInstaller->Cancelled);
    EXPECT_EQ(FModel->StepIndex(), 5);
    EXPECT_EQ(kftest::ReadFileBytes(AddBackslash(Target()) + "big.bin").size(), 300000u);
}
