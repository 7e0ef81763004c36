#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ResultCodes.h"
#include "imaging/Resample.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::DescribeDifference;
using imaging_test::GetMaskSample;
using imaging_test::GetSample;
using imaging_test::MakeFlatImage;
using imaging_test::MakeRandomImage;
using namespace testing_support;

const int kFilters[] = {FILTER_HERMITE, FILTER_BOX,      FILTER_TRIANGLE, FILTER_BELL,
                        FILTER_BSPLINE, FILTER_LANCZOS3, FILTER_MITCHELL, 42};

struct Size {
  int w, h;
};

// A smooth, photo-like picture (no detail finer than a few pixels).
CRasterImage MakeSmoothPicture(int width, int height) {
  CRasterImage image;
  image.Create(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      const double u = x * 40.0 / width, v = y * 40.0 / height;
      p[0] = uint8_t(128 + 90 * std::sin(u / 2.3) * std::cos(v / 3.1));
      p[1] = uint8_t(128 + 90 * std::cos((u + v) / 4.0));
      p[2] = uint8_t(40 + 170.0 * x / width);
    }
  return image;
}

TEST(ResampleImage, FlatImagesStayFlat) {
  struct Case { Size from, to; };
  const Case cases[] = {{{1, 1}, {5, 3}}, {{10, 7}, {3, 2}}, {{10, 7}, {23, 17}}, {{30, 20}, {7, 31}}, {{3, 1}, {40, 1}}};
  for (const int filter : kFilters)
    for (const Case c : cases)
      for (const bool gray : {false, true})
        for (const int alpha : {-1, 255, 128}) {
          if (gray && alpha == 128) continue;  // gray masks are 1-bit
          const CRasterImage source = MakeFlatImage(c.from.w, c.from.h, gray, 200, alpha);
          const CRasterImage result = ResampleImage(source, c.to.w, c.to.h, filter);
          ASSERT_FALSE(result.IsEmpty());
          ASSERT_EQ(result.GetBitsPerPixel(), source.GetBitsPerPixel());
          EXPECT_EQ(result.IsGrayscale(), gray);
          EXPECT_EQ(result.HasValidMask(), alpha >= 0);
          for (int y = 0; y < c.to.h; ++y)
            for (int x = 0; x < c.to.w; ++x) {
              for (int ch = 0; ch < (gray ? 1 : 3); ++ch)
                ASSERT_EQ(GetSample(result, x, y, ch), GetSample(source, 0, 0, ch))
                    << "filter " << filter << " " << c.from.w << "x" << c.from.h << " to " << c.to.w << "x" << c.to.h
                    << " at " << x << "," << y;
              if (alpha >= 0) {
                ASSERT_EQ(GetMaskSample(result, x, y), GetMaskSample(source, 0, 0));
              }
            }
        }
}

TEST(ResampleImage, SameSizeGivesTheInputBack) {
  for (const int filter : kFilters)
    for (const Size s : {Size{1, 1}, Size{2, 2}, Size{7, 5}, Size{33, 17}}) {
      for (const CRasterImage& source : {MakeRandomImage(s.w, s.h, 24, s.w + filter, false),
                                         MakeRandomImage(s.w, s.h, 24, s.w + filter, true),
                                         MakeRandomImage(s.w, s.h, 8, s.h + filter, false, true)}) {
        CRasterImage expected = source;
        if (source.HasValidMask()) {
          // Colour under alpha 0 carries nothing.
          uint8_t* bits = expected.GetWritableBits();
          for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x)
              if (source.GetMaskRow(y)[x] == 0) std::memset(bits + y * expected.GetStride() + 3 * x, 0, 3);
        }
        EXPECT_EQ(DescribeDifference(ResampleImage(source, s.w, s.h, filter), expected), "")
            << "filter " << filter << " " << s.w << "x" << s.h;
      }
    }
}

TEST(ResampleImage, TinySourcesReadOnlyTheirOwnPixels) {
  // Kernels much wider than the source: every tap stays inside it.
  const Size sources[] = {{1, 1}, {1, 5}, {5, 1}, {2, 1}, {2, 2}, {3, 2}};
  const Size targets[] = {{1, 1}, {7, 1}, {1, 9}, {13, 11}, {2, 3}};
  for (const int filter : kFilters)
    for (const Size s : sources)
      for (const Size t : targets) {
        const CRasterImage source = MakeRandomImage(s.w, s.h, 24, s.w * 3 + s.h, true);
        const CRasterImage result = ResampleImage(source, t.w, t.h, filter);
        ASSERT_FALSE(result.IsEmpty());
        ASSERT_EQ(result.GetWidth(), t.w);
        ASSERT_EQ(result.GetHeight(), t.h);
      }
  const CRasterImage dot = MakeFlatImage(1, 1, false, 77);
  for (const int filter : kFilters)
    EXPECT_EQ(DescribeDifference(ResampleImage(dot, 4, 3, filter), MakeFlatImage(4, 3, false, 77)), "") << filter;
}

