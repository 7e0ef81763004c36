#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "imaging/MagicWand.h"
#include "imaging/PixelAccess.h"
#include "imaging/SelectionMask.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

// Sets the tolerance for one test and restores it afterwards.
class ToleranceScope {
 public:
  explicit ToleranceScope(int t) : m_saved(GetMagicWandTolerance()) { SetMagicWandTolerance(t); }
  ~ToleranceScope() { SetMagicWandTolerance(m_saved); }

 private:
  int m_saved;
};

int Bit(const CRasterImage& mask, int x, int y) { return GetPixel1(mask.GetRow(y), x); }

int CountSet(const CRasterImage& mask) {
  int n = 0;
  for (int y = 0; y < mask.GetHeight(); ++y)
    for (int x = 0; x < mask.GetWidth(); ++x) n += Bit(mask, x, y);
  return n;
}

// The oracle: the seed's 4-connected component of the match map, by
// scipy.ndimage.label, for each (x, y, tolerance) job.
const char* kOracle = R"(import sys
import numpy as np
from scipy import ndimage
data = open(sys.argv[1], 'rb').read()
head, _, body = data.partition(b'ENDHDR\n')
h = dict(l.split(b' ', 1) for l in head.split(b'\n')[1:] if b' ' in l)
w, hh, d = int(h[b'WIDTH']), int(h[b'HEIGHT']), int(h[b'DEPTH'])
px = np.frombuffer(body, np.uint8).reshape(hh, w, d).astype(np.int32)
alpha = px[:, :, 3] if d == 4 else np.full((hh, w), 255)
out = []
for job in sys.argv[3:]:
    x, y, tol = map(int, job.split(','))
    seed = px[y, x, :3]
    match = (np.abs(px[:, :, :3] - seed) <= tol).all(axis=2) & (alpha != 0)
    labels, _ = ndimage.label(match)
    region = labels == labels[y, x]
    out.append(np.packbits(region, axis=1).tobytes())
open(sys.argv[2], 'wb').write(b''.join(out))
)";

struct Job {
  int x, y, tolerance;
};

