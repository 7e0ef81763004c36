#include "output/core/PrintLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

Rect R(int32_t left, int32_t top, int32_t width, int32_t height) { return Rect{left, top, left + width, top + height}; }

// --- the picture box -------------------------------------------------------------

struct PictureSizeCase {
  int preset;
  int32_t pageW, pageH, dpi, customW, customH;
  int32_t expectW, expectH;
};

class PictureSize : public testing::TestWithParam<PictureSizeCase> {};

TEST_P(PictureSize, FollowsThePresetAndThePagesOrientation) {
  const PictureSizeCase& c = GetParam();
  CPrintLayout layout;
  layout.SetPageSize(c.pageW, c.pageH);
  layout.SetResolution(c.dpi, c.dpi);
  layout.SetSizePreset(c.preset);
  layout.SetCustomSize(c.customW, c.customH);
  int32_t w = -1, h = -1;
  layout.GetPictureSize(w, h);
  EXPECT_EQ(w, c.expectW);
  EXPECT_EQ(h, c.expectH);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, PictureSize,
    testing::Values(PictureSizeCase{PRINT_SIZE_4X6, 2400, 3300, 300, 0, 0, 1200, 1800},  // portrait
                    PictureSizeCase{PRINT_SIZE_4X6, 3300, 2400, 300, 0, 0, 1800, 1200},  // landscape
                    PictureSizeCase{PRINT_SIZE_FULL_PAGE, 2400, 3300, 300, 0, 0, 2400, 3300},
                    PictureSizeCase{PRINT_SIZE_2X3, 2400, 3300, 300, 0, 0, 600, 900},
                    PictureSizeCase{PRINT_SIZE_35X5, 2400, 3300, 300, 0, 0, 1050, 1500},
                    PictureSizeCase{PRINT_SIZE_5X7, 2400, 3300, 300, 0, 0, 1500, 2100},
                    PictureSizeCase{PRINT_SIZE_8X10, 3300, 2400, 300, 0, 0, 3000, 2400},
                    PictureSizeCase{PRINT_SIZE_CUSTOM, 2400, 3300, 300, 0, 0, 2400, 3300},  // size 0: whole page
                    PictureSizeCase{PRINT_SIZE_CUSTOM, 2400, 3300, 300, 450, 0, 2400, 3300},
                    PictureSizeCase{PRINT_SIZE_CUSTOM, 2400, 3300, 300, 450, 300, 1350, 900},
                    PictureSizeCase{9, 2400, 3300, 300, 0, 0, 2400, 3300},  // unknown preset: full page
                    PictureSizeCase{-2, 2400, 3300, 300, 0, 0, 2400, 3300}));

// --- crop and shrink ---------------------------------------------------------------

TEST(PrintPicture, CropKeepsTheFullHeightAndCutsTheWidthAtTheOffset) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetResolution(300, 300);
  layout.SetSizePreset(PRINT_SIZE_4X6);
  layout.SetImageSize(1000, 500);
  layout.SetCropOptions(true, 50);
  ASSERT_TRUE(layout.LayoutPicture());
  EXPECT_EQ(layout.GetPageCount(), 1);
  PRINT_PICTURE_PAGE page;
  ASSERT_TRUE(layout.GetPicturePage(0, 0, 0, page));
  EXPECT_EQ(page.source, R(333, 0, 333, 500));
  EXPECT_EQ(page.picture, R(0, 0, 1200, 1800));
  EXPECT_TRUE(page.caption.IsEmpty());
  // The offset moves the window over the cut-off part; alignment does not
  // need a new layout.
  layout.SetCropOptions(true, 0);
  ASSERT_TRUE(layout.GetPicturePage(0, 0, 0, page));
  EXPECT_EQ(page.source, R(0, 0, 333, 500));
  layout.SetCropOptions(true, 100);
  ASSERT_TRUE(layout.GetPicturePage(0, 0, 0, page));
  EXPECT_EQ(page.source, R(667, 0, 333, 500));
}