TEST(ResampleImage, TransparentPixelsCarryNoColour) {
  CRasterImage source = MakeFlatImage(20, 10, false, 0, 255);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      uint8_t* p = source.GetWritableBits() + y * source.GetStride() + 3 * x;
      p[0] = 255, p[1] = 0, p[2] = 0;        // red, but transparent
      source.GetWritableMaskBits()[y * source.GetMaskStride() + x] = 0;
    }
  for (const int filter : kFilters) {
    const CRasterImage result = ResampleImage(source, 7, 13, filter);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 7; ++x)
        if (GetMaskSample(result, x, y) > 0) {
          EXPECT_EQ(GetSample(result, x, y, 0), 0) << filter << " " << x << "," << y;
        }
  }
}

TEST(ResampleImage, RefusesOtherImages) {
  EXPECT_TRUE(ResampleImage(CRasterImage{}, 4, 4, FILTER_TRIANGLE).IsEmpty());
  for (const int bpp : {1, 4, 8}) EXPECT_TRUE(ResampleImage(MakeRandomImage(5, 5, bpp, 1, false), 3, 3, 2).IsEmpty());
  const CRasterImage source = MakeRandomImage(5, 5, 24, 1, false);
  EXPECT_TRUE(ResampleImage(source, 0, 3, 2).IsEmpty());
  EXPECT_TRUE(ResampleImage(source, 3, -1, 2).IsEmpty());
  EXPECT_TRUE(ResampleImage(source, 40000, 3, 2).IsEmpty());
}

int g_cancelAfter = 0;
int g_cancelCalls = 0;
int g_lastDone = 0, g_lastTotal = 0;
bool CancelLater() { return ++g_cancelCalls > g_cancelAfter; }
void RecordProgress(int done, int total) { g_lastDone = done, g_lastTotal = total; }

TEST(ResampleImage, CancelGivesAnEmptyImageAndProgressEndsAtTheTotal) {
  const CRasterImage source = MakeTestPicture(40, 30);
  g_cancelAfter = 1000000, g_cancelCalls = 0;
  ASSERT_FALSE(ResampleImage(source, 20, 60, FILTER_LANCZOS3, CancelLater, RecordProgress).IsEmpty());
  EXPECT_EQ(g_lastTotal, 30 + 20);  // source height + target width
  EXPECT_EQ(g_lastDone, g_lastTotal);
  for (const int after : {0, 10, 29, 30, 45}) {
    g_cancelAfter = after, g_cancelCalls = 0;
    EXPECT_TRUE(ResampleImage(source, 20, 60, FILTER_LANCZOS3, CancelLater, nullptr).IsEmpty()) << after;
  }
}

