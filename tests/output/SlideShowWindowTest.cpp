// The slide show and the full-screen player on the X display: driven from
// inside their own modal loop by injected keys and clicks, the screen read
// back with ImageMagick's import.

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "editor/PictoravellDoc.h"
#include "formats/ImageFile.h"
#include "output/SlideShowWnd.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

std::string WritePicture(const TempDir& dir, const std::string& name, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir / name).string();
  CAnimFrame frame;
  frame.m_image = image;
  request.m_frames.push_back(frame);
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

CRasterImage Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b) { return editor_testing::SolidImage(w, h, r, g, b); }

// The whole X screen as the user sees it.
wxImage CaptureScreen(const std::string& path) {
  std::string output;
  EXPECT_EQ(RunCommand("import -window root " + ShellQuote(path), &output), 0) << output;
  return wxImage(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

uint32_t PixelAt(const wxImage& image, int x, int y) {
  if (!image.IsOk() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return 0xFFFFFFFF;
  return (uint32_t{image.GetRed(x, y)} << 16) | (uint32_t{image.GetGreen(x, y)} << 8) | image.GetBlue(x, y);
}

// Runs a script of steps inside the show's modal loop: each step is polled
// every few milliseconds until it returns true, then the next one starts.
// When the deadline passes the show is closed and the test fails.
class ShowDriver : public wxEvtHandler {
 public:
  using Step = std::function<bool(CSlideShowWnd*)>;
  explicit ShowDriver(std::vector<Step> steps, long deadlineMs = 20000)
      : m_steps(std::move(steps)), m_deadline(deadlineMs), m_timer(this) {
    Bind(wxEVT_TIMER, &ShowDriver::OnTick, this);
    m_previousHook = SetSlideShowStartHook([this](CSlideShowWnd* wnd) {
      m_wnd = wnd;
      if (onStart) onStart(wnd);
      m_watch.Start();
      m_timer.Start(5);
    });
  }
  ~ShowDriver() override {
    m_timer.Stop();
    SetSlideShowStartHook(std::move(m_previousHook));
  }
  bool Finished() const { return m_next >= m_steps.size(); }
  bool TimedOut() const { return m_bTimedOut; }
  // Called with the window as the show starts, before its first picture.
  std::function<void(CSlideShowWnd*)> onStart;

 private:
  void OnTick(wxTimerEvent&) {
    if (m_bInStep || !m_wnd || g_pSlideShowWnd != m_wnd) return;
    if (m_watch.Time() > m_deadline) {
      m_bTimedOut = true;
      m_timer.Stop();
      ADD_FAILURE() << "the show did not reach step " << m_next;
      m_wnd->GetModel().Close();
      return;
    }
    m_bInStep = true;
    while (m_next < m_steps.size() && m_steps[m_next](m_wnd)) ++m_next;
    m_bInStep = false;
    if (Finished()) m_timer.Stop();
  }

  std::vector<Step> m_steps;
  long m_deadline;
  wxTimer m_timer;
  wxStopWatch m_watch;
  CSlideShowWnd* m_wnd = nullptr;
  size_t m_next = 0;
  bool m_bInStep = false;
  bool m_bTimedOut = false;
  SlideShowStartHook m_previousHook;
};

// Steps that press a key or click over the show.
bool PressKey(CSlideShowWnd* wnd) {
  wxUIActionSimulator sim;
  sim.MouseMove(wnd->GetScreenRect().GetPosition() + wxPoint(30, 30));
  sim.Char('n');
  return true;
}
bool Click(CSlideShowWnd* wnd) {
  wxUIActionSimulator sim;
  sim.MouseMove(wnd->GetScreenRect().GetPosition() + wxPoint(60, 40));
  sim.MouseClick();
  return true;
}

TEST(SlideShowWindow, PicturesAreCentredOnBlackAndAKeyEndsTheShow) {
  REQUIRE_TOOL("import");
  shell_testing::FrameFixture f;
  TempDir dir;
  const std::vector<std::string> paths = {WritePicture(dir, "red.png", Solid(400, 300, 220, 30, 30)),
                                          WritePicture(dir, "green.png", Solid(300, 500, 30, 200, 40))};
  const wxSize screen = wxGetDisplaySize();
  wxImage shot;
  int captures = 0;
  ShowDriver driver({[&](CSlideShowWnd* w) { return w->IsShownOnScreen() && w->GetPicturePaintCount() > 0; },
                     [&](CSlideShowWnd* w) {
                       // The picture stays for the whole pause: capture again until
                       // the X server has put it on the screen.
                       w->Update();
                       shot = CaptureScreen((dir / "shown.png").string());
                       return PixelAt(shot, screen.x / 2, screen.y / 2) == 0xDC1E1Eu || ++captures >= 20;
                     },
                     PressKey});
  RunSlideShow(paths, 5, false);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(g_pSlideShowWnd, nullptr);
  // The first picture, 1:1 in the middle of a black screen.
  EXPECT_EQ(PixelAt(shot, screen.x / 2, screen.y / 2), 0xDC1E1Eu);
  EXPECT_EQ(PixelAt(shot, screen.x / 2 - 199, screen.y / 2 - 149), 0xDC1E1Eu);
  EXPECT_EQ(PixelAt(shot, screen.x / 2 - 201, screen.y / 2), 0u);
  EXPECT_EQ(PixelAt(shot, 3, 3), 0u);
  // The main window is back and takes input again.
  EXPECT_TRUE(f.frame->IsShown());
  EXPECT_TRUE(f.frame->IsEnabled());
  EXPECT_TRUE(testing_support::PumpUntil([&] { return f.frame->IsShownOnScreen(); }));
}

TEST(SlideShowWindow, PicturesFollowAfterThePauseWithAFadeAndAClickEndsTheShow) {
  shell_testing::FrameFixture f;
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i)
    paths.push_back(WritePicture(dir, "p" + std::to_string(i) + ".png", testing_support::MakeTestPicture(640, 480, i)));
  std::vector<int> shownItems;
  std::vector<PLAYER_STATS> fades;
  wxStopWatch watch;
  long secondShownAt = -1;
  ShowDriver driver({[&](CSlideShowWnd* w) {
                       // Items advance by themselves; the fade of each change plays in full.
                       const int item = w->GetModel().GetShownItem();
                       if (item >= 0 && !w->GetModel().IsBusy() && (shownItems.empty() || shownItems.back() != item)) {
                         shownItems.push_back(item);
                         fades.push_back(w->GetLastFadeStats());
                         if (shownItems.size() == 2) secondShownAt = watch.Time();
                       }
                       return shownItems.size() >= 4;
                     },
                     Click});
  watch.Start();
  RunSlideShow(paths, 1, true);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(g_pSlideShowWnd, nullptr);
  // After the last item the first comes again.
  EXPECT_EQ(shownItems, (std::vector<int>{0, 1, 2, 0}));
  for (const auto& stats : fades) EXPECT_EQ(stats.framesShown, kFadeSteps);
  // The second picture came after the first one's fade (24 x 33 ms), one
  // pause (1 s) and its own fade.
  EXPECT_GE(secondShownAt, 700 + 1000 + 700);
  EXPECT_TRUE(f.frame->IsEnabled());
}

TEST(SlideShowWindow, AKeyDuringAFadeEndsTheShowWhenTheFadeIsOver) {
  shell_testing::FrameFixture f;
  TempDir dir;
  const std::vector<std::string> paths = {WritePicture(dir, "a.png", testing_support::MakeTestPicture(800, 600, 1)),
                                          WritePicture(dir, "b.png", testing_support::MakeTestPicture(800, 600, 2))};
  bool sawBusy = false;
  ShowDriver driver({[&](CSlideShowWnd* w) { return sawBusy = w->GetModel().IsBusy(); }, PressKey});
  RunSlideShow(paths, 0, true);
  EXPECT_TRUE(sawBusy);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(g_pSlideShowWnd, nullptr);
  EXPECT_TRUE(f.frame->IsEnabled());
}

TEST(SlideShowWindow, AnimatedPicturesPlayTheirFrames) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("import");
  shell_testing::FrameFixture f;
  TempDir dir;
  const std::string gif = (dir / "rgb.gif").string();
  ASSERT_EQ(RunCommand("convert -delay 8 -size 200x200 xc:red xc:lime xc:blue -loop 0 " + ShellQuote(gif)), 0);
  const wxSize screen = wxGetDisplaySize();
  std::set<uint32_t> colours;
  std::vector<int> frames;
  ShowDriver driver({[&](CSlideShowWnd* w) {
                       const int frame = w->GetModel().GetCurrentFrame();
                       if (frames.empty() || frames.back() != frame) {
                         frames.push_back(frame);
                         w->Update();
                         colours.insert(PixelAt(CaptureScreen((dir / "frame.png").string()), screen.x / 2, screen.y / 2));
                       }
                       return frames.size() >= 5;
                     },
                     PressKey});
  RunSlideShow({gif}, 5, false);
  EXPECT_TRUE(driver.Finished());
  ASSERT_GE(frames.size(), 5u);
  EXPECT_EQ(frames[0], 0);
  EXPECT_EQ(frames[1], 1);
  EXPECT_EQ(frames[2], 2);
  EXPECT_EQ(frames[3], 0);  // one animated file loops
  EXPECT_TRUE(colours.count(0xFF0000u)) << colours.size();
  EXPECT_TRUE(colours.count(0x00FF00u)) << colours.size();
  EXPECT_TRUE(colours.count(0x0000FFu)) << colours.size();
}

TEST(SlideShowWindow, DamagedAndVanishedFilesAreSkippedWithAMessage) {
  shell_testing::FrameFixture f;
  testing_support::RecordingMessageSink sink;
  TempDir dir;
  const std::string good1 = WritePicture(dir, "good1.png", Solid(100, 100, 10, 20, 30));
  const std::string good2 = WritePicture(dir, "good2.png", Solid(100, 100, 40, 50, 60));
  const std::string damaged = (dir / "damaged.jpg").string();
  testing_support::WriteFileBytes(damaged, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1});
  const std::string vanished = WritePicture(dir, "vanished.png", Solid(100, 100, 1, 1, 1));
  std::filesystem::remove(vanished);
  std::vector<int> items;
  ShowDriver driver({[&](CSlideShowWnd* w) {
                       CSlideShowModel& m = w->GetModel();
                       return m.HasFailed(1) && m.HasFailed(2) && m.GetCurrentItem() == 1 && m.GetFrameCount() == 1;
                     },
                     PressKey});
  RunSlideShow({good1, vanished, damaged, good2}, 0, false);
  EXPECT_TRUE(driver.Finished());
  std::vector<std::string> texts;
  for (const auto& [level, text] : sink.messages) texts.push_back(text);
  auto has = [&](const std::string& prefix) {
    for (const auto& t : texts)
      if (t.rfind(prefix, 0) == 0) return true;
    return false;
  };
  EXPECT_TRUE(has("Failed to open vanished.png: No such file or directory")) << ::testing::PrintToString(texts);
  EXPECT_TRUE(has("Failed to open damaged.jpg: ")) << ::testing::PrintToString(texts);
  // Each bad file is reported once, however often the show comes round.
  EXPECT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
}

