#pragma once
// Flipping (top and bottom exchanged) and mirroring (left and right
// exchanged) of images.

#include "imaging/RasterImage.h"

enum FLIP_FLAGS { FLIP_VERTICAL = 1, FLIP_HORIZONTAL = 2 };

// Copies `rows` rows of `width` pixels of 1, 4, 8 or 24 bits; with bit 0 of
// the flags the first source row goes to the last target row, with bit 1
// pixel x goes to width - 1 - x. Source and target must not overlap.
void CopyRowsMirrored(int32_t rows, const uint8_t* source, uint8_t* target, int32_t width, int32_t sourceStride,
                      int32_t bitsPerPixel, int32_t targetStride, int flags);

// New image flipped and/or mirrored, mask included; empty for an empty
// source or flags without either bit.
CRasterImage FlipImage(const CRasterImage& source, int flags);