TEST(PrintPicture, ShrinkMakesTheBoxTheImagesAspect) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetResolution(300, 300);
  layout.SetSizePreset(PRINT_SIZE_4X6);
  layout.SetImageSize(1000, 500);
  layout.SetCropOptions(false, 50);
  layout.SetAlignment(1, 2);  // centre, bottom
  ASSERT_TRUE(layout.LayoutPicture());
  PRINT_PICTURE_PAGE page;
  ASSERT_TRUE(layout.GetPicturePage(0, 0, 0, page));
  EXPECT_EQ(page.source, R(0, 0, 1000, 500));
  EXPECT_EQ(page.picture, R((2400 - 1200) / 2, 3300 - 600, 1200, 600));
}

TEST(PrintPicture, CaptionTakesItsHeightFromTheBoxAndSitsBelowThePicture) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetResolution(300, 300);
  layout.SetSizePreset(PRINT_SIZE_4X6);
  layout.SetImageSize(600, 900);
  layout.SetCropOptions(false, 50);
  layout.SetCaption("Harbour");
  layout.SetAlignment(1, 0);
  ASSERT_TRUE(layout.LayoutPicture());
  PRINT_PICTURE_PAGE page;
  ASSERT_TRUE(layout.GetPicturePage(0, 300, 60, page));
  // Box 1200 x 1740; the image (2:3) shrinks it to 1160 x 1740.
  EXPECT_EQ(page.picture, R(600 + 20, 0, 1160, 1740));
  EXPECT_EQ(page.caption, R(600 + (1200 - 300) / 2, 1740, 300, 60));
  layout.SetCaption(nullptr);
  EXPECT_TRUE(layout.GetCaption().empty());
}

TEST(PrintPicture, LargerThanThePageSpreadsAcrossThenDown) {
  CPrintLayout layout;
  layout.SetPageSize(850, 1100);
  layout.SetResolution(100, 100);
  layout.SetSizePreset(PRINT_SIZE_CUSTOM);
  layout.SetCustomSize(1000, 1500);  // 10 x 15 inches
  layout.SetImageSize(200, 300);
  layout.SetAlignment(1, 1);
  ASSERT_TRUE(layout.LayoutPicture());
  ASSERT_EQ(layout.GetPageCount(), 4);  // 2 across, 2 down
  // Area 1700 x 2200, content 1000 x 1500 centred at (350, 350).
  const std::vector<Rect> expected = {R(350, 350, 1000, 1500), R(350 - 850, 350, 1000, 1500),
                                      R(350, 350 - 1100, 1000, 1500), R(350 - 850, 350 - 1100, 1000, 1500)};
  for (int p = 0; p < 4; ++p) {
    PRINT_PICTURE_PAGE page;
    ASSERT_TRUE(layout.GetPicturePage(p, 0, 0, page));
    EXPECT_EQ(page.picture, expected[static_cast<size_t>(p)]) << "page " << p;
  }
  PRINT_PICTURE_PAGE page;
  EXPECT_FALSE(layout.GetPicturePage(4, 0, 0, page));
}

TEST(PrintPicture, SettersButAlignmentInvalidate) {
  CPrintLayout layout;
  layout.SetPageSize(100, 100);
  layout.SetResolution(10, 10);
  layout.SetImageSize(10, 10);
  ASSERT_TRUE(layout.LayoutPicture());
  layout.SetAlignment(2, 2);
  EXPECT_TRUE(layout.IsValid());
  layout.SetCropOptions(true, 10);
  EXPECT_FALSE(layout.IsValid());
  ASSERT_TRUE(layout.LayoutPicture());
  layout.SetTextSize(2);
  EXPECT_FALSE(layout.IsValid());
}

// --- frames ------------------------------------------------------------------------

