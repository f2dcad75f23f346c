#include "builder/Main.h"

#include "builder/Wait.h"
#include "builder/build/SetupBuilder.h"
#include "builder/wizard/Navigation.h"
#include "win32ui/Application.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/MessageLoop.h"
#include "win32ui/SystemLibrary.h"

#include <commctrl.h>

namespace kf {

namespace {

// An export of comctl32, loaded at run time (no static import: see SystemLibrary.h).
template <class F> F CommonControl(const char* name)
{
    HMODULE module = ui::CommonControls();
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using ui::akBottom;
using ui::akLeft;
using ui::akRight;
using ui::akTop;

constexpr int kControlIdBase = 100; // above IDOK/IDCANCEL, which IsDialogMessage sends
constexpr int kStartItemId = 400;
constexpr int kFinishItemId = 410;
constexpr int kButtonBarHeight = 44;
constexpr int kPageLeft = 5;
constexpr int kPageTop = 6;
constexpr int kPageWidth = 421;
constexpr int kPageHeight = 255;
constexpr int kEditHeight = 21;
constexpr int kCheckHeight = 17;
constexpr int kLabelHeight = 13;
constexpr uint32_t kRight = akLeft | akTop | akRight; // "keeps its distance to the right edge"
constexpr uint32_t kRightOnly = akTop | akRight;      // "anchored right"
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;

int IdOf(TCtl ctl) { return kControlIdBase + static_cast<int>(ctl); }

bool IsFilesRadio(TCtl ctl)
{
    return ctl == TCtl::FNoFilesRadio || ctl == TCtl::FAddFilesRadio || ctl == TCtl::FDirImageRadio;
}

bool IsEdit(TCtl ctl)
{
    switch (ctl)
    {
    case TCtl::FAppTitleEdit: case TCtl::FDirEdit: case TCtl::FURLEdit: case TCtl::FBitmapEdit:
    case TCtl::FMainEXEEdit: case TCtl::FFilesDirEdit: case TCtl::FStartMenuEdit: case TCtl::FIconAppEdit:
    case TCtl::FIconUninstallEdit: case TCtl::FIconWebsiteEdit: case TCtl::FLicenseEdit: case TCtl::FReadmeEdit:
        return true;
    default: return false;
    }
}

// The wait window for the length of one build. The single pass of messages that paints
// it is limited to the wait window itself, and the main window is disabled meanwhile: a
// click queued on the main window must not start a second build inside this one.
class TWaitObserver : public TBuildObserver
{
public:
    explicit TWaitObserver(HWND owner) : FOwner(owner) {}
    ~TWaitObserver() override { EndWait(); }
    void BeginWait() override
    {
        FWait = std::make_unique<TWaitForm>();
        FWait->Create(FOwner);
        EnableWindow(FOwner, FALSE);
        ui::PumpWindowMessages(FWait->Handle());
        RedrawWindow(FWait->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    void EndWait() override
    {
        if (!FWait)
            return;
        // Enabled again before the wait window goes, so that activation returns to it.
        EnableWindow(FOwner, TRUE);
        FWait.reset();
    }

private:
    HWND FOwner;
    std::unique_ptr<TWaitForm> FWait;
};

} // namespace

TMainForm::TMainForm(TChooser& chooser, TStubSource& stubs) : FChooser(chooser), FStubs(stubs), FWizard(*this) {}

TMainForm::~TMainForm() { Destroy(); } // the controls go before the fonts and bitmaps they use

void TMainForm::Create()
{
    RegisterWindowClass("KitforgeMainForm", GetSysColorBrush(COLOR_BTNFACE));
    FFont = ui::CreatePointFont("MS Sans Serif", 8);
    FPreviewFont = ui::CreatePointFont("Arial", 12, true, true);
    FLogo.Attach(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "LOGO", IMAGE_BITMAP, 0, 0, 0)));

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateHandle("KitforgeMainForm", kFormExStyle, kCaption, kFormStyle, x, y, width, height, nullptr);
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);

