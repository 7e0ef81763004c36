#include "imaging/FrameOptimizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "imaging/ColorConversion.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/StandardPalettes.h"
#include "tests/formats/GifTestFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

constexpr int kDisposeNone = 0, kDisposeKeep = 4, kDisposeBackground = 8, kDisposePrevious = 12;

CRasterImage Solid24(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  CRasterImage image;
  image.Create(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      p[0] = r, p[1] = g, p[2] = b;
    }
  return image;
}

CAnimFrame Frame(CRasterImage image, int x, int y, int flags = 0, int delay = 10) {
  CAnimFrame f;
  f.m_image = std::move(image);
  f.m_nLeft = static_cast<int16_t>(x);
  f.m_nTop = static_cast<int16_t>(y);
  f.m_nFlags = static_cast<uint8_t>(flags);
  f.m_nDelay = static_cast<uint16_t>(delay);
  return f;
}

// Equal frames: both empty, or same position, same pixels, same flags.
void ExpectSameFrames(const CAnimFrame* a, const CAnimFrame* b, int count, const std::string& what) {
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(what + " frame " + std::to_string(i));
    ASSERT_EQ(a[i].m_image.IsEmpty(), b[i].m_image.IsEmpty());
    EXPECT_EQ(a[i].m_nFlags, b[i].m_nFlags);
    EXPECT_EQ(a[i].m_nDelay, b[i].m_nDelay);
    if (a[i].m_image.IsEmpty()) continue;
    EXPECT_EQ(a[i].m_nLeft, b[i].m_nLeft);
    EXPECT_EQ(a[i].m_nTop, b[i].m_nTop);
    EXPECT_EQ(CompareRgb(a[i].m_image, b[i].m_image), "");
  }
}

// Random animations mixing depths, masks (binary and partial alpha),
// disposals, offsets beyond the canvas, empty and repeated frames, and
// floating selections. Colours come from a small set so that frames often
// repeat what is on screen.
std::vector<CAnimFrame> RandomAnimation(unsigned seed, int w, int h) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  static const uint8_t levels[] = {0, 128, 255};
  std::vector<CAnimFrame> frames;
  const int count = 3 + pick(6);
  for (int i = 0; i < count; ++i) {
    const int kind = pick(10);
    if (kind == 0) {  // empty frame
      frames.push_back(Frame({}, 0, 0, pick(4) << 2));
      continue;
    }
    if (kind == 1 && !frames.empty()) {  // a repeat of the previous frame
      frames.push_back(frames.back());
      continue;
    }
    const int fw = 1 + pick(w), fh = 1 + pick(h);
    const int x = pick(w + 4) - 3, y = pick(h + 4) - 3;
    const bool indexed = pick(2) == 0;
    CRasterImage image;
    if (indexed) {
      image.Create(fw, fh, 8);
      for (int c = 0; c < 256; ++c)
        image.GetWritablePalette()[c] = MakeRGBQuad(levels[c % 3], levels[c / 3 % 3], levels[c / 9 % 3]);
      for (int yy = 0; yy < fh; ++yy)
        for (int xx = 0; xx < fw; ++xx) image.GetWritableBits()[yy * image.GetStride() + xx] = uint8_t(pick(4));
      if (pick(2)) {
        image.CreateMask();
        for (int yy = 0; yy < fh; ++yy)
          for (int xx = 0; xx < fw; ++xx)
            SetPixel1(image.GetWritableMaskBits() + yy * image.GetMaskStride(), int16_t(xx), pick(3) != 0);
      }
    } else {
      image.Create(fw, fh, 24);
      for (int yy = 0; yy < fh; ++yy)
        for (int xx = 0; xx < fw * 3; ++xx) image.GetWritableBits()[yy * image.GetStride() + xx] = levels[pick(2)];
      const int maskKind = pick(3);
      if (maskKind) {
        image.CreateMask();
        for (int yy = 0; yy < fh; ++yy)
          for (int xx = 0; xx < fw; ++xx)
            image.GetWritableMaskBits()[yy * image.GetMaskStride() + xx] =
                maskKind == 1 ? (pick(3) ? 255 : 0) : levels[pick(3)];
      }
    }
    CAnimFrame frame = Frame(image, x, y, pick(4) << 2, 5 + i);
    frame.m_bSelected = pick(2);
    if (pick(4) == 0) {
      // An opaque floating selection of the image's own depth and palette.
      CRasterImage sel = image;
      sel.RemoveMask();
      frame.m_selection = CropImage(sel, Rect{0, 0, std::max(1, fw / 2), std::max(1, fh / 2)});
      const int sx = pick(5) - 2, sy = pick(5) - 2;
      frame.m_rcSelection = Rect{sx, sy, sx + frame.m_selection.GetWidth(), sy + frame.m_selection.GetHeight()};
    }
    frames.push_back(frame);
  }
  return frames;
}

