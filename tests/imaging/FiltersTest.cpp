#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imaging/Filters.h"
#include "tests/imaging/FiltersTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using imaging_test::DescribeDifference;
using imaging_test::GetSample;
using imaging_test::MakeFlatImage;
using imaging_test::MakeRandomImage;
using namespace testing_support;

std::string IntList(const int* values, int count) {
  std::string s = "[";
  for (int i = 0; i < count; ++i) s += (i ? "," : "") + std::to_string(values[i]);
  return s + "]";
}

std::vector<uint8_t> Channel(const std::vector<uint8_t>& bytes, int channels, int c) {
  std::vector<uint8_t> out;
  for (size_t i = c; i < bytes.size(); i += channels) out.push_back(bytes[i]);
  return out;
}

// ---- convolution ----------------------------------------------------------

TEST(Convolution, PresetsLeaveUniformImagesUnchanged) {
  for (const bool gray : {false, true})
    for (int type = 1; type <= 4; ++type) {
      const CRasterImage source = MakeFlatImage(9, 6, gray, 90);
      EXPECT_EQ(DescribeDifference(ApplyPresetFilter(source, type), source), "") << type;
    }
  EXPECT_TRUE(ApplyPresetFilter(MakeFlatImage(4, 4, false, 1), 0).IsEmpty());
  EXPECT_TRUE(ApplyPresetFilter(MakeFlatImage(4, 4, false, 1), 5).IsEmpty());
}

TEST(Convolution, RefusesIndexedImages) {
  for (const int bpp : {1, 4, 8}) EXPECT_TRUE(ApplyPresetFilter(MakeRandomImage(6, 6, bpp, 1, false), 1).IsEmpty());
  EXPECT_TRUE(ApplyPresetFilter(CRasterImage{}, 1).IsEmpty());
  EXPECT_FALSE(ApplyPresetFilter(MakeRandomImage(6, 6, 8, 1, false, true), 1).IsEmpty());
}

// Against scipy.ndimage.correlate with edge clamping ('nearest') and the
// stated rounding, for the presets and a full 5 x 5 kernel with an offset.
TEST(Convolution, MatchesScipyCorrelate) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case { int kernel[25]; int divisor, offset; };
  std::vector<Case> cases;
  for (int type = 1; type <= 4; ++type) {
    static const int presets[4][9] = {{0, -1, 0, -1, 8, -1, 0, -1, 0}, {-1, -1, -1, -1, 12, -1, -1, -1, -1},
                                      {0, 1, 0, 1, 4, 1, 0, 1, 0}, {1, 1, 1, 1, 2, 1, 1, 1, 1}};
    Case c{{}, type <= 2 ? 4 : (type == 3 ? 8 : 10), 0};
    for (int i = 0; i < 9; ++i) c.kernel[(i / 3 + 1) * 5 + i % 3 + 1] = presets[type - 1][i];
    cases.push_back(c);
  }
  cases.push_back(Case{{1, -2, 3, 0, 5, -1, 4, 0, 2, 1, 0, 3, -7, 2, 0, 1, 1, 1, -3, 2, 5, 0, -1, 2, 1}, 7, 10});
  cases.push_back(Case{{0, 0, 0, 0, 0, 0, 1, 2, 1, 0, 0, 2, -4, 2, 0, 0, 1, 2, 1, 0, 0, 0, 0, 0, 0}, -3, 128});
  for (const bool gray : {false, true}) {
    const CRasterImage source = gray ? MakeRandomImage(9, 8, 8, 3, false, true) : MakeRandomImage(11, 7, 24, 4, false);
    const int channels = gray ? 1 : 3;
    WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
    for (const Case& c : cases) {
      const CRasterImage result = ConvolveImage(source, c.kernel, c.divisor, c.offset);
      ASSERT_FALSE(result.IsEmpty());
      const std::string script = "import numpy as np\nfrom scipy import ndimage\nw, h, ch = " +
                                 std::to_string(source.GetWidth()) + "," + std::to_string(source.GetHeight()) + "," +
                                 std::to_string(channels) + "\nk = np.array(" + IntList(c.kernel, 25) +
                                 ").reshape(5, 5)\nd, off = " + std::to_string(c.divisor) + "," +
                                 std::to_string(c.offset) + R"(
img = np.fromfile('src.raw', np.uint8).reshape(h, w, ch).astype(np.int64)
out = np.zeros_like(img)
half = int(d / 2)
for c in range(ch):
    s = ndimage.correlate(img[..., c], k, mode='nearest') + half
    q = np.sign(s) * np.sign(d) * (np.abs(s) // abs(d))
    out[..., c] = np.clip(off + q, 0, 255)
out.astype(np.uint8).tofile('ref.raw')
)";
      std::string output;
      ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
      EXPECT_EQ(imaging_test::PixelBytes(result), ReadFileBytes(dir / "ref.raw")) << "divisor " << c.divisor;
    }
  }
}