struct FramesCase {
  const char* name;
  int items;
  bool automatic;
  int rows, columns;
  int32_t pageW, pageH, imageW, imageH;
  int expectRows, expectColumns, expectPages;
  int32_t expectCellW, expectCellH;
};

class FramesGrid : public testing::TestWithParam<FramesCase> {};

TEST_P(FramesGrid, LaysOutCellsAndPages) {
  const FramesCase& c = GetParam();
  CPrintLayout layout;
  layout.SetPageSize(c.pageW, c.pageH);
  layout.SetResolution(300, 300);
  layout.SetImageSize(c.imageW, c.imageH);
  layout.SetItemCount(c.items);
  layout.SetAutoGrid(c.automatic);
  layout.SetRows(c.rows);
  layout.SetColumns(c.columns);
  ASSERT_TRUE(layout.LayoutFrames());
  EXPECT_EQ(layout.GetGridRows(), c.expectRows);
  EXPECT_EQ(layout.GetGridColumns(), c.expectColumns);
  EXPECT_EQ(layout.GetPageCount(), c.expectPages);
  EXPECT_EQ(layout.GetCellWidth(), c.expectCellW);
  EXPECT_EQ(layout.GetCellHeight(), c.expectCellH);
  // Every frame is on exactly one page, in order, inside the page.
  int next = 0;
  for (int p = 0; p < layout.GetPageCount(); ++p)
    for (const PRINT_GRID_CELL& cell : layout.GetFramesPage(p)) {
      EXPECT_EQ(cell.item, next++);
      EXPECT_GE(cell.cell.left, 0);
      EXPECT_GE(cell.cell.top, 0);
      EXPECT_LE(cell.cell.right, c.pageW);
      EXPECT_LE(cell.cell.bottom, c.pageH);
    }
  EXPECT_EQ(next, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FramesGrid,
    testing::Values(
        // Ten 200 x 100 frames, automatic: one column of 1200-high cells
        // does not fit, two columns of 1200 x 600 do.
        FramesCase{"auto_2x5", 10, true, 0, 0, 2400, 3300, 200, 100, 5, 2, 1, 1200, 600},
        FramesCase{"neither_given_is_auto", 10, false, 0, 0, 2400, 3300, 200, 100, 5, 2, 1, 1200, 600},
        FramesCase{"rows2_cols3", 10, false, 2, 3, 2400, 3300, 200, 100, 2, 3, 2, 800, 400},
        FramesCase{"only_3_columns", 10, false, 0, 3, 2400, 3300, 200, 100, 3, 3, 2, 800, 400},
        FramesCase{"only_2_rows", 10, false, 2, 0, 2400, 3300, 100, 200, 2, 2, 3, 825, 1650},
        // Tall frames that fit in no column count: one row of all.
        FramesCase{"auto_tall", 4, true, 0, 0, 1000, 100, 100, 400, 1, 4, 1, 25, 100},
        // Degenerate: more columns than pixels, a 1-pixel-high image.
        FramesCase{"columns_beyond_pixels", 3, false, 0, 5000, 2400, 3300, 200, 100, 1, 1, 3, 2400, 3300},
        FramesCase{"flat_image", 2, true, 0, 0, 2400, 3300, 20000, 1, 2, 1, 1, 2400, 1},
        FramesCase{"rows_beyond_pixels", 3, false, 9000, 1, 100, 100, 10, 10, 100, 1, 1, 1, 1}),
    [](const testing::TestParamInfo<FramesCase>& info) { return std::string(info.param.name); });

TEST(FramesGrid, PageIsAlignedAndCellsKeepMargins) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetImageSize(200, 100);
  layout.SetItemCount(10);
  ASSERT_TRUE(layout.LayoutFrames());
  layout.SetAlignment(2, 1);
  const auto cells = layout.GetFramesPage(0);
  ASSERT_EQ(cells.size(), 10u);
  // Grid 2400 x 3000 on 2400 x 3300: vertical centre gives 150.
  EXPECT_EQ(cells[0].cell, R(0, 150, 1200, 600));
  EXPECT_EQ(cells[3].cell, R(1200, 750, 1200, 600));
  EXPECT_EQ(cells[3].picture, R(1260, 780, 1080, 540));
}

