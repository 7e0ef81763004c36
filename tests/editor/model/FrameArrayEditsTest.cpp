// The frame-array builders of the frame commands (insert, duplicate,
// remove), as tables of frame orders and selection marks, and the whole
// optimisation against the imaging functions it is made of.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/model/FrameArrayEdits.h"
#include "editor/model/ImageDocModel.h"
#include "imaging/ColorConversion.h"
#include "imaging/FrameOptimizer.h"
#include "imaging/StandardPalettes.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

// "0,1,N,2" with the selected frames marked by '*': N is an empty frame.
std::string Order(const std::vector<CAnimFrame>& frames) {
  std::string s;
  for (const auto& frame : frames) {
    if (!s.empty()) s += ",";
    s += frame.IsEmpty() ? "N" : std::to_string(FrameNumber(frame));
    if (frame.m_bSelected) s += "*";
  }
  return s;
}

std::vector<CAnimFrame> Marked(int count, std::vector<int> selected) {
  std::vector<CAnimFrame> frames = NumberedFrames(count);
  for (int i : selected) frames[static_cast<size_t>(i)].m_bSelected = 1;
  return frames;
}

TEST(FrameArrayEdits, InsertDuplicateAndRemoveBuildTheArraysOfTheCommands) {
  struct Case {
    const char* name;
    std::vector<CAnimFrame> (*build)(const std::vector<CAnimFrame>&, int current, int n);
    int count;
    std::vector<int> selected;
    int current, n;
    const char* expected;
  } cases[] = {
      {"new frame on 2 of 5", [](const auto& f, int c, int) { return InsertNewFrameAfter(f, c); }, 5, {0, 4}, 2, 0,
       "0,1,2,N*,3,4"},
      {"new frame on the last", [](const auto& f, int c, int) { return InsertNewFrameAfter(f, c); }, 3, {}, 2, 0,
       "0,1,2,N*"},
      {"new frame on the only one", [](const auto& f, int c, int) { return InsertNewFrameAfter(f, c); }, 1, {0}, 0,
       0, "0,N*"},
      {"3 duplicates of 0 of 2", [](const auto& f, int c, int n) { return DuplicateFrameAfter(f, c, n); }, 2, {1}, 0,
       3, "0,0*,0*,0*,1"},
      {"1 duplicate of the last", [](const auto& f, int c, int n) { return DuplicateFrameAfter(f, c, n); }, 3, {}, 2,
       1, "0,1,2,2*"},
      {"0 duplicates", [](const auto& f, int c, int n) { return DuplicateFrameAfter(f, c, n); }, 2, {1}, 0, 0,
       "0,1*"},
      {"remove 1 and 3 of 5", [](const auto& f, int, int) { return RemoveSelectedFrames(f); }, 5, {1, 3}, 0, 0,
       "0,2,4"},
      {"remove every frame", [](const auto& f, int, int) { return RemoveSelectedFrames(f); }, 3, {0, 1, 2}, 0, 0,
       "N"},
      {"remove none", [](const auto& f, int, int) { return RemoveSelectedFrames(f); }, 3, {}, 0, 0, "0,1,2"},
  };
  for (const Case& c : cases) {
    const std::vector<CAnimFrame> frames = Marked(c.count, c.selected);
    EXPECT_EQ(Order(c.build(frames, c.current, c.n)), c.expected) << c.name;
    EXPECT_EQ(static_cast<int>(frames.size()), c.count) << c.name;  // the input is left alone
  }
  // The inserted empty frame is all zero; copies share the image and keep every field.
  std::vector<CAnimFrame> frames = NumberedFrames(2);
  frames[0].m_nLeft = 3;
  frames[0].m_nDelay = 17;
  frames[0].m_nFlags = 8;
  const std::vector<CAnimFrame> inserted = InsertNewFrameAfter(frames, 0);
  EXPECT_EQ(inserted[1].m_nLeft, 0);
  EXPECT_EQ(inserted[1].m_nDelay, 0);
  EXPECT_EQ(inserted[1].m_nFlags, 0);
  const std::vector<CAnimFrame> copies = DuplicateFrameAfter(frames, 0, 2);
  for (int i : {1, 2}) {
    EXPECT_TRUE(copies[static_cast<size_t>(i)].m_image.SharesPixelsWith(frames[0].m_image));
    EXPECT_EQ(copies[static_cast<size_t>(i)].m_nLeft, 3);
    EXPECT_EQ(copies[static_cast<size_t>(i)].m_nDelay, 17);
    EXPECT_EQ(copies[static_cast<size_t>(i)].m_nFlags, 8);
  }
  // Frames of a file go after the current one, selected, in their order.
  std::vector<CAnimFrame> files = NumberedFrames(9);
  files.erase(files.begin(), files.begin() + 7);
  EXPECT_EQ(Order(InsertFramesAfter(Marked(3, {0}), 1, files)), "0,1,7*,8*,2");
}

// A moving block over a fixed background: 24-bit frames, each complete.
std::vector<CAnimFrame> MovingBlock(int count) {
  std::vector<CAnimFrame> frames;
  for (int k = 0; k < count; ++k) {
    CRasterImage image = SolidImage(24, 16, 10, 20, 30);
    for (int y = 4; y < 8; ++y)
      for (int x = 2 * k; x < 2 * k + 4; ++x) {
        uint8_t* p = image.GetWritableBits() + int64_t{y} * image.GetStride() + 3 * x;
        p[0] = 200;
        p[1] = 100;
        p[2] = 50;
      }
    frames.push_back(MakeFrame(image));
  }
  return frames;
}

