#include <gtest/gtest.h>

#include <vector>

#include "imaging/DisplayOptions.h"
#include "imaging/ImageDrawing.h"
#include "imaging/PixelAccess.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::MakeTestPicture;

int Black(int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 0;
  return 255;
}

int Gray100(int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 100;
  return 255;
}

std::vector<uint8_t> ComposeAll(const CImageBandComposer& c, int band = kDrawBandHeight) {
  const Rect& a = c.GetArea();
  std::vector<uint8_t> rgb(static_cast<size_t>(a.Width()) * a.Height() * 3);
  for (int first = 0; first < a.Height(); first += band)
    c.ComposeRows(first, std::min(band, a.Height() - first), rgb.data() + static_cast<size_t>(first) * a.Width() * 3,
                  a.Width() * 3);
  return rgb;
}

TEST(ImageDrawing, DoubleSizeRepeatsEachPixelInTwoByTwoBlocks) {
  const CRasterImage image = MakeTestPicture(7, 5);
  const Rect target{0, 0, 14, 10};
  CImageBandComposer c(image, target, target, Rect{0, 0, 7, 5}, target, &Black);
  const auto rgb = ComposeAll(c, 3);  // bands that do not divide the height
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x)
      for (int ch = 0; ch < 3; ++ch)
        ASSERT_EQ(rgb[(y * 14 + x) * 3 + ch], image.GetRow(y / 2)[(x / 2) * 3 + ch]) << x << "," << y;
}

TEST(ImageDrawing, IdentityAndClipping) {
  const CRasterImage image = MakeTestPicture(20, 10);
  const Rect target{0, 0, 20, 10};
  // Only the clipped area is composed, at its own offsets.
  CImageBandComposer c(image, target, target, target, Rect{5, 2, 9, 7}, &Black);
  ASSERT_EQ(c.GetArea(), (Rect{5, 2, 9, 7}));
  const auto rgb = ComposeAll(c);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(rgb[(y * 4 + x) * 3 + 1], image.GetRow(y + 2)[(x + 5) * 3 + 1]);
  // Empty clip, empty source or a source outside the image: nothing to draw.
  EXPECT_TRUE(CImageBandComposer(image, target, target, target, Rect{}, &Black).IsEmpty());
  EXPECT_TRUE(CImageBandComposer(image, target, target, Rect{0, 0, 0, 5}, target, &Black).IsEmpty());
  EXPECT_TRUE(CImageBandComposer(image, target, target, Rect{0, 0, 21, 10}, target, &Black).IsEmpty());
}

TEST(ImageDrawing, TargetIsPlacedInTheDrawingRectangle) {
  CRasterImage image;
  image.Create(2, 2, 24);
  for (int i = 0; i < 12; ++i) image.GetWritableBits()[i] = 255;
  // A cell at (100, 50) showing the image at (1, 1) inside it; the rest is background.
  const Rect drawing{100, 50, 104, 54};
  CImageBandComposer c(image, drawing, Rect{1, 1, 3, 3}, Rect{0, 0, 2, 2}, drawing, &Gray100);
  const auto rgb = ComposeAll(c);
  EXPECT_EQ(rgb[0], 100);                  // (0, 0): outside the target
  EXPECT_EQ(rgb[(1 * 4 + 1) * 3], 255);    // (1, 1): image
  EXPECT_EQ(rgb[(2 * 4 + 3) * 3], 100);    // (3, 2): outside again
}

TEST(ImageDrawing, AlphaBlendsOverTheSampler) {
  CRasterImage image;
  image.Create(3, 1, 24);
  image.CreateMask();
  uint8_t* p = image.GetWritableBits();
  for (int i = 0; i < 9; ++i) p[i] = 200;
  const uint8_t alphas[3] = {0, 128, 255};
  for (int x = 0; x < 3; ++x) image.GetWritableMaskBits()[x] = alphas[x];
  const Rect r{0, 0, 3, 1};
  const auto rgb = ComposeAll(CImageBandComposer(image, r, r, r, r, &Gray100));
  EXPECT_EQ(rgb[0], 100);
  EXPECT_EQ(rgb[3], BlendChannel(200, 100, 128));
  EXPECT_EQ(rgb[3], (200 * 128 + 100 * 127) / 255);
  EXPECT_EQ(rgb[6], 200);
}

