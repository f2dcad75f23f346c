// The installer run without a window: the pages it sets up, a table of event sequences
// with the step, buttons, questions and exit code each one leads to, the silent driver's
// log, the progress pacing, and a cancel during the copy with close requests during its
// roll-back.
#include "installer_Fakes.h"
#include "platform/Text.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/installer/InstallerModel.h"
#include "runtime/installer/SilentInstall.h"
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
    void ShowLabel(TLabel, const std::string&) override {}
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
struct TRig
{
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
        FModel = std::make_unique<TInstallerModel>(*FInstaller, FSystem, SteppingClock);
        FWizard.Model = FModel.get();
    }

    std::string Target() const { return FDir.Path() + kf::kPathDelim; }

    // Where a file of the package cannot be written over, or no log can be made.
    std::string Location(const std::string& setback)
    {
        if (setback == "space")
            FSystem.Free = -1; // a drive that cannot be asked fails the check too
        if (setback == "file")
        {
            FSystem.Files[AddBackslash(Target()) + "a.txt"] = {kAttrArchive, "mine"};
            FSystem.Unmovable = {AddBackslash(Target()) + "a.txt"};
        }
        // The fake never makes the log's folder for real.
        return setback == "log" ? FDir / "missing" + kf::kPathDelim : Target();
    }

    kftest::TTempDir FDir;
    TFakeSystem FSystem;
    TRecordingWizard FWizard;
    std::unique_ptr<TInstaller> FInstaller;
    std::unique_ptr<TInstallerModel> FModel;
};

class Model : public ::testing::Test, protected TRig
{
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
    FModel->SetUp(TBaseDirectories{});
    TPageSetup setup = FModel->Pages();
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
    EXPECT_THAT(FSystem.RootsAsked, ::testing::IsEmpty()); // nothing measured before the run starts

    FSystem.Free = 4096;
    FModel->Start(FWizard);
    EXPECT_EQ(FWizard.Last().Page, tabInfo);
    EXPECT_THAT(FSystem.RootsAsked, ElementsAre("C:\\"));
    EXPECT_EQ(FWizard.Space, "4 kb");
    EXPECT_TRUE(FWizard.Insufficient);
    FSystem.Free = 1 << 20;
    FModel->Browsed("d:\\Elsewhere");
    EXPECT_EQ(FModel->Location(), "d:\\Elsewhere");
    EXPECT_EQ(FSystem.RootsAsked.back(), "D:\\");
    EXPECT_FALSE(FWizard.Insufficient);

    // /D= names the location before anything is measured.
    FModel->SetUp(TBaseDirectories{}, "E:\\Chosen");
    EXPECT_EQ(FModel->Pages().Location, "E:\\Chosen");
}

namespace {

// What the button row shows: the page, then every visible button by its caption ("-"
// when disabled), then "timer" while the free space is measured every second.
std::string Shown(const TWizardState& state)
{
    static const char* const pages[] = {"welcome", "licence", "location", "installing", "completing", "complete"};
    std::string text = pages[state.Page] + std::string(":");
    auto caption = [](const char* c) {
        return std::string(c == kYesCaption ? "Yes" : c == kNoCaption ? "No" : c == kNextCaption ? "Next" : "Previous");
    };
    auto add = [&](bool visible, bool enabled, const std::string& name) {
        if (visible)
            text += " " + name + (enabled ? "" : "-");
    };
    add(state.PrintVisible, true, "Print");
    add(state.PreviousVisible, state.PreviousEnabled, caption(state.PreviousCaption));
    add(state.NextVisible, state.NextEnabled, caption(state.NextCaption));
    add(state.FinishVisible, state.FinishEnabled, "Finish");
    add(state.CancelVisible, state.CancelEnabled, "Cancel");
    if (state.SpaceTimer)
        text += " timer";
    return text;
}

struct TRunCase
{
    const char* Events;  // N Next, P Previous, F Finish, C Cancel, X close
    bool Licence;
    const char* Answers; // y or n for each question, in turn
    const char* Setback; // "" | "space": too little | "file": one cannot be written | "log": no log there
    const char* Shown;   // the last render
    const char* Asked;   // R licence refusal, Q close, A abort; S space, E error, L log notices
    int ExitCode;        // -1: still running
};

const TRunCase kRunCases[] = {
    {"N", false, "", "", "location: Previous Next Cancel", "", -1}, // no licence, no timer
    {"NP", false, "", "", "welcome: Next Cancel", "", -1},
    {"N", true, "", "", "licence: Print No Yes Cancel", "", -1},
    {"NN", true, "", "", "location: Previous Next Cancel timer", "", -1},
    {"NNP", true, "", "", "licence: Print No Yes Cancel", "", -1},
    {"NP", true, "n", "", "licence: Print No Yes Cancel", "R", -1},
    {"NP", true, "y", "", "licence: Print No Yes Cancel", "R", kExitCancelled},
    {"XC", false, "ny", "", "welcome: Next Cancel", "QQ", kExitCancelled},
    {"P", false, "", "", "welcome: Next Cancel", "", -1}, // Previous on the welcome page does nothing
    {"NNN", true, "", "space", "location: Previous Next Cancel", "S", -1},
    {"NNN", false, "", "", "complete: Finish", "", -1}, // Next does not finish
    {"NNF", false, "", "", "complete: Finish", "", kExitSuccess},
    {"NNX", false, "y", "", "complete: Finish", "Q", kExitSuccess}, // closed there, installed all the same
    {"NN", false, "", "file", "installing: Next- Cancel", "E", kExitFailed},
    {"NN", false, "", "log", "location: Previous Next Cancel", "L", -1},
};

} // namespace

