// The browser view on the X display, over a folder of 1,000 camera-sized
// JPEG photographs (1600 x 1200) whose thumbnails are already in the cache.
// Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/pictoravell_ui_bench --benchmark_filter=Browser
// Steps:
//   BM_BrowserFirstScreenful   a new view entering browse mode on the folder
//                              until its first screenful of thumbnails is
//                              painted (the cache read, the grid, the paint)
//   BM_BrowserScrollStep/px    160-pixel thumbnails filling a 1000 x 800
//                              window: one scroll step of px pixels until the
//                              uncovered strip is painted
//   BM_BrowserFullRepaint      the whole window of 160-pixel thumbnails

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "browser/ImageBrowserView.h"

namespace {

namespace fs = std::filesystem;

void PumpEvents() {
  wxTheApp->ProcessPendingEvents();
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
    while (loop->Pending()) loop->Dispatch();
}

template <class Pred>
bool PumpUntil(Pred pred, long ms = 60000) {
  wxStopWatch watch;
  while (!pred()) {
    if (watch.Time() > ms) return false;
    PumpEvents();
    wxMilliSleep(1);
  }
  return true;
}

struct BrowserScene {
  fs::path root, folder, cache;
  wxFrame* frame = nullptr;
  bool ok = false;
};

BrowserScene& TheBrowserScene() {
  static BrowserScene scene = [] {
    BrowserScene s;
    s.root = fs::temp_directory_path() / ("browser-bench-" + std::to_string(::getpid()));
    s.folder = s.root / "photos";
    s.cache = s.root / "cache";
    fs::create_directories(s.folder);
    const fs::path first = s.folder / "IMG_0000.jpg";
    if (std::system(("convert -seed 3 -size 1600x1200 plasma:orange-navy -blur 0x2 -quality 85 " + first.string() +
                     " 2>/dev/null")
                        .c_str()) != 0)
      return s;
    for (int i = 1; i < 1000; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "IMG_%04d.jpg", i);
      fs::copy_file(first, s.folder / name);
    }
    s.frame = new wxFrame(nullptr, wxID_ANY, "browser bench", wxPoint(0, 0), wxSize(1000, 800));
    s.frame->Show();
    PumpUntil([&] { return s.frame->IsShownOnScreen(); }, 5000);
    // Warm the cache for the default box.
    {
      auto* view = new CImageBrowserView(s.frame, s.cache.string());
      view->SetSize(s.frame->GetClientSize());
      view->BrowseFolder(s.folder.string() + "/");
      PumpUntil([&] { return view->GetReloadCount() > 0; }, 600000);
      view->Destroy();
      PumpEvents();
    }
    s.ok = true;
    return s;
  }();
  return scene;
}

void BM_BrowserFirstScreenful(benchmark::State& state) {
  BrowserScene& s = TheBrowserScene();
  if (!s.ok) {
    state.SkipWithError("no scene (ImageMagick missing?)");
    return;
  }
  for (auto _ : state) {
    auto* view = new CImageBrowserView(s.frame, s.cache.string());
    view->SetSize(s.frame->GetClientSize());
    view->SetBrowseFolder(s.folder.string() + "/");
    view->OnEnterBrowse();  // the mode switch
    PumpUntil([&] {
      return view->GetItems().GetCount() == 1000 && view->GetItems()[0].HasThumbnail() && view->GetPaintCount() > 0 &&
             view->GetReloadCount() > 0;
    });
    state.PauseTiming();
    view->Destroy();
    PumpEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BrowserFirstScreenful)->Unit(benchmark::kMillisecond)->Iterations(5);

// Waits for the paint of a step. Update() has the window system deliver the
// pending expose at once, so the step's time is the scroll and the paint
// themselves, not the display's frame pacing; should the paint not come
// there, the events are pumped (without sleeping, which on a loaded machine
// costs a scheduler slice per round) and the step counts as a late one.
int g_lateSteps = 0;
void WaitForPaint(CImageBrowserView& view, int paints, benchmark::State&) {
  view.Update();
  if (view.GetPaintCount() > paints) return;
  ++g_lateSteps;
  wxStopWatch watch;
  while (view.GetPaintCount() <= paints && watch.Time() < 60000) PumpEvents();
}
void ReportWaits(benchmark::State& state) {
  state.counters["late_steps"] = g_lateSteps;
  g_lateSteps = 0;
}

CImageBrowserView* BigThumbnailView(BrowserScene& s) {
  static CImageBrowserView* view = nullptr;
  if (!view) {
    view = new CImageBrowserView(s.frame, s.cache.string());
    view->SetSize(s.frame->GetClientSize());
    view->SetThumbnailSize(4);
    view->BrowseFolder(s.folder.string() + "/");
    PumpUntil([&] { return view->GetReloadCount() > 0; });
    view->PauseTimers();
  }
  return view;
}

void BM_BrowserScrollStep(benchmark::State& state) {
  BrowserScene& s = TheBrowserScene();
  if (!s.ok) {
    state.SkipWithError("no scene");
    return;
  }
  CImageBrowserView* view = BigThumbnailView(s);
  int ux = 1, uy = 1;
  view->GetScrollPixelsPerUnit(&ux, &uy);
  const int units = static_cast<int>(state.range(0)) / uy;
  int y = 0, direction = 1;
  const int maxUnits = view->GetVirtualSize().y / uy - view->GetClientSize().y / uy - 1;
  for (auto _ : state) {
    if (y + units > maxUnits) direction = -1;
    if (y - units < 0) direction = 1;
    y += direction * units;
    const int paints = view->GetPaintCount();
    view->Scroll(0, y);
    WaitForPaint(*view, paints, state);
  }
  ReportWaits(state);
}
BENCHMARK(BM_BrowserScrollStep)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_BrowserFullRepaint(benchmark::State& state) {
  BrowserScene& s = TheBrowserScene();
  if (!s.ok) {
    state.SkipWithError("no scene");
    return;
  }
  CImageBrowserView* view = BigThumbnailView(s);
  for (auto _ : state) {
    const int paints = view->GetPaintCount();
    view->Refresh(false);
    WaitForPaint(*view, paints, state);
  }
  ReportWaits(state);
}
BENCHMARK(BM_BrowserFullRepaint)->Unit(benchmark::kMillisecond);

struct CleanUp {
  ~CleanUp() {
    std::error_code ignored;
    fs::remove_all(fs::temp_directory_path() / ("browser-bench-" + std::to_string(::getpid())), ignored);
  }
} g_cleanUp;

}  // namespace