// The filtered resampler against an independent python transcription of its
// rules (contribution lists with mirrored edges, two passes through a byte
// image, mask weighting), on small images and both directions of scaling.
TEST(ResampleImage, MatchesAnIndependentTwoPassComputation) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case { Size from, to; bool masked; };
  const Case cases[] = {{{13, 9}, {5, 4}, false}, {{13, 9}, {29, 20}, false}, {{11, 8}, {4, 17}, true},
                        {{6, 5}, {17, 2}, true}};
  int seed = 1;
  for (const Case c : cases) {
    const CRasterImage source = MakeRandomImage(c.from.w, c.from.h, 24, seed++, c.masked);
    WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
    std::vector<uint8_t> alpha(size_t(c.from.w) * c.from.h, 255);
    if (c.masked) alpha = imaging_test::MaskBytes(source);
    WriteFileBytes(dir / "alpha.raw", alpha);
    for (const int filter : kFilters) {
      const CRasterImage result = ResampleImage(source, c.to.w, c.to.h, filter);
      ASSERT_FALSE(result.IsEmpty());
      const std::string script = R"(
import math
import numpy as np
sw, sh, tw, th, ftype, masked = )" + std::to_string(c.from.w) + "," + std::to_string(c.from.h) + "," +
                                 std::to_string(c.to.w) + "," + std::to_string(c.to.h) + "," + std::to_string(filter) +
                                 "," + (c.masked ? "True" : "False") + R"(
def sinc(t):
    if t == 0: return 1.0
    t *= 3.141592
    return math.sin(t) / t
def kernel(k, x):
    a = abs(x)
    if k == 0: return (2*a - 3)*a*a + 1 if a < 1 else 0.0
    if k == 2: return 1 - a if a < 1 else 0.0
    if k == 3: return 0.75 - a*a if a < 0.5 else (0.5*(a - 1.5)**2 if a < 1.5 else 0.0)
    if k == 4: return a**3/2 - a*a + 2/3 if a < 1 else ((2 - a)**3/6 if a < 2 else 0.0)
    if k == 5: return sinc(x)*sinc(x/3) if a < 3 else 0.0
    if k == 6:
        if a < 1: return (7*a**3 - 12*a*a + 16/3)/6
        if a < 2: return (-(7/3)*a**3 + 12*a*a - 20*a + 32/3)/6
        return 0.0
    return 1.0 if -0.5 < x <= 0.5 else 0.0
support = {0: 1.0, 2: 1.0, 3: 1.5, 4: 2.0, 5: 3.0, 6: 2.0}.get(ftype, 0.5)
def contribs(n, m):
    if n == m: return [[(i, 1.0)] for i in range(m)]
    s = m / n
    width, ks = (support / s, s) if s < 1 else (support, 1.0)
    out = []
    for i in range(m):
        c = (i + 0.5) / s - 0.5
        lo = c - width
        left = math.ceil(lo) if lo >= 0 else math.floor(lo)
        right = int(c + width)
        lst = []
        for j in range(left, right + 1):
            w = ks * kernel(ftype, ks * (j - c))
            k = -j - 1 if j < 0 else j
            if k >= n: k = 2*n - k - 1
            lst.append((min(max(k, 0), n - 1), w))
        out.append(lst)
    return out
def tobyte(v):
    return 0 if v <= 0 else (255 if v + 1/512 >= 255 else int(math.floor(v + 1/512)))
def scale(img, alpha, cl):
    # img: (L, N, 3) scaled along axis 1
    L, N, _ = img.shape
    out = np.zeros((L, len(cl), 3), np.uint8); aout = np.zeros((L, len(cl)), np.uint8)
    for r in range(L):
        for i, lst in enumerate(cl):
            ws = sum(w for _, w in lst)
            if masked:
                m = sum(w * alpha[r, k] for k, w in lst)
                aout[r, i] = tobyte(m / ws) if ws != 0 else 0
                for ch in range(3):
                    num = sum(w * alpha[r, k] * img[r, k, ch] for k, w in lst)
                    out[r, i, ch] = tobyte(num / m) if m != 0 else 0
            else:
                aout[r, i] = 255
                for ch in range(3):
                    out[r, i, ch] = tobyte(sum(w * img[r, k, ch] for k, w in lst) / ws) if ws != 0 else 0
    return out, aout
img = np.fromfile('src.raw', np.uint8).reshape(sh, sw, 3).astype(float)
alpha = np.fromfile('alpha.raw', np.uint8).reshape(sh, sw).astype(float)
t, ta = scale(img, alpha, contribs(sw, tw))
t2, ta2 = scale(np.transpose(t, (1, 0, 2)).astype(float), ta.T.astype(float), contribs(sh, th))
out = np.concatenate([np.transpose(t2, (1, 0, 2)), ta2.T[..., None]], axis=2)
out.astype(np.uint8).tofile('ref.raw')
)";
      std::string output;
      ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
      const std::vector<uint8_t> ref = ReadFileBytes(dir / "ref.raw");
      ASSERT_EQ(ref.size(), size_t(c.to.w) * c.to.h * 4);
      int worst = 0;
      for (int y = 0; y < c.to.h; ++y)
        for (int x = 0; x < c.to.w; ++x) {
          const uint8_t* r = &ref[(size_t(y) * c.to.w + x) * 4];
          if (c.masked) {
            worst = std::max(worst, std::abs(GetMaskSample(result, x, y) - r[3]));
          }
          for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(GetSample(result, x, y, ch) - r[ch]));
        }
      // Single-precision weights may move a value across an integer (the
      // transcription truncates with the same 1/512 allowance).
      EXPECT_LE(worst, 1) << "filter " << filter << " " << c.from.w << "x" << c.from.h << " to " << c.to.w << "x"
                          << c.to.h;
    }
  }
}

