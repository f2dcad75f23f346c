// Drives the builder's window through its seven pages and the wait window for the
// screenshots in docs/. At each view it writes "<step> <name> <x> <y> <w> <h>" to
// <dir>\ready and waits until scripts/screenshots-builder.sh, having taken the picture,
// creates <dir>\done. The file dialogs are answered from a fixture tree made here.
#include "TestSupport.h"
#include "builder/Main.h"
#include "resources/EmbeddedStubs.h"
#include "win32ui/Application.h"

#include <cstdio>
#include <deque>
#include <functional>

namespace {

class TScriptedChooser : public kf::TChooser
{
public:
    std::deque<std::vector<std::string>> Answers;
    std::optional<std::string> Folder;
    std::vector<std::string> RunFileDialog(HWND, const kf::TFileDialogSetup&, const std::string&) override
    {
        if (Answers.empty())
            return {};
        std::vector<std::string> answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(HWND, const std::string&) override { return Folder; }
    void OpenWithShell(HWND, const std::string&) override {}
};

class THookedStubs : public kf::TStubSource
{
public:
    std::function<void()> OnStub;
    std::string_view Stub(kf::TStubKind kind) override
    {
        if (OnStub)
        {
            auto once = std::move(OnStub);
            OnStub = nullptr;
            once();
        }
        return kf::EmbeddedStubs().Stub(kind);
    }
};

std::string gDir; // the handshake folder, for the length of main

void Pump() { kf::ui::Application().ProcessMessages(); }

// Hands one view to the script and waits (up to a minute) until it has been captured.
void Capture(HWND window, int step, const char* name)
{
    Pump();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    Pump();
    RECT r{};
    GetWindowRect(window, &r);
    std::string ready = kftest::Join(gDir, "ready");
    std::string done = kftest::Join(gDir, "done");
    kftest::WriteFileBytes(ready + ".tmp", std::to_string(step) + " " + name + " " + std::to_string(r.left) + " " +
                                               std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
                                               " " + std::to_string(r.bottom - r.top) + "\n");
    MoveFileA((ready + ".tmp").c_str(), ready.c_str());
    for (int i = 0; i < 600 && !kf::FileExists(done); ++i)
    {
        Sleep(100);
        Pump();
    }
    kf::RemoveFile(done);
}

void Click(HWND button)
{
    SendMessageA(button, BM_CLICK, 0, 0);
    Pump();
}

void Type(HWND edit, const char* text) { SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: gui_builder_screens HANDSHAKE_DIR\n");
        return 2;
    }
    gDir = argv[1];
    kf::ui::TApplication& app = kf::ui::Application();
    app.Initialize();
    app.SetTitle("Kitforge");
    kftest::TTempDir fixture;
    std::string tool = fixture / "DemoTool";
    kf::ForceDirectories(tool);
    kftest::WriteFileBytes(kftest::Join(tool, "demo.exe"), "MZ demo");
    kftest::WriteFileBytes(kftest::Join(tool, "help.txt"), "help");
    kftest::WriteFileBytes(kftest::Join(tool, "licence.txt"), "licence");

    TScriptedChooser chooser;
    THookedStubs stubs;
    kf::TMainForm form(chooser, stubs);
    form.Create();
    form.Show();
    HWND main = form.Handle();
    using kf::TCtl;
    auto c = [&](TCtl ctl) { return form.Control(ctl); };

    Capture(main, 0, "start");
    Click(c(TCtl::FNextButton));
    Type(c(TCtl::FAppTitleEdit), "Demo Tool");
    Type(c(TCtl::FURLEdit), "www.example.org/demotool");
    Capture(main, 1, "info");
    Click(c(TCtl::FNextButton));
    Capture(main, 2, "appearance");
    Click(c(TCtl::FNextButton));
    chooser.Answers = {{kftest::Join(tool, "demo.exe")}, {kftest::Join(tool, "help.txt")},
                       {kftest::Join(tool, "licence.txt")}};
    Click(c(TCtl::FMainEXEButton));
    Click(c(TCtl::FAddFilesRadio));
    Click(c(TCtl::FFilesAddButton));
    Click(c(TCtl::FFilesAddButton));
    Capture(main, 3, "files");
    Click(c(TCtl::FNextButton));
    Capture(main, 4, "icons");
    Click(c(TCtl::FNextButton));
    chooser.Answers = {{kftest::Join(tool, "licence.txt")}};
    Click(c(TCtl::FLicButton));
    Capture(main, 5, "licence");
    chooser.Answers = {{fixture / "DemoToolSetup.exe"}};
    // The wait window is up while the build takes the stubs.
    stubs.OnStub = [&] {
        if (HWND wait = FindWindowA("KitforgeWaitForm", "Please Wait"))
            Capture(wait, 7, "wait");
    };
    Click(c(TCtl::FFinishButton));
    Capture(main, 6, "finish");
    form.Destroy();
    Pump();
    return 0;
}
