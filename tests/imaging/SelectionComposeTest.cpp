#include <gtest/gtest.h>

#include "imaging/ImageCompose.h"
#include "imaging/PixelAccess.h"
#include "imaging/SelectionMask.h"
#include "tests/imaging/ComposedPixel.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

CRasterImage Picture(int w, int h, int bpp, unsigned seed, bool mask) {
  CRasterImage im;
  if (bpp == 24) {
    im = MakeTestPicture(w, h, seed);
  } else {
    EXPECT_TRUE(im.Create(w, h, bpp));
    for (int i = 0; i < (1 << bpp); ++i)
      im.GetWritablePalette()[i] = MakeRGBQuad(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11 + 5),
                                               static_cast<uint8_t>(255 - i));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        GetPixelSetter(bpp)(im.GetWritableBits() + y * im.GetStride(), x, (x * 7 + y * 3 + seed) % (1 << bpp));
  }
  if (mask) {
    EXPECT_TRUE(im.CreateMask());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* row = im.GetWritableMaskBits() + y * im.GetMaskStride();
        if (bpp == 24)
          row[x] = "\x00\x80\xff\xff"[(x + y + seed) % 4];
        else
          SetPixel1(row, x, (x + 2 * y + seed) % 3 != 0);
      }
  }
  return im;
}

CRasterImage MaskFromFunction(int w, int h, bool (*selected)(int, int)) {
  CRasterImage m;
  EXPECT_TRUE(m.Create(w, h, 1));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel1(m.GetWritableBits() + y * m.GetStride(), x, selected(x, y));
  return m;
}

// --- selection masks ---------------------------------------------------------

TEST(SelectionMask, NonZeroBoundsAtEveryDepth) {
  for (int bpp : {1, 8, 24})
    for (int w : {1, 7, 8, 9, 15, 33}) {
      CRasterImage im;
      ASSERT_TRUE(im.Create(w, 8, bpp));
      Rect r{5, 5, 5, 5};
      EXPECT_FALSE(GetMaskImageBounds(im, &r));
      EXPECT_EQ(r, (Rect{0, 0, 0, 0}));
      // Padding bits past the width never count.
      if (bpp == 1 && w % 8) im.GetWritableBits()[im.GetStride() - 1] |= static_cast<uint8_t>(0xFF >> (w % 8));
      EXPECT_FALSE(GetMaskImageBounds(im, &r)) << w;
      const int x = std::min(3, w - 1);
      uint8_t* row = im.GetWritableBits() + 5 * im.GetStride();
      if (bpp == 1) SetPixel1(row, x, 1);
      if (bpp == 8) row[x] = 9;
      if (bpp == 24) row[3 * x + 2] = 1;  // only blue
      EXPECT_TRUE(GetMaskImageBounds(im, &r));
      EXPECT_EQ(r, (Rect{x, 5, x + 1, 6})) << bpp << " bits, width " << w;
      uint8_t* last = im.GetWritableBits() + 7 * im.GetStride();
      if (bpp == 1) SetPixel1(last, w - 1, 1);
      if (bpp == 8) last[w - 1] = 1;
      if (bpp == 24) last[3 * (w - 1)] = 1;
      EXPECT_TRUE(GetMaskImageBounds(im, &r));
      EXPECT_EQ(r, (Rect{x, 5, w, 8})) << bpp << " bits, width " << w;
    }
}

TEST(SelectionMask, RectangleSelectionInEveryMode) {
  CRasterImage image = Picture(12, 6, 24, 1, false);
  const CRasterImage current = MaskFromFunction(12, 6, [](int x, int) { return x < 4; });
  // Replace.
  CRasterImage m = MakeRectSelectionMask(image, Rect{2, 1, 6, 3}, &current, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel1(m.GetRow(y), x), x >= 2 && x < 6 && y >= 1 && y < 3);
  // Add.
  m = MakeRectSelectionMask(image, Rect{2, 1, 6, 3}, &current, 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel1(m.GetRow(y), x), x < 4 || (x < 6 && y >= 1 && y < 3));
  // Subtract.
  m = MakeRectSelectionMask(image, Rect{2, 1, 6, 3}, &current, 2);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel1(m.GetRow(y), x), x < 2 || (x < 4 && (y < 1 || y >= 3)));
  EXPECT_EQ(GetPixel1(current.GetRow(1), 2), 1);  // the current selection is untouched
  // Transparent pixels are not selected; rectangles are clipped.
  image = Picture(12, 6, 24, 2, true);
  m = MakeRectSelectionMask(image, Rect{-5, -5, 50, 50}, nullptr, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(GetPixel1(m.GetRow(y), x), image.GetMaskRow(y)[x] != 0);
  // A current selection of another size is refused.
  EXPECT_FALSE(MakeRectSelectionMask(image, Rect{0, 0, 2, 2}, &m, 1).IsEmpty());
  const CRasterImage wrong = MaskFromFunction(3, 3, [](int, int) { return true; });
  EXPECT_TRUE(MakeRectSelectionMask(image, Rect{0, 0, 2, 2}, &wrong, 1).IsEmpty());
}