// A picture symmetric left to right and top to bottom stays so at every
// scale: pixel centres map onto pixel centres and both edges mirror alike, so
// nothing shifts. (The box kernel is left out: a tap exactly half-way between
// two source pixels goes to the higher index, on either side of the picture.)
TEST(ResampleImage, SymmetricPicturesStaySymmetric) {
  auto makeSymmetric = [](int w, int h, bool masked) {
    const CRasterImage quarter = MakeRandomImage((w + 1) / 2, (h + 1) / 2, 24, w * 7 + h, masked);
    CRasterImage image;
    image.Create(w, h, 24);
    if (masked) image.CreateMask();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int qx = std::min(x, w - 1 - x), qy = std::min(y, h - 1 - y);
        std::memcpy(image.GetWritableBits() + y * image.GetStride() + 3 * x, quarter.GetRow(qy) + 3 * qx, 3);
        if (masked) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = quarter.GetMaskRow(qy)[qx];
      }
    return image;
  };
  const Size sources[] = {{40, 30}, {41, 27}};
  const Size targets[] = {{10, 7}, {60, 45}, {61, 40}, {160, 120}, {13, 111}, {3, 2}};
  for (const bool masked : {false, true})
    for (const Size from : sources) {
      const CRasterImage source = makeSymmetric(from.w, from.h, masked);
      for (const Size to : targets)
        for (const int filter : {FILTER_HERMITE, FILTER_TRIANGLE, FILTER_BELL, FILTER_BSPLINE, FILTER_LANCZOS3,
                                 FILTER_MITCHELL}) {
          const CRasterImage r = ResampleImage(source, to.w, to.h, filter);
          ASSERT_FALSE(r.IsEmpty());
          int asymmetric = 0;
          for (int y = 0; y < to.h; ++y)
            for (int x = 0; x < to.w; ++x) {
              const int mx = to.w - 1 - x, my = to.h - 1 - y;
              for (int ch = 0; ch < 3; ++ch) {
                const int v = GetSample(r, x, y, ch);
                if (v != GetSample(r, mx, y, ch) || v != GetSample(r, x, my, ch)) ++asymmetric;
              }
              if (masked && (GetMaskSample(r, x, y) != GetMaskSample(r, mx, y) ||
                             GetMaskSample(r, x, y) != GetMaskSample(r, x, my)))
                ++asymmetric;
            }
          EXPECT_EQ(asymmetric, 0) << "filter " << filter << " " << from.w << "x" << from.h << " to " << to.w << "x"
                                   << to.h << (masked ? " masked" : "");
        }
    }
}

// Close to ImageMagick's resize with the same kernel. Both map pixel centres
// onto pixel centres; ImageMagick's kernels and edge handling differ slightly,
// so only PSNR is compared.
TEST(ResampleImage, IsCloseToImageMagick) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const CRasterImage source = MakeSmoothPicture(240, 180);
  WritePam(dir / "in.pam", source);
  struct Named { int filter; const char* name; };
  const Named filters[] = {{FILTER_HERMITE, "Hermite"}, {FILTER_BOX, "Box"},           {FILTER_TRIANGLE, "Triangle"},
                           {FILTER_BELL, "Quadratic"},  {FILTER_BSPLINE, "Spline"},    {FILTER_LANCZOS3, "Lanczos"},
                           {FILTER_MITCHELL, "Mitchell"}};
  for (const Size t : {Size{60, 45}, Size{360, 270}}) {
    for (const Named f : filters) {
      const std::string cmd = "convert " + ShellQuote((dir / "in.pam").string()) + " -filter " + f.name + " -resize " +
                              std::to_string(t.w) + "x" + std::to_string(t.h) + "! " +
                              ShellQuote((dir / "out.pam").string());
      ASSERT_EQ(RunCommand(cmd), 0) << cmd;
      const double psnr = Psnr(ResampleImage(source, t.w, t.h, f.filter), ReadPnm(dir / "out.pam"));
      std::printf("  PSNR vs ImageMagick -filter %-9s to %dx%d: %.1f dB\n", f.name, t.w, t.h, psnr);
      EXPECT_GT(psnr, 40.0) << f.name << " to " << t.w << "x" << t.h;
    }
  }
}

