// TWizardForm: the setup wizard in front of the background window. Six pages without
// tabs (welcome, licence, location, installing, creating groups, complete) above a row
// of buttons. It creates its controls, renders what the installer model says and
// forwards its events to the model; it decides nothing itself.
#pragma once

#include "runtime/installer/InstallerModel.h"
#include "win32ui/Gdi.h"
#include "win32ui/PageControls.h"
#include "win32ui/SystemLibrary.h"
#include "win32ui/Window.h"

#include <string>

namespace kf {
namespace installer {

class TMainForm;

class TWizardForm : public ui::TWindow, public IWizardView
{
public:
    explicit TWizardForm(TMainForm& main);
    ~TWizardForm() override;

    // The dialog, centred on owner, hidden until Show.
    void Create(HWND owner, const std::string& caption, bool hasImage);
    void Show();

    // The texts, pictures and boxes of the pages, fixed at start.
    void SetUpPages(const TPageSetup& setup);
    void SetVisible(HWND control, bool visible);
    void EnableSpaceTimer(bool enabled);

    // Fills the five picture boxes from one bitmap file's bytes; false when it is no
    // usable bitmap.
    bool LoadPictures(const std::string& bitmap);

    // IWizardView
    void Render(const TWizardState& state) override;
    void ShowSpace(const std::string& available, bool insufficient) override;
    void ShowProgress(const TProgressState& progress) override;
    void ShowLabel(TLabel label, const std::string& text) override;
    bool Ask(TQuestion question, const std::string& text) override;
    void Tell(TNotice notice, const std::string& text) override;
    void PumpMessages() override;
    void BringToFront() override;
    void EndProgram(int exitCode) override;

    bool Checked(HWND checkBox) const;

    // Controls, by their names in the form.
    HWND pnlImgInfo = nullptr, imgInfo = nullptr, lblInfo = nullptr;
    HWND rchLicense = nullptr, lblLicenseAgree = nullptr;
    HWND pnlImgLocation = nullptr, imgLocation = nullptr, lblWhereToInstall = nullptr, edtLocation = nullptr,
         btnBrowse = nullptr, lblSpaceRequiredCaption = nullptr, lblSpaceRequired = nullptr,
         lblSpaceAvailableCaption = nullptr, lblSpaceAvailable = nullptr, lblInsufficientDiskSpace = nullptr;
    HWND pnlImgInstalling = nullptr, imgInstalling = nullptr, lblInstallingFile = nullptr, prgFile = nullptr,
         lblTotalProgress = nullptr, prgTotal = nullptr;
    HWND pnlImgCompleting = nullptr, imgCompleting = nullptr, lblCompleting = nullptr;
    HWND pnlImgComplete = nullptr, imgComplete = nullptr, lblComplete = nullptr, chkDesktopIcon = nullptr,
         chkLaunchNow = nullptr, btnReadme = nullptr;
    HWND bvlButtons = nullptr, btnPrint = nullptr, btnPrevious = nullptr, btnNext = nullptr, btnFinish = nullptr,
         btnCancel = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND Add(int page, const char* className, const char* text, DWORD style, int x, int y, int width, int height,
             int id, DWORD exStyle = 0);
    void ApplyVisibility();
    bool Usable(HWND control) const;

    void btnBrowseClick();
    void btnPrintClick();
    void btnReadmeClick();

    TMainForm& FMain;
    ui::TFont FFont;
    ui::TBrush FFaceBrush;
    ui::TBitmap FPictures[5];
    ui::TSystemLibrary FRichEdit; // riched20.dll, freed with the form
    bool FTimerOn = false;
    ui::TPageControls FPages; // the page's controls, then the button row (every page)
    // What the installing page shows, so that only changes are drawn: under Wine a
    // themed progress bar repaints synchronously on every PBM_SETPOS.
    TProgressState FShown;
    bool FShownBars = false;
    TWizardState FShownState;
};

} // namespace installer
} // namespace kf
