#pragma once
// CAnimFrame: one frame of an image: an image placed on a canvas, its display
// time, its GIF graphic-control flags and an optional floating selection.
// CMultiFrameImage: the frames of one file as handed to the browser and the
// slide show.

#include <string>
#include <vector>

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

  // Makes the whole frame content (image composed with any selection) the
  // floating selection; the rectangle becomes absolute and the position
  // (0, 0). Nothing for a frame without an image.
  void FloatImage();
  // Drops the floating selection into the image (composed over it); the
  // position moves to the composed image's origin. Nothing without a
  // selection, and nothing when the selection cannot be composed (an indexed
  // selection of another depth than the image) or the position would leave
  // the 16-bit range.
  void MergeSelection();
  // Exchanges image and selection, keeping both where they are on the canvas
  // (float without a selection, merge without an image). Swapping twice
  // restores the frame.
  void SwapSelection();

  // The frame rendered on a canvas of width x height. 24-bit frames (or
  // frames whose selection is of another depth than the image) compose over
  // the background colour, or over nothing when transparent; indexed frames
  // keep their depth and palette, uncovered pixels take the palette entry
  // nearest to the background and are transparent in the mask. The mask is
  // removed when everything is opaque. Empty for an empty frame or a canvas
  // outside 1..32767.
  CRasterImage Flatten(int32_t width, int32_t height, bool transparent, RGBQUAD background) const;

  CRasterImage m_image;
  int16_t m_nLeft = 0;
  int16_t m_nTop = 0;
  uint16_t m_nDelay = 0;   // 1/100 s
  uint8_t m_nFlags = 0;    // bit 0 transparent colour, bit 1 user input, bits 2-4 disposal
  CRasterImage m_selection;
  Rect m_rcSelection;      // relative to the frame's position (right = left + width)
  int32_t m_bBusy = 0;
  int32_t m_bSelected = 0;
  int32_t m_bExpanded = 1;
};

// The frames of one file: canvas size, frames, loop count and comment. The
// container owns its frames.
class CMultiFrameImage {
 public:
  CMultiFrameImage() = default;
  CMultiFrameImage(int32_t width, int32_t height, std::vector<CAnimFrame> frames)
      : m_nWidth(width), m_nHeight(height), m_frames(std::move(frames)) {}
  CMultiFrameImage(const CMultiFrameImage&) = default;
  CMultiFrameImage(CMultiFrameImage&&) noexcept = default;
  CMultiFrameImage& operator=(const CMultiFrameImage&) = default;
  CMultiFrameImage& operator=(CMultiFrameImage&&) noexcept = default;
  virtual ~CMultiFrameImage() = default;

  int32_t GetFrameCount() const { return static_cast<int32_t>(m_frames.size()); }

  // Turns every frame image clockwise by 90, 180 or 270 degrees (other
  // angles are normalised first: -90 acts as 270, 450 as 90) and moves each
  // frame to where the turn puts it on the turned canvas; selections stay as
  // they are. Returns the normalised angle, or 0 (nothing changed) for any
  // other angle. A frame whose image cannot be turned keeps it.
  int Rotate(int degrees);

  int32_t m_nWidth = 0;   // canvas size, 16-bit range
  int32_t m_nHeight = 0;
  std::vector<CAnimFrame> m_frames;
  uint16_t m_nLoopCount = 0;
  std::string m_strComment;
};