TEST(ImageDrawing, IndexedImageWithOneBitMask) {
  CRasterImage image;
  image.Create(9, 1, 4);
  image.GetWritablePalette()[3] = MakeRGBQuad(10, 20, 30);
  image.CreateMask();
  for (int x = 0; x < 9; ++x) {
    SetPixel4(image.GetWritableBits(), x, 3);
    SetPixel1(image.GetWritableMaskBits(), x, x % 2);
  }
  const Rect r{0, 0, 9, 1};
  const auto rgb = ComposeAll(CImageBandComposer(image, r, r, r, r, &Gray100));
  EXPECT_EQ(rgb[0], 100);
  EXPECT_EQ(rgb[3], 10);
  EXPECT_EQ(rgb[5], 30);
}

TEST(ImageDrawing, CheckerboardIsFixedToTheReferenceRectangle) {
  DISPLAY_OPTIONS options;
  GetDisplayOptions(options);
  options.nTransparency = TRANSPARENCY_CHECKERBOARD;
  options.checkerColor1 = MakeRGBQuad(1, 1, 1);
  options.checkerColor2 = MakeRGBQuad(2, 2, 2);
  SetDisplayOptions(options);
  CRasterImage image;
  image.Create(40, 40, 24);
  image.CreateMask();  // fully transparent
  const Rect drawing{7, 3, 47, 43};
  const Rect target{0, 0, 40, 40};
  const auto rgb = ComposeAll(CImageBandComposer(image, drawing, target, target, drawing, nullptr));
  auto at = [&](int x, int y) { return rgb[(y * 40 + x) * 3]; };
  EXPECT_EQ(at(0, 0), 1);
  EXPECT_EQ(at(15, 15), 1);
  EXPECT_EQ(at(16, 0), 2);
  EXPECT_EQ(at(0, 16), 2);
  EXPECT_EQ(at(16, 16), 1);
  options.nTransparency = TRANSPARENCY_SOLID;
  options.solidColor = MakeRGBQuad(9, 9, 9);
  SetDisplayOptions(options);
  EXPECT_EQ(ComposeAll(CImageBandComposer(image, drawing, target, target, drawing, nullptr))[0], 9);
  SetDisplayOptions(DISPLAY_OPTIONS());
}

TEST(ImageDrawing, OrderedDitherToTheDisplayPalette) {
  // 128 = 2 * 51 + 26: thresholds below 26 round up to level 3.
  for (int i = 0; i < 16; ++i) {
    const int level = DitherToDisplayPalette(i % 4, i / 4, 128, 128, 128) % 6;
    EXPECT_EQ(level, kThresholdMatrix[i] < 26 ? 3 : 2) << i;
  }
  EXPECT_EQ(DitherToDisplayPalette(0, 0, 255, 0, 0), 180);
  EXPECT_EQ(DisplayPaletteColor(180), MakeRGBQuad(255, 0, 0));
  EXPECT_EQ(DitherToDisplayPalette(1, 1, 0, 0, 0), 0);
  const CRasterImage image = MakeTestPicture(8, 8);
  const Rect r{0, 0, 8, 8};
  const auto rgb = ComposeAll(CImageBandComposer(image, r, r, r, r, &Black, true));
  for (uint8_t v : rgb) EXPECT_EQ(v % 51, 0);
}

// ---- Layer stacks ----

