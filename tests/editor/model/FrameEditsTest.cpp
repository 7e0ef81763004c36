// The geometry of the frame transforms without a document: sizes above the
// canvas limit are refused with a message and change nothing; the canvas
// size moves frames (or the selection of a frame without an image); the
// frames' box; selections turn about their centre.

#include <gtest/gtest.h>

#include "editor/model/FrameEdits.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

TEST(FrameEdits, CanvasSizesOutsideOneTo32767AreRefusedWithAMessage) {
  struct Case {
    int w, h, dx, dy;
    bool changed;
    bool refused;
  } cases[] = {
      {4, 4, 0, 0, false, false},  {8, 4, 2, 0, true, false},     {32767, 1, 0, 0, true, false},
      {32768, 4, 0, 0, false, true}, {4, 40000, 0, 0, false, true}, {0, 4, 0, 0, false, true},
      {4, 4, 40000, 0, false, true},
  };
  for (const Case& c : cases) {
    std::vector<CAnimFrame> frames{MakeFrame(SolidImage(4, 4, 1, 2, 3))};
    int16_t w = 4, h = 4;
    const FRAME_EDIT_RESULT r = SetFramesCanvasSize(frames, w, h, c.w, c.h, c.dx, c.dy);
    EXPECT_EQ(r.changed, c.changed) << c.w << "x" << c.h;
    EXPECT_EQ(!r.refusal.empty(), c.refused) << c.w << "x" << c.h;
    if (!r.changed) {
      EXPECT_EQ(w, 4);
      EXPECT_EQ(frames[0].m_nLeft, 0);
    } else {
      EXPECT_EQ(w, c.w);
      EXPECT_EQ(frames[0].m_nLeft, c.dx);
      EXPECT_EQ(r.label, "Canvas Size Change");
    }
  }
}

TEST(FrameEdits, ACanvasChangeMovesTheSelectionOfAFrameWithoutImage) {
  CAnimFrame frame;
  frame.m_selection = SolidImage(2, 2, 1, 1, 1);
  frame.m_rcSelection = Rect{1, 1, 3, 3};
  std::vector<CAnimFrame> frames{frame};
  int16_t w = 4, h = 4;
  ASSERT_TRUE(SetFramesCanvasSize(frames, w, h, 8, 8, 2, 3).changed);
  EXPECT_EQ(frames[0].m_rcSelection, (Rect{3, 4, 5, 6}));
  EXPECT_EQ(frames[0].m_nLeft, 0);
}

TEST(FrameEdits, TheFramesBoxCoversImagesAndSelections) {
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(3, 2, 1, 1, 1), 2, 1)};
  frames[0].m_selection = SolidImage(2, 2, 1, 1, 1);
  frames[0].m_rcSelection = Rect{-1, 2, 1, 4};  // canvas 1..3 x 3..5
  Rect box;
  ASSERT_TRUE(GetFramesBounds(frames, box));
  EXPECT_EQ(box, (Rect{1, 1, 5, 5}));
  EXPECT_TRUE(CanFitCanvas(frames, 10, 10));
  int16_t w = 10, h = 10;
  ASSERT_TRUE(FitCanvasToFrames(frames, w, h).changed);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(frames[0].m_nLeft, 1);
  EXPECT_EQ(frames[0].m_nTop, 0);
  EXPECT_FALSE(CanFitCanvas(frames, w, h));
  std::vector<CAnimFrame> none(2);
  EXPECT_FALSE(GetFramesBounds(none, box));
  EXPECT_FALSE(FitCanvasToFrames(none, w, h).changed);
}

TEST(FrameEdits, RotationsKeepCentresAndName) {
  // A selection of 4 x 2 at 2, 2 .. 6, 4 (centre 4, 3) turns into 2 x 4 at 3, 1.
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(10, 10, 1, 1, 1))};
  frames[0].m_selection = SolidImage(4, 2, 2, 2, 2);
  frames[0].m_rcSelection = Rect{2, 2, 6, 4};
  int16_t w = 10, h = 10;
  FRAME_EDIT_RESULT r = RotateCurrentFrame(frames, w, h, 0, 270);
  ASSERT_TRUE(r.changed);
  EXPECT_EQ(r.label, "Rotate 270 \xC2\xB0");
  EXPECT_EQ(frames[0].m_rcSelection, (Rect{3, 1, 5, 5}));
  EXPECT_EQ(frames[0].m_image.GetWidth(), 10);
  // An image that is not the canvas turns about its centre on the canvas.
  std::vector<CAnimFrame> anim{MakeFrame(SolidImage(10, 10, 1, 1, 1)), MakeFrame(SolidImage(4, 2, 1, 1, 1), 3, 4)};
  ASSERT_TRUE(RotateCurrentFrame(anim, w, h, 1, 90).changed);
  EXPECT_EQ(anim[1].m_nLeft, 4);  // centre 5, 5 -> 2 x 4 at 4, 3
  EXPECT_EQ(anim[1].m_nTop, 3);
  EXPECT_EQ(w, 10);
  // A turn that would leave the canvas's coordinate range is refused.
  std::vector<CAnimFrame> far{MakeFrame(SolidImage(10, 10, 1, 1, 1)), MakeFrame(SolidImage(200, 2, 1, 1, 1), 32700, 0)};
  r = RotateCurrentFrame(far, w, h, 1, 90);
  EXPECT_FALSE(r.changed);
  EXPECT_FALSE(r.refusal.empty());
  EXPECT_EQ(far[1].m_nLeft, 32700);
  // Empty frames and missing frames change nothing.
  std::vector<CAnimFrame> empty(1);
  EXPECT_FALSE(RotateCurrentFrame(empty, w, h, 0, 90).changed);
  EXPECT_FALSE(RotateCurrentFrame(empty, w, h, 5, 90).changed);
  EXPECT_FALSE(FlipCurrentFrame(empty, 0, 1).changed);
  EXPECT_FALSE(CropToSelection(empty, 0).changed);
  EXPECT_FALSE(DeleteSelection(empty, 0).changed);
}