// Pillow's resampler has box, triangle and Lanczos3 in common with this one
// and maps pixel centres the same way. Plain resizes agree closely (Pillow
// drops the taps outside the picture where this resampler mirrors them, and
// rounds where this one truncates); given the source padded the way this
// resampler mirrors its edges, the agreement is down to the rounding.
TEST(ResampleImage, MatchesPillow) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage source = MakeSmoothPicture(240, 180);
  WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
  struct Named { int filter; const char* name; };
  for (const bool padded : {false, true})
    for (const Named f : {Named{FILTER_BOX, "BOX"}, Named{FILTER_TRIANGLE, "BILINEAR"}, Named{FILTER_LANCZOS3, "LANCZOS"}})
      for (const Size t : {Size{60, 45}, Size{360, 270}}) {
        const std::string script = "w, h, tw, th, name, padded = 240, 180, " + std::to_string(t.w) + ", " +
                                   std::to_string(t.h) + ", '" + f.name + "', " + (padded ? "True" : "False") + R"(
import numpy as np
from PIL import Image
img = np.fromfile('src.raw', np.uint8).reshape(h, w, 3)
filt = getattr(Image.Resampling, name)
if padded:
    pad = 16
    img = np.pad(img, ((pad, pad), (pad, pad), (0, 0)), mode='symmetric')
    out = Image.fromarray(img).resize((tw, th), filt, box=(pad, pad, pad + w, pad + h))
else:
    out = Image.fromarray(img).resize((tw, th), filt)
np.asarray(out).tofile('ref.raw')
)";
        std::string output;
        ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
        const std::vector<uint8_t> ref = ReadFileBytes(dir / "ref.raw");
        CRasterImage expected;
        ASSERT_TRUE(expected.Create(t.w, t.h, 24));
        ASSERT_EQ(ref.size(), size_t(t.w) * t.h * 3);
        std::memcpy(expected.GetWritableBits(), ref.data(), ref.size());
        const double psnr = Psnr(ResampleImage(source, t.w, t.h, f.filter), expected);
        std::printf("  PSNR vs Pillow %-8s %s to %dx%d: %.1f dB\n", f.name, padded ? "(padded)" : "(plain) ", t.w,
                    t.h, psnr);
        EXPECT_GE(psnr, 45.0) << f.name << " to " << t.w << "x" << t.h << (padded ? " padded" : "");
      }
}

TEST(ResizeNearest, PicksSourceColumnsByIntegerScaling) {
  CRasterImage source;
  ASSERT_TRUE(source.Create(4, 1, 8));
  for (int x = 0; x < 4; ++x) source.GetWritableBits()[x] = uint8_t(10 * x);
  const CRasterImage half = ResizeNearest(source, 2, 1);
  ASSERT_FALSE(half.IsEmpty());
  EXPECT_EQ(half.GetRow(0)[0], 0);
  EXPECT_EQ(half.GetRow(0)[1], 20);
}

TEST(ResizeNearest, EveryDepthWithMask) {
  for (const int bpp : {1, 4, 8, 24})
    for (const bool masked : {false, true})
      for (const Size t : {Size{1, 1}, Size{3, 7}, Size{17, 9}, Size{33, 2}}) {
        const CRasterImage source = MakeRandomImage(9, 7, bpp, bpp + t.w, masked);
        const CRasterImage result = ResizeNearest(source, t.w, t.h);
        ASSERT_EQ(result.GetBitsPerPixel(), bpp);
        ASSERT_EQ(result.HasValidMask(), masked);
        if (bpp != 24) {
          EXPECT_EQ(std::memcmp(result.GetPalette(), source.GetPalette(), 4 << bpp), 0);
        }
        for (int y = 0; y < t.h; ++y)
          for (int x = 0; x < t.w; ++x) {
            const int sx = x * 9 / t.w, sy = y * 7 / t.h;
            for (int ch = 0; ch < (bpp == 24 ? 3 : 1); ++ch)
              ASSERT_EQ(GetSample(result, x, y, ch), GetSample(source, sx, sy, ch));
            ASSERT_EQ(GetMaskSample(result, x, y), GetMaskSample(source, sx, sy));
          }
      }
}