    // Main panel first: the tab order runs through the page before the button bar.
    FMainPanel.Create(Handle(), Handle(), 0, 0, kClientWidth, kClientHeight - kButtonBarHeight);
    FButtonPanel.Create(Handle(), Handle(), 0, kClientHeight - kButtonBarHeight, kClientWidth, kButtonBarHeight);
    CreatePages();
    CreateButtonBar();
    FormCreate();
}

void TMainForm::Show()
{
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void TMainForm::FormCreate() { FWizard.FormCreate(); }

HWND TMainForm::Add(TCtl ctl, HWND control, ui::TPanel& page, uint32_t anchors)
{
    if (ctl != TCtl::Count)
        FControls[static_cast<size_t>(ctl)] = control;
    page.Layout().Add(control, anchors);
    return control;
}

void TMainForm::CreatePages()
{
    FPageControl.Create(FMainPanel.Handle(), Handle(), 0, 0, kClientWidth, kClientHeight - kButtonBarHeight);
    FMainPanel.Layout().Add(FPageControl.Handle(), akLeft | akTop | akRight | akBottom);
    for (size_t i = 0; i < FPages.size(); ++i)
    {
        FPages[i].Create(FPageControl.Handle(), Handle(), kPageLeft, kPageTop, kPageWidth, kPageHeight,
                         ui::TPanel::kFaceColor, 0, i == 0);
        FPageControl.Layout().Add(FPages[i].Handle(), akLeft | akTop | akRight | akBottom);
        FPageSet.Add(FPages[i].Handle(), static_cast<int>(i));
    }
    CreateStartPage(FPages[kStartPage]);
    CreateInfoPage(FPages[kInfoPage]);
    CreateAppearancePage(FPages[kAppearancePage]);
    CreateFilesPage(FPages[kFilesPage]);
    CreateIconsPage(FPages[kIconsPage]);
    CreateLicensePage(FPages[kLicensePage]);
    CreateFinishPage(FPages[kFinishPage]);

    // The five fields that stop following the title once typed into.
    for (TCtl c : kMarkedFields)
        if (auto subclass = CommonControl<decltype(&SetWindowSubclass)>("SetWindowSubclass"))
            subclass(Control(c), &TMainForm::EditKeyProc, static_cast<UINT_PTR>(c), reinterpret_cast<DWORD_PTR>(this));
}

HWND TMainForm::AddLabel(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, uint32_t anchors, DWORD extra)
{
    HWND h = ui::CreateControl(page.Handle(), "STATIC", text, kLabel | extra, 0, x, y, 1, kLabelHeight,
                               ctl == TCtl::Count ? 0 : IdOf(ctl), FFont.Get());
    SetWindowPos(h, nullptr, 0, 0, ui::TextWidth(h, text), kLabelHeight, SWP_NOMOVE | SWP_NOZORDER);
    return Add(ctl, h, page, anchors);
}

// Created with its initial text, which notifies nothing and is remembered, so that only a
// real change of the text counts as one.
HWND TMainForm::AddEdit(TCtl ctl, ui::TPanel& page, int x, int y, int w, const char* text)
{
    HWND h = ui::CreateControl(page.Handle(), "EDIT", text, kEdit, WS_EX_CLIENTEDGE, x, y, w, kEditHeight, IdOf(ctl),
                               FFont.Get());
    FEditTexts[static_cast<size_t>(ctl)] = text;
    return Add(ctl, h, page, kRight);
}

HWND TMainForm::AddButton(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, int w, int h, uint32_t anchors)
{
    return Add(ctl, ui::CreateControl(page.Handle(), "BUTTON", text, kButton, 0, x, y, w, h, IdOf(ctl), FFont.Get()),
               page, anchors);
}

HWND TMainForm::AddCheck(TCtl ctl, ui::TPanel& page, const char* text, int x, int y, int w, bool checked)
{
    HWND h = ui::CreateControl(page.Handle(), "BUTTON", text, kCheck, 0, x, y, w, kCheckHeight, IdOf(ctl), FFont.Get());
    SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return Add(ctl, h, page);
}

void TMainForm::AddRadioGroup(TCtl group, ui::TPanel& page, int y, int height, std::initializer_list<const char*> items,
                              HWND* out, int firstId)
{
    HWND box = ui::CreateControl(page.Handle(), "BUTTON", "", WS_VISIBLE | WS_GROUP | BS_GROUPBOX, 0, 0, y, kPageWidth,
                                 height, IdOf(group), FFont.Get());
    Add(group, box, page, akLeft | akTop | akRight | akBottom);
    int index = 0;
    int step = (height - 16) / static_cast<int>(items.size());
    for (const char* item : items)
    {
        DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP | WS_TABSTOP : 0);
        out[index] = ui::CreateControl(page.Handle(), "BUTTON", item, style, 0, 10,
                                       y + 12 + index * step + (step - kCheckHeight) / 2, kPageWidth - 20, kCheckHeight,
                                       firstId + index, FFont.Get());
        Add(TCtl::Count, out[index], page, akLeft | akTop | akRight);
        ++index;
    }
    // The first item is selected at start.
    SendMessageA(out[0], BM_SETCHECK, BST_CHECKED, 0);
}

// The logo on white, then the choice.
void TMainForm::CreateStartPage(ui::TPanel& start)
{
    FImagePanel.Create(start.Handle(), Handle(), 0, 0, kPageWidth, 96, kWhite);
    start.Layout().Add(FImagePanel.Handle(), akLeft | akTop | akRight);
    FLogoImage = ui::CreateControl(FImagePanel.Handle(), "STATIC", "", WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, 0, 0, 0,
                                   kPageWidth, 96, 0, nullptr);
    SendMessageA(FLogoImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FLogo.Get()));
    SetWindowPos(FLogoImage, nullptr, 0, 0, kPageWidth, 96, SWP_NOZORDER); // SS_BITMAP resized it to the picture
    FImagePanel.Layout().Add(FLogoImage, akLeft | akTop | akRight | akBottom);
    AddRadioGroup(TCtl::FStartRadioGroup, start, 96, kPageHeight - 96,
                  {"Create New &Installation", "&Open Existing Installation"}, FStartItems.data(), kStartItemId);
}

