#include <gtest/gtest.h>

#include "imaging/AnimFrame.h"
#include "imaging/Rotate.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::CompareRgb;
using testing_support::MakeTestPicture;

// A 30 x 20 canvas with two off-centre frames, one reaching past the right edge.
CMultiFrameImage TwoFrames() {
  std::vector<CAnimFrame> frames(2);
  frames[0].m_image = MakeTestPicture(12, 7, 1);
  frames[0].m_nLeft = 3;
  frames[0].m_nTop = 2;
  frames[1].m_image = MakeTestPicture(9, 5, 2);
  frames[1].m_nLeft = 25;
  frames[1].m_nTop = 14;
  return CMultiFrameImage(30, 20, std::move(frames));
}

TEST(MultiFrameRotate, FramesLandWhereTheTurnedCanvasPutsThem) {
  struct Case { int degrees, result; };
  for (const Case c : {Case{90, 90}, Case{180, 180}, Case{270, 270}, Case{-90, 270}, Case{450, 90}, Case{-270, 90}}) {
    const CMultiFrameImage before = TwoFrames();
    CMultiFrameImage after = TwoFrames();
    ASSERT_EQ(after.Rotate(c.degrees), c.result) << c.degrees;
    EXPECT_EQ(after.m_nWidth, c.result == 180 ? 30 : 20);
    EXPECT_EQ(after.m_nHeight, c.result == 180 ? 20 : 30);
    for (int k = 0; k < 2; ++k) {
      // The turned canvas of each frame equals the canvas of the turned frame.
      const CRasterImage expected =
          RotateImageRightAngle(before.m_frames[k].Flatten(30, 20, true, RGBQUAD{}), c.result);
      const CRasterImage got = after.m_frames[k].Flatten(after.m_nWidth, after.m_nHeight, true, RGBQUAD{});
      EXPECT_EQ(CompareRgb(expected, got), "") << c.degrees << " frame " << k;
    }
  }
}

TEST(MultiFrameRotate, OtherAnglesChangeNothing) {
  for (int degrees : {0, 45, 360, 720, -360}) {
    CMultiFrameImage image = TwoFrames();
    EXPECT_EQ(image.Rotate(degrees), 0) << degrees;
    EXPECT_EQ(image.m_nWidth, 30);
    EXPECT_EQ(image.m_frames[1].m_nLeft, 25);
  }
  CMultiFrameImage none;
  EXPECT_EQ(none.Rotate(90), 0);
  // Four quarter turns give the frames back.
  CMultiFrameImage image = TwoFrames();
  for (int i = 0; i < 4; ++i) image.Rotate(90);
  const CMultiFrameImage original = TwoFrames();
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(image.m_frames[k].m_nLeft, original.m_frames[k].m_nLeft);
    EXPECT_EQ(image.m_frames[k].m_nTop, original.m_frames[k].m_nTop);
    EXPECT_EQ(CompareRgb(image.m_frames[k].m_image, original.m_frames[k].m_image), "");
  }
}

}  // namespace
