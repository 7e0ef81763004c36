#pragma once
// The crop rectangle of the "Crop Special" dialog without a window: its four
// edges as fractions 0..1 of the image's width and height, the aspect
// constraint, the eight handles and the move, the drag arithmetic and the
// rectangle in image pixels. The control (editor/CropRectCtrl) draws it and
// feeds it the mouse; CropFrameToCanvasRect applies the chosen rectangle to
// a frame.
//
// Guards the arithmetic keeps: the rectangle never collapses (a dragged edge
// stays at least one image pixel from the opposite edge, and the pixel
// rectangle is at least 1 x 1), a correction for the aspect never pushes an
// edge outside the image (the other side shrinks instead), and no size of 0
// (image, drawn area, rectangle) is ever divided by.

#include <cstdint>
#include <string>
#include <vector>

#include "editor/model/FrameEdits.h"
#include "imaging/AnimFrame.h"

// What a press starts: 0 nothing, 1 to 8 a handle, 9 moving the rectangle.
enum CROP_DRAG_MODE {
  CROP_DRAG_NONE = 0,
  CROP_DRAG_TOP_LEFT = 1,
  CROP_DRAG_TOP = 2,
  CROP_DRAG_TOP_RIGHT = 3,
  CROP_DRAG_LEFT = 4,
  CROP_DRAG_RIGHT = 5,
  CROP_DRAG_BOTTOM_LEFT = 6,
  CROP_DRAG_BOTTOM = 7,
  CROP_DRAG_BOTTOM_RIGHT = 8,
  CROP_DRAG_MOVE = 9,
};

// Half the side of a handle square, in client pixels.
constexpr int kCropHandleHalfSize = 4;

// The aspect presets: 0 none, 1 "3 x 5", 2 "4 x 6", 3 "5 x 7", 4 "8 x 10",
// 5 custom.
enum CROP_CONSTRAINT {
  CROP_CONSTRAINT_NONE = 0,
  CROP_CONSTRAINT_3X5 = 1,
  CROP_CONSTRAINT_4X6 = 2,
  CROP_CONSTRAINT_5X7 = 3,
  CROP_CONSTRAINT_8X10 = 4,
  CROP_CONSTRAINT_CUSTOM = 5,
};

// The width-to-height ratio of a print preset (1 to 4), upright or
// landscape; -1 (no constraint) for anything else.
double CropPresetRatio(int constraint, bool landscape);

// The ratio of a custom width and height; -1 (no constraint) when either is
// 0.
double CropCustomRatio(uint32_t width, uint32_t height);

// Where an image of width x height is drawn in a client area of
// clientWidth x clientHeight: as large as fits inside a margin of the handle
// half-size, keeping its proportions, centred. Empty for an empty image or
// client area.
Rect CropImageRect(int clientWidth, int clientHeight, int imageWidth, int imageHeight);

class CCropRect {
 public:
  CCropRect() = default;
  CCropRect(int imageWidth, int imageHeight);

  int GetImageWidth() const { return m_width; }
  int GetImageHeight() const { return m_height; }

  // Sets the constraint from a ratio of pixels (width / height); 0 or less
  // frees the rectangle and leaves it as it is. Otherwise the rectangle
  // keeps its centre (moved back inside when needed) and its height, when
  // its width would need more than the image's height, else its width.
  void SetAspect(double ratio);
  // The constraint in fractions ((x2 - x1) / (y2 - y1)); 0 or less for none.
  double GetAspect() const { return m_aspect; }

  // The rectangle in image pixels, right and bottom exclusive: left =
  // floor(min x * W), right = W - floor((1 - max x) * W), likewise
  // vertically; never smaller than 1 x 1 for an image that is not empty.
  Rect GetPixelRect() const;
  // "Width: %d  Height: %d" of the pixel rectangle.
  std::string GetSizeText() const;

  // The centre of handle 1..8 in client coordinates, for the image drawn at
  // imageRect (origin plus fraction times drawn size, truncated).
  Point GetHandlePoint(int mode, const Rect& imageRect) const;
  // The square of a handle: the centre -4 .. +4 (right and bottom exclusive).
  Rect GetHandleRect(int mode, const Rect& imageRect) const;
  // The drag mode a press at (x, y) starts: the first handle (1 to 8) whose
  // square holds the point, else 9 strictly inside the rectangle, else 0.
  int HitTest(int x, int y, const Rect& imageRect) const;
  // One mouse move of a drag in mode 1 to 9 from (lastX, lastY) to (x, y).
  void Drag(int mode, int x, int y, int lastX, int lastY, const Rect& imageRect);

  // The edges (x1 may be right of x2 and y1 below y2 after a handle was
  // dragged across; every use takes the smaller as left or top).
  double x1 = 0.0, x2 = 1.0, y1 = 0.0, y2 = 1.0;

 private:
  double MinWidth() const;
  double MinHeight() const;

  int m_width = 0;
  int m_height = 0;
  double m_aspect = -1.0;
};

// Crops the current frame to a rectangle on the canvas (right and bottom
// exclusive): the image to its part inside, the frame's position moving to
// that part's corner, and the floating selection to its part inside, kept
// where it is on the canvas; an image or selection outside the rectangle is
// dropped: "Crop Special". Nothing when no pixel of the frame lies inside.
FRAME_EDIT_RESULT CropFrameToCanvasRect(std::vector<CAnimFrame>& frames, int current, const Rect& rect);