TEST(Convolution, MaskedPixelsBecomeZeroAndMaskedNeighboursCountAsTheCentre) {
  CRasterImage source = MakeFlatImage(5, 5, false, 100, 255);
  uint8_t* bits = source.GetWritableBits();
  // Pixel (2, 1) is bright and transparent.
  std::memset(bits + 1 * source.GetStride() + 3 * 2, 250, 3);
  source.GetWritableMaskBits()[1 * source.GetMaskStride() + 2] = 0;
  const CRasterImage result = ApplyPresetFilter(source, PRESET_SHARPEN);
  ASSERT_FALSE(result.IsEmpty());
  EXPECT_EQ(GetSample(result, 2, 1, 0), 0);
  // Its neighbour below sees the centre's own value in its place: no halo.
  EXPECT_EQ(GetSample(result, 2, 2, 0), GetSample(source, 2, 2, 0));
  EXPECT_EQ(GetSample(result, 2, 2, 1), GetSample(source, 2, 2, 1));
  // The mask is shared, not changed.
  EXPECT_EQ(result.GetMaskRow(1)[2], 0);
  // Gray images use their 1-bit mask the same way.
  CRasterImage gray = MakeFlatImage(4, 4, true, 60, 1);
  SetPixel1(gray.GetWritableMaskBits() + gray.GetMaskStride(), 1, 0);
  gray.GetWritableBits()[gray.GetStride() + 1] = 255;
  const CRasterImage g = ApplyPresetFilter(gray, PRESET_SHARPEN_MORE);
  EXPECT_EQ(GetSample(g, 1, 1), 0);
  EXPECT_EQ(GetSample(g, 2, 1), 60);
}

int g_rows = 0;
int g_cancelAt = 0;
bool CancelAtRow() { return ++g_rows > g_cancelAt; }
std::vector<std::pair<int, int>> g_progress;
void Progress(int done, int total) { g_progress.emplace_back(done, total); }

TEST(Convolution, CancelGivesNothingAndProgressCountsRows) {
  const CRasterImage source = MakeRandomImage(8, 6, 24, 1, false);
  g_rows = 0, g_cancelAt = 2;
  EXPECT_TRUE(ApplyPresetFilter(source, 1, nullptr, CancelAtRow).IsEmpty());
  EXPECT_EQ(g_rows, 3);
  g_progress.clear();
  g_rows = 0, g_cancelAt = 100;
  EXPECT_FALSE(ApplyPresetFilter(source, 1, Progress, CancelAtRow).IsEmpty());
  ASSERT_EQ(g_progress.size(), 6u);
  EXPECT_EQ(g_progress.back(), std::make_pair(5, 6));
}

// ---- separable filter -----------------------------------------------------

class CTestGaussian : public CFilterKernel {
 public:
  explicit CTestGaussian(double r) : m_r(r) {}
  double GetWidth() const override { return m_r; }
  double Evaluate(double x) const override { return std::fabs(x) > m_r / 2 ? 0.0 : std::exp(-8 * x * x / (m_r * m_r)); }

