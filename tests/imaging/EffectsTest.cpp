#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/Effects.h"
#include "imaging/Filters.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::MakeRandomImage;
using imaging_test::PixelBytes;
using namespace testing_support;

std::vector<uint8_t> Table(int b, int c) {
  BRIGHTNESS_CONTRAST_PARAMS params{b, c};
  uint8_t table[256];
  BuildBrightnessContrastTable(params, table);
  return {table, table + 256};
}

// The edge cases of the two sliders, worked out by hand.
TEST(BrightnessContrast, TableEdgeCases) {
  const auto identity = Table(0, 0);
  EXPECT_EQ(identity[255], 254);
  EXPECT_EQ(identity[128], 127);
  const auto dark = Table(-128, 0);
  for (int i = 0; i <= 129; ++i) EXPECT_EQ(dark[i], 0) << i;
  EXPECT_EQ(dark[255], 126);
  const auto bright = Table(128, 0);
  EXPECT_EQ(bright[0], 127);
  for (int i = 127; i < 256; ++i) EXPECT_EQ(bright[i], 254) << i;
  const auto hard = Table(0, 128);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(hard[i], i > 128 ? 255 : 0) << i;
  for (const int b : {-128, 0, 77, 128}) {
    const auto flat = Table(b, -128);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(flat[i], 128) << b << " " << i;
  }
  EXPECT_EQ(Table(999, -999), Table(128, -128));  // clamped
}

std::string Script(const std::string& body) { return "import numpy as np\n" + body; }

// Every byte of 24-bit and gray images through a table computed by numpy from
// the same formulas; the mask stays.
TEST(BrightnessContrast, MatchesNumpyAtFullColorAndGray) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  for (const bool gray : {false, true}) {
    const CRasterImage source = MakeRandomImage(17, 11, gray ? 8 : 24, 3, true, gray);
    WriteFileBytes(dir / "src.raw", PixelBytes(source));
    for (const auto& [b, c] : std::vector<std::pair<int, int>>{{0, 0}, {40, 30}, {-70, 100}, {15, -60}, {128, 128}}) {
      int result = -1;
      const CRasterImage out = BrightnessContrast(source, {b, c}, nullptr, &result);
      ASSERT_EQ(result, IMAGEIO_OK);
      const std::string script = Script("b, c = " + std::to_string(b) + ", " + std::to_string(c) + R"(
v = np.clip(np.arange(256) + b, 0, 255)
if c >= 0:
    mid = np.trunc((v - c) * 255 / (256 - 2 * c)) if c < 128 else v * 0
    t = np.where(v <= c, 0, np.where(v > 256 - c, 255, mid))
else:
    t = (2 * (128 + c) * v) // 255 - c
t = np.clip(t, 0, 255).astype(np.uint8)
src = np.fromfile('src.raw', np.uint8)
t[src].tofile('ref.raw')
)");
      std::string output;
      ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
      EXPECT_EQ(PixelBytes(out), ReadFileBytes(dir / "ref.raw")) << gray << " " << b << " " << c;
      EXPECT_EQ(imaging_test::MaskBytes(out), imaging_test::MaskBytes(source));
    }
  }
}

// Indexed images change only their palette.
TEST(BrightnessContrast, IndexedChangesOnlyThePalette) {
  for (const int bpp : {1, 4, 8}) {
    const CRasterImage source = MakeRandomImage(9, 5, bpp, 7, false);
    const CRasterImage out = BrightnessContrast(source, {30, 20});
    ASSERT_FALSE(out.IsEmpty());
    EXPECT_EQ(PixelBytes(out), PixelBytes(source)) << bpp;
    const auto table = Table(30, 20);
    for (int i = 0; i < source.GetPaletteSize(); ++i) {
      EXPECT_EQ(out.GetPalette()[i].rgbRed, table[source.GetPalette()[i].rgbRed]);
      EXPECT_EQ(out.GetPalette()[i].rgbBlue, table[source.GetPalette()[i].rgbBlue]);
    }
  }
}

bool AlwaysStop() { return true; }

