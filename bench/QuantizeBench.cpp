// Quantisation to 256 colours: palette building and mapping, with and
// without error diffusion.
//
// The input is a photo-like 24-bit picture made in memory, or the PNM file
// named by PICTORAVELL_QUANTIZE_INPUT (bench/compare_quantize.sh sets it).
// With PICTORAVELL_QUANTIZE_OUTPUT set, the last result of each benchmark is
// written there as a PAM file with "-plain" or "-dither" before the
// extension, for quality measurements outside.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "imaging/ColorConversion.h"
#include "imaging/Quantizer.h"
#include "tests/support/TestSupport.h"

namespace {

const CRasterImage& Input() {
  static const CRasterImage image = [] {
    if (const char* path = std::getenv("PICTORAVELL_QUANTIZE_INPUT")) return testing_support::ReadPnm(path);
    return testing_support::MakeTestPicture(2400, 1600, 7);
  }();
  return image;
}

void WriteResult(const CRasterImage& image, const char* suffix) {
  const char* path = std::getenv("PICTORAVELL_QUANTIZE_OUTPUT");
  if (!path || image.IsEmpty()) return;
  std::string name = path;
  const size_t dot = name.rfind('.');
  name.insert(dot == std::string::npos ? name.size() : dot, suffix);
  testing_support::WritePam(name, image);
}

CRasterImage Quantize(const CRasterImage& source, bool diffuse) {
  CPixelSource pixels(1);
  pixels.AddImage(&source);
  RGBQUAD palette[256];
  const int n = BuildOptimalPalette(pixels, palette, 256, 8);
  return MapToPalette(source, n, palette, diffuse);
}

void BM_BuildOptimalPalette(benchmark::State& state) {
  const CRasterImage& source = Input();
  for (auto _ : state) {
    CPixelSource pixels(1);
    pixels.AddImage(&source);
    RGBQUAD palette[256];
    benchmark::DoNotOptimize(BuildOptimalPalette(pixels, palette, 256, 8));
  }
  state.SetItemsProcessed(state.iterations() * source.GetWidth() * source.GetHeight());
}
BENCHMARK(BM_BuildOptimalPalette)->Unit(benchmark::kMillisecond);

void BM_Quantize256(benchmark::State& state) {
  const CRasterImage& source = Input();
  const bool diffuse = state.range(0) != 0;
  CRasterImage result;
  for (auto _ : state) result = Quantize(source, diffuse);
  state.counters["psnr"] = testing_support::Psnr(source, result);
  state.SetItemsProcessed(state.iterations() * source.GetWidth() * source.GetHeight());
  WriteResult(result, diffuse ? "-dither" : "-plain");
}
BENCHMARK(BM_Quantize256)->Arg(0)->Arg(1)->ArgName("dither")->Unit(benchmark::kMillisecond);

void BM_MapToFixedPalette(benchmark::State& state) {
  const CRasterImage& source = Input();
  RGBQUAD palette[256];
  for (int i = 0; i < 256; ++i)
    palette[i] = MakeRGBQuad(static_cast<uint8_t>((i >> 5) * 36), static_cast<uint8_t>(((i >> 2) & 7) * 36),
                             static_cast<uint8_t>((i & 3) * 85));
  const bool diffuse = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(MapToPalette(source, 256, palette, diffuse));
  state.SetItemsProcessed(state.iterations() * source.GetWidth() * source.GetHeight());
}
BENCHMARK(BM_MapToFixedPalette)->Arg(0)->Arg(1)->ArgName("dither")->Unit(benchmark::kMillisecond);

void BM_ConvertToBitmapDiffusion(benchmark::State& state) {
  const CRasterImage& source = Input();
  for (auto _ : state) benchmark::DoNotOptimize(ConvertToBitmap(source, BITMAP_DIFFUSION, 128));
  state.SetItemsProcessed(state.iterations() * source.GetWidth() * source.GetHeight());
}
BENCHMARK(BM_ConvertToBitmapDiffusion)->Unit(benchmark::kMillisecond);

void BM_CountUniqueColors(benchmark::State& state) {
  const CRasterImage& source = Input();
  for (auto _ : state) {
    CPixelSource pixels(1);
    pixels.AddImage(&source);
    benchmark::DoNotOptimize(CountUniqueColors(pixels));
  }
}
BENCHMARK(BM_CountUniqueColors)->Unit(benchmark::kMillisecond);

}  // namespace
