#pragma once
// Copying rectangles of pixels between planes, and cropping images.

#include "imaging/RasterImage.h"

// Copies the rectangle (x, y, width, rows) of a source plane into the top-left
// of a target buffer. The rectangle is clipped to the source; false when
// nothing is copied (negative origin, empty result, null buffer). The target
// must hold the clipped rows at targetStride: this is not checked.
bool CopyPixelRect(int32_t sourceWidth, int32_t rows, const uint8_t* sourceBits, int32_t sourceHeight,
                   int32_t sourceStride, int32_t bitsPerPixel, uint8_t* targetBits, int32_t x, int32_t y,
                   int32_t width, int32_t targetStride);

// New image of the rectangle (right and bottom exclusive) with the source's
// depth, palette and the matching part of its mask. Parts of the rectangle
// outside the source are zero (transparent where there is a mask). Empty
// when the rectangle is empty or the source is.
CRasterImage CropImage(const CRasterImage& source, const Rect& rect);
