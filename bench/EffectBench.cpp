// Time per live-preview update of Brightness && Contrast and of Blur: on the
// whole 6000 x 4000 photograph (what Apply costs) and on the photograph
// reduced to a 1280 x 853 view (what a preview at the view's zoom costs; the
// target is under 50 ms per update).

#include <benchmark/benchmark.h>

#include "bench/ResampleBenchImage.h"
#include "imaging/Effects.h"
#include "imaging/Resample.h"

namespace {

const CRasterImage& ViewPhoto() {
  static const CRasterImage image = ReduceImage(BenchPhoto(), 1280, 853);
  return image;
}

const CRasterImage& Source(int64_t which) { return which ? BenchPhoto() : ViewPhoto(); }

void BM_BrightnessContrastUpdate(benchmark::State& state) {
  const CRasterImage& source = Source(state.range(0));
  int step = 0;
  for (auto _ : state) {
    CRasterImage live = BrightnessContrast(source, {(step++ % 64) - 32, 20});
    benchmark::DoNotOptimize(live.GetBits());
  }
}
BENCHMARK(BM_BrightnessContrastUpdate)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BlurUpdate(benchmark::State& state) {
  const CRasterImage& source = Source(state.range(0));
  int step = 0;
  for (auto _ : state) {
    CRasterImage live = Blur(source, {5 + (step++ % 20), 0, 3});
    benchmark::DoNotOptimize(live.GetBits());
  }
}
BENCHMARK(BM_BlurUpdate)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