TEST(MergeFrameSelection, EmptyInputsAndOffsets) {
  const CRasterImage base = Solid24(4, 3, 10, 20, 30), overlay = Solid24(2, 2, 200, 0, 0);
  struct Case {
    const char* name;
    CRasterImage overlay, base;
    int x, y;
    int wantW, wantH, wantX, wantY;
  } cases[] = {
      {"both empty", {}, {}, 5, 6, 0, 0, 5, 6},
      {"empty base keeps the offset", overlay, {}, 5, -6, 2, 2, 5, -6},
      {"empty overlay resets the offset", {}, base, 5, 6, 4, 3, 0, 0},
      {"inside", overlay, base, 1, 1, 4, 3, 0, 0},
      {"above and left", overlay, base, -1, -2, 5, 5, -1, -2},
      {"below and right", overlay, base, 3, 2, 5, 4, 0, 0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t x = c.x, y = c.y;
    const CRasterImage merged = MergeFrameSelection(x, c.overlay, c.base, y);
    EXPECT_EQ(merged.GetWidth(), c.wantW);
    EXPECT_EQ(merged.GetHeight(), c.wantH);
    EXPECT_EQ(x, c.wantX);
    EXPECT_EQ(y, c.wantY);
  }
}

TEST(MergeFrameSelection, OverlayOfAnotherDepthIsComposedIn24Bits) {
  CRasterImage base;
  base.Create(3, 3, 8);
  base.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 255);
  int32_t x = 1, y = 1;
  const CRasterImage merged = MergeFrameSelection(x, Solid24(1, 1, 255, 0, 0), base, y);
  ASSERT_EQ(merged.GetBitsPerPixel(), 24);
  const CRasterImage rgb = ToRgb(merged);
  EXPECT_EQ(rgb.GetRow(1)[3], 255);
  EXPECT_EQ(rgb.GetRow(0)[2], 255);
}

TEST(OptimizeFrameDifferences, IdenticalFullFramesLeaveTheSecondEmpty) {
  const CRasterImage picture = MakeTestPicture(20, 10);
  const CAnimFrame frames[] = {Frame(picture, 0, 0, 1), Frame(picture, 0, 0, 1, 30)};
  for (int mode : {OPTIMIZE_TRANSPARENT, OPTIMIZE_CROP}) {
    auto out = OptimizeFrameDifferences(10, frames, 2, 20, mode);
    ASSERT_TRUE(out);
    EXPECT_EQ(CompareRgb(out[0].m_image, picture), "");
    EXPECT_EQ(out[0].m_nFlags, 0) << "the first frame goes whole, bit 0 cleared";
    EXPECT_TRUE(out[1].IsEmpty());
    EXPECT_EQ(out[1].m_nDelay, 30);
  }
}

