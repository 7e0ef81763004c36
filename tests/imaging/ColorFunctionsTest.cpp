#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <numeric>
#include <sstream>
#include <string>

#include "imaging/ColorFunctions.h"
#include "imaging/Histogram.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;
constexpr double kPi = 3.14159265358979323846;

TEST(HsiToRgb, PrimaryHuesAndGray) {
  struct Case { double h, s, i, r, g, b; };
  const Case cases[] = {
      {0, 1, 1.0 / 3, 1, 0, 0},
      {2 * kPi / 3, 1, 1.0 / 3, 0, 1, 0},
      {4 * kPi / 3, 1, 1.0 / 3, 0, 0, 1},
      {2 * kPi, 1, 1.0 / 3, 1, 0, 0},
      {0, 0, 0.5, 0.5, 0.5, 0.5},
      {1.0, 0, 0.25, 0.25, 0.25, 0.25},
      {kPi / 3, 1, 1.0 / 3, 0.5, 0.5, 0},  // yellow: halfway between red and green
      {kPi, 1, 1.0 / 3, 0, 0.5, 0.5},      // cyan
  };
  for (const Case& c : cases) {
    double r = -1, g = -1, b = -1;
    HsiToRgb(c.h, c.s, c.i, &r, &g, &b);
    EXPECT_NEAR(r, c.r, 1e-9) << c.h;
    EXPECT_NEAR(g, c.g, 1e-9) << c.h;
    EXPECT_NEAR(b, c.b, 1e-9) << c.h;
    // Intensity is the mean of the three.
    EXPECT_NEAR((r + g + b) / 3, c.i, 1e-9);
  }
}

TEST(HsiToRgb, HuesOutsideTheCircleAreWrapped) {
  for (const double h : {0.3, 1.9, 3.5, 5.9}) {
    double r0, g0, b0;
    HsiToRgb(h, 0.6, 0.4, &r0, &g0, &b0);
    for (const double k : {-2.0, -1.0, 1.0, 3.0}) {
      double r = -1, g = -1, b = -1;
      HsiToRgb(h + k * 2 * kPi, 0.6, 0.4, &r, &g, &b);
      EXPECT_NEAR(r, r0, 1e-9);
      EXPECT_NEAR(g, g0, 1e-9);
      EXPECT_NEAR(b, b0, 1e-9);
    }
  }
  double r = -1, g = -1, b = -1;
  HsiToRgb(NAN, 0.5, 0.5, &r, &g, &b);
  EXPECT_TRUE(std::isfinite(r) && std::isfinite(g) && std::isfinite(b));
}

// Against the textbook HSI formulas evaluated independently by numpy.
TEST(HsiToRgb, MatchesNumpyOverAGrid) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const std::string script = R"(
import numpy as np
for H in np.linspace(0.01, 2 * np.pi, 37):
    for S in (0.0, 0.3, 1.0):
        sector = 0 if H <= 2 * np.pi / 3 else (1 if H <= 4 * np.pi / 3 else 2)
        h = H - sector * 2 * np.pi / 3
        a = 1 + S * np.cos(h) / np.cos(np.pi / 3 - h); b = 1 - S; c = 3 - a - b
        rgb = [(a, c, b), (b, a, c), (c, b, a)][sector]
        print('%.17g %.17g %.17g %.17g %.17g' % (H, S, rgb[0] * 0.4, rgb[1] * 0.4, rgb[2] * 0.4))
)";
  std::string output;
  ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
  std::istringstream lines(output);
  double h, s, er, eg, eb;
  int count = 0;
  while (lines >> h >> s >> er >> eg >> eb) {
    double r, g, b;
    HsiToRgb(h, s, 0.4, &r, &g, &b);
    EXPECT_NEAR(r, er, 1e-9) << h << " " << s;
    EXPECT_NEAR(g, eg, 1e-9) << h << " " << s;
    EXPECT_NEAR(b, eb, 1e-9) << h << " " << s;
    ++count;
  }
  EXPECT_EQ(count, 37 * 3);
}

TEST(CosineRamp, SlideShowWeights) {
  const int expected[24] = {1, 4, 9, 17, 26, 37, 49, 63, 78, 94, 110, 127, 144, 160, 176, 191, 205, 217, 228, 237, 245, 250, 253, 255};
  for (int i = 1; i <= 24; ++i) EXPECT_EQ(CosineRamp(i, 24), expected[i - 1]) << i;
  EXPECT_EQ(CosineRamp(0, 24), 0);
  EXPECT_EQ(CosineRamp(5, 0), 0);
}

