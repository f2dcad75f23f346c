// The builder's window as an author uses it: the start state, the button bar, the field
// rules and checks with their red labels, the choosers, the colour grids and preview,
// the keyboard, and the error boxes.
#include "builder/wizard/Appearance.h"
#include "gui_builder_Support.h"
#include "platform/Error.h"
#include "platform/File.h"

namespace {

using namespace kftest;
using kf::TCtl;

TEST_F(GuiBuilder, StartsWithOneWindowOnTheStartPage)
{
    char caption[64] = {};
    GetWindowTextA(Form.Handle(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Kitforge 1.0.5");
    RECT client{};
    GetClientRect(Form.Handle(), &client);
    EXPECT_EQ(client.right, 431);
    EXPECT_EQ(client.bottom, 311);
    LONG style = GetWindowLongA(Form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(ActivePage(), kf::kStartPage);
    EXPECT_EQ(SendMessageA(Form.StartItem(0), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Shown(TCtl::FNextButton));
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Shown(TCtl::FCancelButton));
    for (TCtl hidden : {TCtl::FBackButton, TCtl::FSaveButton, TCtl::FFinishButton, TCtl::FOKButton})
        EXPECT_FALSE(Shown(hidden));
    // Placement and captions of the bar; no default button anywhere.
    struct
    {
        TCtl Ctl;
        const char* Caption;
        int Left;
    } bar[] = {{TCtl::FBackButton, "< &Back", 184}, {TCtl::FNextButton, "&Next >", 259},
               {TCtl::FFinishButton, "&Finish", 259}, {TCtl::FCancelButton, "&Cancel", 344},
               {TCtl::FSaveButton, "&Save", 10}, {TCtl::FOKButton, "&OK", 344}};
    for (const auto& b : bar)
    {
        RECT r{};
        GetWindowRect(H(b.Ctl), &r);
        MapWindowPoints(HWND_DESKTOP, Form.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(Text(b.Ctl), b.Caption);
        EXPECT_EQ(r.left, b.Left) << b.Caption;
        EXPECT_EQ(r.top, 311 - 44 + 10) << b.Caption;
        EXPECT_EQ(r.right - r.left, 75);
        EXPECT_EQ(r.bottom - r.top, 25);
        EXPECT_EQ(GetWindowLongA(H(b.Ctl), GWL_STYLE) & BS_DEFPUSHBUTTON, 0) << b.Caption;
    }
    EXPECT_EQ(Text(TCtl::FReadmeLabel), "Readme File (optional, displayed after installation)");
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(H(TCtl::FAppTitleEdit), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -11);
}

TEST_F(GuiBuilder, ButtonBarAndCancelOnEveryPage)
{
    SetText(TCtl::FURLEdit, "kept.example");
    NewInstallationTo(kf::kInfoPage);
    EXPECT_EQ(Text(TCtl::FURLEdit), ""); // reset by "Create New Installation"
    SetText(TCtl::FURLEdit, "kept.example");
    for (int page = kf::kInfoPage; page <= kf::kLicensePage; ++page)
    {
        NewInstallationTo(page);
        EXPECT_EQ(Shown(TCtl::FBackButton), page >= 2) << page;
        EXPECT_EQ(Shown(TCtl::FSaveButton), true) << page;
        EXPECT_EQ(Shown(TCtl::FNextButton), page < 5) << page;
        EXPECT_EQ(Shown(TCtl::FFinishButton), page == 5) << page;
        Click(TCtl::FCancelButton);
        EXPECT_EQ(ActivePage(), kf::kStartPage) << page;
        EXPECT_FALSE(Shown(TCtl::FSaveButton));
        // Cancel keeps what was typed; Next with "Create New" resets it again.
        if (page == kf::kInfoPage)
        {
            EXPECT_EQ(Text(TCtl::FURLEdit), "");
            SetText(TCtl::FURLEdit, "kept.example");
        }
    }
    EXPECT_TRUE(IsWindow(Form.Handle()));
    Click(TCtl::FCancelButton); // on the start page: the window closes
    Pump();
    EXPECT_FALSE(IsWindow(Form.Handle()));
}

TEST_F(GuiBuilder, BackAndNextMoveOnePageAndFocusTheFirstField)
{
    NewInstallationTo(kf::kInfoPage);
    EXPECT_EQ(GetFocus(), H(TCtl::FAppTitleEdit));
    Click(TCtl::FNextButton);
    EXPECT_EQ(GetFocus(), H(TCtl::FBitmapEdit));
    Click(TCtl::FNextButton);
    SetFocus(H(TCtl::FBackButton)); // as a mouse click does
    Click(TCtl::FBackButton);
    EXPECT_EQ(ActivePage(), kf::kAppearancePage);
    EXPECT_EQ(GetFocus(), H(TCtl::FBackButton)); // Back does not move the focus
    Click(TCtl::FBackButton);
    EXPECT_EQ(ActivePage(), kf::kInfoPage);
    EXPECT_EQ(GetFocus(), H(TCtl::FAppTitleEdit)); // ...unless it hid itself
    NewInstallationTo(kf::kLicensePage);
    EXPECT_EQ(GetFocus(), H(TCtl::FLicButton));
    NewInstallationTo(kf::kIconsPage);
    EXPECT_EQ(GetFocus(), H(TCtl::FStartMenuEdit));
}

TEST_F(GuiBuilder, TitleRuleWithAndWithoutMarks)
{
    NewInstallationTo(kf::kInfoPage);
    SetText(TCtl::FAppTitleEdit, "Foo");
    EXPECT_EQ(Text(TCtl::FDirEdit), "Foo");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "Foo");
    EXPECT_EQ(Text(TCtl::FIconAppEdit), "Foo");
    EXPECT_EQ(Text(TCtl::FIconUninstallEdit), "Uninstall Foo");
    EXPECT_EQ(Text(TCtl::FIconWebsiteEdit), "Foo Website");
    EXPECT_EQ(Text(TCtl::FFullDirLabel), "%PROGRAM FILES%\\Foo\\");
    // A character key in the Start-menu field; Backspace in the directory field.
    TypeChars(TCtl::FStartMenuEdit, "x");
    TypeChars(TCtl::FDirEdit, "\b");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "Foox");
    EXPECT_EQ(Text(TCtl::FDirEdit), "Fo");
    SetText(TCtl::FIconAppEdit, "pasted"); // no character key: no mark
    TypeChars(TCtl::FAppTitleEdit, "d");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "Foox");
    EXPECT_EQ(Text(TCtl::FDirEdit), "Fo");
    EXPECT_EQ(Text(TCtl::FIconAppEdit), "Food");
    EXPECT_EQ(Text(TCtl::FIconUninstallEdit), "Uninstall Food");
    EXPECT_EQ(Text(TCtl::FFullDirLabel), "%PROGRAM FILES%\\Fo\\");
}

TEST_F(GuiBuilder, ResetWhenTheTitleAlreadyReadsMyApplication)
{
    NewInstallationTo(kf::kInfoPage);
    TypeChars(TCtl::FDirEdit, "2");
    TypeChars(TCtl::FStartMenuEdit, "3");
    Click(TCtl::FDisableBrowseCheckbox);
    NewInstallationTo(kf::kInfoPage);
    // The title did not change, so the typed texts stay; the marks are cleared.
    EXPECT_EQ(Text(TCtl::FDirEdit), "My Application2");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "My Application3");
    EXPECT_TRUE(Checked(TCtl::FDisableBrowseCheckbox)); // not reset
    SetText(TCtl::FAppTitleEdit, "Bar");
    EXPECT_EQ(Text(TCtl::FDirEdit), "Bar");
    EXPECT_EQ(Text(TCtl::FStartMenuEdit), "Bar");
}

TEST_F(GuiBuilder, InfoPageChecksColourTheirLabels)
{
    NewInstallationTo(kf::kInfoPage);
    EXPECT_EQ(TextColor(TCtl::FAppTitleLabel), GetSysColor(COLOR_WINDOWTEXT));
    SetText(TCtl::FAppTitleEdit, "  ");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FAppTitleLabel));
    SetText(TCtl::FAppTitleEdit, "Foo");
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_FALSE(Red(TCtl::FAppTitleLabel));

    SetText(TCtl::FDirEdit, "Apps|Tools");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FDirLabel));
    EXPECT_TRUE(Red(TCtl::FFullDirLabel));
    SetText(TCtl::FDirEdit, "Apps\\Tools");
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    SelectBaseDir(3);
    EXPECT_EQ(Text(TCtl::FProgramFilesLabel), "C:\\");
    EXPECT_EQ(Text(TCtl::FFullDirLabel), "C:\\Apps\\Tools\\");

    SelectBaseDir(6); // Custom: a full path is needed
    EXPECT_TRUE(Shown(TCtl::FEnterFullPathLabel));
    EXPECT_EQ(Text(TCtl::FProgramFilesLabel), "");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FEnterFullPathLabel));
    SetText(TCtl::FDirEdit, "C:\\Apps");
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_FALSE(Red(TCtl::FDirLabel));
    EXPECT_EQ(Text(TCtl::FFullDirLabel), "C:\\Apps\\");
    SetText(TCtl::FDirEdit, "C:\\Apps?");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    SelectBaseDir(0);
    EXPECT_FALSE(Shown(TCtl::FEnterFullPathLabel));
}