TEST(OptimizeFrameDifferences, SmallChangeGivesACroppedFrameWithUnchangedPixelsTransparent) {
  const CRasterImage first = Solid24(16, 12, 50, 60, 70);
  CRasterImage second = first;
  // Change a 3 x 2 area at (5, 4) except its top-left pixel.
  for (int y = 4; y < 6; ++y)
    for (int x = 5; x < 8; ++x)
      if (x != 5 || y != 4) second.GetWritableBits()[y * second.GetStride() + 3 * x] = 255;
  // Changing the corner too makes every pixel of the area changed.
  CRasterImage third = second;
  third.GetWritableBits()[4 * third.GetStride() + 15] = 1;
  const CAnimFrame frames[] = {Frame(first, 0, 0), Frame(second, 0, 0), Frame(third, 0, 0)};
  auto out = OptimizeFrameDifferences(12, frames, 3, 16, OPTIMIZE_TRANSPARENT);
  ASSERT_TRUE(out);
  const CAnimFrame& f = out[1];
  ASSERT_EQ(f.m_image.GetWidth(), 3);
  ASSERT_EQ(f.m_image.GetHeight(), 2);
  EXPECT_EQ(f.m_nLeft, 5);
  EXPECT_EQ(f.m_nTop, 4);
  EXPECT_EQ(f.m_nFlags & 1, 1);
  ASSERT_TRUE(f.m_image.HasValidMask());
  EXPECT_EQ(f.m_image.GetMaskRow(0)[0], 0);
  EXPECT_EQ(f.m_image.GetMaskRow(0)[1], 255);
  // Frame 3 differs from frame 2 only in one pixel, which is opaque: no mask.
  ASSERT_EQ(out[2].m_image.GetWidth(), 1);
  EXPECT_EQ(out[2].m_nLeft, 5);
  EXPECT_FALSE(out[2].m_image.HasMask());
  EXPECT_EQ(out[2].m_nFlags & 1, 0);

  // Crop only: the same rectangle, the unchanged pixel kept as it was.
  auto cropped = OptimizeFrameDifferences(12, frames, 3, 16, OPTIMIZE_CROP);
  ASSERT_TRUE(cropped);
  EXPECT_EQ(cropped[1].m_image.GetWidth(), 3);
  EXPECT_FALSE(cropped[1].m_image.HasMask());
  EXPECT_EQ(cropped[1].m_image.GetRow(0)[0], 50);
}

TEST(OptimizeFrameDifferences, PartlyTransparentPixelsOverTheirOwnValueStillCount) {
  // A half-transparent pixel drawn over the same half-transparent pixel
  // changes what is seen (it becomes more opaque), so it is kept.
  CRasterImage half = Solid24(2, 1, 100, 100, 100);
  half.CreateMask();
  std::memset(half.GetWritableMaskBits(), 128, 2);
  const CAnimFrame frames[] = {Frame(half, 0, 0), Frame(half, 0, 0)};
  auto out = OptimizeFrameDifferences(1, frames, 2, 2, OPTIMIZE_TRANSPARENT);
  ASSERT_TRUE(out);
  EXPECT_FALSE(out[1].IsEmpty());
}

TEST(OptimizeFrameDifferences, AllEmptyFramesGiveEmptyFramesWithTheirMetadata) {
  const CAnimFrame frames[] = {Frame({}, 3, 4, kDisposePrevious | 1, 7), Frame({}, 0, 0, 0, 9)};
  auto out = OptimizeFrameDifferences(10, frames, 2, 10, OPTIMIZE_TRANSPARENT);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out[0].IsEmpty());
  EXPECT_EQ(out[0].m_nFlags, kDisposePrevious);
  EXPECT_EQ(out[0].m_nDelay, 7);
  EXPECT_EQ(out[1].m_nDelay, 9);
}

int g_cancelCalls = 0;
std::vector<std::pair<int, int>> g_progress;
bool CancelOnSecond() { return ++g_cancelCalls >= 2; }
void RecordProgress(int done, int total) { g_progress.emplace_back(done, total); }

TEST(FrameOperations, CancelGivesNullAndProgressCountsFrames) {
  const CAnimFrame frames[] = {Frame(Solid24(4, 4, 1, 2, 3), 0, 0), Frame(Solid24(4, 4, 9, 2, 3), 0, 0),
                               Frame(Solid24(4, 4, 1, 9, 3), 0, 0)};
  g_progress.clear();
  ASSERT_TRUE(ExpandFrames(frames, 3, 4, 4, nullptr, &RecordProgress));
  EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  g_cancelCalls = 0;
  EXPECT_FALSE(ExpandFrames(frames, 3, 4, 4, &CancelOnSecond));
  EXPECT_EQ(g_cancelCalls, 2);
  g_cancelCalls = 0;
  EXPECT_FALSE(OptimizeFrameDifferences(4, frames, 3, 4, OPTIMIZE_TRANSPARENT, &CancelOnSecond));
  EXPECT_EQ(g_cancelCalls, 2);
}

