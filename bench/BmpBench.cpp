// BMP codec speed: reading and writing 24-bit and RLE8 images in memory, and
// reading a file named by PICTORAVELL_BENCH_BMP (used by compare_bmp.sh).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "formats/BmpCodec.h"
#include "formats/ImageFile.h"
#include "formats/MemStream.h"
#include "tests/support/TestSupport.h"

namespace {

CRasterImage Indexed(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 8);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t(y) * image.GetStride();
    // Runs of a few pixels broken by short literals, like a quantised photo.
    for (int x = 0; x < w; ++x) row[x] = uint8_t(((x / 7) * 13 + (y / 5) * 3 + ((x * y) % 11 == 0 ? x : 0)) & 0xFF);
  }
  return image;
}

CMemStream Encode(const CRasterImage& image) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = image;
  WriteBmp(&job);
  return CMemStream(out.GetData(), out.GetLength());
}

void BM_WriteBmp(benchmark::State& state, bool rle8) {
  const int side = int(state.range(0));
  const CRasterImage image = rle8 ? Indexed(side, side) : testing_support::MakeTestPicture(side, side);
  for (auto _ : state) {
    CMemStream out;
    out.Open(nullptr, CBufferedFile::kWrite);
    CCodecJob job;
    job.m_pStream = &out;
    job.m_image = image;
    benchmark::DoNotOptimize(WriteBmp(&job));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * image.GetStride() * image.GetHeight());
}

void BM_ReadBmp(benchmark::State& state, bool rle8) {
  const int side = int(state.range(0));
  const CRasterImage image = rle8 ? Indexed(side, side) : testing_support::MakeTestPicture(side, side);
  CMemStream encoded = Encode(image);
  for (auto _ : state) {
    CMemStream in(encoded.GetData(), encoded.GetLength());
    CCodecJob job;
    job.m_pStream = &in;
    benchmark::DoNotOptimize(ReadBmp(&job));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * image.GetStride() * image.GetHeight());
}

BENCHMARK_CAPTURE(BM_WriteBmp, rgb24, false)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteBmp, rle8, true)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBmp, rgb24, false)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBmp, rle8, true)->Arg(2048)->Unit(benchmark::kMillisecond);

// The whole front-end read of one file, as compare_bmp.sh measures it.
void BM_ReadBmpFile(benchmark::State& state) {
  const char* path = std::getenv("PICTORAVELL_BENCH_BMP");
  if (!path) {
    state.SkipWithError("PICTORAVELL_BENCH_BMP not set");
    return;
  }
  for (auto _ : state) {
    CImageFileRequest request;
    request.m_strFileName = path;
    if (ReadImageFile(&request) != IMAGEIO_OK) {
      state.SkipWithError("read failed");
      return;
    }
  }
}
BENCHMARK(BM_ReadBmpFile)->Unit(benchmark::kMillisecond);

}  // namespace
