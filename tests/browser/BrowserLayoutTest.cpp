// The browser grid and the pixels of a cell, without a window.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "browser/BrowserCellPainter.h"
#include "browser/BrowserLayout.h"

namespace {

std::string Show(const Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// A thumbnail of one grey frame.
CThumbFrames GreyFrames(int32_t w, int32_t h, uint8_t grey) {
  auto frames = std::make_shared<std::vector<CAnimFrame>>(1);
  CRasterImage& image = (*frames)[0].m_image;
  image.Create(w, h, 24);
  std::memset(image.GetWritableBits(), grey, static_cast<size_t>(image.GetStride()) * h);
  return frames;
}

CBrowserItem Item(int32_t imageW, int32_t imageH, int32_t thumbW = 0, int32_t thumbH = 0) {
  CBrowserItem item;
  item.m_strFolder = "/p/";
  item.m_strName = "x.jpg";
  item.m_nWidth = imageW;
  item.m_nHeight = imageH;
  if (thumbW > 0) {
    item.m_nThumbWidth = thumbW;
    item.m_nThumbHeight = thumbH;
    item.m_pThumbFrames = GreyFrames(thumbW, thumbH, 128);
  }
  return item;
}

// Box 100, gaps 32 and 20 (no names): pitch 132.
CBrowserLayout Layout100() {
  CBrowserLayout layout;
  layout.m_metrics = GetCellMetrics(2, false, 0);
  return layout;
}

CBrowserItemList FiveItems() {
  CBrowserItemList items;
  items.push_back(Item(200, 100, 100, 50));  // wants 100 x 50
  items.push_back(Item(50, 80, 50, 80));     // wants 50 x 80
  items.push_back(Item(0, 0));               // unknown size: the box
  items.push_back(Item(0, 0));
  items.push_back(Item(100, 100));
  return items;
}

TEST(BrowserLayout, CellsRowsAndExtent) {
  CBrowserLayout layout = Layout100();
  const CBrowserItemList items = FiveItems();
  ASSERT_TRUE(layout.Compute(items, 300));  // 300 / 132 = 2 columns
  EXPECT_EQ(layout.GetColumns(), 2);
  EXPECT_EQ(layout.GetRows(), 3);
  EXPECT_EQ(layout.GetRowHeights(), (std::vector<int32_t>{100, 120, 120}));
  EXPECT_EQ(layout.GetExtentWidth(), 264);
  EXPECT_EQ(layout.GetExtentHeight(), 340);
  const struct {
    int index;
    Rect cell;
  } rows[] = {
      {0, {0, 0, 132, 100}}, {1, {132, 0, 264, 100}}, {2, {0, 100, 132, 220}},
      {3, {132, 100, 264, 220}}, {4, {0, 220, 132, 340}}, {5, {}}, {-1, {}},
  };
  for (const auto& row : rows) EXPECT_EQ(Show(layout.GetCellRect(row.index)), Show(row.cell)) << row.index;
  // A narrow window still has two columns; a wide one more.
  layout.Compute(items, 10);
  EXPECT_EQ(layout.GetColumns(), 2);
  layout.Compute(items, 700);
  EXPECT_EQ(layout.GetColumns(), 5);
  EXPECT_EQ(layout.GetRows(), 1);
}

TEST(BrowserLayout, ThumbnailRectanglesAndHoverZoom) {
  CBrowserLayout layout = Layout100();
  CBrowserItemList items = FiveItems();
  layout.Compute(items, 300);
  const struct {
    int index, step;
    Rect rect;
  } rows[] = {
      {0, 0, {16, 46, 116, 96}},   // centred over the box, bottom-aligned 16 below the box line
      {1, 0, {173, 16, 223, 96}},
      {0, 3, {12, 42, 121, 96}},   // box (109, 56): width limits, 109 x 54
      {0, 6, {7, 37, 125, 96}},    // box (118, 62): 118 x 59
      {1, 6, {169, 4, 226, 96}},   // box (68, 92): height limits, 57 x 92
      {2, 0, {0, 100, 132, 220}},  // no thumbnail: the whole cell
  };
  for (const auto& row : rows) {
    items[static_cast<size_t>(row.index)].m_nZoomStep = row.step;
    EXPECT_EQ(Show(layout.GetThumbnailRect(items, row.index)), Show(row.rect)) << row.index << " step " << row.step;
    items[static_cast<size_t>(row.index)].m_nZoomStep = 0;
  }
  // A thumbnail larger than the box is shown fitted into it.
  int32_t w = 200, h = 100;
  layout.GetDisplaySize(w, h, 0);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
}

TEST(BrowserLayout, HitTestAndInsertIndex) {
  CBrowserLayout layout = Layout100();
  const CBrowserItemList items = FiveItems();
  layout.Compute(items, 300);
  const struct {
    int x, y, hit, gap;
  } rows[] = {
      {20, 50, 0, 0},     // on the picture, left half of the cell
      {10, 50, -1, 0},    // beside the picture inside the cell: no item, but a gap
      {100, 50, 0, 1},    // right half of cell 0
      {180, 20, 1, 1},    // left half of cell 1
      {250, 10, -1, 2},   // right half of cell 1, above its picture
      {10, 150, 2, 2},    // an item without thumbnail is hit anywhere in its cell
      {100, 300, 4, 5},   // right half of the last cell: the end
      {250, 300, -1, 5},  // in no cell
      {1000, 1000, -1, 5},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(layout.HitTest(items, row.x, row.y), row.hit) << row.x << "," << row.y;
    EXPECT_EQ(layout.InsertIndexAt(items, row.x, row.y), row.gap) << row.x << "," << row.y;
  }
}

TEST(BrowserLayout, CameraGroupsStartRowsOfTheirOwnUnderHeaderBands) {
  CBrowserLayout layout = Layout100();
  layout.m_bCameraMode = true;
  layout.m_groups = {{"CardA", 0, 3}, {"Empty", 3, 0}, {"CardC", 3, 2}};
  const CBrowserItemList items = FiveItems();
  layout.Compute(items, 300);
  EXPECT_EQ(layout.GetRows(), 3);  // 2 + 0 + 1
  EXPECT_EQ(layout.GetRowHeights(), (std::vector<int32_t>{100, 120, 120}));
  EXPECT_EQ(Show(layout.GetCellRect(0)), Show({0, 40, 132, 140}));
  EXPECT_EQ(Show(layout.GetCellRect(2)), Show({0, 140, 132, 260}));
  EXPECT_EQ(Show(layout.GetCellRect(3)), Show({0, 340, 132, 460}));
  EXPECT_EQ(Show(layout.GetCellRect(4)), Show({132, 340, 264, 460}));
  // The band of the empty card lies directly above the next card's band.
  EXPECT_EQ(layout.GetGroupHeaderTop(0), 0);
  EXPECT_EQ(layout.GetGroupHeaderTop(1), 260);
  EXPECT_EQ(layout.GetGroupHeaderTop(2), 300);
  EXPECT_EQ(layout.GetExtentHeight(), 460);
  // Counts that claim more photos than the list holds never reach past it.
  layout.m_groups = {{"CardA", 0, 3}, {"CardC", 3, 10}};
  layout.Compute(items, 300);
  EXPECT_EQ(layout.GetRows(), 3);
  EXPECT_TRUE(layout.GetCellRect(5).IsEmpty());
  EXPECT_EQ(layout.HitTest(items, 5000, 5000), -1);
}

TEST(BrowserLayout, TwentyThousandFilesWidenTheGridOrWarn) {
  CBrowserLayout layout;
  layout.m_metrics = GetCellMetrics(4, true, 17);  // box 160, gap y 37: row pitch 197
  CBrowserItemList items(20000);
  ASSERT_TRUE(layout.Compute(items, 800));
  // 32767 / 197 = 166 rows at most: ceil(20000 / 166) = 121 columns.
  EXPECT_EQ(layout.GetColumns(), 121);
  EXPECT_EQ(layout.GetRows(), 166);
  EXPECT_LT(layout.GetExtentHeight(), kMaxScrollExtent);
  EXPECT_LT(layout.GetExtentWidth(), kMaxScrollExtent);
  // Twice as many cannot fit even widened (241 columns of 192 pixels).
  CBrowserItemList many(40000);
  EXPECT_FALSE(layout.Compute(many, 800));
  EXPECT_EQ(layout.GetColumns(), 241);
  EXPECT_STREQ(kTooManyFilesMessage, "There are too many files to display in this window !");
}

// --- cell pixels -------------------------------------------------------------

int Grey(const CELL_BUFFER& b, int x, int y) {
  const uint8_t* p = b.PixelAt(x, y);
  EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
  return p[0];
}

TEST(BrowserCellPixels, ShadowGreysAndCornerRamps) {
  CELL_BUFFER b;
  b.Reset(60, 60, 255, 255, 255);
  const Rect picture{10, 10, 30, 25};  // 20 x 15
  DrawThumbnailShadow(b, picture);
  // Left and top: 242 next to the picture, 252 outside that.
  EXPECT_EQ(Grey(b, 9, 20), 242);
  EXPECT_EQ(Grey(b, 8, 20), 252);
  EXPECT_EQ(Grey(b, 20, 9), 242);
  EXPECT_EQ(Grey(b, 20, 8), 252);
  EXPECT_EQ(Grey(b, 7, 20), 255);
  // Right and bottom: six greys.
  const int ramp[6] = {137, 164, 195, 222, 242, 252};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Grey(b, 30 + i, 20), ramp[i]) << i;
    EXPECT_EQ(Grey(b, 20, 25 + i), ramp[i]) << i;
  }
  EXPECT_EQ(Grey(b, 36, 20), 255);
  // Corners copied unscaled from their top-left corners.
  EXPECT_EQ(Grey(b, 8, 8), 255);    // top-left piece (8, 8)
  EXPECT_EQ(Grey(b, 13, 8), 252);
  EXPECT_EQ(Grey(b, 9, 12), 248);
  EXPECT_EQ(Grey(b, 30, 8), 252);   // top-right piece at (R, T - 2)
  EXPECT_EQ(Grey(b, 30, 15), 140);
  EXPECT_EQ(Grey(b, 8, 25), 253);   // bottom-left piece at (L - 2, B)
  EXPECT_EQ(Grey(b, 15, 25), 140);
  EXPECT_EQ(Grey(b, 28, 23), 255);  // bottom-right piece at (R - 2, B - 2)
  EXPECT_EQ(Grey(b, 30, 25), 163);
  EXPECT_EQ(Grey(b, 35, 30), 255);
  EXPECT_EQ(Grey(b, 29, 30), 252);
}

