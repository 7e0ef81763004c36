#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imaging/ColorConversion.h"
#include "imaging/PixelAccess.h"
#include "imaging/StandardPalettes.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::CompareRgb;
using testing_support::MakeTestPicture;
using testing_support::ToRgb;

CRasterImage Flat24(int width, int height, int r, int g, int b) {
  CRasterImage image;
  EXPECT_TRUE(image.Create(width, height, 24));
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bits + y * image.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(r);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(b);
    }
  return image;
}

// An indexed image of the given depth with a palette of distinct colours
// and pseudo-random indices.
CRasterImage RandomIndexed(int width, int height, int bpp, unsigned seed) {
  CRasterImage image;
  EXPECT_TRUE(image.Create(width, height, bpp));
  std::mt19937 rng(seed);
  RGBQUAD* pal = image.GetWritablePalette();
  const int entries = 1 << bpp;
  for (int i = 0; i < entries; ++i)
    pal[i] = MakeRGBQuad(static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 91));
  PIXELSETPROC set = GetPixelSetter(bpp);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      set(image.GetWritableBits() + y * image.GetStride(), static_cast<int16_t>(x), static_cast<int>(rng() % entries));
  return image;
}

int Pixel(const CRasterImage& image, int x, int y) {
  return GetPixelGetter(image.GetBitsPerPixel())(image.GetRow(y), static_cast<int16_t>(x));
}

TEST(ColorConversion, GrayValuesOfPrimaries) {
  struct Case { int r, g, b, gray; };
  for (const Case c : {Case{255, 0, 0, 76}, Case{0, 255, 0, 153}, Case{0, 0, 255, 25}, Case{255, 255, 255, 255},
                       Case{0, 0, 0, 0}}) {
    CRasterImage gray = ConvertToGrayscale(Flat24(3, 2, c.r, c.g, c.b));
    ASSERT_EQ(gray.GetBitsPerPixel(), 8);
    EXPECT_TRUE(gray.IsGrayscale());
    EXPECT_EQ(Pixel(gray, 2, 1), c.gray) << c.r << "," << c.g << "," << c.b;
  }
  CRasterImage already = ConvertToGrayscale(Flat24(2, 2, 9, 9, 9));
  int status = -1;
  EXPECT_TRUE(ConvertToGrayscale(already, &status).IsEmpty());
  EXPECT_EQ(status, IMAGEIO_OK);
}

TEST(ColorConversion, FindNearestPaletteColorTiesKeepTheLowerIndex) {
  const RGBQUAD pal[4] = {MakeRGBQuad(10, 10, 10), MakeRGBQuad(50, 50, 50), MakeRGBQuad(50, 50, 50),
                          MakeRGBQuad(30, 30, 30)};
  EXPECT_EQ(FindNearestPaletteColor(4, pal, 50, 50, 50), 1);
  EXPECT_EQ(FindNearestPaletteColor(4, pal, 20, 20, 20), 0);  // equal to entries 0 and 3
  EXPECT_EQ(FindNearestPaletteColor(4, pal, 31, 31, 31), 3);
}

TEST(ColorConversion, NearestColorFinderAgreesWithTheLinearScan) {
  std::mt19937 rng(7);
  for (int count : {1, 2, 5, 16, 100, 256}) {
    std::vector<RGBQUAD> pal(static_cast<size_t>(count));
    for (auto& e : pal)
      e = MakeRGBQuad(static_cast<uint8_t>(rng() % 8 * 32), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng() % 4 * 80));
    CNearestColorFinder finder(count, pal.data());
    for (int i = 0; i < 20000; ++i) {
      const int r = static_cast<int>(rng() & 255), g = static_cast<int>(rng() & 255), b = static_cast<int>(rng() & 255);
      ASSERT_EQ(finder.Find(r, g, b), FindNearestPaletteColor(count, pal.data(), r, g, b)) << count;
    }
  }
}

