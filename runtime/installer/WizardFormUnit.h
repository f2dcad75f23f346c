// TWizardForm: the setup wizard in front of the background window. Six pages without
// tabs (welcome, licence, location, installing, creating groups, complete) above a row
// of buttons. It creates its controls, shows what it is told and forwards its events
// to TMainForm, which follows the step table of InstallerCore.
#pragma once

#include "runtime/installer/InstallerCore.h"
#include "win32ui/Gdi.h"
#include "win32ui/PageControls.h"
#include "win32ui/Window.h"

#include <string>

namespace kf {
namespace installer {

class TMainForm;

enum TWizardPage : int
{
    tabInfo = 0,
    tabLicense,
    tabLocation,
    tabInstalling,
    tabCompleting,
    tabComplete,
};

class TWizardForm : public ui::TWindow, public IInstallView
{
public:
    explicit TWizardForm(TMainForm& main);
    ~TWizardForm() override;

    // The dialog, centred on owner, hidden until Show.
    void Create(HWND owner, const std::string& caption, bool hasImage);
    void Show();

    void ShowPage(int page);
    int ActivePage() const { return FPages.Page(); }
    void ApplyStep(const TStepChange& change);
    void SetVisible(HWND control, bool visible);
    void EnableSpaceTimer(bool enabled);

    // Fills the five picture boxes from one bitmap file's bytes; false when it is no
    // usable bitmap.
    bool LoadPictures(const std::string& bitmap);
    // RTF shown formatted, anything else as plain text.
    void LoadLicense(const std::string& text);

    void UpdateSpace();
    void CheckPrinterAndPrint();
    // False when there is no printer; the "No Printer" question has been asked then.
    bool CheckPrinter();

    // IInstallView
    void Pump() override;
    void CopyStarted() override;
    void GroupStepStarted() override;
    void SetInstallingFile(const std::string& text) override;
    void SetTotalLabel(const std::string& text) override;
    void SetCompleting(const std::string& text) override;
    void SetFileProgress(int32_t position, int32_t maximum) override;
    void SetTotalProgress(int32_t position, int32_t maximum) override;
    void ShowInstallError(const std::string& text) override;
    void ShowLogError(const std::string& text) override;
    void BringToFront() override;

    // The buttons AbortInstall disables.
    void DisableButtons();
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
    HWND Add(int page, const char* className, const std::string& text, DWORD style, int x, int y, int width, int height,
             int id, DWORD exStyle = 0);
    void ApplyVisibility();
    bool Usable(HWND control) const;

    void btnNextClick();
    void btnFinishClick();
    void btnPreviousClick();
    void btnCancelClick();
    void btnBrowseClick();
    void btnPrintClick();
    void btnReadmeClick();
    void SpaceTimerTimer();
    bool FormCloseQuery();
    void FormClose();

    TMainForm& FMain;
    ui::TFont FFont;
    ui::TBrush FFaceBrush;
    ui::TBitmap FPictures[5];
    HMODULE FRichEdit = nullptr; // riched20.dll, freed with the form
    bool FTimerOn = false;
    ui::TPageControls FPages; // the page's controls, then the button row (every page)
    // What the copy last asked the installing page to show, and what it shows.
    struct TPendingBar
    {
        explicit TPendingBar(HWND& bar) : Bar(bar) {}
        HWND& Bar;
        int32_t Position = 0, Maximum = 0;
        int32_t ShownPosition = -1, ShownMaximum = -1;
    };
    struct TPendingText
    {
        explicit TPendingText(HWND& label) : Label(label) {}
        HWND& Label;
        std::string Text;
        bool Changed = false;
        void Set(const std::string& text)
        {
            Text = text;
            Changed = true;
        }
    };
    void ShowPendingProgress();

    static constexpr DWORD kMinShowIntervalMs = 100;
    static constexpr DWORD kMaxShowIntervalMs = 500;
    DWORD FShowInterval = kMinShowIntervalMs;
    DWORD FLastShown = 0;
    static constexpr DWORD kMessageIntervalMs = 10;
    DWORD FLastPumped = 0;
    bool FShownOnce = false;
    TPendingBar FFileBar{prgFile};
    TPendingBar FTotalBar{prgTotal};
    TPendingText FInstallingText{lblInstallingFile};
    TPendingText FTotalText{lblTotalProgress};
};

} // namespace installer
} // namespace kf
