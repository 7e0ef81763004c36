// The magic wand on a 12-megapixel photograph-like picture.
//
// With PICTORAVELL_BENCH_INPUT set to a folder holding photo.ppm, that
// picture is used (bench/compare_magicwand.sh does this); otherwise a smooth
// picture with fine noise is synthesised.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/MagicWand.h"
#include "tests/support/TestSupport.h"

namespace {

const CRasterImage& Photo() {
  static const CRasterImage photo = [] {
    CRasterImage im;
    if (const char* dir = std::getenv("PICTORAVELL_BENCH_INPUT")) im = testing_support::ReadPnm(std::string(dir) + "/photo.ppm");
    if (!im.IsEmpty()) return im;
    im.Create(4000, 3000, 24);
    uint32_t state = 12345;
    for (int y = 0; y < 3000; ++y) {
      uint8_t* row = im.GetWritableBits() + static_cast<int64_t>(y) * im.GetStride();
      for (int x = 0; x < 4000; ++x) {
        state = state * 1103515245u + 12345u;
        const int noise = static_cast<int>((state >> 16) & 7) - 4;
        const double u = x / 4000.0, v = y / 3000.0;
        const double sky = 0.5 + 0.5 * std::sin(3.1 * u + 1.7 * v);
        const double hills = 0.5 + 0.5 * std::sin(9.0 * u * v + 2.0 * std::cos(5.0 * u));
        row[3 * x] = static_cast<uint8_t>(std::clamp(60 + 150 * sky + noise, 0.0, 255.0));
        row[3 * x + 1] = static_cast<uint8_t>(std::clamp(80 + 120 * hills + noise, 0.0, 255.0));
        row[3 * x + 2] = static_cast<uint8_t>(std::clamp(200 - 90 * v + noise, 0.0, 255.0));
      }
    }
    return im;
  }();
  return photo;
}

void BM_MagicWandPhotograph(benchmark::State& state) {
  const CRasterImage& photo = Photo();
  const int saved = GetMagicWandTolerance();
  SetMagicWandTolerance(static_cast<int>(state.range(0)));
  int64_t selected = 0;
  for (auto _ : state) {
    CRasterImage mask = MagicWand(photo, photo.GetWidth() / 2, photo.GetHeight() / 2, nullptr, 0);
    benchmark::DoNotOptimize(mask.GetBits());
    if (selected == 0)
      for (int y = 0; y < mask.GetHeight(); ++y)
        for (int i = 0; i < mask.GetStride(); ++i) selected += __builtin_popcount(mask.GetRow(y)[i]);
  }
  SetMagicWandTolerance(saved);
  state.counters["selected"] = static_cast<double>(selected);
  state.SetItemsProcessed(state.iterations() * int64_t{photo.GetWidth()} * photo.GetHeight());
}
BENCHMARK(BM_MagicWandPhotograph)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);

// One region covering all of a uniform 12-megapixel picture.
void BM_MagicWandUniform(benchmark::State& state) {
  CRasterImage uniform;
  uniform.Create(4000, 3000, 24);
  for (auto _ : state) {
    CRasterImage mask = MagicWand(uniform, 17, 29, nullptr, 0);
    benchmark::DoNotOptimize(mask.GetBits());
  }
  state.SetItemsProcessed(state.iterations() * 4000 * 3000);
}
BENCHMARK(BM_MagicWandUniform)->Unit(benchmark::kMillisecond);

}  // namespace