TEST(SelectionMask, RunsPointsAndPlacement) {
  const CRasterImage m = MaskFromFunction(40, 3, [](int x, int y) { return x >= 3 && x < 37 && y < 2; });
  EXPECT_TRUE(IsRunSelected(34, m.GetBits(), 3, 2, m.GetStride()));
  EXPECT_FALSE(IsRunSelected(35, m.GetBits(), 3, 2, m.GetStride()));
  EXPECT_FALSE(IsRunSelected(34, m.GetBits(), 3, 3, m.GetStride()));
  EXPECT_FALSE(IsRunSelected(34, m.GetBits(), 2, 1, m.GetStride()));

  CRasterImage image = Picture(5, 4, 8, 1, true);
  EXPECT_EQ(IsPointSelected(1, 0, image), GetPixel1(image.GetMaskRow(0), 1) == 1);
  EXPECT_FALSE(IsPointSelected(5, 0, image));
  EXPECT_FALSE(IsPointSelected(-1, 0, image));
  image.RemoveMask();
  EXPECT_TRUE(IsPointSelected(4, 3, image));

  const CRasterImage masked = Picture(5, 4, 24, 3, true);
  for (const Point off : {Point{2, 1}, Point{-2, -1}, Point{8, 2}}) {
    const CRasterImage placed = PlaceSelectionMask(masked, off, 9, 6);
    ASSERT_EQ(placed.GetWidth(), 9);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 9; ++x) {
        const int ix = x - off.x, iy = y - off.y;
        const bool want = ix >= 0 && iy >= 0 && ix < 5 && iy < 4 && masked.GetMaskRow(iy)[ix] != 0;
        EXPECT_EQ(GetPixel1(placed.GetRow(y), x), want) << off.x << "," << off.y << " at " << x << "," << y;
      }
  }
  EXPECT_TRUE(PlaceSelectionMask(CRasterImage(), Point{}, 3, 3).IsEmpty());
}

// --- compose -------------------------------------------------------------------

TEST(ComposeImages, TableOfOffsetsDepthsAndMasks) {
  for (int bpp : {24, 8, 4, 1})
    for (bool baseMask : {false, true})
      for (bool overlayMask : {false, true})
        for (const Point off : {Point{0, 0}, Point{3, 2}, Point{-2, -3}, Point{9, -1}, Point{-4, 12}, Point{11, 11}}) {
          const CRasterImage base = Picture(10, 10, bpp, 1, baseMask);
          CRasterImage overlay = Picture(4, 4, bpp, 5, overlayMask);
          if (bpp != 24) overlay.m_palette = base.m_palette;  // read through the base's palette
          const CRasterImage out = ComposeImages(base, overlay, off.x, off.y);
          const int bx = std::max(-off.x, 0), by = std::max(-off.y, 0), ox = std::max(off.x, 0),
                    oy = std::max(off.y, 0);
          ASSERT_EQ(out.GetWidth(), std::max(ox + 4, bx + 10));
          ASSERT_EQ(out.GetHeight(), std::max(oy + 4, by + 10));
          ASSERT_EQ(out.GetBitsPerPixel(), bpp);
          bool anyTransparent = false;
          for (int y = 0; y < out.GetHeight(); ++y)
            for (int x = 0; x < out.GetWidth(); ++x) {
              const Px b = PixelOf(base, x - bx, y - by), o = PixelOf(overlay, x - ox, y - oy);
              // Indexed composition copies opaque overlay pixels over the base.
              const Px want = bpp == 24 ? Over(o, b) : (o.a ? o : b);
              anyTransparent |= want.a != 255;
              ASSERT_EQ(PixelOf(out, x, y), want) << bpp << " bits, offset " << off.x << "," << off.y << " at "
                                                  << x << "," << y;
            }
          EXPECT_EQ(out.HasMask(), anyTransparent);
        }
}