TEST(Run, EventsLeadThroughTheStepTable)
{
    for (const TRunCase& c : kRunCases)
    {
        SCOPED_TRACE(std::string(c.Events) + (c.Licence ? " licence " : " ") + c.Setback);
        TRig r;
        r.Make(std::string("[title]\r\nDemo\r\n\r\n[files]\r\ndata\\a;a.txt\r\n\r\n") +
                   (c.Licence ? "[license]\r\nlic\\l.txt\r\n\r\n" : ""),
               {{"data\\a", "abc"}, {"lic\\l.txt", "terms"}});
        TInstallerModel& model = *r.FModel;
        TRecordingWizard& wizard = r.FWizard;
        model.SetUp(TBaseDirectories{}, r.Location(c.Setback));
        model.Start(wizard);
        std::string answers = c.Answers;
        for (const char* event = c.Events; *event; ++event)
        {
            wizard.Answer = !answers.empty() && answers[0] == 'y';
            size_t asked = wizard.Questions.size();
            switch (*event)
            {
            case 'N': model.Next(); break;
            case 'P': model.Previous(); break;
            case 'F': model.Finish(false, false); break;
            case 'C': model.Cancel(); break;
            case 'X': model.Close(); break;
            }
            if (wizard.Questions.size() > asked && !answers.empty())
                answers.erase(0, 1);
        }
        EXPECT_EQ(Shown(wizard.Last()), c.Shown);
        std::string asked;
        for (TQuestion q : wizard.Questions)
            asked += q == TQuestion::RefuseLicense ? 'R' : q == TQuestion::CloseProgram ? 'Q' : 'A';
        for (TNotice n : wizard.Notices)
            asked += n == TNotice::InsufficientSpace ? 'S' : n == TNotice::InstallError ? 'E' : 'L';
        EXPECT_EQ(asked, c.Asked);
        if (model.Ended())
        {
            // Ended: nothing more is asked, shown or done.
            size_t renders = wizard.Renders.size();
            model.Close();
            model.Cancel();
            model.Next();
            model.Previous();
            EXPECT_EQ(wizard.Questions.size() + wizard.Notices.size(), asked.size());
            EXPECT_EQ(wizard.Renders.size(), renders);
        }
        EXPECT_EQ(model.Ended() ? model.ExitCode() : -1, c.ExitCode);
        EXPECT_EQ(wizard.EndCalls, c.ExitCode >= 0 ? 1 : 0);
        EXPECT_EQ(wizard.ExitCode, c.ExitCode);
        EXPECT_FALSE(wizard.EndedWhileBusy);
    }
}

