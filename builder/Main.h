// TMainForm: Kitforge's one main window. It creates the controls of the seven wizard
// pages and the button bar, passes their notifications to TWizard, which decides, and
// lets TWizard reach the controls through TWizardView.
#pragma once

#include "builder/build/StubSource.h"
#include "builder/wizard/Wizard.h"
#include "builder/wizard/win32/Choosers.h"
#include "builder/wizard/win32/ColorGrid.h"
#include "win32ui/Control.h"
#include "win32ui/Font.h"
#include "win32ui/PageControls.h"
#include "win32ui/PaintBox.h"
#include "win32ui/Panel.h"

#include <array>
#include <memory>

namespace kf {

class TMainForm : public ui::TWindow, public TWizardView
{
public:
    static constexpr const char* kCaption = "Kitforge 1.0.5";
    static constexpr int kClientWidth = 431;
    static constexpr int kClientHeight = 311;

    TMainForm(TChooser& chooser, TStubSource& stubs);
    ~TMainForm() override;

    // Creates the window with every control, runs FormCreate and centres it on the
    // desktop; Show makes it visible.
    void Create();
    void Show();

    // For the window's own tests: the controls by name.
    HWND Control(TCtl ctl) const { return FControls[static_cast<size_t>(ctl)]; }
    HWND StartItem(int index) const { return FStartItems[static_cast<size_t>(index)]; }
    HWND FinishItem(int index) const { return FFinishItems[static_cast<size_t>(index)]; }
    HWND Page(int index) const { return FPages[static_cast<size_t>(index)].Handle(); }
    HWND BackgroundPreview() const { return FBackgroundPreview.Handle(); }
    TColorGrid& Grid(TCtl grid) { return grid == TCtl::FColorGridTop ? FColorGridTop : FColorGridBottom; }
    TWizard& Wizard() { return FWizard; }
    int PreviewPaints() const { return FPreviewPaints; }

    // Event handlers, named after their control and event.
    void FormCreate();
    void FNextButtonClick() { FWizard.NextClicked(); }
    void FBackButtonClick() { FWizard.BackClicked(); }
    void FCancelButtonClick() { FWizard.CancelClicked(); }
    void FFinishButtonClick() { FWizard.FinishClicked(); }
    void FOKButtonClick() { FWizard.OKClicked(); }
    void FSaveButtonClick() { FWizard.SaveClicked(); }
    void FAppTitleEditChange() { FWizard.TextChanged(TCtl::FAppTitleEdit); }
    void FURLEditChange() { FWizard.TextChanged(TCtl::FURLEdit); }
    void ControlChangeUpdateNextButton() { FWizard.ValidatePage(); }
    void FBaseDirectoryComboChange() { FWizard.BaseDirChanged(); }
    void FColorGridTopChange() { FWizard.ColorChanged(); }
    void FBackgroundPreviewPaint(HDC dc, int width, int height);

    // TWizardView over the controls.
    std::string Text(TCtl ctl) const override;
    void SetText(TCtl ctl, const std::string& text) override;
    bool Checked(TCtl ctl) const override;
    void SetChecked(TCtl ctl, bool checked) override;
    bool Enabled(TCtl ctl) const override;
    void SetEnabled(TCtl ctl, bool enabled) override;
    void SetVisible(TCtl ctl, bool visible) override;
    void SetLabelRed(TCtl label, bool red) override;
    int32_t ActivePage() const override { return FPageSet.Page(); }
    void SetActivePage(int32_t page) override;
    void SetFilesPage(int32_t page) override;
    int32_t RadioGroupIndex(TCtl group) const override;
    int32_t BaseDirIndex() const override;
    void SelectBaseDir(int32_t index) override;
    int32_t ColorIndex(TCtl grid) const override;
    void SetColorIndex(TCtl grid, int32_t index) override;
    std::vector<std::string> Items() const override;
    void SetItems(const std::vector<std::string>& items) override;
    void AppendItem(const std::string& item) override;
    std::vector<bool> ItemSelection() const override;
    void DeleteItem(int32_t index) override;
    void FocusFirstControl() override;
    void KeepFocusOnScreen() override;
    void RedrawPreview() override;
    void CloseWindow() override;
    std::vector<std::string> RunFileDialog(const TFileDialogSetup& setup, const std::string& initialName) override;
    std::optional<std::string> BrowseForFolder(const std::string& title) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    void OpenWithShell(const std::string& fileName) override;
    bool BuildSetup(const TInstallSettings& settings, const std::string& outputPath) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreatePages();
    void CreateStartPage(ui::TPanel& page);
    void CreateInfoPage(ui::TPanel& page);
    void CreateAppearancePage(ui::TPanel& page);
    void CreateFilesPage(ui::TPanel& page);
    void CreateIconsPage(ui::TPanel& page);
    void CreateLicensePage(ui::TPanel& page);
    void CreateFinishPage(ui::TPanel& page);
    void CreateButtonBar();
    HWND Add(TCtl ctl, HWND control, ui::TPanel& page, uint32_t anchors = ui::kAnchorDefault);
    // Controls in the window's font, added to page's layout (TCtl::Count: no name).
    HWND AddLabel(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, uint32_t anchors = ui::kAnchorDefault,
                  DWORD extra = 0);
    HWND AddEdit(TCtl ctl, ui::TPanel& page, int x, int y, int w, const char* text = "");
    HWND AddButton(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, int w, int h,
                   uint32_t anchors = ui::akTop | ui::akRight);
    HWND AddCheck(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, int w, bool checked);
    void AddRadioGroup(TCtl group, ui::TPanel& page, int y, int height, std::initializer_list<const char*> items,
                       HWND* out, int firstId);
    void Command(int id, int code);
    void Click(TCtl ctl);
    void EditChanged(TCtl ctl);
    LRESULT ControlColor(HDC dc, HWND control);
    void UpdateRadioTabStops(std::initializer_list<TCtl> group);
    TCtl ControlOf(HWND control) const;
    static LRESULT CALLBACK EditKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);

    TChooser& FChooser;
    TStubSource& FStubs;
    TWizard FWizard;
    ui::TFont FFont;
    ui::TFont FPreviewFont;
    ui::TBitmap FLogo;
    std::array<HWND, static_cast<size_t>(TCtl::Count)> FControls{};
    std::array<bool, static_cast<size_t>(TCtl::Count)> FRed{};
    std::array<std::string, static_cast<size_t>(TCtl::Count)> FEditTexts; // last text seen per edit
    std::array<HWND, 2> FStartItems{};
    std::array<HWND, 5> FFinishItems{};
    ui::TPanel FMainPanel;
    ui::TPanel FButtonPanel;
    ui::TPanel FPageControl;
    std::array<ui::TPanel, 7> FPages; // FStartTab .. FFinishTab
    ui::TPageControls FPageSet;       // one of FPages shown at a time
    ui::TPanel FImagePanel;
    HWND FLogoImage = nullptr;
    ui::TPanel FFilesPageControl;
    ui::TPanel FFilesAddTab;
    ui::TPanel FFilesDirTab;
    ui::TPageControls FFilesTabs; // FFilesAddTab, FFilesDirTab
    TColorGrid FColorGridTop;
    TColorGrid FColorGridBottom;
    ui::TPaintBox FBackgroundPreview;
    TCtl FSelectedFilesRadio = TCtl::FNoFilesRadio;
    int FPreviewPaints = 0;
};

} // namespace kf
