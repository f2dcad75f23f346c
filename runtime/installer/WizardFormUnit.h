// TWizardForm: the setup wizard in front of the background window. Six pages without
// tabs (welcome, licence, location, installing, creating groups, complete) above a row
// of buttons. It creates its controls, renders what the installer model says and
// forwards its events to the model; it decides nothing itself.
#pragma once

#include "runtime/installer/FormBase.h"
#include "runtime/installer/InstallerModel.h"

#include <string>

namespace kf {
namespace installer {

class TMainForm;

class TWizardForm : public TForm, public IWizardView
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
    // RTF shown formatted, anything else as plain text.
    void LoadLicense(const std::string& text);

    void CheckPrinterAndPrint();
    // False when there is no printer; the "No Printer" question has been asked then.
    bool CheckPrinter();

    // IWizardView
    void Render(const TWizardState& state) override;
    void ShowSpace(const std::string& available, bool insufficient) override;
    void ShowProgress(const TProgressState& progress) override;
    void ShowCompleting(const std::string& text) override;
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
    struct TPlaced
    {
        HWND Handle;
        int Page;     // -1: the button row, on every page
        bool Visible; // the control's own visibility, as on a hidden tab sheet
    };

    HWND Add(int page, const char* className, const std::string& text, DWORD style, int x, int y, int width, int height,
             int id, DWORD exStyle = 0);
    void ApplyVisibility();
    TPlaced* Find(HWND control);
    bool Usable(HWND control) const;

    void btnBrowseClick();
    void btnPrintClick();
    void btnReadmeClick();

    TMainForm& FMain;
    TGdiObject<HFONT> FFont;
    TGdiObject<HBRUSH> FFaceBrush;
    TGdiObject<HBITMAP> FPictures[5];
    HMODULE FRichEdit = nullptr; // riched20.dll, freed with the form
    int FPage = tabInfo;
    bool FTimerOn = false;
    TPlaced FPlaced[48] = {};
    int FPlacedCount = 0;
    // What the installing page shows, so that only changes are drawn: under Wine a
    // themed progress bar repaints synchronously on every PBM_SETPOS.
    TProgressState FShown;
    bool FShownBars = false;
    TWizardState FShownState;
};

} // namespace installer
} // namespace kf
