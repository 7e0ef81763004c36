// GIF decode and encode of a 100-frame 640 x 480 animation, in memory; with
// PICTORAVELL_GIF_BENCH_FILE set, also of that file from and to disk (the
// input of bench/compare_gif.sh).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "formats/BufferedFile.h"
#include "formats/GifCodec.h"
#include "formats/GifLzw.h"
#include "formats/MemStream.h"

namespace {

constexpr int kFrames = 100, kWidth = 640, kHeight = 480;

// A moving pattern of soft bands with some texture: about as compressible
// as a rendered animation.
std::vector<CAnimFrame> MakeAnimation() {
  std::vector<CAnimFrame> frames(kFrames);
  for (int k = 0; k < kFrames; ++k) {
    CRasterImage image;
    image.Create(kWidth, kHeight, 8);
    RGBQUAD* pal = image.GetWritablePalette();
    for (int i = 0; i < 256; ++i)
      pal[i] = MakeRGBQuad(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3));
    uint8_t* bits = image.GetWritableBits();
    unsigned seed = 12345u + static_cast<unsigned>(k);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1103515245u + 12345u;
        const int band = ((x + 3 * k) / 12 + (y + 2 * k) / 9) * 5;
        bits[y * kWidth + x] = static_cast<uint8_t>(band + ((seed >> 16) % 4));
      }
    frames[static_cast<size_t>(k)].m_image = image;
    frames[static_cast<size_t>(k)].m_nDelay = 4;
  }
  return frames;
}

std::vector<CAnimFrame>& Animation() {
  static std::vector<CAnimFrame> frames = MakeAnimation();
  return frames;
}

void Encode(std::vector<CAnimFrame>& frames, CBufferedFile* stream, int width, int height) {
  CCodecJob job;
  job.m_pStream = stream;
  job.m_pFrames = frames.data();
  job.m_nFrames = static_cast<int>(frames.size());
  job.m_nScreenWidth = static_cast<int16_t>(width);
  job.m_nScreenHeight = static_cast<int16_t>(height);
  job.m_nLoopCount = -1;
  GIF_SAVE_OPTIONS options;
  options.nCommentOption = 0;
  if (WriteGif(&job, 0, job.m_nFrames, &options) != IMAGEIO_OK) std::abort();
}

const std::vector<uint8_t>& EncodedAnimation() {
  static std::vector<uint8_t> bytes = [] {
    CMemStream out;
    out.Open(nullptr, CBufferedFile::kWrite);
    Encode(Animation(), &out, kWidth, kHeight);
    return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
  }();
  return bytes;
}

std::vector<CAnimFrame> Decode(CBufferedFile* stream, int* width = nullptr, int* height = nullptr) {
  const int count = CountGifFrames(stream);
  stream->Seek(0, CBufferedFile::kBegin);
  std::vector<CAnimFrame> frames(static_cast<size_t>(count));
  CCodecJob job;
  job.m_pStream = stream;
  job.m_pFrames = frames.data();
  job.m_nFrames = count;
  if (ReadGif(&job, 0, count) != IMAGEIO_OK) std::abort();
  if (width) *width = job.m_nScreenWidth;
  if (height) *height = job.m_nScreenHeight;
  return frames;
}

void BM_GifEncode100Frames640x480(benchmark::State& state) {
  auto& frames = Animation();
  int64_t bytes = 0;
  for (auto _ : state) {
    CMemStream out;
    out.Open(nullptr, CBufferedFile::kWrite);
    Encode(frames, &out, kWidth, kHeight);
    bytes = out.GetLength();
    benchmark::DoNotOptimize(out.GetData());
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_GifEncode100Frames640x480)->Unit(benchmark::kMillisecond);

void BM_GifDecode100Frames640x480(benchmark::State& state) {
  const auto& bytes = EncodedAnimation();
  for (auto _ : state) {
    CMemStream in(bytes.data(), static_cast<int>(bytes.size()));
    auto frames = Decode(&in);
    benchmark::DoNotOptimize(frames.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kFrames} * kWidth * kHeight);
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_GifDecode100Frames640x480)->Unit(benchmark::kMillisecond);

void BM_LzwDecodeRows(benchmark::State& state) {
  // The LZW coder alone: one 640 x 480 frame's data.
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  {
    CLzwEncoder encoder(&out, 8, 8);
    for (int y = 0; y < kHeight; ++y) encoder.EncodeBytes(Animation()[0].m_image.GetRow(y), kWidth);
    encoder.Finish();
  }
  out.WriteByte(0);
  const std::vector<uint8_t> data(out.GetData(), out.GetData() + out.GetLength());
  std::vector<uint8_t> row(kWidth);
  for (auto _ : state) {
    CMemStream in(data.data(), static_cast<int>(data.size()));
    CLzwDecoder decoder(&in, 8, kWidth, 8);
    for (int y = 0; y < kHeight; ++y) decoder.DecodeRow(row.data());
    benchmark::DoNotOptimize(row.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}
BENCHMARK(BM_LzwDecodeRows)->Unit(benchmark::kMicrosecond);

// The compare script's file: decoded from disk, and encoded back to disk.
const char* BenchFile() { return std::getenv("PICTORAVELL_GIF_BENCH_FILE"); }

void BM_GifFileDecode(benchmark::State& state) {
  if (!BenchFile()) {
    state.SkipWithError("PICTORAVELL_GIF_BENCH_FILE not set");
    return;
  }
  for (auto _ : state) {
    CBufferedFile file;
    if (!file.Open(BenchFile(), CBufferedFile::kRead)) std::abort();
    auto frames = Decode(&file);
    benchmark::DoNotOptimize(frames.data());
  }
}
BENCHMARK(BM_GifFileDecode)->Unit(benchmark::kMillisecond);

void BM_GifFileEncode(benchmark::State& state) {
  if (!BenchFile()) {
    state.SkipWithError("PICTORAVELL_GIF_BENCH_FILE not set");
    return;
  }
  CBufferedFile file;
  if (!file.Open(BenchFile(), CBufferedFile::kRead)) std::abort();
  int width = 0, height = 0;
  auto frames = Decode(&file, &width, &height);
  file.Close();
  const std::string target = std::string(BenchFile()) + ".ours.gif";
  for (auto _ : state) {
    CBufferedFile out;
    if (!out.Open(target.c_str(), CBufferedFile::kWrite)) std::abort();
    Encode(frames, &out, width, height);
    out.Close();
  }
  unlink(target.c_str());
}
BENCHMARK(BM_GifFileEncode)->Unit(benchmark::kMillisecond);

}  // namespace
