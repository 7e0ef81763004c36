// The drop shadow against numpy: the shape softened by the separable
// Gaussian (tap tables, edge repetition, division by the weight sum), scaled
// by the opacity, filled with the colour, moved by the offset and composed
// under the selection over the union of both, with the shifts.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imaging/DropShadow.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::MakeRandomImage;
using namespace testing_support;

// Rows without their padding: 3 bytes a pixel, and the 8-bit mask.
std::vector<uint8_t> ColorRows(const CRasterImage& image) {
  std::vector<uint8_t> out;
  for (int y = 0; y < image.GetHeight(); ++y) out.insert(out.end(), image.GetRow(y), image.GetRow(y) + 3 * image.GetWidth());
  return out;
}
std::vector<uint8_t> AlphaRows(const CRasterImage& image) {
  std::vector<uint8_t> out;
  for (int y = 0; y < image.GetHeight(); ++y) {
    if (image.HasValidMask())
      out.insert(out.end(), image.GetMaskRow(y), image.GetMaskRow(y) + image.GetWidth());
    else
      out.insert(out.end(), static_cast<size_t>(image.GetWidth()), 255);
  }
  return out;
}

const char* const kOracle = R"(
import math
import numpy as np
src = np.fromfile('src.raw', np.uint8).reshape(h, w, 3).astype(np.int64)
sa = np.fromfile('srca.raw', np.uint8).reshape(h, w).astype(np.int64)
W, H = w + 110, h + 110
base = np.zeros((H, W), np.int64)
base[55:55 + h, 55:55 + w] = sa

def weight(x, r):
    half = r / 2
    if abs(x) > half or half <= 0:
        return 0.0
    q = x / half
    return math.exp(-q * q) * math.exp(-q * q)

def smooth(plane, r, axis):
    half = math.ceil((r - 1) * 0.5)
    half = half if half > 0 else 0
    ws = [weight(i - half, r) for i in range(2 * half + 1)]
    total = sum(ws)
    pad = [(0, 0), (0, 0)]
    pad[axis] = (half, half)
    p = np.pad(plane, pad, mode='edge')
    e = np.zeros(plane.shape, np.int64)
    n = plane.shape[axis]
    for i, wt in enumerate(ws):
        prod = np.arange(256) * wt
        table = np.where(prod <= 0, 0, np.where(prod >= 255, 255, np.trunc(prod))).astype(np.int64)
        part = p[:, i:i + n] if axis == 1 else p[i:i + n, :]
        e += table[part]
    v = e.astype(np.float64)
    if total != 0:
        v = np.trunc(v / total)
    return np.clip(v, 0, 255).astype(np.int64)

