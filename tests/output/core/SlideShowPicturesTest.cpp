#include "output/core/SlideShowPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "tests/output/core/SlideShowTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using slide_testing::Frame;
using slide_testing::Rgb;
using slide_testing::Solid;

TEST(SlideShowFade, WeightsFollowTheCosineRamp) {
  const std::vector<int> expected = {1,   4,   9,   17,  26,  37,  49,  63,  78,  94,  110, 127,
                                     144, 160, 176, 191, 205, 217, 228, 237, 245, 250, 253, 255};
  std::vector<int> weights;
  for (int step = 1; step <= kFadeSteps; ++step) weights.push_back(FadeWeight(step));
  EXPECT_EQ(weights, expected);
  EXPECT_EQ(kFadeFrameMs, 33);
}

TEST(SlideShowFade, BlackBackgroundIsOpaqueBlack) {
  uint8_t r = 9, g = 9, b = 9;
  EXPECT_EQ(BlackBackground(3, 4, &r, &g, &b), 255);
  EXPECT_EQ(r | g | b, 0);
}

struct ScaleCase {
  int a;
  int alpha;  // -1: no mask
  uint8_t value;
  uint8_t expected;
  bool maskAfter;
};

TEST(ScaleImageByAlpha, Table) {
  const ScaleCase cases[] = {
      {0, -1, 200, 0, false},     {0, 128, 200, 0, false},    {-1, -1, 200, 200, false},
      {256, 128, 200, 200, true}, {255, -1, 200, 200, false}, {255, 128, 255, 128, false},
      {128, -1, 255, 128, false}, {128, -1, 100, 50, false},  {128, 128, 255, 64, false},
      {1, -1, 254, 0, false},     {1, -1, 255, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "a " << c.a << " alpha " << c.alpha << " value " << int(c.value));
    const CRasterImage source = Solid(3, 2, c.value, c.value, c.value, c.alpha);
    const CRasterImage out = ScaleImageByAlpha(c.a, source);
    ASSERT_EQ(out.GetBitsPerPixel(), 24);
    EXPECT_EQ(out.GetWidth(), 3);
    EXPECT_EQ(out.GetHeight(), 2);
    EXPECT_EQ(Rgb(out, 2, 1), uint32_t{c.expected} * 0x010101u);
    EXPECT_EQ(out.HasMask(), c.maskAfter);
  }
  // The source is never changed.
  const CRasterImage source = Solid(2, 2, 90, 90, 90);
  ScaleImageByAlpha(0, source);
  EXPECT_EQ(Rgb(source, 0, 0), 0x5A5A5Au);
}

TEST(BlendPictures, FirstPictureFadesInFromBlack) {
  const CRasterImage next = Solid(4, 3, 255, 100, 0);
  for (int w : {1, 63, 127, 255}) {
    const CRasterImage out = BlendPictures(next, CRasterImage{}, 0, 0, w);
    EXPECT_EQ(testing_support::CompareRgb(out, ScaleImageByAlpha(w, next)), "") << w;
  }
}

struct BlendCase {
  const char* name;
  int newW, newH, oldW, oldH, dx, dy, w;
  int width, height;  // the union
  // (x, y, expected colour)
  std::vector<std::tuple<int, int, uint32_t>> pixels;
};