// Runs the wand for each job and compares it with the oracle.
void CheckAgainstOracle(const CRasterImage& image, const std::vector<Job>& jobs, const std::string& what) {
  TempDir dir;
  WritePam(dir / "image.pam", image);
  std::ofstream(dir / "oracle.py") << kOracle;
  std::string command = Python() + " " + ShellQuote((dir / "oracle.py").string()) + " " +
                        ShellQuote((dir / "image.pam").string()) + " " + ShellQuote((dir / "out.bin").string());
  for (const Job& j : jobs)
    command += " " + std::to_string(j.x) + "," + std::to_string(j.y) + "," + std::to_string(j.tolerance);
  ASSERT_EQ(RunCommand(command), 0) << what;
  const std::vector<uint8_t> expected = ReadFileBytes(dir / "out.bin");
  const int w = image.GetWidth(), h = image.GetHeight(), rowBytes = (w + 7) / 8;
  ASSERT_EQ(expected.size(), jobs.size() * static_cast<size_t>(rowBytes * h)) << what;
  int partial = 0;  // regions that are neither the seed alone nor everything
  for (size_t i = 0; i < jobs.size(); ++i) {
    ToleranceScope tolerance(jobs[i].tolerance);
    const CRasterImage mask = MagicWand(image, jobs[i].x, jobs[i].y, nullptr, 0);
    ASSERT_TRUE(IsSelectionMaskFor(mask, w, h)) << what;
    const uint8_t* want = expected.data() + i * static_cast<size_t>(rowBytes * h);
    int selected = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int bit = (want[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
        selected += bit;
        ASSERT_EQ(Bit(mask, x, y), bit) << what << " seed " << jobs[i].x << "," << jobs[i].y << " tolerance "
                                        << jobs[i].tolerance << " at " << x << "," << y;
      }
    EXPECT_GT(selected, 0);
    partial += selected > 1 && selected < w * h;
  }
  EXPECT_GE(partial, static_cast<int>(jobs.size()) / 2) << what;
}

// A photo-like picture from ImageMagick: blurred fractal plasma.
CRasterImage Photograph(const TempDir& dir, int w, int h, int seed) {
  const auto path = dir / ("plasma" + std::to_string(seed) + ".ppm");
  EXPECT_EQ(RunCommand("convert -seed " + std::to_string(seed) + " -size " + std::to_string(w) + "x" +
                       std::to_string(h) + " plasma:fractal -blur 0x1.5 -depth 8 " + ShellQuote(path.string())),
            0);
  return ReadPnm(path);
}

// An indexed picture of the given depth made from a photograph: each
// channel quantised, the palette holding the levels' colours.
CRasterImage ToIndexed(const CRasterImage& rgb, int bpp) {
  CRasterImage im;
  EXPECT_TRUE(im.Create(rgb.GetWidth(), rgb.GetHeight(), bpp));
  const int levels = bpp == 8 ? 6 : 2;  // 216 or 8 colours; 1 bit: gray threshold
  RGBQUAD* pal = im.GetWritablePalette();
  if (bpp == 1) {
    pal[0] = MakeRGBQuad(0, 0, 0);
    pal[1] = MakeRGBQuad(255, 255, 255);
  } else {
    for (int i = 0; i < levels * levels * levels; ++i)
      pal[i] = MakeRGBQuad(static_cast<uint8_t>(i / (levels * levels) * 255 / (levels - 1)),
                           static_cast<uint8_t>(i / levels % levels * 255 / (levels - 1)),
                           static_cast<uint8_t>(i % levels * 255 / (levels - 1)));
  }
  const PIXELSETPROC set = GetPixelSetter(bpp);
  for (int y = 0; y < rgb.GetHeight(); ++y)
    for (int x = 0; x < rgb.GetWidth(); ++x) {
      const uint8_t* p = rgb.GetRow(y) + 3 * x;
      int index;
      if (bpp == 1)
        index = (3 * p[0] + 6 * p[1] + p[2]) / 10 >= 128;
      else
        index = (p[0] * levels / 256) * levels * levels + (p[1] * levels / 256) * levels + p[2] * levels / 256;
      set(im.GetWritableBits() + y * im.GetStride(), x, index);
    }
  return im;
}

std::vector<Job> Seeds(int w, int h, std::initializer_list<int> tolerances) {
  std::vector<Job> jobs;
  const Job points[] = {{w / 2, h / 2, 0}, {0, 0, 0}, {w - 1, h - 1, 0}, {w / 5, 3 * h / 4, 0}, {2 * w / 3, h / 7, 0}};
  for (int t : tolerances)
    for (Job p : points) jobs.push_back(Job{p.x, p.y, t});
  return jobs;
}

TEST(MagicWand, MatchesFloodFillOracleOnPhotographs) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage photo = Photograph(dir, 241, 163, 11);
  ASSERT_FALSE(photo.IsEmpty());
  CheckAgainstOracle(photo, Seeds(241, 163, {0, 8, 24, 32, 60}), "24-bit photograph");

  // With an alpha mask: transparent pixels are walls, a transparent seed
  // selects nothing.
  CRasterImage masked = photo;
  ASSERT_TRUE(masked.CreateMask());
  for (int y = 0; y < 163; ++y)
    for (int x = 0; x < 241; ++x)
      masked.GetWritableMaskBits()[y * 241 + x] = ((x / 9 + y / 13) % 5 == 0) ? 0 : static_cast<uint8_t>(1 + x % 255);
  masked.GetWritableMaskBits()[(163 / 2) * 241 + 241 / 2] = 200;
  masked.GetWritableMaskBits()[0] = 7;
  masked.GetWritableMaskBits()[162 * 241 + 240] = 255;
  masked.GetWritableMaskBits()[(3 * 163 / 4) * 241 + 241 / 5] = 1;
  masked.GetWritableMaskBits()[(163 / 7) * 241 + 2 * 241 / 3] = 1;
  CheckAgainstOracle(masked, Seeds(241, 163, {16, 48}), "masked photograph");
}

TEST(MagicWand, MatchesFloodFillOracleOnPaletteImages) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL(Python());
  TempDir dir;
  const CRasterImage photo = Photograph(dir, 177, 131, 5);
  for (int bpp : {8, 4, 1}) {
    const CRasterImage indexed = ToIndexed(photo, bpp);
    CheckAgainstOracle(indexed, Seeds(177, 131, {0, 51, 110}), std::to_string(bpp) + "-bit palette image");
  }
}

TEST(MagicWand, ToleranceZeroOnACheckerboardSelectsTheSeedOnly) {
  ToleranceScope tolerance(0);
  CRasterImage board;
  ASSERT_TRUE(board.Create(9, 7, 1));
  board.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) SetPixel1(board.GetWritableBits() + y * board.GetStride(), x, (x + y) & 1);
  const CRasterImage mask = MagicWand(board, 4, 3, nullptr, 0);
  EXPECT_EQ(CountSet(mask), 1);
  EXPECT_EQ(Bit(mask, 4, 3), 1);
}

