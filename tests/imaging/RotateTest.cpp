#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/ImageGeometry.h"
#include "imaging/PixelRect.h"
#include "imaging/Rotate.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::DescribeDifference;
using imaging_test::MakeRandomImage;
using namespace testing_support;

struct DepthCase {
  int bpp;
  bool masked;
};
const DepthCase kDepths[] = {{1, false}, {1, true}, {4, false}, {4, true},
                             {8, false}, {8, true}, {24, false}, {24, true}};
struct Size {
  int w, h;
};
const Size kSizes[] = {{1, 1}, {7, 3}, {9, 5}, {33, 17}, {8, 15}};

TEST(RotateImage, NormalizesAngles) {
  struct Case { int in, out; };
  for (const Case c : {Case{-90, 270}, Case{-1, 359}, Case{-360, 0}, Case{-361, 359}, Case{-450, 270}, Case{360, 0},
                       Case{450, 90}, Case{720, 0}, Case{17, 17}, Case{INT32_MIN, 359 - int((2147483647LL) % 360)}})
    EXPECT_EQ(NormalizeRotationAngle(c.in), c.out) << c.in;
}

// Right angles against netpbm's pamflip, exactly, at every depth with and
// without masks (the mask travels as the PAM alpha channel).
TEST(RotateImage, RightAnglesMatchPamflip) {
  REQUIRE_TOOL("pamflip");
  TempDir dir;
  struct Angle { int degrees; const char* flag; };
  const Angle angles[] = {{90, "-cw"}, {180, "-r180"}, {270, "-ccw"}, {-90, "-ccw"}};
  int seed = 1;
  for (const DepthCase d : kDepths)
    for (const Size s : kSizes) {
      const CRasterImage source = MakeRandomImage(s.w, s.h, d.bpp, seed++, d.masked);
      WritePam(dir / "in.pam", source);
      for (const Angle a : angles) {
        const CRasterImage rotated = RotateImageRightAngle(source, a.degrees);
        ASSERT_FALSE(rotated.IsEmpty());
        EXPECT_EQ(rotated.GetBitsPerPixel(), d.bpp);
        const std::string cmd = "pamflip " + std::string(a.flag) + " " + ShellQuote((dir / "in.pam").string()) +
                                " > " + ShellQuote((dir / "out.pam").string());
        ASSERT_EQ(RunCommand(cmd), 0) << cmd;
        const CRasterImage expected = ReadPnm(dir / "out.pam");
        EXPECT_EQ(CompareRgb(rotated, expected), "")
            << d.bpp << " bpp, mask " << d.masked << ", " << s.w << "x" << s.h << ", " << a.degrees;
        // RotateImage sends right angles to the exact path.
        EXPECT_EQ(DescribeDifference(RotateImage(source, a.degrees), rotated), "");
      }
    }
}

TEST(RotateImage, RightAnglesMatchImageMagick) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  int seed = 100;
  for (const DepthCase d : {DepthCase{24, true}, DepthCase{24, false}, DepthCase{8, true}, DepthCase{1, false}})
    for (const Size s : {Size{7, 3}, Size{33, 17}}) {
      const CRasterImage source = MakeRandomImage(s.w, s.h, d.bpp, seed++, d.masked);
      WritePam(dir / "in.pam", source);
      for (const int degrees : {90, 180, 270}) {
        const std::string cmd = "convert " + ShellQuote((dir / "in.pam").string()) + " -rotate " +
                                std::to_string(degrees) + " " + ShellQuote((dir / "out.pam").string());
        ASSERT_EQ(RunCommand(cmd), 0) << cmd;
        EXPECT_EQ(CompareRgb(RotateImageRightAngle(source, degrees), ReadPnm(dir / "out.pam")), "")
            << d.bpp << " bpp, " << s.w << "x" << s.h << ", " << degrees;
      }
    }
}

TEST(RotateImage, FourQuarterTurnsGiveTheInputBack) {
  int seed = 7;
  for (const DepthCase d : kDepths)
    for (const Size s : kSizes) {
      const CRasterImage source = MakeRandomImage(s.w, s.h, d.bpp, seed++, d.masked);
      for (const int step : {90, 270, -90}) {
        CRasterImage image = source;
        for (int i = 0; i < 4; ++i) image = RotateImageRightAngle(image, step);
        EXPECT_EQ(DescribeDifference(image, source), "") << d.bpp << " bpp " << s.w << "x" << s.h << " by " << step;
      }
      EXPECT_EQ(DescribeDifference(RotateImageRightAngle(RotateImageRightAngle(source, 180), 180), source), "");
    }
}