TEST(FrameEdits, CropKeepsTheSelectionWhereItIsOnTheCanvas) {
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(5, 5, 1, 1, 1), 3, 2)};
  frames[0].m_selection = SolidImage(2, 2, 2, 2, 2);
  frames[0].m_rcSelection = Rect{1, 1, 3, 3};
  ASSERT_TRUE(CropToSelection(frames, 0).changed);
  EXPECT_TRUE(frames[0].m_image.IsEmpty());
  EXPECT_EQ(frames[0].m_nLeft, 0);
  EXPECT_EQ(frames[0].m_rcSelection, (Rect{4, 3, 6, 5}));
}

}  // namespace

namespace {

using namespace editor_testing;

// Paste: the pasted image becomes the floating selection centred on the old
// selection, else on the image, else on the canvas (the centre kept on the
// canvas); an old selection is merged first; the frame's mode is kept.
TEST(FrameEdits, PasteCentresTheNewSelectionAndKeepsTheFramesMode) {
  const CRasterImage pasted = SolidImage(4, 2, 200, 100, 50);
  struct Case {
    const char* name;
    CAnimFrame frame;
    bool oldSelection;
    Rect expected;  // relative to the frame's position
  };
  Case cases[] = {
      {"on the image", MakeFrame(SolidImage(10, 8, 1, 1, 1), 3, 2), false, Rect{3, 3, 7, 5}},
      {"on the old selection", MakeFrame(SolidImage(10, 8, 1, 1, 1)), true, Rect{0, 5, 4, 7}},
      {"on the canvas", CAnimFrame{}, false, Rect{8, 5, 12, 7}},
      {"centre kept on the canvas", MakeFrame(SolidImage(4, 4, 1, 1, 1), 30, 30), false, Rect{-13, -20, -9, -18}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.oldSelection) {
      c.frame.m_selection = SolidImage(2, 2, 9, 9, 9);
      c.frame.m_rcSelection = Rect{1, 5, 3, 7};
    }
    std::vector<CAnimFrame> frames{c.frame};
    const FRAME_EDIT_RESULT result = PasteIntoFrame(frames, 0, 20, 12, pasted);
    ASSERT_TRUE(result.changed);
    EXPECT_EQ(result.label, "Paste");
    const CAnimFrame& f = frames[0];
    EXPECT_EQ(f.m_rcSelection.left, c.expected.left);
    EXPECT_EQ(f.m_rcSelection.top, c.expected.top);
    EXPECT_EQ(f.m_rcSelection.right, c.expected.right);
    EXPECT_EQ(f.m_rcSelection.bottom, c.expected.bottom);
    EXPECT_EQ(f.m_selection.GetWidth(), 4);
    if (c.oldSelection) {
      // The old selection went into the image.
      EXPECT_EQ(f.m_image.GetRow(5)[3 * 1], 9);
    }
  }
}

TEST(FrameEdits, PasteMapsOntoAnIndexedImagesPaletteAndRefusesNothingToPaste) {
  CRasterImage indexed;
  ASSERT_TRUE(indexed.Create(6, 6, 8));
  RGBQUAD* palette = indexed.GetWritablePalette();
  for (int i = 0; i < 256; ++i) palette[i] = MakeRGBQuad(static_cast<uint8_t>(i), 0, 0);
  std::vector<CAnimFrame> frames{MakeFrame(indexed)};
  ASSERT_TRUE(PasteIntoFrame(frames, 0, 6, 6, SolidImage(2, 2, 201, 0, 0)).changed);
  ASSERT_EQ(frames[0].m_selection.GetBitsPerPixel(), 8);
  EXPECT_EQ(frames[0].m_selection.GetRow(0)[0], 201);
  std::vector<CAnimFrame> untouched{MakeFrame(indexed)};
  EXPECT_FALSE(PasteIntoFrame(untouched, 0, 6, 6, CRasterImage()).changed);
  EXPECT_FALSE(PasteIntoFrame(untouched, 3, 6, 6, SolidImage(2, 2, 1, 1, 1)).changed);
  EXPECT_TRUE(untouched[0].m_selection.IsEmpty());
}

}  // namespace