TEST(MagicWand, ModesCombineWithTheCurrentSelection) {
  ToleranceScope tolerance(32);
  CRasterImage image = MakeTestPicture(20, 10);
  // One uniform colour everywhere.
  std::fill_n(image.GetWritableBits(), image.GetStride() * 10, 90);
  CRasterImage current;
  ASSERT_TRUE(current.Create(20, 10, 1));
  for (int y = 3; y <= 5; ++y) SetPixel1(current.GetWritableBits() + y * current.GetStride(), 10, 1);

  // Add: the seed and its vertical neighbours are selected already: nothing
  // is added, the current selection stays.
  CRasterImage added = MagicWand(image, 10, 4, &current, 1);
  EXPECT_EQ(CountSet(added), 3);
  EXPECT_EQ(Bit(added, 10, 4), 1);
  EXPECT_EQ(CountSet(current), 3);  // unchanged

  // Add from outside the selection: everything but what is selected gets
  // reached, the selection itself stays set.
  added = MagicWand(image, 0, 0, &current, 1);
  EXPECT_EQ(CountSet(added), 200);

  // Subtract from a selection of everything, seeded in it: the fill removes
  // the seed's selected region.
  CRasterImage all;
  ASSERT_TRUE(all.Create(20, 10, 1));
  std::fill_n(all.GetWritableBits(), all.GetStride() * 10, 0xFF);
  for (int x = 0; x < 20; ++x) SetPixel1(all.GetWritableBits() + 5 * all.GetStride(), x, 0);  // a cut row
  const CRasterImage subtracted = MagicWand(image, 3, 2, &all, 2);
  EXPECT_EQ(CountSet(subtracted), 4 * 20);  // rows 6..9 stay; rows 0..4 and 5 are clear
  EXPECT_EQ(Bit(subtracted, 0, 6), 1);
  EXPECT_EQ(Bit(subtracted, 19, 4), 0);

  // Replace ignores the current selection; no current selection means replace.
  EXPECT_EQ(CountSet(MagicWand(image, 10, 4, &current, 0)), 200);
  EXPECT_EQ(CountSet(MagicWand(image, 10, 4, nullptr, 2)), 200);

  // A current selection of another size is refused.
  CRasterImage wrong;
  ASSERT_TRUE(wrong.Create(5, 5, 1));
  EXPECT_TRUE(MagicWand(image, 1, 1, &wrong, 1).IsEmpty());
}

TEST(MagicWand, TransparentSeedAndSeedsOutsideSelectNothing) {
  CRasterImage image = MakeTestPicture(12, 8);
  for (const Point p : {Point{-1, 0}, Point{0, -1}, Point{12, 0}, Point{0, 8}, Point{40000, 3}, Point{-70000, -2}})
    EXPECT_TRUE(MagicWand(image, p.x, p.y, nullptr, 0).IsEmpty()) << p.x << "," << p.y;
  ASSERT_TRUE(image.CreateMask());
  std::fill_n(image.GetWritableMaskBits(), 12 * 8, 255);
  image.GetWritableMaskBits()[2 * 12 + 3] = 0;
  EXPECT_TRUE(MagicWand(image, 3, 2, nullptr, 0).IsEmpty());
  EXPECT_FALSE(MagicWand(image, 4, 2, nullptr, 0).IsEmpty());
  EXPECT_TRUE(MagicWand(CRasterImage(), 0, 0, nullptr, 0).IsEmpty());
}

TEST(MagicWand, HugeRegionsFillWithoutDeepRecursion) {
  ToleranceScope tolerance(32);
  // A 4000 x 4000 single region.
  CRasterImage uniform;
  ASSERT_TRUE(uniform.Create(4000, 4000, 8));
  const CRasterImage all = MagicWand(uniform, 1234, 3210, nullptr, 0);
  ASSERT_FALSE(all.IsEmpty());
  Rect bounds;
  ASSERT_TRUE(GetMaskImageBounds(all, &bounds));
  EXPECT_EQ(bounds, (Rect{0, 0, 4000, 4000}));
  EXPECT_TRUE(IsRunSelected(4000, all.GetBits(), 0, 4000, all.GetStride()));

  // A serpentine corridor through 2000 x 2000: one region of about two
  // million pixels, turning at every other row.
  CRasterImage maze;
  ASSERT_TRUE(maze.Create(2000, 2000, 8));
  maze.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  for (int y = 1; y < 2000; y += 2) {
    uint8_t* row = maze.GetWritableBits() + static_cast<int64_t>(y) * 2000;
    std::fill_n(row, 2000, 1);
    row[(y / 2) % 2 ? 0 : 1999] = 0;  // the gap alternates sides
  }
  const CRasterImage corridor = MagicWand(maze, 0, 0, nullptr, 0);
  int64_t n = 0;
  for (int y = 0; y < 2000; ++y)
    for (int x = 0; x < 2000; ++x) n += GetPixel1(corridor.GetRow(y), x);
  EXPECT_EQ(n, 1000 * 2000 + 1000);  // every even row and every gap
}

TEST(MagicWand, ToleranceIsProgramWideAndStartsAt32) {
  EXPECT_EQ(GetMagicWandTolerance(), 32);
  SetMagicWandTolerance(5);
  EXPECT_EQ(GetMagicWandTolerance(), 5);
  SetMagicWandTolerance(32);
}

}  // namespace
