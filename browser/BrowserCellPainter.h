#pragma once
// The pixels of one browser cell, composed in an RGB buffer without a
// window: the thumbnail's shadow with its corner ramps, the thumbnail
// (nearest-neighbour into its display rectangle, transparent pixels over the
// display options' background), the white veil over cut files, the
// selection rings and the insertion-marker bars. The caption is text and is
// drawn by the view over the buffer before the one blit of the cell.

#include <cstdint>
#include <vector>

#include "browser/core/BrowserItem.h"
#include "imaging/ImageDrawing.h"
#include "imaging/ImageTypes.h"

struct CELL_BUFFER {
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  std::vector<uint8_t> rgb;  // top-down rows of 3 * nWidth bytes

  void Reset(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue);
  void FillRect(const Rect& rect, uint8_t red, uint8_t green, uint8_t blue);
  void SetPixel(int32_t x, int32_t y, uint8_t red, uint8_t green, uint8_t blue);
  const uint8_t* PixelAt(int32_t x, int32_t y) const { return &rgb[(static_cast<size_t>(y) * nWidth + x) * 3]; }
};

// The corner pieces of the shadow: grey ramps, rows top to bottom.
struct SHADOW_CORNER {
  int32_t nWidth, nHeight;
  const uint8_t* pGreys;
};
extern const SHADOW_CORNER kShadowTopLeft;      // 6 x 6
extern const SHADOW_CORNER kShadowTopRight;     // 6 x 8
extern const SHADOW_CORNER kShadowBottomLeft;   // 8 x 6
extern const SHADOW_CORNER kShadowBottomRight;  // 8 x 8

// The shadow around a picture rectangle (drawn before the picture).
void DrawThumbnailShadow(CELL_BUFFER& buffer, const Rect& picture);
// Two one-pixel rings over the outermost pixels of the picture: blue outside,
// light blue inside.
void DrawSelectionRings(CELL_BUFFER& buffer, const Rect& picture);
// The shown frame of the item's thumbnail into the rectangle, veiled when the
// item is cut. sampler null: the display options' background.
void DrawThumbnailPicture(CELL_BUFFER& buffer, const CBrowserItem& item, const Rect& picture,
                          COLORSAMPLEPROC sampler = nullptr);
// The insertion-marker bars at the cell's left and right edges, for the
// levels (0..steps) of the gaps before and after the item.
void DrawInsertionMarker(CELL_BUFFER& buffer, const Rect& cell, int levelBefore, int levelAfter, int steps);

// Everything of a cell but its caption: the picture, shadow and rings for an
// item with a thumbnail (placed at `picture`, in buffer coordinates), then
// the marker when markers are shown.
struct CELL_DRAWING {
  Rect cell;     // in buffer coordinates
  Rect picture;  // thumbnail display rectangle, in buffer coordinates
  bool bMarker = false;
  int nLevelBefore = 0;
  int nLevelAfter = 0;
  int nMarkerSteps = 5;
};
void DrawCellPixels(CELL_BUFFER& buffer, const CBrowserItem& item, const CELL_DRAWING& drawing,
                    COLORSAMPLEPROC sampler = nullptr);
