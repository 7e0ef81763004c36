#pragma once
// The 256-bin luminance histogram of the histogram control.

#include <cstdint>

#include "imaging/RasterImage.h"

// Clears the counters and counts every opaque pixel in bin (red + green +
// blue) / 3 (indexed pixels through their palette entry; with a mask only
// pixels whose mask byte is non-zero or whose mask bit is set). A counter
// stops at 0xFFFFFFFF.
void ComputeHistogram(const CRasterImage& image, uint32_t counts[256]);
