#include "runtime/installer/WizardFormUnit.h"

#include "platform/Error.h"
#include "runtime/installer/DirectorySelectForm.h"
#include "runtime/installer/InstallerAppearance.h"
#include "runtime/installer/LicensePrint.h"
#include "runtime/installer/RichTextStream.h"
#include "runtime/installer/MainFormUnit.h"
#include "win32ui/Control.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/Font.h"

#include <commctrl.h>
#include <richedit.h>

namespace kf {
namespace installer {

namespace {

constexpr const char* kWizardClass = "KitforgeSetupWizard";
constexpr int kClientWidth = 484;
constexpr int kClientHeight = 371;
constexpr UINT_PTR kSpaceTimerId = 1;
constexpr COLORREF kDarkRed = RGB(128, 0, 0);

enum : int
{
    kIdNext = 1000,
    kIdPrevious,
    kIdFinish,
    kIdPrint,
    kIdBrowse,
    kIdReadme,
    kIdDesktopIcon,
    kIdLaunchNow,
    kIdStatic = 1100,
    kIdCancel = IDCANCEL, // Esc in IsDialogMessage sends IDCANCEL
};

// Labels show the title, which may hold "&": it must not become an access key.
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

} // namespace

TWizardForm::TWizardForm(TMainForm& main) : FMain(main)
{
    FFont = ui::CreateMessageFont();
    FFaceBrush.Reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
}

TWizardForm::~TWizardForm()
{
    if (Handle())
        KillTimer(Handle(), kSpaceTimerId);
    Destroy(); // the rich-text box goes before its library
}

HWND TWizardForm::Add(int page, const char* className, const char* text, DWORD style, int x, int y, int width,
                      int height, int id, DWORD exStyle)
{
    HWND control = ui::CreateControl(Handle(), className, text, style, exStyle, x, y, width, height, id, FFont.Get());
    FPages.Add(control, page);
    return control;
}

void TWizardForm::Create(HWND owner, const std::string& caption, bool hasImage)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area;
    GetWindowRect(owner, &area);
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    RegisterWindowClass(kWizardClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(kWizardClass, exStyle, caption.c_str(), style, x, y, width, height, owner);
    // The rich-text box's window class lives in this library.
    FRichEdit = ui::TSystemLibrary("riched20.dll");

    // Without a picture the text panels take the whole page.
    const int tx = hasImage ? 172 : 12;
    const int tw = kClientWidth - 12 - tx;
    int id = kIdStatic;
    auto picture = [&](int page, HWND& panel, HWND& image) {
        panel = Add(page, "STATIC", "", SS_SUNKEN, 8, 8, 154, 264, id++);
        image = Add(page, "STATIC", "", SS_BITMAP | SS_CENTERIMAGE, 10, 10, 150, 260, id++);
    };

    // Creation order is the Tab order: the page's controls, then the button row.
    picture(tabInfo, pnlImgInfo, imgInfo);
    lblInfo = Add(tabInfo, "STATIC", "", kLabel, tx, 16, tw, 250, id++);

    rchLicense =
        Add(tabLicense, RICHEDIT_CLASSA, "", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 8,
            8, 468, 244, id++, WS_EX_CLIENTEDGE);
    lblLicenseAgree = Add(tabLicense, "STATIC", "", kLabel, 8, 262, 468, 44, id++);

    picture(tabLocation, pnlImgLocation, imgLocation);
    lblWhereToInstall = Add(tabLocation, "STATIC", "", kLabel, tx, 16, tw, 44, id++);
    edtLocation =
        Add(tabLocation, "EDIT", "", WS_DISABLED | ES_AUTOHSCROLL, tx, 72, tw - 92, 22, id++, WS_EX_CLIENTEDGE);
    btnBrowse = Add(tabLocation, "BUTTON", "&Browse...", kButton, tx + tw - 86, 71, 86, 24, kIdBrowse);
    lblSpaceRequiredCaption = Add(tabLocation, "STATIC", "Space required:", kLabel, tx, 116, 110, 16, id++);
    lblSpaceRequired = Add(tabLocation, "STATIC", "", kLabel, tx + 112, 116, tw - 112, 16, id++);
    lblSpaceAvailableCaption = Add(tabLocation, "STATIC", "Space available:", kLabel, tx, 138, 110, 16, id++);
    lblSpaceAvailable = Add(tabLocation, "STATIC", "", kLabel, tx + 112, 138, tw - 112, 16, id++);
    lblInsufficientDiskSpace = Add(tabLocation, "STATIC", kInsufficientLabelText, kLabel, tx, 170, tw, 32, id++);

    picture(tabInstalling, pnlImgInstalling, imgInstalling);
    lblInstallingFile = Add(tabInstalling, "STATIC", "", kLabel | SS_PATHELLIPSIS, tx, 40, tw, 16, id++);
    prgFile = Add(tabInstalling, PROGRESS_CLASSA, "", 0, tx, 60, tw, 18, id++);
    lblTotalProgress = Add(tabInstalling, "STATIC", "", kLabel, tx, 110, tw, 16, id++);
    prgTotal = Add(tabInstalling, PROGRESS_CLASSA, "", 0, tx, 130, tw, 18, id++);

    picture(tabCompleting, pnlImgCompleting, imgCompleting);
    lblCompleting = Add(tabCompleting, "STATIC", "", kLabel, tx, 40, tw, 44, id++);

    picture(tabComplete, pnlImgComplete, imgComplete);
    lblComplete = Add(tabComplete, "STATIC", "", kLabel, tx, 16, tw, 124, id++);
    chkDesktopIcon = Add(tabComplete, "BUTTON", "Create &Desktop Icon", WS_TABSTOP | BS_AUTOCHECKBOX, tx, 150, tw, 20,
                         kIdDesktopIcon);
    chkLaunchNow =
        Add(tabComplete, "BUTTON", "&Launch Program Now", WS_TABSTOP | BS_AUTOCHECKBOX, tx, 174, tw, 20, kIdLaunchNow);
    btnReadme = Add(tabComplete, "BUTTON", "&View Readme", kButton, tx, 206, 110, 25, kIdReadme);

    const int row = ui::TPageControls::kEveryPage; // the button row, on every page
    bvlButtons = Add(row, "STATIC", "", SS_ETCHEDHORZ, 8, 322, 468, 2, id++);
    btnPrint = Add(row, "BUTTON", "&Print", kButton, 8, 336, 80, 25, kIdPrint);
    btnPrevious = Add(row, "BUTTON", kPreviousCaption, kButton, 214, 336, 86, 25, kIdPrevious);
    btnNext = Add(row, "BUTTON", kNextCaption, kButton | BS_DEFPUSHBUTTON, 302, 336, 86, 25, kIdNext);
    btnFinish = Add(row, "BUTTON", "&Finish", kButton, 302, 336, 86, 25, kIdFinish);
    btnCancel = Add(row, "BUTTON", "&Cancel", kButton, 396, 336, 80, 25, kIdCancel);

    if (!hasImage)
        for (HWND panel : {pnlImgInfo, imgInfo, pnlImgLocation, imgLocation, pnlImgInstalling, imgInstalling,
                           pnlImgCompleting, imgCompleting, pnlImgComplete, imgComplete})
            FPages.SetOwnVisible(panel, false);
    SendMessageA(prgFile, PBM_SETRANGE32, 0, 1);
    SendMessageA(prgTotal, PBM_SETRANGE32, 0, 1);
}

void TWizardForm::Show()
{
    ShowWindow(Handle(), SW_SHOWNORMAL);
    UpdateWindow(Handle());
    SetFocus(btnNext);
}

void TWizardForm::ApplyVisibility()
{
    HWND focus = GetFocus();
    FPages.Apply();
    // A focused control that went away leaves the keyboard with nowhere to go.
    if (focus && IsChild(Handle(), focus) && !IsWindowVisible(focus))
    {
        for (HWND next : {btnNext, btnFinish, btnCancel})
            if (Usable(next))
            {
                SetFocus(next);
                return;
            }
        SetFocus(Handle());
    }
}

void TWizardForm::SetVisible(HWND control, bool visible)
{
    FPages.SetOwnVisible(control, visible);
    ApplyVisibility();
}

bool TWizardForm::Usable(HWND control) const
{
    return IsWindowVisible(control) && IsWindowEnabled(control);
}

bool TWizardForm::Checked(HWND checkBox) const
{
    return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWizardForm::Render(const TWizardState& state)
{
    // The captions are the model's constants: a changed pointer is a changed caption.
    if (state.NextCaption != FShownState.NextCaption)
        SetWindowTextA(btnNext, state.NextCaption);
    if (state.PreviousCaption != FShownState.PreviousCaption)
        SetWindowTextA(btnPrevious, state.PreviousCaption);
    bool finishAppears = state.FinishVisible && !FShownState.FinishVisible;
    bool installingAppears = state.Page == tabInstalling && FShownState.Page != tabInstalling;
    FPages.SetOwnVisible(btnPrevious, state.PreviousVisible);
    FPages.SetOwnVisible(btnPrint, state.PrintVisible);
    FPages.SetOwnVisible(btnNext, state.NextVisible);
    FPages.SetOwnVisible(btnFinish, state.FinishVisible);
    FPages.SetOwnVisible(btnCancel, state.CancelVisible);
    EnableWindow(btnPrevious, state.PreviousEnabled);
    EnableWindow(btnNext, state.NextEnabled);
    EnableWindow(btnFinish, state.FinishEnabled);
    EnableWindow(btnCancel, state.CancelEnabled);
    EnableSpaceTimer(state.SpaceTimer);
    FPages.SetPage(state.Page);
    FShownState = state;
    ApplyVisibility();
    if (installingAppears)
        SetFocus(btnCancel);
    if (finishAppears)
    {
        // The default button moves with the step: Enter finishes on the last page.
        SendMessageA(btnNext, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        SendMessageA(btnFinish, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        SetFocus(btnFinish);
    }
}


void TWizardForm::EnableSpaceTimer(bool enabled)
{
    if (enabled && !FTimerOn)
        SetTimer(Handle(), kSpaceTimerId, 1000, nullptr);
    else if (!enabled && FTimerOn)
        KillTimer(Handle(), kSpaceTimerId);
    FTimerOn = enabled;
}

bool TWizardForm::LoadPictures(const std::string& bitmap)
{
    size_t infoOffset = 0, bitsOffset = 0;
    if (!FindBitmapLayout(bitmap, infoOffset, bitsOffset))
        return false;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bitmap.data() + infoOffset);
    HWND images[5] = {imgInfo, imgLocation, imgInstalling, imgCompleting, imgComplete};
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 5; ++i)
    {
        FPictures[i].Reset(
            CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, bitmap.data() + bitsOffset, info, DIB_RGB_COLORS));
        // STM_SETIMAGE hands back the previous bitmap, which the control does not free.
        SendMessageA(images[i], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FPictures[i].Get()));
    }
    ReleaseDC(nullptr, screen);
    return true;
}

void TWizardForm::SetUpPages(const TPageSetup& setup)
{
    SetWindowTextA(lblInfo, setup.Welcome.c_str());
    if (setup.HasLicense)
    {
        StreamRichText(rchLicense, setup.License);
        SetWindowTextA(lblLicenseAgree, setup.LicenseAgree.c_str());
    }
    SetWindowTextA(lblWhereToInstall, setup.WhereToInstall.c_str());
    SetWindowTextA(edtLocation, setup.Location.c_str());
    SetWindowTextA(lblSpaceRequired, setup.SpaceRequired.c_str());
    if (!setup.BrowseEnabled)
        EnableWindow(btnBrowse, FALSE);
    SetWindowTextA(lblInstallingFile, kInstallingFilesText);
    SetWindowTextA(lblTotalProgress, kInstallingFilesText);
    SetWindowTextA(lblCompleting, kCreatingGroupsText);
    SetVisible(chkDesktopIcon, setup.DesktopIcon);
    SendMessageA(chkDesktopIcon, BM_SETCHECK, setup.DesktopIcon ? BST_CHECKED : BST_UNCHECKED, 0);
    SetVisible(chkLaunchNow, setup.LaunchNow);
    SendMessageA(chkLaunchNow, BM_SETCHECK, setup.LaunchNow ? BST_CHECKED : BST_UNCHECKED, 0);
    SetVisible(btnReadme, setup.Readme);
    SetWindowTextA(lblComplete, setup.Complete.c_str());
    if (!setup.Image.empty())
        LoadPictures(setup.Image);
}

void TWizardForm::ShowSpace(const std::string& available, bool insufficient)
{
    SetWindowTextA(lblSpaceAvailable, available.c_str());
    SetVisible(lblInsufficientDiskSpace, insufficient);
}


void TWizardForm::ShowProgress(const TProgressState& progress)
{
    struct TBar
    {
        HWND Bar;
        int32_t Position, Maximum, ShownPosition, ShownMaximum;
    };
    for (const TBar& bar : {TBar{prgFile, progress.FilePosition, progress.FileMaximum, FShown.FilePosition,
                                 FShown.FileMaximum},
                            TBar{prgTotal, progress.TotalPosition, progress.TotalMaximum, FShown.TotalPosition,
                                 FShown.TotalMaximum}})
    {
        bool rangeChanged = !FShownBars || bar.Maximum != bar.ShownMaximum;
        if (rangeChanged)
            SendMessageA(bar.Bar, PBM_SETRANGE32, 0, bar.Maximum);
        if (rangeChanged || bar.Position != bar.ShownPosition)
            SendMessageA(bar.Bar, PBM_SETPOS, static_cast<WPARAM>(bar.Position), 0);
    }
    if (progress.InstallingFile != FShown.InstallingFile)
        SetWindowTextA(lblInstallingFile, progress.InstallingFile.c_str());
    if (progress.TotalLabel != FShown.TotalLabel)
        SetWindowTextA(lblTotalProgress, progress.TotalLabel.c_str());
    FShown = progress;
    FShownBars = true;
}

void TWizardForm::ShowLabel(TLabel label, const std::string& text)
{
    // The others are drawn paced, with the bars (ShowProgress).
    if (label == TLabel::Completing)
        SetWindowTextA(lblCompleting, text.c_str());
}

bool TWizardForm::Ask(TQuestion question, const std::string& text)
{
    // The licence question is the wizard's own; the other two stop every window of
    // the program, as a close request may come from the background too.
    UINT flags = MB_YESNO | MB_ICONQUESTION | (question == TQuestion::RefuseLicense ? 0 : MB_TASKMODAL);
    return MessageBoxA(Handle(), text.c_str(), kCancelCaption, flags) == IDYES;
}

void TWizardForm::Tell(TNotice notice, const std::string& text)
{
    switch (notice)
    {
    case TNotice::InsufficientSpace:
        MessageBoxA(Handle(), text.c_str(), kInsufficientCaption, MB_OK | MB_ICONINFORMATION);
        break;
    case TNotice::InstallError:
        MessageBoxA(Handle(), text.c_str(), kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
        break;
    case TNotice::LogError:
        ui::ShowErrorBox(Handle(), text, FMain.Title().c_str());
        break;
    }
}

void TWizardForm::PumpMessages()
{
    FMain.Pump();
}

void TWizardForm::BringToFront()
{
    SetForegroundWindow(Handle());
}

void TWizardForm::EndProgram(int exitCode)
{
    FMain.EndProgram(exitCode);
}

void TWizardForm::btnBrowseClick()
{
    TInstallerModel& model = FMain.Model();
    if (!Usable(btnBrowse) || !model.CanBrowse())
        return;
    TDirectorySelect dialog(FMain.System());
    if (dialog.Execute(Handle(), model.Location(), FFont.Get()))
    {
        SetWindowTextA(edtLocation, dialog.ChosenPath().c_str());
        model.Browsed(dialog.ChosenPath());
    }
}

void TWizardForm::btnPrintClick()
{
    if (!Usable(btnPrint) || !FMain.Model().CanPrint())
        return;
    try
    {
        if (CheckPrinter(Handle()))
            PrintRichText(Handle(), rchLicense, PrintJobTitle(FMain.Title()));
    }
    catch (const std::exception&)
    {
        // Errors while printing are ignored.
    }
}

void TWizardForm::btnReadmeClick()
{
    if (Usable(btnReadme) && FMain.Model().CanViewReadme())
        FMain.ViewReadme();
}

LRESULT TWizardForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
        {
            switch (LOWORD(wParam))
            {
            // Esc reaches Cancel through IsDialogMessage even while it is hidden or
            // disabled: the model knows whether each button is there.
            case kIdNext:
                FMain.Model().Next();
                return 0;
            case kIdFinish:
                FMain.Model().Finish(Checked(chkDesktopIcon), Checked(chkLaunchNow));
                return 0;
            case kIdPrevious:
                FMain.Model().Previous();
                return 0;
            case kIdCancel:
                FMain.Model().Cancel();
                return 0;
            case kIdBrowse:
                btnBrowseClick();
                return 0;
            case kIdPrint:
                btnPrintClick();
                return 0;
            case kIdReadme:
                btnReadmeClick();
                return 0;
            }
        }
        break;
    case DM_GETDEFID:
        // Lets IsDialogMessage send Enter to the default button (it checks it is enabled).
        return MAKELRESULT(IsWindowVisible(btnFinish) ? kIdFinish : kIdNext, DC_HASDEFID);
    case WM_TIMER:
        if (wParam == kSpaceTimerId)
            FMain.Model().SpaceTimer();
        return 0;
    case WM_CTLCOLORSTATIC:
    {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == lblInsufficientDiskSpace)
        {
            SetTextColor(dc, kDarkRed);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(FFaceBrush.Get());
        }
        break;
    }
    case WM_CLOSE:
        // Alt+F4, the caption's button, the task bar: the model decides, and during the
        // copy, its roll-back and the group step nothing closes under them.
        FMain.Model().Close();
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace installer
} // namespace kf