TEST(BrowserCellPixels, OnePixelPicturesStartTheBottomRightPieceLater) {
  const struct {
    Rect picture;
    int x, y, grey;
  } rows[] = {
      {{10, 10, 11, 25}, 11, 25, 163},  // 1 wide: the piece's second column at R - 1
      {{10, 10, 11, 25}, 10, 23, 255},
      {{10, 10, 11, 25}, 16, 30, 255},
      {{10, 10, 30, 11}, 30, 11, 163},  // 1 high
      {{10, 10, 11, 11}, 11, 11, 163},  // 1 x 1
      {{10, 10, 12, 12}, 12, 12, 163},  // 2 x 2: the whole piece
      {{10, 10, 12, 12}, 10, 10, 255},
  };
  for (const auto& row : rows) {
    CELL_BUFFER b;
    b.Reset(60, 60, 0, 0, 0);
    DrawThumbnailShadow(b, row.picture);
    EXPECT_EQ(Grey(b, row.x, row.y), row.grey) << Show(row.picture) << " at " << row.x << "," << row.y;
  }
  // The top-left piece is never more than W + 2 wide: a 1-wide picture
  // keeps the top-right piece's first column at R.
  CELL_BUFFER b;
  b.Reset(60, 60, 0, 0, 0);
  DrawThumbnailShadow(b, Rect{10, 10, 11, 25});
  EXPECT_EQ(Grey(b, 10, 8), 255);  // top-left piece, third column
  EXPECT_EQ(Grey(b, 11, 8), 252);  // top-right piece, first column
}

