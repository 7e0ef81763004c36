#pragma once
// Colour-mode conversion, dithering and palette look-ups.

#include "imaging/RasterImage.h"

// Index of the palette entry nearest to the colour (squared RGB distance);
// ties keep the lower index and an exact match ends the search.
int FindNearestPaletteColor(int count, const RGBQUAD* palette, int red, int green, int blue);
