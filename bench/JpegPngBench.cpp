// Decode and encode of a 24-megapixel picture as JPEG and PNG.
//
// By default the picture is the 6000 x 4000 test picture. bench/compare_jpeg_png.sh
// points PICTORAVELL_BENCH_PPM, PICTORAVELL_BENCH_JPEG and PICTORAVELL_BENCH_PNG at
// the files it also gives to djpeg, cjpeg and ImageMagick.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "formats/JpegCodec.h"
#include "formats/MemStream.h"
#include "formats/PngCodec.h"
#include "tests/support/TestSupport.h"

namespace {

const CRasterImage& Picture() {
  static const CRasterImage picture = [] {
    if (const char* ppm = std::getenv("PICTORAVELL_BENCH_PPM")) return testing_support::ReadPnm(ppm);
    return testing_support::MakeTestPicture(6000, 4000);
  }();
  return picture;
}

std::vector<uint8_t> Encode(int (*write)(CCodecJob*)) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = Picture();
  write(&job);
  return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}

int WriteJpeg75(CCodecJob* job) {
  JPEG_SAVE_OPTIONS options;
  options.nQuality = 75;
  options.nCommentOption = 0;
  return WriteJpeg(job, &options);
}

const std::vector<uint8_t>& Input(const char* variable, int (*write)(CCodecJob*)) {
  if (const char* path = std::getenv(variable)) {
    static std::vector<std::vector<uint8_t>> kept;
    kept.push_back(testing_support::ReadFileBytes(path));
    return kept.back();
  }
  static std::vector<std::vector<uint8_t>> made;
  made.push_back(Encode(write));
  return made.back();
}

const std::vector<uint8_t>& JpegInput() {
  static const std::vector<uint8_t>& bytes = Input("PICTORAVELL_BENCH_JPEG", WriteJpeg75);
  return bytes;
}

const std::vector<uint8_t>& PngInput() {
  static const std::vector<uint8_t>& bytes = Input("PICTORAVELL_BENCH_PNG", WritePng);
  return bytes;
}

void Decode(benchmark::State& state, const std::vector<uint8_t>& bytes, int (*read)(CCodecJob*)) {
  for (auto _ : state) {
    CMemStream in(bytes.data(), static_cast<int>(bytes.size()));
    CCodecJob job;
    job.m_pStream = &in;
    if (read(&job) != IMAGEIO_OK) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(job.m_image.GetBits());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Picture().GetWidth() * Picture().GetHeight() * 3);
}

void BM_JpegDecode24MP(benchmark::State& state) { Decode(state, JpegInput(), ReadJpeg); }
void BM_PngDecode24MP(benchmark::State& state) { Decode(state, PngInput(), ReadPng); }

void EncodeLoop(benchmark::State& state, int (*write)(CCodecJob*)) {
  Picture();
  for (auto _ : state) {
    const std::vector<uint8_t> bytes = Encode(write);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Picture().GetWidth() * Picture().GetHeight() * 3);
}

void BM_JpegEncode24MP(benchmark::State& state) { EncodeLoop(state, WriteJpeg75); }
void BM_PngEncode24MP(benchmark::State& state) { EncodeLoop(state, WritePng); }

BENCHMARK(BM_JpegDecode24MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegEncode24MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngDecode24MP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngEncode24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
