#pragma once
// CAnimFrame: one frame of an image: an image placed on a canvas, its display
// time, its GIF graphic-control flags and an optional floating selection.

#include "imaging/RasterImage.h"

class CAnimFrame {
 public:
  CAnimFrame() = default;
  CAnimFrame(const CAnimFrame&) = default;
  CAnimFrame(CAnimFrame&&) noexcept = default;
  CAnimFrame& operator=(const CAnimFrame&) = default;
  CAnimFrame& operator=(CAnimFrame&&) noexcept = default;
  virtual ~CAnimFrame() = default;

  bool IsEmpty() const { return m_image.IsEmpty() && m_selection.IsEmpty(); }
  // Disposal method (bits 2-4 of the flags).
  int GetDisposal() const { return (m_nFlags >> 2) & 7; }
  // The frame stays under the following frames (disposal none or keep).
  bool StaysUnderNext() const { return (m_nFlags & 0x0C) == 0 || (m_nFlags & 0x0C) == 4; }

  CRasterImage m_image;
  int16_t m_nLeft = 0;
  int16_t m_nTop = 0;
  uint16_t m_nDelay = 0;   // 1/100 s
  uint8_t m_nFlags = 0;    // bit 0 transparent colour, bit 1 user input, bits 2-4 disposal
  CRasterImage m_selection;
  Rect m_rcSelection;      // relative to the frame's position
  int32_t m_bBusy = 0;
  int32_t m_bSelected = 0;
  int32_t m_bExpanded = 1;
};
