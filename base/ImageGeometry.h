#pragma once
// The one check every image allocation goes through.
//
// Canvas coordinates and the packed-pixel accessors use 16-bit signed x, so a
// side is 1 to 32767 pixels. Plane sizes are computed in 64 bits and must fit
// the byte budget (adjustable, for tests and for the application's limits).

#include <cstddef>
#include <cstdint>

constexpr int32_t kMaxImageSide = 32767;

// Bytes of one unpadded row: (width * bpp + 7) / 8, computed in 64 bits.
int64_t RowBytes(int64_t width, int bitsPerPixel);

// Result code (base/ResultCodes.h) for a plane of this geometry:
// IMAGEIO_OK, IMAGEIO_CORRUPT for a side <= 0 or an unknown depth,
// IMAGEIO_NO_MEMORY for a side above 32767 or a plane above the budget.
int CheckImageGeometry(int64_t width, int64_t height, int bitsPerPixel);

// Largest number of bytes one pixel plane may take. Default 1 GiB.
int64_t GetImageByteBudget();
void SetImageByteBudget(int64_t bytes);
