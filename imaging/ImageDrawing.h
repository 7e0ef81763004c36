#pragma once
// What is drawn when an image or a layer stack is shown: the pixels of a
// screen area, composed band by band with nearest-neighbour scaling,
// transparent pixels over a background sampler, and, for 8-bit displays, an
// ordered dither to the 216-colour display palette; and the canvas pixels a
// printed layer stack needs, over white. The window layer (shell/) puts each band
// on a device; nothing here touches one, so all of it is testable headless.
//
// Rectangles are in device pixels. Coordinates given to samplers are
// relative to the drawing's reference rectangle, so a checkerboard stays
// fixed to the picture.

#include <cstdint>
#include <vector>

#include "imaging/DisplayOptions.h"
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
// The same for a record other than the program's (a dialog's edited copy).
// The samplers keep one set of colours: select again before each drawing.
COLORSAMPLEPROC SelectBackgroundSampler(const DISPLAY_OPTIONS& options);

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

// Composes the pixels of DrawLayerStack: the stack's canvas scaled into the
// target rectangle, transparent and partly transparent pixels over the
// sampler, whose (x, y) are relative to the target's top-left corner. The
// painted area is the clip rectangle and the target intersected. The stack
// must not change while the composer lives; it may be kept between
// BeginRender and EndRender for that time.
class CLayerStackBandComposer {
 public:
  CLayerStackBandComposer(CLayerStack& stack, const Rect& target, const Rect& clip, COLORSAMPLEPROC sampler,
                          bool eightBitDevice = false);
  ~CLayerStackBandComposer();
  CLayerStackBandComposer(const CLayerStackBandComposer&) = delete;
  CLayerStackBandComposer& operator=(const CLayerStackBandComposer&) = delete;

  const Rect& GetArea() const { return m_area; }
  bool IsEmpty() const { return m_area.IsEmpty(); }

  // As CImageBandComposer::ComposeRows.
  void ComposeRows(int first, int count, uint8_t* rgb, int64_t rowBytes);

 private:
  void ComposeRow(int row, uint8_t* out);

  CLayerStack& m_stack;
  Rect m_target, m_area;
  COLORSAMPLEPROC m_sampler;
  bool m_eightBit;
  bool m_rendering = false;
  int32_t m_canvasWidth = 0, m_canvasHeight = 0;
  std::vector<int32_t> m_canvasX;  // per area column
  // One composed canvas row (alpha, red, green, blue per canvas column from
  // m_spanLeft), reused while rows of the area map to the same canvas row.
  bool m_readSpans = false;
  int32_t m_spanLeft = 0, m_spanRow = -1;
  std::vector<uint8_t> m_spanColor, m_spanAlpha;
};

// Composes the canvas pixels that printing a layer stack needs, over white
// and unscaled; the device stretches each band into its place. The painted
// area is the clip rectangle and the target intersected.
class CStretchedStackComposer {
 public:
  CStretchedStackComposer(CLayerStack& stack, const Rect& target, const Rect& clip);

  bool IsEmpty() const { return m_source.IsEmpty(); }
  // The canvas pixels that cover the area.
  const Rect& GetSource() const { return m_source; }
  // Canvas rows first .. first + count - 1, columns of the source, as
  // top-down RGB rows `rowBytes` apart (at least 3 * source width): each
  // pixel composed over white, (A * (c - 255) + 65025) / 255 per channel.
  void ComposeRows(int32_t first, int32_t count, uint8_t* rgb, int64_t rowBytes);
  // Where canvas rows first .. first + count - 1 of the source columns go in
  // the target's coordinates (rounded outward, so bands meet).
  Rect GetBandDestination(int32_t first, int32_t count) const;

 private:
  CLayerStack& m_stack;
  Rect m_target, m_source;
  int32_t m_canvasWidth = 0, m_canvasHeight = 0;
};

// Default band height of screen drawing, in rows.
constexpr int kDrawBandHeight = 64;