TEST(ExpandFrames, AFrameThatDoesNotStayIsNotUnderTheNext) {
  for (int disposal : {kDisposeBackground, kDisposePrevious}) {
    const CAnimFrame frames[] = {Frame(Solid24(4, 4, 255, 0, 0), 0, 0, disposal),
                                 Frame(Solid24(2, 2, 0, 255, 0), 6, 6)};
    auto out = ExpandFrames(frames, 2, 8, 8);
    ASSERT_TRUE(out);
    EXPECT_EQ(out[1].m_image.GetWidth(), 2);
    EXPECT_EQ(out[1].m_nLeft, 6);
  }
  // Disposal none or keep: the first frame is under the second.
  for (int disposal : {kDisposeNone, kDisposeKeep}) {
    const CAnimFrame frames[] = {Frame(Solid24(4, 4, 255, 0, 0), 0, 0, disposal),
                                 Frame(Solid24(2, 2, 0, 255, 0), 6, 6)};
    auto out = ExpandFrames(frames, 2, 8, 8);
    ASSERT_TRUE(out);
    EXPECT_EQ(out[1].m_image.GetWidth(), 8);
    EXPECT_EQ(out[1].m_nFlags & 1, 1) << "the gap between them is transparent";
    EXPECT_EQ(out[1].m_image.GetMaskState(), 1);
  }
}

TEST(ExpandFrames, SingleOpaqueFullFrameGivesThePictureWithoutMask) {
  CRasterImage picture;
  picture.Create(9, 5, 4);
  for (int c = 0; c < 16; ++c) picture.GetWritablePalette()[c] = MakeRGBQuad(uint8_t(c * 16), 3, 200);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) SetPixel4(picture.GetWritableBits() + y * picture.GetStride(), int16_t(x), (x + y) & 15);
  picture.CreateMask();
  std::memset(picture.GetWritableMaskBits(), 0xFF, picture.GetMaskStride() * 5);
  const CAnimFrame frames[] = {Frame(picture, 0, 0, 1 | kDisposeKeep)};
  auto out = ExpandFrames(frames, 1, 9, 5);
  ASSERT_TRUE(out);
  EXPECT_EQ(out[0].m_image.GetBitsPerPixel(), 24);
  EXPECT_FALSE(out[0].m_image.HasMask());
  EXPECT_EQ(out[0].m_nLeft, 0);
  EXPECT_EQ(out[0].m_nTop, 0);
  EXPECT_EQ(out[0].m_nFlags, kDisposeKeep);
  CRasterImage expected = ToRgb(picture);
  expected.RemoveMask();
  EXPECT_EQ(CompareRgb(out[0].m_image, expected), "");
}

TEST(ExpandFrames, FullyTransparentPictureGivesAnEmptyFrameAtTheOrigin) {
  CRasterImage clear = Solid24(3, 3, 1, 1, 1);
  clear.CreateMask();
  const CAnimFrame frames[] = {Frame(clear, 5, 5, 1)};
  auto out = ExpandFrames(frames, 1, 10, 10);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out[0].IsEmpty());
  EXPECT_EQ(out[0].m_nLeft, 0);
}

TEST(ExpandFrames, PicturesMayReachBeyondTheCanvas) {
  const CAnimFrame frames[] = {Frame(Solid24(4, 4, 9, 9, 9), -2, -1), Frame(Solid24(4, 4, 9, 9, 9), 8, 8)};
  auto out = ExpandFrames(frames, 2, 10, 10);
  ASSERT_TRUE(out);
  EXPECT_EQ(out[1].m_nLeft, -2);
  EXPECT_EQ(out[1].m_nTop, -1);
  EXPECT_EQ(out[1].m_image.GetWidth(), 14);
  EXPECT_EQ(out[1].m_image.GetHeight(), 13);
}

TEST(ExpandFrames, PicturesBeyondTheSizeLimitFail) {
  // Two frames at the ends of the 16-bit range: the picture would be 64000
  // pixels wide.
  const CAnimFrame frames[] = {Frame(Solid24(2, 2, 9, 9, 9), -32000, 0), Frame(Solid24(2, 2, 9, 9, 9), 32000, 0)};
  EXPECT_FALSE(ExpandFrames(frames, 2, 10, 10));
}