TEST(RotateImage, RightAngleRefusesOtherAnglesAndEmptySources) {
  const CRasterImage source = MakeRandomImage(5, 4, 24, 3, false);
  for (const int degrees : {0, 45, 360, 91, -1}) EXPECT_TRUE(RotateImageRightAngle(source, degrees).IsEmpty()) << degrees;
  EXPECT_TRUE(RotateImageRightAngle(CRasterImage{}, 90).IsEmpty());
  EXPECT_TRUE(RotateImage(CRasterImage{}, 17).IsEmpty());
}

// The size of the rotated corners' bounding box (before the crop).
Size CornerBox(int w, int h, int degrees) {
  const double t = NormalizeRotationAngle(degrees) * 0.01745327777777778;
  double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
  for (const auto& [x, y] : {std::pair{0.0, 0.0}, {w - 1.0, 0.0}, {0.0, h - 1.0}, {w - 1.0, h - 1.0}}) {
    const double rx = std::round(x * std::cos(t) - y * std::sin(t)), ry = std::round(x * std::sin(t) + y * std::cos(t));
    minX = std::min(minX, rx), maxX = std::max(maxX, rx), minY = std::min(minY, ry), maxY = std::max(maxY, ry);
  }
  return {int(maxX - minX + 1), int(maxY - minY + 1)};
}

TEST(RotateImage, AnyAngleKeepsTheSizeRuleAndMasksTheCorners) {
  const CRasterImage source = MakeTestPicture(60, 40);
  for (const int degrees : {1, 17, 45, 100, 200, 333, -30}) {
    const CRasterImage rotated = RotateImage(source, degrees);
    ASSERT_FALSE(rotated.IsEmpty()) << degrees;
    const Size box = CornerBox(60, 40, degrees);
    // Cropped to the opaque area: at most the box, and only the source's
    // outermost ring (which the filter leaves out) can be cropped away.
    EXPECT_LE(rotated.GetWidth(), box.w) << degrees;
    EXPECT_LE(rotated.GetHeight(), box.h) << degrees;
    EXPECT_GE(rotated.GetWidth(), box.w - 4) << degrees;
    EXPECT_GE(rotated.GetHeight(), box.h - 4) << degrees;
    ASSERT_TRUE(rotated.HasValidMask());
    EXPECT_EQ(rotated.GetBitsPerPixel(), 24);
  }
  const CRasterImage r45 = RotateImage(source, 45);
  for (const auto& [x, y] : {std::pair{0, 0}, {r45.GetWidth() - 1, 0}, {0, r45.GetHeight() - 1},
                            {r45.GetWidth() - 1, r45.GetHeight() - 1}})
    EXPECT_EQ(r45.GetMaskRow(y)[x], 0) << x << "," << y;
  EXPECT_EQ(r45.GetMaskRow(r45.GetHeight() / 2)[r45.GetWidth() / 2], 255);
}

TEST(RotateImage, MinusNinetyEqualsTwoSeventyAndZeroIsFiltered) {
  const CRasterImage source = MakeRandomImage(9, 6, 24, 5, true);
  EXPECT_EQ(DescribeDifference(RotateImage(source, -90), RotateImage(source, 270)), "");
  // 0 and 360 take the any-angle path: a mask is added, the outer ring is dropped.
  const CRasterImage zero = RotateImage(MakeTestPicture(12, 10), 0);
  ASSERT_FALSE(zero.IsEmpty());
  EXPECT_TRUE(zero.HasValidMask());
  EXPECT_EQ(DescribeDifference(zero, RotateImage(MakeTestPicture(12, 10), 360)), "");
}

TEST(RotateImage, AnyAngleKeepsTheContent) {
  // A smooth picture turned by 17 degrees and back matches the source in its
  // middle (the B-spline smooths a little).
  CRasterImage source;
  source.Create(120, 90, 24);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) {
      uint8_t* p = source.GetWritableBits() + y * source.GetStride() + 3 * x;
      p[0] = uint8_t(128 + 100 * std::sin(x / 9.0)), p[1] = uint8_t(128 + 100 * std::cos(y / 7.0)), p[2] = uint8_t(x + y);
    }
  const CRasterImage there = RotateImage(source, 17);
  const CRasterImage back = RotateImage(there, -17);
  ASSERT_FALSE(back.IsEmpty());
  // Compare the 60 x 40 middles.
  const int cx = back.GetWidth() / 2 - 30, cy = back.GetHeight() / 2 - 20;
  const CRasterImage a = CropImage(source, Rect{30, 25, 90, 65});
  CRasterImage b = CropImage(back, Rect{cx, cy, cx + 60, cy + 40});
  b.RemoveMask();
  EXPECT_GT(Psnr(a, b), 27.0);
}