TEST(BlendPictures, GeometryAndWeights) {
  // new is 0x643200 (100, 50, 0), old is 0xC8C8C8 (200, 200, 200).
  // At w = 63: new gives (24, 12, 0), old gives (150, 150, 150).
  const BlendCase cases[] = {
      {"same place", 4, 2, 4, 2, 0, 0, 63, 4, 2, {{0, 0, 0xAEA296}, {3, 1, 0xAEA296}}},
      {"old shifted right and down",
       4, 2, 2, 2, 3, 1, 63, 5, 3,
       {{0, 0, 0x180C00}, {3, 1, 0xAEA296}, {4, 2, 0x969696}, {0, 2, 0x000000}, {4, 0, 0x000000}}},
      {"old shifted left and up",
       2, 2, 2, 2, -1, -1, 63, 3, 3,
       {{0, 0, 0x969696}, {1, 1, 0xAEA296}, {2, 2, 0x180C00}, {2, 0, 0x000000}}},
      {"old larger than new", 2, 2, 4, 4, 0, 0, 255, 4, 4, {{0, 0, 0x643200}, {3, 3, 0x000000}}},
      {"weight 0 keeps old", 2, 2, 2, 2, 0, 0, 0, 2, 2, {{1, 1, 0xC8C8C8}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CRasterImage next = Solid(c.newW, c.newH, 100, 50, 0);
    const CRasterImage old = Solid(c.oldW, c.oldH, 200, 200, 200);
    const CRasterImage out = BlendPictures(next, old, c.dx, c.dy, c.w);
    ASSERT_EQ(out.GetBitsPerPixel(), 24);
    EXPECT_FALSE(out.HasMask());
    EXPECT_EQ(out.GetWidth(), c.width);
    EXPECT_EQ(out.GetHeight(), c.height);
    for (const auto& [x, y, colour] : c.pixels) EXPECT_EQ(Rgb(out, x, y), colour) << x << "," << y;
  }
}

TEST(BlendPictures, MasksPremultiplyAndTheSumNeverOverflows) {
  // A half-transparent new picture over an opaque old one.
  const CRasterImage next = Solid(2, 1, 255, 255, 255, 128);
  const CRasterImage old = Solid(2, 1, 255, 255, 255);
  // 255 * 128 / 255 = 128; 128 * 255 / 255 = 128; old 255 * 0 = 0.
  EXPECT_EQ(Rgb(BlendPictures(next, old, 0, 0, 255), 0, 0), 0x808080u);
  // A masked old picture on an offset base.
  const CRasterImage maskedOld = Solid(1, 1, 200, 200, 200, 0);
  EXPECT_EQ(Rgb(BlendPictures(Solid(1, 1, 0, 0, 0), maskedOld, 1, 0, 10), 1, 0), 0u);
  // White over white at every weight stays at most 255 (floors never add up past it).
  for (int w = 0; w <= 255; ++w) {
    const CRasterImage out = BlendPictures(Solid(1, 1, 255, 255, 255), Solid(1, 1, 255, 255, 255), 0, 0, w);
    const uint32_t v = Rgb(out, 0, 0) & 0xFF;
    EXPECT_GE(v, 254u) << w;
  }
}

TEST(BlendPictures, IntoRowsMatchesTheImageForm) {
  const CRasterImage next = testing_support::MakeTestPicture(37, 21, 3);
  const CRasterImage old = testing_support::MakeTestPicture(30, 25, 4);
  for (auto [dx, dy] : {std::pair{0, 0}, std::pair{5, -3}, std::pair{-7, 9}}) {
    const CRasterImage image = BlendPictures(next, old, dx, dy, 94);
    const BLEND_GEOMETRY g = GetBlendGeometry(next, old, dx, dy);
    ASSERT_EQ(g.width, image.GetWidth());
    ASSERT_EQ(g.height, image.GetHeight());
    std::vector<uint8_t> rows(static_cast<size_t>(g.width) * g.height * 3 + 7);
    ASSERT_TRUE(BlendPicturesInto(next, old, dx, dy, 94, rows.data(), int64_t{g.width} * 3));
    for (int y = 0; y < g.height; ++y)
      ASSERT_EQ(0, std::memcmp(rows.data() + static_cast<size_t>(y) * g.width * 3, image.GetRow(y),
                               static_cast<size_t>(g.width) * 3))
          << "row " << y;
  }
  // Opaque pictures take a one-pass path; with a fully opaque mask they take
  // the premultiplying one: both give the same bytes.
  auto opaqueMask = [](CRasterImage image) {
    image.CreateMask();
    std::memset(image.GetWritableMaskBits(), 255, static_cast<size_t>(image.GetMaskStride()) * image.GetHeight());
    return image;
  };
  for (auto [dx, dy] : {std::pair{0, 0}, std::pair{5, -3}, std::pair{-7, 9}, std::pair{40, 0}})
    for (int w : {0, 1, 127, 255})
      EXPECT_EQ(testing_support::CompareRgb(BlendPictures(next, old, dx, dy, w),
                                            BlendPictures(opaqueMask(next), opaqueMask(old), dx, dy, w)),
                "")
          << dx << "," << dy << " w " << w;
  // Indexed pictures are refused (callers convert them first).
  CRasterImage indexed;
  indexed.Create(2, 2, 8);
  uint8_t rgb[12];
  EXPECT_FALSE(BlendPicturesInto(indexed, CRasterImage{}, 0, 0, 10, rgb, 6));
}

struct FitCase {
  int cw, ch, clientW, clientH, w, h;
};

TEST(SlideShowCompose, FitTable) {
  const FitCase cases[] = {
      {3000, 2000, 1280, 1024, 1280, 853}, {500, 2000, 1280, 1024, 256, 1024}, {800, 600, 1280, 1024, 800, 600},
      {1280, 1024, 1280, 1024, 1280, 1024}, {1281, 10, 1280, 1024, 1280, 9},   {30000, 1, 1280, 1024, 1280, 1},
      {0, 10, 1280, 1024, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t w = -1, h = -1;
    FitCanvas(c.cw, c.ch, c.clientW, c.clientH, &w, &h);
    EXPECT_EQ(w, c.w) << c.cw << "x" << c.ch;
    EXPECT_EQ(h, c.h) << c.cw << "x" << c.ch;
  }
}

TEST(SlideShowCompose, DisposalDecidesWhatStaysUnderLaterFrames) {
  // Frame 0 covers the left half (kept or not by its disposal), frame 1 a
  // pixel on the right; the composite of frame 1 shows frame 0 only when its
  // disposal keeps it.
  struct Case {
    int flags;
    bool kept;
  };
  const Case cases[] = {{0x00, true}, {0x04, true}, {0x08, false}, {0x0C, false}, {0x10, true}, {0x05, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    std::vector<CAnimFrame> frames = {Frame(Solid(2, 2, 255, 0, 0), 0, 0, 10, c.flags),
                                      Frame(Solid(1, 1, 0, 0, 255), 3, 1)};
    const SLIDE_PICTURE p = ComposeSlideFrame(frames.data(), 2, 1, 4, 2, 100, 100);
    ASSERT_FALSE(p.picture.IsEmpty());
    if (c.kept) {
      EXPECT_EQ(p.picture.GetWidth(), 4);
      EXPECT_EQ(p.pictureLeft, 0);
      EXPECT_EQ(Rgb(p.picture, 0, 0), 0xFF0000u);
      EXPECT_EQ(Rgb(p.picture, 3, 1), 0x0000FFu);
      EXPECT_EQ(p.picture.GetMaskBitsPerPixel(), 8);  // the gap between them is transparent
    } else {
      // Only the current frame: the picture is its image itself.
      EXPECT_TRUE(p.picture.SharesPixelsWith(frames[1].m_image));
      EXPECT_EQ(p.pictureLeft, 3);
      EXPECT_EQ(p.pictureTop, 1);
    }
    EXPECT_EQ(p.displayWidth, 4);
    EXPECT_EQ(p.displayHeight, 2);
  }
  // The current frame is drawn whatever its own disposal.
  std::vector<CAnimFrame> one = {Frame(Solid(2, 2, 1, 2, 3), 0, 0, 10, 0x0C)};
  EXPECT_FALSE(ComposeSlideFrame(one.data(), 1, 0, 2, 2, 10, 10).picture.IsEmpty());
}

TEST(SlideShowCompose, SelectionsAndOpaqueComposites) {
  CAnimFrame frame = Frame(Solid(4, 4, 10, 20, 30), 2, 2);
  frame.m_selection = Solid(1, 1, 250, 250, 250);
  frame.m_rcSelection = Rect{1, 1, 2, 2};
  const SLIDE_PICTURE p = ComposeSlideFrame(&frame, 1, 0, 8, 8, 100, 100);
  ASSERT_EQ(p.picture.GetWidth(), 4);
  EXPECT_EQ(p.pictureLeft, 2);
  EXPECT_EQ(Rgb(p.picture, 1, 1), 0xFAFAFAu);  // the selection at (2 + 1, 2 + 1)
  EXPECT_EQ(Rgb(p.picture, 0, 0), 0x0A141Eu);
  EXPECT_FALSE(p.picture.HasMask());  // everything covered: the mask is dropped
}

TEST(SlideShowCompose, LargeCanvasIsReducedKeepingItsAspect) {
  // A frame on the lower right quarter of a 3000 x 2000 canvas shown in 1280 x 1024.
  std::vector<CAnimFrame> frames = {Frame(Solid(1500, 1000, 0, 200, 0), 1500, 1000)};
  const SLIDE_PICTURE p = ComposeSlideFrame(frames.data(), 1, 0, 3000, 2000, 1280, 1024);
  EXPECT_EQ(p.displayWidth, 1280);
  EXPECT_EQ(p.displayHeight, 853);
  EXPECT_EQ(p.picture.GetWidth(), 640);
  EXPECT_EQ(p.picture.GetHeight(), 426);
  EXPECT_EQ(p.pictureLeft, 640);
  EXPECT_EQ(p.pictureTop, 426);
  EXPECT_EQ(Rgb(p.picture, 10, 10), 0x00C800u);
  // Nothing to show: no frames, an index out of range, empty frames.
  EXPECT_TRUE(ComposeSlideFrame(nullptr, 0, 0, 10, 10, 10, 10).picture.IsEmpty());
  EXPECT_TRUE(ComposeSlideFrame(frames.data(), 1, 1, 10, 10, 10, 10).picture.IsEmpty());
  CAnimFrame empty;
  EXPECT_TRUE(ComposeSlideFrame(&empty, 1, 0, 10, 10, 10, 10).picture.IsEmpty());
}

TEST(SlideShowCompose, FadePairOffsetsAreScreenPositions) {
  SLIDE_PICTURE old;
  old.picture = Solid(1280, 853, 1, 1, 1);
  old.displayWidth = 1280;
  old.displayHeight = 853;
  SLIDE_PICTURE next;
  CRasterImage indexed;
  indexed.Create(800, 600, 8);
  next.picture = indexed;
  next.displayWidth = 800;
  next.displayHeight = 600;
  next.pictureLeft = 10;
  const FADE_PAIR pair = MakeFadePair(old, next, 1280, 1024);
  EXPECT_EQ(pair.dx, 0 - (10 + 240));
  EXPECT_EQ(pair.dy, 85 - 212);
  EXPECT_EQ(pair.newPicture.GetBitsPerPixel(), 24);
  EXPECT_EQ(pair.oldPicture.GetWidth(), 1280);
  // No old picture: the new one fades in from black.
  EXPECT_TRUE(MakeFadePair(SLIDE_PICTURE{}, next, 1280, 1024).oldPicture.IsEmpty());
}

}  // namespace