TEST_F(GuiBuilder, FilesPageNeedsAnExistingExecutableAndFolder)
{
    kftest::TTempDir dir;
    std::string exe = dir / "app.exe";
    kftest::WriteFileBytes(exe, "MZ");
    NewInstallationTo(kf::kAppearancePage);
    Click(TCtl::FNextButton);
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FMainEXELabel));
    SetText(TCtl::FMainEXEEdit, dir / "missing.exe");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    Chooser.Answers.push_back({exe});
    Click(TCtl::FMainEXEButton);
    EXPECT_EQ(Text(TCtl::FMainEXEEdit), exe);
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_FALSE(Red(TCtl::FMainEXELabel));
    ASSERT_FALSE(Chooser.Setups.empty());
    EXPECT_STREQ(Chooser.Setups.back().Filter, "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*");
    EXPECT_EQ(kf::FileDialogFlags(Chooser.Setups.back()) & (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING),
              static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING));

    Click(TCtl::FDirImageRadio);
    EXPECT_TRUE(Shown(TCtl::FFilesPageControl));
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    Chooser.Folder = dir / "nowhere";
    Click(TCtl::FFilesDirButton);
    EXPECT_EQ(Chooser.FolderTitles.back(), "Select directory to install");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FFilesDirLabel));
    Chooser.Folder = dir.Path();
    Click(TCtl::FFilesDirButton);
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    // Only the selected radio button is a tab stop.
    EXPECT_TRUE(GetWindowLongA(H(TCtl::FDirImageRadio), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongA(H(TCtl::FNoFilesRadio), GWL_STYLE) & WS_TABSTOP);

    // Without the main executable its field does not count, but is still checked.
    SetText(TCtl::FMainEXEEdit, "");
    Click(TCtl::FMainEXECheckbox);
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_FALSE(Enabled(TCtl::FMainEXEEdit));
    EXPECT_FALSE(Enabled(TCtl::FLaunchCheckbox));
    EXPECT_FALSE(Enabled(TCtl::FIconAppEdit));
    EXPECT_TRUE(Red(TCtl::FMainEXELabel));
    Click(TCtl::FNoFilesRadio);
    EXPECT_FALSE(Shown(TCtl::FFilesPageControl));
}

