#include "runtime/installer/WizardFormUnit.h"

#include "runtime/common/SetupSwitches.h"

#include "platform/Error.h"
#include "runtime/installer/DirectorySelectForm.h"
#include "runtime/installer/MainFormUnit.h"
#include "win32ui/Control.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/Font.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <winspool.h>

#include <algorithm>

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

// The rich-text box takes its document through EM_STREAMIN, piece by piece.
struct TStreamSource
{
    const std::string* Text;
    size_t Position;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got)
{
    auto* source = reinterpret_cast<TStreamSource*>(cookie);
    size_t left = source->Text->size() - source->Position;
    size_t count = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
    memcpy(buffer, source->Text->data() + source->Position, count);
    source->Position += count;
    *got = static_cast<LONG>(count);
    return 0;
}

// A printer DC, its job and the dialog's global memory, released on every path.
struct TPrintJob
{
    PRINTDLGA Dialog = {};
    ~TPrintJob()
    {
        if (Dialog.hDC)
            DeleteDC(Dialog.hDC);
        if (Dialog.hDevMode)
            GlobalFree(Dialog.hDevMode);
        if (Dialog.hDevNames)
            GlobalFree(Dialog.hDevNames);
    }
};

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
    if (FRichEdit)
        FreeLibrary(FRichEdit);
}

