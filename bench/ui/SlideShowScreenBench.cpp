// The slide show on a real X display: three 24-megapixel JPEGs shown with
// cross-fades at the display's size (run it under
// xvfb-run -s "-screen 0 1920x1080x24"). Prints, for each picture change, the
// gap from the pause's end to the first fade frame on the screen, how long
// the screen waited for the read-ahead, and the time each fade frame took to
// reach the screen (the frame itself is blended ahead on a worker thread).
// For comparison it prints what reading the next picture would cost the
// change without the read-ahead.
// Usage: pictoravell_ui_bench [folder with *.jpg]   (default: made in /tmp)

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/ImageFile.h"
#include "output/SlideShowWnd.h"
#include "tests/support/TestSupport.h"

namespace {

class BenchApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

std::vector<std::string> Pictures(int argc, char** argv) {
  std::vector<std::string> paths;
  if (argc > 1)
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
      if (entry.path().extension() == ".jpg") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  if (!paths.empty()) return paths;
  for (int i = 0; i < 3; ++i) {
    const std::string p = "/tmp/pictoravell-bench-slide" + std::to_string(i) + ".jpg";
    if (!std::filesystem::exists(p)) {
      CImageFileRequest request;
      request.m_strFileName = p;
      CAnimFrame frame;
      frame.m_image = testing_support::MakeTestPicture(6000, 4000, static_cast<unsigned>(i + 11));
      request.m_frames.push_back(frame);
      request.m_nWidth = 6000;
      request.m_nHeight = 4000;
      JPEG_SAVE_OPTIONS options;
      options.nQuality = 90;
      WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, &options);
    }
    paths.push_back(p);
  }
  return paths;
}

struct Change {
  int item;
  int64_t gapMs;
  int64_t readWaitMs;
  PLAYER_STATS fade;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv) {
  if (!getenv("DISPLAY")) {
    std::fprintf(stderr, "needs an X display (xvfb-run)\n");
    return 1;
  }
  const std::vector<std::string> paths = Pictures(argc, argv);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  std::vector<Change> changes;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    wxTimer watcher;
    int lastShown = -1;
    watcher.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      CSlideShowWnd* w = g_pSlideShowWnd;
      if (!w) return;
      CSlideShowModel& m = w->GetModel();
      if (m.IsBusy() || m.GetShownItem() == lastShown) return;
      lastShown = m.GetShownItem();
      changes.push_back({lastShown, w->GetLastChangeGapMs(), w->GetReadAhead()->GetLastWaitMs(), w->GetLastFadeStats()});
      if (changes.size() >= 5) m.Close();
    });
    SetSlideShowStartHook([&](CSlideShowWnd*) { watcher.Start(2); });
    RunSlideShow(paths, 1, true);
  }
  const wxSize screen = wxGetDisplaySize();
  std::printf("screen %dx%d, %zu pictures\n", screen.x, screen.y, paths.size());
  std::printf("%-6s %-10s %-12s %-10s %-14s %-14s %-12s\n", "item", "gap ms", "read wait", "frames", "frame max ms",
              "frame mean ms", "blend wait");
  for (const auto& c : changes)
    std::printf("%-6d %-10lld %-12lld %-10d %-14lld %-14.1f %-12lld\n", c.item, static_cast<long long>(c.gapMs),
                static_cast<long long>(c.readWaitMs), c.fade.framesShown, static_cast<long long>(c.fade.maxDrawMs),
                c.fade.framesShown ? double(c.fade.totalDrawMs) / c.fade.framesShown : 0.0,
                static_cast<long long>(c.fade.maxFrameWaitMs));
  // Without reading ahead the change would first read and fit the picture.
  const auto t0 = std::chrono::steady_clock::now();
  PREPARED_SLIDE slide = PrepareSlide(paths[0], screen.x, screen.y);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  std::printf("reading and fitting one picture on the spot: %lld ms (result %d)\n", static_cast<long long>(ms),
              slide.result);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}
