// Playing an animation without a window: the stepper (delays, loop count,
// delay 0, where it starts), the timer's next look, the repaint rectangle by
// disposal (only bits 2 and 3 count: 4 and 5 keep the frame like 0 and 1), and
// the composite grown frame by frame compared with the
// composite built from scratch.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "editor/model/AnimationPlayback.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

constexpr int64_t kMs = 1000;  // microseconds

std::vector<CAnimFrame> FramesWithDelays(const std::vector<int>& delays) {
  std::vector<CAnimFrame> frames = NumberedFrames(static_cast<int>(delays.size()));
  for (size_t i = 0; i < delays.size(); ++i) frames[i].m_nDelay = static_cast<uint16_t>(delays[i]);
  return frames;
}

// Runs a playback the way the view's one-shot timer does, on a fake clock
// where each look comes `latencyUs` after it was asked for: the frames shown
// in order with the time each was shown, until it finishes (or maxLooks).
struct PlayRun {
  std::vector<int> shown;
  std::vector<int64_t> at;
  int64_t endUs = 0;
  bool finished = false;
};
PlayRun Simulate(const std::vector<CAnimFrame>& frames, int current, uint16_t loopCount, int64_t latencyUs,
             int maxLooks = 100000) {
  PlayRun run;
  PLAYBACK_STATE s;
  int64_t now = 0;
  StartPlayback(s, current, static_cast<int>(frames.size()), now);
  run.shown.push_back(s.frame);
  run.at.push_back(now);
  for (int i = 0; i < maxLooks; ++i) {
    now += NextPlaybackTickMs(s, frames, now) * kMs + latencyUs;
    const PLAYBACK_TICK t = PlaybackTick(s, frames, loopCount, now);
    if (t == PLAYBACK_FINISHED) {
      run.finished = true;
      run.endUs = now;
      break;
    }
    if (t == PLAYBACK_ADVANCED) {
      run.shown.push_back(s.frame);
      run.at.push_back(now);
    }
  }
  return run;
}

TEST(AnimationPlayback, StartsOnTheCurrentFrameOrOnFrameZeroFromTheLast) {
  struct Case {
    int current, count, first;
  } cases[] = {{0, 5, 0}, {2, 5, 2}, {3, 5, 3}, {4, 5, 0}, {1, 2, 0}, {0, 2, 0}, {7, 5, 0}, {-1, 5, 0}};
  for (const Case& c : cases) EXPECT_EQ(FirstPlaybackFrame(c.current, c.count), c.first) << c.current;
}