// Area reduction against numpy block means (floor) on whole blocks.
TEST(ReduceImage, WholeBlocksAreExactMeans) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case { Size from, to; };
  for (const Case c : {Case{{12, 12}, {4, 3}}, Case{{12, 12}, {6, 6}}, Case{{15, 8}, {5, 1}}, Case{{7, 7}, {1, 1}}}) {
    const CRasterImage source = MakeRandomImage(c.from.w, c.from.h, 24, c.from.w + c.to.w, true);
    WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
    WriteFileBytes(dir / "alpha.raw", imaging_test::MaskBytes(source));
    const CRasterImage result = ReduceImage(source, c.to.w, c.to.h);
    ASSERT_EQ(result.GetBitsPerPixel(), 24);
    ASSERT_TRUE(result.HasValidMask());
    const std::string script = "import numpy as np\nsw, sh, tw, th = " + std::to_string(c.from.w) + "," +
                               std::to_string(c.from.h) + "," + std::to_string(c.to.w) + "," +
                               std::to_string(c.to.h) + R"(
img = np.fromfile('src.raw', np.uint8).reshape(sh, sw, 3).astype(np.int64)
a = np.fromfile('alpha.raw', np.uint8).reshape(sh, sw, 1).astype(np.int64)
full = np.concatenate([img, a], 2)
ky, kx = sh // th, sw // tw
out = full.reshape(th, ky, tw, kx, 4).sum(axis=(1, 3)) // (kx * ky)
out.astype(np.uint8).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    const std::vector<uint8_t> ref = ReadFileBytes(dir / "ref.raw");
    for (int y = 0; y < c.to.h; ++y)
      for (int x = 0; x < c.to.w; ++x) {
        const uint8_t* r = &ref[(size_t(y) * c.to.w + x) * 4];
        for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(GetSample(result, x, y, ch), r[ch]) << x << "," << y;
        ASSERT_EQ(GetMaskSample(result, x, y), r[3]) << x << "," << y;
      }
  }
}

TEST(ReduceImage, FlatAreasKeepTheirValueAndNeverWrap) {
  struct Case { Size from, to; };
  for (const Case c : {Case{{4, 4}, {3, 3}}, Case{{100, 73}, {37, 19}}, Case{{1000, 1}, {7, 1}}, Case{{255, 257}, {254, 2}},
                       Case{{100, 10}, {20, 40}}, Case{{5, 100}, {9, 3}}, Case{{3, 3}, {3, 3}}})
    for (const int value : {255, 0, 254, 1}) {
      const CRasterImage source = MakeFlatImage(c.from.w, c.from.h, false, 0, value);
      CRasterImage white = source;
      std::memset(white.GetWritableBits(), value, size_t(white.GetStride()) * white.GetHeight());
      const CRasterImage result = ReduceImage(white, c.to.w, c.to.h);
      ASSERT_EQ(result.GetWidth(), c.to.w);
      ASSERT_EQ(result.GetHeight(), c.to.h);
      for (int y = 0; y < c.to.h; ++y)
        for (int x = 0; x < c.to.w; ++x) {
          for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(GetSample(result, x, y, ch), value);
          ASSERT_EQ(GetMaskSample(result, x, y), value);
        }
    }
}

TEST(ReduceImage, FixedPointPathWeighsStraddlingPixels) {
  // 4 -> 3: target pixels are 341/256 source pixels wide; the first target
  // takes pixel 0 whole and 85/256 of pixel 1.
  CRasterImage source;
  ASSERT_TRUE(source.Create(4, 1, 24));
  const uint8_t values[4] = {0, 255, 0, 255};
  for (int x = 0; x < 4; ++x) std::memset(source.GetWritableBits() + 3 * x, values[x], 3);
  const CRasterImage result = ReduceImage(source, 3, 1);
  ASSERT_FALSE(result.IsEmpty());
  EXPECT_EQ(result.GetRow(0)[0], 255 * 85 / 341);   // (256*0 + 85*255) / 341
  EXPECT_EQ(result.GetRow(0)[3], 255 * 170 / 341);  // 171 of pixel 1 at 255, 170 of pixel 2 at 0
}

TEST(ReduceImage, IndexedSourcesReduceThroughTheirPalette) {
  for (const int bpp : {1, 4, 8}) {
    const CRasterImage source = MakeRandomImage(16, 12, bpp, bpp, true);
    const CRasterImage result = ReduceImage(source, 5, 4);
    ASSERT_EQ(result.GetBitsPerPixel(), 24);
    EXPECT_EQ(DescribeDifference(result, ReduceImage(ToRgb(source), 5, 4)), "") << bpp;
  }
}

TEST(ReduceImage, IsCloseToImageMagickScale) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const CRasterImage source = MakeTestPicture(301, 203);
  WritePam(dir / "in.pam", source);
  for (const Size t : {Size{100, 67}, Size{32, 21}, Size{150, 101}}) {
    const std::string cmd = "convert " + ShellQuote((dir / "in.pam").string()) + " -scale " + std::to_string(t.w) +
                            "x" + std::to_string(t.h) + "! " + ShellQuote((dir / "out.pam").string());
    ASSERT_EQ(RunCommand(cmd), 0);
    const double psnr = Psnr(ReduceImage(source, t.w, t.h), ReadPnm(dir / "out.pam"));
    std::printf("  PSNR of ReduceImage vs ImageMagick -scale to %dx%d: %.1f dB\n", t.w, t.h, psnr);
    // The 1/256 fixed-point pixel width drifts by up to a few tenths of a
    // pixel towards the right and bottom edges.
    EXPECT_GT(psnr, 33.0);
  }
}

