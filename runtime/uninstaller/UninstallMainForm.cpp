#include "runtime/uninstaller/UninstallMainForm.h"

#include <commctrl.h>

#include <exception>
#include "platform/Error.h"

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

TMainForm::TMainForm(HINSTANCE instance) : FInstance(instance)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        FFont.Reset(CreateFontIndirectA(&metrics.lfMessageFont));
}

TMainForm::~TMainForm()
{
    if (FWindow)
        DestroyWindow(FWindow);
}

bool TMainForm::FormCreate(const std::string& logPath)
{
    try
    {
        FLog = std::make_unique<TLogFile>(logPath, false);
    }
    catch (const std::exception&)
    {
        MessageBoxA(nullptr, CannotOpenLogMessage(logPath).c_str(), kOpenErrorCaption,
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    CreateWindowAndControls();
    const std::string& title = FLog->Title();
    SetWindowTextA(FWindow, WindowCaption(title).c_str());
    SetWindowTextA(lblIntro.Handle, ReplaceTitle(kIntroTemplate, title).c_str());
    SetWindowTextA(lblUninstalling.Handle, ReplaceTitle(kUninstallingTemplate, title).c_str());
    SetWindowTextA(lblComplete.Handle, ReplaceTitle(kCompleteTemplate, title).c_str());
    SetWindowTextA(lblProgress.Handle, "");
    // PBM_SETRANGE32: a log may well hold more than 65535 lines.
    SendMessageA(ProgressBar.Handle, PBM_SETRANGE32, 0, FLog->Count());
    SendMessageA(ProgressBar.Handle, PBM_SETPOS, 0, 0);
    ShowPage(TPage::Intro);
    PageControlChange();
    ShowWindow(FWindow, SW_SHOWNORMAL);
    UpdateWindow(FWindow);
    SetFocus(btnNext.Handle);
    return true;
}

void TMainForm::CreateWindowAndControls()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = FInstance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);

    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, kApplicationTitle, kWindowStyle, x, y, width, height,
                    nullptr, nullptr, FInstance, this);
    if (!FWindow)
        throw TError("Cannot create the window");

    // Creation order is the Tab order: the page's controls, then the button row.
    lblIntro.Page = TPage::Intro;
    AddControl(lblIntro, "STATIC", "", kLabel, 20, 20, 388, 160, kIdIntro);
    lblUninstalling.Page = lblProgress.Page = ProgressBar.Page = TPage::Uninstalling;
    AddControl(lblUninstalling, "STATIC", "", kLabel, 20, 20, 388, 36, kIdUninstalling);
    AddControl(lblProgress, "STATIC", "", kLabel | SS_PATHELLIPSIS, 20, 76, 388, 16, kIdProgressLabel);
    AddControl(ProgressBar, PROGRESS_CLASSA, "", WS_CHILD, 20, 100, 388, 18, kIdProgressBar);
    lblComplete.Page = lblError.Page = btnMoreInfo.Page = memErrors.Page = TPage::Complete;
    AddControl(lblComplete, "STATIC", "", kLabel, 20, 20, 388, 36, kIdComplete);
    AddControl(lblError, "STATIC", kErrorText, kLabel, 20, 64, 388, 36, kIdErrorLabel);
    AddControl(btnMoreInfo, "BUTTON", "More Information >>", kButton, 20, 106, 140, 25, kIdMoreInfo);
    AddControl(memErrors, "EDIT", "",
               WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                   ES_AUTOHSCROLL,
               20, 140, 388, 118, kIdErrors, WS_EX_CLIENTEDGE);
    bvlButtons.OnPage = btnPrevious.OnPage = btnNext.OnPage = btnCancel.OnPage = false;
    AddControl(bvlButtons, "STATIC", "", WS_CHILD | SS_ETCHEDHORZ, 8, 272, 412, 2, kIdBevel);
    AddControl(btnPrevious, "BUTTON", "<< &Previous", kButton, 172, 283, 80, 25, kIdPrevious);
    AddControl(btnNext, "BUTTON", "&Next >>", kButton | BS_DEFPUSHBUTTON, 252, 283, 80, 25, kIdNext);
    AddControl(btnCancel, "BUTTON", "&Cancel", kButton, 340, 283, 80, 25, kIdCancel);
}

HWND TMainForm::AddControl(TControl& control, const char* className, const char* text, DWORD style, int x,
                           int y, int width, int height, int id, DWORD exStyle)
{
    control.Handle = CreateWindowExA(exStyle, className, text, style, x, y, width, height, FWindow,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), FInstance, nullptr);
    if (!control.Handle)
        throw TError(std::string("Cannot create a control of class ") + className);
    HFONT font = FFont.Get() ? FFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(control.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control.Handle;
}

void TMainForm::ShowPage(TPage page)
{
    FPage = page;
    ApplyVisibility();
}