TEST(FramesGrid, SecondPageHoldsTheRest) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetImageSize(200, 100);
  layout.SetItemCount(10);
  layout.SetAutoGrid(false);
  layout.SetColumns(3);
  ASSERT_TRUE(layout.LayoutFrames());
  EXPECT_EQ(layout.GetFramesPage(0).size(), 9u);
  ASSERT_EQ(layout.GetFramesPage(1).size(), 1u);
  EXPECT_EQ(layout.GetFramesPage(1)[0].item, 9);
  EXPECT_TRUE(layout.GetFramesPage(2).empty());
}

// --- contact sheets -----------------------------------------------------------------

// The automatic grid's choice, computed over doubles of the same integers.
int ClosestColumns(int n, int32_t pageW, int32_t usable) {
  const long target = pageW * 100L / usable;
  int best = 1;
  long bestDiff = -1;
  for (int c = 1; c <= n; ++c) {
    const int r = (n + c - 1) / c;
    const long ratio = (pageW / c) * 100L / (usable / r);
    const long diff = std::labs(ratio - target);
    if (bestDiff < 0 || diff < bestDiff) {
      bestDiff = diff;
      best = c;
    }
  }
  return best;
}

struct ContactCase {
  const char* name;
  int items;
  int32_t pageW, pageH, textHeight;
  int expectColumns, expectRows;
};

class ContactSheetAuto : public testing::TestWithParam<ContactCase> {};

TEST_P(ContactSheetAuto, ChoosesTheColumnsClosestToThePagesAspect) {
  const ContactCase& c = GetParam();
  CPrintLayout layout;
  layout.SetPageSize(c.pageW, c.pageH);
  layout.SetResolution(300, 300);
  layout.SetItemCount(c.items);
  ASSERT_TRUE(layout.LayoutContactSheet(c.textHeight));
  EXPECT_EQ(layout.GetGridColumns(), c.expectColumns);
  EXPECT_EQ(layout.GetGridColumns(), ClosestColumns(c.items, c.pageW, c.pageH - c.textHeight));
  EXPECT_EQ(layout.GetGridRows(), c.expectRows);
  EXPECT_EQ(layout.GetPageCount(), 1);
  EXPECT_EQ(layout.GetCellWidth(), c.pageW / c.expectColumns);
  EXPECT_EQ(layout.GetCellHeight(), (c.pageH - c.textHeight) / c.expectRows - c.textHeight);
  const PRINT_CONTACT_PAGE page = layout.GetContactSheetPage(0, c.textHeight);
  EXPECT_EQ(page.cells.size(), static_cast<size_t>(c.items));
}

INSTANTIATE_TEST_SUITE_P(Cases, ContactSheetAuto,
                         testing::Values(ContactCase{"twelve_portrait", 12, 2400, 3300, 50, 4, 3},
                                         ContactCase{"twelve_landscape", 12, 3300, 2400, 50, 4, 3},
                                         ContactCase{"three_portrait", 3, 2400, 3300, 50, 2, 2},
                                         ContactCase{"one", 1, 2400, 3300, 50, 1, 1}),
                         [](const testing::TestParamInfo<ContactCase>& info) { return std::string(info.param.name); });