bool SameFrames(const std::vector<CAnimFrame>& a, const CAnimFrame* b, int count) {
  if (static_cast<int>(a.size()) != count) return false;
  for (int i = 0; i < count; ++i) {
    const CRasterImage &x = a[static_cast<size_t>(i)].m_image, &y = b[i].m_image;
    if (x.GetWidth() != y.GetWidth() || x.GetHeight() != y.GetHeight() ||
        x.GetBitsPerPixel() != y.GetBitsPerPixel() || a[static_cast<size_t>(i)].m_nLeft != b[i].m_nLeft ||
        a[static_cast<size_t>(i)].m_nTop != b[i].m_nTop)
      return false;
    for (int row = 0; row < x.GetHeight(); ++row)
      if (std::memcmp(x.GetRow(row), y.GetRow(row), static_cast<size_t>((x.GetWidth() * x.GetBitsPerPixel() + 7) / 8)))
        return false;
  }
  return true;
}

TEST(FrameArrayEdits, OptimizeFramesIsTheDifferencesThenThePalette) {
  const std::vector<CAnimFrame> frames = MovingBlock(6);
  // Nothing to do: no result.
  EXPECT_TRUE(OptimizeFrames(frames, 24, 16, 0, nullptr, nullptr, nullptr).empty());
  for (int method : {1, 2}) {
    const auto direct = OptimizeFrameDifferences(16, frames.data(), 6, 24, method);
    const std::vector<CAnimFrame> result = OptimizeFrames(frames, 24, 16, method, nullptr, nullptr, nullptr);
    EXPECT_TRUE(SameFrames(result, direct.get(), 6)) << method;
    EXPECT_LT(result[1].m_image.GetWidth(), 24) << method;  // cropped to the change
  }
  // One palette (Web kind, 216 colours, no dither) after the differences.
  GLOBAL_PALETTE_OPTIONS options;
  options.kind = PALETTE_WEB;
  options.count = 256;
  options.dither = 0;
  RGBQUAD palette[256];
  const int colors = BuildPaletteOfKind(PALETTE_WEB, 256, palette);
  ASSERT_GT(colors, 0);
  const auto differences = OptimizeFrameDifferences(16, frames.data(), 6, 24, 1);
  const auto reduced = ReduceFramesToPalette(differences.get(), 6, palette, colors, 0);
  const std::vector<CAnimFrame> result = OptimizeFrames(frames, 24, 16, 1, &options, nullptr, nullptr);
  EXPECT_TRUE(SameFrames(result, reduced.get(), 6));
  for (const auto& frame : result) {
    if (!frame.m_image.IsEmpty()) { EXPECT_EQ(frame.m_image.GetBitsPerPixel(), 8); }
  }
  // The palette alone (method 0) reduces the complete frames.
  const auto whole = ReduceFramesToPalette(frames.data(), 6, palette, colors, 0);
  EXPECT_TRUE(SameFrames(OptimizeFrames(frames, 24, 16, 0, &options, nullptr, nullptr), whole.get(), 6));
  // Adaptive: every frame's colours are in the one palette.
  options.kind = PALETTE_ADAPTIVE;
  RGBQUAD adaptive[256];
  EXPECT_EQ(BuildGlobalPalette(frames, options, adaptive), 2);
  // A palette file that cannot be read, and a cancel, give no result.
  options.kind = PALETTE_FILE;
  options.loadPalette = [](int*, RGBQUAD*) { return false; };
  EXPECT_TRUE(OptimizeFrames(frames, 24, 16, 1, &options, nullptr, nullptr).empty());
  EXPECT_TRUE(OptimizeFrames(frames, 24, 16, 1, nullptr, [] { return true; }, nullptr).empty());
  EXPECT_TRUE(ExpandAllFrames(frames, 24, 16, [] { return true; }, nullptr).empty());
}

TEST(FrameArrayEdits, ExpandAllFramesUndoesTheDifferences) {
  const std::vector<CAnimFrame> frames = MovingBlock(5);
  const auto optimized = OptimizeFrameDifferences(16, frames.data(), 5, 24, 1);
  std::vector<CAnimFrame> small(optimized.get(), optimized.get() + 5);
  const auto direct = ExpandFrames(small.data(), 5, 24, 16);
  const std::vector<CAnimFrame> expanded = ExpandAllFrames(small, 24, 16, nullptr, nullptr);
  EXPECT_TRUE(SameFrames(expanded, direct.get(), 5));
  // Every expanded frame is the complete picture again.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(expanded[static_cast<size_t>(i)].m_image.GetWidth(), 24) << i;
    EXPECT_EQ(std::memcmp(expanded[static_cast<size_t>(i)].m_image.GetRow(5), frames[static_cast<size_t>(i)].m_image.GetRow(5), 72), 0) << i;
  }
}

TEST(FrameArrayEdits, TheBusyGuardMarksEveryFrameAndClearsThemOnEveryWayOut) {
  CImageDocModel doc;
  doc.SetFrames(4, 4, NumberedFrames(3), 0);
  {
    CAllFramesBusyGuard guard(doc);
    for (const auto& frame : doc.GetFrames()) EXPECT_EQ(frame.m_bBusy, 1);
    EXPECT_FALSE(doc.CanEdit());
  }
  EXPECT_FALSE(doc.IsAnyFrameBusy());
  try {
    CAllFramesBusyGuard guard(doc);
    throw 1;
  } catch (int) {
  }
  EXPECT_FALSE(doc.IsAnyFrameBusy());
}

}  // namespace