TEST(AnimationPlayback, LoopCountSaysHowOftenTheFramesPlay) {
  const auto frames = FramesWithDelays({10, 10});
  // Loop count 0: once, stopping on frame 1.
  PlayRun once = Simulate(frames, 0, 0, 0);
  EXPECT_TRUE(once.finished);
  EXPECT_EQ(once.shown, (std::vector<int>{0, 1}));
  // 1: twice; 3: four times.
  EXPECT_EQ(Simulate(frames, 0, 1, 0).shown, (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(Simulate(frames, 0, 3, 0).shown.size(), 8u);
  // From frame 1 of 3 with loop count 0: 1, 2, then the pass ends.
  EXPECT_EQ(Simulate(FramesWithDelays({10, 10, 10}), 1, 0, 0).shown, (std::vector<int>{1, 2}));
  // 65535: the pass counter wraps before it can pass the count.
  PLAYBACK_STATE s;
  StartPlayback(s, 0, 2, 0);
  s.frame = 1;
  s.loops = 65535;
  EXPECT_EQ(PlaybackTick(s, frames, 65535, 200 * kMs), PLAYBACK_ADVANCED);
  EXPECT_EQ(s.loops, 0);
  EXPECT_EQ(s.frame, 0);
  PlayRun forever = Simulate(frames, 0, 65535, 0, 5000);
  EXPECT_FALSE(forever.finished);
  // The same state with a loop count of 65534 would have stopped.
  StartPlayback(s, 0, 2, 0);
  s.frame = 1;
  s.loops = 65534;
  EXPECT_EQ(PlaybackTick(s, frames, 65534, 200 * kMs), PLAYBACK_FINISHED);
  EXPECT_EQ(s.frame, 1);
}

TEST(AnimationPlayback, AFrameStaysItsDelayAndDelayZeroOneTick) {
  const auto frames = FramesWithDelays({10, 0, 3});
  PLAYBACK_STATE s;
  StartPlayback(s, 0, 3, 0);
  // Not before its 100 ms are over.
  EXPECT_EQ(PlaybackTick(s, frames, 0, 50 * kMs), PLAYBACK_WAIT);
  EXPECT_EQ(PlaybackTick(s, frames, 0, 100 * kMs - 1), PLAYBACK_WAIT);
  EXPECT_EQ(PlaybackTick(s, frames, 0, 100 * kMs + 700), PLAYBACK_ADVANCED);
  EXPECT_EQ(s.frame, 1);
  EXPECT_EQ(s.lastTickUs, 100 * kMs);  // a little late: the next frame counts from when this one was due
  // Delay 0: the next tick, 10 ms on.
  EXPECT_EQ(NextPlaybackTickMs(s, frames, s.lastTickUs), kPlaybackTickMs);
  EXPECT_EQ(PlaybackTick(s, frames, 0, s.lastTickUs + 9 * kMs), PLAYBACK_WAIT);
  EXPECT_EQ(PlaybackTick(s, frames, 0, s.lastTickUs + 10 * kMs), PLAYBACK_ADVANCED);
  EXPECT_EQ(s.frame, 2);
  // A look more than a tick late: the next frame counts from the look.
  const int64_t shownAt = s.lastTickUs;
  EXPECT_EQ(PlaybackTick(s, frames, 1, shownAt + 30 * kMs + 10 * kMs + 1), PLAYBACK_ADVANCED);
  EXPECT_EQ(s.lastTickUs, shownAt + 40 * kMs + 1);
}

TEST(AnimationPlayback, TheTimerLooksWhenTheFrameIsDueAtMostATickAhead) {
  const auto frames = FramesWithDelays({10, 2});
  PLAYBACK_STATE s;
  StartPlayback(s, 0, 2, 0);
  struct Case {
    int64_t now;
    int ms;
  } cases[] = {{0, 10}, {50 * kMs, 10}, {90 * kMs, 10}, {95 * kMs, 5}, {95 * kMs + 1, 5}, {99 * kMs, 1},
               {100 * kMs, 1}, {150 * kMs, 1}};
  for (const Case& c : cases) EXPECT_EQ(NextPlaybackTickMs(s, frames, c.now), c.ms) << c.now;
  s.frame = 1;  // 20 ms
  EXPECT_EQ(NextPlaybackTickMs(s, frames, 0), 10);
  EXPECT_EQ(NextPlaybackTickMs(s, frames, 15 * kMs), 5);
}

// 100 frames with their delays: on a clock whose looks come on time or
// 300 us late, the whole playback takes the sum of the delays plus the
// lateness of the last look, nothing more (no rounding to 10 ms ticks, no
// lateness piling up frame after frame).
TEST(AnimationPlayback, HundredFramesTakeTheSumOfTheirDelays) {
  std::vector<int> delays;
  int64_t sum = 0;
  for (int i = 0; i < 100; ++i) {
    delays.push_back(3 + (i * 7) % 9);
    sum += delays.back() * 10 * kMs;
  }
  const auto frames = FramesWithDelays(delays);
  for (int64_t latency : {int64_t{0}, int64_t{300}}) {
    const PlayRun run = Simulate(frames, 0, 0, latency);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.shown.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(run.shown[static_cast<size_t>(i)], i);
    EXPECT_GE(run.endUs, sum);
    // Lateness does not add up: only the last look's counts (plus the
    // timer's whole milliseconds).
    EXPECT_LE(run.endUs, sum + latency + 1000) << latency;
  }
}

CAnimFrame Frame(int left, int top, int w, int h, int disposal, uint8_t red) {
  return MakeFrame(SolidImage(w, h, red, 0, 0), left, top, disposal);
}

TEST(AnimationPlayback, RepaintRectangleByDisposalOfThePreviousFrame) {
  // Frame 1 at (2, 3) 5 x 5 with the disposal of the row, frame 2 at
  // (10, 10) 4 x 4, canvas 40 x 30.
  struct Case {
    int disposal;
    bool currentOnly;
    Rect expected;
  } cases[] = {
      {0, false, Rect{10, 10, 14, 14}}, {1, false, Rect{10, 10, 14, 14}}, {2, false, Rect{2, 3, 14, 14}},
      {3, false, Rect{2, 3, 14, 14}},   {4, false, Rect{10, 10, 14, 14}},   {1, true, Rect{2, 3, 14, 14}},
  };
  for (const Case& c : cases) {
    std::vector<CAnimFrame> frames{Frame(0, 0, 40, 30, 1, 1), Frame(2, 3, 5, 5, c.disposal, 2),
                                   Frame(10, 10, 4, 4, 1, 3)};
    EXPECT_EQ(GetPlaybackCanvasRect(frames, 2, 40, 30, c.currentOnly), c.expected)
        << "disposal " << c.disposal << " only " << c.currentOnly;
    // Frame 0: the whole canvas whatever the disposal.
    EXPECT_EQ(GetPlaybackCanvasRect(frames, 0, 40, 30, c.currentOnly), (Rect{0, 0, 40, 30}));
  }
  // A floating selection counts with the image.
  std::vector<CAnimFrame> frames{Frame(0, 0, 40, 30, 1, 1), Frame(10, 10, 4, 4, 1, 3)};
  frames[1].m_selection = SolidImage(3, 3, 9, 9, 9);
  frames[1].m_rcSelection = Rect{6, -4, 9, -1};
  EXPECT_EQ(GetPlaybackCanvasRect(frames, 1, 40, 30, false), (Rect{10, 6, 19, 14}));
}

// Compares two composites pixel by pixel (colour where covered, and mask).
void ExpectSameComposite(const FRAME_COMPOSITE& a, const FRAME_COMPOSITE& b, int step) {
  ASSERT_EQ(a.image.IsEmpty(), b.image.IsEmpty()) << step;
  if (a.image.IsEmpty()) return;
  ASSERT_EQ(a.left, b.left);
  ASSERT_EQ(a.top, b.top);
  ASSERT_EQ(a.image.GetWidth(), b.image.GetWidth());
  ASSERT_EQ(a.image.GetHeight(), b.image.GetHeight());
  int differences = 0;
  for (int y = 0; y < a.image.GetHeight(); ++y)
    for (int x = 0; x < a.image.GetWidth(); ++x) {
      const uint8_t ma = a.image.GetMaskRow(y)[x], mb = b.image.GetMaskRow(y)[x];
      if (ma != mb) ++differences;
      if (ma != 0 && std::memcmp(a.image.GetRow(y) + 3 * x, b.image.GetRow(y) + 3 * x, 3) != 0) ++differences;
    }
  EXPECT_EQ(differences, 0) << "after frame " << step;
}

// The composite grown one shown frame at a time (as the playback does) is
// the composite built from scratch for that frame, for every disposal.
TEST(AnimationPlayback, CompositeGrownFrameByFrameEqualsTheOneBuiltFromScratch) {
  std::mt19937 random(28);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<CAnimFrame> frames;
    const int count = 3 + static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) {
      const int w = 1 + static_cast<int>(random() % 30), h = 1 + static_cast<int>(random() % 20);
      CAnimFrame f = Frame(static_cast<int>(random() % 40) - 5, static_cast<int>(random() % 30) - 5, w, h,
                           static_cast<int>(random() % 4), static_cast<uint8_t>(10 + i));
      if (random() % 3 == 0) {
        // Partly transparent.
        f.m_image.CreateMask();
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            f.m_image.GetWritableMaskBits()[y * f.m_image.GetMaskStride() + x] = (x + y) % 2 ? 255 : 90;
      }
      frames.push_back(std::move(f));
    }
    FRAME_COMPOSITE grown = BuildFrameComposite(frames, 50, 40, 0, false, true, 0);
    for (int shown = 1; shown < count - 1; ++shown) {
      if (AddFrameToComposite(grown, frames[static_cast<size_t>(shown)], 50, 40)) grown.composedFrame = shown;
      ExpectSameComposite(grown, BuildFrameComposite(frames, 50, 40, 0, false, true, shown), shown);
    }
    // Back at frame 0: cleared, then frame 0 drawn again.
    ClearComposite(grown);
    EXPECT_EQ(grown.composedFrame, -1);
    if (AddFrameToComposite(grown, frames[0], 50, 40)) grown.composedFrame = 0;
    ExpectSameComposite(grown, BuildFrameComposite(frames, 50, 40, 0, false, true, 0), 0);
  }
}

