#include "imaging/TextImage.h"

#include <new>

#include "imaging/ColorConversion.h"
#include "imaging/ImageCompose.h"
#include "imaging/PaletteFunctions.h"
#include "imaging/PixelAccess.h"

bool IsTextSmoothed(const CRasterImage& frameImage) {
  return frameImage.IsEmpty() || frameImage.GetBitsPerPixel() == 24;
}

CRasterImage MakeTextImage(const TEXT_COVERAGE& coverage, const CRasterImage& frameImage, RGBQUAD color,
                           bool* nearest) {
  if (nearest) *nearest = false;
  if (coverage.IsEmpty() || coverage.width > 32767 || coverage.height > 32767 ||
      coverage.values.size() != static_cast<size_t>(coverage.width) * static_cast<size_t>(coverage.height))
    return {};
  const int bpp = frameImage.IsEmpty() ? 24 : frameImage.GetBitsPerPixel();
  CRasterImage live;
  try {
    if (!live.Create(coverage.width, coverage.height, bpp) || !live.CreateMask()) return {};
    int index = 0;
    if (bpp != 24) {
      const int entries = 1 << bpp;
      if (frameImage.GetPaletteSize() < entries) return {};
      RGBQUAD* palette = live.GetWritablePalette();
      for (int i = 0; i < entries; ++i) palette[i] = frameImage.GetPalette()[i];
      index = FindPaletteIndex(live, color);
      if (index < 0) {
        if (nearest) *nearest = true;
        index = FindNearestPaletteColor(entries, live.GetPalette(), color.rgbRed, color.rgbGreen, color.rgbBlue);
      }
    }
    const PIXELSETPROC setPixel = GetPixelSetter(bpp);
    uint8_t* bits = live.GetWritableBits();
    uint8_t* mask = live.GetWritableMaskBits();
    for (int32_t y = 0; y < coverage.height; ++y) {
      const uint8_t* in = coverage.values.data() + static_cast<size_t>(y) * static_cast<size_t>(coverage.width);
      uint8_t* row = bits + static_cast<int64_t>(y) * live.GetStride();
      uint8_t* maskRow = mask + static_cast<int64_t>(y) * live.GetMaskStride();
      for (int32_t x = 0; x < coverage.width; ++x) {
        if (bpp == 24) {
          row[3 * x] = color.rgbRed;
          row[3 * x + 1] = color.rgbGreen;
          row[3 * x + 2] = color.rgbBlue;
          maskRow[x] = in[x];
        } else {
          setPixel(row, static_cast<int16_t>(x), index);
          SetPixel1(maskRow, static_cast<int16_t>(x), in[x] >= 128 ? 1 : 0);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
  CRasterImage cropped = CropToMask(live);
  return cropped.IsEmpty() ? live : cropped;
}