// The title, the target directory and the website.
void TMainForm::CreateInfoPage(ui::TPanel& info)
{
    HFONT font = FFont.Get();
    AddLabel(TCtl::FAppTitleLabel, info, "Application Title", 5, 5);
    AddLabel(TCtl::FDirLabel, info, "Default Target Directory", 5, 60);
    AddLabel(TCtl::Count, info, "Base Directory", 50, 85);
    AddLabel(TCtl::FEnterFullPathLabel, info, "Full path, including drive letter:", 265, 85);
    ShowWindow(Control(TCtl::FEnterFullPathLabel), SW_HIDE);
    AddLabel(TCtl::FProgramFilesLabel, info, "%PROGRAM FILES%\\", 15, 110, ui::kAnchorDefault, SS_RIGHT);
    SetWindowPos(Control(TCtl::FProgramFilesLabel), nullptr, 0, 0, 108, kLabelHeight, SWP_NOMOVE | SWP_NOZORDER);
    AddLabel(TCtl::Count, info, "Full Target Directory", 25, 135);
    AddLabel(TCtl::FFullDirLabel, info, "%PROGRAM FILES%\\My Application\\", 130, 135);
    AddLabel(TCtl::Count, info, "Application or Organization Website URL (optional)", 5, 189);
    AddLabel(TCtl::Count, info, "http://", 15, 209);
    AddEdit(TCtl::FAppTitleEdit, info, 15, 20, 400, "My Application");
    HWND combo = ui::CreateControl(info.Handle(), "COMBOBOX", "",
                                   WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 130, 80, 131,
                                   200, IdOf(TCtl::FBaseDirectoryCombo), font);
    Add(TCtl::FBaseDirectoryCombo, combo, info);
    for (const char* item : kBaseDirItems)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    AddEdit(TCtl::FDirEdit, info, 130, 105, 285, "My Application");
    AddCheck(TCtl::FDisableBrowseCheckbox, info, "Do not allow user to select a different directory", 16, 154, 249,
             false);
    AddEdit(TCtl::FURLEdit, info, 50, 204, 365);
}