TEST(SlideShowWindow, FullScreenPlaysTheDocumentWithItsDelaysLoopCountAndDisposal) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("gifsicle");
  REQUIRE_TOOL("import");
  editor_testing::DocumentWindowFixture f;
  const FullScreenPlayer previous = SetFullScreenPlayer(PlayAnimationFullScreen);
  TempDir dir;
  // Frame 0 (red, left half) is cleared to the background before frame 1;
  // frame 1 (lime, right half) stays under frame 2 (a blue square). Played
  // twice (loop count 1), 120 ms per frame.
  const std::string gif = (dir / "anim.gif").string();
  const std::string red = (dir / "r.gif").string(), lime = (dir / "g.gif").string(), blue = (dir / "b.gif").string();
  ASSERT_EQ(RunCommand("convert -size 60x60 xc:red " + ShellQuote(red)), 0);
  ASSERT_EQ(RunCommand("convert -size 60x60 xc:lime " + ShellQuote(lime)), 0);
  ASSERT_EQ(RunCommand("convert -size 20x20 xc:blue " + ShellQuote(blue)), 0);
  ASSERT_EQ(RunCommand("gifsicle --logical-screen 120x60 --loopcount=2 --delay 12 --disposal background --position 0,0 " +
                       ShellQuote(red) + " --disposal none --position 60,0 " + ShellQuote(lime) + " --position 80,20 " +
                       ShellQuote(blue) + " > " + ShellQuote(gif)),
            0);
  CPictoravellDoc* doc = OpenImageDocument(gif);
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetFrameCount(), 3);
  EXPECT_TRUE(f.IsEnabled(ID_FULL_SCREEN));
  const wxSize screen = wxGetDisplaySize();
  const int left = (screen.x - 120) / 2, top = (screen.y - 60) / 2;
  int captures = 0;
  std::vector<std::pair<int, long>> changes;  // frame, time
  wxStopWatch watch;
  wxImage last;
  ShowDriver driver({[&](CSlideShowWnd* w) {
                       // The player stops on the last frame after its loops.
                       return changes.size() >= 9 && !w->IsTimerRunning();
                     },
                     [&](CSlideShowWnd* w) {
                       // The last frame stays: capture again until it is on the screen.
                       w->Update();
                       last = CaptureScreen((dir / "last.png").string());
                       return (PixelAt(last, left + 90, top + 30) == 0x0000FFu && PixelAt(last, left + 30, top + 30) == 0u) ||
                              ++captures >= 20;
                     },
                     Click});
  // Each picture change as the player makes it.
  driver.onStart = [&](CSlideShowWnd* w) {
    watch.Start();
    changes.emplace_back(w->GetModel().GetCurrentFrame(), 0);
    w->SetPictureObserver([&](int frame) {
      if (changes.back().first != frame) changes.emplace_back(frame, watch.Time());
    });
  };
  f.Command(ID_FULL_SCREEN);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(g_pSlideShowWnd, nullptr);
  std::vector<int> order;
  for (const auto& c : changes) order.push_back(c.first);
  // Loop count 2 in the file (repeat twice): the frames play three times.
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2})) << ::testing::PrintToString(order);
  // Delays of 120 ms each (timers may come late, never early).
  // Changes are observed when the picture is shown, so one late observation
  // can make the next interval look short: compare the time since the second
  // change with the sum of the delays, and each interval with a wide margin.
  for (size_t i = 2; i < changes.size(); ++i) {
    EXPECT_GE(changes[i].second - changes[1].second, static_cast<long>(i - 1) * 110) << i;
    EXPECT_GE(changes[i].second - changes[i - 1].second, 60) << i;
  }
  // The last frame over what disposal kept: no red, lime on the right, the blue square.
  EXPECT_EQ(PixelAt(last, left + 30, top + 30), 0u);
  EXPECT_EQ(PixelAt(last, left + 65, top + 5), 0x00FF00u);
  EXPECT_EQ(PixelAt(last, left + 90, top + 30), 0x0000FFu);
  // The document's frames are untouched and free again.
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  EXPECT_EQ(doc->GetFrameCount(), 3);
  EXPECT_TRUE(f.frame->IsEnabled());
  SetFullScreenPlayer(previous);
}

