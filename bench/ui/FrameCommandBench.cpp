// Optimize and Expand of a whole animation through the image document's
// menu commands (the command table, the Frame Optimization dialog answered
// by its test hook, the busy marks, the undo step), 200 frames of 640 x 480.
// Run under Xvfb; bench/compare_frame_commands.sh runs it beside gifsicle:
//   PICTORAVELL_FRAME_BENCH_FILE=full.gif PICTORAVELL_FRAME_BENCH_O2=o2.gif \
//     xvfb-run -a build/pictoravell_ui_bench --benchmark_filter=FrameCommand
// Without the files the frames are made here (a ball over a shaded picture).
//   BM_FrameCommandOptimize  Optimize... (frame differencing, no global
//                            palette) of the complete frames; counter
//                            kept_pixels: the pixels of the optimised frames
//   BM_FrameCommandExpand    Expand of the optimised frames (gifsicle -O2's
//                            file when given, else ours)

#include <benchmark/benchmark.h>
#include <wx/wx.h>

#include <cstdlib>
#include <vector>

#include "base/Profile.h"
#include "editor/FrameOptimizationDialog.h"
#include "editor/PictoravellDoc.h"
#include "formats/ImageFile.h"
#include "imaging/FrameOptimizer.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 200;

struct Animation {
  int16_t width = kWidth, height = kHeight;
  std::vector<CAnimFrame> frames;
};

Animation ReadAnimation(const char* path) {
  Animation a;
  CImageFileRequest request;
  request.m_strFileName = path;
  if (ReadImageFile(&request) != IMAGEIO_OK) return a;
  a.width = request.m_nWidth;
  a.height = request.m_nHeight;
  a.frames = std::move(request.m_frames);
  return a;
}

const Animation& FullFrames() {
  static Animation a = [] {
    if (const char* path = std::getenv("PICTORAVELL_FRAME_BENCH_FILE")) return ReadAnimation(path);
    Animation made;
    for (int k = 0; k < kFrames; ++k) {
      CRasterImage image;
      image.Create(kWidth, kHeight, 24);
      const int bx = 40 + 3 * k, by = 240 + (k * 7) % 200 - 100;
      for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
        for (int x = 0; x < kWidth; ++x) {
          const bool ball = (x - bx) * (x - bx) + (y - by) * (y - by) < 900;
          row[3 * x] = ball ? 20 : static_cast<uint8_t>(x * 255 / kWidth);
          row[3 * x + 1] = ball ? 220 : static_cast<uint8_t>(y * 255 / kHeight);
          row[3 * x + 2] = ball ? 250 : static_cast<uint8_t>((x + y) & 0xC0);
        }
      }
      CAnimFrame frame;
      frame.m_image = std::move(image);
      frame.m_nDelay = 4;
      made.frames.push_back(std::move(frame));
    }
    return made;
  }();
  return a;
}

const Animation& OptimizedFrames() {
  static Animation a = [] {
    if (const char* path = std::getenv("PICTORAVELL_FRAME_BENCH_O2")) return ReadAnimation(path);
    const Animation& full = FullFrames();
    Animation made = full;
    auto optimized = OptimizeFrameDifferences(full.height, full.frames.data(), static_cast<int>(full.frames.size()),
                                              full.width, OPTIMIZE_TRANSPARENT);
    for (size_t i = 0; i < made.frames.size(); ++i) made.frames[i] = optimized[i];
    return made;
  }();
  return a;
}

void RunCommand(CPictoravellDoc& doc, int id) {
  wxCommandEvent command(wxEVT_MENU, id);
  doc.ProcessEvent(command);
}

void BM_FrameCommandOptimize(benchmark::State& state) {
  const Animation& full = FullFrames();
  if (full.frames.empty()) {
    state.SkipWithError("no frames");
    return;
  }
  auto previous = InstallProfileStore(MakeMemoryProfileStore());
  WriteProfileInt("Optimization Option", "Use Global Palette", 0);
  CModalDialogHook hook([](wxDialog&) { return wxID_OK; });
  CPictoravellDoc doc;
  int64_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc.SetFrames(full.width, full.height, full.frames, 0);
    doc.ClearUndoHistory();
    state.ResumeTiming();
    RunCommand(doc, ID_OPTIMIZE_FRAMES);
    state.PauseTiming();
    if (doc.GetUndoPosition() != 0) state.SkipWithError("no step");
    kept = 0;
    for (const auto& frame : doc.GetFrames())
      kept += int64_t{frame.m_image.GetWidth()} * frame.m_image.GetHeight();
    state.ResumeTiming();
  }
  state.counters["kept_pixels"] = static_cast<double>(kept);
  state.counters["frames"] = static_cast<double>(full.frames.size());
  doc.FreeFrames();
  InstallProfileStore(std::move(previous));
}
BENCHMARK(BM_FrameCommandOptimize)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FrameCommandExpand(benchmark::State& state) {
  const Animation& optimized = OptimizedFrames();
  if (optimized.frames.empty()) {
    state.SkipWithError("no frames");
    return;
  }
  CPictoravellDoc doc;
  for (auto _ : state) {
    state.PauseTiming();
    doc.SetFrames(optimized.width, optimized.height, optimized.frames, 0);
    doc.ClearUndoHistory();
    state.ResumeTiming();
    RunCommand(doc, ID_EXPAND_FRAMES);
    state.PauseTiming();
    if (doc.GetUndoPosition() != 0) state.SkipWithError("no step");
    state.ResumeTiming();
  }
  state.counters["frames"] = static_cast<double>(optimized.frames.size());
  doc.FreeFrames();
}
BENCHMARK(BM_FrameCommandExpand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