TEST(Gcd, Euclid) {
  struct Case { uint32_t a, b, g; };
  for (const Case c : {Case{12, 18, 6}, Case{18, 12, 6}, Case{7, 0, 7}, Case{0, 7, 7}, Case{0, 0, 0}, Case{1, 250, 1},
                       Case{4294967295u, 65535u, 65535u}, Case{10, 4000, 10}})
    EXPECT_EQ(Gcd(c.a, c.b), c.g) << c.a << "," << c.b;
}

void CheckParseFloat() {
  struct Case { const char* text; bool ok; float value; };
  const Case cases[] = {{"1.5", true, 1.5f},     {"  -2.25xyz", true, -2.25f}, {"+3", true, 3.0f},
                        {"1e3", true, 1000.0f},  {".5", true, 0.5f},         {"7.", true, 7.0f},
                        {"1,5", true, 1.0f},     {"abc", false, 0},          {"", false, 0},
                        {"-", false, 0},         {"--1", false, 0},          {"\t42 mm", true, 42.0f}};
  for (const Case& c : cases) {
    float v = -99;
    EXPECT_EQ(ParseFloat(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_FLOAT_EQ(v, c.value) << c.text;
    }
  }
  float v;
  EXPECT_TRUE(ParseFloat("1e999", &v));
  EXPECT_TRUE(std::isinf(v));
  EXPECT_FALSE(ParseFloat(nullptr, &v));
}

TEST(ParseFloat, ReadsLikePercentFInTheCLocale) { CheckParseFloat(); }

TEST(ParseFloat, IgnoresADecimalCommaLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  // Without an installed German locale, compile one into a temporary folder.
  TempDir dir;
  if (!german && HaveTool("localedef") &&
      RunCommand("localedef -i de_DE -f UTF-8 " + ShellQuote((dir / "de_DE.UTF-8").string()) + " >/dev/null 2>&1") <= 1) {
    setenv("LOCPATH", dir.path().c_str(), 1);
    german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  }
  if (!german) GTEST_SKIP() << "no locale with a decimal comma available";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1,5");  // the locale is in force
  CheckParseFloat();
  std::setlocale(LC_NUMERIC, saved.c_str());
  unsetenv("LOCPATH");
}

// ---- histogram ------------------------------------------------------------

TEST(ComputeHistogram, BinsTheMeanOfTheChannels) {
  CRasterImage image;
  ASSERT_TRUE(image.Create(2, 1, 24));
  uint8_t* p = image.GetWritableBits();
  p[0] = 255, p[1] = 0, p[2] = 0;
  p[3] = 10, p[4] = 20, p[5] = 31;
  uint32_t counts[256];
  std::fill(counts, counts + 256, 99u);
  ComputeHistogram(image, counts);
  EXPECT_EQ(counts[85], 1u);
  EXPECT_EQ(counts[20], 1u);
  EXPECT_EQ(std::accumulate(counts, counts + 256, 0u), 2u);
  ComputeHistogram(CRasterImage{}, counts);
  EXPECT_EQ(std::accumulate(counts, counts + 256, 0u), 0u);
}

TEST(ComputeHistogram, MatchesNumpyWithMasksAndPalettes) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case { int bpp; bool masked; };
  for (const Case c : {Case{24, false}, Case{24, true}, Case{8, true}, Case{4, false}, Case{1, true}}) {
    const CRasterImage image = imaging_test::MakeRandomImage(37, 23, c.bpp, c.bpp + 1, c.masked);
    const CRasterImage rgb = ToRgb(image);
    WriteFileBytes(dir / "rgb.raw", imaging_test::PixelBytes(rgb));
    std::vector<uint8_t> alpha(37 * 23, 255);
    if (c.masked) alpha = imaging_test::MaskBytes(image);
    WriteFileBytes(dir / "alpha.raw", alpha);
    const std::string script = R"(
import numpy as np
rgb = np.fromfile('rgb.raw', np.uint8).reshape(-1, 3).astype(np.int64)
a = np.fromfile('alpha.raw', np.uint8)
bins = rgb.sum(1) // 3
print(' '.join(str(v) for v in np.bincount(bins[a != 0], minlength=256)))
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    uint32_t counts[256];
    ComputeHistogram(image, counts);
    std::istringstream in(output);
    for (int i = 0; i < 256; ++i) {
      uint32_t expected = 0;
      in >> expected;
      ASSERT_EQ(counts[i], expected) << "bin " << i << ", " << c.bpp << " bpp";
    }
  }
}

}  // namespace