TEST(SlideShowWindow, AFadeInProgressMixesBothPictures) {
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("convert");
  shell_testing::FrameFixture f;
  TempDir dir;
  const char* screenshots = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  // Two photograph-like pictures (plasma fractals), the second one smaller.
  const std::string a = (dir / "a.jpg").string(), b = (dir / "b.jpg").string();
  ASSERT_EQ(RunCommand("convert -seed 4 -size 1400x1000 plasma:red-yellow -quality 90 " + ShellQuote(a)), 0);
  ASSERT_EQ(RunCommand("convert -seed 9 -size 700x900 plasma:blue-green -quality 90 " + ShellQuote(b)), 0);
  const wxSize screen = wxGetDisplaySize();
  wxImage before, during;
  wxStopWatch fadeWatch;
  ShowDriver driver({[&](CSlideShowWnd* w) {
                       return w->GetModel().GetCurrentItem() == 1 && !w->GetModel().IsBusy() && w->IsShownOnScreen();
                     },
                     [&](CSlideShowWnd* w) {
                       w->Update();
                       before = CaptureScreen((dir / "before.png").string());
                       return true;
                     },
                     [&](CSlideShowWnd* w) {
                       if (!w->GetModel().IsBusy()) return false;
                       fadeWatch.Start();
                       return true;
                     },
                     [&](CSlideShowWnd* w) {
                       // About half way through the 24 steps of 33 ms.
                       if (fadeWatch.Time() < 330) return false;
                       during = CaptureScreen(screenshots ? std::string(screenshots) + "/slideshow-fade.png"
                                                          : (dir / "during.png").string());
                       return true;
                     },
                     [&](CSlideShowWnd* w) { return !w->GetModel().IsBusy(); },
                     PressKey});
  RunSlideShow({a, b}, 1, true);
  EXPECT_TRUE(driver.Finished());
  ASSERT_TRUE(before.IsOk());
  ASSERT_TRUE(during.IsOk());
  if (screenshots) before.SaveFile(wxString::FromUTF8(std::string(screenshots) + "/slideshow-before-fade.png"));
  // In the middle of the screen both pictures show through: the old one's
  // red and the new one's blue are both there, each weaker than alone.
  const uint32_t old = PixelAt(before, screen.x / 2, screen.y / 2), mixed = PixelAt(during, screen.x / 2, screen.y / 2);
  EXPECT_GT((mixed >> 16) & 0xFF, 0u) << std::hex << mixed;
  EXPECT_LT((mixed >> 16) & 0xFF, (old >> 16) & 0xFF) << std::hex << old << " " << mixed;
  EXPECT_GT(mixed & 0xFF, old & 0xFF) << std::hex << old << " " << mixed;
  // Outside the new, narrower picture the old one fades towards black.
  const int x = screen.x / 2 - 500;
  const uint32_t oldEdge = PixelAt(before, x, screen.y / 2), midEdge = PixelAt(during, x, screen.y / 2);
  EXPECT_LT((midEdge >> 16) & 0xFF, (oldEdge >> 16) & 0xFF) << std::hex << oldEdge << " " << midEdge;
}

}  // namespace

namespace {

// Until the browser hands its files over, Browse mode's Slide Show command
// is shown disabled rather than doing nothing.
TEST(SlideShowWindow, BrowseModeCommandWaitsForTheBrowsersFiles) {
  shell_testing::FrameFixture f;
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  wxUpdateUIEvent event(ID_SLIDE_SHOW);
  event.SetEventObject(f.frame);
  f.frame->ProcessWindowEvent(event);
  EXPECT_TRUE(event.GetSetEnabled());
  EXPECT_FALSE(event.GetEnabled());
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
}

}  // namespace
