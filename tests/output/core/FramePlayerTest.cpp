#include "output/core/FramePlayer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/output/core/SlideShowTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using slide_testing::Solid;

// A screen with a clock that only moves when the player sleeps or draws.
class FakeScreen : public IPlayerScreen, public CProgressSink {
 public:
  bool DrawFrame(const CPlayerFrame& frame) override {
    now += drawMs;
    drawnAt.push_back(now);
    firstBytes.push_back(frame.m_rgb.empty() ? -1 : frame.m_rgb[0]);
    last = CRasterImage{};
    last.Create(frame.m_nWidth, frame.m_nHeight, 24);
    for (int y = 0; y < frame.m_nHeight; ++y)
      std::memcpy(last.GetWritableBits() + y * last.GetStride(), frame.m_rgb.data() + y * frame.GetStride(),
                  static_cast<size_t>(frame.GetStride()));
    return true;
  }
  int64_t NowMs() override { return now; }
  void SleepMs(int ms) override {
    now += ms;
    slept.push_back(ms);
  }
  void BeginBusy(int) override {}
  void EndBusy() override {}
  bool PumpMessages() override {
    ++pumps;
    return stopAfterFrames >= 0 && static_cast<int>(drawnAt.size()) >= stopAfterFrames;
  }

  int64_t now = 0;
  int drawMs = 3;
  int stopAfterFrames = -1;
  int pumps = 0;
  std::vector<int64_t> drawnAt;
  std::vector<int> slept;
  std::vector<int> firstBytes;
  CRasterImage last;
};

TEST(FramePlayer, FramesAreRowsOfRedGreenBlueTopDown) {
  CRasterImage image = testing_support::MakeTestPicture(5, 3, 2);
  const CPlayerFrame frame(image, 33);
  ASSERT_EQ(frame.m_nWidth, 5);
  ASSERT_EQ(frame.m_nHeight, 3);
  EXPECT_EQ(frame.m_nMilliseconds, 33);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(0, std::memcmp(&frame.m_rgb[static_cast<size_t>(y) * 15], image.GetRow(y), 15));
  CRasterImage indexed;
  indexed.Create(2, 2, 8);
  EXPECT_TRUE(CPlayerFrame(indexed, 10).IsEmpty());
}

TEST(FramePlayer, EachFrameStaysForItsTime) {
  CFramePlayer player;
  FakeScreen screen;
  for (int v : {10, 20, 30}) ASSERT_TRUE(player.AddFrame(Solid(2, 2, static_cast<uint8_t>(v), 0, 0), 33));
  player.Finish();
  EXPECT_TRUE(player.Play(&screen, &screen));
  EXPECT_EQ(screen.firstBytes, (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(screen.drawnAt, (std::vector<int64_t>{3, 36, 69}));
  EXPECT_EQ(screen.slept, (std::vector<int>{30, 30, 30}));  // what the drawing left of 33 ms
  EXPECT_EQ(player.GetStats().framesShown, 3);
  EXPECT_EQ(player.GetStats().maxDrawMs, 3);
}

TEST(FramePlayer, AStopEndsThePlaybackBeforeTheNextFrame) {
  CFramePlayer player(8);
  FakeScreen screen;
  screen.stopAfterFrames = 2;
  for (int v = 0; v < 5; ++v) ASSERT_TRUE(player.AddFrame(Solid(1, 1, static_cast<uint8_t>(v), 0, 0), 33));
  player.Finish();
  EXPECT_FALSE(player.Play(&screen, &screen));
  EXPECT_EQ(screen.drawnAt.size(), 2u);
  // A producer still adding frames is told to give up.
  EXPECT_FALSE(player.AddFrame(Solid(1, 1, 0, 0, 0), 33));
}

TEST(FramePlayer, CrossFadePlaysTwentyFourBlendsEndingOnTheNewPicture) {
  const CRasterImage old = testing_support::MakeTestPicture(40, 30, 7);
  const CRasterImage next = testing_support::MakeTestPicture(30, 40, 8);
  FADE_PAIR pair{next, old, 5, -5};
  FakeScreen screen;
  PLAYER_STATS stats;
  EXPECT_TRUE(PlayCrossFade(pair, &screen, &screen, &stats));
  EXPECT_EQ(stats.framesShown, kFadeSteps);
  ASSERT_EQ(screen.drawnAt.size(), static_cast<size_t>(kFadeSteps));
  EXPECT_EQ(testing_support::CompareRgb(screen.last, BlendPictures(next, old, 5, -5, 255)), "");
  // The last blend is the new picture itself where it lies in the union (0, 5).
  EXPECT_EQ(slide_testing::Rgb(screen.last, 0, 5), slide_testing::Rgb(next, 0, 0));
  // 24 frames of 33 ms.
  EXPECT_EQ(screen.now, int64_t{kFadeSteps} * kFadeFrameMs);
}

TEST(FramePlayer, AStopDuringTheFadeEndsItAndReleasesTheProducer) {
  const CRasterImage next = Solid(64, 64, 9, 9, 9);
  FADE_PAIR pair{next, CRasterImage{}, 0, 0};
  FakeScreen screen;
  screen.stopAfterFrames = 3;
  EXPECT_FALSE(PlayCrossFade(pair, &screen, &screen));
  EXPECT_EQ(screen.drawnAt.size(), 3u);
}

}  // namespace