void TMainForm::ApplyVisibility()
{
    for (TControl* control : {&lblIntro, &lblUninstalling, &lblProgress, &ProgressBar, &lblComplete, &lblError,
                              &btnMoreInfo, &memErrors, &bvlButtons, &btnPrevious, &btnNext, &btnCancel})
    {
        bool shown = control->Visible && (!control->OnPage || control->Page == FPage);
        ShowWindow(control->Handle, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void TMainForm::SetVisible(TControl& control, bool visible)
{
    control.Visible = visible;
    ApplyVisibility();
}

bool TMainForm::Usable(const TControl& control) const
{
    return IsWindowVisible(control.Handle) && IsWindowEnabled(control.Handle);
}

void TMainForm::PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            // Not ours to swallow: the main loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!FWindow || !IsDialogMessageA(FWindow, &message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

int TMainForm::Run()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
    {
        // IsDialogMessage gives the dialog keys: Tab, Enter, Esc and the access keys.
        if (!FWindow || !IsDialogMessageA(FWindow, &message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

void TMainForm::PageControlChange()
{
    TButtonState state = ButtonsForPage(FPage);
    EnableWindow(btnPrevious.Handle, state.PreviousEnabled);
    EnableWindow(btnNext.Handle, state.NextEnabled);
    EnableWindow(btnCancel.Handle, state.CancelEnabled);
    SetWindowTextA(btnNext.Handle, state.NextIsFinish ? "Finish" : "&Next >>");
    if (state.ResetErrors)
    {
        lblError.Visible = btnMoreInfo.Visible = memErrors.Visible = false;
        FErrors.clear();
        SetWindowTextA(memErrors.Handle, "");
        ApplyVisibility();
    }
}

void TMainForm::btnNextClick()
{
    if (FRemoving || !Usable(btnNext))
        return;
    if (FPage == TPage::Complete)
    {
        DestroyWindow(FWindow);
        return;
    }
    if (FPage != TPage::Intro)
        return;
    FRemoving = true;
    ShowPage(TPage::Uninstalling);
    PageControlChange();
    SetFocus(FWindow); // the focused button has just been disabled
    PumpMessages();
    RunUninstall(*FLog, FSystem, *this, FErrors);
    FRemoving = false;
    SetWindowTextA(memErrors.Handle, JoinLines(FErrors).c_str());
    if (!FErrors.empty())
        btnMoreInfo.Visible = lblError.Visible = true;
    ShowPage(TPage::Complete);
    PageControlChange();
    SetFocus(btnNext.Handle);
}

void TMainForm::btnMoreInfoClick()
{
    if (!Usable(btnMoreInfo))
        return;
    EnableWindow(btnMoreInfo.Handle, FALSE);
    SetVisible(memErrors, true);
    SetFocus(memErrors.Handle);
}

void TMainForm::btnCancelClick()
{
    // Esc reaches here through IsDialogMessage even while Cancel is disabled.
    if (!FRemoving && Usable(btnCancel))
        DestroyWindow(FWindow);
}

bool TMainForm::FormCloseQuery() const { return !FRemoving && CanClose(FPage); }

void TMainForm::EntryStarting(const std::string& progressText)
{
    SetWindowTextA(lblProgress.Handle, progressText.c_str());
}

void TMainForm::EntryDone()
{
    SendMessageA(ProgressBar.Handle, PBM_SETPOS, static_cast<WPARAM>(++FProgress), 0);
    PumpMessages();
}

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* form = static_cast<TMainForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->FWindow = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TMainForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    // No exception may unwind through user32.
    try
    {
        return form->HandleMessage(message, wParam, lParam);
    }
    catch (const std::exception& error)
    {
        MessageBoxA(window, ErrorBoxText(error.what()).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    catch (...)
    {
        MessageBoxA(window, "Unexpected error.", kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    return 0;
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
            case kIdNext:
                btnNextClick();
                return 0;
            case kIdMoreInfo:
                btnMoreInfoClick();
                return 0;
            case kIdCancel:
                btnCancelClick();
                return 0;
            }
        }
        break;
    case DM_GETDEFID:
        // Lets IsDialogMessage send Enter to btnNext (it checks that it is enabled).
        return MAKELRESULT(kIdNext, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
        // A read-only edit asks as a static; the error list should still read as a box.
        if (reinterpret_cast<HWND>(lParam) == memErrors.Handle)
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
            if (focus && IsChild(FWindow, focus))
                FFocus = focus;
        }
        else if (FFocus && IsWindowEnabled(FFocus) && IsWindowVisible(FFocus))
        {
            SetFocus(FFocus);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (FormCloseQuery())
            DestroyWindow(FWindow);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
    {
        HWND window = FWindow;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        FWindow = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    }
    return DefWindowProcA(FWindow, message, wParam, lParam);
}

} // namespace uninstall
} // namespace kf
