#include "editor/model/UndoStep.h"

namespace {

bool SharesWithAny(const CRasterImage& image, const std::vector<CAnimFrame>& frames) {
  for (const auto& frame : frames)
    if ((!frame.m_image.IsEmpty() && image.SharesPixelsWith(frame.m_image)) ||
        (!frame.m_selection.IsEmpty() && image.SharesPixelsWith(frame.m_selection)))
      return true;
  return false;
}

}  // namespace

CUndoStep& CUndoStep::operator=(const CUndoStep& other) {
  if (this == &other) return *this;
  m_nWidth = other.m_nWidth;
  m_nHeight = other.m_nHeight;
  m_nLoopCount = other.m_nLoopCount;
  m_frames = other.m_frames;
  for (auto& frame : m_frames) frame.m_bBusy = 0;
  m_strLabel = other.m_strLabel;
  m_bModified = other.m_bModified;
  return *this;
}

int64_t GetImageBytes(const CRasterImage& image) {
  if (image.IsEmpty()) return 0;
  int64_t bytes = int64_t{image.GetStride()} * image.GetHeight() + int64_t{image.GetPaletteSize()} * 4;
  if (image.HasMask()) bytes += int64_t{image.GetMaskStride()} * image.GetHeight();
  return bytes;
}

int64_t CUndoStep::GetOwnBytes(const std::vector<CAnimFrame>& current) const {
  int64_t bytes = 0;
  for (const auto& frame : m_frames) {
    if (!frame.m_image.IsEmpty() && !SharesWithAny(frame.m_image, current)) bytes += GetImageBytes(frame.m_image);
    if (!frame.m_selection.IsEmpty() && !SharesWithAny(frame.m_selection, current))
      bytes += GetImageBytes(frame.m_selection);
  }
  return bytes;
}
