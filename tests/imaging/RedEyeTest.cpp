// Remove Red Eye: the pupil arithmetic against the same formulas evaluated by
// numpy, the pixels outside the pupil square untouched, the zoom and pupil
// size helpers of the panel.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/Effects.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::MakeRandomImage;
using imaging_test::PixelBytes;
using namespace testing_support;

Rect MakeRect(int l, int t, int r, int b) {
  Rect rect;
  rect.left = l;
  rect.top = t;
  rect.right = r;
  rect.bottom = b;
  return rect;
}

// Every pupil square, whole or partly outside the image, small or large,
// over a random 24-bit picture with and without an alpha mask.
TEST(RedEye, MatchesNumpyForEveryPupil) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const int w = 37, h = 29;
  for (const bool masked : {false, true}) {
    const CRasterImage source = MakeRandomImage(w, h, 24, masked ? 11 : 12, masked);
    WriteFileBytes(dir / "src.raw", PixelBytes(source));
    for (const Rect& pupil : {RedEyePupilRect(18, 14, 10, 100), RedEyePupilRect(0, 0, 12, 100),
                              RedEyePupilRect(36, 28, 7, 100), RedEyePupilRect(-3, 10, 8, 100),
                              RedEyePupilRect(20, 5, 0, 100), RedEyePupilRect(20, 5, 1, 100),
                              RedEyePupilRect(18, 14, 40, 100), RedEyePupilRect(10, 20, 5, 60),
                              MakeRect(100, 100, 111, 111)}) {
      int result = -1;
      const CRasterImage out = RemoveRedEye(source, pupil, &result);
      ASSERT_EQ(result, IMAGEIO_OK);
      const std::string script = "import numpy as np\nW, H, S = " + std::to_string(w) + ", " + std::to_string(h) +
                                 ", " + std::to_string(source.GetStride()) + "\nL, T, R, B = " +
                                 std::to_string(pupil.left) + ", " + std::to_string(pupil.top) + ", " +
                                 std::to_string(pupil.right) + ", " + std::to_string(pupil.bottom) + R"(
raw = np.fromfile('src.raw', np.uint8).reshape(H, S)
img = raw[:, :W * 3].reshape(H, W, 3).astype(np.float64)
m = R - L - 1
c = m / 2
o = (m - 1) / 2
inner, outer = (o - 1) ** 2, (o + 1) ** 2
ii, jj = np.mgrid[0:B - T, 0:R - L]
y, x = T + ii, L + jj
d = (ii - c) ** 2 + (jj - c) ** 2
ok = (y >= 0) & (y < H) & (x >= 0) & (x < W) & (d <= outer)
yy, xx, dd = y[ok], x[ok], d[ok]
px = img[yy, xx]
mn = px.min(axis=1)[:, None]
t = (1 - (dd - inner) / (outer - inner))[:, None]
mixed = np.clip(np.trunc(t * mn + (1 - t) * px), 0, 255)
img[yy, xx] = np.where((dd <= inner)[:, None], mn, mixed)
raw[:, :W * 3] = img.astype(np.uint8).reshape(H, W * 3)
raw.tofile('ref.raw')
)";
      std::string output;
      ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
      EXPECT_EQ(PixelBytes(out), ReadFileBytes(dir / "ref.raw"))
          << masked << " " << pupil.left << "," << pupil.top << "," << pupil.right << "," << pupil.bottom;
      EXPECT_EQ(imaging_test::MaskBytes(out), imaging_test::MaskBytes(source));
    }
  }
}

// A red disc on a green field: the disc's centre becomes gray, the
// field outside the square keeps its bytes and buffers are shared while
// nothing changes.
TEST(RedEye, ChangesOnlyThePupilSquare) {
  CRasterImage image;
  ASSERT_TRUE(image.Create(40, 30, 24));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + x * 3;
      const bool red = (x - 20) * (x - 20) + (y - 15) * (y - 15) <= 36;
      p[0] = red ? 220 : 50;  // red
      p[1] = red ? 20 : 200;  // green
      p[2] = red ? 30 : 40;   // blue
    }
  const Rect pupil = RedEyePupilRect(20, 15, 8, 100);  // a = 8
  const CRasterImage out = RemoveRedEye(image, pupil);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const uint8_t* a = image.GetRow(y) + x * 3;
      const uint8_t* b = out.GetRow(y) + x * 3;
      const bool inside = x >= pupil.left && x < pupil.right && y >= pupil.top && y < pupil.bottom;
      if (!inside) {
        EXPECT_TRUE(a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) << x << "," << y;
      }
    }
  const uint8_t* centre = out.GetRow(15) + 20 * 3;
  EXPECT_EQ(centre[0], 20);
  EXPECT_EQ(centre[1], 20);
  EXPECT_EQ(centre[2], 20);
  // Entirely outside: nothing written, the buffer still shared.
  const CRasterImage away = RemoveRedEye(image, MakeRect(-50, -50, -30, -30));
  EXPECT_TRUE(away.SharesPixelsWith(image));
}

TEST(RedEye, OnlyFullColor) {
  for (const int bpp : {1, 4, 8}) {
    int result = 0;
    EXPECT_TRUE(RemoveRedEye(MakeRandomImage(8, 8, bpp, 3, false, bpp == 8), RedEyePupilRect(4, 4, 2, 100), &result)
                    .IsEmpty())
        << bpp;
    EXPECT_EQ(result, IMAGEIO_BAD_COLOR_MODE);
  }
}

TEST(RedEye, ZoomAndPupilOfThePanel) {
  EXPECT_EQ(RedEyeZoomPercent(0), 10);
  EXPECT_EQ(RedEyeZoomPercent(50), 100);
  EXPECT_EQ(RedEyeZoomPercent(51), 106);
  EXPECT_EQ(RedEyeZoomPercent(100), 400);
  EXPECT_EQ(RedEyeZoomPercent(25), 55);
  // Pupil 10 on a control whose smaller side is 200 at 100 %: 41 pixels wide.
  const int s = RedEyePupilScreenSize(260, 200, 10);
  EXPECT_EQ(s, 20);
  const Rect r = RedEyePupilRect(50, 60, s, 100);
  EXPECT_EQ(r.right - r.left, 41);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.bottom, 81);
  // At 400 % the same mark covers a quarter of the pixels.
  EXPECT_EQ(RedEyePupilRect(50, 60, s, 400).right - RedEyePupilRect(50, 60, s, 400).left, 11);
  EXPECT_EQ(RedEyePupilScreenSize(100, 100, 0), 1);  // pupil clamped to 1..100
}

}  // namespace