TEST(ComposeImages, EmptyInputsAndMismatchedDepths) {
  const CRasterImage a = Picture(3, 3, 8, 1, false), b = Picture(2, 2, 4, 1, false);
  EXPECT_TRUE(ComposeImages(CRasterImage(), CRasterImage(), 1, 1).IsEmpty());
  EXPECT_TRUE(ComposeImages(CRasterImage(), a, 5, 5).SharesPixelsWith(a));
  EXPECT_TRUE(ComposeImages(a, CRasterImage(), 5, 5).SharesPixelsWith(a));
  EXPECT_TRUE(ComposeImages(a, b, 0, 0).IsEmpty());  // indexed overlay of another depth
  // A 24-bit base takes an overlay of any depth.
  const CRasterImage rgb = Picture(3, 3, 24, 1, false);
  EXPECT_EQ(PixelOf(ComposeImages(rgb, b, 1, 1), 2, 2), PixelOf(b, 1, 1));
  // A result past the largest side is refused.
  EXPECT_TRUE(ComposeImages(a, a, 32767, 0).IsEmpty());
}

TEST(ComposeImages, MatchesImageMagickOverOnASpanningCanvas) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  for (int bpp : {24, 8, 4, 1})
    for (const Point off : {Point{3, 2}, Point{-2, -3}, Point{9, -1}, Point{-4, 12}}) {
      const CRasterImage base = Picture(10, 10, bpp, 1, true);
      CRasterImage overlay = Picture(4, 4, bpp, 5, true);
      if (bpp != 24) overlay.m_palette = base.m_palette;
      const CRasterImage out = ComposeImages(base, overlay, off.x, off.y);
      WritePam(dir / "base.pam", base);
      WritePam(dir / "overlay.pam", overlay);
      const int bx = std::max(-off.x, 0), by = std::max(-off.y, 0), ox = std::max(off.x, 0), oy = std::max(off.y, 0);
      const std::string command = "cd " + ShellQuote(dir.path().string()) + " && convert -size " +
                                  std::to_string(out.GetWidth()) + "x" + std::to_string(out.GetHeight()) +
                                  " xc:none base.pam -geometry +" + std::to_string(bx) + "+" + std::to_string(by) +
                                  " -compose over -composite overlay.pam -geometry +" + std::to_string(ox) + "+" +
                                  std::to_string(oy) + " -compose over -composite -depth 8 out.pam";
      ASSERT_EQ(RunCommand(command), 0);
      // ImageMagick rounds where the compositor truncates.
      EXPECT_EQ(CompareRgb(out, ReadPnm(dir / "out.pam"), bpp == 24 ? 2 : 0), "")
          << bpp << " bits, offset " << off.x << "," << off.y;
    }
}

// --- extract ---------------------------------------------------------------------

TEST(ExtractSelection, RectangleOfAnOpaqueImageHasNoMask) {
  for (int bpp : {24, 8, 4, 1}) {
    CRasterImage image = Picture(20, 12, bpp, 2, false);
    const CRasterImage original = image;
    const CRasterImage sel = MaskFromFunction(20, 12, [](int x, int y) { return x >= 3 && x < 12 && y >= 2 && y < 7; });
    Rect bounds{-1, -1, -1, -1};
    const CRasterImage out = ExtractSelection(image, sel, false, &bounds);
    ASSERT_EQ(out.GetWidth(), 9);
    ASSERT_EQ(out.GetHeight(), 5);
    EXPECT_FALSE(out.HasMask());
    EXPECT_EQ(bounds, (Rect{0, 0, 20, 12}));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(PixelOf(out, x, y), PixelOf(original, x + 3, y + 2));
    EXPECT_TRUE(image.SharesPixelsWith(original));  // unchanged without cut
  }
}

bool InCircle(int x, int y) { return (x - 10) * (x - 10) + (y - 8) * (y - 8) <= 25; }

