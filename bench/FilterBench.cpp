// Blurring, sharpening and embossing a 6000 x 4000 photograph. The box blur's
// cost must not depend on its radius.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/ResampleBenchImage.h"
#include "imaging/Filters.h"

namespace {

void BM_BlurImage(benchmark::State& state) {
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    CRasterImage image = BenchPhoto();
    image.GetWritableBits();  // the copy is not part of the blur
    state.ResumeTiming();
    BlurImage(image, radius, DIRECTION_BOTH, true);
    benchmark::DoNotOptimize(image.GetBits());
  }
}
BENCHMARK(BM_BlurImage)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_Sharpen(benchmark::State& state) {
  for (auto _ : state) {
    CRasterImage result = ApplyPresetFilter(BenchPhoto(), PRESET_SHARPEN);
    benchmark::DoNotOptimize(result.GetBits());
  }
}
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond);

void BM_Emboss(benchmark::State& state) {
  for (auto _ : state) {
    CRasterImage image = BenchPhoto();
    EmbossImage(image, 45, 30, 3);
    benchmark::DoNotOptimize(image.GetBits());
  }
}
BENCHMARK(BM_Emboss)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

void BM_FeatherMask(benchmark::State& state) {
  const CRasterImage& photo = BenchPhoto();
  const int32_t w = photo.GetWidth(), h = photo.GetHeight();
  std::vector<uint8_t> alpha(static_cast<size_t>(w) * h);
  for (auto _ : state) {
    state.PauseTiming();
    std::fill(alpha.begin(), alpha.end(), 255);
    state.ResumeTiming();
    FeatherMask(alpha.data(), w, h, w, static_cast<int>(state.range(0)), DIRECTION_BOTH);
    benchmark::DoNotOptimize(alpha.data());
  }
}
BENCHMARK(BM_FeatherMask)->Arg(8)->Arg(80)->Unit(benchmark::kMillisecond);

}  // namespace
