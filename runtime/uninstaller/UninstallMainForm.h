// TMainForm: the uninstaller's three-page dialog (welcome, removing, complete). It
// creates its controls and forwards events; what to show and what to remove is
// decided in UninstallCore.
#pragma once

#include "runtime/common/UninstallLog.h"
#include "runtime/uninstaller/RemovalSystemWin32.h"
#include "runtime/uninstaller/UninstallCore.h"
#include "win32ui/Gdi.h"
#include "win32ui/PageControls.h"
#include "win32ui/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace kf {
namespace uninstall {

class TMainForm : public ui::TWindow, private IRemovalProgress
{
public:
    TMainForm();
    ~TMainForm() override;

    // Opens the log named on the command line and builds the dialog. False when the
    // log cannot be opened; the "Cannot open file: " message has been shown then.
    bool FormCreate(const std::string& logPath);
    // Runs the message loop until the dialog ends; returns the exit code.
    int Run();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateWindowAndControls();
    // A control on page (TPageControls::kEveryPage: the button row below the pages).
    HWND AddControl(int page, const char* className, const char* text, DWORD style, int x, int y, int width,
                    int height, int id, DWORD exStyle = 0);
    void ShowPage(TPage page);
    bool Usable(HWND control) const;

    void PageControlChange();
    void btnNextClick();
    void btnMoreInfoClick();
    void btnCancelClick();
    bool FormCloseQuery() const;

    void EntryStarting(const std::string& progressText) override;
    void EntryDone() override;

    ui::TFont FFont;       // the destructor destroys the window first: the font outlives the controls
    HWND FFocus = nullptr; // control to give the focus back to on activation
    std::unique_ptr<TLogFile> FLog;
    TWin32RemovalSystem FSystem;
    TPage FPage = TPage::Intro;
    TRemovalReport FReport;
    int FProgress = 0;
    bool FRemoving = false;

    ui::TPageControls FPages;
    HWND lblIntro = nullptr, lblUninstalling = nullptr, lblProgress = nullptr, ProgressBar = nullptr,
         lblComplete = nullptr, lblError = nullptr, btnMoreInfo = nullptr, memErrors = nullptr, bvlButtons = nullptr,
         btnPrevious = nullptr, btnNext = nullptr, btnCancel = nullptr;
};

} // namespace uninstall
} // namespace kf
