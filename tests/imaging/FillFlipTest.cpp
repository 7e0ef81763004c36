#include <gtest/gtest.h>

#include "imaging/ImageFill.h"
#include "imaging/ImageFlip.h"
#include "imaging/PixelAccess.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

CRasterImage Picture(int w, int h, int bpp, unsigned seed, bool mask) {
  CRasterImage im;
  if (bpp == 24) {
    im = MakeTestPicture(w, h, seed);
  } else {
    EXPECT_TRUE(im.Create(w, h, bpp));
    for (int i = 0; i < (1 << bpp); ++i)
      im.GetWritablePalette()[i] = MakeRGBQuad(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11 + 5),
                                               static_cast<uint8_t>(255 - i));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        GetPixelSetter(bpp)(im.GetWritableBits() + y * im.GetStride(), x, (x * 7 + y * 3 + seed + x * y) % (1 << bpp));
  }
  if (mask) {
    EXPECT_TRUE(im.CreateMask());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* row = im.GetWritableMaskBits() + y * im.GetMaskStride();
        if (bpp == 24)
          row[x] = static_cast<uint8_t>((x * 40 + y * 90 + seed) % 256);
        else
          SetPixel1(row, x, (x + 2 * y + seed) % 3 != 0);
      }
  }
  return im;
}

int MaskAt(const CRasterImage& im, int x, int y) {
  if (!im.HasValidMask()) return 255;
  return im.GetBitsPerPixel() == 24 ? im.GetMaskRow(y)[x] : (GetPixel1(im.GetMaskRow(y), x) ? 255 : 0);
}

// --- colour fill -----------------------------------------------------------------

TEST(ColorFill, FillsOpaquePixelsAndZeroesTransparentOnes) {
  const RGBQUAD colour = MakeRGBQuad(37, 16, 254);  // entry 1 of the test palette
  for (int bpp : {24, 8, 4, 1})
    for (bool mask : {false, true}) {
      const CRasterImage source = Picture(13, 5, bpp, 2, mask);
      RecordingMessageSink sink;
      const CRasterImage out = ColorFill(source, &colour);
      ASSERT_FALSE(out.IsEmpty()) << bpp;
      EXPECT_TRUE(sink.messages.empty());
      EXPECT_EQ(out.GetBitsPerPixel(), bpp);
      EXPECT_EQ(out.HasMask(), mask);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) {
          const bool clear = MaskAt(source, x, y) == 0;
          ASSERT_EQ(MaskAt(out, x, y), MaskAt(source, x, y));
          if (bpp == 24) {
            const uint8_t* p = out.GetRow(y) + 3 * x;
            ASSERT_EQ(p[0], clear ? 0 : 37);
            ASSERT_EQ(p[1], clear ? 0 : 16);
            ASSERT_EQ(p[2], clear ? 0 : 254);
          } else {
            ASSERT_EQ(GetPixelGetter(bpp)(out.GetRow(y), x), clear ? 0 : 1) << bpp << " at " << x << "," << y;
          }
        }
    }
}

TEST(ColorFill, ReportsItsFailures) {
  RecordingMessageSink sink;
  const CRasterImage indexed = Picture(4, 4, 8, 1, false);
  const RGBQUAD missing = MakeRGBQuad(1, 2, 3);
  EXPECT_TRUE(ColorFill(indexed, &missing).IsEmpty());
  EXPECT_TRUE(ColorFill(indexed, nullptr).IsEmpty());
  EXPECT_TRUE(ColorFill(CRasterImage(), &missing).IsEmpty());
  ASSERT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(sink.messages[0], std::make_pair(2, std::string("Color Fill: Cannot find the color in the palette !")));
  EXPECT_EQ(sink.messages[1], std::make_pair(2, std::string("Color Fill: Invalid parameters !")));
  EXPECT_EQ(sink.messages[2], std::make_pair(2, std::string("Color Fill: Invalid parameters !")));
}

// --- pattern fill ----------------------------------------------------------------

int HalfRedSampler(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = static_cast<uint8_t>(200 + x % 7);
  *g = static_cast<uint8_t>(y * 3);
  *b = 10;
  return 0x1200 | ((x + y) % 2 ? 128 : 255);  // only the low byte counts
}

TEST(PatternFill, BlendsTheSamplerOverOpaquePixels) {
  for (bool mask : {false, true}) {
    const CRasterImage source = Picture(11, 6, 24, 3, mask);
    const CRasterImage out = PatternFill(source, &HalfRedSampler);
    ASSERT_EQ(out.GetBitsPerPixel(), 24);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 11; ++x) {
        uint8_t s[3];
        const int a = HalfRedSampler(x, y, &s[0], &s[1], &s[2]) & 0xFF;
        for (int c = 0; c < 3; ++c) {
          const int p = source.GetRow(y)[3 * x + c];
          const int want = MaskAt(source, x, y) == 0 ? p : (s[c] * a + p * (255 - a)) / 255;
          ASSERT_EQ(out.GetRow(y)[3 * x + c], want) << x << "," << y;
        }
        ASSERT_EQ(MaskAt(out, x, y), MaskAt(source, x, y));
      }
  }
  // Gray images blend the gray value of the sample.
  CRasterImage gray;
  ASSERT_TRUE(gray.Create(5, 3, 8));
  SetGrayPalette(gray);
  for (int i = 0; i < 15; ++i) gray.GetWritableBits()[i] = static_cast<uint8_t>(i * 17);
  const CRasterImage out = PatternFill(gray, &HalfRedSampler);
  ASSERT_TRUE(out.IsGrayscale());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      uint8_t s[3];
      const int a = HalfRedSampler(x, y, &s[0], &s[1], &s[2]) & 0xFF;
      const int g = (3 * s[0] + 6 * s[1] + s[2]) / 10, p = gray.GetRow(y)[x];
      ASSERT_EQ(out.GetRow(y)[x], (g * a + p * (255 - a)) / 255);
    }
}

