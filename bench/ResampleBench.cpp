// Resampling a 6000 x 4000 photograph: each filter to 25 % and to 150 %, the
// area-averaging reduction, and nearest-neighbour resizing.

#include <benchmark/benchmark.h>

#include "bench/ResampleBenchImage.h"
#include "imaging/Resample.h"

namespace {

void BM_ResampleImage(benchmark::State& state) {
  const CRasterImage& photo = BenchPhoto();
  const int filter = static_cast<int>(state.range(0));
  const int percent = static_cast<int>(state.range(1));
  const int w = photo.GetWidth() * percent / 100, h = photo.GetHeight() * percent / 100;
  for (auto _ : state) {
    CRasterImage result = ResampleImage(photo, w, h, filter);
    benchmark::DoNotOptimize(result.GetBits());
  }
  static const char* const names[] = {"hermite", "box", "triangle", "bell", "bspline", "lanczos3", "mitchell"};
  state.SetLabel(std::string(names[filter]) + " " + std::to_string(percent) + "%");
}
BENCHMARK(BM_ResampleImage)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {25, 150}})
    ->Unit(benchmark::kMillisecond);

// The same with an alpha mask (colours weighted by alpha), as PNG and GIF
// pictures with transparency have.
void BM_ResampleImageMasked(benchmark::State& state) {
  static const CRasterImage masked = [] {
    CRasterImage image = BenchPhoto();
    image.CreateMask();
    uint8_t* mask = image.GetWritableMaskBits();
    for (int32_t y = 0; y < image.GetHeight(); ++y)
      for (int32_t x = 0; x < image.GetWidth(); ++x)
        mask[static_cast<int64_t>(y) * image.GetMaskStride() + x] = static_cast<uint8_t>((x / 64 + y / 64) % 4 ? 255 : x % 256);
    return image;
  }();
  const int filter = static_cast<int>(state.range(0));
  const int percent = static_cast<int>(state.range(1));
  for (auto _ : state) {
    CRasterImage result =
        ResampleImage(masked, masked.GetWidth() * percent / 100, masked.GetHeight() * percent / 100, filter);
    benchmark::DoNotOptimize(result.GetBits());
  }
}
BENCHMARK(BM_ResampleImageMasked)->ArgsProduct({{2, 5}, {25, 150}})->Unit(benchmark::kMillisecond);

void BM_ReduceImage(benchmark::State& state) {
  const CRasterImage& photo = BenchPhoto();
  const int percent = static_cast<int>(state.range(0));
  const int w = std::max(1, photo.GetWidth() * percent / 100), h = std::max(1, photo.GetHeight() * percent / 100);
  for (auto _ : state) {
    CRasterImage result = ReduceImage(photo, w, h);
    benchmark::DoNotOptimize(result.GetBits());
  }
}
BENCHMARK(BM_ReduceImage)->Arg(25)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_ResizeNearest(benchmark::State& state) {
  const CRasterImage& photo = BenchPhoto();
  const int percent = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CRasterImage result = ResizeNearest(photo, photo.GetWidth() * percent / 100, photo.GetHeight() * percent / 100);
    benchmark::DoNotOptimize(result.GetBits());
  }
}
BENCHMARK(BM_ResizeNearest)->Arg(25)->Arg(150)->Unit(benchmark::kMillisecond);

}  // namespace