TEST(AnimationPlayback, DisposalDecidesWhetherAFrameEntersTheComposite) {
  struct Case {
    int disposal;
    bool added;
  } cases[] = {{0, true}, {1, true}, {2, false}, {3, false}, {4, true}, {5, true}, {6, false}};
  for (const Case& c : cases) {
    std::vector<CAnimFrame> frames{Frame(0, 0, 20, 20, 1, 1), Frame(4, 4, 5, 5, c.disposal, 2),
                                   Frame(0, 0, 2, 2, 1, 3)};
    FRAME_COMPOSITE composite = BuildFrameComposite(frames, 20, 20, 0, false, true, 0);
    ASSERT_FALSE(composite.image.IsEmpty());
    EXPECT_EQ(AddFrameToComposite(composite, frames[1], 20, 20), c.added) << c.disposal;
    EXPECT_EQ(composite.image.GetRow(5)[15], c.added ? 2 : 1) << c.disposal;  // pixel (5, 5)
  }
  // Nothing goes into an empty composite.
  FRAME_COMPOSITE none;
  EXPECT_FALSE(AddFrameToComposite(none, Frame(0, 0, 2, 2, 1, 1), 20, 20));
}

// A kept frame that reaches past the composite (a 1 x 1 frame outside it, a
// frame half outside) is clipped to it: nothing is written beyond.
TEST(AnimationPlayback, AFrameOutsideTheCompositeIsClipped) {
  std::vector<CAnimFrame> frames{Frame(5, 5, 10, 10, 1, 1), Frame(0, 0, 2, 2, 1, 3)};
  FRAME_COMPOSITE composite = BuildFrameComposite(frames, 30, 30, 0, false, true, 0);
  ASSERT_EQ(composite.left, 5);
  ASSERT_EQ(composite.image.GetWidth(), 10);
  EXPECT_FALSE(AddFrameToComposite(composite, Frame(29, 29, 1, 1, 1, 7), 30, 30));
  EXPECT_FALSE(AddFrameToComposite(composite, Frame(15, 5, 1, 1, 1, 7), 30, 30));
  EXPECT_TRUE(AddFrameToComposite(composite, Frame(12, 12, 8, 8, 1, 7), 30, 30));
  EXPECT_EQ(composite.image.GetRow(9)[3 * 9], 7);   // canvas (14, 14)
  EXPECT_EQ(composite.image.GetRow(6)[3 * 6], 1);   // canvas (11, 11)
}

}  // namespace