 private:
  double m_r;
};

TEST(SeparableFilter, MatchesATableDrivenTranscription) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage source = MakeRandomImage(13, 9, 24, 5, false);
  WriteFileBytes(dir / "src.raw", Channel(imaging_test::PixelBytes(source), 3, 1));
  for (const double r : {1.0, 4.0, 7.5, 30.0}) {
    CRasterImage image = source;
    uint8_t* bits = image.GetWritableBits();
    SeparableFilter(bits + 1, bits + 1, 13, 9, 3, image.GetStride(), CTestGaussian(r), CTestGaussian(r));
    const std::string script = "import math\nimport numpy as np\nw, h, r = 13, 9, " + std::to_string(r) + R"(
img = np.fromfile('src.raw', np.uint8).reshape(h, w).astype(np.int64)
half = max(0, math.ceil((r - 1) * 0.5))
ws = [0.0 if abs(i - half) > r / 2 else math.exp(-8 * (i - half) ** 2 / (r * r)) for i in range(2 * half + 1)]
S = sum(ws)
def tap(v, wt):
    p = v * wt
    return np.where(p <= 0, 0, np.where(p >= 255, 255, np.floor(p))).astype(np.int64)
def one(plane):
    n = plane.shape[1]
    out = np.zeros_like(plane)
    for x in range(n):
        e = sum(tap(plane[:, min(max(x - half + i, 0), n - 1)], ws[i]) for i in range(len(ws)))
        out[:, x] = np.clip(np.trunc(e / S) if S != 0 else e, 0, 255)
    return out
res = one(one(img).T).T
res.astype(np.uint8).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    EXPECT_EQ(Channel(imaging_test::PixelBytes(image), 3, 1), ReadFileBytes(dir / "ref.raw")) << r;
    // The other channels are untouched.
    EXPECT_EQ(Channel(imaging_test::PixelBytes(image), 3, 0), Channel(imaging_test::PixelBytes(source), 3, 0));
  }
}

// ---- box blur -------------------------------------------------------------

TEST(BoxBlur, RowOfWhiteWithoutRepeatedEdges) {
  uint8_t row[3] = {255, 255, 255};
  BoxBlur(row, 3, 1, 1, 3, 1, DIRECTION_HORIZONTAL, false);
  EXPECT_EQ(row[0], 170);
  EXPECT_EQ(row[1], 255);
  EXPECT_EQ(row[2], 170);
  uint8_t same[3] = {255, 255, 255};
  BoxBlur(same, 3, 1, 1, 3, 1, DIRECTION_HORIZONTAL, true);
  EXPECT_EQ(same[0], 255);
  BoxBlur(same, 3, 1, 1, 3, 0, DIRECTION_HORIZONTAL, false);  // radius 0: nothing
  EXPECT_EQ(same[0], 255);
}

// Against running sums computed by numpy (integer window sums over padded
// lines, floor division), every direction, both edge rules, radii from 1 to
// beyond the image.
TEST(BoxBlur, MatchesNumpyWindowSums) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const int w = 13, h = 9;
  const CRasterImage source = MakeRandomImage(w, h, 24, 8, false);
  WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
  for (const int direction : {1, 2, 3})
    for (const bool repeat : {false, true})
      for (const int r : {1, 3, 20, 40000}) {  // the last one takes the 64-bit path
        CRasterImage image = source;
        ASSERT_TRUE(BlurImage(image, r, direction, repeat));
        const std::string script = "import numpy as np\nw, h, r, d, rep = " + std::to_string(w) + "," +
                                   std::to_string(h) + "," + std::to_string(r) + "," + std::to_string(direction) +
                                   "," + (repeat ? "True" : "False") + R"(
img = np.fromfile('src.raw', np.uint8).reshape(h, w, 3).astype(np.int64)
def blur(a, axis):
    a = np.moveaxis(a, axis, 0)
    pad = np.pad(a, [(r, r)] + [(0, 0)] * (a.ndim - 1), mode='edge' if rep else 'constant')
    c = np.concatenate([np.zeros((1,) + a.shape[1:], np.int64), np.cumsum(pad, axis=0)])
    s = c[2 * r + 1:] - c[:-2 * r - 1]
    return np.moveaxis(s // (2 * r + 1), 0, axis)
if d & 2: img = blur(img, 1)
if d & 1: img = blur(img, 0)
img.astype(np.uint8).tofile('ref.raw')
)";
        std::string output;
        ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
        EXPECT_EQ(imaging_test::PixelBytes(image), ReadFileBytes(dir / "ref.raw"))
            << "direction " << direction << " repeat " << repeat << " radius " << r;
      }
}

