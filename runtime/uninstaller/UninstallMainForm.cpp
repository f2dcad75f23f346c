#include "runtime/uninstaller/UninstallMainForm.h"

#include "win32ui/Control.h"
#include "win32ui/Font.h"
#include "win32ui/MessageLoop.h"

#include <commctrl.h>

#include <vector>

namespace kf {
namespace uninstall {

namespace {

constexpr const char* kWindowClass = "KitforgeUninstallForm";
constexpr int kClientWidth = 428;
constexpr int kClientHeight = 318;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

enum : int
{
    kIdNext = 1000,
    kIdPrevious,
    kIdMoreInfo,
    kIdErrors,
    kIdIntro,
    kIdUninstalling,
    kIdProgressLabel,
    kIdProgressBar,
    kIdComplete,
    kIdErrorLabel,
    kIdBevel,
    kIdCancel = IDCANCEL, // Esc in IsDialogMessage sends IDCANCEL
};

// Labels show the application title, which may hold "&"; it must not turn into an
// access key underline.
constexpr DWORD kLabel = WS_CHILD | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON;

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
    {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

} // namespace

TMainForm::TMainForm(TUninstallModel& run) : FRun(run), FFont(ui::CreateMessageFont()) {}

TMainForm::~TMainForm() { Destroy(); }

void TMainForm::FormCreate()
{
    CreateWindowAndControls();
    const std::string& title = FRun.Log().Title();
    SetWindowTextA(Handle(), WindowCaption(title).c_str());
    SetWindowTextA(lblIntro, ReplaceTitle(kIntroTemplate, title).c_str());
    SetWindowTextA(lblUninstalling, ReplaceTitle(kUninstallingTemplate, title).c_str());
    SetWindowTextA(lblComplete, ReplaceTitle(kCompleteTemplate, title).c_str());
    SetWindowTextA(lblProgress, "");
    // PBM_SETRANGE32: a log may well hold more than 65535 lines.
    SendMessageA(ProgressBar, PBM_SETRANGE32, 0, FRun.Log().Count());
    SendMessageA(ProgressBar, PBM_SETPOS, 0, 0);
}

void TMainForm::CreateWindowAndControls()
{
    RegisterWindowClass(kWindowClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateHandle(kWindowClass, WS_EX_CONTROLPARENT, kApplicationTitle, kWindowStyle, x, y, width, height, nullptr);

    // Creation order is the Tab order: the page's controls, then the button row.
    const int intro = static_cast<int>(TPage::Intro);
    const int removing = static_cast<int>(TPage::Uninstalling);
    const int complete = static_cast<int>(TPage::Complete);
    const int row = ui::TPageControls::kEveryPage;
    lblIntro = AddControl(intro, "STATIC", "", kLabel, 20, 20, 388, 160, kIdIntro);
    lblUninstalling = AddControl(removing, "STATIC", "", kLabel, 20, 20, 388, 36, kIdUninstalling);
    lblProgress = AddControl(removing, "STATIC", "", kLabel | SS_PATHELLIPSIS, 20, 76, 388, 16, kIdProgressLabel);
    ProgressBar = AddControl(removing, PROGRESS_CLASSA, "", WS_CHILD, 20, 100, 388, 18, kIdProgressBar);
    lblComplete = AddControl(complete, "STATIC", "", kLabel, 20, 20, 388, 36, kIdComplete);
    lblError = AddControl(complete, "STATIC", kErrorText, kLabel, 20, 64, 388, 36, kIdErrorLabel);
    btnMoreInfo = AddControl(complete, "BUTTON", "More Information >>", kButton, 20, 106, 140, 25, kIdMoreInfo);
    memErrors = AddControl(complete, "EDIT", "",
                           WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                               ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                           20, 140, 388, 118, kIdErrors, WS_EX_CLIENTEDGE);
    bvlButtons = AddControl(row, "STATIC", "", WS_CHILD | SS_ETCHEDHORZ, 8, 272, 412, 2, kIdBevel);
    btnPrevious = AddControl(row, "BUTTON", "<< &Previous", kButton, 172, 283, 80, 25, kIdPrevious);
    btnNext = AddControl(row, "BUTTON", "&Next >>", kButton | BS_DEFPUSHBUTTON, 252, 283, 80, 25, kIdNext);
    btnCancel = AddControl(row, "BUTTON", "&Cancel", kButton, 340, 283, 80, 25, kIdCancel);
}

HWND TMainForm::AddControl(int page, const char* className, const char* text, DWORD style, int x, int y, int width,
                           int height, int id, DWORD exStyle)
{
    HWND control = ui::CreateControl(Handle(), className, text, style, exStyle, x, y, width, height, id, FFont.Get());
    FPages.Add(control, page);
    return control;
}

bool TMainForm::Usable(HWND control) const { return IsWindowVisible(control) && IsWindowEnabled(control); }

void TMainForm::Run() { ui::RunMessageLoop(); }

void TMainForm::ShowPage(TPage page, const TButtonState& buttons)
{
    if (page == TPage::Complete)
    {
        const std::vector<std::string>& lines = FRun.Report().Lines;
        SetWindowTextA(memErrors, JoinLines(lines).c_str());
        if (!lines.empty())
        {
            FPages.SetOwnVisible(btnMoreInfo, true);
            FPages.SetOwnVisible(lblError, true);
        }
    }
    FPages.ShowPage(static_cast<int>(page));
    EnableWindow(btnPrevious, buttons.PreviousEnabled);
    EnableWindow(btnNext, buttons.NextEnabled);
    EnableWindow(btnCancel, buttons.CancelEnabled);
    SetWindowTextA(btnNext, buttons.NextIsFinish ? "Finish" : "&Next >>");
    if (buttons.ResetErrors)
    {
        for (HWND control : {lblError, btnMoreInfo, memErrors})
            FPages.SetOwnVisible(control, false);
        SetWindowTextA(memErrors, "");
        FPages.Apply();
    }
    switch (page)
    {
    case TPage::Intro:
        ShowWindow(Handle(), SW_SHOWNORMAL);
        UpdateWindow(Handle());
        SetFocus(btnNext);
        break;
    case TPage::Uninstalling:
        SetFocus(Handle()); // the focused button has just been disabled
        ui::PumpMessages();
        break;
    case TPage::Complete:
        SetFocus(btnNext);
        break;
    }
}

void TMainForm::btnMoreInfoClick()
{
    if (!Usable(btnMoreInfo))
        return;
    EnableWindow(btnMoreInfo, FALSE);
    FPages.SetVisible(memErrors, true);
    SetFocus(memErrors);
}

void TMainForm::EntryStarting(const std::string& progressText)
{
    if (!progressText.empty())
        SetWindowTextA(lblProgress, progressText.c_str());
}

void TMainForm::EntryDone()
{
    SendMessageA(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(++FProgress), 0);
    ui::PumpMessages();
}

void TMainForm::EndProgram(int)
{
    DestroyWindow(Handle());
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
        {
            switch (LOWORD(wParam))
            {
            // Esc reaches Cancel through IsDialogMessage even while it is disabled: the
            // model knows which buttons work on which page.
            case kIdNext:
                FRun.Next();
                return 0;
            case kIdMoreInfo:
                btnMoreInfoClick();
                return 0;
            case kIdCancel:
                FRun.Cancel();
                return 0;
            }
        }
        break;
    case DM_GETDEFID:
        // Lets IsDialogMessage send Enter to btnNext (it checks that it is enabled).
        return MAKELRESULT(kIdNext, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
        // A read-only edit asks as a static; the error list should still read as a box.
        if (reinterpret_cast<HWND>(lParam) == memErrors)
        {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_ACTIVATE:
        // Keep the focused control across deactivation, as dialogs do.
        if (LOWORD(wParam) == WA_INACTIVE)
        {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus))
                FFocus = focus;
        }
        else if (FFocus && IsWindowEnabled(FFocus) && IsWindowVisible(FFocus))
        {
            SetFocus(FFocus);
            return 0;
        }
        break;
    case WM_CLOSE:
        FRun.Close();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace uninstall
} // namespace kf
