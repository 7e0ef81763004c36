// The animation frame list with 500 frames (every fifth one expanded with its
// thumbnail) in a 240 x 600 list on the X display. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/pictoravell_ui_bench --benchmark_filter=FrameList
// Steps:
//   BM_FrameListFullRepaint   on screen: the whole list invalidated and painted
//   BM_FrameListScrollStep    on screen: one row's scroll and its repaint
//   BM_FrameListRender        Render of the whole list into a bitmap

#include <benchmark/benchmark.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/wx.h>

#include <vector>

#include "bench/ui/UiBench.h"
#include "shell/FrameListCtrl.h"
#include "tests/support/TestSupport.h"

namespace {

struct ListScene {
  wxFrame* frame = nullptr;
  CFrameListCtrl* list = nullptr;
  std::vector<CAnimFrame> frames;
};

void PumpEvents() {
  wxTheApp->ProcessPendingEvents();
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
    while (loop->Pending()) loop->Dispatch();
}

ListScene& TheListScene() {
  static ListScene scene = [] {
    ListScene s;
    const CRasterImage picture = testing_support::MakeTestPicture(320, 240);
    s.frames.resize(500);
    for (int i = 0; i < 500; ++i) {
      CAnimFrame& f = s.frames[static_cast<std::size_t>(i)];
      f.m_image = picture;
      f.m_nDelay = static_cast<uint16_t>(i % 100);
      f.m_nFlags = static_cast<uint8_t>((i % 4) << 2);
      f.m_bExpanded = i % 5 == 0 ? 1 : 0;
    }
    s.frame = new wxFrame(nullptr, wxID_ANY, "frames", wxPoint(0, 0), wxSize(280, 660));
    s.list = new CFrameListCtrl(s.frame, wxID_ANY, wxPoint(0, 0), wxSize(240, 600));
    s.list->SetFrames(320, 240, &s.frames);
    s.frame->Show();
    for (int i = 0; i < 200 && !s.list->IsShownOnScreen(); ++i) {
      PumpEvents();
      wxMilliSleep(5);
    }
    s.list->Update();
    AddUiBenchCleanup([] {
      TheListScene().list->SetFrames(0, 0, nullptr);
      TheListScene().frame->Destroy();
    });
    return s;
  }();
  return scene;
}

void BM_FrameListFullRepaint(benchmark::State& state) {
  ListScene& s = TheListScene();
  for (auto _ : state) {
    const int paints = s.list->GetPaintCount();
    s.list->Refresh(false);
    while (s.list->GetPaintCount() == paints) PumpEvents();
  }
}
BENCHMARK(BM_FrameListFullRepaint)->Unit(benchmark::kMillisecond);

void BM_FrameListScrollStep(benchmark::State& state) {
  ListScene& s = TheListScene();
  const int step = s.list->GetModel().GetRowHeight();
  const int maximum = s.list->GetContentHeight() - s.list->GetClientSize().y;
  int direction = 1;
  for (auto _ : state) {
    if (s.list->GetScrollPosition() + step > maximum) direction = -1;
    if (s.list->GetScrollPosition() - step < 0) direction = 1;
    const int paints = s.list->GetPaintCount();
    s.list->ScrollTo(s.list->GetScrollPosition() + direction * step);
    while (s.list->GetPaintCount() == paints) PumpEvents();
  }
}
BENCHMARK(BM_FrameListScrollStep)->Unit(benchmark::kMillisecond);

void BM_FrameListRender(benchmark::State& state) {
  ListScene& s = TheListScene();
  wxBitmap bitmap(240, 600, 24);
  for (auto _ : state) {
    wxMemoryDC dc(bitmap);
    s.list->Render(dc);
  }
}
BENCHMARK(BM_FrameListRender)->Unit(benchmark::kMillisecond);

}  // namespace
