// The wizard's plain rules: field checks, the button bar, the colours of the
// Appearance page and the colour grid's selection model.
#include "TestSupport.h"
#include "builder/wizard/Appearance.h"
#include "builder/wizard/Dialogs.h"
#include "builder/wizard/FieldCheck.h"
#include "builder/wizard/Navigation.h"
#include "win32ui/Anchors.h"
#include "win32ui/ErrorText.h"

#include <gtest/gtest.h>

namespace {

using namespace kf;

TEST(FieldCheck, EmptyTextIsValidOnlyForTheOptionalRules)
{
    for (const char* empty : {"", "   ", "\t \r\n"})
    {
        EXPECT_FALSE(CheckFieldText(empty, ckRequired)) << '"' << empty << '"';
        EXPECT_FALSE(CheckFieldText(empty, ckExistingDirectory));
        EXPECT_FALSE(CheckFieldText(empty, ckExistingFile));
        EXPECT_TRUE(CheckFieldText(empty, ckOptionalFile));
        EXPECT_FALSE(CheckFieldText(empty, ckFullPath));
        EXPECT_TRUE(CheckFieldText(empty, ckRelativePath));
    }
    EXPECT_TRUE(CheckFieldText(" x ", ckRequired));
    EXPECT_FALSE(CheckFieldText("x", 6));
    EXPECT_FALSE(CheckFieldText("x", -1));
}

TEST(FieldCheck, ExistenceRulesTellFilesFromDirectoriesAndTrimFirst)
{
    kftest::TTempDir dir;
    std::string file = dir / "app.exe";
    kftest::WriteFileBytes(file, "MZ");
    EXPECT_TRUE(CheckFieldText(file, ckExistingFile));
    EXPECT_TRUE(CheckFieldText("  " + file + " \t", ckOptionalFile));
    EXPECT_FALSE(CheckFieldText(dir.Path(), ckExistingFile)); // a directory is no file
    EXPECT_FALSE(CheckFieldText(dir.Path(), ckOptionalFile));
    EXPECT_TRUE(CheckFieldText(" " + dir.Path() + " ", ckExistingDirectory));
    EXPECT_FALSE(CheckFieldText(file, ckExistingDirectory));
    EXPECT_FALSE(CheckFieldText(dir / "missing.txt", ckOptionalFile));
    EXPECT_FALSE(CheckFieldText(dir / "missing", ckExistingDirectory));
}

TEST(FieldCheck, RelativePathRefusesItsEightCharacters)
{
    for (char c : std::string("\"*/:<>?|"))
        EXPECT_FALSE(CheckFieldText(std::string("Apps") + c + "Tools", ckRelativePath)) << c;
    EXPECT_TRUE(CheckFieldText("Apps\\Tools", ckRelativePath));
    EXPECT_TRUE(CheckFieldText("My App (1.0) & more!", ckRelativePath));
    // Only codes 32..127 are refused; bytes of other code-page letters pass.
    EXPECT_TRUE(CheckFieldText("Caf\xE9\x01Z", ckRelativePath));
}

TEST(FieldCheck, FullPathNeedsDriveColonBackslashAtTheStart)
{
    EXPECT_TRUE(CheckFieldText("C:\\Apps", ckFullPath));
    EXPECT_TRUE(CheckFieldText("C:\\A:B", ckFullPath)); // the colon is allowed later on
    EXPECT_TRUE(CheckFieldText("1:\\x", ckFullPath));   // the letter itself is not tested
    EXPECT_TRUE(CheckFieldText("  D:\\", ckFullPath));  // trimmed first
    EXPECT_FALSE(CheckFieldText("Apps", ckFullPath));
    EXPECT_FALSE(CheckFieldText("C:Apps", ckFullPath));
    EXPECT_FALSE(CheckFieldText("\\\\server\\share", ckFullPath));
    EXPECT_FALSE(CheckFieldText("CC:\\Apps", ckFullPath));
    for (char c : std::string("\"*/<>?|"))
        EXPECT_FALSE(CheckFieldText(std::string("C:\\A") + c, ckFullPath)) << c;
    EXPECT_FALSE(HasForbiddenCharacter("C:\\a:b", ckFullPath));
    EXPECT_TRUE(HasForbiddenCharacter("a:b", ckRelativePath));
}

TEST(Navigation, ButtonBarPerPage)
{
    // Back, Next, Finish, OK, Save by page 0..6.
    const bool expected[kPageCount][5] = {
        {false, true, false, false, false}, {false, true, false, false, true}, {true, true, false, false, true},
        {true, true, false, false, true},   {true, true, false, false, true},  {true, false, true, false, true},
        {false, false, false, true, false},
    };
    for (int32_t page = 0; page < kPageCount; ++page)
    {
        TButtonBar bar = ButtonBarFor(page);
        EXPECT_EQ(bar.Back, expected[page][0]) << page;
        EXPECT_EQ(bar.Next, expected[page][1]) << page;
        EXPECT_EQ(bar.Finish, expected[page][2]) << page;
        EXPECT_EQ(bar.OK, expected[page][3]) << page;
        EXPECT_EQ(bar.Save, expected[page][4]) << page;
    }
    EXPECT_EQ(PageAfterShow(3, 7), 3);
    EXPECT_EQ(PageAfterShow(3, -1), 3);
    EXPECT_EQ(PageAfterShow(3, 6), 6);
    EXPECT_EQ(PageAfterShow(3, 0), 0);
}

TEST(Dialogs, FiltersAndOptions)
{
    EXPECT_EQ(PlatformFilter("Kitforge Script (*.kfs)|*.kfs"), std::string("Kitforge Script (*.kfs)\0*.kfs\0\0", 31));
    const TFileDialogSetup& exec = DialogSetup(TDialogId::ExecSave);
    EXPECT_TRUE(exec.Save);
    EXPECT_TRUE(exec.OverwritePrompt);
    EXPECT_STREQ(exec.DefaultExt, "exe");
    EXPECT_STREQ(DialogSetup(TDialogId::KFSSave).DefaultExt, "kfs");
    EXPECT_STREQ(DialogSetup(TDialogId::KFSOpen).DefaultExt, "");
    EXPECT_TRUE(DialogSetup(TDialogId::KFSOpen).MustExist);
    EXPECT_TRUE(DialogSetup(TDialogId::LicOpen).MustExist);
    EXPECT_FALSE(DialogSetup(TDialogId::ReadmeOpen).MustExist);
    EXPECT_STREQ(DialogSetup(TDialogId::ImageOpen).Filter, "Windows Bitmap Files (*.bmp)|*.BMP");
    for (int32_t i = 0; i < kDialogCount; ++i)
        EXPECT_EQ(static_cast<int32_t>(DialogSetup(static_cast<TDialogId>(i)).Id), i);
}

// The exact mix rounded down, in integers: trunc(c * num / den).
int32_t Share(int32_t c, int32_t num, int32_t den) { return c * num / den; }

TEST(Appearance, BlendColorsTruncatesEachShareSeparately)
{
    TRGB black{0, 0, 0}, white{255, 255, 255}, navy{0, 0, 128}, grey{128, 128, 128};
    EXPECT_EQ(BlendColors(white, black, 0.0), black);
    EXPECT_EQ(BlendColors(white, black, 1.0), white);
    EXPECT_EQ(BlendColors(TRGB{10, 20, 30}, TRGB{200, 100, 50}, 0.0), (TRGB{200, 100, 50}));
    // Defaults: top dark blue over bottom black, 116 rows.
    EXPECT_EQ(PreviewRowColor(navy, black, 0, 116), navy);
    EXPECT_EQ(PreviewRowColor(navy, black, 115, 116), black);
    EXPECT_EQ(PreviewRowColor(navy, black, 57, 116).B, 64); // 0 + trunc(128 * 58 / 115)
    // Same colour top and bottom: one less in between from the separate truncations.
    EXPECT_EQ(PreviewRowColor(grey, grey, 1, 116), (TRGB{127, 127, 127}));
    EXPECT_EQ(PreviewRowColor(grey, grey, 0, 116), grey);
    EXPECT_EQ(PreviewRowColor(grey, grey, 115, 116), grey);
    // White over black: never rounded up, at most one below the exact share.
    for (int32_t row = 0; row < 116; ++row)
    {
        int32_t exact = Share(255, 115 - row, 115);
        int32_t got = PreviewRowColor(white, black, row, 116).R;
        EXPECT_LE(got, exact) << row;
        EXPECT_GE(got, exact - 1) << row;
    }
    // A preview one row high shows the top colour instead of dividing by zero.
    EXPECT_EQ(PreviewRowColor(white, black, 0, 1), white);
}

TEST(Appearance, GridPaletteSkipsEntriesEightToElevenAndMarksContrast)
{
    std::array<TRGB, kSystemPaletteSize> system{};
    for (int32_t i = 0; i < kSystemPaletteSize; ++i)
        system[i] = TRGB{static_cast<uint8_t>(i), 0, 0};
    std::array<TRGB, kGridCells> grid = GridPaletteFrom(system);
    EXPECT_EQ(grid[7].R, 7);
    EXPECT_EQ(grid[8].R, 12);
    EXPECT_EQ(grid[15].R, 19);
    EXPECT_EQ(ContrastColor(TRGB{128, 127, 0}), (TRGB{0, 255, 255}));
    EXPECT_EQ(ContrastColor(TRGB{255, 255, 255}), (TRGB{0, 0, 0}));
}

TEST(Appearance, ColorGridChangesOnlyOnADifferentValidCell)
{
    TColorGridModel grid(4);
    EXPECT_FALSE(grid.SetForegroundIndex(4));
    EXPECT_FALSE(grid.SetForegroundIndex(16));
    EXPECT_FALSE(grid.SetForegroundIndex(-1));
    EXPECT_EQ(grid.ForegroundIndex(), 4);
    EXPECT_TRUE(grid.SetForegroundIndex(15));
    // Cells of 24 x 25: a press selects, a drag moves along, outside changes nothing.
    EXPECT_EQ(TColorGridModel::CellAt(23, 0, 24, 25), 0);
    EXPECT_EQ(TColorGridModel::CellAt(24, 24, 24, 25), 1);
    EXPECT_EQ(TColorGridModel::CellAt(384, 3, 24, 25), -1);
    EXPECT_EQ(TColorGridModel::CellAt(5, 25, 24, 25), -1);
    EXPECT_TRUE(grid.MouseAt(50, 3, 24, 25));
    EXPECT_FALSE(grid.MouseAt(60, 3, 24, 25)); // same cell 2 while dragging
    EXPECT_TRUE(grid.MouseAt(75, 3, 24, 25));
    EXPECT_FALSE(grid.MouseAt(-5, 3, 24, 25));
    EXPECT_EQ(grid.ForegroundIndex(), 3);
}

TEST(Appearance, ColorGridKeysMoveTheFocusAndFSelects)
{
    TColorGridModel grid(0);
    EXPECT_FALSE(grid.Key(TGridKey::Left));
    EXPECT_EQ(grid.FocusIndex(), 0);
    EXPECT_FALSE(grid.Key(TGridKey::Right));
    EXPECT_FALSE(grid.Key(TGridKey::Down));
    EXPECT_EQ(grid.FocusIndex(), 2);
    EXPECT_EQ(grid.ForegroundIndex(), 0); // moving the frame selects nothing
    EXPECT_TRUE(grid.Key(TGridKey::SelectForeground));
    EXPECT_FALSE(grid.Key(TGridKey::SelectForeground)); // already selected: no change
    EXPECT_FALSE(grid.Key(TGridKey::End));
    EXPECT_FALSE(grid.Key(TGridKey::Right));
    EXPECT_EQ(grid.FocusIndex(), 15);
    EXPECT_FALSE(grid.Key(TGridKey::Space)); // back to the selected cell
    EXPECT_EQ(grid.FocusIndex(), 2);
    grid.Key(TGridKey::Home);
    EXPECT_EQ(grid.FocusIndex(), 0);
}

TEST(WindowLayer, AnchorsAndTheErrorBoxFullStop)
{
    using namespace kf::ui;
    TBounds edit{15, 20, 400, 21};
    TBounds moved = AnchoredBounds(edit, akLeft | akTop | akRight, 421, 255, 521, 300);
    EXPECT_EQ(moved.Left, 15);
    EXPECT_EQ(moved.Width, 500); // stretched with the page
    TBounds button = AnchoredBounds({354, 20, 66, 21}, akTop | akRight, 421, 255, 521, 300);
    EXPECT_EQ(button.Left, 454);
    EXPECT_EQ(button.Width, 66);
    TBounds grid = AnchoredBounds({16, 227, 384, 24}, akLeft | akRight | akBottom, 421, 255, 421, 300);
    EXPECT_EQ(grid.Top, 272);
    EXPECT_EQ(grid.Height, 24);
    EXPECT_EQ(StandardErrorText("Disk full"), "Disk full.");
    EXPECT_EQ(StandardErrorText("I/O error 32"), "I/O error 32."); // digits lie above "."
    EXPECT_EQ(StandardErrorText("Done."), "Done.");
    EXPECT_EQ(StandardErrorText("Failed!"), "Failed!");
    EXPECT_EQ(StandardErrorText("Why?"), "Why?.");
    EXPECT_EQ(StandardErrorText(""), "");
}

} // namespace
