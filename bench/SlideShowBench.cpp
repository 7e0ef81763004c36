// The slide show's work per picture change: one cross-fade frame at
// 1920 x 1080 (the worker makes 24 of them, 33 ms apart), the read-ahead's
// reading and fitting of a 24-megapixel JPEG (done while the previous
// picture is on the screen), and what is left for the user-interface thread
// when the change comes.
// PICTORAVELL_BENCH_INPUT may name a folder holding slide24mp.jpg; otherwise
// one is written (a 6000 x 4000 test picture, quality 90) into /tmp.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/ImageFile.h"
#include "output/core/FramePlayer.h"
#include "output/core/SlideReadAhead.h"
#include "tests/support/TestSupport.h"

namespace {

const std::string& Jpeg24Mp() {
  static const std::string path = [] {
    if (const char* dir = std::getenv("PICTORAVELL_BENCH_INPUT")) {
      const std::string p = std::string(dir) + "/slide24mp.jpg";
      if (std::filesystem::exists(p)) return p;
    }
    const std::string p = "/tmp/pictoravell-bench-slide24mp.jpg";
    if (!std::filesystem::exists(p)) {
      CImageFileRequest request;
      request.m_strFileName = p;
      CAnimFrame frame;
      frame.m_image = testing_support::MakeTestPicture(6000, 4000, 5);
      request.m_frames.push_back(frame);
      request.m_nWidth = 6000;
      request.m_nHeight = 4000;
      JPEG_SAVE_OPTIONS options;
      options.nQuality = 90;
      WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, &options);
    }
    return p;
  }();
  return path;
}

// One blended frame of the fade between two screen-sized pictures; range(0)
// 1 puts the old picture at an offset (pictures of different shapes).
void BM_CrossFadeFrame1920x1080(benchmark::State& state) {
  static const CRasterImage a = testing_support::MakeTestPicture(1920, 1080, 1);
  static const CRasterImage b = testing_support::MakeTestPicture(1920, 1080, 2);
  static const CRasterImage narrow = testing_support::MakeTestPicture(720, 1080, 3);
  const bool offset = state.range(0) != 0;
  const CRasterImage& next = offset ? narrow : b;
  const int dx = offset ? -600 : 0;
  const BLEND_GEOMETRY g = GetBlendGeometry(next, a, dx, 0);
  int step = 0;
  for (auto _ : state) {
    CPlayerFrame frame;
    frame.Allocate(g.width, g.height, kFadeFrameMs);
    BlendPicturesInto(next, a, dx, 0, FadeWeight(step % kFadeSteps + 1), frame.m_rgb.data(), frame.GetStride());
    benchmark::DoNotOptimize(frame.m_rgb.data());
    ++step;
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_CrossFadeFrame1920x1080)->Arg(0)->Arg(1)->ArgName("offset")->Unit(benchmark::kMillisecond);

// The read-ahead's work for one picture: read a 24-megapixel JPEG and fit
// its frame to a 1920 x 1080 screen.
void BM_PrepareSlide24MpJpeg(benchmark::State& state) {
  const std::string& path = Jpeg24Mp();
  for (auto _ : state) {
    PREPARED_SLIDE slide = PrepareSlide(path, 1920, 1080);
    if (slide.result != 0) state.SkipWithError("the picture could not be read");
    benchmark::DoNotOptimize(slide.first.picture.GetBits());
  }
}
BENCHMARK(BM_PrepareSlide24MpJpeg)->Unit(benchmark::kMillisecond)->Iterations(5);

// What the user-interface thread does when the change comes and the next
// picture was read ahead: the fade pair and the first blended frame.
void BM_SlideChangeWithReadAhead(benchmark::State& state) {
  static const PREPARED_SLIDE first = PrepareSlide(Jpeg24Mp(), 1920, 1080);
  static const SLIDE_PICTURE old = [] {
    SLIDE_PICTURE p;
    p.picture = testing_support::MakeTestPicture(1920, 1080, 7);
    p.displayWidth = 1920;
    p.displayHeight = 1080;
    return p;
  }();
  for (auto _ : state) {
    const FADE_PAIR pair = MakeFadePair(old, first.first, 1920, 1080);
    const BLEND_GEOMETRY g = GetBlendGeometry(pair.newPicture, pair.oldPicture, pair.dx, pair.dy);
    CPlayerFrame frame;
    frame.Allocate(g.width, g.height, kFadeFrameMs);
    BlendPicturesInto(pair.newPicture, pair.oldPicture, pair.dx, pair.dy, FadeWeight(1), frame.m_rgb.data(),
                      frame.GetStride());
    benchmark::DoNotOptimize(frame.m_rgb.data());
  }
}
BENCHMARK(BM_SlideChangeWithReadAhead)->Unit(benchmark::kMillisecond);

}  // namespace
