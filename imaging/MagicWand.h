#pragma once
// The magic wand: a selection mask grown by colour flood fill from a seed.

#include "imaging/RasterImage.h"

// The program-wide tolerance of the wand (per-channel difference), 32 at
// start; the host's Selection Options window sets it. It is never stored.
int GetMagicWandTolerance();
void SetMagicWandTolerance(int tolerance);

// State of one fill. A pixel matches when each of its red, green and blue
// differs from the seed's by at most the tolerance, it is opaque (non-zero
// image mask value, or no mask) and its selection bit is not yet in the
// wanted state (set in replace and add modes, clear in subtract mode). The
// fill works run by run along rows with its own stack of runs, so its reach
// is the 4-connected region of matching pixels whatever its size.
class CMagicWand {
 public:
  CMagicWand(const CRasterImage& image, int tolerance, int mode);

  // Fills from the seed into the selection mask (1-bit, the image's size).
  void Fill(CRasterImage& selection, int32_t x, int32_t y);

 private:
  bool Matches(int32_t x, int32_t y) const;
  void MarkRun(int32_t y, int32_t x0, int32_t x1);

  int32_t m_nWidth, m_nHeight, m_nStride, m_nBitsPerPixel;
  const uint8_t* m_pBits;
  const RGBQUAD* m_pPalette;
  const uint8_t* m_pMask;
  int32_t m_nMaskStride, m_nMaskBits;
  uint8_t m_seedRed = 0, m_seedGreen = 0, m_seedBlue = 0;
  int m_nTolerance;
  int m_nMode;
  uint8_t* m_pSelection = nullptr;
  int32_t m_nSelectionStride = 0;
  // For indexed images: which palette entries lie within the tolerance.
  bool m_indexMatches[256] = {};
};

// New selection mask by flood fill from (x, y) with the current tolerance,
// combined with the current selection (1-bit, the image's size) in mode 0
// replace, 1 add or 2 subtract; without a current selection the mode counts
// as replace. Empty when the seed lies outside the image or is transparent,
// or the current selection is not of the image's size.
CRasterImage MagicWand(const CRasterImage& image, int32_t x, int32_t y, const CRasterImage* current, int mode);