TEST_F(GuiBuilder, IconsPageRulesAndTheWebsiteIcon)
{
    NewInstallationTo(kf::kInfoPage);
    EXPECT_FALSE(Enabled(TCtl::FIconWebsiteCheckbox));
    SetText(TCtl::FURLEdit, "example.org");
    EXPECT_TRUE(Enabled(TCtl::FIconWebsiteCheckbox));
    EXPECT_TRUE(Checked(TCtl::FIconWebsiteCheckbox));
    EXPECT_TRUE(Enabled(TCtl::FIconWebsiteEdit));
    NewInstallationTo(kf::kIconsPage);  // reset: the URL is empty again
    EXPECT_FALSE(Checked(TCtl::FIconWebsiteCheckbox));
    Click(TCtl::FCancelButton);
    ClickStartItem(0);
    Click(TCtl::FNextButton);
    SetText(TCtl::FURLEdit, "example.org");
    for (int i = 0; i < 3; ++i)
        Click(TCtl::FNextButton);
    Click(TCtl::FMainEXECheckbox);
    Click(TCtl::FNextButton);
    ASSERT_EQ(ActivePage(), kf::kIconsPage);
    EXPECT_TRUE(Enabled(TCtl::FNextButton));

    Click(TCtl::FIconWebsiteCheckbox); // the author unchecks it
    EXPECT_FALSE(Enabled(TCtl::FIconWebsiteEdit));
    SetText(TCtl::FIconWebsiteEdit, "");
    EXPECT_TRUE(Enabled(TCtl::FNextButton)); // an unchecked icon's caption is not checked
    Click(TCtl::FBackButton);
    Click(TCtl::FBackButton);
    Click(TCtl::FBackButton);
    TypeChars(TCtl::FURLEdit, "/x"); // editing a non-empty URL checks it again
    EXPECT_TRUE(Checked(TCtl::FIconWebsiteCheckbox));
    for (int i = 0; i < 3; ++i)
        Click(TCtl::FNextButton);
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FIconWebsiteCheckbox));
    SetText(TCtl::FIconWebsiteEdit, "Site");
    EXPECT_FALSE(Red(TCtl::FIconWebsiteCheckbox));

    // The main application's caption is checked even while it is not installed.
    SetText(TCtl::FIconAppEdit, "");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FIconAppLabel));
    SetText(TCtl::FIconAppEdit, "App");
    SetText(TCtl::FIconUninstallEdit, "");
    EXPECT_TRUE(Red(TCtl::FIconUninstallCheckbox));
    Click(TCtl::FIconUninstallCheckbox);
    EXPECT_TRUE(Enabled(TCtl::FNextButton));
    EXPECT_FALSE(Enabled(TCtl::FIconUninstallEdit));
    SetText(TCtl::FStartMenuEdit, "");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FStartMenuLabel));
}