TEST(PatternFill, TilesTheProgramPatternAndMatchesImageMagick) {
  REQUIRE_TOOL("convert");
  CRasterImage pattern = Picture(7, 5, 24, 9, true);
  SetPattern(pattern);
  ASSERT_TRUE(HasPattern());
  uint8_t r, g, b;
  const int a = SamplePattern(-1, -1, &r, &g, &b);  // tiles to (6, 4)
  EXPECT_EQ(a, pattern.GetMaskRow(4)[6]);
  EXPECT_EQ(r, pattern.GetRow(4)[18]);
  EXPECT_EQ(SamplePattern(7 * 3 + 2, 5 * 4 + 1, &r, &g, &b), pattern.GetMaskRow(1)[2]);

  const CRasterImage source = Picture(40, 27, 24, 1, false);
  const CRasterImage out = PatternFill(source, nullptr);
  TempDir dir;
  WritePam(dir / "source.pam", source);
  WritePam(dir / "pattern.pam", pattern);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.path().string()) +
                       " && convert source.pam \\( pattern.pam -virtual-pixel tile -set option:distort:viewport 40x27 "
                       "-filter point -interpolate integer -distort SRT 0 +repage \\) -compose over -composite -alpha off -depth 8 out.ppm"),
            0);
  EXPECT_EQ(CompareRgb(out, ReadPnm(dir / "out.ppm"), 1), "");
  DiscardPattern();
  EXPECT_FALSE(HasPattern());
  EXPECT_EQ(SamplePattern(3, 3, &r, &g, &b), 0);
}

TEST(PatternFill, ReportsItsFailures) {
  DiscardPattern();
  RecordingMessageSink sink;
  EXPECT_TRUE(PatternFill(Picture(4, 4, 24, 1, false), nullptr).IsEmpty());
  EXPECT_TRUE(PatternFill(CRasterImage(), &HalfRedSampler).IsEmpty());
  EXPECT_TRUE(PatternFill(Picture(4, 4, 8, 1, false), &HalfRedSampler).IsEmpty());
  EXPECT_TRUE(PatternFill(Picture(4, 4, 4, 1, false), &HalfRedSampler).IsEmpty());
  ASSERT_EQ(sink.messages.size(), 4u);
  EXPECT_EQ(sink.messages[0].second, "Pattern Fill: Invalid parameters !");
  EXPECT_EQ(sink.messages[1].second, "Pattern Fill: Invalid parameters !");
  EXPECT_EQ(sink.messages[2].second, "Pattern Fill: Works only on full color or gray level images !");
  EXPECT_EQ(sink.messages[3].second, "Pattern Fill: Works only on full color or gray level images !");
  for (const auto& m : sink.messages) EXPECT_EQ(m.first, MESSAGE_ERROR);
}

// --- flips -------------------------------------------------------------------------

TEST(FlipImage, MatchesPamflipAtEveryDepth) {
  REQUIRE_TOOL("pamflip");
  TempDir dir;
  for (int bpp : {1, 4, 8, 24})
    for (int w : {1, 7, 8, 9, 15, 33})
      for (bool mask : {false, true}) {
        const CRasterImage source = Picture(w, 5, bpp, static_cast<unsigned>(w), mask);
        WritePam(dir / "in.pam", source);
        for (const auto& [flags, option] : {std::pair{1, "-tb"}, std::pair{2, "-lr"}, std::pair{3, "-r180"}}) {
          const CRasterImage flipped = FlipImage(source, flags);
          ASSERT_EQ(flipped.GetBitsPerPixel(), bpp);
          EXPECT_EQ(flipped.HasMask(), mask);
          ASSERT_EQ(RunCommand("pamflip " + std::string(option) + " " + ShellQuote((dir / "in.pam").string()) +
                               " > " + ShellQuote((dir / "out.pam").string())),
                    0);
          EXPECT_EQ(CompareRgb(flipped, ReadPnm(dir / "out.pam")), "")
              << bpp << " bits, width " << w << (mask ? " masked" : "") << " flags " << flags;
        }
      }
}

TEST(FlipImage, CornersAndFlagsWithoutEitherBit) {
  CRasterImage bits;
  ASSERT_TRUE(bits.Create(9, 4, 1));
  SetPixel1(bits.GetWritableBits(), 0, 1);
  const CRasterImage both = FlipImage(bits, 3);
  EXPECT_EQ(GetPixel1(both.GetRow(3), 8), 1);
  EXPECT_EQ(GetPixel1(both.GetRow(0), 0), 0);
  EXPECT_TRUE(FlipImage(bits, 0).IsEmpty());
  EXPECT_TRUE(FlipImage(bits, 4).IsEmpty());
  EXPECT_TRUE(FlipImage(CRasterImage(), 1).IsEmpty());
  // Flipping twice gives the image back.
  const CRasterImage picture = Picture(33, 7, 4, 1, true);
  for (int flags : {1, 2, 3}) EXPECT_EQ(CompareRgb(FlipImage(FlipImage(picture, flags), flags), picture), "");
}

}  // namespace