// A canvas of 10 x 6: an opaque picture, a half-transparent red rectangle
// over part of it, and a strip where nothing is (alpha 0).
struct TestStack {
  CLayerStack stack{10, 6};
  TestStack() {
    CRasterImage picture = MakeTestPicture(8, 6);
    stack.AddImage(picture, 0, 0);
    stack.AddColorRect(255, 0, 0, 128, 3, 1, 4, 3);
  }
  // The expected screen colour of canvas pixel (cx, cy) over a sampler.
  void Expected(int cx, int cy, int rx, int ry, COLORSAMPLEPROC sampler, uint8_t* rgb) {
    uint8_t a, r, g, b;
    stack.BeginRender();
    stack.GetPixel(cx, cy, a, r, g, b);
    stack.EndRender();
    uint8_t s[3];
    sampler(rx, ry, &s[0], &s[1], &s[2]);
    const uint8_t c[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) rgb[i] = a == 255 ? c[i] : a == 0 ? s[i] : BlendChannel(c[i], s[i], a);
  }
};

std::vector<uint8_t> ComposeAll(CLayerStackBandComposer& c, int band = kDrawBandHeight) {
  const Rect& a = c.GetArea();
  std::vector<uint8_t> rgb(static_cast<size_t>(a.Width()) * a.Height() * 3);
  for (int first = 0; first < a.Height(); first += band)
    c.ComposeRows(first, std::min(band, a.Height() - first), rgb.data() + static_cast<size_t>(first) * a.Width() * 3,
                  a.Width() * 3);
  return rgb;
}

TEST(LayerStackDrawing, EveryZoomShowsTheComposedCanvasPixelOverTheSampler) {
  // Twice the canvas repeats each pixel in 2 x 2 blocks; a third of it
  // reads single pixels; the target starts away from the origin and the
  // clip cuts into it.
  struct Case {
    Rect target, clip;
  } cases[] = {
      {{0, 0, 10, 6}, {0, 0, 10, 6}},
      {{5, 4, 25, 16}, {0, 0, 100, 100}},
      {{5, 4, 25, 16}, {8, 7, 20, 15}},
      {{0, 0, 3, 2}, {0, 0, 3, 2}},
      {{-7, -3, 63, 39}, {0, 0, 50, 30}},
  };
  for (const Case& c : cases) {
    TestStack s;
    CLayerStackBandComposer composer(s.stack, c.target, c.clip, &Gray100);
    const Rect& area = composer.GetArea();
    ASSERT_FALSE(composer.IsEmpty());
    const auto rgb = ComposeAll(composer, 5);
    for (int y = 0; y < area.Height(); ++y)
      for (int x = 0; x < area.Width(); ++x) {
        const int rx = area.left - c.target.left + x, ry = area.top - c.target.top + y;
        const int cx = rx * 10 / c.target.Width(), cy = ry * 6 / c.target.Height();
        uint8_t want[3];
        s.Expected(cx, cy, rx, ry, &Gray100, want);
        for (int ch = 0; ch < 3; ++ch)
          ASSERT_EQ(rgb[(static_cast<size_t>(y) * area.Width() + x) * 3 + ch], want[ch])
              << "target " << c.target.left << "," << c.target.right << " at " << x << "," << y;
      }
  }
}

TEST(LayerStackDrawing, DoubleSizeRepeatsEachPixelInTwoByTwoBlocks) {
  TestStack s;
  const Rect target{0, 0, 20, 12};
  CLayerStackBandComposer composer(s.stack, target, target, &Black);
  const auto rgb = ComposeAll(composer, 3);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x)
      for (int ch = 0; ch < 3; ++ch)
        ASSERT_EQ(rgb[(y * 20 + x) * 3 + ch], rgb[((y & ~1) * 20 + (x & ~1)) * 3 + ch]) << x << "," << y;
}

