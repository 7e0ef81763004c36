// Panning a 24-megapixel image (6000 x 4000) in an 800 x 600 image preview
// control on the X display: the time of one pan step until the window is
// repainted. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/pictoravell_ui_bench
// Steps:
//   BM_PanStep/dx       on screen: the mouse moves dx pixels, the window
//                       scrolls and the uncovered strip is painted; timed
//                       until the paint has happened (includes the window
//                       system's scroll and its frame pacing)
//   BM_FullRepaint      on screen: the whole control invalidated and painted
//   BM_StripWork/dx     the drawing work of one pan step: Render clipped to
//                       the dx x 600 strip a scroll uncovers
//   BM_RenderOnly       Render of the whole 800 x 600 area into a bitmap

#include <benchmark/benchmark.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/ui/UiBench.h"
#include "shell/ImagePreviewCtrl.h"
#include "tests/support/TestSupport.h"

namespace {

struct Scene {
  wxFrame* frame = nullptr;
  CImagePreviewCtrl* preview = nullptr;
  CRasterImage image;
};

void Pump() {
  wxTheApp->ProcessPendingEvents();
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
    while (loop->Pending()) loop->Dispatch();
}

Scene& TheScene() {
  static Scene scene = [] {
    Scene s;
    s.image = testing_support::MakeTestPicture(6000, 4000);
    s.frame = new wxFrame(nullptr, wxID_ANY, "pan", wxPoint(0, 0), wxSize(840, 660));
    auto* panel = new wxPanel(s.frame);
    s.preview = new CImagePreviewCtrl(panel, wxID_ANY, wxPoint(10, 10), wxSize(800, 600));
    s.preview->SetImage(&s.image);
    s.preview->SetImageSize(6000, 4000);
    s.preview->CenterImage();
    s.frame->Show();
    for (int i = 0; i < 200 && !s.preview->IsShownOnScreen(); ++i) {
      Pump();
      wxMilliSleep(5);
    }
    s.preview->Update();
    return s;
  }();
  return scene;
}

void BM_PanStep(benchmark::State& state) {
  Scene& s = TheScene();
  const int dx = static_cast<int>(state.range(0));
  int direction = 1, x = 400;
  s.preview->MouseDown(wxPoint(x, 300));
  for (auto _ : state) {
    // Back and forth over the picture, so the clamps never stop the pan.
    if (s.preview->GetScrollX() < -5000) direction = 1;
    if (s.preview->GetScrollX() > -100) direction = -1;
    x += direction * dx;
    const int paints = s.preview->GetPaintCount();
    s.preview->MouseMove(wxPoint(x, 300));
    while (s.preview->GetPaintCount() == paints) Pump();
  }
  s.preview->MouseUp();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PanStep)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    const int paints = s.preview->GetPaintCount();
    s.preview->Refresh(false);
    while (s.preview->GetPaintCount() == paints) Pump();
  }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_StripWork(benchmark::State& state) {
  Scene& s = TheScene();
  const int dx = static_cast<int>(state.range(0));
  wxBitmap bitmap(800, 600, 24);
  for (auto _ : state) {
    wxMemoryDC dc(bitmap);
    dc.SetClippingRegion(800 - dx, 0, dx, 600);
    s.preview->Render(dc);
  }
}
BENCHMARK(BM_StripWork)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_RenderOnly(benchmark::State& state) {
  Scene& s = TheScene();
  wxBitmap bitmap(800, 600, 24);
  for (auto _ : state) {
    wxMemoryDC dc(bitmap);
    s.preview->Render(dc);
  }
}
BENCHMARK(BM_RenderOnly)->Unit(benchmark::kMillisecond);

class BenchApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

namespace {
std::vector<std::function<void()>>& Cleanups() {
  static std::vector<std::function<void()>> cleanups;
  return cleanups;
}
}  // namespace

void AddUiBenchCleanup(std::function<void()> cleanup) { Cleanups().push_back(std::move(cleanup)); }

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!getenv("DISPLAY")) {
    fprintf(stderr, "needs an X display (run under xvfb-run)\n");
    return 1;
  }
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    benchmark::RunSpecifiedBenchmarks();
    TheScene().frame->Destroy();
    for (auto& cleanup : Cleanups()) cleanup();
    Pump();
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}