TEST(ContactSheet, FixedSizeThreeColumnsSpreadsOverPages) {
  CPrintLayout layout;
  layout.SetPageSize(2000, 2500);
  layout.SetResolution(300, 300);
  layout.SetItemCount(10);
  layout.SetAutoGrid(false);
  layout.SetThumbnailSize(200, 200);  // 2 inches: 600 pixels
  ASSERT_TRUE(layout.LayoutContactSheet(40));
  EXPECT_EQ(layout.GetGridColumns(), 3);
  EXPECT_EQ(layout.GetGridRows(), 3);  // (2500 - 40) / (600 + 40)
  EXPECT_EQ(layout.GetPageCount(), 2);
  const PRINT_CONTACT_PAGE first = layout.GetContactSheetPage(0, 40);
  ASSERT_EQ(first.cells.size(), 9u);
  // Top left: grid at (0, 0); rows 640 apart; margins 30.
  EXPECT_EQ(first.cells[4].cell, R(600, 640, 600, 600));
  EXPECT_EQ(first.cells[4].picture, R(615, 655, 570, 570));
  EXPECT_EQ(first.cells[4].name, R(600, 1240, 600, 40));
  // Folder line right under the grid (top alignment).
  EXPECT_EQ(first.folders, R(0, 3 * 640, 2000, 40));
  const PRINT_CONTACT_PAGE second = layout.GetContactSheetPage(1, 40);
  ASSERT_EQ(second.cells.size(), 1u);
  EXPECT_EQ(second.cells[0].item, 9);
  // Centred and at the bottom: one cell's width, one row.
  layout.SetAlignment(1, 2);
  const PRINT_CONTACT_PAGE aligned = layout.GetContactSheetPage(1, 40);
  EXPECT_EQ(aligned.cells[0].cell, R(700, 2500 - 40 - 640, 600, 600));
  EXPECT_EQ(aligned.folders, R(0, 2460, 2000, 40));
}

TEST(ContactSheet, WithoutNamesAndFoldersTheCellsTakeTheWholePage) {
  CPrintLayout layout;
  layout.SetPageSize(2400, 3300);
  layout.SetItemCount(4);
  layout.SetPrintFileNames(false);
  layout.SetPrintFolderNames(false);
  ASSERT_TRUE(layout.LayoutContactSheet(50));
  const PRINT_CONTACT_PAGE page = layout.GetContactSheetPage(0, 50);
  ASSERT_EQ(page.cells.size(), 4u);
  EXPECT_TRUE(page.cells[0].name.IsEmpty());
  EXPECT_TRUE(page.folders.IsEmpty());
  EXPECT_EQ(page.cells[3].cell.bottom, 2 * (3300 / 2));
}

// --- degenerate inputs -------------------------------------------------------------

TEST(PrintLayoutDegenerate, ThumbnailWiderThanThePageGetsOneReducedCell) {
  CPrintLayout layout;
  layout.SetPageSize(500, 400);
  layout.SetResolution(300, 300);
  layout.SetItemCount(3);
  layout.SetAutoGrid(false);
  layout.SetThumbnailSize(200, 200);  // 600 pixels on a 500-pixel page
  ASSERT_TRUE(layout.LayoutContactSheet(30));
  EXPECT_EQ(layout.GetGridColumns(), 1);
  EXPECT_EQ(layout.GetGridRows(), 1);
  EXPECT_EQ(layout.GetCellWidth(), 500);
  EXPECT_EQ(layout.GetCellHeight(), 400 - 30 - 30);
  EXPECT_EQ(layout.GetPageCount(), 3);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(layout.GetContactSheetPage(p, 30).cells.size(), 1u);
}