TEST_F(GuiBuilder, LicencePageAndBitmapNeedExistingFiles)
{
    kftest::TTempDir dir;
    std::string licence = dir / "licence.txt";
    kftest::WriteFileBytes(licence, "terms");
    NewInstallationTo(kf::kAppearancePage);
    Chooser.Answers.push_back({dir / "wizard.bmp"});
    Click(TCtl::FBrowseBitmapButton);
    EXPECT_STREQ(Chooser.Setups.back().Filter, "Windows Bitmap Files (*.bmp)|*.BMP");
    EXPECT_FALSE(Enabled(TCtl::FNextButton));
    EXPECT_TRUE(Red(TCtl::FBitmapLabel));
    SetText(TCtl::FBitmapEdit, "");
    EXPECT_TRUE(Enabled(TCtl::FNextButton));

    NewInstallationTo(kf::kLicensePage);
    EXPECT_TRUE(Enabled(TCtl::FFinishButton));
    Chooser.Answers.push_back({dir / "missing.rtf"});
    Click(TCtl::FReadmeButton);
    EXPECT_FALSE(Chooser.Setups.back().MustExist);
    EXPECT_FALSE(Enabled(TCtl::FFinishButton));
    EXPECT_TRUE(Red(TCtl::FReadmeLabel));
    EXPECT_FALSE(Red(TCtl::FLicLabel));
    Chooser.Answers.push_back({licence});
    Click(TCtl::FLicButton);
    EXPECT_FALSE(Enabled(TCtl::FFinishButton));
    SetText(TCtl::FReadmeEdit, licence);
    EXPECT_TRUE(Enabled(TCtl::FFinishButton));
    EXPECT_FALSE(Red(TCtl::FReadmeLabel));
}

TEST_F(GuiBuilder, AddedFilesAreRemovedFromLastToFirst)
{
    NewInstallationTo(kf::kFilesPage);
    Click(TCtl::FAddFilesRadio);
    for (const char* name : {"C:\\0.txt", "C:\\1.txt", "C:\\2.txt", "C:\\3.txt", "C:\\4.txt"})
    {
        Chooser.Answers.push_back({name});
        Click(TCtl::FFilesAddButton);
    }
    EXPECT_EQ(Chooser.Log.back(), "FFilesAddOpenDialog:C:\\3.txt"); // remembers its last choice
    HWND list = H(TCtl::FFilesAddListbox);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
    SendMessageA(list, LB_SETSEL, TRUE, 1);
    SendMessageA(list, LB_SETSEL, TRUE, 3);
    Click(TCtl::FFilesRemButton);
    EXPECT_EQ(Form.Items(), (std::vector<std::string>{"C:\\0.txt", "C:\\2.txt", "C:\\4.txt"}));
    Click(TCtl::FFilesRemButton); // nothing selected
    EXPECT_EQ(Form.Items().size(), 3u);
}

