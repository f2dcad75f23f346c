#include "runtime/installer/MainFormUnit.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "runtime/common/SetupSwitches.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/installer/InstallerAppearance.h"
#include "win32ui/MessageLoop.h"
#include "win32ui/ShellLaunch.h"

#include <shellapi.h>

namespace kf {
namespace installer {

namespace {

constexpr const char* kBackgroundClass = "KitforgeSetupBackground";

} // namespace

TMainForm::TMainForm(TInstallerModel& run, const TInstaller& installer, IInstallSystem& system)
    : FRun(run), FInstaller(installer), FSystem(system), FWizard(std::make_unique<TWizardForm>(*this))
{}

TMainForm::~TMainForm()
{
    FWizard.reset(); // the owned wizard goes before its owner
    Destroy();
    if (!FReadmeFolder.Path().empty())
        ui::TPrivateFolder::RemoveAtRestart(FReadmeFolder.Path());
}

void TMainForm::FormCreate()
{
    TPageSetup setup = FRun.Pages();
    RegisterWindowClass(kBackgroundClass, nullptr);
    CreateHandle(kBackgroundClass, 0, setup.Title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    // Maximised before the wizard is placed, so that the wizard centres on the screen.
    ShowWindow(Handle(), SW_SHOWMAXIMIZED);
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(32, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    FTitleFont.Reset(CreateFontA(height, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial"));

    FWizard->Create(Handle(), setup.Title, !setup.Image.empty());
    FWizard->SetUpPages(setup);
}

void TMainForm::Show()
{
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
    FWizard->Show();
}

void TMainForm::Run() { ui::RunMessageLoop(); }

void TMainForm::Pump() { ui::PumpMessages(); }

void TMainForm::ViewReadme()
{
    // Into a folder of the setup's own, opened by the user's shell. The viewer reads it
    // after the setup may have ended, so the folder goes at the next restart.
    if (FReadmeFolder.Path().empty())
    {
        std::string temp = TrimText(TempDirectoryRaw());
        temp = AddBackslash(temp.empty() ? std::string("C:\\TEMP") : temp);
        ForceDirectories(temp);
        if (!FReadmeFolder.Create(temp))
            return;
    }
    std::string path = FRun.ExtractReadme(FReadmeFolder.Path());
    if (!path.empty())
        ui::OpenForUser(path, std::string());
}

void TMainForm::EndProgram(int exitCode)
{
    if (FEnded)
        return;
    FEnded = true;
    FWizard->EnableSpaceTimer(false);
    ShowWindow(FWizard->Handle(), SW_HIDE);
    ShowWindow(Handle(), SW_HIDE);
    PostQuitMessage(exitCode);
}

void TMainForm::FormPaint(HDC dc)
{
    RECT client;
    GetClientRect(Handle(), &client);
    const TInstaller& installer = FInstaller;
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
        // The task bar's close and Alt+F4 on the background: the model decides.
        FRun.Close();
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace installer
} // namespace kf
