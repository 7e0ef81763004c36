#include <gtest/gtest.h>

#include "imaging/SampleBall.h"

namespace {

struct BallPixel {
  const char* where;
  int angle, x, y;
  uint8_t red, green, blue, mask;
};

// A 90 x 90 ball has radius 30 around (45, 45). Values worked out by hand
// from the shading rule: at the centre c = -1/3, so N = 53; on the rim at
// (75, 45) c = 1800 / (30 * sqrt(6525)), N = -118.
TEST(SampleBall, CentreRimAndOutside) {
  const BallPixel cases[] = {
      {"centre, angle 0: light segment", 0, 45, 45, 181, 255, 255, 255},
      {"centre, angle 20: the segment turned red", 20, 45, 45, 255, 117, 117, 255},
      {"rim (x = d), shaded dark", 0, 75, 45, 10, 137, 137, 255},
      {"just outside the rim", 0, 76, 45, 255, 255, 255, 0},
      {"corner", 0, 0, 0, 255, 255, 255, 0},
      {"top of the ball (y = -d): latitude pi, red segment, unshaded", 0, 45, 15, 255, 64, 64, 255},
  };
  for (const BallPixel& c : cases) {
    const CRasterImage ball = MakeSampleBallImage(90, 90, true, c.angle);
    ASSERT_FALSE(ball.IsEmpty());
    const uint8_t* p = ball.GetRow(c.y) + 3 * c.x;
    EXPECT_EQ(p[0], c.red) << c.where;
    EXPECT_EQ(p[1], c.green) << c.where;
    EXPECT_EQ(p[2], c.blue) << c.where;
    EXPECT_EQ(ball.GetMaskRow(c.y)[c.x], c.mask) << c.where;
  }
}

TEST(SampleBall, TurnsWithTheAngleAndHasNoMaskWhenNotAsked) {
  const CRasterImage a = MakeSampleBallImage(64, 48, false, 0);
  const CRasterImage b = MakeSampleBallImage(64, 48, false, 10);
  ASSERT_FALSE(a.HasMask());
  int differing = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64 * 3; ++x) {
      differing += a.GetRow(y)[x] != b.GetRow(y)[x];
    }
  EXPECT_GT(differing, 100);
}

TEST(SampleBall, TinySizesGiveABallOfNothing) {
  for (int size : {1, 2}) {
    const CRasterImage ball = MakeSampleBallImage(size, size, true, 0);
    ASSERT_FALSE(ball.IsEmpty());
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) EXPECT_EQ(ball.GetMaskRow(y)[x], 0);
  }
  EXPECT_TRUE(MakeSampleBallImage(0, 10, true, 0).IsEmpty());
}

}  // namespace