TEST(Effects, CancelledGivesNothing) {
  const CRasterImage source = MakeRandomImage(8, 8, 24, 1, false);
  for (int which = 0; which < 3; ++which) {
    int result = 0;
    CRasterImage out;
    if (which == 0) out = BrightnessContrast(source, {10, 10}, AlwaysStop, &result);
    if (which == 1) out = Blur(source, {5, 0, 3}, AlwaysStop, &result);
    if (which == 2) out = Sepia(source, {}, AlwaysStop, &result);
    EXPECT_TRUE(out.IsEmpty()) << which;
    EXPECT_EQ(result, IMAGEIO_CANCELLED) << which;
  }
}

// Blur: amount 0 and blend 100 give the untouched image; blend 50 is the
// average (numpy) of the box blur and the untouched image.
TEST(Blur, BlendMatchesNumpyAverage) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  for (const bool gray : {false, true}) {
    const CRasterImage source = MakeRandomImage(23, 13, gray ? 8 : 24, 9, false, gray);
    EXPECT_EQ(PixelBytes(Blur(source, {0, 0, 3})), PixelBytes(source));
    EXPECT_EQ(PixelBytes(Blur(source, {7, 100, 3})), PixelBytes(source));
    CRasterImage blurred = source;
    ASSERT_TRUE(BlurImage(blurred, 4, 3, true));
    EXPECT_EQ(PixelBytes(Blur(source, {4, 0, 3})), PixelBytes(blurred));
    WriteFileBytes(dir / "a.raw", PixelBytes(source));
    WriteFileBytes(dir / "b.raw", PixelBytes(blurred));
    const std::string script = Script(R"(
a = np.fromfile('a.raw', np.uint8).astype(np.int64)
b = np.fromfile('b.raw', np.uint8).astype(np.int64)
((a * 50 + b * 50) // 100).astype(np.uint8).tofile('ref.raw')
)");
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    EXPECT_EQ(PixelBytes(Blur(source, {4, 50, 3})), ReadFileBytes(dir / "ref.raw")) << gray;
  }
  // Indexed images are left as they are.
  const CRasterImage indexed = MakeRandomImage(10, 10, 8, 2, false);
  EXPECT_EQ(PixelBytes(Blur(indexed, {5, 0, 3})), PixelBytes(indexed));
}

// Sepia against the HSI colourisation computed by numpy in double precision.
TEST(Sepia, MatchesNumpyColorization) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage source = MakeRandomImage(19, 7, 24, 4, false);
  WriteFileBytes(dir / "src.raw", PixelBytes(source));
  for (const auto& [hue, sat, blend] :
       std::vector<std::tuple<double, double, int>>{{0.6981317007977318, 0.15, 0}, {0, 0, 0}, {3.0, 0.3, 0},
                                                     {5.5, 0.25, 30}, {1.0, 0.0, 0}}) {
    const CRasterImage out = Sepia(source, {hue, sat, blend});
    char head[160];
    std::snprintf(head, sizeof head, "H, S, p = %.17g, %.17g, %d\n", hue, sat, blend);
    const std::string script = Script(std::string(head) + R"(
import math
src = np.fromfile('src.raw', np.uint8).reshape(-1, 3).astype(np.float64)
if H <= 2 * math.pi / 3: sec, h = 0, H
elif H <= 4 * math.pi / 3: sec, h = 1, H - 2 * math.pi / 3
else: sec, h = 2, H - 4 * math.pi / 3
X = 1 + S * math.cos(h) / math.cos(math.pi / 3 - h); Y = 1 - S; Z = 3 - (Y + X)
f = [1, 1, 1] if H == 0 and S == 0 else [[X, Z, Y], [Y, X, Z], [Z, Y, X]][sec]
I = (src[:, 0] / 255 + src[:, 1] / 255 + src[:, 2] / 255) / 3
col = np.stack([np.trunc(np.clip(f[k] * I * 255, 0, 255)) for k in range(3)], axis=1).astype(np.int64)
if p > 0:
    col = (src.astype(np.int64) * p + col * (100 - p)) // 100
col.astype(np.uint8).tofile('ref.raw')
)");
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    EXPECT_EQ(PixelBytes(out), ReadFileBytes(dir / "ref.raw")) << hue << " " << sat << " " << blend;
  }
  EXPECT_EQ(PixelBytes(Sepia(source, {1.0, 0.2, 100})), PixelBytes(source));
  EXPECT_TRUE(Sepia(MakeRandomImage(4, 4, 8, 1, false, true), {}).IsEmpty());  // 24-bit only
}

}  // namespace
