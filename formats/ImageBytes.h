#pragma once
// Images encoded in memory: the PNG and BMP-file bytes the clipboard offers
// other programs, and the images read back from bytes they offer.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/RasterImage.h"

// A PNG of the image (its mask as alpha); empty when it cannot be written.
std::vector<uint8_t> EncodePngBytes(const CRasterImage& image);
// A BMP file: a 14-byte file header, a 40-byte info header, uncompressed rows.
std::vector<uint8_t> EncodeBmpFileBytes(const CRasterImage& image);
// The image of PNG bytes, or an empty image when they are not a readable PNG.
CRasterImage DecodePngBytes(const uint8_t* data, std::size_t size);
// The image of a BMP file, or of a packed DIB without the file header (any
// header size the reader knows); empty when neither reads.
CRasterImage DecodeBmpBytes(const uint8_t* data, std::size_t size);