// ---- frame scaling --------------------------------------------------------

std::vector<CAnimFrame> MakeFrames() {
  std::vector<CAnimFrame> frames(3);
  frames[0].m_image = MakeRandomImage(40, 30, 24, 1, true);
  frames[1].m_image = MakeRandomImage(20, 10, 8, 2, true);  // indexed: nearest neighbour
  frames[1].m_nLeft = 10, frames[1].m_nTop = 6;
  // frames[2] has no image
  frames[2].m_nLeft = 3;
  return frames;
}

TEST(ScaleFrames, ResultCodes) {
  std::vector<CAnimFrame> frames = MakeFrames();
  EXPECT_EQ(ScaleFrames(nullptr, 0, 40, 30, 20, 15, 1), IMAGEIO_INTERNAL_ERROR);
  EXPECT_EQ(ScaleFrames(frames.data(), 0, 40, 30, 20, 15, 1), IMAGEIO_INTERNAL_ERROR);
  EXPECT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 0, 15, 1), IMAGEIO_INTERNAL_ERROR);
  EXPECT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 20, 0, 1), IMAGEIO_INTERNAL_ERROR);
  EXPECT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 40, 30, 1), IMAGEIO_OK);
  EXPECT_TRUE(frames[0].m_image.SharesPixelsWith(MakeFrames()[0].m_image) || frames[0].m_image.GetWidth() == 40);
}

TEST(ScaleFrames, ScalesImagesAndPositions) {
  for (const int filter : {0, 1, 3}) {
    std::vector<CAnimFrame> frames = MakeFrames();
    ASSERT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 100, 15, filter), IMAGEIO_OK);
    EXPECT_EQ(frames[0].m_image.GetWidth(), 100);
    EXPECT_EQ(frames[0].m_image.GetHeight(), 15);
    EXPECT_EQ(frames[1].m_image.GetWidth(), 50);
    EXPECT_EQ(frames[1].m_image.GetHeight(), 5);
    EXPECT_EQ(frames[1].m_image.GetBitsPerPixel(), 8);
    EXPECT_EQ(frames[1].m_nLeft, 25);
    EXPECT_EQ(frames[1].m_nTop, 3);
    EXPECT_TRUE(frames[2].m_image.IsEmpty());
    EXPECT_EQ(frames[2].m_nLeft, 3);  // frames without an image stay where they are
  }
  // Filter f resamples with kernel f + 1; filter 0 is nearest neighbour.
  std::vector<CAnimFrame> frames = MakeFrames();
  ASSERT_EQ(ScaleFrames(frames.data(), 1, 40, 30, 17, 11, 4), IMAGEIO_OK);
  EXPECT_EQ(DescribeDifference(frames[0].m_image, ResampleImage(MakeFrames()[0].m_image, 17, 11, 5)), "");
  frames = MakeFrames();
  ASSERT_EQ(ScaleFrames(frames.data(), 1, 40, 30, 17, 11, 0), IMAGEIO_OK);
  EXPECT_EQ(DescribeDifference(frames[0].m_image, ResizeNearest(MakeFrames()[0].m_image, 17, 11)), "");
  // Sides never reach 0.
  frames = MakeFrames();
  ASSERT_EQ(ScaleFrames(frames.data(), 2, 40, 30, 1, 1, 2), IMAGEIO_OK);
  EXPECT_EQ(frames[1].m_image.GetWidth(), 1);
}

TEST(ScaleFrames, CancelLeavesEveryFrameAsItWasAndSaysSo) {
  const std::vector<CAnimFrame> original = MakeFrames();
  for (const int after : {0, 5, 40}) {
    std::vector<CAnimFrame> frames = original;
    g_cancelAfter = after, g_cancelCalls = 0;
    EXPECT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 400, 300, 2, CancelLater, nullptr), IMAGEIO_CANCELLED) << after;
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_TRUE(frames[i].m_image.IsEmpty() || frames[i].m_image.SharesPixelsWith(original[i].m_image));
      EXPECT_EQ(frames[i].m_nLeft, original[i].m_nLeft);
      EXPECT_EQ(frames[i].m_nTop, original[i].m_nTop);
    }
  }
}

TEST(ScaleFrames, MemoryFailureIsReportedAndChangesNothing) {
  std::vector<CAnimFrame> frames = MakeFrames();
  const std::vector<CAnimFrame> original = frames;
  EXPECT_EQ(ScaleFrames(frames.data(), 3, 40, 30, 40000, 30, 2), IMAGEIO_NO_MEMORY);
  EXPECT_TRUE(frames[0].m_image.SharesPixelsWith(original[0].m_image));
  EXPECT_TRUE(frames[1].m_image.SharesPixelsWith(original[1].m_image));
}

