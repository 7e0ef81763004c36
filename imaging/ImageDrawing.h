#pragma once
// What is drawn when an image is shown: the pixels of a screen area,
// composed band by band with nearest-neighbour scaling, transparent pixels
// over a background sampler, and, for 8-bit displays, an ordered dither to
// the 216-colour display palette. The window layer (shell/) puts each band
// on a device; nothing here touches one, so all of it is testable headless.
//
// Rectangles are in device pixels. Coordinates given to samplers are
// relative to the drawing's reference rectangle, so a checkerboard stays
// fixed to the picture.

#include <cstdint>
#include <vector>

#include "imaging/LayerStack.h"
#include "imaging/RasterImage.h"

// (a * t + b * (255 - t)) / 255, truncated.
inline uint8_t BlendChannel(uint8_t a, uint8_t b, uint8_t t) {
  return static_cast<uint8_t>((a * t + b * (255 - t)) / 255);
}

// Samplers over the colours of the display options (see
// SelectBackgroundSampler): 16-pixel squares of checker colours 1 and 2, or
// one solid colour.
int CheckerboardBackground(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);
int SolidBackground(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);
// Reads the display options, stores the colours the samplers need and
// returns the sampler of the transparency mode.
COLORSAMPLEPROC SelectBackgroundSampler();

// The 4 x 4 ordered-dither thresholds, indexed (x mod 4) + 4 * (y mod 4).
extern const uint8_t kThresholdMatrix[16];
// Index 0..215 of the display palette (entry 36 r + 6 g + b is 51 r, 51 g,
// 51 b) for a colour at device point (x, y).
uint8_t DitherToDisplayPalette(int x, int y, uint8_t red, uint8_t green, uint8_t blue);
RGBQUAD DisplayPaletteColor(int index);

// Composes the pixels of DrawImage: the source rectangle of an image scaled
// into the target rectangle (relative to the drawing rectangle's top-left
// corner), the sampler's colour elsewhere in the drawing rectangle. The
// painted area is the clip rectangle and the drawing rectangle intersected.
class CImageBandComposer {
 public:
  // sampler null: the display options' sampler. eightBitDevice: dither to
  // the display palette (the bands then hold its colours).
  CImageBandComposer(const CRasterImage& image, const Rect& drawing, const Rect& target, const Rect& source,
                     const Rect& clip, COLORSAMPLEPROC sampler, bool eightBitDevice = false);

  // The area to paint; empty when nothing is to be drawn.
  const Rect& GetArea() const { return m_area; }
  bool IsEmpty() const { return m_area.IsEmpty(); }

  // Fills `count` rows of the area from row `first` (0 = the area's top) as
  // top-down RGB rows, `rowBytes` apart (at least 3 * area width).
  void ComposeRows(int first, int count, uint8_t* rgb, int64_t rowBytes) const;

 private:
  void ComposeRow(int row, uint8_t* out) const;

  const CRasterImage& m_image;
  Rect m_drawing, m_target, m_source, m_area;
  COLORSAMPLEPROC m_sampler;
  bool m_eightBit;
  std::vector<int32_t> m_sourceX;  // per area column: source x, or -1 outside the target
};

// Default band height of screen drawing, in rows.
constexpr int kDrawBandHeight = 64;