TEST(ColorConversion, Cube216OrderedDitherValues) {
  // Threshold 10 at (2, 0) and 38 at (1, 0): 128 mod 51 = 26.
  CRasterImage cube = ConvertToCube216(Flat24(4, 4, 128, 128, 128));
  ASSERT_EQ(cube.GetBitsPerPixel(), 8);
  EXPECT_EQ(Pixel(cube, 2, 0), 129);
  EXPECT_EQ(Pixel(cube, 1, 0), 86);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Pixel(cube, x, y), kDitherMatrix4x4[x + 4 * y] < 26 ? 129 : 86);
  EXPECT_EQ(cube.GetPalette()[129], MakeRGBQuad(153, 153, 153));
}

TEST(ColorConversion, OrderedDitherOfFlatHalfGrayGivesTheBayerPattern) {
  CRasterImage gray = Flat24(16, 16, 128, 128, 128);
  CRasterImage bw = ConvertToBitmapThreshold(gray, false, 128);
  CRasterImage eight = ConvertTo8Colors(gray);
  ASSERT_EQ(bw.GetBitsPerPixel(), 1);
  ASSERT_EQ(eight.GetBitsPerPixel(), 4);
  int white = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool on = kBayerMatrix8x8[(x % 8) + 8 * (y % 8)] < 128;
      EXPECT_EQ(Pixel(bw, x, y), on ? 1 : 0) << x << "," << y;
      EXPECT_EQ(Pixel(eight, x, y), on ? 7 : 0) << x << "," << y;
      white += on;
    }
  EXPECT_EQ(white, 128);  // exactly half
  // The classic checkerboard start: (0,0) white, (1,0) black, (1,1) white.
  EXPECT_EQ(Pixel(bw, 0, 0), 1);
  EXPECT_EQ(Pixel(bw, 1, 0), 0);
  EXPECT_EQ(Pixel(bw, 1, 1), 1);
}