TEST(ExtractSelection, CircleGivesTransparentCornersAndCutClearsTheSource) {
  for (int bpp : {24, 8, 4, 1})
    for (bool mask : {false, true}) {
      CRasterImage image = Picture(20, 16, bpp, 4, mask);
      const CRasterImage original = image;
      const CRasterImage sel = MaskFromFunction(20, 16, InCircle);
      Rect bounds;
      const CRasterImage out = ExtractSelection(image, sel, true, &bounds);
      ASSERT_EQ(out.GetWidth(), 11);
      ASSERT_EQ(out.GetHeight(), 11);
      ASSERT_TRUE(out.HasMask());
      EXPECT_EQ(PixelOf(out, 0, 0).a, 0);
      for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
          const bool in = InCircle(x + 5, y + 3);
          const Px want = in ? PixelOf(original, x + 5, y + 3) : Px{0, 0, 0, 0};
          ASSERT_EQ(PixelOf(out, x, y), want) << x << "," << y;
          if (!in && bpp == 24) { ASSERT_EQ(out.GetRow(y)[3 * x] | out.GetRow(y)[3 * x + 1] | out.GetRow(y)[3 * x + 2], 0); }
          if (!in && bpp == 8) { ASSERT_EQ(out.GetRow(y)[x], 0); }
        }
      // The cut: selected pixels transparent with value 0, the rest kept.
      ASSERT_TRUE(image.HasMask());
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
          const Px want = InCircle(x, y) ? Px{0, 0, 0, 0} : PixelOf(original, x, y);
          ASSERT_EQ(PixelOf(image, x, y), want);
          if (InCircle(x, y) && bpp == 8) { ASSERT_EQ(image.GetRow(y)[x], 0); }
        }
      EXPECT_EQ(bounds, (Rect{0, 0, 20, 16}));
    }
}

TEST(ExtractSelection, MatchesImageMagickMaskAndCrop) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  for (int bpp : {24, 8, 4, 1}) {
    CRasterImage image = Picture(20, 16, bpp, 4, false);
    const CRasterImage sel = MaskFromFunction(20, 16, InCircle);
    WritePam(dir / "image.pam", image);
    // The selection as a gray picture: selected white, so it becomes alpha.
    CRasterImage selGray;
    ASSERT_TRUE(selGray.Create(20, 16, 8));
    SetGrayPalette(selGray);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 20; ++x) selGray.GetWritableBits()[y * 20 + x] = GetPixel1(sel.GetRow(y), x) ? 255 : 0;
    WritePam(dir / "sel.pam", selGray);
    ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.path().string()) +
                         " && convert image.pam sel.pam -alpha off -compose copy_opacity -composite"
                         " -crop 11x11+5+3 +repage -depth 8 out.pam"),
              0);
    const CRasterImage out = ExtractSelection(image, sel, false, nullptr);
    EXPECT_EQ(CompareRgb(out, ReadPnm(dir / "out.pam")), "") << bpp << " bits";
  }
}

TEST(ExtractSelection, NothingForEmptyOrUnusableSelections) {
  CRasterImage image = Picture(8, 8, 24, 1, false);
  Rect bounds{1, 2, 3, 4};
  const CRasterImage none = MaskFromFunction(8, 8, [](int, int) { return false; });
  EXPECT_TRUE(ExtractSelection(image, none, true, &bounds).IsEmpty());
  const CRasterImage small = MaskFromFunction(4, 4, [](int, int) { return true; });
  EXPECT_TRUE(ExtractSelection(image, small, true, &bounds).IsEmpty());
  EXPECT_TRUE(ExtractSelection(image, CRasterImage(), true, &bounds).IsEmpty());
  EXPECT_EQ(bounds, (Rect{1, 2, 3, 4}));
  EXPECT_FALSE(image.HasMask());
}

TEST(CropToMask, CropsToTheOpaqueArea) {
  CRasterImage image = Picture(10, 8, 24, 1, false);
  EXPECT_TRUE(CropToMask(image).SharesPixelsWith(image));  // no mask: a plain copy
  ASSERT_TRUE(image.CreateMask());
  EXPECT_TRUE(CropToMask(image).IsEmpty());  // nothing opaque
  image.GetWritableMaskBits()[3 * 10 + 2] = 40;
  image.GetWritableMaskBits()[5 * 10 + 6] = 255;
  const CRasterImage out = CropToMask(image);
  ASSERT_EQ(out.GetWidth(), 5);
  ASSERT_EQ(out.GetHeight(), 3);
  EXPECT_EQ(PixelOf(out, 0, 0), PixelOf(image, 2, 3));
  EXPECT_EQ(PixelOf(out, 4, 2), PixelOf(image, 6, 5));
}

}  // namespace