// The wizard bitmap and the background colours with their preview.
void TMainForm::CreateAppearancePage(ui::TPanel& look)
{
    HFONT font = FFont.Get();
    AddLabel(TCtl::FBitmapLabel, look, "Wizard Bitmap File (153x259) (optional)", 16, 8);
    AddLabel(TCtl::Count, look, "Installer Background Colors", 16, 56);
    AddEdit(TCtl::FBitmapEdit, look, 16, 24, 329);
    AddButton(TCtl::FBrowseBitmapButton, look, "Browse", 352, 24, 57, kEditHeight);
    FColorGridTop.Create(look.Handle(), IdOf(TCtl::FColorGridTop), 16, 72, 384, 25, 4);
    SendMessageA(FColorGridTop.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Add(TCtl::FColorGridTop, FColorGridTop.Handle(), look, akLeft | akTop | akRight);
    FBackgroundPreview.Create(look.Handle(), 16, 104, 385, 116,
                              [this](HDC dc, int w, int h) { FBackgroundPreviewPaint(dc, w, h); });
    look.Layout().Add(FBackgroundPreview.Handle(), akLeft | akTop | akRight | akBottom);
    FColorGridBottom.Create(look.Handle(), IdOf(TCtl::FColorGridBottom), 16, 227, 384, 24, 0);
    SendMessageA(FColorGridBottom.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Add(TCtl::FColorGridBottom, FColorGridBottom.Handle(), look, akLeft | akRight | akBottom);
}

// "Install main application executable" comes last in the tab order.
void TMainForm::CreateFilesPage(ui::TPanel& files)
{
    HFONT font = FFont.Get();
    AddLabel(TCtl::FMainEXELabel, files, "Main Application Executable", 5, 20);
    AddLabel(TCtl::Count, files, "Other Files", 5, 80);
    AddEdit(TCtl::FMainEXEEdit, files, 15, 35, 340);
    AddButton(TCtl::FMainEXEButton, files, "Browse", 359, 35, 55, kEditHeight);
    AddCheck(TCtl::FLaunchCheckbox, files, "Allow user to launch program after installation", 15, 60, 306, true);
    struct TRadio
    {
        TCtl Ctl;
        const char* Text;
        int X;
        int Width;
    };
    for (const TRadio& r : {TRadio{TCtl::FNoFilesRadio, "No Additional Files", 15, 115},
                            TRadio{TCtl::FAddFilesRadio, "Add Files", 135, 70},
                            TRadio{TCtl::FDirImageRadio, "Use Directory Image", 210, 130}})
    {
        bool first = r.Ctl == TCtl::FNoFilesRadio;
        DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0);
        HWND h = ui::CreateControl(files.Handle(), "BUTTON", r.Text, style, 0, r.X, 95, r.Width, kCheckHeight,
                                   IdOf(r.Ctl), font);
        if (first)
            SendMessageA(h, BM_SETCHECK, BST_CHECKED, 0);
        Add(r.Ctl, h, files);
    }
    FFilesPageControl.Create(files.Handle(), Handle(), 0, 179, kPageWidth, 76, ui::TPanel::kFaceColor, 0, false);
    SetWindowLongPtrA(FFilesPageControl.Handle(), GWL_STYLE,
                      GetWindowLongPtrA(FFilesPageControl.Handle(), GWL_STYLE) | WS_GROUP);
    Add(TCtl::FFilesPageControl, FFilesPageControl.Handle(), files, akLeft | akRight | akBottom);
    FFilesAddTab.Create(FFilesPageControl.Handle(), Handle(), 0, 0, kPageWidth, 76);
    FFilesDirTab.Create(FFilesPageControl.Handle(), Handle(), 0, 0, kPageWidth, 76, ui::TPanel::kFaceColor, 0, false);
    for (ui::TPanel* tab : {&FFilesAddTab, &FFilesDirTab})
        FFilesPageControl.Layout().Add(tab->Handle(), akLeft | akTop | akRight | akBottom);
    FFilesTabs.Add(FFilesAddTab.Handle(), 0);
    FFilesTabs.Add(FFilesDirTab.Handle(), 1);
    HWND list = ui::CreateControl(FFilesAddTab.Handle(), "LISTBOX", "",
                                  WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL |
                                      LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                                  WS_EX_CLIENTEDGE, 10, 0, 340, 66, IdOf(TCtl::FFilesAddListbox), font);
    Add(TCtl::FFilesAddListbox, list, FFilesAddTab, akLeft | akTop | akRight | akBottom);
    AddButton(TCtl::FFilesAddButton, FFilesAddTab, "Add", 354, 10, 55, kEditHeight);
    AddButton(TCtl::FFilesRemButton, FFilesAddTab, "Remove", 354, 35, 55, kEditHeight);
    AddLabel(TCtl::FFilesDirLabel, FFilesDirTab, "Select directory to install", 10, 10);
    AddEdit(TCtl::FFilesDirEdit, FFilesDirTab, 10, 25, 340);
    AddButton(TCtl::FFilesDirButton, FFilesDirTab, "Browse", 354, 25, 55, kEditHeight);
    AddCheck(TCtl::FMainEXECheckbox, files, "Install main application executable", 5, 1, 351, true);
}

// The Start Menu group and its icons.
void TMainForm::CreateIconsPage(ui::TPanel& icons)
{
    AddLabel(TCtl::FStartMenuLabel, icons, "Start Menu group name", 5, 0);
    AddLabel(TCtl::Count, icons, "Start Menu Icons", 5, 45);
    AddLabel(TCtl::Count, icons, "Icon Captions", 155, 45);
    AddLabel(TCtl::FIconAppLabel, icons, "Main Application", 15, 65);
    AddLabel(TCtl::Count, icons, "Other Icons", 5, 135);
    AddEdit(TCtl::FStartMenuEdit, icons, 15, 15, 400, "My Application");
    AddCheck(TCtl::FIconUninstallCheckbox, icons, "Uninstall Program", 15, 85, 116, true);
    AddCheck(TCtl::FIconWebsiteCheckbox, icons, "Application Website", 15, 110, 121, false);
    AddEdit(TCtl::FIconUninstallEdit, icons, 155, 85, 260, "Uninstall My Application");
    AddEdit(TCtl::FIconWebsiteEdit, icons, 155, 110, 260, "My Application Website");
    AddCheck(TCtl::FIconDesktopCheckbox, icons, "Allow user to create desktop icon", 15, 150, 361, true);
    AddEdit(TCtl::FIconAppEdit, icons, 155, 60, 260, "My Application");
    EnableWindow(Control(TCtl::FIconWebsiteCheckbox), FALSE);
    EnableWindow(Control(TCtl::FIconWebsiteEdit), FALSE);
    // Themed check boxes ignore the text colour of WM_CTLCOLORSTATIC; these two turn red.
    // uxtheme is no KnownDLL: from System32 at run time.
    using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    ui::TSystemLibrary uxtheme("uxtheme.dll");
    if (auto setTheme = uxtheme.Proc<TSetWindowTheme>("SetWindowTheme"))
        for (TCtl c : {TCtl::FIconUninstallCheckbox, TCtl::FIconWebsiteCheckbox})
            setTheme(Control(c), L"", L"");
}

// The licence and the readme.
void TMainForm::CreateLicensePage(ui::TPanel& licence)
{
    AddLabel(TCtl::FLicLabel, licence, "License Agreement File (optional)", 5, 5);
    AddLabel(TCtl::FReadmeLabel, licence, "Readme File (optional, displayed after installation)", 5, 50);
    AddButton(TCtl::FLicButton, licence, "&Browse", 354, 20, 66, kEditHeight);
    AddEdit(TCtl::FLicenseEdit, licence, 10, 20, 340);
    AddEdit(TCtl::FReadmeEdit, licence, 10, 65, 340);
    AddButton(TCtl::FReadmeButton, licence, "&Browse", 354, 65, 66, kEditHeight);
}

// What to do with the finished installation.
void TMainForm::CreateFinishPage(ui::TPanel& page)
{
    AddRadioGroup(
        TCtl::FFinishRadioGroup, page, 0, kPageHeight,
        {"&Run Installation", "&Modify Installation", "&Save Installation Script", "&New Installation", "&Quit"},
        FFinishItems.data(), kFinishItemId);
}

void TMainForm::CreateButtonBar()
{
    struct TBarButton
    {
        TCtl Ctl;
        const char* Caption;
        int Left;
    };
    // In tab order. Save alone keeps its distance to the left edge.
    for (const TBarButton& b : {TBarButton{TCtl::FBackButton, "< &Back", 184}, {TCtl::FNextButton, "&Next >", 259},
                                {TCtl::FFinishButton, "&Finish", 259}, {TCtl::FCancelButton, "&Cancel", 344},
                                {TCtl::FSaveButton, "&Save", 10}, {TCtl::FOKButton, "&OK", 344}})
    {
        // Next/Finish and Cancel/OK share places: clipping keeps the front one whole.
        HWND h = ui::CreateControl(FButtonPanel.Handle(), "BUTTON", b.Caption,
                                   WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS | BS_PUSHBUTTON, 0, b.Left, 10, 75, 25,
                                   IdOf(b.Ctl), FFont.Get());
        Add(b.Ctl, h, FButtonPanel, b.Ctl == TCtl::FSaveButton ? akLeft | akTop : akTop | akRight);
    }
    ShowWindow(Control(TCtl::FCancelButton), SW_SHOW);
    // OK lies in front of Cancel, so the finish page shows the button that acts on its
    // choice; this puts OK before Cancel in the tab order as well.
    SetWindowPos(Control(TCtl::FOKButton), Control(TCtl::FFinishButton), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TCtl TMainForm::ControlOf(HWND control) const
{
    for (size_t i = 0; i < FControls.size(); ++i)
        if (FControls[i] == control)
            return static_cast<TCtl>(i);
    return TCtl::Count;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        if (ui::Application().MainWindow() == Handle())
            PostQuitMessage(0);
        return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}

LRESULT TMainForm::ControlColor(HDC dc, HWND control)
{
    TCtl ctl = ControlOf(control);
    bool red = ctl != TCtl::Count && FRed[static_cast<size_t>(ctl)];
    SetTextColor(dc, red ? kRed : GetSysColor(COLOR_WINDOWTEXT));
    return 0; // the panel that holds the control supplies the background
}

void TMainForm::Command(int id, int code)
{
    if (id >= kStartItemId && id < kFinishItemId + 5)
    {
        if (code == BN_CLICKED)
            UpdateRadioTabStops({});
        return;
    }
    int index = id - kControlIdBase;
    if (index < 0 || index >= static_cast<int>(TCtl::Count))
        return; // IDOK / IDCANCEL from Enter and Escape: bound to nothing
    TCtl ctl = static_cast<TCtl>(index);
    if (IsEdit(ctl))
    {
        if (code == EN_CHANGE)
            EditChanged(ctl);
        return;
    }
    if (ctl == TCtl::FBaseDirectoryCombo)
    {
        if (code == CBN_SELCHANGE)
            FBaseDirectoryComboChange();
        return;
    }
    if (ctl == TCtl::FColorGridTop || ctl == TCtl::FColorGridBottom)
    {
        if (code == kColorGridChange)
            FColorGridTopChange();
        return;
    }
    if (code == BN_CLICKED)
        Click(ctl);
}

void TMainForm::EditChanged(TCtl ctl)
{
    std::string text = ui::WindowText(Control(ctl));
    std::string& last = FEditTexts[static_cast<size_t>(ctl)];
    if (text == last)
        return; // the text it already held: no change
    last = text;
    switch (ctl)
    {
    case TCtl::FAppTitleEdit: FAppTitleEditChange(); break;
    case TCtl::FURLEdit: FURLEditChange(); break;
    default: ControlChangeUpdateNextButton(); break;
    }
}

void TMainForm::Click(TCtl ctl)
{
    HWND h = Control(ctl);
    // A disabled or hidden control cannot be clicked by the author; a message that
    // claims so (BM_CLICK, a stray notification) changes nothing either.
    if (!h || !IsWindowEnabled(h) || !IsWindowVisible(h))
        return;
    if (IsFilesRadio(ctl))
    {
        if (!Checked(ctl) || ctl == FSelectedFilesRadio)
            return; // clicking the selected choice again is no change
        FSelectedFilesRadio = ctl;
        UpdateRadioTabStops({TCtl::FNoFilesRadio, TCtl::FAddFilesRadio, TCtl::FDirImageRadio});
    }
    switch (ctl)
    {
    case TCtl::FNextButton: FNextButtonClick(); break;
    case TCtl::FBackButton: FBackButtonClick(); break;
    case TCtl::FCancelButton: FCancelButtonClick(); break;
    case TCtl::FFinishButton: FFinishButtonClick(); break;
    case TCtl::FOKButton: FOKButtonClick(); break;
    case TCtl::FSaveButton: FSaveButtonClick(); break;
    default: FWizard.Clicked(ctl); break;
    }
}

void TMainForm::UpdateRadioTabStops(std::initializer_list<TCtl> group)
{
    // Only the selected button of a group is a tab stop.
    auto update = [](HWND radio) {
        LONG_PTR style = GetWindowLongPtrA(radio, GWL_STYLE);
        bool on = SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SetWindowLongPtrA(radio, GWL_STYLE, on ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    };
    for (TCtl c : group)
        update(Control(c));
    if (group.size() == 0)
    {
        for (HWND h : FStartItems)
            update(h);
        for (HWND h : FFinishItems)
            update(h);
    }
}

LRESULT CALLBACK TMainForm::EditKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self)
{
    if (message == WM_CHAR)
    {
        try
        {
            // Every character key, Backspace included, whether or not the text changes.
            reinterpret_cast<TMainForm*>(self)->FWizard.CharacterKey(static_cast<TCtl>(id));
        }
        catch (const std::exception& error)
        {
            ui::ReportException(edit, &error);
        }
    }
    else if (message == WM_NCDESTROY)
    {
        if (auto remove = CommonControl<decltype(&RemoveWindowSubclass)>("RemoveWindowSubclass"))
            remove(edit, &TMainForm::EditKeyProc, id);
    }
    // Only a subclassed edit comes here, so comctl32 is loaded.
    return CommonControl<decltype(&DefSubclassProc)>("DefSubclassProc")(edit, message, wParam, lParam);
}

void TMainForm::FBackgroundPreviewPaint(HDC dc, int width, int height)
{
    ++FPreviewPaints;
    for (int row = 0; row < height; ++row)
    {
        // The grids are read again for every row.
        TRGB color = PreviewRowColor(FColorGridTop.ForegroundColor(), FColorGridBottom.ForegroundColor(), row, height);
        ui::TBrush brush(CreateSolidBrush(ToColorRef(color)));
        RECT band{0, row, width, row + 1};
        FillRect(dc, &band, brush.Get());
    }
    std::string title = Text(TCtl::FAppTitleEdit); // as typed
    if (title.empty())
        return;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    ui::TSelection selectFont(dc, FPreviewFont.Get());
    SetTextColor(dc, RGB(128, 128, 128));
    TextOutA(dc, 15, 15, title.c_str(), static_cast<int>(title.size()));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 13, 13, title.c_str(), static_cast<int>(title.size()));
    SetBkMode(dc, oldMode);
}

// --- TWizardView over the controls ---

std::string TMainForm::Text(TCtl ctl) const { return ui::WindowText(Control(ctl)); }

void TMainForm::SetText(TCtl ctl, const std::string& text)
{
    HWND h = Control(ctl);
    if (ui::WindowText(h) == text)
        return;
    SetWindowTextA(h, text.c_str()); // an edit notifies EN_CHANGE, handled in EditChanged
    if (!IsEdit(ctl) && ctl != TCtl::FProgramFilesLabel)
        SetWindowPos(h, nullptr, 0, 0, ui::TextWidth(h, text), kLabelHeight, SWP_NOMOVE | SWP_NOZORDER);
}

bool TMainForm::Checked(TCtl ctl) const { return SendMessageA(Control(ctl), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TMainForm::SetChecked(TCtl ctl, bool checked)
{
    if (Checked(ctl) == checked)
        return;
    HWND h = Control(ctl);
    if (IsFilesRadio(ctl))
    {
        if (checked)
            for (TCtl other : {TCtl::FNoFilesRadio, TCtl::FAddFilesRadio, TCtl::FDirImageRadio})
                SendMessageA(Control(other), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        UpdateRadioTabStops({TCtl::FNoFilesRadio, TCtl::FAddFilesRadio, TCtl::FDirImageRadio});
        if (!checked)
            return; // the radio buttons that get unselected run no handler
        FSelectedFilesRadio = ctl;
        FWizard.Clicked(ctl);
        return;
    }
    SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    FWizard.Clicked(ctl); // a state set by the program runs the click handler too
}

bool TMainForm::Enabled(TCtl ctl) const { return IsWindowEnabled(Control(ctl)) != FALSE; }

void TMainForm::SetEnabled(TCtl ctl, bool enabled) { EnableWindow(Control(ctl), enabled ? TRUE : FALSE); }

void TMainForm::SetVisible(TCtl ctl, bool visible) { ShowWindow(Control(ctl), visible ? SW_SHOW : SW_HIDE); }

void TMainForm::SetLabelRed(TCtl label, bool red)
{
    bool& slot = FRed[static_cast<size_t>(label)];
    if (slot == red)
        return;
    slot = red;
    InvalidateRect(Control(label), nullptr, TRUE);
}

void TMainForm::SetActivePage(int32_t page)
{
    if (page < 0 || page >= kPageCount || page == FPageSet.Page())
        return;
    FPageSet.ShowPage(page);
}

void TMainForm::SetFilesPage(int32_t page)
{
    FFilesTabs.ShowPage(page);
}

int32_t TMainForm::RadioGroupIndex(TCtl group) const
{
    const HWND* items = group == TCtl::FStartRadioGroup ? FStartItems.data() : FFinishItems.data();
    int count = group == TCtl::FStartRadioGroup ? 2 : 5;
    for (int i = 0; i < count; ++i)
        if (SendMessageA(items[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
            return i;
    return -1;
}

int32_t TMainForm::BaseDirIndex() const
{
    return static_cast<int32_t>(SendMessageA(Control(TCtl::FBaseDirectoryCombo), CB_GETCURSEL, 0, 0));
}

void TMainForm::SelectBaseDir(int32_t index)
{
    // CB_SETCURSEL sends no CBN_SELCHANGE: no change handler, as wanted.
    SendMessageA(Control(TCtl::FBaseDirectoryCombo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int32_t TMainForm::ColorIndex(TCtl grid) const
{
    return grid == TCtl::FColorGridTop ? FColorGridTop.ForegroundIndex() : FColorGridBottom.ForegroundIndex();
}

void TMainForm::SetColorIndex(TCtl grid, int32_t index) { Grid(grid).SetForegroundIndex(index); }

std::vector<std::string> TMainForm::Items() const
{
    HWND list = Control(TCtl::FFilesAddListbox);
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        std::string item(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
        int length = static_cast<int>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0])));
        item.resize(length > 0 ? static_cast<size_t>(length) : 0);
        items.push_back(item);
    }
    return items;
}

void TMainForm::SetItems(const std::vector<std::string>& items)
{
    SendMessageA(Control(TCtl::FFilesAddListbox), LB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        AppendItem(item);
}

void TMainForm::AppendItem(const std::string& item)
{
    SendMessageA(Control(TCtl::FFilesAddListbox), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::vector<bool> TMainForm::ItemSelection() const
{
    HWND list = Control(TCtl::FFilesAddListbox);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<bool> selected(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        selected[static_cast<size_t>(i)] = SendMessageA(list, LB_GETSEL, i, 0) > 0;
    return selected;
}

void TMainForm::DeleteItem(int32_t index)
{
    SendMessageA(Control(TCtl::FFilesAddListbox), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TMainForm::FocusFirstControl()
{
    if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE))
        SetFocus(first);
}

void TMainForm::KeepFocusOnScreen()
{
    // A hidden focused control hands the focus to its container, which takes no input.
    HWND focus = GetFocus();
    char className[32] = {};
    if (focus)
        GetClassNameA(focus, className, sizeof(className));
    bool container = focus == Handle() || std::string(className) == "KitforgePanel";
    if (!focus || container || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        FocusFirstControl();
}

void TMainForm::RedrawPreview()
{
    // At once, not as a deferred repaint request; only while the page is on screen.
    if (IsWindowVisible(FBackgroundPreview.Handle()))
        FBackgroundPreview.PaintNow();
}

void TMainForm::CloseWindow() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }

std::vector<std::string> TMainForm::RunFileDialog(const TFileDialogSetup& setup, const std::string& initialName)
{
    return FChooser.RunFileDialog(Handle(), setup, initialName);
}

std::optional<std::string> TMainForm::BrowseForFolder(const std::string& title)
{
    return FChooser.BrowseForFolder(Handle(), title);
}

void TMainForm::ShowErrorBox(const std::string& text, const std::string& caption)
{
    ui::Application().MessageBox(Handle(), text, caption, MB_ICONERROR | MB_OK);
}

void TMainForm::OpenWithShell(const std::string& fileName) { FChooser.OpenWithShell(Handle(), fileName); }

bool TMainForm::BuildSetup(const TInstallSettings& settings, const std::string& outputPath)
{
    TWaitObserver wait(Handle());
    return kf::BuildSetup(settings, outputPath, FStubs, &wait);
}

} // namespace kf