TEST(BrowserCellPixels, SelectionRingsVeilAndMarker) {
  CBrowserItem item = Item(20, 15, 20, 15);
  item.m_pThumbFrames = GreyFrames(20, 15, 0);  // black picture
  CELL_DRAWING drawing;
  drawing.cell = Rect{0, 0, 60, 60};
  drawing.picture = Rect{10, 10, 30, 25};
  CELL_BUFFER b;
  b.Reset(60, 60, 255, 255, 255);
  DrawCellPixels(b, item, drawing);
  EXPECT_EQ(Grey(b, 15, 15), 0);
  EXPECT_EQ(Grey(b, 9, 20), 242);  // the shadow is there

  item.m_bSelected = 1;
  item.m_bCut = 1;
  b.Reset(60, 60, 255, 255, 255);
  DrawCellPixels(b, item, drawing);
  auto rgb = [&](int x, int y) {
    const uint8_t* p = b.PixelAt(x, y);
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(rgb(10, 10), (std::vector<int>{0, 0, 255}));      // outer ring
  EXPECT_EQ(rgb(29, 24), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(rgb(11, 11), (std::vector<int>{128, 128, 255}));  // inner ring
  EXPECT_EQ(rgb(28, 23), (std::vector<int>{128, 128, 255}));
  EXPECT_EQ(rgb(15, 15), (std::vector<int>{100, 100, 100}));  // white at alpha 100 over black

  // Insertion marker bars: 255 - level * 100 / 5 at the cell's edges, from
  // h / 8 to h - h / 8.
  drawing.bMarker = true;
  drawing.nLevelBefore = 5;
  drawing.nLevelAfter = 2;
  b.Reset(60, 60, 255, 255, 255);
  DrawCellPixels(b, item, drawing);
  EXPECT_EQ(Grey(b, 0, 7), 155);
  EXPECT_EQ(Grey(b, 0, 52), 155);
  EXPECT_EQ(Grey(b, 0, 6), 255);
  EXPECT_EQ(Grey(b, 0, 53), 255);
  EXPECT_EQ(Grey(b, 59, 30), 215);
}

}  // namespace