TEST(BoxBlur, OneChannelPlanesBlurLikeEachChannelOfThree) {
  const CRasterImage gray = MakeRandomImage(37, 21, 8, 6, false, true);
  CRasterImage rgb;
  ASSERT_TRUE(rgb.Create(37, 21, 24));
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x) std::memset(rgb.GetWritableBits() + y * rgb.GetStride() + 3 * x, gray.GetRow(y)[x], 3);
  for (const int direction : {1, 2, 3})
    for (const int r : {1, 4, 40, 40000}) {
      CRasterImage a = gray, b = rgb;
      ASSERT_TRUE(BlurImage(a, r, direction, r % 2 == 0));
      ASSERT_TRUE(BlurImage(b, r, direction, r % 2 == 0));
      for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(GetSample(a, x, y), GetSample(b, x, y, 1)) << direction << " " << r;
    }
}

TEST(BlurImage, RefusesWhatItCannotBlur) {
  CRasterImage empty;
  EXPECT_FALSE(BlurImage(empty, 2, 3, true));
  CRasterImage rgb = MakeRandomImage(5, 5, 24, 1, true);
  EXPECT_FALSE(BlurImage(rgb, 0, 3, true));
  for (const int bpp : {1, 4, 8}) {
    CRasterImage indexed = MakeRandomImage(5, 5, bpp, 1, false);
    EXPECT_FALSE(BlurImage(indexed, 2, 3, true));
  }
  CRasterImage gray = MakeRandomImage(5, 5, 8, 1, true, true);
  const CRasterImage before = gray;
  EXPECT_TRUE(BlurImage(gray, 2, 3, true));
  EXPECT_FALSE(gray.SharesPixelsWith(before));  // copy on write: the original stays
  EXPECT_EQ(gray.GetMaskBits(), before.GetMaskBits());
  // A flat image stays flat, whatever the radius.
  CRasterImage flat = MakeFlatImage(40, 30, false, 77);
  const CRasterImage flatBefore = flat;
  EXPECT_TRUE(BlurImage(flat, 1000, 3, true));
  EXPECT_EQ(DescribeDifference(flat, flatBefore), "");
}

// ---- feather --------------------------------------------------------------

TEST(FeatherMask, FadesRunsAtBothEnds) {
  std::vector<uint8_t> row(12, 255);
  FeatherMask(row.data(), 12, 1, 12, 4, DIRECTION_HORIZONTAL);
  const std::vector<uint8_t> expected = {15, 79, 143, 207, 255, 255, 255, 255, 255, 191, 127, 63};
  EXPECT_EQ(row, expected);
  // A column fades the same way.
  std::vector<uint8_t> column(5, 255);
  FeatherMask(column.data(), 1, 5, 1, 2, DIRECTION_VERTICAL);
  EXPECT_EQ(column, (std::vector<uint8_t>{63, 191, 255, 255, 127}));
  // amount < 1 and unknown directions do nothing.
  std::vector<uint8_t> keep(6, 200);
  FeatherMask(keep.data(), 6, 1, 6, 0, DIRECTION_BOTH);
  FeatherMask(keep.data(), 6, 1, 6, -3, DIRECTION_BOTH);
  FeatherMask(keep.data(), 6, 1, 6, 2, 7);
  EXPECT_EQ(keep, std::vector<uint8_t>(6, 200));
}

