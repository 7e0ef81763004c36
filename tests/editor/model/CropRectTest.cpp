// The crop rectangle's arithmetic without a window: presets, where the image
// is drawn, the handles' hit test, dragging each handle with and without an
// aspect, moving against the edges, crossing handles, the minimum size and
// degenerate sizes; and the crop of a frame to a rectangle on the canvas.

#include <gtest/gtest.h>

#include <cmath>

#include "editor/model/CropRect.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

constexpr double kEps = 1e-9;

void ExpectInside(const CCropRect& c, const char* what) {
  for (double v : {c.x1, c.x2, c.y1, c.y2}) {
    EXPECT_TRUE(std::isfinite(v)) << what;
    EXPECT_GE(v, 0.0) << what;
    EXPECT_LE(v, 1.0) << what;
  }
}

TEST(CropRect, PresetRatiosUprightAndLandscape) {
  struct Case {
    int constraint;
    bool landscape;
    double ratio;
  } cases[] = {
      {0, true, -1.0},          {0, false, -1.0},         {1, true, 1.6666666666666667}, {1, false, 0.6},
      {2, true, 1.5},           {2, false, 0.6666666666666666}, {3, true, 1.4},     {3, false, 0.7142857142857143},
      {4, true, 1.25},          {4, false, 0.8},          {5, true, -1.0},          {-3, false, -1.0},
      {9, true, -1.0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(CropPresetRatio(c.constraint, c.landscape), c.ratio) << c.constraint << " " << c.landscape;
  EXPECT_DOUBLE_EQ(CropCustomRatio(3, 2), 1.5);
  EXPECT_DOUBLE_EQ(CropCustomRatio(0, 5), -1.0);  // a width of 0: no constraint
  EXPECT_DOUBLE_EQ(CropCustomRatio(5, 0), -1.0);  // a height of 0: no constraint, nothing divided by 0
  EXPECT_DOUBLE_EQ(CropCustomRatio(0, 0), -1.0);
}

TEST(CropRect, TheImageIsDrawnAsLargeAsFitsInsideTheHandleMarginCentred) {
  struct Case {
    int cw, ch, w, h;
    Rect expected;
  } cases[] = {
      {408, 308, 400, 300, Rect{4, 4, 404, 304}},
      {200, 100, 100, 100, Rect{54, 4, 146, 96}},   // height-bound
      {100, 200, 100, 100, Rect{4, 54, 96, 146}},   // width-bound
      {500, 400, 4000, 3000, Rect{4, 15, 496, 384}},
      {8, 8, 10, 10, Rect{}},                        // no room
      {7, 100, 10, 10, Rect{}},
      {100, 100, 0, 10, Rect{}},                     // no image
      {100, 100, 10, 0, Rect{}},
      {100, 50, 1, 30000, Rect{50, 4, 50, 46}},     // drawn 0 wide
  };
  for (const Case& c : cases)
    EXPECT_EQ(CropImageRect(c.cw, c.ch, c.w, c.h), c.expected) << c.cw << "x" << c.ch << " " << c.w << "x" << c.h;
}

TEST(CropRect, AFourBySixPresetOnFourHundredByThreeHundred) {
  CCropRect upright(400, 300);
  upright.SetAspect(CropPresetRatio(CROP_CONSTRAINT_4X6, false));
  EXPECT_DOUBLE_EQ(upright.GetAspect(), 0.5);
  EXPECT_EQ(upright.GetPixelRect(), (Rect{100, 0, 300, 300}));
  EXPECT_EQ(upright.GetSizeText(), "Width: 200  Height: 300");

  CCropRect landscape(400, 300);
  landscape.SetAspect(CropPresetRatio(CROP_CONSTRAINT_4X6, true));
  EXPECT_DOUBLE_EQ(landscape.GetAspect(), 1.125);
  EXPECT_EQ(landscape.GetPixelRect(), (Rect{0, 16, 400, 284}));
  EXPECT_EQ(landscape.GetSizeText(), "Width: 400  Height: 268");
}

TEST(CropRect, EveryPresetFromTheWholeImageKeepsItsRatioCentred) {
  for (const auto& [w, h] : {std::pair{400, 300}, std::pair{300, 400}, std::pair{4000, 3000}, std::pair{123, 77}}) {
    for (int constraint = 1; constraint <= 4; ++constraint) {
      for (bool landscape : {false, true}) {
        CCropRect c(w, h);
        const double ratio = CropPresetRatio(constraint, landscape);
        c.SetAspect(ratio);
        ExpectInside(c, "preset");
        // Independently: the largest rectangle of that ratio inside w x h.
        const bool keepHeight = ratio * h <= w;
        const double ew = keepHeight ? ratio * h : w, eh = keepHeight ? h : w / ratio;
        const Rect r = c.GetPixelRect();
        // Each edge rounds outwards (left and top down, right and bottom
        // up), so a side may be up to 2 pixels longer.
        EXPECT_NEAR(r.Width(), ew, 2.0) << w << "x" << h << " " << constraint << landscape;
        EXPECT_NEAR(r.Height(), eh, 2.0) << w << "x" << h << " " << constraint << landscape;
        EXPECT_LE(std::abs((r.left) - (w - r.right)), 1) << "centred";
        EXPECT_LE(std::abs((r.top) - (h - r.bottom)), 1) << "centred";
      }
    }
  }
}

TEST(CropRect, SetAspectKeepsTheCentreInsideAndNoneKeepsTheRectangle) {
  CCropRect c(400, 300);
  c.x1 = 0.0, c.x2 = 0.5, c.y1 = 0.0, c.y2 = 1.0;
  c.SetAspect(1.25);  // fraction aspect 0.9375: the width stays, the height becomes 0.5 / 0.9375
  EXPECT_NEAR(c.x1, 0.0, kEps);
  EXPECT_NEAR(c.x2, 0.5, kEps);
  EXPECT_NEAR(c.y2 - c.y1, 0.5 / 0.9375, kEps);
  EXPECT_NEAR((c.y1 + c.y2) / 2, 0.5, kEps);
  // Near the bottom edge, a taller aspect moves the centre back inside.
  c.x1 = 0.0, c.x2 = 0.2, c.y1 = 0.9, c.y2 = 1.0;
  c.SetAspect(0.25 * 400 / 300);  // 0.25 in fractions: the width stays 0.2, the height becomes 0.8
  ExpectInside(c, "corner");
  EXPECT_NEAR(c.x1, 0.0, kEps);
  EXPECT_NEAR(c.x2, 0.2, kEps);
  EXPECT_NEAR(c.y1, 0.2, kEps);
  EXPECT_NEAR(c.y2, 1.0, kEps);
  // "None" keeps the rectangle and frees the handles.
  const CCropRect before = c;
  c.SetAspect(-1.0);
  EXPECT_EQ(c.GetAspect(), -1.0);
  EXPECT_EQ(c.x1, before.x1);
  EXPECT_EQ(c.y2, before.y2);
  c.Drag(CROP_DRAG_BOTTOM_RIGHT, 300, 200, 0, 0, Rect{0, 0, 400, 300});
  EXPECT_EQ(c.GetPixelRect(), (Rect{0, c.GetPixelRect().top, 300, 200}));
  c.SetAspect(0.0);
  EXPECT_EQ(c.GetAspect(), -1.0);
}

TEST(CropRect, HitTestTriesTheHandlesInOrderThenStrictlyInside) {
  CCropRect c(400, 300);
  const Rect image{4, 4, 404, 304};
  struct Case {
    int x, y, mode;
  } cases[] = {
      {4, 4, 1},     {0, 0, 1},     {7, 7, 1},     {8, 8, 9},     {204, 4, 2},   {404, 4, 3},   {407, 7, 3},
      {408, 4, 0},   {4, 154, 4},   {404, 154, 5}, {4, 304, 6},   {204, 304, 7}, {404, 304, 8}, {200, 150, 9},
      {500, 500, 0}, {-10, 10, 0},
  };
  for (const Case& k : cases) EXPECT_EQ(c.HitTest(k.x, k.y, image), k.mode) << k.x << "," << k.y;
  // A smaller rectangle: the image outside it is 0, its edge is not inside.
  c.x1 = 0.25, c.x2 = 0.75, c.y1 = 0.25, c.y2 = 0.75;
  EXPECT_EQ(c.HitTest(50, 150, image), 0);
  EXPECT_EQ(c.HitTest(104, 154, image), 4);  // the left-middle handle
  EXPECT_EQ(c.HitTest(109, 154, image), 9);
  EXPECT_EQ(c.HitTest(204, 79, image), 2);
  // Handles of a tiny rectangle overlap: the first in order wins.
  c.x1 = 0.5, c.x2 = 0.501, c.y1 = 0.5, c.y2 = 0.501;
  EXPECT_EQ(c.HitTest(204, 154, image), 1);
  // An image drawn 0 wide has only its handle squares.
  EXPECT_EQ(c.HitTest(50, 25, Rect{50, 4, 50, 46}), 1);
  EXPECT_EQ(c.HitTest(60, 40, Rect{50, 4, 50, 46}), 0);
}

TEST(CropRect, EachHandleDragsItsEdgesWithoutAConstraint) {
  const Rect image{0, 0, 400, 300};  // one client pixel per image pixel
  struct Case {
    int mode, x, y;
    Rect expected;
  } cases[] = {
      {1, 100, 50, Rect{100, 50, 400, 300}}, {2, 100, 60, Rect{0, 60, 400, 300}},
      {3, 300, 40, Rect{0, 40, 300, 300}},   {4, 120, 10, Rect{120, 0, 400, 300}},
      {5, 250, 10, Rect{0, 0, 250, 300}},    {6, 30, 200, Rect{30, 0, 400, 200}},
      {7, 30, 210, Rect{0, 0, 400, 210}},    {8, 310, 220, Rect{0, 0, 310, 220}},
      {8, 900, 900, Rect{0, 0, 400, 300}},   {1, -50, -50, Rect{0, 0, 400, 300}},  // clamped to the image
  };
  for (const Case& k : cases) {
    CCropRect c(400, 300);
    c.Drag(k.mode, k.x, k.y, 0, 0, image);
    EXPECT_EQ(c.GetPixelRect(), k.expected) << "mode " << k.mode;
    ExpectInside(c, "free");
  }
}

TEST(CropRect, TheAspectIsKeptWhileResizingFromEveryHandle) {
  const Rect image{4, 4, 404, 304};
  const int xs[] = {-300, 0, 60, 150, 204, 260, 350, 404, 900};
  const int ys[] = {-300, 0, 40, 120, 154, 200, 280, 304, 900};
  for (double ratio : {1.5, 0.6, 1.0, 4.0, 0.1}) {
    for (int mode = 1; mode <= 8; ++mode) {
      for (int x : xs) {
        for (int y : ys) {
          CCropRect c(400, 300);
          c.x1 = 0.2, c.x2 = 0.7, c.y1 = 0.3, c.y2 = 0.6;
          c.SetAspect(ratio);
          const CCropRect before = c;
          c.Drag(mode, x, y, 0, 0, image);
          ExpectInside(c, "aspect");
          const double w = std::abs(c.x2 - c.x1), h = std::abs(c.y2 - c.y1);
          ASSERT_GT(h, 0.0);
          EXPECT_NEAR(w / h, c.GetAspect(), 1e-6) << "ratio " << ratio << " mode " << mode << " at " << x << "," << y;
          // The edges opposite the handle stay (a side handle's other
          // direction follows through one edge: the left one for the top
          // handle, the right for the bottom, the bottom for the left, the
          // top for the right).
          const bool keepsX1 = mode == 3 || mode == 8 || mode == 7 || mode == 5;
          const bool keepsX2 = mode == 1 || mode == 6 || mode == 2 || mode == 4;
          const bool keepsY1 = mode == 6 || mode == 8 || mode == 7 || mode == 4;
          const bool keepsY2 = mode == 1 || mode == 3 || mode == 2 || mode == 5;
          if (keepsX1) {
            EXPECT_EQ(c.x1, before.x1) << mode;
          }
          if (keepsX2) {
            EXPECT_EQ(c.x2, before.x2) << mode;
          }
          if (keepsY1) {
            EXPECT_EQ(c.y1, before.y1) << mode;
          }
          if (keepsY2) {
            EXPECT_EQ(c.y2, before.y2) << mode;
          }
          const Rect r = c.GetPixelRect();
          EXPECT_GE(r.Width(), 1);
          EXPECT_GE(r.Height(), 1);
        }
      }
    }
  }
}

TEST(CropRect, ASideHandleStopsTheFollowingEdgeAtTheImageAndComesBack) {
  const Rect image{0, 0, 400, 300};
  CCropRect c(400, 300);
  c.x1 = 0.1, c.x2 = 0.4, c.y1 = 0.4, c.y2 = 0.6;
  c.SetAspect(1.0);  // 0.75 in fractions
  // The top handle pulled up to 0: the width wants 0.75 * h left of x2 = 0.4,
  // which would pass 0: x1 stops at 0 and the top follows the width 0.4.
  c.Drag(CROP_DRAG_TOP, 200, 0, 0, 0, image);
  EXPECT_NEAR(c.x1, 0.0, kEps);
  EXPECT_NEAR(c.y2 - c.y1, 0.4 / 0.75, kEps);
  // The right handle pulled to the far right: the top edge would pass 0.
  c.x1 = 0.5, c.x2 = 0.6, c.y1 = 0.2, c.y2 = 0.3;
  c.SetAspect(1.0);
  c.Drag(CROP_DRAG_RIGHT, 400, 0, 0, 0, image);
  EXPECT_NEAR(c.y1, 0.0, kEps);
  EXPECT_NEAR((c.x2 - c.x1) / (c.y2 - c.y1), 0.75, kEps);
  ExpectInside(c, "right");
}

TEST(CropRect, CrossedHandlesGiveAnOrderedPixelRectangle) {
  const Rect image{0, 0, 400, 300};
  CCropRect c(400, 300);
  c.x1 = 0.25, c.x2 = 0.75, c.y1 = 0.25, c.y2 = 0.75;
  c.Drag(CROP_DRAG_TOP_LEFT, 350, 270, 0, 0, image);
  EXPECT_GT(c.x1, c.x2);
  EXPECT_EQ(c.GetPixelRect(), (Rect{300, 225, 350, 270}));
  EXPECT_EQ(c.HitTest(320, 240, image), 9);
  // Moving a crossed rectangle keeps it inside too.
  c.Drag(CROP_DRAG_MOVE, 1000, 1000, 0, 0, image);
  EXPECT_EQ(c.GetPixelRect(), (Rect{350, 255, 400, 300}));
}

TEST(CropRect, MovingAgainstAnEdgeStopsThereWithoutResizing) {
  const Rect image{4, 4, 404, 304};
  struct Case {
    int dx, dy;
    Rect expected;
  } cases[] = {
      {-1000, 0, Rect{0, 75, 200, 225}},  {1000, 0, Rect{200, 75, 400, 225}}, {0, -1000, Rect{100, 0, 300, 150}},
      {0, 1000, Rect{100, 150, 300, 300}}, {40, -20, Rect{140, 55, 340, 205}}, {-1000, 1000, Rect{0, 150, 200, 300}},
  };
  for (const Case& k : cases) {
    CCropRect c(400, 300);
    c.x1 = 0.25, c.x2 = 0.75, c.y1 = 0.25, c.y2 = 0.75;
    c.Drag(CROP_DRAG_MOVE, 200 + k.dx, 150 + k.dy, 200, 150, image);
    EXPECT_EQ(c.GetPixelRect(), k.expected) << k.dx << "," << k.dy;
    EXPECT_NEAR(c.x2 - c.x1, 0.5, kEps);
    EXPECT_NEAR(c.y2 - c.y1, 0.5, kEps);
  }
}

TEST(CropRect, ARectangleNeverCollapsesAndDegenerateSizesDivideByNothing) {
  const Rect image{0, 0, 400, 300};
  // A handle dropped on the opposite edge stays a pixel away.
  for (int mode = 1; mode <= 8; ++mode) {
    for (double ratio : {-1.0, 1.5}) {
      CCropRect c(400, 300);
      c.x1 = 0.25, c.x2 = 0.75, c.y1 = 0.25, c.y2 = 0.75;
      c.SetAspect(ratio);
      const Point opposite = c.GetHandlePoint(9 - mode, image);
      c.Drag(mode, opposite.x, opposite.y, 0, 0, image);
      ExpectInside(c, "collapse");
      EXPECT_GT(std::abs(c.x2 - c.x1), 0.0) << mode;
      EXPECT_GT(std::abs(c.y2 - c.y1), 0.0) << mode;
      const Rect r = c.GetPixelRect();
      EXPECT_GE(r.Width(), 1) << mode;
      EXPECT_GE(r.Height(), 1) << mode;
    }
  }
  // A one-pixel image: the rectangle is that pixel whatever the mouse does.
  CCropRect one(1, 1);
  for (int mode = 1; mode <= 9; ++mode) {
    one.Drag(mode, 3, 3, 0, 0, Rect{4, 4, 5, 5});
    EXPECT_EQ(one.GetPixelRect(), (Rect{0, 0, 1, 1})) << mode;
  }
  one.SetAspect(2.0);
  EXPECT_EQ(one.GetPixelRect(), (Rect{0, 0, 1, 1}));
  // No image: nothing to show, nothing divided.
  CCropRect none(0, 0);
  none.SetAspect(1.5);
  EXPECT_EQ(none.GetAspect(), -1.0);
  for (int mode = 1; mode <= 9; ++mode) none.Drag(mode, 10, 10, 0, 0, Rect{});
  ExpectInside(none, "none");
  EXPECT_EQ(none.GetPixelRect(), Rect{});
  EXPECT_EQ(none.GetSizeText(), "Width: 0  Height: 0");
  EXPECT_EQ(none.HitTest(50, 50, Rect{}), 0);
  // An image drawn 0 wide: the drag takes x as 0.
  CCropRect thin(1, 30000);
  thin.SetAspect(0.5);
  thin.Drag(CROP_DRAG_BOTTOM_RIGHT, 50, 20, 0, 0, Rect{50, 4, 50, 46});
  ExpectInside(thin, "thin");
  EXPECT_GE(thin.GetPixelRect().Width(), 1);
  // Extreme custom ratios keep the arithmetic finite.
  for (double ratio : {1e-9, 1e9}) {
    CCropRect c(400, 300);
    c.SetAspect(ratio);
    for (int mode = 1; mode <= 8; ++mode) c.Drag(mode, 123, 45, 0, 0, image);
    ExpectInside(c, "extreme");
    EXPECT_GE(c.GetPixelRect().Width(), 1);
    EXPECT_GE(c.GetPixelRect().Height(), 1);
  }
}

// Each pixel's blue byte is x, green y (the source position).
CRasterImage Coordinates(int w, int h) {
  CRasterImage image = SolidImage(w, h, 0, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.GetWritableBits() + int64_t{y} * image.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
    }
  return image;
}

int BlueAt(const CRasterImage& image, int x, int y) { return image.GetRow(y)[3 * x]; }
int GreenAt(const CRasterImage& image, int x, int y) { return image.GetRow(y)[3 * x + 1]; }

TEST(CropRect, CroppingAFrameToACanvasRectangle) {
  struct Case {
    const char* what;
    int imageW, imageH, left, top;
    bool selection;
    Rect rcSelection;
    Rect rect;
    bool changed;
    Rect imageOnCanvas;      // empty: no image afterwards
    Rect selectionOnCanvas;  // empty: no selection afterwards
  } cases[] = {
      {"image only", 10, 8, 2, 3, false, Rect{}, Rect{4, 5, 9, 10}, true, Rect{4, 5, 9, 10}, Rect{}},
      {"rect larger than image", 10, 8, 2, 3, false, Rect{}, Rect{0, 0, 40, 40}, true, Rect{2, 3, 12, 11}, Rect{}},
      {"image and selection", 10, 8, 0, 0, true, Rect{6, 4, 10, 8}, Rect{0, 0, 8, 8}, true, Rect{0, 0, 8, 8},
       Rect{6, 4, 8, 8}},
      {"selection outside the image kept", 4, 4, 10, 10, true, Rect{-10, -10, -6, -6}, Rect{0, 0, 3, 3}, true, Rect{},
       Rect{0, 0, 3, 3}},
      {"selection dropped", 10, 8, 0, 0, true, Rect{6, 4, 10, 8}, Rect{0, 0, 5, 5}, true, Rect{0, 0, 5, 5}, Rect{}},
      {"nothing inside", 10, 8, 0, 0, false, Rect{}, Rect{20, 20, 30, 30}, false, Rect{0, 0, 10, 8}, Rect{}},
      {"empty rectangle", 10, 8, 0, 0, false, Rect{}, Rect{2, 2, 2, 5}, false, Rect{0, 0, 10, 8}, Rect{}},
  };
  for (const Case& k : cases) {
    std::vector<CAnimFrame> frames{MakeFrame(Coordinates(k.imageW, k.imageH), k.left, k.top)};
    CAnimFrame& f = frames[0];
    if (k.selection) {
      f.m_selection = Coordinates(k.rcSelection.Width(), k.rcSelection.Height());
      f.m_rcSelection = k.rcSelection;
    }
    const CAnimFrame old = f;
    const FRAME_EDIT_RESULT r = CropFrameToCanvasRect(frames, 0, k.rect);
    EXPECT_EQ(r.changed, k.changed) << k.what;
    if (r.changed) {
      EXPECT_EQ(r.label, "Crop Special") << k.what;
      EXPECT_EQ(r.hint, 1) << k.what;
    }
    if (k.imageOnCanvas.IsEmpty()) {
      EXPECT_TRUE(f.m_image.IsEmpty()) << k.what;
      EXPECT_EQ(f.m_nLeft, 0) << k.what;
      EXPECT_EQ(f.m_nTop, 0) << k.what;
    } else {
      ASSERT_FALSE(f.m_image.IsEmpty()) << k.what;
      EXPECT_EQ((Rect{f.m_nLeft, f.m_nTop, f.m_nLeft + f.m_image.GetWidth(), f.m_nTop + f.m_image.GetHeight()}),
                k.imageOnCanvas)
          << k.what;
      // Every pixel came from the same canvas place.
      for (int y = 0; y < f.m_image.GetHeight(); ++y)
        for (int x = 0; x < f.m_image.GetWidth(); ++x) {
          ASSERT_EQ(BlueAt(f.m_image, x, y), f.m_nLeft + x - old.m_nLeft) << k.what;
          ASSERT_EQ(GreenAt(f.m_image, x, y), f.m_nTop + y - old.m_nTop) << k.what;
        }
    }
    if (k.selectionOnCanvas.IsEmpty()) {
      EXPECT_TRUE(f.m_selection.IsEmpty()) << k.what;
      if (k.selection) {
        EXPECT_EQ(f.m_rcSelection, Rect{}) << k.what;
      }
    } else {
      ASSERT_FALSE(f.m_selection.IsEmpty()) << k.what;
      const Rect onCanvas{f.m_nLeft + f.m_rcSelection.left, f.m_nTop + f.m_rcSelection.top,
                          f.m_nLeft + f.m_rcSelection.left + f.m_selection.GetWidth(),
                          f.m_nTop + f.m_rcSelection.top + f.m_selection.GetHeight()};
      EXPECT_EQ(onCanvas, k.selectionOnCanvas) << k.what;
      EXPECT_EQ(f.m_rcSelection.Width(), f.m_selection.GetWidth()) << k.what;
      const int oldX = old.m_nLeft + old.m_rcSelection.left, oldY = old.m_nTop + old.m_rcSelection.top;
      EXPECT_EQ(BlueAt(f.m_selection, 0, 0), onCanvas.left - oldX) << k.what;
      EXPECT_EQ(GreenAt(f.m_selection, 0, 0), onCanvas.top - oldY) << k.what;
    }
  }
}

TEST(CropRect, AnIndexedFrameKeepsItsDepthAndPalette) {
  CRasterImage indexed;
  indexed.Create(6, 6, 8);
  indexed.GetWritablePalette()[3] = RGBQUAD{1, 2, 3, 0};
  indexed.GetWritableBits()[2 * indexed.GetStride() + 2] = 3;
  std::vector<CAnimFrame> frames{MakeFrame(indexed)};
  ASSERT_TRUE(CropFrameToCanvasRect(frames, 0, Rect{2, 2, 5, 4}).changed);
  EXPECT_EQ(frames[0].m_image.GetBitsPerPixel(), 8);
  EXPECT_EQ(frames[0].m_image.GetWidth(), 3);
  EXPECT_EQ(frames[0].m_image.GetHeight(), 2);
  EXPECT_EQ(frames[0].m_image.GetRow(0)[0], 3);
  EXPECT_EQ(frames[0].m_image.GetPalette()[3].rgbRed, 3);
  EXPECT_EQ(frames[0].m_nLeft, 2);
  EXPECT_EQ(CropFrameToCanvasRect(frames, 5, Rect{0, 0, 1, 1}).changed, false);  // no such frame
}

}  // namespace
