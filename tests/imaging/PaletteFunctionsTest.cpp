#include <gtest/gtest.h>

#include <cstring>

#include "imaging/PaletteFunctions.h"
#include "imaging/PixelAccess.h"
#include "imaging/StandardPalettes.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::CompareRgb;

// 32 x 16, 8-bit, gray palette: index 0 used once, every other index twice,
// so all 256 indices are in use. Fully opaque 1-bit mask.
CRasterImage AllIndicesUsed() {
  CRasterImage image;
  EXPECT_TRUE(image.Create(32, 16, 8));
  SetGrayPalette(image);
  uint8_t* bits = image.GetWritableBits();
  for (int i = 0; i < 256; ++i) bits[i] = static_cast<uint8_t>(i);
  for (int i = 0; i < 256; ++i) bits[256 + i] = static_cast<uint8_t>(i % 255 + 1);
  EXPECT_TRUE(image.CreateMask());
  std::memset(image.GetWritableMaskBits(), 0xFF, static_cast<size_t>(image.GetMaskStride()) * 16);
  return image;
}

TEST(PaletteFunctions, ChooseTransparentIndexWhenEveryIndexIsUsed) {
  const CRasterImage image = AllIndicesUsed();
  int index = -1, remap = -1, replacement = -1;
  ASSERT_TRUE(ChooseTransparentIndex(image, &index, &remap, &replacement));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(remap, 1);
  EXPECT_EQ(replacement, 1);
  int unused = -1;
  EXPECT_FALSE(FindUnusedPaletteIndex(image, &unused));

  CRasterImage hidden = image;
  SetPixel1(hidden.GetWritableMaskBits(), 0, 0);  // the one pixel of index 0 becomes transparent
  ASSERT_TRUE(ChooseTransparentIndex(hidden, &index, &remap, &replacement));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(remap, 0);

  CRasterImage noMask = image;
  noMask.RemoveMask();
  EXPECT_FALSE(ChooseTransparentIndex(noMask, &index, &remap, &replacement));
}

TEST(PaletteFunctions, SortByUsageKeepsTheLookAndOrdersByUse) {
  CRasterImage image = AllIndicesUsed();
  SetPixel1(image.GetWritableMaskBits(), 5, 0);  // a transparent pixel keeps its value
  std::vector<CRasterImage> sorted = SortPaletteByUsage(&image, 1);
  ASSERT_EQ(sorted.size(), 1u);
  const RGBQUAD* pal = sorted[0].GetPalette();
  EXPECT_EQ(pal[0], MakeRGBQuad(1, 1, 1));      // used twice, the lowest such index
  EXPECT_EQ(pal[253], MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(pal[254], MakeRGBQuad(0, 0, 0));    // used once
  EXPECT_EQ(pal[255], MakeRGBQuad(5, 5, 5));    // its only other pixel is transparent
  EXPECT_EQ(sorted[0].GetRow(0)[5], 5);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      if (!(x == 5 && y == 0)) {
        EXPECT_EQ(pal[sorted[0].GetRow(y)[x]], image.GetPalette()[image.GetRow(y)[x]]) << x << "," << y;
      }
  EXPECT_EQ(image.GetPalette()[0], MakeRGBQuad(0, 0, 0));  // the source is unchanged
}

TEST(PaletteFunctions, SmallHelpers) {
  CRasterImage image;
  ASSERT_TRUE(image.Create(5, 2, 4));
  RGBQUAD* pal = image.GetWritablePalette();
  BuildPalette16(pal);
  uint8_t* bits = image.GetWritableBits();
  for (int x = 0; x < 5; ++x) SetPixel4(bits, static_cast<int16_t>(x), x % 4);
  EXPECT_EQ(FindPaletteIndex(image, MakeRGBQuad(255, 0, 0)), 4);
  EXPECT_EQ(FindPaletteIndex(image, MakeRGBQuad(1, 2, 3)), -1);
  int index = -1;
  ASSERT_TRUE(FindUnusedPaletteIndex(image, &index));
  EXPECT_EQ(index, 4);
  int highest = -2, count = -2;
  ASSERT_TRUE(GetPaletteUsage(image, &highest, &count));
  EXPECT_EQ(highest, 3);
  EXPECT_EQ(count, 4);

  ASSERT_TRUE(MakeColorKeyMask(image, 9));  // unused: every bit set
  EXPECT_EQ(image.GetMaskState(), 2);
  ASSERT_TRUE(MakeColorKeyMask(image, 2));
  EXPECT_EQ(GetPixel1(image.GetMaskRow(0), 2), 0);
  EXPECT_EQ(GetPixel1(image.GetMaskRow(0), 1), 1);
  ASSERT_TRUE(GetPaletteUsage(image, &highest, &count));
  EXPECT_EQ(count, 3);

  CRasterImage rgb;
  ASSERT_TRUE(rgb.Create(2, 2, 24));
  EXPECT_EQ(FindPaletteIndex(rgb, MakeRGBQuad(0, 0, 0)), -1);
  EXPECT_FALSE(FindUnusedPaletteIndex(rgb, &index));

  RGBQUAD entries[2] = {MakeRGBQuad(0, 10, 255), MakeRGBQuad(1, 2, 3)};
  entries[1].rgbReserved = 7;
  InvertPalette(entries, nullptr, 2);
  EXPECT_EQ(entries[0].rgbRed, 255);
  EXPECT_EQ(entries[0].rgbGreen, 245);
  EXPECT_EQ(entries[0].rgbBlue, 0);
  EXPECT_EQ(entries[1].rgbReserved, 7);
}

TEST(StandardPalettes, FixedEntries) {
  RGBQUAD pal[256];
  EXPECT_EQ(BuildPalette8(pal), 8);
  EXPECT_EQ(pal[5], MakeRGBQuad(255, 0, 255));
  EXPECT_EQ(BuildPalette16(pal), 16);
  EXPECT_EQ(pal[8], MakeRGBQuad(85, 0, 0));
  EXPECT_EQ(pal[15], MakeRGBQuad(170, 170, 170));
  EXPECT_EQ(BuildCubePalette216(pal), 216);
  EXPECT_EQ(pal[129], MakeRGBQuad(153, 153, 153));
  EXPECT_EQ(BuildPalette256(pal), 256);
  EXPECT_EQ(pal[216], MakeRGBQuad(17, 0, 0));
  EXPECT_EQ(pal[226], MakeRGBQuad(0, 17, 0));
  EXPECT_EQ(pal[255], MakeRGBQuad(238, 238, 238));
  EXPECT_EQ(BuildWebPalette(pal), 216);
  EXPECT_EQ(pal[215], MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(BuildGrayPalette(pal), 256);
  EXPECT_EQ(pal[77], MakeRGBQuad(77, 77, 77));
}

}  // namespace
