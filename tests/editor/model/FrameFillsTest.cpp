// The fills without a document: the pattern is tiled from the canvas origin,
// not from the selection's corner; a colour missing from an indexed palette
// takes an unused entry of selection and image, or is refused leaving the
// frames as they were; a background goes under the whole content, which
// keeps its place on the canvas.

#include <gtest/gtest.h>

#include "editor/model/FrameFills.h"
#include "imaging/ImageFill.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

RGBQUAD Pixel24(const CRasterImage& image, int x, int y) {
  const uint8_t* p = image.GetRow(y) + 3 * x;
  return RGBQUAD{p[2], p[1], p[0], 0};
}

// An 8-bit image whose pixels are the given indexes (one row) over a palette
// where entry i is (i, 2i, 3i) for the first `entries` entries.
CRasterImage Indexed(const std::vector<int>& indexes, int entries) {
  CRasterImage image;
  image.Create(static_cast<int>(indexes.size()), 1, 8);
  for (int i = 0; i < image.GetPaletteSize(); ++i) {
    const int v = i < entries ? i : 0;
    image.GetWritablePalette()[i] = RGBQUAD{static_cast<uint8_t>(3 * v), static_cast<uint8_t>(2 * v),
                                            static_cast<uint8_t>(v), 0};
  }
  for (std::size_t x = 0; x < indexes.size(); ++x) image.GetWritableBits()[x] = static_cast<uint8_t>(indexes[x]);
  return image;
}

struct PatternScope {
  explicit PatternScope(const CRasterImage& pattern) { SetPattern(pattern); }
  ~PatternScope() { DiscardPattern(); }
};

TEST(FrameFills, ThePatternIsTiledFromTheCanvasOrigin) {
  // Pattern: red, blue. The selection starts at canvas x = 3 (frame at 2,
  // selection at 1 in the frame), so its first pixel takes the pattern's
  // second column.
  CRasterImage pattern = SolidImage(2, 1, 255, 0, 0);
  pattern.GetWritableBits()[3] = 0;
  pattern.GetWritableBits()[5] = 255;
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(8, 1, 9, 9, 9), 2, 0)};
  frames[0].m_selection = SolidImage(4, 1, 255, 255, 255);
  frames[0].m_rcSelection = Rect{1, 0, 5, 1};
  EXPECT_FALSE(CanFillWithPattern(frames, 0));
  EXPECT_FALSE(FillSelectionWithPattern(frames, 0).changed);
  PatternScope scope(pattern);
  ASSERT_TRUE(CanFillWithPattern(frames, 0));
  const FRAME_EDIT_RESULT r = FillSelectionWithPattern(frames, 0);
  ASSERT_TRUE(r.changed);
  EXPECT_EQ(r.label, "Fill With Pattern");
  const uint8_t* row = frames[0].m_selection.GetRow(0);
  for (int x = 0; x < 4; ++x) {
    const bool blue = (3 + x) % 2 == 1;
    EXPECT_EQ(row[3 * x], blue ? 0 : 255) << x;
    EXPECT_EQ(row[3 * x + 2], blue ? 255 : 0) << x;
  }
  // An indexed selection cannot take a pattern.
  frames[0].m_selection = Indexed({1, 2}, 4);
  EXPECT_FALSE(CanFillWithPattern(frames, 0));
}

