#include <gtest/gtest.h>

#include "imaging/AnimFrame.h"
#include "imaging/PixelAccess.h"
#include "tests/imaging/ComposedPixel.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

// A 24-bit picture, with an alpha mask of 0, 128 and 255 when asked.
CRasterImage RgbPicture(int w, int h, unsigned seed, bool mask) {
  CRasterImage im = MakeTestPicture(w, h, seed);
  if (mask) {
    EXPECT_TRUE(im.CreateMask());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) im.GetWritableMaskBits()[y * im.GetMaskStride() + x] = "\x00\x80\xff"[(x + 2 * y + seed) % 3];
  }
  return im;
}

// An 8-bit picture with a 16-entry palette, 1-bit mask when asked.
CRasterImage IndexedPicture(int w, int h, unsigned seed, bool mask) {
  CRasterImage im;
  EXPECT_TRUE(im.Create(w, h, 8));
  for (int i = 0; i < 256; ++i)
    im.GetWritablePalette()[i] = MakeRGBQuad(static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i * 9),
                                             static_cast<uint8_t>(i * 5));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) im.GetWritableBits()[y * im.GetStride() + x] = static_cast<uint8_t>((x * 3 + y * 5 + seed) % 16);
  if (mask) {
    EXPECT_TRUE(im.CreateMask());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) SetPixel1(im.GetWritableMaskBits() + y * im.GetMaskStride(), x, (x * y + seed) % 4 != 0);
  }
  return im;
}

void ExpectSameFrameContent(const CAnimFrame& a, const CAnimFrame& b, const char* what) {
  EXPECT_EQ(a.m_nLeft, b.m_nLeft) << what;
  EXPECT_EQ(a.m_nTop, b.m_nTop) << what;
  EXPECT_EQ(a.m_image.GetBitsPerPixel(), b.m_image.GetBitsPerPixel()) << what;
  EXPECT_EQ(CompareRgb(a.m_image, b.m_image), "") << what;
  EXPECT_EQ(CompareRgb(a.m_selection, b.m_selection), "") << what;
  EXPECT_EQ(a.m_rcSelection, b.m_rcSelection) << what;
}

TEST(AnimFrame, DefaultsAndEmptiness) {
  CAnimFrame f;
  EXPECT_TRUE(f.IsEmpty());
  EXPECT_EQ(f.m_bExpanded, 1);
  EXPECT_EQ(f.m_bBusy, 0);
  f.FloatImage();
  f.MergeSelection();
  f.SwapSelection();
  EXPECT_TRUE(f.IsEmpty());
  EXPECT_TRUE(f.Flatten(10, 10, false, RGBQUAD{}).IsEmpty());
}

TEST(AnimFrame, FloatThenMergeGivesBackTheFrame) {
  struct Case {
    int left, top;
    bool indexed, mask;
  };
  for (const Case c : {Case{0, 0, false, false}, Case{5, 3, false, true}, Case{-4, -7, false, true},
                       Case{-30, 2, true, false}, Case{7, -1, true, true}}) {
    CAnimFrame frame;
    frame.m_image = c.indexed ? IndexedPicture(9, 6, 1, c.mask) : RgbPicture(9, 6, 1, c.mask);
    frame.m_nLeft = static_cast<int16_t>(c.left);
    frame.m_nTop = static_cast<int16_t>(c.top);
    const CAnimFrame original = frame;
    frame.FloatImage();
    EXPECT_TRUE(frame.m_image.IsEmpty());
    EXPECT_EQ(frame.m_rcSelection, (Rect{c.left, c.top, c.left + 9, c.top + 6}));
    EXPECT_EQ(frame.m_nLeft, 0);
    EXPECT_EQ(frame.m_bBusy, 0);
    frame.MergeSelection();
    EXPECT_TRUE(frame.m_selection.IsEmpty());
    ExpectSameFrameContent(frame, original, "float then merge");
  }
}

TEST(AnimFrame, FloatOfAMixedFrameThenMergeEqualsMerge) {
  for (const Point off : {Point{3, 2}, Point{-2, -3}, Point{-5, 4}, Point{8, -9}}) {
    for (bool indexed : {false, true}) {
      CAnimFrame frame;
      frame.m_image = indexed ? IndexedPicture(10, 10, 2, true) : RgbPicture(10, 10, 2, true);
      frame.m_selection = indexed ? IndexedPicture(4, 4, 5, false) : RgbPicture(4, 4, 5, true);
      frame.m_nLeft = -6;
      frame.m_nTop = 11;
      frame.m_rcSelection = Rect{off.x, off.y, off.x + 4, off.y + 4};
      CAnimFrame merged = frame;
      merged.MergeSelection();
      EXPECT_EQ(merged.m_nLeft, -6 + std::min(off.x, 0));
      EXPECT_EQ(merged.m_nTop, 11 + std::min(off.y, 0));
      frame.FloatImage();
      frame.MergeSelection();
      ExpectSameFrameContent(frame, merged, "float then merge of a mixed frame");
    }
  }
}