TEST(PrintLayoutDegenerate, RefusedLayoutsHaveNoPages) {
  auto frames = [](int32_t pw, int32_t ph, int32_t iw, int32_t ih, int n) {
    CPrintLayout layout;
    layout.SetPageSize(pw, ph);
    layout.SetImageSize(iw, ih);
    layout.SetItemCount(n);
    const bool ok = layout.LayoutFrames();
    EXPECT_EQ(layout.GetPageCount(), 0);
    EXPECT_TRUE(layout.GetFramesPage(0).empty());
    return ok;
  };
  EXPECT_FALSE(frames(2400, 3300, 200, 100, 0));   // empty list
  EXPECT_FALSE(frames(2400, 3300, 0, 100, 10));    // zero side
  EXPECT_FALSE(frames(2400, 3300, 200, 0, 10));
  EXPECT_FALSE(frames(0, 3300, 200, 100, 10));     // no page
  EXPECT_FALSE(frames(2400, -1, 200, 100, 10));

  CPrintLayout sheet;
  sheet.SetPageSize(2400, 3300);
  sheet.SetItemCount(0);
  EXPECT_FALSE(sheet.LayoutContactSheet(50));
  EXPECT_TRUE(sheet.GetContactSheetPage(0, 50).cells.empty());
  sheet.SetItemCount(5);
  EXPECT_FALSE(sheet.LayoutContactSheet(3300));  // no height left under the folder line
  sheet.SetPageSize(0, 0);
  EXPECT_FALSE(sheet.LayoutContactSheet(0));

  CPrintLayout picture;
  picture.SetPageSize(2400, 3300);
  picture.SetImageSize(0, 0);
  EXPECT_FALSE(picture.LayoutPicture());
  PRINT_PICTURE_PAGE page;
  EXPECT_FALSE(picture.GetPicturePage(0, 0, 0, page));
  picture.SetImageSize(10, 10);
  picture.SetSizePreset(PRINT_SIZE_4X6);  // no resolution: a 0 x 0 box
  EXPECT_FALSE(picture.LayoutPicture());
}

TEST(PrintLayoutDegenerate, CaptionTallerThanTheBoxLeavesOnePixel) {
  CPrintLayout layout;
  layout.SetPageSize(100, 100);
  layout.SetImageSize(50, 50);
  ASSERT_TRUE(layout.LayoutPicture());
  PRINT_PICTURE_PAGE page;
  ASSERT_TRUE(layout.GetPicturePage(0, 80, 500, page));
  EXPECT_EQ(page.picture.Height(), 1);
  EXPECT_GE(page.picture.Width(), 1);
}

TEST(PrintLayoutHelpers, FitCentredAndSizes) {
  EXPECT_EQ(FitCentred(200, 100, R(0, 0, 100, 100)), R(0, 25, 100, 50));
  EXPECT_EQ(FitCentred(100, 200, R(10, 10, 100, 100)), R(35, 10, 50, 100));
  EXPECT_TRUE(FitCentred(0, 5, R(0, 0, 10, 10)).IsEmpty());
  EXPECT_EQ(CaptionPointSize(-1), 8);
  EXPECT_EQ(CaptionPointSize(1), 12);
  EXPECT_EQ(CaptionPointSize(7), 16);
  const std::vector<int32_t> sizes = {0, 50, 75, 100, 125, 150, 175, 200, 0};
  for (int i = 0; i <= 8; ++i) EXPECT_EQ(ContactSheetThumbnailSize(i), sizes[static_cast<size_t>(i)]);
}

TEST(PrintLayoutHelpers, CompositionKeepsFramesThatStay) {
  std::vector<CAnimFrame> frames(3);
  for (auto& f : frames) f.m_image.Create(4, 4, 24);
  frames[0].m_nFlags = 0x04;  // stays
  frames[1].m_nFlags = 0x08;  // restored to background: left out under frame 2
  frames[2].m_nLeft = 2;
  CLayerStack stack(8, 8);
  AddPrintComposition(stack, frames.data(), 3, 2, -1, -1);
  ASSERT_EQ(stack.GetCount(), 2);
  CLayerStack single(8, 8);
  AddPrintComposition(single, frames.data(), 3, 1);
  EXPECT_EQ(single.GetCount(), 2);  // frame 1 itself always takes part
  CLayerStack none(8, 8);
  AddPrintComposition(none, frames.data(), 3, 5);
  EXPECT_EQ(none.GetCount(), 0);
}

}  // namespace

