#pragma once
// Colour and pattern fills, and the program-wide fill pattern.

#include "imaging/LayerStack.h"
#include "imaging/RasterImage.h"

// The fill pattern: one program-wide image, empty at start. SetPattern
// shares the image; an empty image counts as no pattern.
bool HasPattern();
void SetPattern(const CRasterImage& pattern);
void DiscardPattern();

// COLORSAMPLEPROC of the pattern: its colour at (x mod width, y mod height)
// (Euclidean modulo, so negative points tile too) and its alpha (mask byte,
// 255/0 from a mask bit, 255 without a mask). Alpha 0 and black without a
// pattern.
int SamplePattern(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);

// New image of the source's size, depth, palette and mask where every pixel
// whose mask is not 0 is blended with the sampler's colour S and alpha A:
// (S * A + P * (255 - A)) / 255 per channel (gray images use the gray value
// of S). Null sampler: the pattern. Only 24-bit and gray images; failures are
// reported at error level and give an empty image.
CRasterImage PatternFill(const CRasterImage& source, COLORSAMPLEPROC sampler);

// New image of the source's size, depth, palette and mask whose pixels
// become the colour (24-bit) or its exact palette index, and 0 where the
// mask is 0. Failures (empty source, null colour, colour not in the palette)
// are reported at error level and give an empty image.
CRasterImage ColorFill(const CRasterImage& source, const RGBQUAD* color);
