// The image document's main road: opening a 24-megapixel JPEG and showing it
// at best fit, repainting the view while scrolling at 100 % and 33 %, and the
// memory an undo history of 50 steps of a 12-megapixel frame keeps.
//
// The view's arithmetic and the undo step are the editor's model
// (editor/model), which builds without the toolkit. The window system's part
// of a repaint (handing the composed bands to the display) is not measured.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "editor/model/UndoStep.h"
#include "editor/model/ViewGeometry.h"
#include "formats/ImageFile.h"
#include "imaging/ImageDrawing.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kWindowWidth = 1600, kWindowHeight = 1000;

// A 6000 x 4000 JPEG written once (or $PICTORAVELL_BENCH_JPEG).
const std::string& JpegFile() {
  static const std::string path = [] {
    if (const char* given = std::getenv("PICTORAVELL_BENCH_JPEG")) return std::string(given);
    std::string file = "/tmp/pictoravell-bench-24mp-" + std::to_string(getpid()) + ".jpg";
    CImageFileRequest request;
    request.m_strFileName = file;
    request.m_nWidth = 6000;
    request.m_nHeight = 4000;
    CAnimFrame frame;
    frame.m_image = testing_support::MakeTestPicture(6000, 4000);
    request.m_frames.push_back(frame);
    JPEG_SAVE_OPTIONS options;
    if (WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, &options) != IMAGEIO_OK) file.clear();
    return file;
  }();
  return path;
}

int White(int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 255;
  return 255;
}

// What the view draws for one frame covering the canvas: the visible part of
// the image rectangle, composed in bands of 128 rows.
void PaintView(const CRasterImage& image, int zoom, int scrollX, int scrollY, std::vector<uint8_t>& band) {
  VIEW_GEOMETRY g;
  g.canvasWidth = image.GetWidth();
  g.canvasHeight = image.GetHeight();
  g.zoom = zoom;
  g.clientWidth = kWindowWidth;
  g.clientHeight = kWindowHeight;
  g.scrollX = scrollX;
  g.scrollY = scrollY;
  Rect r = GetImageRect(g);
  r = Rect{r.left - scrollX, r.top - scrollY, r.right - scrollX, r.bottom - scrollY};
  const Rect window{0, 0, kWindowWidth, kWindowHeight};
  CImageBandComposer c(image, r, Rect{0, 0, r.Width(), r.Height()}, Rect{0, 0, image.GetWidth(), image.GetHeight()},
                       window, &White);
  const int width = c.GetArea().Width();
  band.resize(static_cast<size_t>(width) * 128 * 3);
  for (int first = 0; first < c.GetArea().Height(); first += 128)
    c.ComposeRows(first, std::min(128, c.GetArea().Height() - first), band.data(), int64_t{width} * 3);
  benchmark::DoNotOptimize(band.data());
}

void BM_OpenJpeg24MpAtBestFit(benchmark::State& state) {
  const std::string& file = JpegFile();
  if (file.empty()) {
    state.SkipWithError("no JPEG writer");
    return;
  }
  std::vector<uint8_t> band;
  int zoom = 0;
  for (auto _ : state) {
    CImageFileRequest request;
    request.m_strFileName = file;
    if (ReadImageFile(&request) != IMAGEIO_OK || request.m_frames.empty()) {
      state.SkipWithError("read failed");
      return;
    }
    const CRasterImage& image = request.m_frames[0].m_image;
    zoom = BestFitZoom(image.GetWidth(), image.GetHeight(), kWindowWidth, kWindowHeight);
    PaintView(image, zoom, 0, 0, band);
  }
  state.counters["zoom"] = zoom;
}
BENCHMARK(BM_OpenJpeg24MpAtBestFit)->Unit(benchmark::kMillisecond)->Iterations(5);

// One repaint of the whole window per scroll step of 18 pixels.
void BM_ScrollRepaint24Mp(benchmark::State& state) {
  static const CRasterImage image = testing_support::MakeTestPicture(6000, 4000);
  const int zoom = static_cast<int>(state.range(0));
  std::vector<uint8_t> band;
  int step = 0;
  for (auto _ : state) {
    const int offset = (step++ % 50) * 18;
    PaintView(image, zoom, offset, offset, band);
  }
  state.SetItemsProcessed(state.iterations() * kWindowWidth * kWindowHeight);
}
BENCHMARK(BM_ScrollRepaint24Mp)->Arg(1)->Arg(-3)->ArgName("zoom")->Unit(benchmark::kMillisecond);

long ResidentBytes() {
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// 50 edits of a 12-megapixel frame, each recorded as the document records it
// (a snapshot of the frames before the edit) and then writing the whole
// frame. Reports the memory the history keeps per step against the frame.
void BM_UndoHistory50Steps12Mp(benchmark::State& state) {
  const CRasterImage original = testing_support::MakeTestPicture(4000, 3000);
  const double frameBytes = 4000.0 * 3000 * 3;
  double perStep = 0, rssPerStep = 0;
  for (auto _ : state) {
    std::vector<CAnimFrame> frames(1);
    frames[0].m_image = original;
    frames[0].m_image.GetWritableBits();  // the document's own copy
    CUndoStepArray history;
    const long before = ResidentBytes();
    for (int i = 0; i < 50; ++i) {
      CUndoStep step;
      step.m_frames = frames;
      step.m_strLabel = "Brightness and Contrast";
      history.push_back(std::move(step));
      uint8_t* bits = frames[0].m_image.GetWritableBits();  // the edit gets its own copy
      for (int64_t k = 0; k < int64_t{4000} * 3000 * 3; k += 4096) bits[k] ^= static_cast<uint8_t>(i);
    }
    const long after = ResidentBytes();
    int64_t kept = 0;
    for (const auto& step : history) kept += step.GetOwnBytes(frames);
    perStep = static_cast<double>(kept) / 50;
    rssPerStep = static_cast<double>(after - before) / 50;
    benchmark::DoNotOptimize(history.data());
  }
  state.counters["step_bytes_per_frame_bytes"] = perStep / frameBytes;
  state.counters["rss_per_step_per_frame_bytes"] = rssPerStep / frameBytes;
}
BENCHMARK(BM_UndoHistory50Steps12Mp)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