TEST(AnimFrame, MergePlacesTheSelectionOverTheImage) {
  CAnimFrame frame;
  frame.m_image = RgbPicture(10, 10, 1, false);
  frame.m_selection = RgbPicture(4, 4, 2, false);
  frame.m_nLeft = 20;
  frame.m_nTop = 30;
  frame.m_rcSelection = Rect{-2, -3, 2, 1};
  frame.MergeSelection();
  ASSERT_EQ(frame.m_image.GetWidth(), 12);
  ASSERT_EQ(frame.m_image.GetHeight(), 13);
  EXPECT_EQ(frame.m_nLeft, 18);
  EXPECT_EQ(frame.m_nTop, 27);
  EXPECT_TRUE(frame.m_image.HasMask());  // (0, 12) is covered by neither
  const CRasterImage base = RgbPicture(10, 10, 1, false), sel = RgbPicture(4, 4, 2, false);
  EXPECT_EQ(PixelOf(frame.m_image, 0, 0).r, PixelOf(sel, 0, 0).r);
  EXPECT_EQ(PixelOf(frame.m_image, 11, 12).g, PixelOf(base, 9, 9).g);
  EXPECT_EQ(PixelOf(frame.m_image, 0, 12).a, 0);  // covered by neither
}

TEST(AnimFrame, SwappingTwiceRestoresTheFrame) {
  for (const Point off : {Point{3, -2}, Point{-5, 4}, Point{0, 0}}) {
    CAnimFrame frame;
    frame.m_image = RgbPicture(10, 8, 1, true);
    frame.m_selection = RgbPicture(3, 5, 2, false);
    frame.m_nLeft = 4;
    frame.m_nTop = -3;
    frame.m_rcSelection = Rect{off.x, off.y, off.x + 3, off.y + 5};
    const CAnimFrame original = frame;
    frame.SwapSelection();
    EXPECT_TRUE(frame.m_image.SharesPixelsWith(original.m_selection));
    EXPECT_EQ(frame.m_nLeft, 4 + off.x);
    EXPECT_EQ(frame.m_nTop, -3 + off.y);
    EXPECT_EQ(frame.m_rcSelection, (Rect{-off.x, -off.y, -off.x + 10, -off.y + 8}));
    // The old image keeps its place on the canvas as the new selection.
    EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 4);
    EXPECT_EQ(frame.m_nTop + frame.m_rcSelection.top, -3);
    frame.SwapSelection();
    ExpectSameFrameContent(frame, original, "swap twice");
    EXPECT_TRUE(frame.m_image.SharesPixelsWith(original.m_image));
  }
  // Without a selection swap floats, without an image it merges.
  CAnimFrame plain;
  plain.m_image = RgbPicture(4, 4, 1, false);
  plain.m_nLeft = 2;
  plain.SwapSelection();
  EXPECT_TRUE(plain.m_image.IsEmpty());
  EXPECT_EQ(plain.m_rcSelection, (Rect{2, 0, 6, 4}));
  plain.SwapSelection();
  EXPECT_TRUE(plain.m_selection.IsEmpty());
  EXPECT_EQ(plain.m_nLeft, 2);
}

// The reference rendering of a frame on a canvas, pixel by pixel.
Px ReferencePixel(const CAnimFrame& f, int x, int y, bool transparent, RGBQUAD bg) {
  const Px img = PixelOf(f.m_image, x - f.m_nLeft, y - f.m_nTop);
  const Px sel = PixelOf(f.m_selection, x - f.m_nLeft - f.m_rcSelection.left, y - f.m_nTop - f.m_rcSelection.top);
  Px out = Over(sel, img);
  if (!transparent) out = Over(out, Px{255, bg.rgbRed, bg.rgbGreen, bg.rgbBlue});
  return out;
}