TEST(FrameFills, ColourFillsAndIndexedPalettes) {
  const RGBQUAD green{0, 200, 0, 0};
  // 24-bit: every pixel of the selection.
  {
    std::vector<CAnimFrame> frames{MakeFrame(SolidImage(4, 4, 1, 1, 1))};
    frames[0].m_selection = SolidImage(2, 2, 5, 5, 5);
    frames[0].m_rcSelection = Rect{1, 1, 3, 3};
    const FRAME_EDIT_RESULT r = FillSelectionWithColor(frames, 0, green);
    ASSERT_TRUE(r.changed);
    EXPECT_EQ(r.label, "Fill With Color");
    EXPECT_EQ(Pixel24(frames[0].m_selection, 1, 1), green);
    EXPECT_EQ(Pixel24(frames[0].m_image, 0, 0), (RGBQUAD{1, 1, 1, 0}));
  }
  // Indexed with a spare entry: the colour takes it in selection and image.
  {
    std::vector<CAnimFrame> frames{MakeFrame(Indexed({0, 1, 2, 3}, 8))};
    frames[0].m_selection = Indexed({1, 2}, 8);
    frames[0].m_rcSelection = Rect{1, 0, 3, 1};  // over the image's pixels 1 and 2
    const FRAME_EDIT_RESULT r = FillSelectionWithColor(frames, 0, green);
    ASSERT_TRUE(r.changed);
    const int index = frames[0].m_selection.GetRow(0)[0];
    EXPECT_EQ(frames[0].m_selection.GetRow(0)[1], index);
    EXPECT_EQ(frames[0].m_selection.GetPalette()[index], green);
    EXPECT_EQ(frames[0].m_image.GetPalette()[index], green);
    EXPECT_GT(index, 3);  // never an entry a visible pixel uses
  }
  // Indexed with every entry used: refused, nothing changes.
  {
    std::vector<int> all;
    for (int i = 0; i < 256; ++i) all.push_back(i);
    std::vector<CAnimFrame> frames{MakeFrame(Indexed(all, 256))};
    frames[0].m_selection = Indexed({1, 2}, 256);
    frames[0].m_rcSelection = Rect{1, 0, 3, 1};
    const RGBQUAD before = frames[0].m_selection.GetPalette()[255];
    const FRAME_EDIT_RESULT r = FillSelectionWithColor(frames, 0, RGBQUAD{1, 200, 7, 0});
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.refusal, "Color cannot be found in the palette !");
    EXPECT_EQ(frames[0].m_selection.GetRow(0)[0], 1);
    EXPECT_EQ(frames[0].m_selection.GetPalette()[255], before);
  }
  // No selection: nothing.
  std::vector<CAnimFrame> plain{MakeFrame(SolidImage(2, 2, 1, 1, 1))};
  EXPECT_FALSE(FillSelectionWithColor(plain, 0, green).changed);
}

TEST(FrameFills, TheBackgroundGoesUnderTheWholeContent) {
  const RGBQUAD white{255, 255, 255, 0};
  // A 2x2 image at (3, 4) on a 10x8 canvas: it floats where it was, over a
  // canvas-sized background of the colour.
  {
    std::vector<CAnimFrame> frames{MakeFrame(SolidImage(2, 2, 10, 20, 30), 3, 4)};
    std::string warning;
    const FRAME_EDIT_RESULT r = AddBackgroundFill(frames, 0, 10, 8, white, &warning);
    ASSERT_TRUE(r.changed);
    EXPECT_EQ(r.label, "Add Background Fill");
    EXPECT_TRUE(warning.empty());
    const CAnimFrame& f = frames[0];
    EXPECT_EQ(f.m_nLeft, 0);
    EXPECT_EQ(f.m_image.GetWidth(), 10);
    EXPECT_EQ(f.m_image.GetHeight(), 8);
    EXPECT_EQ(Pixel24(f.m_image, 9, 7), white);
    EXPECT_EQ(f.m_rcSelection, (Rect{3, 4, 5, 6}));
    EXPECT_EQ(f.m_selection.GetRow(0)[0], 10);
  }
  // Indexed content without the colour: the nearest entry, with the warning.
  {
    std::vector<CAnimFrame> frames{MakeFrame(Indexed({1, 2}, 4))};
    std::string warning;
    ASSERT_TRUE(AddBackgroundFill(frames, 0, 4, 2, RGBQUAD{8, 5, 2, 0}, &warning).changed);
    EXPECT_EQ(warning, "The palette does not contain the fill color, use the nearest color instead.");
    EXPECT_EQ(frames[0].m_image.GetBitsPerPixel(), 8);
    EXPECT_EQ(frames[0].m_image.GetRow(1)[3], 3);  // (9, 6, 3) is nearest to (8, 5, 2)
  }
  // A frame with only a selection: the selection keeps its canvas place.
  {
    CAnimFrame frame;
    frame.m_nLeft = 2;
    frame.m_nTop = 2;
    frame.m_selection = SolidImage(2, 2, 1, 1, 1);
    frame.m_rcSelection = Rect{1, 1, 3, 3};
    std::vector<CAnimFrame> frames{frame};
    ASSERT_TRUE(AddBackgroundFill(frames, 0, 8, 8, white).changed);
    EXPECT_EQ(frames[0].m_nLeft, 0);
    EXPECT_EQ(frames[0].m_rcSelection, (Rect{3, 3, 5, 5}));
    EXPECT_EQ(frames[0].m_image.GetWidth(), 8);
  }
}

}  // namespace
