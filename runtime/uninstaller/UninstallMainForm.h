// TMainForm: the uninstaller's three-page dialog (welcome, removing, complete). It
// creates its controls, renders the removal model and forwards its buttons; what to
// show and what to remove is decided in UninstallModel and UninstallCore.
#pragma once

#include "runtime/uninstaller/UninstallModel.h"
#include "win32ui/Gdi.h"
#include "win32ui/PageControls.h"
#include "win32ui/Window.h"

#include <string>

namespace kf {
namespace uninstall {

class TMainForm : public ui::TWindow, public IUninstallView
{
public:
    explicit TMainForm(TUninstallModel& run);
    ~TMainForm() override;

    // Builds the dialog with the log's title and shows it.
    void FormCreate();
    // Runs the message loop until the dialog ends.
    void Run();

    // IUninstallView
    void ShowPage(TPage page, const TButtonState& buttons) override;
    void EntryStarting(const std::string& progressText) override;
    void EntryDone() override;
    void EndProgram(int exitCode) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateWindowAndControls();
    // A control on page (TPageControls::kEveryPage: the button row below the pages).
    HWND AddControl(int page, const char* className, const char* text, DWORD style, int x, int y, int width,
                    int height, int id, DWORD exStyle = 0);
    bool Usable(HWND control) const;

    void btnMoreInfoClick();

    TUninstallModel& FRun;
    ui::TFont FFont;       // the destructor destroys the window first: the font outlives the controls
    HWND FFocus = nullptr; // control to give the focus back to on activation
    int FProgress = 0;

    ui::TPageControls FPages;
    HWND lblIntro = nullptr, lblUninstalling = nullptr, lblProgress = nullptr, ProgressBar = nullptr,
         lblComplete = nullptr, lblError = nullptr, btnMoreInfo = nullptr, memErrors = nullptr, bvlButtons = nullptr,
         btnPrevious = nullptr, btnNext = nullptr, btnCancel = nullptr;
};

} // namespace uninstall
} // namespace kf
