// The builder's GUI tests drive a real TMainForm in the test process, the way an author
// does: WM_SETTEXT and WM_CHAR into the edits, BM_CLICK on buttons and check boxes,
// selection messages with their notifications, mouse messages on the colour grids. The
// file dialogs are replaced through the chooser seam and message boxes through the
// application's hook.
#pragma once

#include "TestSupport.h"
#include "builder/Main.h"
#include "builder/wizard/Navigation.h"
#include "win32ui/Application.h"
#include "win32ui/MessageLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace kftest {

using kf::TCtl;

class TTestChooser : public kf::TChooser
{
public:
    std::deque<std::vector<std::string>> Answers; // taken in order; {} cancels
    std::vector<std::string> Log;                 // "<dialog>:<initial name>"
    std::vector<kf::TFileDialogSetup> Setups;
    std::optional<std::string> Folder;
    std::vector<std::string> FolderTitles;
    std::vector<std::string> Opened;
    HWND LastOwner = nullptr;

    std::vector<std::string> RunFileDialog(HWND owner, const kf::TFileDialogSetup& setup,
                                           const std::string& initialName) override
    {
        LastOwner = owner;
        Log.push_back(std::string(setup.Name) + ":" + initialName);
        Setups.push_back(setup);
        if (Answers.empty())
            return {};
        std::vector<std::string> answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title) override
    {
        LastOwner = owner;
        FolderTitles.push_back(title);
        return Folder;
    }
    void OpenWithShell(HWND owner, const std::string& fileName) override
    {
        LastOwner = owner;
        Opened.push_back(fileName);
    }
};

struct TMessageBoxCall
{
    std::string Text;
    std::string Caption;
    UINT Flags;
};

class GuiBuilder : public ::testing::Test
{
protected:
    explicit GuiBuilder(kf::TStubSource* stubs = nullptr)
        : Stubs("MZ installer stub", "MZ uninstaller stub"), Form(Chooser, stubs ? *stubs : Stubs)
    {
        kf::ui::Application().Initialize();
        kf::ui::Application().SetTitle("Kitforge");
        kf::ui::Application().SetMessageBoxHook([this](HWND, const std::string& text, const std::string& caption,
                                                       UINT flags) {
            Boxes.push_back({text, caption, flags});
            return IDOK;
        });
        Form.Create();
        Form.Show();
        Pump();
    }
    ~GuiBuilder() override
    {
        Form.Destroy();
        Pump();
        kf::ui::Application().SetMessageBoxHook(nullptr);
    }

    static void Pump() { kf::ui::Application().ProcessMessages(); }
    HWND H(TCtl ctl) const { return Form.Control(ctl); }
    void Click(TCtl ctl) { Click(H(ctl)); }
    static void Click(HWND button)
    {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void SetText(TCtl ctl, const std::string& text)
    {
        SendMessageA(H(ctl), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // Character keys, one WM_CHAR each, at the end of the text.
    void TypeChars(TCtl ctl, const std::string& chars)
    {
        HWND edit = H(ctl);
        int end = GetWindowTextLengthA(edit);
        SendMessageA(edit, EM_SETSEL, end, end);
        for (char c : chars)
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    std::string Text(TCtl ctl) const { return kf::ui::WindowText(H(ctl)); }
    bool Checked(TCtl ctl) const { return SendMessageA(H(ctl), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool Enabled(TCtl ctl) const { return IsWindowEnabled(H(ctl)) != FALSE; }
    // Shown by its own style (its page may be hidden).
    bool Shown(TCtl ctl) const { return (GetWindowLongA(H(ctl), GWL_STYLE) & WS_VISIBLE) != 0; }
    int ActivePage() const
    {
        for (int i = 0; i < kf::kPageCount; ++i)
            if (IsWindowVisible(Form.Page(i)))
                return i;
        return -1;
    }
    // The text colour the window gives a label or check box when it is painted.
    COLORREF TextColor(TCtl ctl) const
    {
        kf::ui::TMemoryDC dc;
        SendMessageA(GetParent(H(ctl)), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                     reinterpret_cast<LPARAM>(H(ctl)));
        return GetTextColor(dc.Get());
    }
    bool Red(TCtl ctl) const { return TextColor(ctl) == RGB(255, 0, 0); }
    void SelectBaseDir(int index)
    {
        HWND combo = H(TCtl::FBaseDirectoryCombo);
        SendMessageA(combo, CB_SETCURSEL, index, 0);
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    void ClickStartItem(int index) { Click(Form.StartItem(index)); }
    void ClickFinishItem(int index) { Click(Form.FinishItem(index)); }
    // From the start page with "Create New Installation" to page `page`, each on Next.
    void NewInstallationTo(int page)
    {
        if (ActivePage() != kf::kStartPage)
            Click(TCtl::FCancelButton);
        ClickStartItem(0);
        for (int p = 0; p < page; ++p)
        {
            if (p == kf::kFilesPage && Checked(TCtl::FMainEXECheckbox) && !Enabled(TCtl::FNextButton))
                Click(TCtl::FMainEXECheckbox); // no executable at hand
            Click(TCtl::FNextButton);
        }
        ASSERT_EQ(ActivePage(), page);
    }
    // The control's name, for messages.
    std::string NameOf(HWND h) const
    {
        for (int i = 0; i < static_cast<int>(TCtl::Count); ++i)
            if (Form.Control(static_cast<TCtl>(i)) == h)
                return "control " + std::to_string(i);
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof(cls));
        return std::string(cls) + " '" + kf::ui::WindowText(h) + "'";
    }
    void MouseOnGrid(TCtl grid, UINT message, int cell, WPARAM keys = MK_LBUTTON)
    {
        kf::TColorGrid& g = Form.Grid(grid);
        SendMessageA(g.Handle(), message, keys, MAKELPARAM(cell * g.CellWidth() + g.CellWidth() / 2, 3));
    }

    kf::TMemoryStubSource Stubs;
    TTestChooser Chooser;
    std::vector<TMessageBoxCall> Boxes;
    kf::TMainForm Form;
};

} // namespace kftest