TEST(ColorConversion, EightColorsExtremes) {
  CRasterImage black = ConvertTo8Colors(Flat24(8, 8, 0, 255, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(black, x, y), 2);
}

TEST(ColorConversion, BitmapLevelsAndThreshold) {
  struct Case { int level, high, low; };
  for (const Case c : {Case{128, 255, 0}, Case{64, 127, 0}, Case{0, 0, 0}, Case{200, 255, 144}, Case{255, 255, 255},
                       Case{-5, 0, 0}, Case{999, 255, 255}}) {
    int high = -1, low = -1;
    GetBitmapLevels(c.level, &high, &low);
    EXPECT_EQ(high, c.high) << c.level;
    EXPECT_EQ(low, c.low) << c.level;
  }
  CRasterImage ramp;
  ASSERT_TRUE(ramp.Create(2, 1, 8));
  SetGrayPalette(ramp);
  ramp.GetWritableBits()[0] = 128;
  ramp.GetWritableBits()[1] = 129;
  CRasterImage bw = ConvertToBitmap(ramp, BITMAP_THRESHOLD, 128);
  EXPECT_EQ(Pixel(bw, 0, 0), 0);
  EXPECT_EQ(Pixel(bw, 1, 0), 1);
  EXPECT_TRUE(ConvertToBitmapThreshold(bw, true, 128).IsEmpty());
}

TEST(ColorConversion, MapToPaletteDepthFollowsTheColourCount) {
  std::vector<RGBQUAD> pal(300);
  for (size_t i = 0; i < pal.size(); ++i) pal[i] = MakeRGBQuad(static_cast<uint8_t>(i), 0, static_cast<uint8_t>(i / 2));
  const CRasterImage source = MakeTestPicture(9, 5);
  struct Case { int n, bpp; };
  for (const Case c : {Case{1, 1}, Case{2, 1}, Case{3, 4}, Case{16, 4}, Case{17, 8}, Case{256, 8}, Case{257, 24}}) {
    CRasterImage mapped = MapToPalette(source, c.n, pal.data(), false);
    EXPECT_EQ(mapped.GetBitsPerPixel(), c.bpp) << c.n;
    for (int i = c.n; c.bpp != 24 && i < mapped.GetPaletteSize(); ++i) {
      EXPECT_EQ(mapped.GetPalette()[i], RGBQUAD{}) << i;
    }
  }
  EXPECT_TRUE(MapToPalette(source, 0, pal.data(), false).IsEmpty());
  int status = 1234;
  EXPECT_TRUE(ReduceToPalette(source, pal.data(), 257, DITHER_NONE, &status).IsEmpty());
  EXPECT_EQ(status, 1234);
}

TEST(ColorConversion, PaletteImageThroughTrueColourAndBackIsUnchanged) {
  for (int bpp : {1, 4, 8}) {
    for (int width : {1, 7, 8, 9, 33}) {
      const CRasterImage source = RandomIndexed(width, 5, bpp, static_cast<unsigned>(width * bpp));
      CRasterImage rgb = ConvertTo24Bit(source);
      ASSERT_EQ(rgb.GetBitsPerPixel(), 24);
      EXPECT_EQ(CompareRgb(rgb, source), "");
      for (bool diffuse : {false, true}) {
        CRasterImage back = MapToPalette(rgb, 1 << bpp, source.GetPalette(), diffuse);
        ASSERT_EQ(back.GetBitsPerPixel(), bpp);
        for (int y = 0; y < 5; ++y)
          ASSERT_EQ(std::memcmp(back.GetRow(y), source.GetRow(y), static_cast<size_t>(source.GetStride())), 0)
              << "bpp " << bpp << " width " << width << " diffuse " << diffuse;
      }
    }
  }
}

TEST(ColorConversion, GrayRampsStayMonotonic) {
  CRasterImage ramp;
  ASSERT_TRUE(ramp.Create(256, 1, 24));
  for (int x = 0; x < 256; ++x) std::memset(ramp.GetWritableBits() + 3 * x, x, 3);
  RGBQUAD grays[16];
  for (int i = 0; i < 16; ++i) grays[i] = MakeRGBQuad(static_cast<uint8_t>(17 * i), static_cast<uint8_t>(17 * i), static_cast<uint8_t>(17 * i));
  const std::vector<std::pair<std::string, CRasterImage>> results = {
      {"grayscale", ConvertToGrayscale(ramp)},
      {"16 grays", MapToPalette(ramp, 16, grays, false)},
      {"threshold", ConvertToBitmap(ramp, BITMAP_THRESHOLD, 100)},
      {"cube row 0", ConvertToCube216(ramp)},
  };
  for (const auto& [name, image] : results) {
    CRasterImage rgb = ToRgb(image);
    int previous = -1;
    for (int x = 0; x < 256; ++x) {
      const int v = rgb.GetRow(0)[3 * x];
      if (name != "cube row 0") {
        EXPECT_GE(v, previous) << name << " at " << x;
        previous = v;
      }
    }
  }
  // Ordered dither keeps the ramp monotonic on average: the mean of each
  // 8-pixel run never falls.
  CRasterImage tall;
  ASSERT_TRUE(tall.Create(256, 8, 24));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 256; ++x) std::memset(tall.GetWritableBits() + y * tall.GetStride() + 3 * x, x, 3);
  for (int mode : {BITMAP_DIFFUSION, BITMAP_ORDERED}) {
    CRasterImage bw = ConvertToBitmap(tall, mode, 128);
    int previous = -1;
    for (int block = 0; block < 32; block += 4) {
      int on = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = block * 8; x < block * 8 + 32; ++x) on += Pixel(bw, x, y);
      EXPECT_GE(on, previous) << mode << " block " << block;
      previous = on;
    }
  }
}

TEST(ColorConversion, DiffusionKeepsTheMeanOfFlatGrays) {
  for (int level : {32, 100, 128, 200}) {
    CRasterImage bw = ConvertToBitmap(Flat24(64, 64, level, level, level), BITMAP_DIFFUSION, 128);
    ASSERT_EQ(bw.GetBitsPerPixel(), 1);
    int on = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) on += Pixel(bw, x, y);
    EXPECT_NEAR(on * 255.0 / 4096, level, 6) << level;
    EXPECT_EQ(bw.GetPalette()[1], MakeRGBQuad(255, 255, 255));
  }
}

