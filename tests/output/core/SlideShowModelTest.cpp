// The show's state machine against a recording host and a scripted source.

#include "output/core/SlideShowModel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "tests/output/core/SlideShowTestUtil.h"

namespace {

using slide_testing::Frame;
using slide_testing::Solid;

class RecordingHost : public ISlideShowHost {
 public:
  void StartTimer(int id, int ms) override {
    timer = id;
    timerMs = ms;
    ++timersStarted;
  }
  void StopTimer() override { timer = 0; }
  void GetClientSize(int32_t* w, int32_t* h) override {
    *w = 64;
    *h = 48;
  }
  void Invalidate(bool erase) override { ++repaints; }
  bool PlayFade(const FADE_PAIR& pair) override {
    fades.push_back(pair);
    if (keyDuringFade) model->Close();
    return !model->IsClosing();
  }
  void DestroyWindow() override { ++destroyed; }
  void Report(int level, const std::string& text) override { reports.push_back(text); }

  // Fires the running timer the way the window does: cleared, then handled.
  void Fire() {
    const int id = timer;
    ASSERT_NE(id, 0) << "no timer runs";
    timer = 0;
    model->OnTimer(id);
  }

  CSlideShowModel* model = nullptr;
  int timer = 0, timerMs = -1, timersStarted = 0, repaints = 0, destroyed = 0;
  bool keyDuringFade = false;
  std::vector<FADE_PAIR> fades;
  std::vector<std::string> reports;
};

// Items: a still picture, an animation of n frames, or a file that fails.
struct Item {
  int frames = 1;  // 0: the read fails
  int delay = 10;
};

class ScriptedSource : public ISlideSource {
 public:
  explicit ScriptedSource(std::vector<Item> items) : m_items(std::move(items)) {}
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  PREPARED_SLIDE Take(int index) override {
    ++reads[index];
    PREPARED_SLIDE slide;
    const Item& item = m_items[static_cast<size_t>(index)];
    if (item.frames == 0) {
      slide.result = IMAGEIO_CORRUPT;
      slide.messages.emplace_back(2, "Failed to open item" + std::to_string(index));
      return slide;
    }
    slide.image.m_nWidth = 8;
    slide.image.m_nHeight = 8;
    for (int i = 0; i < item.frames; ++i)
      slide.image.m_frames.push_back(Frame(Solid(8, 8, static_cast<uint8_t>(index * 40), 0, 0), 0, 0, item.delay + i));
    slide.first = ComposeSlideFrame(slide.image.m_frames.data(), item.frames, 0, 8, 8, 64, 48);
    return slide;
  }
  void Prefetch(int index) override { prefetched.push_back(index); }

  std::map<int, int> reads;
  std::vector<int> prefetched;

