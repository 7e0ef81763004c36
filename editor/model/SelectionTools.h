#pragma once
// What the editing view's selection tools do to a frame, without a window:
// re-cutting the floating selection with a mask builder (rectangle, magic
// wand), deselecting, clamping a move so the moved rectangle still reaches
// the canvas, and finding the outline pixels of a selection as shown at a
// zoom (the marching ants).

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/AnimFrame.h"
#include "imaging/ImageTypes.h"

// Builds the new selection mask over the content image (1-bit, the content's
// size) from the current mask (null when nothing is selected) and the content's
// canvas position.
using SELECTION_MASK_BUILDER =
    std::function<CRasterImage(const CRasterImage& content, Point contentPos, const CRasterImage* current)>;

enum RECUT_RESULT { RECUT_NOTHING = 0, RECUT_EMPTY_MASK = 1, RECUT_CHANGED = 2 };

// Flattens the frame's image and selection into one content image, builds the
// new mask and, when it selects something, cuts the selected pixels out into
// the floating selection and leaves the rest (cropped to its opaque area) as
// the image. RECUT_NOTHING for an empty content, RECUT_EMPTY_MASK (the frame
// untouched) when the new mask selects nothing.
RECUT_RESULT RecutSelection(CAnimFrame& frame, const SELECTION_MASK_BUILDER& build);
// Composes a floating selection back into the image; false without one.
bool DeselectFrame(CAnimFrame& frame);
// The frame's content rectangle on the canvas (image and selection together).
Rect GetFrameContentRect(const CAnimFrame& frame);

// Clamps a drag offset so the moved rectangle (canvas coordinates) still
// reaches the canvas: right + dx >= 0, left + dx <= width (likewise vertically).
void ClampMoveOffset(const Rect& moving, int canvasWidth, int canvasHeight, int& dx, int& dy);

// One run of outline pixels in window coordinates, all of one colour.
struct ANTS_RUN {
  int32_t x, y, length;
  bool white;
};
// The marching ants of the selection shown at `shown` (the window rectangle
// of the whole selection at the zoom) inside `clip` (the visible part):
// a selection without a mask gives the rectangle's outline on the sides not
// clipped away, one with a mask the pixels where the mask is set and a
// four-neighbour is clear. A pixel is white when (x + y + phase) has bit 2
// set, x and y counted from the clipped rectangle's top-left (for the plain
// rectangle from the window origin).
void FindAntsRuns(const CRasterImage& selection, const Rect& shown, const Rect& clip, int zoom, int phase,
                  std::vector<ANTS_RUN>& runs);
