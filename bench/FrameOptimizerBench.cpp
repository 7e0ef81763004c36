// Frame-array operations on whole animations: optimising the differences
// and expanding them again (100 frames of 500 x 500), and the compare
// script's GIF file read, optimised and written back (its size reported).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/BufferedFile.h"
#include "formats/CodecJob.h"
#include "formats/GifCodec.h"
#include "formats/MemStream.h"
#include "imaging/FrameOptimizer.h"

namespace {

constexpr int kSide = 500, kFrames = 100;

// An 8-bit animation: a fixed background with a ball moving over it and a
// blinking corner, every frame complete.
const std::vector<CAnimFrame>& FullFrames() {
  static std::vector<CAnimFrame> frames = [] {
    std::vector<CAnimFrame> out(kFrames);
    for (int k = 0; k < kFrames; ++k) {
      CRasterImage image;
      image.Create(kSide, kSide, 8);
      RGBQUAD* pal = image.GetWritablePalette();
      for (int i = 0; i < 256; ++i)
        pal[i] = MakeRGBQuad(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7));
      const int bx = 40 + k * 4, by = 100 + (k * 7) % 250;
      for (int y = 0; y < kSide; ++y) {
        uint8_t* row = image.GetWritableBits() + static_cast<int64_t>(y) * image.GetStride();
        for (int x = 0; x < kSide; ++x) {
          int v = ((x / 20) + (y / 20)) % 2 ? 30 : 60;
          if ((x - bx) * (x - bx) + (y - by) * (y - by) < 900) v = 200 + (x + y) % 8;
          if (k % 10 < 5 && x < 60 && y < 60) v = 250;
          row[x] = static_cast<uint8_t>(v);
        }
      }
      out[k].m_image = std::move(image);
      out[k].m_nDelay = 4;
    }
    return out;
  }();
  return frames;
}

void BM_OptimizeFrames100x500(benchmark::State& state) {
  const auto& frames = FullFrames();
  for (auto _ : state) {
    auto out = OptimizeFrameDifferences(kSide, frames.data(), kFrames, kSide, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(out.get());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_OptimizeFrames100x500)->Arg(OPTIMIZE_TRANSPARENT)->Arg(OPTIMIZE_CROP)->Unit(benchmark::kMillisecond);

void BM_ExpandOptimizedFrames100x500(benchmark::State& state) {
  const auto& frames = FullFrames();
  static auto optimized = OptimizeFrameDifferences(kSide, frames.data(), kFrames, kSide, OPTIMIZE_TRANSPARENT);
  for (auto _ : state) {
    auto out = ExpandFrames(optimized.get(), kFrames, kSide, kSide);
    benchmark::DoNotOptimize(out.get());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_ExpandOptimizedFrames100x500)->Unit(benchmark::kMillisecond);

// The compare script's file: PICTORAVELL_FRAME_BENCH_FILE is read, its
// frames optimised (PICTORAVELL_FRAME_BENCH_MODE, 1 when not set) and
// written as GIF; the written size is the counter gif_bytes, and the file is
// kept as <file>.ours.gif.
void BM_FrameFileOptimize(benchmark::State& state) {
  const char* path = std::getenv("PICTORAVELL_FRAME_BENCH_FILE");
  if (!path) {
    state.SkipWithError("PICTORAVELL_FRAME_BENCH_FILE not set");
    return;
  }
  const char* modeText = std::getenv("PICTORAVELL_FRAME_BENCH_MODE");
  const int mode = modeText ? std::atoi(modeText) : OPTIMIZE_TRANSPARENT;
  int64_t bytes = 0;
  for (auto _ : state) {
    CBufferedFile in;
    if (!in.Open(path, CBufferedFile::kRead)) std::abort();
    const int count = CountGifFrames(&in);
    in.Seek(0, CBufferedFile::kBegin);
    std::vector<CAnimFrame> frames(static_cast<size_t>(count));
    CCodecJob read;
    read.m_pStream = &in;
    read.m_pFrames = frames.data();
    read.m_nFrames = count;
    if (ReadGif(&read, 0, count) != IMAGEIO_OK) std::abort();
    in.Close();
    auto optimized = OptimizeFrameDifferences(read.m_nScreenHeight, frames.data(), count, read.m_nScreenWidth, mode);
    if (!optimized) std::abort();
    const std::string target = std::string(path) + ".ours.gif";
    CBufferedFile out;
    if (!out.Open(target.c_str(), CBufferedFile::kWrite)) std::abort();
    CCodecJob write;
    write.m_pStream = &out;
    write.m_pFrames = optimized.get();
    write.m_nFrames = count;
    write.m_nScreenWidth = read.m_nScreenWidth;
    write.m_nScreenHeight = read.m_nScreenHeight;
    write.m_nLoopCount = read.m_nLoopCount;
    GIF_SAVE_OPTIONS options;
    options.nCommentOption = 0;
    if (WriteGif(&write, 0, count, &options) != IMAGEIO_OK) std::abort();
    out.Close();
    CBufferedFile size;
    if (size.Open(target.c_str(), CBufferedFile::kRead)) bytes = size.GetSize();
  }
  state.counters["gif_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FrameFileOptimize)->Unit(benchmark::kMillisecond);

// The compare script's optimised file read and expanded (not written: the
// expanded frames are 24-bit pictures, and writing them as GIF would time
// the palette reduction).
void BM_FrameFileExpand(benchmark::State& state) {
  const char* path = std::getenv("PICTORAVELL_FRAME_BENCH_FILE");
  if (!path) {
    state.SkipWithError("PICTORAVELL_FRAME_BENCH_FILE not set");
    return;
  }
  for (auto _ : state) {
    CBufferedFile in;
    if (!in.Open(path, CBufferedFile::kRead)) std::abort();
    const int count = CountGifFrames(&in);
    in.Seek(0, CBufferedFile::kBegin);
    std::vector<CAnimFrame> frames(static_cast<size_t>(count));
    CCodecJob read;
    read.m_pStream = &in;
    read.m_pFrames = frames.data();
    read.m_nFrames = count;
    if (ReadGif(&read, 0, count) != IMAGEIO_OK) std::abort();
    auto expanded = ExpandFrames(frames.data(), count, read.m_nScreenWidth, read.m_nScreenHeight);
    if (!expanded) std::abort();
    benchmark::DoNotOptimize(expanded.get());
  }
}
BENCHMARK(BM_FrameFileExpand)->Unit(benchmark::kMillisecond);

}  // namespace