TEST(OptimizeFrameDifferences, AMaskOfAnotherSizeCountsAsNone) {
  CRasterImage image = Solid24(4, 4, 1, 2, 3);
  CRasterImage other = Solid24(5, 4, 0, 0, 0);
  other.CreateMask();  // all transparent, and of another size
  image.m_mask = other.m_mask;
  const CAnimFrame frames[] = {Frame(image, 0, 0), Frame(Solid24(4, 4, 7, 7, 7), 0, 0)};
  for (int mode : {OPTIMIZE_TRANSPARENT, OPTIMIZE_CROP}) {
    auto out = OptimizeFrameDifferences(4, frames, 2, 4, mode);
    ASSERT_TRUE(out);
    EXPECT_FALSE(out[0].IsEmpty());
    EXPECT_FALSE(out[0].m_image.HasMask());
    EXPECT_EQ(out[1].m_image.GetWidth(), 4);
  }
}

// The round trip the frame commands rely on: optimising in either mode and
// expanding again gives every frame as composed.
TEST(FrameOperations, OptimiseThenExpandGivesEveryFrameBack) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const std::vector<CAnimFrame> frames = RandomAnimation(seed, 12, 9);
    const int n = static_cast<int>(frames.size());
    auto expanded = ExpandFrames(frames.data(), n, 12, 9);
    ASSERT_TRUE(expanded);
    for (int mode : {OPTIMIZE_TRANSPARENT, OPTIMIZE_CROP}) {
      auto optimized = OptimizeFrameDifferences(9, frames.data(), n, 12, mode);
      ASSERT_TRUE(optimized);
      auto again = ExpandFrames(optimized.get(), n, 12, 9);
      ASSERT_TRUE(again);
      ExpectSameFrames(expanded.get(), again.get(), n,
                       "seed " + std::to_string(seed) + " mode " + std::to_string(mode));
      if (HasFailure()) return;
    }
  }
}

TEST(ReduceFramesToPalette, EmptyFramesStayEmptyAndOthersShareThePalette) {
  RGBQUAD palette[4] = {MakeRGBQuad(0, 0, 0), MakeRGBQuad(255, 0, 0), MakeRGBQuad(0, 255, 0),
                        MakeRGBQuad(255, 255, 255)};
  CAnimFrame withSelection = Frame(Solid24(4, 4, 250, 10, 10), 2, 3, kDisposeKeep);
  withSelection.m_selection = Solid24(2, 2, 10, 250, 10);
  withSelection.m_rcSelection = Rect{-1, 3, 1, 5};
  withSelection.m_bBusy = 1;
  const CAnimFrame frames[] = {Frame(Solid24(5, 5, 240, 240, 240), 0, 0), Frame({}, 0, 0, 0, 44), withSelection};
  // An optimised animation holds empty frames; reducing it must work.
  auto out = ReduceFramesToPalette(frames, 3, palette, 4, DITHER_NONE);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out[1].IsEmpty());
  EXPECT_EQ(out[1].m_nDelay, 44);
  for (int i : {0, 2}) {
    SCOPED_TRACE(i);
    ASSERT_EQ(out[i].m_image.GetBitsPerPixel(), 4);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(out[i].m_image.GetPalette()[c], palette[c]);
    EXPECT_FALSE(out[i].m_selection.HasPixels());
    EXPECT_EQ(out[i].m_bBusy, 0);
  }
  EXPECT_EQ(GetPixel4(out[0].m_image.GetRow(0), 0), 3);
  // Image and selection composed: 5 x 5 from (1, 3), base red, selection green.
  const CAnimFrame& merged = out[2];
  EXPECT_EQ(merged.m_nLeft, 1);
  EXPECT_EQ(merged.m_nTop, 3);
  ASSERT_EQ(merged.m_image.GetWidth(), 5);
  ASSERT_EQ(merged.m_image.GetHeight(), 5);
  EXPECT_EQ(GetPixel4(merged.m_image.GetRow(0), 1), 1);
  EXPECT_EQ(GetPixel4(merged.m_image.GetRow(3), 0), 2);
  EXPECT_EQ(merged.m_rcSelection, Rect{});
  EXPECT_EQ(merged.m_nFlags, kDisposeKeep);
}

TEST(ReduceFramesToPalette, CancelGivesNull) {
  RGBQUAD palette[2] = {MakeRGBQuad(0, 0, 0), MakeRGBQuad(255, 255, 255)};
  const CAnimFrame frames[] = {Frame(MakeTestPicture(8, 8), 0, 0)};
  g_cancelCalls = 0;
  EXPECT_FALSE(ReduceFramesToPalette(frames, 1, palette, 2, DITHER_DIFFUSION, [] { return true; }));
}

}  // namespace