 private:
  std::vector<Item> m_items;
};

struct Show {
  Show(const Show&) = delete;
  Show(std::initializer_list<Item> items, int seconds = 5, bool transition = false) : source(items), model(&host) {
    host.model = &model;
    model.SetSource(&source);
    model.SetInterval(seconds);
    model.SetTransition(transition);
    model.NextSlide();
  }
  RecordingHost host;
  ScriptedSource source;
  CSlideShowModel model;
};

TEST(SlideShowModel, OneStillPictureStaysWithoutATimer) {
  Show show({{1}});
  EXPECT_EQ(show.host.timer, 0);
  EXPECT_EQ(show.host.timersStarted, 0);
  EXPECT_FALSE(show.model.GetPicture().picture.IsEmpty());
  EXPECT_TRUE(show.source.prefetched.empty());
}

TEST(SlideShowModel, StillPicturesFollowEachOtherAfterThePause) {
  struct Case {
    int seconds, ms;
  };
  for (const Case c : {Case{5, 5000}, Case{0, 0}, Case{-3, 0}, Case{1000, 1000000}}) {
    Show show({{1}, {1}, {1}}, c.seconds);
    EXPECT_EQ(show.host.timer, CSlideShowModel::kSlideTimer);
    EXPECT_EQ(show.host.timerMs, c.ms);
    EXPECT_EQ(show.source.prefetched, std::vector<int>{1});  // read ahead while item 0 shows
    show.host.Fire();
    show.host.Fire();
    EXPECT_EQ(show.source.reads[2], 1);
    show.host.Fire();  // the show starts again from the first item
    EXPECT_EQ(show.source.reads[0], 2);
    EXPECT_EQ(show.host.timer, CSlideShowModel::kSlideTimer);
  }
}

TEST(SlideShowModel, OneAnimationLoopsItsFramesWithTheirDelays) {
  Show show({{3, 7}});
  EXPECT_EQ(show.host.timer, CSlideShowModel::kFrameTimer);
  EXPECT_EQ(show.host.timerMs, 70);
  std::vector<std::pair<int, int>> seen;  // frame, timer ms
  for (int i = 0; i < 5; ++i) {
    show.host.Fire();
    seen.emplace_back(show.model.GetCurrentFrame(), show.host.timerMs);
  }
  const std::vector<std::pair<int, int>> expected = {{1, 80}, {2, 90}, {0, 70}, {1, 80}, {2, 90}};
  EXPECT_EQ(seen, expected);
}

TEST(SlideShowModel, NextFileFollowsOnePauseAfterAnAnimationsLastFrame) {
  Show show({{2, 5}, {1}}, 2);
  show.host.Fire();  // frame 1
  EXPECT_EQ(show.model.GetCurrentFrame(), 1);
  show.host.Fire();  // past the last frame: the pause
  EXPECT_EQ(show.host.timer, CSlideShowModel::kSlideTimer);
  EXPECT_EQ(show.host.timerMs, 2000);
  EXPECT_EQ(show.model.GetCurrentFrame(), 1);  // the last frame stays meanwhile
  show.host.Fire();
  EXPECT_EQ(show.source.reads[1], 1);
  EXPECT_EQ(show.model.GetFrameCount(), 1);
}

TEST(SlideShowModel, AFileThatFailsIsReportedOnceAndSkippedAfterwards) {
  Show show({{1}, {0}, {1}}, 0);
  show.host.Fire();  // item 1 fails
  EXPECT_EQ(show.host.reports, std::vector<std::string>{"Failed to open item1"});
  EXPECT_TRUE(show.model.HasFailed(1));
  EXPECT_EQ(show.host.timer, CSlideShowModel::kSlideTimer);
  EXPECT_FALSE(show.model.GetPicture().picture.IsEmpty());  // the last picture stays
  for (int i = 0; i < 6; ++i) show.host.Fire();
  EXPECT_EQ(show.source.reads[1], 1);
  EXPECT_EQ(show.host.reports.size(), 1u);
  EXPECT_GE(show.source.reads[2], 3);
}

TEST(SlideShowModel, WhenNothingCanBeReadTheShowWaitsForAKey) {
  Show show({{0}, {0}}, 0);
  show.host.Fire();
  EXPECT_EQ(show.host.timer, 0);
  EXPECT_EQ(show.host.reports.size(), 2u);
  EXPECT_TRUE(show.model.GetPicture().picture.IsEmpty());
  show.model.Close();
  EXPECT_EQ(show.host.destroyed, 1);
}

TEST(SlideShowModel, TheFirstPictureFadesInFromBlackAndLaterOnesCrossFade) {
  Show show({{1}, {1}}, 1, true);
  ASSERT_EQ(show.host.fades.size(), 1u);
  EXPECT_TRUE(show.host.fades[0].oldPicture.IsEmpty());
  show.host.Fire();
  ASSERT_EQ(show.host.fades.size(), 2u);
  EXPECT_FALSE(show.host.fades[1].oldPicture.IsEmpty());
  EXPECT_EQ(show.host.fades[1].newPicture.GetBitsPerPixel(), 24);
  EXPECT_FALSE(show.model.IsBusy());
  // Without the transition no fade is played.
  Show plain({{1}, {1}}, 1, false);
  plain.host.Fire();
  EXPECT_TRUE(plain.host.fades.empty());
}

TEST(SlideShowModel, AKeyDuringTheFadeClosesTheWindowWhenTheFadeEnds) {
  RecordingHost host;
  ScriptedSource source({{1}, {1}});
  CSlideShowModel model(&host);
  host.model = &model;
  host.keyDuringFade = true;
  model.SetSource(&source);
  model.SetInterval(1);
  model.NextSlide();
  EXPECT_TRUE(model.IsClosing());
  EXPECT_EQ(host.destroyed, 1);  // once, after the busy phase
  EXPECT_EQ(host.timer, 0);      // and no timer for a next picture
  model.Close();
  EXPECT_EQ(host.destroyed, 1);
}

TEST(SlideShowModel, AKeyBetweenPicturesClosesAtOnce) {
  Show show({{1}, {1}});
  show.model.Close();
  EXPECT_EQ(show.host.destroyed, 1);
  EXPECT_EQ(show.host.timer, 0);
}

struct LoopCase {
  uint16_t loopCount;
  int framesShown;  // frame changes before the player stops (-1: never)
};

TEST(SlideShowModel, FullScreenPlaysTheLoopCountThenKeepsTheLastFrame) {
  for (const LoopCase c : {LoopCase{0, 2}, LoopCase{1, 5}, LoopCase{2, 8}, LoopCase{kLoopForever, -1}}) {
    SCOPED_TRACE(c.loopCount);
    RecordingHost host;
    CSlideShowModel model(&host);
    host.model = &model;
    std::vector<CAnimFrame> frames = {Frame(Solid(4, 4, 255, 0, 0), 0, 0, 4), Frame(Solid(4, 4, 0, 255, 0), 0, 0, 5),
                                      Frame(Solid(4, 4, 0, 0, 255), 0, 0, 6)};
    model.SetFrames(frames, 4, 4, c.loopCount);
    EXPECT_EQ(host.timerMs, 40);
    int changes = 0;
    while (host.timer != 0 && changes < 100) {
      host.Fire();
      if (host.timer != 0) ++changes;
    }
    if (c.framesShown < 0) {
      EXPECT_EQ(changes, 100);
    } else {
      EXPECT_EQ(changes, c.framesShown);
      EXPECT_EQ(model.GetCurrentFrame(), 2);
    }
  }
}

TEST(SlideShowModel, FullScreenComposesWithDisposal) {
  RecordingHost host;
  CSlideShowModel model(&host);
  host.model = &model;
  // Frame 0 is restored to the background, frame 1 stays: frame 2 shows over frame 1 only.
  std::vector<CAnimFrame> frames = {Frame(Solid(2, 2, 255, 0, 0), 0, 0, 1, 0x08), Frame(Solid(2, 2, 0, 255, 0), 2, 0, 1, 0x04),
                                    Frame(Solid(1, 1, 0, 0, 255), 3, 1, 1)};
  model.SetFrames(frames, 4, 2);
  host.Fire();
  host.Fire();
  ASSERT_EQ(model.GetCurrentFrame(), 2);
  const SLIDE_PICTURE& p = model.GetPicture();
  EXPECT_EQ(p.pictureLeft, 2);
  EXPECT_EQ(p.picture.GetWidth(), 2);
  EXPECT_EQ(slide_testing::Rgb(p.picture, 0, 0), 0x00FF00u);
  EXPECT_EQ(slide_testing::Rgb(p.picture, 1, 1), 0x0000FFu);
}

}  // namespace
