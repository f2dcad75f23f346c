// TMainForm: the uninstaller's three-page dialog (welcome, removing, complete). It
// creates its controls and forwards events; what to show and what to remove is
// decided in UninstallCore.
#pragma once

#include "runtime/common/UninstallLog.h"
#include "runtime/common/Win32Handles.h"
#include "runtime/uninstaller/RemovalSystemWin32.h"
#include "runtime/uninstaller/UninstallCore.h"

#include <memory>
#include <string>
#include <vector>

namespace kf {
namespace uninstall {

class TMainForm : private IRemovalProgress
{
public:
    explicit TMainForm(HINSTANCE instance);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Opens the log named on the command line and builds the dialog. False when the
    // log cannot be opened; the "Cannot open file: " message has been shown then.
    bool FormCreate(const std::string& logPath);
    // Runs the message loop until the dialog ends; returns the exit code.
    int Run();

private:
    struct TControl
    {
        HWND Handle = nullptr;
        TPage Page = TPage::Intro;
        bool OnPage = true;  // false: below the page control, always shown
        bool Visible = true; // the control's own visibility, as on a hidden tab sheet
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateWindowAndControls();
    HWND AddControl(TControl& control, const char* className, const char* text, DWORD style, int x, int y,
                    int width, int height, int id, DWORD exStyle = 0);
    void ShowPage(TPage page);
    void ApplyVisibility();
    void SetVisible(TControl& control, bool visible);
    void PumpMessages();
    bool Usable(const TControl& control) const;

    void PageControlChange();
    void btnNextClick();
    void btnMoreInfoClick();
    void btnCancelClick();
    bool FormCloseQuery() const;

    void EntryStarting(const std::string& progressText) override;
    void EntryDone() override;

    HINSTANCE FInstance;
    TGdiObject<HFONT> FFont; // declared before the window: it outlives the controls
    HWND FWindow = nullptr;  // owned; destroyed by the destructor if still there
    HWND FFocus = nullptr;   // control to give the focus back to on activation
    std::unique_ptr<TLogFile> FLog;
    TWin32RemovalSystem FSystem;
    TPage FPage = TPage::Intro;
    std::vector<std::string> FErrors;
    int FProgress = 0;
    bool FRemoving = false;

    TControl lblIntro, lblUninstalling, lblProgress, ProgressBar, lblComplete, lblError, btnMoreInfo,
        memErrors, bvlButtons, btnPrevious, btnNext, btnCancel;
};

} // namespace uninstall
} // namespace kf