// Unattended, with its log: every question takes its default, the lines say what happened
// and the exit code how it ended.
TEST(Run, TheSilentDriverRunsTheSameStepsAndLogsThem)
{
    struct TCase
    {
        const char* Setback;
        int ExitCode;
        std::vector<std::string> Lines; // "*" stands for any number of lines
    };
    const std::string a = "Extracting a.txt...";
    const TCase cases[] = {
        {"", kExitSuccess,
         {"Installing Demo into @", a, kCreatingGroupsText, "Installation of Demo has successfully completed."}},
        {"space", kExitFailed,
         {"Installing Demo into @", "Error: " + std::string(kInsufficientLabelText) + " (4 kb required, 0 kb available)"}},
        {"file", kExitFailed, {"Installing Demo into @", a, "Error: *", kCancellingText, "*", "The installation was rolled back."}},
        {"log", kExitFailed, {"Installing Demo into @", "Error: *", "The installation was rolled back."}},
    };
    for (const TCase& c : cases)
    {
        SCOPED_TRACE(c.Setback);
        TRig r;
        r.Make("[title]\r\nDemo\r\n\r\n[license]\r\nlic\\l.txt\r\n\r\n[files]\r\ndata\\a;a.txt\r\n\r\n"
               "[program group]\r\nDemo\r\n\r\n[desktop icons]\r\nDemo;a.txt\r\n\r\n[launch]\r\na.txt\r\n\r\n",
               {{"data\\a", "abc"}, {"lic\\l.txt", "terms"}});
        std::string location = r.Location(c.Setback);
        r.FModel->SetUp(TBaseDirectories{}, location);
        TSetupLog log;
        ASSERT_TRUE(log.Open(r.FDir / "setup.log"));
        EXPECT_EQ(RunSilentInstall(*r.FModel, log), c.ExitCode);
        log.Close();
        std::vector<std::string> lines = SplitLines(kftest::ReadFileBytes(r.FDir / "setup.log"));
        while (!lines.empty() && lines.back().empty())
            lines.pop_back();
        // The expected lines in order; "*" skips lines, a trailing "*" matches any end.
        size_t at = 0;
        for (size_t i = 0; i < c.Lines.size(); ++i)
        {
            std::string want = c.Lines[i];
            if (want == "*")
            {
                std::string next = i + 1 < c.Lines.size() ? c.Lines[i + 1] : std::string();
                while (at < lines.size() && lines[at] != next)
                    ++at;
                continue;
            }
            ASSERT_LT(at, lines.size()) << want;
            size_t place = want.find('@');
            if (place != std::string::npos)
                want.replace(place, 1, location);
            if (want.size() > 1 && want.back() == '*')
                EXPECT_EQ(lines[at].substr(0, want.size() - 1), want.substr(0, want.size() - 1));
            else
                EXPECT_EQ(lines[at], want);
            ++at;
        }
        EXPECT_EQ(at, lines.size());
        bool launched = false, desktop = false;
        for (const std::string& call : r.FSystem.Calls)
        {
            launched = launched || call.rfind("launch", 0) == 0;
            desktop = desktop || call.rfind("link C:\\Desktop\\Demo", 0) == 0;
        }
        EXPECT_FALSE(launched);                   // no launch
        EXPECT_EQ(desktop, c.ExitCode == 0);      // the desktop icon as its box's default
    }
}

TEST_F(Model, CancelDuringTheCopyIsARequestAndClosingDuringTheRollBackIsIgnored)
{
    Make("[title]\r\nDemo\r\n\r\n[files]\r\ndata\\small;small.txt\r\ndata\\big;big.bin\r\n\r\n",
         {{"data\\small", "small"}, {"data\\big", kftest::NoiseBytes(1 << 20)}});
    FModel->SetUp(TBaseDirectories{}, Target());
    FModel->Start(FWizard);
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
    FModel->SetUp(TBaseDirectories{}, Target());
    FModel->Start(FWizard);
    FModel->Next();
    FWizard.OnPump = [&] {
        if (FInstaller->InProgress)
            FModel->Close(); // the caption's close button: the abort question
    };
    FModel->Next();
    EXPECT_FALSE(FWizard.Questions.empty());
    EXPECT_FALSE(FInstaller->Cancelled);
    EXPECT_EQ(FModel->Step(), TStep::Complete);
    EXPECT_EQ(kftest::ReadFileBytes(AddBackslash(Target()) + "big.bin").size(), 300000u);
}