namespace {

struct InchCase {
  const char* text;
  bool ok;
  int32_t hundredths;
};

class PrintInches : public testing::TestWithParam<InchCase> {};

TEST_P(PrintInches, ReadsTheCLocaleNumberWithTheInchMark) {
  int32_t value = -7;
  EXPECT_EQ(ParsePrintInches(GetParam().text, &value), GetParam().ok) << GetParam().text;
  EXPECT_EQ(value, GetParam().ok ? GetParam().hundredths : -7) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintInches,
                         testing::Values(InchCase{"4.5", true, 450}, InchCase{"4.00\"", true, 400},
                                         InchCase{" 3 ", true, 300}, InchCase{"0.125", true, 13},
                                         InchCase{"2.5 \"", true, 250}, InchCase{"500", true, 10000},
                                         InchCase{"0", true, 0}, InchCase{"a", false, 0},
                                         InchCase{"4,5", false, 0}, InchCase{"4.5x", false, 0},
                                         InchCase{"", false, 0}, InchCase{"\"", false, 0},
                                         InchCase{"-1", false, 0}, InchCase{"1e3", false, 0}));

TEST(PrintInches, FormatsHundredthsWithTheInchMark) {
  EXPECT_EQ(FormatPrintInches(400), "4.00\"");
  EXPECT_EQ(FormatPrintInches(455), "4.55\"");
  EXPECT_EQ(FormatPrintInches(5), "0.05\"");
}

TEST(PrintGridCount, ReadsUnsignedNumbersUpTo100) {
  int n = -1;
  EXPECT_TRUE(ParseGridCount("3", &n));
  EXPECT_EQ(n, 3);
  EXPECT_TRUE(ParseGridCount("0", &n));
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(ParseGridCount("99999999999999999999999", &n));
  EXPECT_EQ(n, 100);
  n = -1;
  EXPECT_FALSE(ParseGridCount("x", &n));
  EXPECT_FALSE(ParseGridCount("-2", &n));
  EXPECT_FALSE(ParseGridCount("", &n));
  EXPECT_FALSE(ParseGridCount("2.5", &n));
  EXPECT_EQ(n, -1);
}

}  // namespace

#include "base/Profile.h"
#include "output/core/ContactSheetSettings.h"

namespace {

TEST(ContactSheetSettings, ReadClampsAndWriteKeepsEveryKey) {
  auto previous = InstallProfileStore(MakeMemoryProfileStore());
  CONTACT_SHEET_SETTINGS fresh;
  fresh.Read();
  EXPECT_EQ(fresh.thumbnailSize, 0);
  EXPECT_EQ(fresh.printNames, 1);
  EXPECT_EQ(fresh.printFolders, 1);
  EXPECT_EQ(fresh.textSize, 1);
  const std::string s = "Contact Sheet Printing Options";
  WriteProfileInt(s, "Text Size", 9);
  WriteProfileInt(s, "Thumbnail Size", -3);
  WriteProfileInt(s, "Horizontal Alignment", 7);
  CONTACT_SHEET_SETTINGS read;
  read.Read();
  EXPECT_EQ(read.textSize, 2);
  EXPECT_EQ(read.thumbnailSize, 0);
  EXPECT_EQ(read.horzAlign, 2);
  CONTACT_SHEET_SETTINGS written{1, 2, 7, 0, 0, 0};
  written.Write();
  CONTACT_SHEET_SETTINGS again;
  again.Read();
  EXPECT_EQ(again.horzAlign, 1);
  EXPECT_EQ(again.vertAlign, 2);
  EXPECT_EQ(again.thumbnailSize, 7);
  EXPECT_EQ(again.printNames, 0);
  EXPECT_EQ(again.printFolders, 0);
  EXPECT_EQ(again.textSize, 0);
  InstallProfileStore(std::move(previous));
}

}  // namespace
