// The text's coverage turned into a floating selection's image: colour,
// smoothed edges as partial opacity on 24-bit frames, one palette entry and
// a 1-bit mask (no partial levels) on indexed and gray frames, cropping to
// the ink.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "imaging/TextImage.h"
#include "tests/imaging/FiltersTestUtil.h"

namespace {

using imaging_test::GetMaskSample;
using imaging_test::GetSample;
using imaging_test::MakeRandomImage;

// A 12 x 8 coverage: a solid 4 x 3 block at (5, 2) with a smoothed ring
// (values 40 and 170) around it, nothing elsewhere.
TEXT_COVERAGE Glyph() {
  TEXT_COVERAGE c;
  c.width = 12;
  c.height = 8;
  c.values.assign(96, 0);
  for (int y = 1; y <= 5; ++y)
    for (int x = 4; x <= 9; ++x) c.values[y * 12 + x] = (x + y) % 2 ? 40 : 170;
  for (int y = 2; y <= 4; ++y)
    for (int x = 5; x <= 8; ++x) c.values[y * 12 + x] = 255;
  return c;
}

CRasterImage Indexed(int bpp, bool gray) { return MakeRandomImage(7, 5, bpp, 11u + bpp, false, gray); }

TEST(TextImage, FullColorTakesTheColourAndTheCoverageAsItsMask) {
  const TEXT_COVERAGE c = Glyph();
  for (const bool emptyFrame : {false, true}) {
    const CRasterImage frame = emptyFrame ? CRasterImage() : MakeRandomImage(9, 9, 24, 3u, false);
    EXPECT_TRUE(IsTextSmoothed(frame));
    bool nearest = true;
    const CRasterImage text = MakeTextImage(c, frame, MakeRGBQuad(200, 30, 7), &nearest);
    EXPECT_FALSE(nearest);
    ASSERT_EQ(text.GetBitsPerPixel(), 24);
    // Cropped to the non-zero coverage: columns 4..9, rows 1..5.
    ASSERT_EQ(text.GetWidth(), 6);
    ASSERT_EQ(text.GetHeight(), 5);
    ASSERT_TRUE(text.HasValidMask());
    std::set<int> levels;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(GetSample(text, x, y, 0), 200);  // red, green, blue
        EXPECT_EQ(GetSample(text, x, y, 1), 30);
        EXPECT_EQ(GetSample(text, x, y, 2), 7);
        EXPECT_EQ(GetMaskSample(text, x, y), c.values[(y + 1) * 12 + x + 4]) << x << "," << y;
        levels.insert(GetMaskSample(text, x, y));
      }
    // Solid glyph pixels are opaque and the smoothed edge keeps its levels.
    EXPECT_EQ(levels, (std::set<int>{40, 170, 255}));
  }
}

TEST(TextImage, IndexedAndGrayFramesGetOnePaletteEntryAndAOneBitMask) {
  const TEXT_COVERAGE c = Glyph();
  struct Case {
    int bpp;
    bool gray;
  };
  for (const Case k : {Case{1, false}, Case{4, false}, Case{8, false}, Case{8, true}}) {
    const CRasterImage frame = Indexed(k.bpp, k.gray);
    EXPECT_FALSE(IsTextSmoothed(frame));
    const int entries = 1 << k.bpp;
    // An exact palette colour: its index; no warning.
    const RGBQUAD exact = frame.GetPalette()[entries - 1];
    bool nearest = true;
    CRasterImage text = MakeTextImage(c, frame, exact, &nearest);
    ASSERT_EQ(text.GetBitsPerPixel(), k.bpp);
    EXPECT_FALSE(nearest);
    ASSERT_EQ(text.GetPaletteSize(), entries);
    EXPECT_EQ(0, std::memcmp(text.GetPalette(), frame.GetPalette(), static_cast<size_t>(entries) * 4));
    // The mask is set where the coverage is at least half: the ring's 170s
    // and the block, never the 40s. Cropped to that: columns 4..9, rows 1..5.
    ASSERT_EQ(text.GetWidth(), 6) << k.bpp;
    ASSERT_EQ(text.GetHeight(), 5);
    int firstIndex = -1;
    for (int i = 0; i < entries; ++i)
      if (frame.GetPalette()[i].rgbRed == exact.rgbRed && frame.GetPalette()[i].rgbGreen == exact.rgbGreen &&
          frame.GetPalette()[i].rgbBlue == exact.rgbBlue) {
        firstIndex = i;
        break;
      }
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(GetSample(text, x, y), firstIndex);
        const int m = GetMaskSample(text, x, y);
        EXPECT_TRUE(m == 0 || m == 1);
        EXPECT_EQ(m, c.values[(y + 1) * 12 + x + 4] >= 128 ? 1 : 0) << k.bpp << " " << x << "," << y;
      }
  }
}

