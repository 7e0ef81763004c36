#pragma once
// Conversion between images and packed device-independent bitmaps (a
// BITMAPINFOHEADER, masks or colour table, then rows bottom-up padded to 4
// bytes): the layout of the image clipboard format and of a BMP file after
// its 14-byte file header.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/RasterImage.h"

// A packed DIB of the image (the mask is not stored): 40-byte header,
// BI_RGB, 2^bpp colour entries below 24 bits, 24-bit pixels blue, green,
// red. Padding bytes are zero. Empty for an empty image.
std::vector<uint8_t> ImageToDib(const CRasterImage& image);

// The image of a packed DIB of `size` bytes, or an empty image when the DIB
// is unsupported or does not fit in `size`. Reads 1, 4, 8, 16, 24 and 32 bits,
// BI_RGB and BI_BITFIELDS, headers of 40 bytes or more (masks of a BI_BITFIELDS
// DIB stand after a 40-byte header, inside a larger one), short colour tables
// and top-down rows (negative height). A 32-bit DIB's fourth byte (BI_RGB) or
// alpha mask (BI_BITFIELDS with a larger header) becomes an 8-bit mask unless
// it is uniform.
CRasterImage DibToImage(const uint8_t* data, size_t size);

// A BMP file of the image: a 14-byte file header, then ImageToDib.
std::vector<uint8_t> ImageToBmpFile(const CRasterImage& image);

// The image of a DIB held in a block of memory (the clipboard's copy):
// DibToImage over the whole block; empty for no block.
CRasterImage ImageFromGlobalDib(const std::vector<uint8_t>* dib);