// The preview's rows, read back through WM_PRINTCLIENT into a bitmap of the paint box.
std::vector<kf::TRGB> PreviewColumn(HWND preview, int x)
{
    RECT client{};
    GetClientRect(preview, &client);
    kf::ui::TWindowDC screen(preview);
    kf::ui::TMemoryDC dc(screen.Get());
    kf::ui::TBitmap bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    kf::ui::TSelection select(dc.Get(), bitmap.Get());
    SendMessageA(preview, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    std::vector<kf::TRGB> rows;
    for (int y = 0; y < client.bottom; ++y)
    {
        COLORREF c = GetPixel(dc.Get(), x, y);
        rows.push_back({GetRValue(c), GetGValue(c), GetBValue(c)});
    }
    return rows;
}

TEST_F(GuiBuilder, PreviewRowsAreBlendColorsOfTheGrids)
{
    NewInstallationTo(kf::kAppearancePage);
    HWND preview = Form.BackgroundPreview();
    RECT client{};
    GetClientRect(preview, &client);
    ASSERT_EQ(client.right, 385);
    ASSERT_EQ(client.bottom, 116);
    kf::TRGB navy{0, 0, 128}, black{0, 0, 0}, white{255, 255, 255};
    std::vector<kf::TRGB> rows = PreviewColumn(preview, 384); // right of the title
    for (int y = 0; y < 116; ++y)
        EXPECT_EQ(rows[y], kf::PreviewRowColor(navy, black, y, 116)) << "row " << y;
    EXPECT_EQ(rows[0], navy);
    EXPECT_EQ(rows[57].B, 64);
    EXPECT_EQ(rows[115], black);

    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONDOWN, 15); // white over black
    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONUP, 15, 0);
    rows = PreviewColumn(preview, 384);
    for (int y = 0; y < 116; ++y)
        EXPECT_EQ(rows[y], kf::PreviewRowColor(white, black, y, 116)) << "row " << y;
    EXPECT_EQ(rows[0], white);
    // The shadowed title: white at (13,13) over grey two pixels lower right.
    std::vector<kf::TRGB> titleColumn = PreviewColumn(preview, 20);
    int whiteTitle = 0;
    for (int y = 13; y < 35; ++y)
        whiteTitle += titleColumn[y] == white;
    SetText(TCtl::FAppTitleEdit, ""); // drawn afresh: no text at all
    titleColumn = PreviewColumn(preview, 20);
    for (int y = 0; y < 116; ++y)
        EXPECT_EQ(titleColumn[y], kf::PreviewRowColor(white, black, y, 116)) << "row " << y;
    EXPECT_GT(whiteTitle, 0) << "the title's white copy was not drawn";
}

TEST_F(GuiBuilder, GridRaisesItsChangeOnlyForADifferentCell)
{
    NewInstallationTo(kf::kAppearancePage);
    kf::TColorGrid& top = Form.Grid(TCtl::FColorGridTop);
    EXPECT_EQ(top.ForegroundIndex(), 4);
    EXPECT_EQ(Form.Grid(TCtl::FColorGridBottom).ForegroundIndex(), 0);
    int paints = Form.PreviewPaints();
    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONDOWN, 4); // the selected cell
    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONUP, 4, 0);
    EXPECT_EQ(Form.PreviewPaints(), paints);
    // A different cell redraws at once, before any message is processed.
    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONDOWN, 2);
    EXPECT_EQ(top.ForegroundIndex(), 2);
    EXPECT_EQ(Form.PreviewPaints(), paints + 1);
    MouseOnGrid(TCtl::FColorGridTop, WM_MOUSEMOVE, 2); // same cell while dragging
    EXPECT_EQ(Form.PreviewPaints(), paints + 1);
    MouseOnGrid(TCtl::FColorGridTop, WM_MOUSEMOVE, 9); // dragged along
    MouseOnGrid(TCtl::FColorGridTop, WM_LBUTTONUP, 9, 0);
    EXPECT_EQ(top.ForegroundIndex(), 9);
    EXPECT_EQ(Form.PreviewPaints(), paints + 2);
    // The keyboard: arrows move the focus frame, F selects.
    HWND bottom = Form.Grid(TCtl::FColorGridBottom).Handle();
    SetFocus(bottom);
    SendMessageA(bottom, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(bottom, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Form.Grid(TCtl::FColorGridBottom).ForegroundIndex(), 0);
    SendMessageA(bottom, WM_KEYDOWN, 'F', 0);
    EXPECT_EQ(Form.Grid(TCtl::FColorGridBottom).ForegroundIndex(), 2);
    EXPECT_EQ(Form.PreviewPaints(), paints + 3);
    // The program's out-of-range index is refused.
    Form.SetColorIndex(TCtl::FColorGridTop, 16);
    EXPECT_EQ(top.ForegroundIndex(), 9);
    EXPECT_EQ(Form.PreviewPaints(), paints + 3);
}