TEST(FeatherMask, BothDirectionsMatchATranscription) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const int w = 11, h = 7, stride = 13;
  std::vector<uint8_t> plane(size_t(stride) * h, 0xAB);
  uint32_t state = 5;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) plane[y * stride + x] = imaging_test::NextRandom(state) % 3 ? 255 : 0;
  std::vector<uint8_t> packed;
  for (int y = 0; y < h; ++y) packed.insert(packed.end(), plane.begin() + y * stride, plane.begin() + y * stride + w);
  WriteFileBytes(dir / "src.raw", packed);
  for (const int n : {1, 3, 20}) {
    std::vector<uint8_t> work = plane;
    FeatherMask(work.data(), w, h, stride, n, DIRECTION_BOTH);
    const std::string script = "import numpy as np\nw, h, n = " + std::to_string(w) + "," + std::to_string(h) + "," +
                               std::to_string(n) + R"(
a = np.fromfile('src.raw', np.uint8).reshape(h, w).astype(np.int64)
def line(v):
    m = len(v); out = []
    for x in range(m):
        lead = sum(v[x:x + n])
        trail = v[0] // n + sum(v[1:x + 1]) - sum(v[1:max(1, x - n + 1)])
        out.append(min(trail, lead) // n)
    return out
t = np.array([line(list(r)) for r in a])
t = np.array([line(list(c)) for c in t.T]).T
t.astype(np.uint8).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    std::vector<uint8_t> got;
    for (int y = 0; y < h; ++y) got.insert(got.end(), work.begin() + y * stride, work.begin() + y * stride + w);
    EXPECT_EQ(got, ReadFileBytes(dir / "ref.raw")) << n;
    for (int y = 0; y < h; ++y) EXPECT_EQ(work[y * stride + w], 0xAB);  // bytes past the width are untouched
  }
}

// The selection's feather: a 24-bit image without a mask is made opaque
// first, so only its outer edges fade; a masked one fades around its
// transparent parts too. Checked against window sums computed by numpy with
// cumulative sums (leading window x .. x + n - 1; trailing window
// x - n + 1 .. x without sample 0, plus sample 0 / n); pixels never change.
TEST(FeatherImage, MatchesNumpyWindowSumsAndKeepsThePixels) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  struct Case {
    int w, h, n, direction;
    bool masked;
  } cases[] = {{9, 6, 2, DIRECTION_BOTH, false},  {13, 5, 4, DIRECTION_HORIZONTAL, false},
               {6, 11, 3, DIRECTION_VERTICAL, false}, {10, 8, 3, DIRECTION_BOTH, true},
               {7, 7, 20, DIRECTION_BOTH, true},      {5, 4, 65535, DIRECTION_BOTH, false}};
  int index = 0;
  for (const Case& c : cases) {
    CRasterImage image = MakeRandomImage(c.w, c.h, 24, 40 + index++, c.masked);
    const CRasterImage before = image;
    std::vector<uint8_t> alpha;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) alpha.push_back(c.masked ? image.GetMaskRow(y)[x] : 255);
    WriteFileBytes(dir / "alpha.raw", alpha);
    ASSERT_TRUE(FeatherImage(image, c.n, c.direction));
    ASSERT_TRUE(image.HasValidMask());
    ASSERT_EQ(image.GetMaskBitsPerPixel(), 8);
    EXPECT_EQ(std::vector<uint8_t>(image.GetBits(), image.GetBits() + size_t(image.GetStride()) * c.h),
              std::vector<uint8_t>(before.GetBits(), before.GetBits() + size_t(before.GetStride()) * c.h));
    const std::string script = "import numpy as np\nw, h, n, d = " + std::to_string(c.w) + "," +
                               std::to_string(c.h) + "," + std::to_string(c.n) + "," + std::to_string(c.direction) +
                               R"(
