// Rotating a 6000 x 4000 photograph by right angles and by 17 degrees.

#include <benchmark/benchmark.h>

#include "bench/ResampleBenchImage.h"
#include "imaging/Rotate.h"

namespace {

void BM_RotateImage(benchmark::State& state) {
  const CRasterImage& photo = BenchPhoto();
  const int degrees = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CRasterImage result = RotateImage(photo, degrees);
    benchmark::DoNotOptimize(result.GetBits());
  }
}
BENCHMARK(BM_RotateImage)->Arg(17)->Arg(90)->Arg(180)->Unit(benchmark::kMillisecond);

}  // namespace