alpha = smooth(smooth(base, s, 1), s, 0) if s > 0 else base.copy()
alpha = np.minimum(255, (op * alpha) // 100)
ys, xs = np.nonzero(alpha)
if len(ys) == 0:
    open('ref.txt', 'w').write('none')
    raise SystemExit
L = min(xs.min() + 100 + dx, 155); T = min(ys.min() + 100 + dy, 155)
R = max(xs.max() + 1 + 100 + dx, 155 + w); B = max(ys.max() + 1 + 100 + dy, 155 + h)
UW, UH = R - L, B - T
# the selection on top (colour 0 where transparent), the shadow under it
at = np.zeros((UH, UW), np.int64); ct = np.zeros((UH, UW, 3), np.int64)
oy, ox = 155 - T, 155 - L
at[oy:oy + h, ox:ox + w] = sa
ct[oy:oy + h, ox:ox + w] = np.where(sa[:, :, None] > 0, src, 0)
ab = np.zeros((UH, UW), np.int64); cb = np.zeros((UH, UW, 3), np.int64)
sy, sx = 100 + dy - T, 100 + dx - L
y0, y1 = max(sy, 0), min(sy + H, UH); x0, x1 = max(sx, 0), min(sx + W, UW)
ab[y0:y1, x0:x1] = alpha[y0 - sy:y1 - sy, x0 - sx:x1 - sx]
cb[y0:y1, x0:x1] = np.where(ab[y0:y1, x0:x1, None] > 0, np.array(colour), 0)
A = at + ab - (at * ab) // 255
num = ct * at[:, :, None] + cb * ab[:, :, None] - ((at * ab)[:, :, None] * cb) // 255
C = np.where((A > 0)[:, :, None], num // np.maximum(A, 1)[:, :, None], 0)
C = np.where((at == 0)[:, :, None], cb, np.where((ab == 0)[:, :, None], ct, C))
A = np.where(at == 0, ab, np.where(ab == 0, at, A))
C.astype(np.uint8).tofile('ref.raw')
A.astype(np.uint8).tofile('refa.raw')
open('ref.txt', 'w').write('%d %d %d %d' % (UW, UH, L - 155, T - 155))
)";

struct Case {
  int xOffset, yOffset, opacity, softness;
};

TEST(DropShadow, MatchesNumpy) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  for (const bool masked : {true, false}) {
    const CRasterImage source = MakeRandomImage(masked ? 23 : 15, masked ? 17 : 9, 24, masked ? 5 : 6, masked);
    const int w = source.GetWidth(), h = source.GetHeight();
    WriteFileBytes(dir / "src.raw", ColorRows(source));
    WriteFileBytes(dir / "srca.raw", AlphaRows(source));
    for (const Case& c : {Case{0, 0, 100, 0}, Case{10, 10, 100, 0}, Case{-10, -10, 50, 10}, Case{7, -3, 80, 55},
                          Case{60, 70, 30, 5}, Case{-100, 100, 100, 1}, Case{3, 4, 0, 10}, Case{0, 0, 1, 2}}) {
      DROP_SHADOW_PARAMS params;
      params.xOffset = c.xOffset;
      params.yOffset = c.yOffset;
      params.opacity = c.opacity;
      params.softness = c.softness;
      params.red = 200;
      params.green = 40;
      params.blue = 90;
      int dx = 1, dy = 1;
      const CRasterImage out = AddDropShadow(source, params, &dx, &dy);
      const std::string head = "w, h, dx, dy, op, s = " + std::to_string(w) + ", " + std::to_string(h) + ", " +
                               std::to_string(c.xOffset) + ", " + std::to_string(c.yOffset) + ", " +
                               std::to_string(c.opacity) + ", " + std::to_string(c.softness) +
                               "\ncolour = [200, 40, 90]\n";
      std::string output;
      ASSERT_EQ(imaging_test::RunPython(dir, head + kOracle, &output), 0) << output;
      const std::vector<uint8_t> text = ReadFileBytes(dir / "ref.txt");
      const std::string ref(text.begin(), text.end());
      const std::string name = std::to_string(masked) + " " + head;
      if (ref == "none") {
        EXPECT_TRUE(out.IsEmpty()) << name;
        EXPECT_EQ(dx, 0);
        continue;
      }
      ASSERT_FALSE(out.IsEmpty()) << name;
      EXPECT_EQ(std::to_string(out.GetWidth()) + " " + std::to_string(out.GetHeight()) + " " + std::to_string(dx) +
                    " " + std::to_string(dy),
                ref)
          << name;
      EXPECT_EQ(ColorRows(out), ReadFileBytes(dir / "ref.raw")) << name;
      EXPECT_EQ(AlphaRows(out), ReadFileBytes(dir / "refa.raw")) << name;
    }
  }
}

// The sizes and shifts of the edge cases, worked out by hand.
TEST(DropShadow, SizesAndShifts) {
  const CRasterImage source = MakeRandomImage(20, 12, 24, 2, false);
  DROP_SHADOW_PARAMS p;
  p.opacity = 100;
  p.softness = 0;
  int dx = 0, dy = 0;
  CRasterImage out = AddDropShadow(source, p, &dx, &dy);
  EXPECT_EQ(out.GetWidth(), 20);
  EXPECT_EQ(out.GetHeight(), 12);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  p.xOffset = p.yOffset = 10;
  out = AddDropShadow(source, p, &dx, &dy);
  EXPECT_EQ(out.GetWidth(), 30);
  EXPECT_EQ(out.GetHeight(), 22);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  // A rectangle without a mask casts a rectangular shadow: opaque corner of the shadow.
  EXPECT_EQ(out.GetMaskRow(21)[29], 255);
  EXPECT_EQ(out.GetMaskRow(0)[29], 0);
  p.xOffset = p.yOffset = -10;
  out = AddDropShadow(source, p, &dx, &dy);
  EXPECT_EQ(dx, -10);
  EXPECT_EQ(dy, -10);
  p.opacity = 0;
  EXPECT_TRUE(AddDropShadow(source, p, &dx, &dy).IsEmpty());
  // Softness 0 at 50 %: the hard shape times the opacity.
  p.opacity = 50;
  p.xOffset = 30;
  p.yOffset = 0;
  out = AddDropShadow(source, p, &dx, &dy);
  EXPECT_EQ(out.GetMaskRow(5)[45], 127);
  EXPECT_TRUE(AddDropShadow(MakeRandomImage(8, 8, 8, 1, false, true), p, &dx, &dy).IsEmpty());  // 24-bit only
}

TEST(DropShadow, GaussianKernel) {
  const CGaussianKernel k(10);
  EXPECT_DOUBLE_EQ(k.GetWidth(), 10);
  EXPECT_DOUBLE_EQ(k.Evaluate(0), 1.0);
  EXPECT_NEAR(k.Evaluate(3), std::exp(-8.0 * 9 / 100), 1e-15);
  EXPECT_EQ(k.Evaluate(5.01), 0.0);
}

}  // namespace
