// The Image Size command's road on a 24-megapixel photograph (6000 x 4000,
// 24-bit): the resize into an undo transaction and its commit, then Undo and
// Redo of that step, on one core. The counter "step_bytes" is what the
// history keeps for the step beyond the document's own frame: the frame it
// replaced (72 MB), shared, never copied.
#include <benchmark/benchmark.h>

#include "editor/model/FrameEdits.h"
#include "editor/model/ImageDocModel.h"
#include "tests/support/TestSupport.h"

namespace {

const CRasterImage& Photo() {
  static const CRasterImage image = testing_support::MakeTestPicture(6000, 4000);
  return image;
}

std::unique_ptr<CImageDocModel> PhotoDocument() {
  auto doc = std::make_unique<CImageDocModel>();
  CAnimFrame frame;
  frame.m_image = Photo();
  doc->SetFrames(6000, 4000, {frame}, 0);
  return doc;
}

// Resize to 4000 x 2667 with the dialog's method (0 nearest, 3 "Bicubic").
void BM_ImageSizeCommand(benchmark::State& state) {
  const int method = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = PhotoDocument();
    state.ResumeTiming();
    CUndoTransaction change(*doc, "Image Size Change");
    const FRAME_EDIT_RESULT r =
        ResizeCurrentFrame(change.Frames(), change.CanvasWidth(), change.CanvasHeight(), 0, 4000, 2667, method);
    if (!r.changed) state.SkipWithError("resize failed");
    change.Commit(r.hint);
    benchmark::DoNotOptimize(doc->GetCurrentFrame());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.counters["step_bytes"] = 6000.0 * 4000 * 3;
}
BENCHMARK(BM_ImageSizeCommand)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageSizeUndoRedo(benchmark::State& state) {
  auto doc = PhotoDocument();
  CUndoTransaction change(*doc, "Image Size Change");
  const FRAME_EDIT_RESULT r =
      ResizeCurrentFrame(change.Frames(), change.CanvasWidth(), change.CanvasHeight(), 0, 4000, 2667, 3);
  change.Commit(r.hint);
  for (auto _ : state) {
    doc->Undo();
    doc->Redo();
  }
  int16_t w = 0, h = 0;
  doc->GetCanvasSize(w, h);
  if (w != 4000) state.SkipWithError("redo did not restore the resized canvas");
}
BENCHMARK(BM_ImageSizeUndoRedo)->Unit(benchmark::kMicrosecond);

}  // namespace
