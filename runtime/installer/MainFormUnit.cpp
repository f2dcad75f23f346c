#include "runtime/installer/MainFormUnit.h"

#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "win32ui/MessageLoop.h"

#include <shellapi.h>

namespace kf {
namespace installer {

namespace {

constexpr const char* kBackgroundClass = "KitforgeSetupBackground";

} // namespace

TMainForm::TMainForm() = default;

TMainForm::~TMainForm()
{
    FWizard.reset(); // the owned wizard goes before its owner
    Destroy();
}

void TMainForm::FormCreate(const std::string& setupPath)
{
    FInstaller = std::make_unique<TInstaller>(setupPath);
    TInstaller& installer = *FInstaller;
    installer.ReadSettings();
    const TINFReader& description = installer.Description();

    RegisterWindowClass(kBackgroundClass, nullptr);
    CreateHandle(kBackgroundClass, 0, installer.Title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    // Maximised before the wizard is placed, so that the wizard centres on the screen.
    ShowWindow(Handle(), SW_SHOWMAXIMIZED);
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(32, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    FTitleFont.Reset(CreateFontA(height, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial"));

    std::string image;
    if (installer.HasSection("image"))
        image = installer.Package().ReadEntryString(installer.ImageName);
    FWizard = std::make_unique<TWizardForm>(*this);
    TWizardForm& wizard = *FWizard;
    size_t infoOffset, bitsOffset;
    bool hasImage = installer.HasSection("image") && FindBitmapLayout(image, infoOffset, bitsOffset);
    wizard.Create(Handle(), installer.Title, hasImage);

    installer.StepIndex = 0;
    wizard.ShowPage(tabInfo);
    SetWindowTextA(wizard.lblInfo, WelcomeText(installer.Title).c_str());
    if (installer.HasSection("license"))
    {
        wizard.LoadLicense(installer.Package().ReadEntryString(description.ReadValue("license")));
        SetWindowTextA(wizard.lblLicenseAgree, kLicenseAgreeText);
    }
    SetWindowTextA(wizard.lblWhereToInstall, WhereToInstallText(installer.Title).c_str());
    std::string base = ResolveBaseDir(description.ReadValue("basedir"), ReadBaseDirectories());
    SetWindowTextA(wizard.edtLocation, (base + description.ReadValue("defaultdir")).c_str());

    installer.SpaceRequired = EstimateSpace();
    SetWindowTextA(wizard.lblSpaceRequired, KilobytesText(installer.SpaceRequired).c_str());
    wizard.UpdateSpace();

    if (installer.HasSection("browse button"))
    {
        std::string value = description.ReadValue("browse button");
        for (char& c : value)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        if (value == "DISABLE")
            EnableWindow(wizard.btnBrowse, FALSE);
    }
    SetWindowTextA(wizard.lblInstallingFile, kInstallingFilesText);
    SetWindowTextA(wizard.lblTotalProgress, kInstallingFilesText);
    SetWindowTextA(wizard.lblCompleting, kCreatingGroupsText);

    bool desktop = installer.HasSection("desktop icons");
    bool launch = installer.HasSection("launch");
    wizard.SetVisible(wizard.chkDesktopIcon, desktop);
    SendMessageA(wizard.chkDesktopIcon, BM_SETCHECK, desktop ? BST_CHECKED : BST_UNCHECKED, 0);
    wizard.SetVisible(wizard.chkLaunchNow, launch);
    SendMessageA(wizard.chkLaunchNow, BM_SETCHECK, launch ? BST_CHECKED : BST_UNCHECKED, 0);
    wizard.SetVisible(wizard.btnReadme, installer.HasSection("readme"));
    SetWindowTextA(wizard.lblComplete, CompleteText(installer.Title, launch, desktop).c_str());

    if (hasImage)
        wizard.LoadPictures(image);
    wizard.SetVisible(wizard.btnPrint, false);
    wizard.SetVisible(wizard.btnFinish, false);
    wizard.SetVisible(wizard.btnPrevious, false);
}

void TMainForm::Show()
{
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
    FWizard->Show();
}

int TMainForm::Run() { return ui::RunMessageLoop(); }

void TMainForm::Pump() { ui::PumpMessages(); }

void TMainForm::NextStep()
{
    TInstaller& installer = *FInstaller;
    TStepChange change = NextStepChange(installer.StepIndex, installer.HasSection("license"));
    if (change.NewStep >= 0)
        installer.StepIndex = change.NewStep;
    FWizard->ApplyStep(change);
    switch (change.Action)
    {
    case TStepAction::SpaceCheckAndCopy:
        if (installer.SpaceRequired > installer.FreeSpace)
        {
            MessageBoxA(FWizard->Handle(), InsufficientSpaceText(installer.Title).c_str(), kInsufficientCaption,
                        MB_OK | MB_ICONINFORMATION);
            return;
        }
        RunCopy();
        break;
    case TStepAction::GroupStep: RunGroupStep(); break;
    case TStepAction::Finish: RunFinish(); break;
    default: break;
    }
}

void TMainForm::PreviousStep()
{
    TInstaller& installer = *FInstaller;
    TStepChange change = PreviousStepChange(installer.StepIndex, installer.HasSection("license"));
    if (change.Action == TStepAction::ConfirmRefusal)
    {
        if (MessageBoxA(FWizard->Handle(), LicenseRefusalQuestion(installer.Title).c_str(), kCancelCaption,
                        MB_YESNO | MB_ICONQUESTION) == IDYES)
        {
            installer.Finished = true;
            EndProgram(kExitCancelled);
        }
        return;
    }
    if (change.NewStep >= 0)
        installer.StepIndex = change.NewStep;
    FWizard->ApplyStep(change);
}

void TMainForm::RunCopy()
{
    TInstaller& installer = *FInstaller;
    std::string location = ui::WindowText(FWizard->edtLocation);
    switch (installer.Copy(location, FSystem, *FWizard))
    {
    case TCopyResult::Completed: NextStep(); break; // step 3: the group step
    case TCopyResult::EndProgram: EndProgram(installer.Failed ? kExitFailed : kExitCancelled); break;
    case TCopyResult::LogFailed: break;             // stays on the location page
    }
}

void TMainForm::RunGroupStep()
{
    FInstaller->GroupStep(FSystem, *FWizard);
    NextStep(); // step 4: the complete page
}

void TMainForm::RunFinish()
{
    TWizardForm& wizard = *FWizard;
    FInstaller->Finish(wizard.Checked(wizard.chkDesktopIcon), wizard.Checked(wizard.chkLaunchNow), FSystem);
    EndProgram(kExitSuccess);
}

int64_t TMainForm::EstimateSpace() const
{
    return installer::EstimateSpace(FInstaller->Description(), FInstaller->Package());
}

int64_t TMainForm::GetFreeSpace(const std::string& path) const { return DriveFreeSpace(DriveNumberFor(path)); }

void TMainForm::ViewReadme()
{
    TInstaller& installer = *FInstaller;
    if (!installer.HasSection("readme"))
        return;
    std::string path;
    installer.Package().ExtractToTemp(installer.Description().ReadValue("readme"), path);
    if (!path.empty())
        ShellExecuteA(Handle(), "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TMainForm::AbortInstall()
{
    FWizard->DisableButtons();
    if (FInstaller->AbortInstall(FSystem, *FWizard))
        EndProgram(kExitCancelled);
}

void TMainForm::SetLocation(const std::string& location)
{
    SetWindowTextA(FWizard->edtLocation, location.c_str());
    FWizard->UpdateSpace();
}

void TMainForm::EndProgram(int exitCode)
{
    if (FEnded)
        return;
    FEnded = true;
    FWizard->EnableSpaceTimer(false);
    ShowWindow(FWizard->Handle(), SW_HIDE);
    ShowWindow(Handle(), SW_HIDE);
    // The log is freed with the background window (FormClose).
    FInstaller->FreeLog();
    PostQuitMessage(exitCode);
}

void TMainForm::FormPaint(HDC dc)
{
    RECT client;
    GetClientRect(Handle(), &client);
    TInstaller& installer = *FInstaller;
    for (const TBand& band : GradientBands(installer.StartColor, installer.EndColor, installer.GradientSteps,
                                           client.bottom))
    {
        RECT rect = {0, band.Top, client.right, band.Bottom};
        ui::TBrush brush(CreateSolidBrush(band.Color & 0xFFFFFF));
        FillRect(dc, &rect, brush.Get());
    }
    HGDIOBJ oldFont = SelectObject(dc, FTitleFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(128, 128, 128));
    TextOutA(dc, 14, 14, installer.Title.c_str(), static_cast<int>(installer.Title.size()));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 10, 10, installer.Title.c_str(), static_cast<int>(installer.Title.size()));
    SelectObject(dc, oldFont);
}

bool TMainForm::FormCloseQuery()
{
    if (FInstaller->Finished || FInstaller->Cancelled)
        return true;
    HWND owner = FWizard ? FWizard->Handle() : Handle();
    return MessageBoxA(owner, CloseQuestion(FInstaller->Title).c_str(), kCancelCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        FormPaint(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the bands cover everything
    case WM_SIZE:
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_ACTIVATE:
        // The background never keeps the focus: it goes on to the wizard in front.
        if (LOWORD(wParam) != WA_INACTIVE && FWizard && FWizard->Handle() && IsWindowVisible(FWizard->Handle()) &&
            IsWindowEnabled(FWizard->Handle()))
            SetActiveWindow(FWizard->Handle());
        break;
    case WM_CLOSE:
        if (FInstaller->Busy || FInstaller->InProgress || FInstaller->StepIndex == 4)
            PostMessageA(FWizard->Handle(), WM_CLOSE, 0, 0); // the wizard's abort question
        else if (FormCloseQuery())
            EndProgram(kExitCancelled);
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace installer
} // namespace kf
