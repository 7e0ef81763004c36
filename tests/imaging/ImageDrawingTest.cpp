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

}  // namespace
