// Time per live-preview update of Brightness && Contrast and of Blur on the
// 6000 x 4000 photograph shown whole in a 1280 x 850 view (best fit: 1/5):
// the effect tool's update, then the view's drawing of what it shows.
// "reduced": the view has reported what it shows, so the tool previews that
// part at the view's zoom (the target is under 50 ms per update); "full":
// no view report, the whole frame is computed as OK computes it.

#include <benchmark/benchmark.h>
#include <wx/dcmemory.h>

#include "bench/ResampleBenchImage.h"
#include "editor/EffectPanels.h"
#include "editor/PictoravellView.h"
#include "shell/DeviceDrawing.h"

namespace {

constexpr int kViewWidth = 1280, kViewHeight = 850, kReduce = 5;

// A document of one image for the tool.
class CBenchHost : public CEditHost {
 public:
  CBenchHost() : m_image(BenchPhoto()) {}
  void CommitEdit(const std::string&, const CRasterImage*, const CRasterImage*) override {}
  void CancelEdit() override {}
  void RefreshViews() override {}
  CRasterImage& CopyEditImage(CRasterImage& out, bool) override { return out = m_image; }
  CRasterImage* GetEditImage(bool) override { return &m_image; }
  CRasterImage m_image;
};

// What the view's drawing does for one layer: the preview of the part it
// shows when the tool has one, else the live image, reduced to the zoom.
void DrawView(wxDC& dc, CRasterImage* live) {
  const Rect drawing{0, 0, live->GetWidth() / kReduce, live->GetHeight() / kReduce};
  Rect source;
  if (const CRasterImage* preview =
          FindReducedPreview(live, Rect{0, 0, live->GetWidth(), live->GetHeight()}, kReduce, &source)) {
    const Rect part{source.left / kReduce, source.top / kReduce, source.right / kReduce, source.bottom / kReduce};
    DrawImage(dc, drawing, part, kViewBandHeight, *preview, Rect{0, 0, preview->GetWidth(), preview->GetHeight()});
  } else {
    DrawImage(dc, drawing, drawing, kViewBandHeight, *live, Rect{0, 0, live->GetWidth(), live->GetHeight()});
  }
}

template <class Tool, class Step>
void RunUpdates(benchmark::State& state, Step step) {
  CBenchHost host;
  Tool tool(&host);
  const bool reduced = state.range(0) == 0;
  CRasterImage* live = host.GetEditImage(false);
  NoteViewShows(reduced ? live : nullptr, Rect{0, 0, live->GetWidth(), live->GetHeight()}, kReduce);
  wxBitmap bitmap(kViewWidth, kViewHeight, 24);
  wxMemoryDC dc(bitmap);
  int n = 0;
  for (auto _ : state) {
    step(tool, n++);
    tool.UpdatePreview();
    DrawView(dc, live);
  }
  state.counters["full_updates"] = tool.GetFullPreviewCount();
  state.counters["reduced_updates"] = tool.GetReducedPreviewCount();
  NoteViewShows(nullptr, Rect{}, 1);
}

void BM_BrightnessContrastPreview(benchmark::State& state) {
  RunUpdates<CBrightnessContrastTool>(state, [](CBrightnessContrastTool& tool, int n) {
    tool.m_params.brightness = (n % 64) - 32;
    tool.m_params.contrast = 20;
  });
}
BENCHMARK(BM_BrightnessContrastPreview)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BlurPreview(benchmark::State& state) {
  RunUpdates<CBlurTool>(state, [](CBlurTool& tool, int n) { tool.m_params = {5 + (n % 20), 0, 3}; });
}
BENCHMARK(BM_BlurPreview)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