TEST(ColorConversion, TransparentPixelsAreSkippedAndMasksFollowTheTarget) {
  CRasterImage source = MakeTestPicture(12, 6);
  ASSERT_TRUE(source.CreateMask());
  uint8_t* mask = source.GetWritableMaskBits();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) mask[y * source.GetMaskStride() + x] = (x + y) % 3 ? 255 : 0;
  RGBQUAD pal[4] = {MakeRGBQuad(200, 10, 10), MakeRGBQuad(10, 200, 10), MakeRGBQuad(10, 10, 200),
                    MakeRGBQuad(250, 250, 250)};
  for (bool diffuse : {false, true}) {
    CRasterImage mapped = MapToPalette(source, 4, pal, diffuse);
    ASSERT_EQ(mapped.GetBitsPerPixel(), 4);
    ASSERT_TRUE(mapped.HasValidMask());
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool opaque = (x + y) % 3 != 0;
        EXPECT_EQ(GetPixel1(mapped.GetMaskRow(y), static_cast<int16_t>(x)), opaque ? 1 : 0);
        if (!opaque) {
          EXPECT_EQ(Pixel(mapped, x, y), 0);
        }
      }
  }
  // 1-bit mask to 24-bit: alpha of 0 and 255 only.
  CRasterImage indexed = RandomIndexed(9, 4, 4, 3);
  ASSERT_TRUE(indexed.CreateMask());
  SetPixel1(indexed.GetWritableMaskBits(), 3, 1);
  CRasterImage rgb = ConvertTo24Bit(indexed);
  ASSERT_TRUE(rgb.HasValidMask());
  ASSERT_EQ(rgb.GetMaskBitsPerPixel(), 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(rgb.GetMaskRow(y)[x], (x == 3 && y == 0) ? 255 : 0);
}

TEST(ColorConversion, InvertTwiceGivesTheImageBack) {
  std::vector<CRasterImage> images = {MakeTestPicture(9, 4), RandomIndexed(9, 4, 1, 1), RandomIndexed(9, 4, 4, 2),
                                      RandomIndexed(9, 4, 8, 3), ConvertToGrayscale(MakeTestPicture(9, 4))};
  for (const CRasterImage& image : images) {
    CRasterImage once = InvertColors(image);
    CRasterImage twice = InvertColors(once);
    EXPECT_EQ(CompareRgb(twice, image), "") << image.GetBitsPerPixel();
    // 1-bit images swap their two indices; the others show the negative.
    if (image.GetBitsPerPixel() == 1) continue;
    CRasterImage a = ToRgb(image), b = ToRgb(once);
    EXPECT_EQ(a.GetRow(1)[4] + b.GetRow(1)[4], 255);
  }
  uint8_t row[2] = {0xF0, 0xAA};
  InvertRow(1, row, nullptr, 11);
  EXPECT_EQ(row[0], 0x0F);
  EXPECT_EQ(row[1], 0x4A);  // only the first three bits of the second byte
}

int g_cancelAfter = 0;
int g_progressCalls = 0;
bool CancelAfterRows() { return --g_cancelAfter < 0; }
void CountProgress(int, int) { ++g_progressCalls; }

