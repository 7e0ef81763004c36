// Layer compositing of a 4000 x 3000 two-layer stack, and the compose used
// by pasting and merging selections.
//
// With PICTORAVELL_BENCH_INPUT set to a folder holding base.pam (RGB) and
// top.pam (RGB_ALPHA), those pictures are used (bench/compare_composite.sh
// does this to time other programs on the same input); otherwise they are
// synthesised.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "imaging/ImageCompose.h"
#include "imaging/LayerStack.h"
#include "tests/support/TestSupport.h"

namespace {

struct Inputs {
  CRasterImage base, top;
};

const Inputs& GetInputs() {
  static const Inputs inputs = [] {
    Inputs in;
    if (const char* dir = std::getenv("PICTORAVELL_BENCH_INPUT")) {
      in.base = testing_support::ReadPnm(std::string(dir) + "/base.pam");
      in.top = testing_support::ReadPnm(std::string(dir) + "/top.pam");
    }
    if (in.base.IsEmpty() || in.top.IsEmpty()) {
      in.base = testing_support::MakeTestPicture(4000, 3000, 1);
      in.top = testing_support::MakeTestPicture(4000, 3000, 2);
      in.top.CreateMask();
      uint8_t* m = in.top.GetWritableMaskBits();
      for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x) m[static_cast<int64_t>(y) * 4000 + x] = static_cast<uint8_t>((x / 7 + y / 5) % 256);
    }
    return in;
  }();
  return inputs;
}

void BM_RenderTwoLayerStack(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const int w = in.base.GetWidth(), h = in.base.GetHeight();
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3), alpha(static_cast<size_t>(w) * h);
  for (auto _ : state) {
    CLayerStack stack(w, h);
    stack.AddImage(in.base, 0, 0);
    stack.AddImage(in.top, 0, 0);
    stack.Render(LayerRect{0, 0, w - 1, h - 1}, rgb.data(), w * 3, alpha.data(), w);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_RenderTwoLayerStack)->Unit(benchmark::kMillisecond);

// The top layer opaque: one layer read per pixel.
void BM_RenderOpaqueTopLayer(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const int w = in.base.GetWidth(), h = in.base.GetHeight();
  CRasterImage top = in.top;
  top.RemoveMask();
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3), alpha(static_cast<size_t>(w) * h);
  for (auto _ : state) {
    CLayerStack stack(w, h);
    stack.AddImage(in.base, 0, 0);
    stack.AddImage(top, 0, 0);
    stack.Render(LayerRect{0, 0, w - 1, h - 1}, rgb.data(), w * 3, alpha.data(), w);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_RenderOpaqueTopLayer)->Unit(benchmark::kMillisecond);

// Per-pixel composition through GetPixel, as callers that sample points use it.
void BM_GetPixelTwoLayerStack(benchmark::State& state) {
  const Inputs& in = GetInputs();
  const int w = in.base.GetWidth(), h = in.base.GetHeight();
  CLayerStack stack(w, h);
  stack.AddImage(in.base, 0, 0);
  stack.AddImage(in.top, 0, 0);
  for (auto _ : state) {
    stack.BeginRender();
    uint32_t sum = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t a, r, g, b;
        stack.GetPixel(x, y, a, r, g, b);
        sum += a + r;
      }
    stack.EndRender();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * int64_t{w} * h);
}
BENCHMARK(BM_GetPixelTwoLayerStack)->Unit(benchmark::kMillisecond);

void BM_ComposeImages(benchmark::State& state) {
  const Inputs& in = GetInputs();
  for (auto _ : state) {
    CRasterImage out = ComposeImages(in.base, in.top, 0, 0);
    benchmark::DoNotOptimize(out.GetBits());
  }
}
BENCHMARK(BM_ComposeImages)->Unit(benchmark::kMillisecond);

}  // namespace
