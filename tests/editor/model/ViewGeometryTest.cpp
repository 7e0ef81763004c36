// The editing view's arithmetic: zoom steps, best fit, display size, the
// image rectangle, point conversion and the composite of kept frames.

#include <gtest/gtest.h>

#include "editor/model/ViewGeometry.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

TEST(ViewGeometry, ZoomWalk) {
  EXPECT_EQ(ZoomOutStep(1), -2);
  EXPECT_EQ(ZoomInStep(1), 2);
  EXPECT_EQ(ZoomInStep(-2), -1);  // actual size
  EXPECT_EQ(ZoomInStep(-1), 2);
  EXPECT_EQ(ZoomOutStep(2), 1);
  EXPECT_EQ(ZoomOutStep(0), -2);
  int z = 1;
  for (int i = 0; i < 40; ++i) z = ZoomInStep(z);
  EXPECT_EQ(z, 16);
  for (int i = 0; i < 80; ++i) z = ZoomOutStep(z);
  EXPECT_EQ(z, -16);
  // All 31 steps are visited once each way.
  std::vector<int> steps{-16};
  for (z = -16; z != 16;) steps.push_back(z = ZoomInStep(z));
  EXPECT_EQ(steps.size(), 31u);  // -16..-2, -1 (actual size), 2..16
}

TEST(ViewGeometry, BestFit) {
  struct Case {
    int w, h, areaW, areaH, zoom;
  } cases[] = {{100, 100, 500, 400, 1},   {2000, 900, 500, 400, -4}, {30000, 100, 500, 400, -16},
               {500, 400, 500, 400, 1},   {501, 400, 500, 400, -2},  {1000, 1601, 500, 400, -4},
               {6000, 4000, 1000, 700, -6}};
  for (const auto& c : cases) EXPECT_EQ(BestFitZoom(c.w, c.h, c.areaW, c.areaH), c.zoom) << c.w << "x" << c.h;
}

TEST(ViewGeometry, DisplaySize) {
  struct Case {
    int w, zoom, display;
  } cases[] = {{101, -3, 33}, {101, 1, 101}, {101, 0, 101}, {101, -1, 101}, {101, 3, 303}, {5, -16, 0}};
  for (const auto& c : cases) {
    int w, h;
    GetZoomedSize(c.w, 10, c.zoom, w, h);
    EXPECT_EQ(w, c.display) << c.w << " at " << c.zoom;
  }
}

TEST(ViewGeometry, ImageRectIsCentredWithTheCaption) {
  VIEW_GEOMETRY g;
  g.canvasWidth = 100;
  g.canvasHeight = 50;
  g.clientWidth = 300;
  g.clientHeight = 200;
  EXPECT_EQ(GetImageRect(g), (Rect{100, 75, 200, 125}));
  g.captionHeight = 30;
  EXPECT_EQ(GetImageRect(g), (Rect{100, 60, 200, 110}));
  g.zoom = 4;  // larger than the client area: at the origin
  EXPECT_EQ(GetImageRect(g), (Rect{0, 0, 400, 200}));
}

TEST(ViewGeometry, PointsConvertBothWays) {
  for (int zoom : {-5, -2, 1, 2, 3, 16}) {
    VIEW_GEOMETRY g;
    g.canvasWidth = 640;
    g.canvasHeight = 480;
    g.clientWidth = 500;
    g.clientHeight = 400;
    g.zoom = zoom;
    g.scrollX = zoom > 1 ? 37 : 0;
    g.scrollY = zoom > 1 ? 11 : 0;
    for (Point p : {Point{0, 0}, Point{5, 7}, Point{639, 479}}) {
      if (zoom < -1 && (p.x % -zoom || p.y % -zoom)) continue;  // only every |z|-th pixel is shown
      EXPECT_EQ(ClientToImage(g, ImageToClient(g, p)), p) << zoom;
    }
    // Just left of and above the image lies outside it (no pixel 0 there).
    const Point corner = ImageToClient(g, Point{0, 0});
    const Point outside = ClientToImage(g, Point{corner.x - 1, corner.y - 1});
    EXPECT_LT(outside.x, 0) << zoom;
    EXPECT_LT(outside.y, 0) << zoom;
  }
}

TEST(ViewGeometry, CompositeKeepsWhatDisposalKeeps) {
  // Frame 0 (disposal 1, keep) red at 0,0; frame 1 (disposal 2, restore to
  // background) green at 2,0; frame 2 (none) blue at 0,2; frame 3 current.
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(2, 2, 255, 0, 0), 0, 0, 1),
                                 MakeFrame(SolidImage(2, 2, 0, 255, 0), 2, 0, 2),
                                 MakeFrame(SolidImage(2, 2, 0, 0, 255), 0, 2, 0),
                                 MakeFrame(SolidImage(1, 1, 9, 9, 9), 3, 3, 1)};
  FRAME_COMPOSITE c = BuildFrameComposite(frames, 4, 4, 3, false, false, 0);
  ASSERT_FALSE(c.image.IsEmpty());
  EXPECT_EQ(c.left, 0);
  EXPECT_EQ(c.top, 0);
  EXPECT_EQ(c.image.GetWidth(), 2);  // the green frame is not part of it
  EXPECT_EQ(c.image.GetHeight(), 4);
  EXPECT_EQ(c.image.GetRow(0)[0], 255);
  EXPECT_EQ(c.image.GetRow(3)[2], 255);
  EXPECT_EQ(c.image.GetMaskRow(0)[0], 255);

  EXPECT_TRUE(BuildFrameComposite(frames, 4, 4, 3, true, false, 0).image.IsEmpty());  // current frame only
  EXPECT_TRUE(BuildFrameComposite(frames, 4, 4, 0, false, false, 0).image.IsEmpty());  // nothing before frame 0
  const FRAME_COMPOSITE one = BuildFrameComposite(frames, 4, 4, 2, false, false, 0);
  EXPECT_EQ(one.image.GetHeight(), 2);  // frame 0 only: frame 1 is restored to the background

  // Playing: the box covers all kept frames but the last; drawn up to the play frame.
  const FRAME_COMPOSITE play = BuildFrameComposite(frames, 4, 4, 0, false, true, 0);
  EXPECT_EQ(play.composedFrame, 0);
  EXPECT_EQ(play.image.GetHeight(), 4);
  EXPECT_EQ(play.image.GetMaskRow(3)[0], 0);  // frame 2 not drawn yet
}

}  // namespace