a = np.fromfile('alpha.raw', np.uint8).reshape(h, w).astype(np.int64)
def feather(m):  # along axis 1
    rows, m_len = m.shape
    c = np.concatenate([np.zeros((rows, 1), np.int64), np.cumsum(m, axis=1)], axis=1)
    x = np.arange(m_len)
    lead = c[:, np.minimum(x + n, m_len)] - c[:, x]
    lo = np.maximum(x - n + 1, 1)
    trail = m[:, :1] // n + c[:, x + 1] - c[:, lo]
    trail[:, 0] = m[:, 0] // n
    return np.minimum(lead, trail) // n
if d & 2: a = feather(a)
if d & 1: a = feather(a.T).T
a.astype(np.uint8).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    std::vector<uint8_t> got;
    for (int y = 0; y < c.h; ++y) got.insert(got.end(), image.GetMaskRow(y), image.GetMaskRow(y) + c.w);
    EXPECT_EQ(got, ReadFileBytes(dir / "ref.raw")) << c.w << "x" << c.h << " n " << c.n << " d " << c.direction;
  }
}

TEST(FeatherImage, RefusesWhatItCannotFeather) {
  CRasterImage empty;
  EXPECT_FALSE(FeatherImage(empty, 5, DIRECTION_BOTH));
  for (const int bpp : {1, 4, 8}) {
    CRasterImage indexed = MakeRandomImage(6, 6, bpp, 3, false, bpp == 8);
    EXPECT_FALSE(FeatherImage(indexed, 5, DIRECTION_BOTH)) << bpp;
    EXPECT_FALSE(indexed.HasMask()) << bpp;
  }
  CRasterImage image = MakeFlatImage(6, 6, false, 9);
  EXPECT_FALSE(FeatherImage(image, 0, DIRECTION_BOTH));
  EXPECT_FALSE(FeatherImage(image, 3, 4));
  EXPECT_FALSE(image.HasMask());
  // A copy is feathered alone: the original keeps no mask.
  CRasterImage copy = image;
  ASSERT_TRUE(FeatherImage(copy, 2, DIRECTION_HORIZONTAL));
  EXPECT_FALSE(image.HasMask());
  EXPECT_EQ(copy.GetMaskRow(0)[0], 63);  // (255 / 2) / 2 at the edge
  EXPECT_EQ(copy.GetMaskRow(3)[2], 255);
}

// ---- emboss ---------------------------------------------------------------

TEST(Emboss, UniformImagesTakeTheFlatShade) {
  for (const bool gray : {false, true}) {
    CRasterImage image = MakeFlatImage(7, 5, gray, 80);
    ASSERT_TRUE(EmbossImage(image, 45, 30, 3));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(GetSample(image, x, y, 0), 127);
  }
  // Light from below the surface: the flat shade is clamped, not wrapped.
  CRasterImage below = MakeFlatImage(4, 4, false, 80);
  ASSERT_TRUE(EmbossImage(below, 0, -30, 3));
  EXPECT_EQ(GetSample(below, 0, 0), 0);
  CRasterImage indexed = MakeRandomImage(4, 4, 4, 1, false);
  EXPECT_FALSE(EmbossImage(indexed, 0, 30, 3));
}

