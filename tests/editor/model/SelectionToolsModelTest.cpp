// The selection tools' frame edits without a window: re-cutting with
// rectangle masks in the three modes, deselecting, move clamps and the
// marching ants' outline at several zooms.

#include <gtest/gtest.h>

#include "editor/model/SelectionTools.h"
#include "imaging/SelectionMask.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

SELECTION_MASK_BUILDER RectBuilder(Rect canvas, int mode) {
  return [canvas, mode](const CRasterImage& content, Point at, const CRasterImage* current) {
    const Rect r{canvas.left - at.x, canvas.top - at.y, canvas.right - at.x, canvas.bottom - at.y};
    return MakeRectSelectionMask(content, r, current, mode);
  };
}

TEST(RecutSelection, ReplaceAddSubtractAndDeselect) {
  CAnimFrame frame = MakeFrame(SolidImage(20, 10, 9, 8, 7), 3, 2);
  ASSERT_EQ(RecutSelection(frame, RectBuilder(Rect{5, 4, 10, 8}, SELECT_REPLACE)), RECUT_CHANGED);
  EXPECT_EQ(frame.m_selection.GetWidth(), 5);
  EXPECT_EQ(frame.m_selection.GetHeight(), 4);
  EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 5);
  EXPECT_EQ(frame.m_nTop + frame.m_rcSelection.top, 4);
  EXPECT_EQ(frame.m_image.GetWidth(), 20);  // the rest keeps its size (a hole inside)
  ASSERT_EQ(RecutSelection(frame, RectBuilder(Rect{12, 4, 15, 6}, SELECT_ADD)), RECUT_CHANGED);
  EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 5);
  EXPECT_EQ(frame.m_selection.GetWidth(), 10);
  ASSERT_EQ(RecutSelection(frame, RectBuilder(Rect{0, 0, 11, 12}, SELECT_SUBTRACT)), RECUT_CHANGED);
  EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 12);
  EXPECT_EQ(frame.m_selection.GetWidth(), 3);
  // Ctrl over everything selected leaves the frame as it was.
  const CAnimFrame before = frame;
  EXPECT_EQ(RecutSelection(frame, RectBuilder(Rect{0, 0, 30, 30}, SELECT_SUBTRACT)), RECUT_EMPTY_MASK);
  EXPECT_EQ(frame.m_rcSelection.left, before.m_rcSelection.left);
  EXPECT_TRUE(frame.m_selection.SharesPixelsWith(before.m_selection));
  ASSERT_TRUE(DeselectFrame(frame));
  EXPECT_TRUE(frame.m_selection.IsEmpty());
  EXPECT_EQ(frame.m_nLeft, 3);
  EXPECT_EQ(frame.m_image.GetWidth(), 20);
}

TEST(RecutSelection, CoveringEveryOpaquePixelLeavesAnEmptyImage) {
  CAnimFrame frame = MakeFrame(SolidImage(6, 4, 1, 2, 3), 2, 1);
  ASSERT_EQ(RecutSelection(frame, RectBuilder(Rect{0, 0, 20, 20}, SELECT_REPLACE)), RECUT_CHANGED);
  EXPECT_TRUE(frame.m_image.IsEmpty());
  EXPECT_EQ(frame.m_selection.GetWidth(), 6);
  EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 2);
  EXPECT_EQ(frame.m_nTop + frame.m_rcSelection.top, 1);
  CAnimFrame empty;
  EXPECT_EQ(RecutSelection(empty, RectBuilder(Rect{0, 0, 2, 2}, SELECT_REPLACE)), RECUT_NOTHING);
}

TEST(ClampMoveOffset, KeepsTheRectangleTouchingTheCanvas) {
  int dx = -100, dy = 100;
  ClampMoveOffset(Rect{10, 10, 20, 30}, 50, 40, dx, dy);
  EXPECT_EQ(dx, -20);
  EXPECT_EQ(dy, 30);
}

// Counts outline pixels.
int Count(const std::vector<ANTS_RUN>& runs) {
  int n = 0;
  for (const ANTS_RUN& r : runs) n += r.length;
  return n;
}

TEST(FindAntsRuns, PlainRectangleAndMaskedSelectionAtZooms) {
  CRasterImage plain = SolidImage(10, 6, 1, 1, 1);
  std::vector<ANTS_RUN> runs;
  FindAntsRuns(plain, Rect{0, 0, 10, 6}, Rect{0, 0, 10, 6}, 1, 0, runs);
  EXPECT_EQ(Count(runs), 2 * 10 + 2 * 4);
  // Colours come in runs of four along a row.
  EXPECT_FALSE(runs[0].white);
  EXPECT_EQ(runs[0].length, 4);
  // Clipped on the left: that side is not drawn.
  FindAntsRuns(plain, Rect{0, 0, 10, 6}, Rect{3, 0, 10, 6}, 1, 0, runs);
  EXPECT_EQ(Count(runs), 2 * 7 + 4);

  // A masked 6 x 6 selection with a 4 x 4 opaque block inside.
  CRasterImage masked = SolidImage(6, 6, 1, 1, 1);
  masked.CreateMask();
  CRasterImage cut = masked;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      cut.GetWritableMaskBits()[y * cut.GetMaskStride() + x] = (x >= 1 && x < 5 && y >= 1 && y < 5) ? 255 : 0;
  FindAntsRuns(cut, Rect{0, 0, 6, 6}, Rect{0, 0, 6, 6}, 1, 0, runs);
  EXPECT_EQ(Count(runs), 12);  // the ring of the 4 x 4 block
  FindAntsRuns(cut, Rect{0, 0, 18, 18}, Rect{0, 0, 18, 18}, 3, 0, runs);
  EXPECT_EQ(Count(runs), 12 * 9);  // every outline pixel as 3 x 3
  FindAntsRuns(cut, Rect{0, 0, 3, 3}, Rect{0, 0, 3, 3}, -2, 0, runs);
  // Pixels 0, 2, 4 of each row and column: (2, 2) lies inside, (2, 4), (4, 2)
  // and (4, 4) on the outline.
  EXPECT_EQ(Count(runs), 3);
}

}  // namespace
