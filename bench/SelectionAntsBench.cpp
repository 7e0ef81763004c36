// One tick of the marching ants: the outline runs of a large irregular
// masked selection (4000 x 3000, a wavy blob with holes) over the visible
// part of a 1600 x 1000 window, at actual size, magnified 3 and reduced 2.
// The drawing of the runs onto the window is not part of it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "editor/model/SelectionTools.h"

namespace {

const CRasterImage& Blob() {
  static const CRasterImage blob = [] {
    CRasterImage im;
    im.Create(4000, 3000, 24);
    im.CreateMask();
    for (int y = 0; y < 3000; ++y) {
      uint8_t* mask = im.GetWritableMaskBits() + static_cast<int64_t>(y) * im.GetMaskStride();
      for (int x = 0; x < 4000; ++x) {
        const double dx = (x - 2000) / 1900.0, dy = (y - 1500) / 1400.0;
        const double r = std::sqrt(dx * dx + dy * dy) + 0.08 * std::sin(x / 37.0) * std::cos(y / 23.0);
        const bool hole = std::sin(x / 61.0) * std::sin(y / 47.0) > 0.93;
        mask[x] = r < 1.0 && !hole ? 255 : 0;
      }
    }
    return im;
  }();
  return blob;
}

void BM_AntsTick(benchmark::State& state) {
  const CRasterImage& sel = Blob();
  const int zoom = static_cast<int>(state.range(0));
  // The selection shown from the window origin, scrolled so its middle shows.
  const int w = zoom > 1 ? 4000 * zoom : zoom < -1 ? 4000 / -zoom : 4000;
  const int h = zoom > 1 ? 3000 * zoom : zoom < -1 ? 3000 / -zoom : 3000;
  const Rect shown{-(w - 1600) / 2, -(h - 1000) / 2, -(w - 1600) / 2 + w, -(h - 1000) / 2 + h};
  const Rect clip{0, 0, 1600, 1000};
  std::vector<ANTS_RUN> runs;
  int phase = 0;
  for (auto _ : state) {
    FindAntsRuns(sel, shown, clip, zoom, phase, runs);
    phase = (phase + 1) % 8;
    benchmark::DoNotOptimize(runs.data());
  }
  state.counters["runs"] = static_cast<double>(runs.size());
}
BENCHMARK(BM_AntsTick)->Arg(1)->Arg(3)->Arg(-2)->Unit(benchmark::kMillisecond);

}  // namespace
