#pragma once
// Selection masks: 1-bit images of the size of the image they belong to,
// bit 1 = selected. They are separate images, not the image's own mask.
//
// Rectangles here are left and top inclusive, right and bottom exclusive.

#include "imaging/RasterImage.h"

// How a new selection combines with the current one.
enum SELECTION_MODE { SELECT_REPLACE = 0, SELECT_ADD = 1, SELECT_SUBTRACT = 2 };

// Bounds of the pixels that count (bit set at 1 bit, non-zero byte at 8 bits,
// any non-zero byte of the three at 24 bits). False and (0, 0, 0, 0) when no
// pixel counts or the arguments are unusable.
bool GetNonZeroBounds(const uint8_t* bits, int32_t width, int32_t height, int32_t stride, int32_t bitsPerPixel,
                      Rect* bounds);
// GetNonZeroBounds of the image's pixel plane.
bool GetMaskImageBounds(const CRasterImage& mask, Rect* bounds);

// New selection mask of the image's size: the rectangle (clipped to the
// image) combined with the current selection in the given mode. Inside the
// rectangle, a bit is set where the image is opaque and cleared where it is
// transparent; in subtract mode with a current selection every bit inside is
// cleared. Empty for an empty image or a current selection of another size.
CRasterImage MakeRectSelectionMask(const CRasterImage& image, const Rect& rect, const CRasterImage* current,
                                   int mode);

// True when bits x .. x + count - 1 are set in each of the rows.
bool IsRunSelected(int32_t count, const uint8_t* bits, int32_t x, int32_t rows, int32_t stride);

// Cleared 1-bit mask of width x height with the image's opaque area set at
// the offset (the part that falls outside is left out). Empty for an empty
// image or an unusable size.
CRasterImage PlaceSelectionMask(const CRasterImage& image, const Point& offset, int32_t width, int32_t height);

// True when (x, y) lies inside the image and it is opaque there (a non-zero
// mask value, or no mask).
bool IsPointSelected(int32_t x, int32_t y, const CRasterImage& image);

// True when the image is a selection mask for an image of width x height.
bool IsSelectionMaskFor(const CRasterImage& mask, int32_t width, int32_t height);
