// Resampling a 6000 x 4000 photograph: each filter to 25 % and to 150 %, the
// area-averaging reduction, and nearest-neighbour resizing.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

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

// Enlarging by 150 % with sources of 6, 12, 24 and 48 megapixels, as
// ResampleImage (a new result image each time) and as ZoomImage into a
// target made once. The second costs the same per target pixel at every size:
// the passes keep a few rows of work and no intermediate plane. The first adds
// the first touch of the result's fresh memory, which the system zeroes.
struct UpScaleCase {
  CRasterImage source;
  int tw, th;
};
const UpScaleCase& UpScaleSource(int megapixels) {
  static std::map<int, UpScaleCase> cases;
  auto it = cases.find(megapixels);
  if (it == cases.end()) {
    const int w = static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 * 1.5)));
    const int h = static_cast<int>(std::lround(megapixels * 1e6 / w));
    it = cases.emplace(megapixels, UpScaleCase{testing_support::MakeTestPicture(w, h), w * 3 / 2, h * 3 / 2}).first;
  }
  return it->second;
}

void SetUpScaleCounters(benchmark::State& state, const UpScaleCase& c) {
  state.counters["ns_per_target_pixel"] = benchmark::Counter(
      static_cast<double>(c.tw) * c.th, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(std::to_string(c.source.GetWidth()) + "x" + std::to_string(c.source.GetHeight()) + " to " +
                 std::to_string(c.tw) + "x" + std::to_string(c.th));
}

void BM_ResampleUpScaleBySize(benchmark::State& state) {
  const UpScaleCase& c = UpScaleSource(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CRasterImage result = ResampleImage(c.source, c.tw, c.th, FILTER_TRIANGLE);
    benchmark::DoNotOptimize(result.GetBits());
  }
  SetUpScaleCounters(state, c);
}
BENCHMARK(BM_ResampleUpScaleBySize)->Arg(6)->Arg(12)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);

void BM_ZoomImageUpScaleBySize(benchmark::State& state) {
  const UpScaleCase& c = UpScaleSource(static_cast<int>(state.range(0)));
  CRasterImage result;
  result.Create(c.tw, c.th, 24);
  std::memset(result.GetWritableBits(), 0, static_cast<size_t>(result.GetStride()) * c.th);  // touched before timing
  ZOOM_IMAGE src = MakeZoomView(const_cast<uint8_t*>(c.source.GetBits()), c.source.GetWidth(), c.source.GetHeight(), 3);
  ZOOM_IMAGE dst = MakeZoomView(result.GetWritableBits(), c.tw, c.th, 3);
  double support = 0;
  const RESAMPLEKERNEL kernel = GetResampleKernel(FILTER_TRIANGLE, &support);
  for (auto _ : state) {
    ZoomImage(dst, src, nullptr, nullptr, kernel, support);
    benchmark::DoNotOptimize(dst.data);
  }
  SetUpScaleCounters(state, c);
}
BENCHMARK(BM_ZoomImageUpScaleBySize)->Arg(6)->Arg(12)->Arg(24)->Arg(48)->Unit(benchmark::kMillisecond);

}  // namespace