// The any-angle rotation against an independent computation: scipy's cubic
// B-spline (map_coordinates without prefilter) over alpha and alpha * colour,
// the source's outer ring left out, then cropped to the opaque area.
TEST(RotateImage, AnyAngleMatchesScipyBSpline) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case { int w, h, degrees; bool masked; };
  for (const Case c : {Case{23, 17, 17, false}, Case{23, 17, 17, true}, Case{16, 21, 45, true}, Case{19, 14, 200, false},
                       Case{12, 12, 0, false}, Case{15, 9, -30, true}, Case{3, 3, 30, false}}) {
    const CRasterImage source = MakeRandomImage(c.w, c.h, 24, c.w * 100 + c.degrees, c.masked);
    WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
    std::vector<uint8_t> alpha(size_t(c.w) * c.h, 255);
    if (c.masked) alpha = imaging_test::MaskBytes(source);
    WriteFileBytes(dir / "alpha.raw", alpha);
    const CRasterImage rotated = RotateImage(source, c.degrees);
    const std::string script = R"(
import numpy as np
from scipy import ndimage
w, h, a = )" + std::to_string(c.w) + ", " + std::to_string(c.h) + ", " +
                               std::to_string(NormalizeRotationAngle(c.degrees)) + R"(
img = np.fromfile('src.raw', np.uint8).reshape(h, w, 3).astype(np.float64)
alpha = np.fromfile('alpha.raw', np.uint8).reshape(h, w).astype(np.float64)
alpha[0, :] = 0; alpha[-1, :] = 0; alpha[:, 0] = 0; alpha[:, -1] = 0
t = a * 0.01745327777777778
def rnd(v): return np.sign(v) * np.floor(np.abs(v) + 0.5)
cx = np.array([0, w - 1, 0, w - 1], float); cy = np.array([0, 0, h - 1, h - 1], float)
rx = rnd(cx * np.cos(t) - cy * np.sin(t)); ry = rnd(cx * np.sin(t) + cy * np.cos(t))
tw = int(rx.max() - rx.min() + 1); th = int(ry.max() - ry.min() + 1)
p = (360 - a) * 0.01745328888888889
j, i = np.meshgrid(np.arange(tw), np.arange(th))
dx = j - tw // 2; dy = i - th // 2
sx = dx * np.cos(p) - dy * np.sin(p) + w // 2
sy = dx * np.sin(p) + dy * np.cos(p) + h // 2
inside = (np.floor(sx) >= 0) & (np.floor(sx) < w) & (np.floor(sy) >= 0) & (np.floor(sy) < h)
def spline(plane):
    return ndimage.map_coordinates(plane, [sy, sx], order=3, prefilter=False, mode='grid-constant', cval=0.0)
A = np.floor(spline(alpha) + 1e-7)
A[~inside] = 0; A[A < 0] = 0; A = np.minimum(A, 255)
out = np.zeros((th, tw, 4), np.uint8)
out[..., 3] = A
for ch in range(3):
    S = spline(alpha * img[..., ch])
    v = np.where(A > 0, np.floor(np.minimum(S / np.maximum(A, 1) + 1e-7, 255)), 0)
    out[..., ch] = np.clip(v, 0, 255)
ys, xs = np.nonzero(out[..., 3])
out = out[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
print(out.shape[1], out.shape[0])
out.tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    int rw = 0, rh = 0;
    ASSERT_EQ(sscanf(output.c_str(), "%d %d", &rw, &rh), 2) << output;
    ASSERT_EQ(rotated.GetWidth(), rw) << c.degrees;
    ASSERT_EQ(rotated.GetHeight(), rh) << c.degrees;
    const std::vector<uint8_t> ref = ReadFileBytes(dir / "ref.raw");
    int worst = 0;
    for (int y = 0; y < rh; ++y)
      for (int x = 0; x < rw; ++x) {
        const uint8_t* r = &ref[(size_t(y) * rw + x) * 4];
        const int alphaOut = rotated.GetMaskRow(y)[x];
        worst = std::max(worst, std::abs(alphaOut - r[3]));
        if (alphaOut == 0 || r[3] == 0) continue;
        for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(rotated.GetRow(y)[3 * x + ch] - r[ch]));
      }
    EXPECT_LE(worst, 1) << c.w << "x" << c.h << " by " << c.degrees;
  }
}