TEST(LayerStackDrawing, CheckerboardStartsAtTheTargetCorner) {
  DISPLAY_OPTIONS options;
  GetDisplayOptions(options);
  options.nTransparency = TRANSPARENCY_CHECKERBOARD;
  options.checkerColor1 = MakeRGBQuad(1, 1, 1);
  options.checkerColor2 = MakeRGBQuad(2, 2, 2);
  SetDisplayOptions(options);
  CLayerStack empty(40, 40);  // nothing on it: all transparent
  const Rect target{13, 9, 53, 49};
  // Clipped to start inside the first square: the phase stays with the target.
  CLayerStackBandComposer composer(empty, target, Rect{20, 20, 60, 60}, nullptr);
  const auto rgb = ComposeAll(composer);
  const int w = composer.GetArea().Width();
  auto at = [&](int rx, int ry) { return rgb[((ry - 11) * w + (rx - 7)) * 3]; };
  EXPECT_EQ(at(7, 11), 1);
  EXPECT_EQ(at(15, 15), 1);
  EXPECT_EQ(at(16, 15), 2);
  EXPECT_EQ(at(15, 16), 2);
  EXPECT_EQ(at(16, 16), 1);
  EXPECT_EQ(at(32, 32), 1);
  SetDisplayOptions(DISPLAY_OPTIONS());
}

TEST(LayerStackDrawing, EightBitDevicesGetTheDitheredDisplayPalette) {
  CLayerStack stack(8, 8);
  stack.AddColorRect(128, 128, 128, 255, 0, 0, 8, 8);
  const Rect target{0, 0, 8, 8};
  CLayerStackBandComposer composer(stack, target, target, &Black, true);
  const auto rgb = ComposeAll(composer);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(rgb[((i / 4) * 8 + i % 4) * 3], kThresholdMatrix[i] < 26 ? 153 : 102) << i;
}

TEST(LayerStackDrawing, EmptyClipOrTargetDrawsNothing) {
  TestStack s;
  EXPECT_TRUE(CLayerStackBandComposer(s.stack, Rect{0, 0, 10, 6}, Rect{}, &Black).IsEmpty());
  EXPECT_TRUE(CLayerStackBandComposer(s.stack, Rect{0, 0, 0, 6}, Rect{0, 0, 9, 9}, &Black).IsEmpty());
  EXPECT_TRUE(CLayerStackBandComposer(s.stack, Rect{0, 0, 10, 6}, Rect{10, 0, 20, 6}, &Black).IsEmpty());
  EXPECT_TRUE(CStretchedStackComposer(s.stack, Rect{0, 0, 10, 6}, Rect{20, 20, 30, 30}).IsEmpty());
}

TEST(LayerStackDrawing, PrintingComposesOverWhite) {
  CLayerStack stack(3, 1);
  stack.AddColorRect(10, 20, 30, 255, 0, 0, 1, 1);
  stack.AddColorRect(10, 20, 30, 128, 1, 0, 1, 1);  // (128 (c - 255) + 65025) / 255
  const Rect target{0, 0, 3, 1};
  CStretchedStackComposer composer(stack, target, target);
  ASSERT_EQ(composer.GetSource(), (Rect{0, 0, 3, 1}));
  uint8_t rgb[12] = {};
  composer.ComposeRows(0, 1, rgb, 12);
  const uint8_t want[9] = {10, 20, 30, 132, 137, 142, 255, 255, 255};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(rgb[i], want[i]) << i;
}

TEST(LayerStackDrawing, PrintingReadsOnlyTheCanvasPixelsTheClipNeeds) {
  TestStack s;
  // Canvas 10 x 6 printed three times its size at (30, 60); the clip starts
  // inside canvas column 2 and ends inside column 6.
  const Rect target{30, 60, 60, 78};
  CStretchedStackComposer composer(s.stack, target, Rect{37, 60, 49, 70});
  EXPECT_EQ(composer.GetSource(), (Rect{2, 0, 7, 4}));  // rows: 10 / 3 rounded up
  // Bands go where their canvas rows lie, rounded outward.
  EXPECT_EQ(composer.GetBandDestination(0, 2), (Rect{36, 60, 51, 66}));
  EXPECT_EQ(composer.GetBandDestination(2, 2), (Rect{36, 66, 51, 72}));
  // The band holds the canvas pixels themselves.
  std::vector<uint8_t> rgb(5 * 3 * 2);
  composer.ComposeRows(0, 2, rgb.data(), 15);
  uint8_t want[3];
  s.Expected(2, 1, 0, 0, [](int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
    *r = *g = *b = 255;
    return 255;
  }, want);
  for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(rgb[15 + ch], want[ch]);
}

}  // namespace
