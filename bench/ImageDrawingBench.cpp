// Repainting a window-sized area of a 12-megapixel image, as the editing view
// does while scrolling: 1:1 and 33 % zoom, opaque and with an alpha mask;
// and the same through a layer stack.
#include <benchmark/benchmark.h>

#include <vector>

#include "imaging/ImageDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

const CRasterImage& Picture(bool masked) {
  static CRasterImage opaque = testing_support::MakeTestPicture(4000, 3000);
  static CRasterImage withMask = [] {
    CRasterImage image = opaque;
    image.CreateMask();
    uint8_t* m = image.GetWritableMaskBits();
    for (int64_t i = 0; i < int64_t{4000} * 3000; ++i) m[i] = static_cast<uint8_t>(i * 7);
    return image;
  }();
  return masked ? withMask : opaque;
}

int White(int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 255;
  return 255;
}

void BM_RepaintWindow(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  const CRasterImage& image = Picture(state.range(1) != 0);
  const Rect window{0, 0, 1920, 1080};
  const Rect target{0, 0, 4000 * percent / 100, 3000 * percent / 100};
  std::vector<uint8_t> band(1920 * kDrawBandHeight * 3);
  for (auto _ : state) {
    CImageBandComposer c(image, window, target, Rect{0, 0, 4000, 3000}, window, &White);
    for (int first = 0; first < c.GetArea().Height(); first += kDrawBandHeight)
      c.ComposeRows(first, std::min(kDrawBandHeight, c.GetArea().Height() - first), band.data(), 1920 * 3);
    benchmark::DoNotOptimize(band.data());
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_RepaintWindow)->ArgsProduct({{100, 33}, {0, 1}})->ArgNames({"zoom%", "mask"})->Unit(benchmark::kMillisecond);

// The same repaint through a layer stack (the editing view's path): the
// picture with its alpha mask and a half-transparent rectangle over it.
void BM_RepaintWindowLayerStack(benchmark::State& state) {
  const int percent = static_cast<int>(state.range(0));
  CLayerStack stack(4000, 3000);
  stack.AddImage(Picture(true), 0, 0);
  stack.AddColorRect(0, 0, 255, 96, 500, 300, 2000, 1500);
  const Rect window{0, 0, 1920, 1080};
  const Rect target{0, 0, 4000 * percent / 100, 3000 * percent / 100};
  std::vector<uint8_t> band(1920 * kDrawBandHeight * 3);
  for (auto _ : state) {
    CLayerStackBandComposer c(stack, target, window, &White);
    for (int first = 0; first < c.GetArea().Height(); first += kDrawBandHeight)
      c.ComposeRows(first, std::min(kDrawBandHeight, c.GetArea().Height() - first), band.data(), 1920 * 3);
    benchmark::DoNotOptimize(band.data());
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_RepaintWindowLayerStack)->Arg(100)->Arg(33)->Arg(200)->ArgName("zoom%")->Unit(benchmark::kMillisecond);

}  // namespace
