#include "editor/model/FrameArrayEdits.h"

#include <algorithm>
#include <array>
#include <new>

#include "editor/model/ImageDocModel.h"
#include "imaging/FrameOptimizer.h"
#include "imaging/Quantizer.h"
#include "imaging/StandardPalettes.h"

namespace {

// The old frames unselected; the insertion point right after the current one.
size_t InsertionPoint(const std::vector<CAnimFrame>& frames, int current) {
  if (current < 0 || current >= static_cast<int>(frames.size())) return frames.size();
  return static_cast<size_t>(current) + 1;
}

std::vector<CAnimFrame> Unselected(const std::vector<CAnimFrame>& frames) {
  std::vector<CAnimFrame> out = frames;
  for (auto& frame : out) {
    frame.m_bSelected = 0;
    frame.m_bBusy = 0;
  }
  return out;
}

std::vector<CAnimFrame> FromArray(std::unique_ptr<CAnimFrame[]> array, size_t count) {
  std::vector<CAnimFrame> out;
  if (!array) return out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) out.push_back(std::move(array[i]));
  return out;
}

}  // namespace

std::vector<CAnimFrame> InsertFramesAfter(const std::vector<CAnimFrame>& frames, int current,
                                          std::vector<CAnimFrame> inserted) {
  std::vector<CAnimFrame> out = Unselected(frames);
  for (auto& frame : inserted) {
    frame.m_bSelected = 1;
    frame.m_bBusy = 0;
  }
  const auto at = out.begin() + static_cast<std::ptrdiff_t>(InsertionPoint(frames, current));
  out.insert(at, std::make_move_iterator(inserted.begin()), std::make_move_iterator(inserted.end()));
  return out;
}

std::vector<CAnimFrame> InsertNewFrameAfter(const std::vector<CAnimFrame>& frames, int current) {
  std::vector<CAnimFrame> one(1);
  return InsertFramesAfter(frames, current, std::move(one));
}

std::vector<CAnimFrame> DuplicateFrameAfter(const std::vector<CAnimFrame>& frames, int current, int n) {
  if (n <= 0 || current < 0 || current >= static_cast<int>(frames.size())) return frames;
  std::vector<CAnimFrame> copies(static_cast<size_t>(n), frames[static_cast<size_t>(current)]);
  return InsertFramesAfter(frames, current, std::move(copies));
}

std::vector<CAnimFrame> RemoveSelectedFrames(const std::vector<CAnimFrame>& frames) {
  std::vector<CAnimFrame> out;
  for (const auto& frame : frames)
    if (!frame.m_bSelected) {
      out.push_back(frame);
      out.back().m_bBusy = 0;
    }
  if (out.empty()) out.emplace_back();
  return out;
}

int BuildGlobalPalette(const std::vector<CAnimFrame>& frames, const GLOBAL_PALETTE_OPTIONS& options,
                       RGBQUAD* palette) {
  int count = std::clamp(options.count, 2, 256);
  if (options.dither == 2) return count;
  switch (options.kind) {
    case PALETTE_ADAPTIVE: {
      CPixelSource source(2 * static_cast<int>(frames.size()));
      for (const auto& frame : frames) {
        source.AddImage(&frame.m_image);
        source.AddImage(&frame.m_selection);
      }
      return std::max(0, BuildOptimalPalette(source, palette, count, 8));
    }
    case PALETTE_FILE:
      if (!options.loadPalette || !options.loadPalette(&count, palette) || count <= 0 || count > 256) return 0;
      return count;
    default:
      return BuildPaletteOfKind(options.kind, count, palette);
  }
}

std::vector<CAnimFrame> OptimizeFrames(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                       int method, const GLOBAL_PALETTE_OPTIONS* palette, CANCELPROC cancel,
                                       PROGRESSPROC progress) {
  const int count = static_cast<int>(frames.size());
  if (count == 0 || (method == 0 && !palette)) return {};
  try {
    std::array<RGBQUAD, 256> entries{};
    int colors = 0;
    if (palette) {
      colors = BuildGlobalPalette(frames, *palette, entries.data());
      if (colors <= 0) return {};
    }
    std::unique_ptr<CAnimFrame[]> optimized;
    if (method == OPTIMIZE_TRANSPARENT || method == OPTIMIZE_CROP) {
      optimized = OptimizeFrameDifferences(canvasHeight, frames.data(), count, canvasWidth, method, cancel, progress);
      if (!optimized) return {};
    }
    if (palette) {
      const CAnimFrame* source = optimized ? optimized.get() : frames.data();
      auto reduced = ReduceFramesToPalette(source, count, entries.data(), colors, palette->dither, cancel, progress);
      return FromArray(std::move(reduced), static_cast<size_t>(count));
    }
    return FromArray(std::move(optimized), static_cast<size_t>(count));
  } catch (...) {
    return {};
  }
}

std::vector<CAnimFrame> ExpandAllFrames(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                        CANCELPROC cancel, PROGRESSPROC progress) {
  const int count = static_cast<int>(frames.size());
  if (count == 0) return {};
  try {
    return FromArray(ExpandFrames(frames.data(), count, canvasWidth, canvasHeight, cancel, progress),
                     static_cast<size_t>(count));
  } catch (...) {
    return {};
  }
}

CAllFramesBusyGuard::CAllFramesBusyGuard(CImageDocModel& document) : m_document(document) {
  for (auto& frame : m_document.GetFrames()) frame.m_bBusy = 1;
}

CAllFramesBusyGuard::~CAllFramesBusyGuard() {
  for (auto& frame : m_document.GetFrames()) frame.m_bBusy = 0;
}
