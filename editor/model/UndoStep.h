#pragma once
// CUndoStep: one snapshot of a document's frame state (canvas size, frames,
// loop count) with the name of the operation and the document's modified
// flag. Undo and redo swap a step with the document's state, so the same step
// serves both directions. Frames share their image buffers with the
// document's (copy-on-write), so a step costs the frame records plus the
// pixels that later edits stop sharing.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/AnimFrame.h"

class CUndoStep {
 public:
  CUndoStep() = default;
  // Copies share the images and never carry a busy mark.
  CUndoStep(const CUndoStep& other) { *this = other; }
  CUndoStep(CUndoStep&&) noexcept = default;
  CUndoStep& operator=(const CUndoStep& other);
  CUndoStep& operator=(CUndoStep&&) noexcept = default;
  virtual ~CUndoStep() = default;

  int32_t GetFrameCount() const { return static_cast<int32_t>(m_frames.size()); }
  // Bytes of pixel, palette and mask data the step keeps alive that the given
  // frames do not share (the memory purging the step would release, as far
  // as the document's current frames are concerned).
  int64_t GetOwnBytes(const std::vector<CAnimFrame>& current) const;

  int16_t m_nWidth = 0;
  int16_t m_nHeight = 0;
  uint16_t m_nLoopCount = 0;
  std::vector<CAnimFrame> m_frames;  // owned by the step
  std::string m_strLabel;
  int32_t m_bModified = 0;
};

using CUndoStepArray = std::vector<CUndoStep>;

// Bytes held by an image's pixel, palette and mask planes.
int64_t GetImageBytes(const CRasterImage& image);