TEST(TextImage, AColourMissingFromThePaletteTakesTheNearestEntry) {
  CRasterImage frame;
  ASSERT_TRUE(frame.Create(4, 4, 4));
  RGBQUAD* palette = frame.GetWritablePalette();
  for (int i = 0; i < 16; ++i) palette[i] = MakeRGBQuad(static_cast<uint8_t>(i * 17), 0, static_cast<uint8_t>(255 - i * 17));
  bool nearest = false;
  // (100, 0, 150): entry 6 is (102, 0, 153).
  const CRasterImage text = MakeTextImage(Glyph(), frame, MakeRGBQuad(100, 0, 150), &nearest);
  EXPECT_TRUE(nearest);
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_EQ(GetSample(text, 2, 2), 6);
  // Gray: (90, 90, 90) is in the ramp, (90, 91, 90) is not.
  CRasterImage gray = Indexed(8, true);
  ASSERT_TRUE(gray.IsGrayscale());
  EXPECT_EQ(GetSample(MakeTextImage(Glyph(), gray, MakeRGBQuad(90, 90, 90), &nearest), 1, 1), 90);
  EXPECT_FALSE(nearest);
  EXPECT_EQ(GetSample(MakeTextImage(Glyph(), gray, MakeRGBQuad(90, 91, 90), &nearest), 1, 1), 90);
  EXPECT_TRUE(nearest);
}

TEST(TextImage, CoverageWithoutInkGivesTheWholeTransparentImage) {
  TEXT_COVERAGE spaces;
  spaces.width = 30;
  spaces.height = 10;
  spaces.values.assign(300, 0);
  for (const int bpp : {24, 8, 1}) {
    const CRasterImage frame = bpp == 24 ? CRasterImage() : Indexed(bpp, false);
    const CRasterImage text = MakeTextImage(spaces, frame, MakeRGBQuad(0, 0, 0), nullptr);
    ASSERT_EQ(text.GetWidth(), 30) << bpp;
    ASSERT_EQ(text.GetHeight(), 10);
    ASSERT_TRUE(text.HasValidMask());
    EXPECT_EQ(text.GetMaskState(), 3);  // all transparent
  }
  // Weak smoothing alone: opaque on 24-bit, nothing on an indexed frame.
  TEXT_COVERAGE faint = spaces;
  faint.values[5 * 30 + 7] = 90;
  EXPECT_EQ(MakeTextImage(faint, CRasterImage(), MakeRGBQuad(0, 0, 0), nullptr).GetWidth(), 1);
  EXPECT_EQ(MakeTextImage(faint, Indexed(4, false), MakeRGBQuad(0, 0, 0), nullptr).GetWidth(), 30);
}

TEST(TextImage, RefusesEmptyAndInconsistentCoverage) {
  TEXT_COVERAGE c;
  EXPECT_TRUE(MakeTextImage(c, CRasterImage(), MakeRGBQuad(0, 0, 0), nullptr).IsEmpty());
  c.width = 4;
  c.height = 4;
  c.values.assign(15, 255);  // one value short
  EXPECT_TRUE(MakeTextImage(c, CRasterImage(), MakeRGBQuad(0, 0, 0), nullptr).IsEmpty());
  c.width = 40000;
  c.height = 1;
  c.values.assign(40000, 255);  // wider than a canvas can be
  EXPECT_TRUE(MakeTextImage(c, CRasterImage(), MakeRGBQuad(0, 0, 0), nullptr).IsEmpty());
}

}  // namespace