TEST(ShrinkFrames, ReducesOnlyWhenShrinking) {
  std::vector<CAnimFrame> frames = MakeFrames();
  EXPECT_EQ(ShrinkFrames(frames.data(), 3, 40, 30, 80, 60), IMAGEIO_OK);
  EXPECT_EQ(frames[0].m_image.GetWidth(), 40);
  EXPECT_EQ(ShrinkFrames(frames.data(), 0, 40, 30, 20, 15), IMAGEIO_INTERNAL_ERROR);
  ASSERT_EQ(ShrinkFrames(frames.data(), 3, 40, 30, 20, 15), IMAGEIO_OK);
  EXPECT_EQ(frames[0].m_image.GetWidth(), 20);
  EXPECT_EQ(frames[1].m_image.GetBitsPerPixel(), 24);
  EXPECT_EQ(frames[1].m_image.GetWidth(), 10);
  EXPECT_EQ(frames[1].m_nLeft, 5);
  // Only one side shrinking: the other grows by nearest neighbour.
  frames = MakeFrames();
  ASSERT_EQ(ShrinkFrames(frames.data(), 2, 40, 30, 20, 60), IMAGEIO_OK);
  EXPECT_EQ(frames[0].m_image.GetHeight(), 60);
}

}  // namespace

namespace {

// Every small size to every small size, each filter and depth: nothing reads
// or writes outside its planes (run under the sanitizers), sizes are right.
TEST(ResampleSweep, SmallSizesEverywhere) {
  for (int sw = 1; sw <= 5; ++sw)
    for (int sh = 1; sh <= 4; ++sh) {
      const CRasterImage rgb = MakeRandomImage(sw, sh, 24, sw * 7 + sh, true);
      const CRasterImage gray = MakeRandomImage(sw, sh, 8, sw + sh, true, true);
      const CRasterImage packed = MakeRandomImage(sw, sh, 4, sw * sh, true);
      for (int tw = 1; tw <= 6; ++tw)
        for (int th = 1; th <= 5; ++th) {
          for (const int filter : kFilters) {
            const CRasterImage a = ResampleImage(rgb, tw, th, filter);
            ASSERT_EQ(a.GetWidth(), tw);
            ASSERT_EQ(a.GetHeight(), th);
            ASSERT_TRUE(a.HasValidMask());
            ASSERT_EQ(ResampleImage(gray, tw, th, filter).GetHeight(), th);
          }
          const CRasterImage reduced = ReduceImage(packed, tw, th);
          ASSERT_EQ(reduced.GetWidth(), tw);
          ASSERT_TRUE(reduced.HasValidMask());
          ASSERT_EQ(ResizeNearest(packed, tw, th).GetHeight(), th);
        }
    }
}

TEST(ReduceImageForThumbnail, AveragesTheAreaEachPixelCovers) {
  auto SolidImage = [](int w, int h, uint8_t v) {
    CRasterImage image;
    EXPECT_TRUE(image.Create(w, h, 24));
    for (int y = 0; y < h; ++y) std::fill_n(image.GetWritableBits() + int64_t{y} * image.GetStride(), 3 * w, v);
    return image;
  };
  // Left half black, right half white: the thumbnail keeps the halves, and a
  // pixel astride an edge of stripes averages them.
  CRasterImage image = SolidImage(640, 320, 0);
  for (int y = 0; y < 320; ++y)
    for (int x = 320; x < 640; ++x) std::fill_n(image.GetWritableBits() + y * image.GetStride() + 3 * x, 3, 255);
  CRasterImage thumb = ReduceImageForThumbnail(image, 32, 16);
  ASSERT_EQ(thumb.GetWidth(), 32);
  EXPECT_EQ(thumb.GetRow(5)[0], 0);
  EXPECT_EQ(thumb.GetRow(5)[3 * 31], 255);
  CRasterImage stripes = SolidImage(64, 64, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 1; x < 64; x += 2) std::fill_n(stripes.GetWritableBits() + y * stripes.GetStride() + 3 * x, 3, 200);
  thumb = ReduceImageForThumbnail(stripes, 8, 8);
  EXPECT_EQ(thumb.GetRow(3)[3 * 3], 100);
  EXPECT_TRUE(ReduceImageForThumbnail(CRasterImage(), 8, 8).IsEmpty());
}

}  // namespace
