// Turning the current frame by any angle, without a document: the image or
// the selection keeps its centre, the only full-canvas frame takes the
// canvas with it, 24-bit and indexed frames alike; the turned box is
// compared with Pillow's own rotation of an opaque rectangle (expand=True,
// box of the opaque pixels); results above 32767 pixels are refused with a
// message and change nothing.

#include <gtest/gtest.h>

#include <string>

#include "editor/model/FrameEdits.h"
#include "imaging/Rotate.h"
#include "tests/editor/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace editor_testing;
using namespace testing_support;

CRasterImage Indexed(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 8);
  SetGrayPalette(image);
  image.GetWritablePalette()[3].rgbRed = 90;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.GetWritableBits()[int64_t{y} * image.GetStride() + x] = uint8_t(x ^ y);
  return image;
}

// Pillow's box of an opaque w x h rectangle turned clockwise by the angle.
bool PillowTurnedBox(int w, int h, int angle, int& bw, int& bh) {
  TempDir dir;
  const std::string script = "from PIL import Image\nim = Image.new('L', (" + std::to_string(w) + ", " +
                             std::to_string(h) + "), 255).rotate(" + std::to_string(-angle) +
                             ", resample=Image.NEAREST, expand=True)\nb = im.getbbox()\n"
                             "print(b[2] - b[0], b[3] - b[1])\n";
  WriteFileBytes(dir / "box.py", std::vector<uint8_t>(script.begin(), script.end()));
  std::string output;
  if (RunCommand(Python() + " " + ShellQuote((dir / "box.py").string()), &output) != 0) return false;
  return sscanf(output.c_str(), "%d %d", &bw, &bh) == 2;
}

TEST(ArbitraryRotation, ImagesAndSelectionsKeepTheirCentreAndMatchPillowsBox) {
  REQUIRE_TOOL(Python());
  struct Case {
    bool indexed;
    bool selection;
    bool animation;
    int angle;
  } cases[] = {
      {false, false, false, 30},  {false, false, false, -30}, {true, false, false, 45},
      {false, true, false, 200},  {true, true, false, -135},  {false, false, true, 60},
      {true, false, true, -10},
  };
  for (const Case& c : cases) {
    const CRasterImage image = c.indexed ? Indexed(40, 30) : SolidImage(40, 30, 10, 20, 30);
    std::vector<CAnimFrame> frames{MakeFrame(image)};
    if (c.animation) {
      frames.push_back(MakeFrame(image, 6, 4));
      frames[1].m_image = c.indexed ? Indexed(20, 16) : SolidImage(20, 16, 1, 2, 3);
    }
    const int current = c.animation ? 1 : 0;
    CAnimFrame& target = frames[current];
    if (c.selection) {
      target.m_selection = c.indexed ? Indexed(16, 10) : SolidImage(16, 10, 7, 7, 7);
      target.m_rcSelection = Rect{5, 7, 21, 17};  // centre 13, 12
    }
    const CRasterImage& source = c.selection ? target.m_selection : target.m_image;
    const int sw = source.GetWidth(), sh = source.GetHeight();
    int16_t w = 40, h = 30;
    const std::vector<CAnimFrame> before = frames;
    const FRAME_EDIT_RESULT r = RotateCurrentFrame(frames, w, h, current, c.angle);
    ASSERT_TRUE(r.changed) << c.angle;
    EXPECT_EQ(r.label, RotationLabel(c.angle));
    const CAnimFrame& turned = frames[current];
    const CRasterImage& result = c.selection ? turned.m_selection : turned.m_image;
    EXPECT_EQ(result.GetBitsPerPixel(), c.indexed ? 8 : 24);
    EXPECT_TRUE(result.HasMask());
    int pw = 0, ph = 0;
    ASSERT_TRUE(PillowTurnedBox(sw, sh, c.angle, pw, ph));
    EXPECT_NEAR(result.GetWidth(), pw, 2) << c.angle;
    EXPECT_NEAR(result.GetHeight(), ph, 2) << c.angle;
    if (c.selection) {
      const Rect& s = turned.m_rcSelection;
      EXPECT_EQ(s.right - s.left, result.GetWidth());
      EXPECT_EQ(s.left, 13 - result.GetWidth() / 2);
      EXPECT_EQ(s.top, 12 - result.GetHeight() / 2);
      EXPECT_EQ(turned.m_image.GetWidth(), before[current].m_image.GetWidth());  // the image stays
      EXPECT_EQ(w, 40);
    } else if (c.animation) {
      // About the frame's centre on the canvas (6 + 10, 4 + 8); the canvas stays.
      EXPECT_EQ(turned.m_nLeft, 16 - result.GetWidth() / 2);
      EXPECT_EQ(turned.m_nTop, 12 - result.GetHeight() / 2);
      EXPECT_EQ(w, 40);
      EXPECT_EQ(h, 30);
      EXPECT_EQ(frames[0].m_image.GetWidth(), 40);
    } else {
      EXPECT_EQ(w, result.GetWidth());
      EXPECT_EQ(h, result.GetHeight());
      EXPECT_EQ(turned.m_nLeft, 0);
    }
  }
}

TEST(ArbitraryRotation, ResultsAbove32767PixelsAreRefused) {
  // 32000 x 15000 (1 bit) turned by 45 degrees would be about 33234 wide.
  CRasterImage huge;
  ASSERT_TRUE(huge.Create(32000, 15000, 1));
  std::vector<CAnimFrame> frames{MakeFrame(huge)};
  int16_t w = 32000, h = 15000;
  const FRAME_EDIT_RESULT r = RotateCurrentFrame(frames, w, h, 0, 45);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(r.refusal, "The result would be larger than 32767 pixels.");
  EXPECT_EQ(w, 32000);
  EXPECT_EQ(frames[0].m_image.GetWidth(), 32000);
  // The same turned by 90 fits.
  std::vector<CAnimFrame> narrow{MakeFrame(SolidImage(2, 32000, 1, 1, 1))};
  int16_t nw = 2, nh = 32000;
  EXPECT_TRUE(RotateCurrentFrame(narrow, nw, nh, 0, -90).changed);
  EXPECT_EQ(nw, 32000);
  EXPECT_EQ(nh, 2);
}

}  // namespace