MSG KeyMessage(HWND target, UINT message, WPARAM key)
{
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = key;
    msg.lParam = message == WM_SYSCHAR || message == WM_SYSKEYDOWN ? (1 | (1 << 29)) : 1;
    msg.time = GetTickCount();
    return msg;
}

TEST_F(GuiBuilder, KeyboardAccessKeysTabOrderAndNoDefaultButton)
{
    SetFocus(Form.StartItem(0));
    MSG alt = KeyMessage(GetFocus(), WM_SYSCHAR, 'n'); // Alt+N: "&Next >"
    kf::ui::DispatchOne(alt);
    Pump();
    ASSERT_EQ(ActivePage(), kf::kInfoPage);
    ASSERT_EQ(GetFocus(), H(TCtl::FAppTitleEdit));
    // Tab walks the Info page in its order, then into the button bar.
    std::vector<HWND> expected = {H(TCtl::FBaseDirectoryCombo), H(TCtl::FDirEdit), H(TCtl::FDisableBrowseCheckbox),
                                  H(TCtl::FURLEdit), H(TCtl::FNextButton), H(TCtl::FCancelButton),
                                  H(TCtl::FSaveButton)};
    for (HWND next : expected)
    {
        MSG tab = KeyMessage(GetFocus(), WM_KEYDOWN, VK_TAB);
        kf::ui::DispatchOne(tab);
        EXPECT_EQ(GetFocus(), next) << NameOf(GetFocus()) << " instead of " << NameOf(next);
    }
    // Enter in a field is bound to no button.
    SetFocus(H(TCtl::FAppTitleEdit));
    MSG enter = KeyMessage(GetFocus(), WM_KEYDOWN, VK_RETURN);
    kf::ui::DispatchOne(enter);
    MSG escape = KeyMessage(GetFocus(), WM_KEYDOWN, VK_ESCAPE);
    kf::ui::DispatchOne(escape);
    Pump();
    EXPECT_EQ(ActivePage(), kf::kInfoPage);
    EXPECT_TRUE(IsWindow(Form.Handle()));
}

TEST_F(GuiBuilder, IconsPageTabOrder)
{
    NewInstallationTo(kf::kIconsPage);
    Form.SetChecked(TCtl::FMainEXECheckbox, true); // NewInstallationTo switched it off
    SetText(TCtl::FURLEdit, "x");                  // so the website controls are enabled
    EXPECT_TRUE(Enabled(TCtl::FIconWebsiteCheckbox));
    SetFocus(H(TCtl::FStartMenuEdit));
    std::vector<HWND> expected = {H(TCtl::FIconUninstallCheckbox), H(TCtl::FIconWebsiteCheckbox),
                                  H(TCtl::FIconUninstallEdit), H(TCtl::FIconWebsiteEdit),
                                  H(TCtl::FIconDesktopCheckbox), H(TCtl::FIconAppEdit)};
    for (HWND next : expected)
    {
        MSG tab = KeyMessage(GetFocus(), WM_KEYDOWN, VK_TAB);
        kf::ui::DispatchOne(tab);
        EXPECT_EQ(GetFocus(), next) << NameOf(GetFocus()) << " instead of " << NameOf(next);
    }
}

TEST_F(GuiBuilder, FailedSaveShowsTheStandardErrorBox)
{
    kftest::TTempDir dir;
    NewInstallationTo(kf::kIconsPage);
    Chooser.Answers.push_back({});
    Click(TCtl::FSaveButton); // cancelled: nothing happens
    EXPECT_TRUE(Boxes.empty());
    EXPECT_STREQ(Chooser.Setups.back().DefaultExt, "kfs");
    EXPECT_TRUE(kf::FileDialogFlags(Chooser.Setups.back()) & OFN_OVERWRITEPROMPT);
    std::string target = kftest::Join(dir / "no such folder", "demo.kfs");
    std::string expected;
    try
    {
        kf::TFile probe(target, kf::TFileMode::Create);
    }
    catch (const kf::TIOError& error)
    {
        expected = error.Message() + "."; // the message, full stop appended
    }
    ASSERT_FALSE(expected.empty());
    Chooser.Answers.push_back({target});
    Click(TCtl::FSaveButton);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Kitforge");
    EXPECT_EQ(Boxes[0].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(Boxes[0].Text, expected);
    EXPECT_EQ(ActivePage(), kf::kIconsPage);
}

} // namespace