TEST(AnimFrame, FlattenTable) {
  const RGBQUAD bg = MakeRGBQuad(30, 250, 100);
  for (bool indexed : {false, true})
    for (bool full : {false, true})
      for (bool transparent : {false, true})
        for (bool mask : {false, true})
          for (bool selection : {false, true}) {
            const std::string what = std::string(indexed ? "8-bit" : "24-bit") + (full ? " full" : " partial") +
                                     (transparent ? " transparent" : " opaque") + (mask ? " masked" : "") +
                                     (selection ? " with selection" : "");
            CAnimFrame f;
            const int cw = 13, ch = 9;
            if (full) {
              f.m_image = indexed ? IndexedPicture(cw, ch, 3, mask) : RgbPicture(cw, ch, 3, mask);
            } else {
              f.m_image = indexed ? IndexedPicture(6, 5, 3, mask) : RgbPicture(6, 5, 3, mask);
              f.m_nLeft = 4;
              f.m_nTop = -1;
            }
            if (selection) {
              f.m_selection = indexed ? IndexedPicture(3, 2, 7, false) : RgbPicture(3, 2, 7, true);
              f.m_rcSelection = Rect{1, 2, 4, 4};
            }
            const CRasterImage flat = f.Flatten(cw, ch, transparent, bg);
            ASSERT_EQ(flat.GetWidth(), cw) << what;
            ASSERT_EQ(flat.GetHeight(), ch) << what;
            ASSERT_EQ(flat.GetBitsPerPixel(), indexed ? 8 : 24) << what;
            bool anyTransparent = false;
            if (!indexed) {
              for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                  const Px want = ReferencePixel(f, x, y, transparent, bg), got = PixelOf(flat, x, y);
                  anyTransparent |= want.a != 255;
                  ASSERT_EQ(got.a, want.a) << what << " at " << x << "," << y;
                  ASSERT_EQ(got.r, want.r) << what << " at " << x << "," << y;
                  ASSERT_EQ(got.g, want.g) << what;
                  ASSERT_EQ(got.b, want.b) << what;
                }
            } else {
              // Indexed: the merged image's pixels where opaque, else the
              // background's nearest index, transparent in the mask.
              CAnimFrame merged = f;
              merged.MergeSelection();
              int nearest = 0, best = 1 << 30;
              for (int i = 0; i < 256; ++i) {
                const RGBQUAD q = f.m_image.GetPalette()[i];
                const int d = (q.rgbRed - 30) * (q.rgbRed - 30) + (q.rgbGreen - 250) * (q.rgbGreen - 250) +
                              (q.rgbBlue - 100) * (q.rgbBlue - 100);
                if (d < best) best = d, nearest = i;
              }
              for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                  const int ix = x - merged.m_nLeft, iy = y - merged.m_nTop;
                  const CRasterImage& m = merged.m_image;
                  bool opaque = ix >= 0 && iy >= 0 && ix < m.GetWidth() && iy < m.GetHeight() &&
                                (!m.HasMask() || GetPixel1(m.GetMaskRow(iy), ix));
                  const int want = opaque ? m.GetRow(iy)[ix] : nearest;
                  anyTransparent |= !opaque;
                  ASSERT_EQ(flat.GetRow(y)[x], want) << what << " at " << x << "," << y;
                  ASSERT_EQ(!flat.HasMask() || GetPixel1(flat.GetMaskRow(y), x), opaque) << what;
                }
            }
            EXPECT_EQ(flat.HasMask(), anyTransparent) << what;
          }
}

TEST(AnimFrame, SelectionOfAnotherDepthThanAnIndexedImage) {
  CAnimFrame f;
  f.m_image = IndexedPicture(6, 6, 1, false);
  f.m_selection = RgbPicture(2, 2, 4, false);
  f.m_rcSelection = Rect{1, 1, 3, 3};
  CAnimFrame merged = f;
  merged.MergeSelection();  // refused: the indexed image cannot take it unconverted
  EXPECT_FALSE(merged.m_selection.IsEmpty());
  EXPECT_TRUE(merged.m_image.SharesPixelsWith(f.m_image));
  // Flatten still shows both, composed in 24 bits.
  const CRasterImage flat = f.Flatten(6, 6, false, RGBQUAD{});
  ASSERT_EQ(flat.GetBitsPerPixel(), 24);
  EXPECT_EQ(PixelOf(flat, 1, 1).r, PixelOf(f.m_selection, 0, 0).r);
  EXPECT_EQ(PixelOf(flat, 5, 5).g, PixelOf(f.m_image, 5, 5).g);
}

TEST(AnimFrame, FlattenRefusesUnusableCanvases) {
  CAnimFrame f;
  f.m_image = RgbPicture(4, 4, 1, false);
  EXPECT_TRUE(f.Flatten(0, 5, false, RGBQUAD{}).IsEmpty());
  EXPECT_TRUE(f.Flatten(5, -1, false, RGBQUAD{}).IsEmpty());
  EXPECT_TRUE(f.Flatten(40000, 5, false, RGBQUAD{}).IsEmpty());
}

TEST(MultiFrameImage, HoldsItsFrames) {
  std::vector<CAnimFrame> frames(3);
  frames[1].m_image = RgbPicture(2, 2, 1, false);
  CMultiFrameImage multi(20, 10, std::move(frames));
  EXPECT_EQ(multi.GetFrameCount(), 3);
  EXPECT_EQ(multi.m_nLoopCount, 0);
  EXPECT_EQ(multi.m_nWidth, 20);
  EXPECT_FALSE(multi.m_frames[1].IsEmpty());
  CMultiFrameImage none;
  EXPECT_EQ(none.GetFrameCount(), 0);
  EXPECT_TRUE(none.m_strComment.empty());
}

}  // namespace