TEST(Emboss, MatchesATranscription) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage source = MakeRandomImage(9, 7, 24, 12, false);
  WriteFileBytes(dir / "src.raw", imaging_test::PixelBytes(source));
  struct Case { double azimuth, elevation; int depth; };
  for (const Case c : {Case{45, 30, 3}, Case{135, 60, 0}, Case{300, 10, 1}, Case{10, 80, 20}}) {
    CRasterImage image = source;
    ASSERT_TRUE(EmbossImage(image, c.azimuth, c.elevation, c.depth));
    char params[128];
    std::snprintf(params, sizeof params, "A, E, D = %.17g, %.17g, %d\n", c.azimuth, c.elevation, c.depth);
    const std::string script = std::string("import math\nimport numpy as np\n") + params + R"(
h, w = 7, 9
img = np.fromfile('src.raw', np.uint8).reshape(h, w, 3).astype(np.int64)
f = 0.01745327777777778
a, e = A * f, E * f
lx = int(math.cos(e) * math.cos(a) * 255.9); ly = int(math.cos(e) * math.sin(a) * 255.9); lz = int(math.sin(e) * 255.9)
nz = 3060 if D == 0 else int(1530 / D)
out = np.full_like(img, min(max(lz, 0), 255))
for y in range(1, h - 1):
    for x in range(1, w - 1):
        for c in range(3):
            p = img[y - 1:y + 2, x - 1:x + 2, c]
            nx = int(p[:, 0].sum() - p[:, 2].sum()); ny = int(p[2, :].sum() - p[0, :].sum())
            if nx == 0 and ny == 0: continue
            dot = nx * lx + ny * ly + nz * lz
            out[y, x, c] = 0 if dot < 0 else min(255, int(dot / math.sqrt(nx * nx + ny * ny + nz * nz)))
out.astype(np.uint8).tofile('ref.raw')
)";
    std::string output;
    ASSERT_EQ(imaging_test::RunPython(dir, script, &output), 0) << output;
    EXPECT_EQ(imaging_test::PixelBytes(image), ReadFileBytes(dir / "ref.raw")) << c.azimuth << " " << c.elevation;
  }
}

// ---- blend ----------------------------------------------------------------

TEST(BlendImages, MixesByPercent) {
  const CRasterImage source = MakeFlatImage(3, 2, false, 200);
  for (const int p : {-5, 0, 1, 50, 99, 100, 150}) {
    CRasterImage target = MakeFlatImage(3, 2, false, 0);
    BlendImages(source, target, p);
    const int expected = p <= 0 ? 0 : p >= 100 ? 200 : 200 * p / 100;
    EXPECT_EQ(GetSample(target, 1, 1, 0), expected) << p;
    if (p >= 100) {
      EXPECT_TRUE(target.SharesPixelsWith(source));
    }
  }
  // Mismatched sizes or kinds: nothing.
  CRasterImage other = MakeFlatImage(3, 3, false, 0);
  BlendImages(source, other, 50);
  EXPECT_EQ(GetSample(other, 0, 0), 0);
  CRasterImage gray = MakeFlatImage(3, 2, true, 0);
  BlendImages(source, gray, 50);
  EXPECT_EQ(GetSample(gray, 0, 0), 0);
  BlendImages(MakeFlatImage(3, 2, true, 100), gray, 50);
  EXPECT_EQ(GetSample(gray, 0, 0), 50);
}

}  // namespace

namespace {

class CBrokenKernel : public CFilterKernel {
 public:
  double GetWidth() const override { return NAN; }
  double Evaluate(double) const override { return NAN; }
};

class CWideBrokenKernel : public CFilterKernel {
 public:
  double GetWidth() const override { return 5; }
  double Evaluate(double x) const override { return x == 0 ? 1.0 : NAN; }
};

TEST(SeparableFilter, BrokenKernelsDoNoHarm) {
  std::vector<uint8_t> plane(7 * 5, 100), out(7 * 5, 0);
  SeparableFilter(plane.data(), out.data(), 7, 5, 1, 7, CBrokenKernel(), CBrokenKernel());
  SeparableFilter(plane.data(), out.data(), 7, 5, 1, 7, CWideBrokenKernel(), CWideBrokenKernel());
  EXPECT_EQ(out, plane);  // only the centre tap counts
}

TEST(Emboss, NonFiniteAnglesCountAsZero) {
  CRasterImage image = MakeRandomImage(5, 5, 24, 2, false);
  CRasterImage reference = image;
  ASSERT_TRUE(EmbossImage(image, NAN, INFINITY, 3));
  ASSERT_TRUE(EmbossImage(reference, 0, 0, 3));
  EXPECT_EQ(DescribeDifference(image, reference), "");
}

}  // namespace
