#include "imaging/Histogram.h"

#include <cstring>

#include "imaging/PixelAccess.h"

void ComputeHistogram(const CRasterImage& image, uint32_t counts[256]) {
  std::memset(counts, 0, 256 * sizeof(uint32_t));
  if (image.IsEmpty()) return;
  const int bpp = image.GetBitsPerPixel();
  const bool masked = image.HasValidMask();
  // Bin of every palette index.
  int paletteBin[256] = {};
  if (bpp != 24) {
    const RGBQUAD* pal = image.GetPalette();
    const int entries = image.GetPaletteSize();
    for (int i = 0; i < entries && i < 256; ++i) paletteBin[i] = (pal[i].rgbRed + pal[i].rgbGreen + pal[i].rgbBlue) / 3;
  }
  const PIXELGETPROC get = bpp == 24 ? nullptr : GetPixelGetter(bpp);
  if (bpp != 24 && !get) return;
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    const uint8_t* row = image.GetRow(y);
    const uint8_t* mask = masked ? image.GetMaskRow(y) : nullptr;
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      if (mask) {
        const bool opaque = bpp == 24 ? mask[x] != 0 : GetPixel1(mask, static_cast<int16_t>(x)) != 0;
        if (!opaque) continue;
      }
      const int bin = bpp == 24 ? (row[3 * x] + row[3 * x + 1] + row[3 * x + 2]) / 3
                                : paletteBin[get(row, static_cast<int16_t>(x))];
      if (counts[bin] != 0xFFFFFFFFu) ++counts[bin];
    }
  }
}