HWND TWizardForm::Add(int page, const char* className, const std::string& text, DWORD style, int x, int y, int width,
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
    FRichEdit = LoadLibraryA("riched20.dll");

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

void TWizardForm::ShowPage(int page)
{
    FPages.SetPage(page);
    ApplyVisibility();
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

void TWizardForm::ApplyStep(const TStepChange& change)
{
    if (change.NextCaption)
        SetWindowTextA(btnNext, change.NextCaption);
    if (change.PreviousCaption)
        SetWindowTextA(btnPrevious, change.PreviousCaption);
    auto apply = [this](int value, HWND control) {
        if (value >= 0)
            FPages.SetOwnVisible(control, value != 0);
    };
    apply(change.PreviousVisible, btnPrevious);
    apply(change.PrintVisible, btnPrint);
    apply(change.NextVisible, btnNext);
    apply(change.FinishVisible, btnFinish);
    apply(change.CancelVisible, btnCancel);
    if (change.SpaceTimer >= 0)
        EnableSpaceTimer(change.SpaceTimer != 0);
    if (change.Page >= 0)
        FPages.SetPage(change.Page);
    ApplyVisibility();
    if (change.FinishVisible == 1)
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

void TWizardForm::LoadLicense(const std::string& text)
{
    TStreamSource source = {&text, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = StreamIn;
    bool rtf = text.compare(0, 5, "{\\rtf") == 0;
    SendMessageA(rchLicense, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
}

void TWizardForm::UpdateSpace()
{
    TInstaller& installer = FMain.Installer();
    installer.FreeSpace = FMain.GetFreeSpace(ui::WindowText(edtLocation));
    SetWindowTextA(lblSpaceAvailable, KilobytesText(installer.FreeSpace).c_str());
    SetVisible(lblInsufficientDiskSpace, installer.SpaceRequired > installer.FreeSpace);
}

bool TWizardForm::CheckPrinter()
{
    char name[512];
    DWORD size = sizeof(name);
    if (GetDefaultPrinterA(name, &size))
        return true;
    if (MessageBoxA(Handle(), kNoPrinterText, kNoPrinterCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        WinExec(kAddPrinterCommand, SW_SHOW);
    return false;
}

void TWizardForm::CheckPrinterAndPrint()
{
    if (!CheckPrinter())
        return;
    TPrintJob job;
    job.Dialog.lStructSize = sizeof(job.Dialog);
    job.Dialog.hwndOwner = Handle();
    job.Dialog.Flags = PD_PRINTSETUP | PD_RETURNDC;
    if (!PrintDlgA(&job.Dialog) || !job.Dialog.hDC)
        return;
    HDC printer = job.Dialog.hDC;
    std::string title = PrintJobTitle(FMain.Title());
    DOCINFOA document = {};
    document.cbSize = sizeof(document);
    document.lpszDocName = title.c_str();
    if (StartDocA(printer, &document) <= 0)
        return;
    // EM_FORMATRANGE works in twips.
    int dpiX = GetDeviceCaps(printer, LOGPIXELSX), dpiY = GetDeviceCaps(printer, LOGPIXELSY);
    FORMATRANGE range = {};
    range.hdc = range.hdcTarget = printer;
    range.rcPage = {0, 0, MulDiv(GetDeviceCaps(printer, PHYSICALWIDTH), 1440, dpiX),
                    MulDiv(GetDeviceCaps(printer, PHYSICALHEIGHT), 1440, dpiY)};
    range.rc = {720, 720, range.rcPage.right - 720, range.rcPage.bottom - 720};
    LONG length = static_cast<LONG>(SendMessageA(rchLicense, WM_GETTEXTLENGTH, 0, 0));
    range.chrg = {0, -1};
    while (range.chrg.cpMin < length)
    {
        if (StartPage(printer) <= 0)
            break;
        range.rc = {720, 720, range.rcPage.right - 720, range.rcPage.bottom - 720};
        LONG next = static_cast<LONG>(SendMessageA(rchLicense, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
        EndPage(printer);
        if (next <= range.chrg.cpMin)
            break; // nothing fitted: stop rather than print blank pages forever
        range.chrg.cpMin = next;
    }
    SendMessageA(rchLicense, EM_FORMATRANGE, FALSE, 0);
    EndDoc(printer);
}

void TWizardForm::Pump()
{
    // Under Wine a themed progress bar repaints synchronously on every PBM_SETPOS, stretching
    // its images pixel by pixel, so a copy of many small files spent more time drawing than
    // writing. The copy's progress is shown a few times a second, and the pause grows with
    // what showing it costs, so that drawing never takes more than a tenth of the time.
    DWORD now = GetTickCount();
    if (!FShownOnce || now - FLastShown >= FShowInterval)
    {
        FShownOnce = true;
        ShowPendingProgress();
        FMain.Pump();
        DWORD spent = GetTickCount() - now;
        // Capped: a question answered inside the pump must not freeze the bars for long.
        FShowInterval = std::min(kMaxShowIntervalMs, std::max(kMinShowIntervalMs, 9 * spent));
        FLastShown = FLastPumped = GetTickCount();
        return;
    }
    // Looking at the queue is a server round trip under Wine, dearer than writing a small
    // file; a hundredth of a second is still at once for a click or another program's query.
    if (now - FLastPumped >= kMessageIntervalMs)
    {
        FMain.Pump();
        FLastPumped = GetTickCount();
    }
}

void TWizardForm::ShowPendingProgress()
{
    for (TPendingBar* bar : {&FFileBar, &FTotalBar})
    {
        bool rangeChanged = bar->Maximum != bar->ShownMaximum;
        if (rangeChanged)
            SendMessageA(bar->Bar, PBM_SETRANGE32, 0, bar->Maximum);
        if (rangeChanged || bar->Position != bar->ShownPosition)
            SendMessageA(bar->Bar, PBM_SETPOS, static_cast<WPARAM>(bar->Position), 0);
        bar->ShownMaximum = bar->Maximum;
        bar->ShownPosition = bar->Position;
    }
    for (TPendingText* label : {&FInstallingText, &FTotalText})
    {
        if (!label->Changed)
            continue;
        SetWindowTextA(label->Label, label->Text.c_str());
        label->Changed = false;
    }
}

void TWizardForm::CopyStarted()
{
    FPages.SetOwnVisible(btnPrevious, false);
    FPages.SetOwnVisible(btnNext, true);
    // The copy moves on by itself; a press on Next must not start a step of its own.
    EnableWindow(btnNext, FALSE);
    ShowPage(tabInstalling);
    SetFocus(btnCancel);
    FShownOnce = false; // the new page shows its state at once
}

void TWizardForm::GroupStepStarted()
{
    ShowPendingProgress();
    ShowPage(tabCompleting);
    FShownOnce = false;
}

void TWizardForm::SetInstallingFile(const std::string& text)
{
    FInstallingText.Set(text);
}
void TWizardForm::SetTotalLabel(const std::string& text)
{
    FTotalText.Set(text);
}
// At once: the label names a program the setup is about to wait for.
void TWizardForm::SetCompleting(const std::string& text)
{
    SetWindowTextA(lblCompleting, text.c_str());
}

void TWizardForm::SetFileProgress(int32_t position, int32_t maximum)
{
    FFileBar.Position = position;
    FFileBar.Maximum = maximum;
}

void TWizardForm::SetTotalProgress(int32_t position, int32_t maximum)
{
    FTotalBar.Position = position;
    FTotalBar.Maximum = maximum;
}

void TWizardForm::ShowInstallError(const std::string& text)
{
    ShowPendingProgress(); // the file named under the message is the one that failed
    MessageBoxA(Handle(), text.c_str(), kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

void TWizardForm::ShowLogError(const std::string& text)
{
    ui::ShowErrorBox(Handle(), text, FMain.Title().c_str());
}

void TWizardForm::BringToFront()
{
    SetForegroundWindow(Handle());
}

void TWizardForm::DisableButtons()
{
    for (HWND button : {btnCancel, btnNext, btnFinish, btnPrevious})
        EnableWindow(button, FALSE);
}

void TWizardForm::btnNextClick()
{
    TInstaller& installer = FMain.Installer();
    // Steps 3 and 4 move on by themselves at the end of the copy and the group step.
    if (!Usable(btnNext) || installer.Busy || installer.StepIndex == 3 || installer.StepIndex == 4)
        return;
    FMain.NextStep();
}

void TWizardForm::btnFinishClick()
{
    if (Usable(btnFinish) && FMain.Installer().StepIndex == 5)
        FMain.NextStep();
}

void TWizardForm::btnPreviousClick()
{
    if (Usable(btnPrevious))
        FMain.PreviousStep();
}

void TWizardForm::btnCancelClick()
{
    // Esc reaches here through IsDialogMessage even while Cancel is hidden or disabled.
    if (!Usable(btnCancel))
        return;
    TInstaller& installer = FMain.Installer();
    // During the copy a cancel is an abort with roll-back, whether or not a file is
    // being written at this instant: ending the program here would leave a partial
    // installation nothing can remove.
    if (installer.InProgress || installer.Busy)
    {
        if (MessageBoxA(Handle(), AbortQuestion(FMain.Title()).c_str(), kCancelCaption,
                        MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES)
            FMain.AbortInstall();
        return;
    }
    if (FormCloseQuery())
        FormClose();
}

void TWizardForm::btnBrowseClick()
{
    if (!Usable(btnBrowse))
        return;
    TDirectorySelect dialog(FMain.System());
    if (dialog.Execute(Handle(), ui::WindowText(edtLocation), FFont.Get()))
    {
        SetWindowTextA(edtLocation, dialog.ChosenPath().c_str());
        UpdateSpace();
    }
}

void TWizardForm::btnPrintClick()
{
    if (!Usable(btnPrint))
        return;
    try
    {
        CheckPrinterAndPrint();
    }
    catch (const std::exception&)
    {
        // Errors while printing are ignored.
    }
}

void TWizardForm::btnReadmeClick()
{
    if (Usable(btnReadme))
        FMain.ViewReadme();
}

void TWizardForm::SpaceTimerTimer()
{
    UpdateSpace();
}

bool TWizardForm::FormCloseQuery()
{
    TInstaller& installer = FMain.Installer();
    if (installer.Cancelled || installer.Finished)
        return true;
    return MessageBoxA(Handle(), CloseQuestion(FMain.Title()).c_str(), kCancelCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

void TWizardForm::FormClose()
{
    // Closed on the complete page, the installation is in place all the same.
    FMain.EndProgram(FMain.Installer().StepIndex == tabComplete ? kExitSuccess : kExitCancelled);
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
            case kIdNext:
                btnNextClick();
                return 0;
            case kIdFinish:
                btnFinishClick();
                return 0;
            case kIdPrevious:
                btnPreviousClick();
                return 0;
            case kIdCancel:
                btnCancelClick();
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
            SpaceTimerTimer();
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
    {
        TInstaller& installer = FMain.Installer();
        if (installer.InProgress || installer.Busy)
        {
            // The caption's close button during the copy: the same abort as Cancel.
            if (IsWindowEnabled(btnCancel) &&
                MessageBoxA(Handle(), AbortQuestion(FMain.Title()).c_str(), kCancelCaption,
                            MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES)
                FMain.AbortInstall();
            return 0;
        }
        if (installer.StepIndex == 4)
            return 0; // the group step is running and ends by itself
        if (FormCloseQuery())
            FormClose();
        return 0;
    }
    }
    return Default(message, wParam, lParam);
}

} // namespace installer
} // namespace kf
