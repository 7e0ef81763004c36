#pragma once
// Rotating images: exactly by right angles at any depth, and by any angle
// (a cubic B-spline for 24-bit images, nearest neighbour for indexed ones).
// Results are new images; masks are rotated with the pixels.

#include <cstdint>

#include "imaging/RasterImage.h"

// The angle in 0 ... 359: a negative angle a becomes 359 - ((-a - 1) mod 360),
// one of 360 or more is reduced mod 360.
int NormalizeRotationAngle(int degrees);

// Exact rotation by 90 (clockwise), 180 or 270 degrees (after normalising) of
// pixels and mask at every depth; the palette is copied. Empty for other
// angles, an empty source, or no memory.
CRasterImage RotateImageRightAngle(const CRasterImage& source, int degrees);

// Rotation by any angle, clockwise for positive angles. 90, 180 and 270 go to
// RotateImageRightAngle; every other angle (0 and 360 included) rotates into
// the bounding box of the rotated corners, gives the result a mask (the parts
// outside the source transparent) and crops it to its opaque area. 24-bit
// sources are filtered with a 4 x 4 cubic B-spline weighted by alpha, in which
// the source's outermost ring of pixels takes no part; indexed sources take
// the nearest pixel. Empty when nothing remains opaque, for an empty source or
// when memory runs out (a rotated side above the size limit included).
CRasterImage RotateImage(const CRasterImage& source, int degrees);