TEST(ColorConversion, CancelGivesAnEmptyImageAndStatus) {
  const CRasterImage picture = MakeTestPicture(10, 8);
  RGBQUAD pal[256];
  BuildPalette256(pal);
  using Conversion = std::function<CRasterImage(int*, CANCELPROC, PROGRESSPROC)>;
  const std::vector<Conversion> conversions = {
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertTo24Bit(RandomIndexed(10, 8, 8, 1), s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertToGrayscale(picture, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertToCube216(picture, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertTo8Colors(picture, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return MapToPalette(picture, 256, pal, true, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertToBitmap(picture, BITMAP_DIFFUSION, 128, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return ConvertToBitmap(picture, BITMAP_ORDERED, 128, s, c, p); },
      [&](int* s, CANCELPROC c, PROGRESSPROC p) { return InvertColors(picture, s, c, p); },
  };
  for (size_t i = 0; i < conversions.size(); ++i) {
    g_cancelAfter = 3;
    int status = 0;
    EXPECT_TRUE(conversions[i](&status, CancelAfterRows, nullptr).IsEmpty()) << i;
    EXPECT_EQ(status, IMAGEIO_CANCELLED) << i;
    g_progressCalls = 0;
    status = -1;
    EXPECT_FALSE(conversions[i](&status, nullptr, CountProgress).IsEmpty()) << i;
    EXPECT_EQ(status, IMAGEIO_OK) << i;
    EXPECT_GE(g_progressCalls, 8) << i;
  }
}

// Every conversion over every depth, with and without a mask, on widths that
// cross byte edges down to one pixel, and on the empty image. Run under the
// address sanitizer this checks that no row is read or written past its end.
TEST(ColorConversion, EveryConversionOnNarrowAndEmptyImages) {
  RGBQUAD pal[256];
  BuildPalette256(pal);
  for (int bpp : {1, 4, 8, 24}) {
    for (int width : {1, 2, 7, 9}) {
      for (bool masked : {false, true}) {
        CRasterImage image = bpp == 24 ? MakeTestPicture(width, 3) : RandomIndexed(width, 3, bpp, 5);
        if (masked) {
          ASSERT_TRUE(image.CreateMask());
          std::memset(image.GetWritableMaskBits(), 0xB5, static_cast<size_t>(image.GetMaskStride()) * 3);
        }
        std::vector<CRasterImage> out = {
            ConvertTo24Bit(image), ConvertToGrayscale(image), ConvertToCube216(image), ConvertTo8Colors(image),
            MapToPalette(image, 2, pal, true), MapToPalette(image, 16, pal, true), MapToPalette(image, 256, pal, true),
            MapToPalette(image, 256, pal, false), ConvertToBitmap(image, 0, 128), ConvertToBitmap(image, 1, 128),
            ConvertToBitmap(image, 2, 128), InvertColors(image), ReduceToPalette(image, pal, 16, DITHER_ORDERED)};
        for (const CRasterImage& result : out) {
          if (result.IsEmpty()) continue;
          EXPECT_EQ(result.GetWidth(), width);
          EXPECT_EQ(result.GetHeight(), 3);
          EXPECT_EQ(result.HasValidMask(), masked);
        }
      }
    }
  }
  const CRasterImage empty;
  int status = -1;
  for (const CRasterImage& result :
       {ConvertTo24Bit(empty, &status), ConvertToGrayscale(empty, &status), ConvertToCube216(empty, &status),
        ConvertTo8Colors(empty, &status), MapToPalette(empty, 16, pal, true, &status),
        ConvertToBitmap(empty, 1, 128, &status), ConvertToBitmapThreshold(empty, false, 128, &status),
        InvertColors(empty, &status), ReduceToPalette(empty, pal, 16, DITHER_ORDERED, &status)}) {
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(status, IMAGEIO_OK);
  }
}

TEST(ColorConversion, LookupTreeCachesExactColours) {
  CColorLookupTree tree;
  EXPECT_EQ(tree.Find(1, 2, 3), CColorLookupTree::kNotFound);
  EXPECT_TRUE(tree.Insert(1, 2, 3, 7));
  EXPECT_TRUE(tree.Insert(255, 255, 255, 0));
  EXPECT_EQ(tree.Find(1, 2, 3), 7);
  EXPECT_EQ(tree.Find(1, 2, 4), CColorLookupTree::kNotFound);
  EXPECT_EQ(tree.Find(255, 255, 255), 0);
}

}  // namespace