// Indexed images turn by nearest neighbour: compared with a direct python
// computation of the same mapping.
TEST(RotateImage, IndexedAnyAngleMatchesNearestNeighbourMapping) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  for (const int degrees : {17, 45, 300, 1}) {
    const CRasterImage source = MakeRandomImage(21, 13, 8, degrees, true);
    WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
    WriteFileBytes(dir / "mask.raw", imaging_test::MaskBytes(source));
    const CRasterImage rotated = RotateImage(source, degrees);
    ASSERT_FALSE(rotated.IsEmpty());
    EXPECT_EQ(rotated.GetBitsPerPixel(), 8);
    EXPECT_EQ(std::memcmp(rotated.GetPalette(), source.GetPalette(), 1024), 0);
    const std::string script = R"(
import numpy as np
w, h, a = 21, 13, )" + std::to_string(degrees) + R"(
src = np.fromfile('src.raw', np.uint8).reshape(h, w)
mask = np.fromfile('mask.raw', np.uint8).reshape(h, w)
t = a * 0.01745327777777778
def rnd(v): return (np.sign(v) * np.floor(np.abs(v) + 0.5)).astype(int)
cx = np.array([0, w - 1, 0, w - 1], float); cy = np.array([0, 0, h - 1, h - 1], float)
rx = rnd(cx * np.cos(t) - cy * np.sin(t)); ry = rnd(cx * np.sin(t) + cy * np.cos(t))
tw = rx.max() - rx.min() + 1; th = ry.max() - ry.min() + 1
x, y = np.meshgrid(np.arange(tw) + rx.min(), np.arange(th) + ry.min())
sx = rnd(x * np.cos(t) + y * np.sin(t)); sy = rnd(y * np.cos(t) - x * np.sin(t))
inside = (sx >= 0) & (sx < w) & (sy >= 0) & (sy < h)
pix = np.where(inside, src[np.clip(sy, 0, h - 1), np.clip(sx, 0, w - 1)], 0).astype(np.uint8)
m = np.where(inside, mask[np.clip(sy, 0, h - 1), np.clip(sx, 0, w - 1)], 0).astype(np.uint8)
ys, xs = np.nonzero(m)
pix = pix[ys.min():ys.max() + 1, xs.min():xs.max() + 1]; m = m[ys.min():ys.max() + 1, xs.min():xs.max() + 1]
print(pix.shape[1], pix.shape[0])
np.stack([pix, m], -1).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    int rw = 0, rh = 0;
    ASSERT_EQ(sscanf(output.c_str(), "%d %d", &rw, &rh), 2) << output;
    ASSERT_EQ(rotated.GetWidth(), rw);
    ASSERT_EQ(rotated.GetHeight(), rh);
    const std::vector<uint8_t> ref = ReadFileBytes(dir / "ref.raw");
    for (int y = 0; y < rh; ++y)
      for (int x = 0; x < rw; ++x) {
        const uint8_t* r = &ref[(size_t(y) * rw + x) * 2];
        ASSERT_EQ(imaging_test::GetMaskSample(rotated, x, y) ? 255 : 0, r[1]) << x << "," << y << " by " << degrees;
        if (r[1]) {
          ASSERT_EQ(rotated.GetRow(y)[x], r[0]) << x << "," << y << " by " << degrees;
        }
      }
  }
}

TEST(RotateImage, TinyAndHugeSources) {
  for (const int bpp : {1, 4, 8, 24})
    for (const Size s : {Size{1, 1}, Size{1, 9}, Size{9, 1}, Size{2, 2}})
      for (const int degrees : {1, 17, 45, 90, 135, 359}) {
        const CRasterImage source = MakeRandomImage(s.w, s.h, bpp, 9, bpp != 24);
        const CRasterImage rotated = RotateImage(source, degrees);
        // 24-bit sources of side <= 2 have no inner pixels: nothing stays opaque.
        if (!rotated.IsEmpty()) {
          EXPECT_TRUE(rotated.HasValidMask() || degrees % 90 == 0);
        }
      }
  // A turn whose bounding box passes the byte budget is refused before allocating.
  CRasterImage square;
  ASSERT_TRUE(square.Create(1000, 1000, 8));
  const int64_t budget = GetImageByteBudget();
  SetImageByteBudget(1200000);
  EXPECT_TRUE(RotateImage(square, 45).IsEmpty());
  EXPECT_FALSE(RotateImage(square, 90).IsEmpty());
  SetImageByteBudget(budget);
}

}  // namespace

namespace {

TEST(RotateSweep, SmallSizesEveryDepthManyAngles) {
  for (const int bpp : {1, 4, 8, 24})
    for (int w = 1; w <= 6; ++w)
      for (int h = 1; h <= 5; ++h) {
        const CRasterImage source = MakeRandomImage(w, h, bpp, w * 10 + h, (w + h) % 2 == 0);
        for (int degrees = -370; degrees <= 370; degrees += 37) {
          const CRasterImage rotated = RotateImage(source, degrees);
          if (rotated.IsEmpty()) continue;
          ASSERT_EQ(rotated.GetBitsPerPixel(), bpp);
          ASSERT_LE(rotated.GetWidth(), w + h + 1);
          ASSERT_LE(rotated.GetHeight(), w + h + 1);
        }
      }
}

}  // namespace
